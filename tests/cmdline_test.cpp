// Command-line scanner of gmbx and its modifier parsers.
#include "capture/cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gmbx {
namespace {

struct RecordingActions : CmdLineActions {
    int dumpCalls = 0;
    int readCalls = 0;
    int dumpResult = 0;
    int readResult = 0;
    std::vector<std::string> initFrom;

    int DumpOptions() override {
        ++dumpCalls;
        return dumpResult;
    }
    int ReadOptions() override {
        ++readCalls;
        return readResult;
    }
    void InitFrom(const char* path) override { initFrom.push_back(path); }
};

// Builds argv with "gmbx.exe" in front and scans it.
struct Scan {
    std::vector<std::string> args;
    std::vector<const char*> argv;
    RecordingActions actions;
    CmdLineScan r;

    Scan(std::initializer_list<const char*> list, bool autoSaveForced = false) {
        args.push_back("c:/glimmerbox/gmbx.exe");
        for (const char* a : list) args.push_back(a);
        for (const std::string& a : args) argv.push_back(a.c_str());
        argv.push_back(nullptr);
        r = ScanCommandLine(int(args.size()), argv.data(), autoSaveForced, actions);
    }
    void Rerun(bool autoSaveForced) {
        r = ScanCommandLine(int(args.size()), argv.data(), autoSaveForced, actions);
    }
};

TEST(CmdLineScan, NoArgumentsLeavesDefaults) {
    Scan s({});
    EXPECT_EQ(s.r.oneShot, OneShotCommand::None);
    EXPECT_FALSE(s.r.exitNow);
    EXPECT_FALSE(s.r.hidden);
    EXPECT_TRUE(s.r.addOn);
    EXPECT_FALSE(s.r.fixedTitle);
    EXPECT_FALSE(s.r.keepDirectory);
    EXPECT_FALSE(s.r.keepStoredDirectory);
    EXPECT_FALSE(s.r.ddeServer);
    EXPECT_FALSE(s.r.autoSave);
    EXPECT_FALSE(s.r.HasCapture());
    EXPECT_EQ(s.r.printIndex, 0);
    EXPECT_EQ(s.r.saveIndex, 0);
    EXPECT_EQ(s.r.fileIndex, 0);
    EXPECT_EQ(s.r.fileArg, nullptr);
}

TEST(CmdLineScan, InstallAndUninstallOnlyAsWholeFirstArgument) {
    EXPECT_EQ(Scan({"-install"}).r.oneShot, OneShotCommand::Install);
    EXPECT_EQ(Scan({"-uninstall"}).r.oneShot, OneShotCommand::Uninstall);
    EXPECT_EQ(Scan({"-install", "-hidden"}).r.oneShot, OneShotCommand::Install);

    // Not first, not exact, or wrong case: just an unknown option.
    Scan later({"-hidden", "-install"});
    EXPECT_EQ(later.r.oneShot, OneShotCommand::None);
    EXPECT_TRUE(later.r.hidden);
    EXPECT_EQ(Scan({"-installnow"}).r.oneShot, OneShotCommand::None);
    EXPECT_EQ(Scan({"-Install"}).r.oneShot, OneShotCommand::None);
    EXPECT_EQ(Scan({"-nopro", "-uninstall"}).r.oneShot, OneShotCommand::None);
}

TEST(CmdLineScan, InstallFirstScansNothingElse) {
    Scan s({"-install", "-dumpopts"});
    EXPECT_EQ(s.r.oneShot, OneShotCommand::Install);
    EXPECT_EQ(s.actions.dumpCalls, 0);
    EXPECT_FALSE(s.r.exitNow);
}

TEST(CmdLineScan, ExactOptionsRequireTheWholeArgument) {
    EXPECT_TRUE(Scan({"-hidden"}).r.hidden);
    EXPECT_FALSE(Scan({"-hiddenX"}).r.hidden);
    EXPECT_FALSE(Scan({"-hidde"}).r.hidden);
    EXPECT_FALSE(Scan({"-Hidden"}).r.hidden);

    EXPECT_FALSE(Scan({"-nopro"}).r.addOn);
    EXPECT_TRUE(Scan({"-noprofile"}).r.addOn);

    EXPECT_TRUE(Scan({"-fixed_title"}).r.fixedTitle);
    EXPECT_FALSE(Scan({"-fixed_title2"}).r.fixedTitle);

    EXPECT_TRUE(Scan({"-ddesrv"}).r.ddeServer);
    EXPECT_FALSE(Scan({"-ddesrver"}).r.ddeServer);

    Scan dump({"-dumpoptsX"});
    EXPECT_FALSE(dump.r.exitNow);
    EXPECT_EQ(dump.actions.dumpCalls, 0);
    Scan read({"-readoptsX"});
    EXPECT_FALSE(read.r.exitNow);
    EXPECT_EQ(read.actions.readCalls, 0);
}

TEST(CmdLineScan, PrefixOptionsMatchTheBeginning) {
    Scan snapshot({"-snapshot"});
    EXPECT_EQ(snapshot.r.captureKind, CaptureKind::Snap);
    EXPECT_EQ(snapshot.r.captureIndex, 1);
    EXPECT_STREQ(snapshot.r.captureArg, "-snapshot");

    Scan open({"-open:c:\\pics\\a.bmp"});
    EXPECT_EQ(open.r.captureKind, CaptureKind::Open);
    EXPECT_STREQ(open.r.openFile, "c:\\pics\\a.bmp");

    // Without its colon -open is no option at all.
    Scan openNoColon({"-open"});
    EXPECT_FALSE(openNoColon.r.HasCapture());
    EXPECT_FALSE(openNoColon.r.hidden);
    EXPECT_FALSE(openNoColon.r.keepDirectory);

    Scan printer({"-printer:l"});
    EXPECT_EQ(printer.r.printIndex, 1);
    EXPECT_STREQ(printer.r.printArg, "-printer:l");

    Scan saveAs({"-saveas:gif"});
    EXPECT_EQ(saveAs.r.saveIndex, 1);

    EXPECT_TRUE(Scan({"-nosetdirXYZ"}).r.keepDirectory);
    EXPECT_TRUE(Scan({"-nosavedir_too"}).r.keepStoredDirectory);
    EXPECT_FALSE(Scan({"-nosavedir_too"}).r.keepDirectory);

    Scan quick({"-QuickSaveNow"});
    EXPECT_TRUE(quick.r.autoSave);
    EXPECT_EQ(quick.r.quickSaveIndex, 1);
    // Case-sensitive: the lower-case spelling is no option.
    EXPECT_FALSE(Scan({"-quicksave"}).r.autoSave);
    EXPECT_FALSE(Scan({"-SNAP"}).r.HasCapture());
}

TEST(CmdLineScan, InitFromPassesTheTextAfterTheOption) {
    Scan s({"-initfrom:d:\\cfg\\my.ini", "-initfrom", "-initfrom:second.ini"});
    ASSERT_EQ(s.actions.initFrom.size(), 2u);
    EXPECT_EQ(s.actions.initFrom[0], "d:\\cfg\\my.ini");
    EXPECT_EQ(s.actions.initFrom[1], "second.ini");
    EXPECT_FALSE(s.r.exitNow);
}

TEST(CmdLineScan, UnknownDashArgumentsAreIgnored) {
    Scan s({"-", "-x", "--hidden", "-verbose", "-hidden"});
    EXPECT_TRUE(s.r.hidden);
    EXPECT_EQ(s.r.fileIndex, 0);
    EXPECT_FALSE(s.r.HasCapture());
}

TEST(CmdLineScan, FirstPlainArgumentEndsTheScan) {
    Scan s({"-nopro", "picture.bmp", "-hidden", "-snap"});
    EXPECT_FALSE(s.r.addOn);
    EXPECT_EQ(s.r.fileIndex, 2);
    EXPECT_STREQ(s.r.fileArg, "picture.bmp");
    EXPECT_TRUE(s.r.keepDirectory);
    EXPECT_FALSE(s.r.hidden);
    EXPECT_FALSE(s.r.HasCapture());
}

TEST(CmdLineScan, SnapAndOpenShareOnePositionLaterWins) {
    Scan openLast({"-snap:awin", "-open:a.bmp"});
    EXPECT_EQ(openLast.r.captureKind, CaptureKind::Open);
    EXPECT_EQ(openLast.r.captureIndex, 2);
    EXPECT_STREQ(openLast.r.captureArg, "-open:a.bmp");
    EXPECT_STREQ(openLast.r.openFile, "a.bmp");

    Scan snapLast({"-open:a.bmp", "-snap:acli"});
    EXPECT_EQ(snapLast.r.captureKind, CaptureKind::Snap);
    EXPECT_EQ(snapLast.r.captureIndex, 2);
    EXPECT_STREQ(snapLast.r.captureArg, "-snap:acli");
    EXPECT_EQ(snapLast.r.openFile, nullptr);
    // The flags the earlier -open: set stay set.
    EXPECT_TRUE(snapLast.r.keepDirectory);
    EXPECT_TRUE(snapLast.r.hidden);
}

TEST(CmdLineScan, LaterOptionWins) {
    Scan t({"-snap:window", "-print:l", "-snap:region", "-print:bw", "-save:jpg", "-save:gif", "b.gif"});
    EXPECT_STREQ(t.r.captureArg, "-snap:region");
    EXPECT_EQ(t.r.captureIndex, 3);
    EXPECT_STREQ(t.r.printArg, "-print:bw");
    EXPECT_EQ(t.r.printIndex, 4);
    EXPECT_STREQ(t.r.saveArg, "-save:gif");
    EXPECT_EQ(t.r.saveIndex, 6);
    EXPECT_STREQ(t.r.saveName, "b.gif");

    Scan q({"-QuickSave,1000", "-QuickSave,2000,5"});
    EXPECT_EQ(q.r.quickSaveIndex, 2);
    EXPECT_EQ(ParseQuickSave(q.r.quickSaveArg).intervalMs, 2000u);
}

TEST(CmdLineScan, OpenSetsKeepDirectoryAndHidden) {
    Scan s({"-open:shot.jpg"});
    EXPECT_TRUE(s.r.hidden);
    EXPECT_TRUE(s.r.keepDirectory);
}

TEST(CmdLineScan, SnapHidesUnlessAutoSaveIsOnAtThatMoment) {
    EXPECT_TRUE(Scan({"-snap"}).r.hidden);

    // Forced by the environment before the scan.
    Scan env({"-snap"}, /*autoSaveForced=*/true);
    EXPECT_FALSE(env.r.hidden);
    EXPECT_TRUE(env.r.autoSave);

    // Forced by an earlier -QuickSave.
    Scan quickFirst({"-QuickSave,5000", "-snap:region"});
    EXPECT_FALSE(quickFirst.r.hidden);
    EXPECT_TRUE(quickFirst.r.autoSave);

    // A later -QuickSave comes too late for the -snap before it.
    Scan quickLater({"-snap:region", "-QuickSave,5000"});
    EXPECT_TRUE(quickLater.r.hidden);
    EXPECT_TRUE(quickLater.r.autoSave);

    // -hidden still hides with AutoSave on.
    Scan both({"-QuickSave", "-snap", "-hidden"});
    EXPECT_TRUE(both.r.hidden);
}

TEST(CmdLineScan, SnapSaveAndFileNameEndsTheScan) {
    // -snap:x10:y20:w100:h50 -save:jpg:q90 out.jpg
    Scan s({"-snap:x10:y20:w100:h50", "-save:jpg:q90", "out.jpg"});
    EXPECT_EQ(s.r.captureKind, CaptureKind::Snap);
    EXPECT_EQ(s.r.captureIndex, 1);
    EXPECT_EQ(s.r.saveIndex, 2);
    EXPECT_STREQ(s.r.saveArg, "-save:jpg:q90");
    // out.jpg is the save name and, scanned in turn, the file argument.
    EXPECT_STREQ(s.r.saveName, "out.jpg");
    EXPECT_EQ(s.r.fileIndex, 3);
    EXPECT_STREQ(s.r.fileArg, "out.jpg");
    EXPECT_TRUE(s.r.hidden);
    EXPECT_TRUE(s.r.keepDirectory);

    SnapParams snap = ParseSnap(s.r.captureArg);
    EXPECT_EQ(snap.kind, SnapKind::Rect);
    EXPECT_EQ(snap.x, 10);
    EXPECT_EQ(snap.y, 20);
    EXPECT_EQ(snap.w, 100);
    EXPECT_EQ(snap.h, 50);
    SaveParams save = ParseSave(s.r.saveArg);
    EXPECT_EQ(save.format, SaveFormat::Jpeg);
    EXPECT_EQ(save.quality, 90);
}

TEST(CmdLineScan, SaveNameBeforeSnapCapturesNothing) {
    // -save x.gif -snap: x.gif ends the scan, -snap is never seen.
    Scan s({"-save", "x.gif", "-snap"});
    EXPECT_FALSE(s.r.HasCapture());
    EXPECT_EQ(s.r.captureIndex, 0);
    EXPECT_FALSE(s.r.hidden);
    EXPECT_EQ(s.r.saveIndex, 1);
    EXPECT_STREQ(s.r.saveName, "x.gif");
    EXPECT_EQ(s.r.fileIndex, 2);
    EXPECT_TRUE(s.r.keepDirectory);
}

TEST(CmdLineScan, SaveTakesTheNextArgumentWhateverItIs) {
    Scan last({"-snap", "-save:gif"});
    EXPECT_EQ(last.r.saveIndex, 2);
    EXPECT_EQ(last.r.saveName, nullptr);
    EXPECT_EQ(last.r.fileIndex, 0);

    // The following option is both the save name and an option.
    Scan opt({"-snap", "-save", "-hidden"});
    EXPECT_STREQ(opt.r.saveName, "-hidden");
    EXPECT_TRUE(opt.r.hidden);
    EXPECT_EQ(opt.r.fileIndex, 0);
}

TEST(CmdLineScan, SaveSetsKeepDirectory) {
    Scan s({"-save:gif"});
    EXPECT_TRUE(s.r.keepDirectory);
    EXPECT_FALSE(s.r.keepStoredDirectory);
}

TEST(CmdLineScan, DumpOptsEndsTheScanWithItsExitCode) {
    Scan s({"-nopro", "-dumpopts", "-hidden", "-readopts"});
    EXPECT_TRUE(s.r.exitNow);
    EXPECT_EQ(s.r.exitCode, 0);
    EXPECT_EQ(s.actions.dumpCalls, 1);
    EXPECT_EQ(s.actions.readCalls, 0);
    EXPECT_FALSE(s.r.addOn);
    EXPECT_FALSE(s.r.hidden);  // never seen

    Scan failing({"-dumpopts"});
    failing.actions.dumpResult = 1;
    failing.Rerun(false);
    EXPECT_TRUE(failing.r.exitNow);
    EXPECT_EQ(failing.r.exitCode, 1);
}

TEST(CmdLineScan, ReadOptsEndsTheScanWithItsExitCode) {
    Scan s({"-readopts", "-dumpopts"});
    EXPECT_TRUE(s.r.exitNow);
    EXPECT_EQ(s.actions.readCalls, 1);
    EXPECT_EQ(s.actions.dumpCalls, 0);

    Scan failing({"-readopts"});
    failing.actions.readResult = 1;
    failing.Rerun(false);
    EXPECT_EQ(failing.r.exitCode, 1);
}

TEST(CmdLineScan, InitFromRunsBeforeDumpOpts) {
    Scan s({"-initfrom:a.ini", "-dumpopts", "-initfrom:b.ini"});
    ASSERT_EQ(s.actions.initFrom.size(), 1u);
    EXPECT_EQ(s.actions.initFrom[0], "a.ini");
    EXPECT_TRUE(s.r.exitNow);
}

TEST(CmdLineScan, DumpOptsAfterFileArgumentIsNotSeen) {
    Scan s({"pic.bmp", "-dumpopts"});
    EXPECT_FALSE(s.r.exitNow);
    EXPECT_EQ(s.actions.dumpCalls, 0);
}

TEST(CmdLineScan, TableOrderGivesQuickSaveToItsRow) {
    Scan s({"-QuickSave,5000,1,10", "-snap:region", "-print:af", "-ddesrv", "-nosavedir"});
    EXPECT_TRUE(s.r.autoSave);
    EXPECT_EQ(s.r.quickSaveIndex, 1);
    EXPECT_EQ(s.r.captureIndex, 2);
    EXPECT_EQ(s.r.printIndex, 3);
    EXPECT_TRUE(s.r.ddeServer);
    EXPECT_TRUE(s.r.keepStoredDirectory);
    EXPECT_FALSE(s.r.keepDirectory);
    EXPECT_FALSE(s.r.hidden);
}

TEST(CmdLineScan, StopsAtNullEntry) {
    const char* argv[] = {"gmbx.exe", "-hidden", nullptr, "-nopro"};
    RecordingActions a;
    CmdLineScan r = ScanCommandLine(4, argv, false, a);
    EXPECT_TRUE(r.hidden);
    EXPECT_TRUE(r.addOn);
}

TEST(CmdLineQuickSave, AllPieces) {
    QuickSaveParams q = ParseQuickSave("-QuickSave,5000,1,10");
    EXPECT_TRUE(q.hasInterval);
    EXPECT_EQ(q.intervalMs, 5000u);
    EXPECT_TRUE(q.hasCounter);
    EXPECT_EQ(q.count, 1);
    EXPECT_EQ(q.inc, 1);
    EXPECT_TRUE(q.hasMax);
    EXPECT_EQ(q.max, 10);
}

TEST(CmdLineQuickSave, ZeroCounterMeansNoCounting) {
    QuickSaveParams q = ParseQuickSave("-QuickSave,5000,0,10");
    EXPECT_EQ(q.intervalMs, 5000u);
    EXPECT_TRUE(q.hasCounter);
    EXPECT_EQ(q.count, 1);
    EXPECT_EQ(q.inc, 0);
    EXPECT_EQ(q.max, 10);
}

TEST(CmdLineQuickSave, NonZeroCounterStartsThere) {
    QuickSaveParams q = ParseQuickSave("-QuickSave,250,42");
    EXPECT_EQ(q.intervalMs, 250u);
    EXPECT_EQ(q.count, 42);
    EXPECT_EQ(q.inc, 1);
    EXPECT_FALSE(q.hasMax);
}

TEST(CmdLineQuickSave, PresentPieces) {
    QuickSaveParams none = ParseQuickSave("-QuickSave");
    EXPECT_FALSE(none.hasInterval);
    EXPECT_FALSE(none.hasCounter);
    EXPECT_FALSE(none.hasMax);

    QuickSaveParams one = ParseQuickSave("-QuickSave,3000");
    EXPECT_TRUE(one.hasInterval);
    EXPECT_EQ(one.intervalMs, 3000u);
    EXPECT_FALSE(one.hasCounter);
    EXPECT_FALSE(one.hasMax);

    // An empty piece is present and reads as 0.
    QuickSaveParams empty = ParseQuickSave("-QuickSave,,7");
    EXPECT_TRUE(empty.hasInterval);
    EXPECT_EQ(empty.intervalMs, 0u);
    EXPECT_TRUE(empty.hasCounter);
    EXPECT_EQ(empty.count, 7);

    // Pieces beyond the fourth are ignored.
    QuickSaveParams extra = ParseQuickSave("-QuickSave,1,2,3,4");
    EXPECT_EQ(extra.max, 3);
}

TEST(CmdLineQuickSave, TextThatIsNoNumberReadsAsZero) {
    QuickSaveParams q = ParseQuickSave("-QuickSave,abc,x,many");
    EXPECT_TRUE(q.hasInterval);
    EXPECT_EQ(q.intervalMs, 0u);
    EXPECT_EQ(q.count, 1);
    EXPECT_EQ(q.inc, 0);
    EXPECT_EQ(q.max, 0);

    // As atoi: leading digits count, the rest is dropped.
    QuickSaveParams trail = ParseQuickSave("-QuickSave,1500ms, 3");
    EXPECT_EQ(trail.intervalMs, 1500u);
    EXPECT_EQ(trail.count, 3);

    // Very long numbers do not overflow.
    QuickSaveParams big = ParseQuickSave("-QuickSave,1,1,99999999999999999999");
    EXPECT_EQ(big.max, 2147483647);
}

TEST(CmdLineSnap, KindsInOrder) {
    EXPECT_EQ(ParseSnap("-snap:window").kind, SnapKind::Window);
    EXPECT_EQ(ParseSnap("-snap:region").kind, SnapKind::Region);
    EXPECT_EQ(ParseSnap("-snap:awin").kind, SnapKind::AWin);
    EXPECT_EQ(ParseSnap("-snap:acli").kind, SnapKind::ACli);
    // First in the order wins, wherever it stands in the argument.
    EXPECT_EQ(ParseSnap("-snap:acli:window").kind, SnapKind::Window);
    EXPECT_EQ(ParseSnap("-snap:awin:region").kind, SnapKind::Region);
    EXPECT_EQ(ParseSnap("-snap:acli:awin").kind, SnapKind::AWin);
    // Modifiers are case-sensitive too.
    EXPECT_EQ(ParseSnap("-snap:Window").kind, SnapKind::Rect);
}

TEST(CmdLineSnap, KindIgnoresRectangleValues) {
    SnapParams s = ParseSnap("-snap:region:x10:w20");
    EXPECT_EQ(s.kind, SnapKind::Region);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.w, 0);
}

TEST(CmdLineSnap, Rectangle) {
    SnapParams s = ParseSnap("-snap:h50:w100:y20:x10");
    EXPECT_EQ(s.kind, SnapKind::Rect);
    EXPECT_EQ(s.x, 10);
    EXPECT_EQ(s.y, 20);
    EXPECT_EQ(s.w, 100);
    EXPECT_EQ(s.h, 50);

    SnapParams whole = ParseSnap("-snap");
    EXPECT_EQ(whole.kind, SnapKind::Rect);
    EXPECT_EQ(whole.x, 0);
    EXPECT_EQ(whole.y, 0);
    EXPECT_EQ(whole.w, 0);
    EXPECT_EQ(whole.h, 0);

    SnapParams partial = ParseSnap("-snap:w640:h480");
    EXPECT_EQ(partial.x, 0);
    EXPECT_EQ(partial.y, 0);
    EXPECT_EQ(partial.w, 640);
    EXPECT_EQ(partial.h, 480);

    // Monitors left of the primary one have negative coordinates.
    SnapParams neg = ParseSnap("-snap:x-1280:y0:w1280:h1024");
    EXPECT_EQ(neg.x, -1280);
    EXPECT_EQ(neg.w, 1280);
}

TEST(CmdLineSnap, LetterWithoutNumberIsSkipped) {
    // ":win" is not ":window"; its ":w" has no number after it, so the
    // value comes from the later ":w" that has one.
    SnapParams s = ParseSnap("-snap:win:w300");
    EXPECT_EQ(s.kind, SnapKind::Rect);
    EXPECT_EQ(s.w, 300);

    SnapParams none = ParseSnap("-snap:wide:high");
    EXPECT_EQ(none.w, 0);
    EXPECT_EQ(none.h, 0);

    // A repeated letter: the first place with a number wins.
    SnapParams twice = ParseSnap("-snap:x5:x9");
    EXPECT_EQ(twice.x, 5);
}

TEST(CmdLinePrint, DefaultsWithoutModifiers) {
    PrintParams p = ParsePrint("-print");
    EXPECT_DOUBLE_EQ(p.leftMargin, 0.5);
    EXPECT_DOUBLE_EQ(p.rightMargin, 0.5);
    EXPECT_DOUBLE_EQ(p.topMargin, 0.5);
    EXPECT_DOUBLE_EQ(p.bottomMargin, 0.5);
    EXPECT_FALSE(p.usePrinterRes);
    EXPECT_FALSE(p.invertBw);
    EXPECT_FALSE(p.bwOnly);
    EXPECT_FALSE(p.drawFrame);
    EXPECT_FALSE(p.landscape);
    EXPECT_FALSE(p.autoFit);
    EXPECT_DOUBLE_EQ(p.scale, 100.0);
    EXPECT_FALSE(p.showDialog);
}

TEST(CmdLinePrint, AllModifiers) {
    PrintParams p = ParsePrint("-print:inv:bw:fr:l:af:s75.5:pd");
    EXPECT_TRUE(p.invertBw);
    EXPECT_TRUE(p.bwOnly);
    EXPECT_TRUE(p.drawFrame);
    EXPECT_TRUE(p.landscape);
    EXPECT_TRUE(p.autoFit);
    EXPECT_DOUBLE_EQ(p.scale, 75.5);
    EXPECT_TRUE(p.showDialog);
    EXPECT_DOUBLE_EQ(p.leftMargin, 0.5);
    EXPECT_FALSE(p.usePrinterRes);
}

TEST(CmdLinePrint, SingleModifiersDoNotLeakIntoOthers) {
    PrintParams pd = ParsePrint("-print:pd");
    EXPECT_TRUE(pd.showDialog);
    EXPECT_FALSE(pd.landscape);
    EXPECT_DOUBLE_EQ(pd.scale, 100.0);

    PrintParams l = ParsePrint("-print:landscape");
    EXPECT_TRUE(l.landscape);
    EXPECT_FALSE(l.showDialog);

    PrintParams bw = ParsePrint("-print:bw");
    EXPECT_TRUE(bw.bwOnly);
    EXPECT_FALSE(bw.invertBw);
    EXPECT_FALSE(bw.drawFrame);
    EXPECT_FALSE(bw.autoFit);
}

TEST(CmdLinePrint, Scale) {
    EXPECT_DOUBLE_EQ(ParsePrint("-print:s50").scale, 50.0);
    EXPECT_DOUBLE_EQ(ParsePrint("-print:s.5").scale, 0.5);
    EXPECT_DOUBLE_EQ(ParsePrint("-print:s200.:l").scale, 200.0);
    EXPECT_DOUBLE_EQ(ParsePrint("-print:s12.25").scale, 12.25);
    // ":s" without a number keeps 100; a later one with a number counts.
    EXPECT_DOUBLE_EQ(ParsePrint("-print:small").scale, 100.0);
    EXPECT_DOUBLE_EQ(ParsePrint("-print:sx:s40").scale, 40.0);
}

TEST(CmdLineSave, Defaults) {
    SaveParams s = ParseSave("-save");
    EXPECT_FALSE(s.interlace);
    EXPECT_FALSE(s.append);
    EXPECT_EQ(s.quality, 75);
    EXPECT_TRUE(s.autoSelBits);
    EXPECT_EQ(s.format, SaveFormat::ByExtension);
    EXPECT_FALSE(s.transparent);
}

TEST(CmdLineSave, FormatNamesTriggerNothingElse) {
    SaveParams gif = ParseSave("-save:gif");
    EXPECT_EQ(gif.format, SaveFormat::Gif);
    EXPECT_FALSE(gif.interlace);
    EXPECT_FALSE(gif.append);
    EXPECT_EQ(gif.quality, 75);
    EXPECT_TRUE(gif.autoSelBits);

    SaveParams jpg = ParseSave("-save:jpg");
    EXPECT_EQ(jpg.format, SaveFormat::Jpeg);
    EXPECT_FALSE(jpg.interlace);
    EXPECT_FALSE(jpg.append);

    // ":gif" is tested first.
    EXPECT_EQ(ParseSave("-save:jpg:gif").format, SaveFormat::Gif);
}

TEST(CmdLineSave, Modifiers) {
    SaveParams gif = ParseSave("-save:gif:i:a");
    EXPECT_EQ(gif.format, SaveFormat::Gif);
    EXPECT_TRUE(gif.interlace);
    EXPECT_TRUE(gif.append);

    SaveParams jpg = ParseSave("-save:jpg:p:q90");
    EXPECT_EQ(jpg.format, SaveFormat::Jpeg);
    EXPECT_TRUE(jpg.interlace);
    EXPECT_FALSE(jpg.append);
    EXPECT_EQ(jpg.quality, 90);

    SaveParams bits = ParseSave("-save:c8");
    EXPECT_EQ(bits.bitsPerPixel, 8);
    EXPECT_FALSE(bits.autoSelBits);
    EXPECT_EQ(bits.format, SaveFormat::ByExtension);

    SaveParams c24 = ParseSave("-save:jpg:c24:q100");
    EXPECT_EQ(c24.bitsPerPixel, 24);
    EXPECT_EQ(c24.quality, 100);
    EXPECT_FALSE(c24.autoSelBits);
}

TEST(CmdLineSave, NumberModifiersNeedTheirNumber) {
    SaveParams s = ParseSave("-save:quick:color");
    EXPECT_EQ(s.quality, 75);
    EXPECT_TRUE(s.autoSelBits);
    EXPECT_EQ(s.bitsPerPixel, 0);
}

TEST(CmdLineSave, TransparentAlwaysOff) {
    EXPECT_FALSE(ParseSave("-save:gif:t").transparent);
}

TEST(CmdLineSaveName, ExtensionFromTheLastSixCharacters) {
    EXPECT_EQ(ExtensionForSave("out.jpg"), ".jpg");
    EXPECT_EQ(ExtensionForSave("OUT.JPEG"), ".jpeg");
    EXPECT_EQ(ExtensionForSave("c:\\shots\\Image.Tiff"), ".tiff");
    EXPECT_EQ(ExtensionForSave("a.b"), ".b");
    // The first '.' within the last six characters.
    EXPECT_EQ(ExtensionForSave("a.b.gz"), ".b.gz");
    EXPECT_EQ(ExtensionForSave("x.tar.gz"), ".gz");
    EXPECT_EQ(ExtensionForSave("archive.tar.gz"), ".gz");
    // A dot further back does not count.
    EXPECT_EQ(ExtensionForSave("my.dir\\picture"), ".bmp");
    EXPECT_EQ(ExtensionForSave("picture"), ".bmp");
    EXPECT_EQ(ExtensionForSave(""), ".bmp");
    EXPECT_EQ(ExtensionForSave(nullptr), ".bmp");
    EXPECT_EQ(ExtensionForSave("file."), ".");
}

TEST(CmdLineSaveName, DefaultNames) {
    EXPECT_STREQ(DefaultSaveName(SaveFormat::ByExtension), "snap.bmp");
    EXPECT_STREQ(DefaultSaveName(SaveFormat::Gif), "snap.gif");
    EXPECT_STREQ(DefaultSaveName(SaveFormat::Jpeg), "snap.jpg");
}

TEST(CmdLineHelpFile, FromProgramPath) {
    EXPECT_EQ(HelpFilePath("C:/Program Files/Glimmerbox/GMBX.EXE"),
              "c:\\program files\\glimmerbox\\gmbx.hlp");
    EXPECT_EQ(HelpFilePath("c:/tools/gmbx.exe"), "c:\\tools\\gmbx.hlp");
    EXPECT_EQ(HelpFilePath("gmbx"), "gmbx.hlp");
    // Cut at the first ".exe".
    EXPECT_EQ(HelpFilePath("d:/a.exe.d/gmbx.exe"), "d:\\a.hlp");
    EXPECT_EQ(HelpFilePath("D:\\Apps\\Gmbx.Exe"), "d:\\apps\\gmbx.hlp");
}

}  // namespace
}  // namespace gmbx
