// The Window group read from and written to a store, mostly the in-memory
// gmbx.ini.
#include "capture/settingsio.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "capture/formats.h"
#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

using testutil::TempDir;

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = testutil::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool WriteText(const std::string& path, const std::string& text) {
    return testutil::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A store that records what is put, in order, and can refuse to open.
class RecordingStore : public SettingsStore, public ValueStore {
public:
    bool exists = true;
    bool creatable = true;
    struct Put {
        std::string name;
        bool text;
        uint32_t dword;
        std::string value;
        bool withZero;
    };
    std::vector<Put> puts;
    std::vector<std::string> openedGroups;

    std::unique_ptr<ValueStore> OpenForReading(const char* group) override {
        openedGroups.push_back(group);
        if (!exists) return nullptr;
        return std::make_unique<Forward>(*this);
    }
    std::unique_ptr<ValueStore> OpenForWriting(const char* group, long* error) override {
        openedGroups.push_back(group);
        if (!creatable) {
            if (error) *error = 5;
            return nullptr;
        }
        return std::make_unique<Forward>(*this);
    }
    bool GetDword(const char*, uint32_t*) override { return false; }
    bool GetText(const char*, std::string*, size_t) override { return false; }
    bool PutDword(const char* name, uint32_t value) override {
        puts.push_back(Put{name, false, value, std::string(), false});
        return true;
    }
    bool PutText(const char* name, const std::string& value, bool withZero) override {
        puts.push_back(Put{name, true, 0, value, withZero});
        return true;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Put& p : puts) names.push_back(p.name);
        return names;
    }

private:
    struct Forward : ValueStore {
        explicit Forward(RecordingStore& s) : s(s) {}
        RecordingStore& s;
        bool GetDword(const char* n, uint32_t* v) override { return s.GetDword(n, v); }
        bool GetText(const char* n, std::string* v, size_t b) override { return s.GetText(n, v, b); }
        bool PutDword(const char* n, uint32_t v) override { return s.PutDword(n, v); }
        bool PutText(const char* n, const std::string& v, bool z) override { return s.PutText(n, v, z); }
    };
};

// A current directory that lives only in the test.
struct FakeDirectory {
    std::string current = "C:\\work";
    std::vector<std::string> existing = {"C:\\work", "C:\\shots"};
    std::vector<std::string> changes;

    DirectoryAccess Access() {
        DirectoryAccess d;
        d.current = [this] { return current; };
        d.change = [this](const std::string& path) {
            changes.push_back(path);
            for (const std::string& e : existing) {
                if (e == path) {
                    current = path;
                    return true;
                }
            }
            return false;
        };
        return d;
    }
};

class WindowGroupTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("gmbx.ini");
    IniFile ini;
    IniSettingsStore store{ini};
    WindowSettings s;
    RunFlags run;
    FakeDirectory cwd;

    void SetUp() override { UseAddonFormats(false); }
    void TearDown() override { UseAddonFormats(false); }

    void LoadText(const std::string& text) {
        ASSERT_TRUE(WriteText(path, text));
        ASSERT_TRUE(ini.Load(path));
    }
    bool Read() { return ReadWindowSettings(store, s, run, cwd.Access()); }
    bool Write(const WindowPoint* pos = nullptr, const WindowExtent* size = nullptr) {
        return WriteWindowSettings(store, pos, size, s, run, cwd.Access());
    }
};

TEST_F(WindowGroupTest, AQuotedQuickSaveNameSetsTheBaseName) {
    LoadText("\"QuickSaveName\"  \"shot\"\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.quickSaveName, "shot");
}

TEST_F(WindowGroupTest, TheNameMatchesInLowerCaseToo) {
    LoadText("\"quicksavename\"  \"shot\"\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.quickSaveName, "shot");
}

TEST_F(WindowGroupTest, ALineBeginningWithABlankIsIgnored) {
    LoadText(" \"QuickSaveName\"  \"shot\"\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.quickSaveName, "snap");
}

TEST_F(WindowGroupTest, AnUnquotedWordForANumberReadsAsZero) {
    LoadText("\"WinPosX\"  abc\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.winPosX, 0);
    EXPECT_EQ(s.winPosY, -1);
}

TEST_F(WindowGroupTest, TheFirstOfTwoLinesWithTheSameNameCounts) {
    LoadText("\"QuickSaveName\"  \"first\"\r\n\"QUICKSAVENAME\"  \"second\"\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.quickSaveName, "first");
}

TEST_F(WindowGroupTest, AnEmptyFileLeavesTheDefaults) {
    LoadText("");
    ASSERT_TRUE(Read());
    WindowSettings defaults;
    EXPECT_EQ(s.winPosX, -1);
    EXPECT_EQ(s.autoRestore, 1);
    EXPECT_EQ(s.quickSaveName, "snap");
    EXPECT_EQ(s.defEmailName, "SNAP");
    EXPECT_EQ(s.cropOutColor, 0xFFFFFFu);
    EXPECT_DOUBLE_EQ(s.dxGamma[1], 1.7);
    EXPECT_EQ(s.horizRes, 96000);
    EXPECT_EQ(s.save.quality, 75);
    EXPECT_EQ(s.save.bitsPerPixel, defaults.save.bitsPerPixel);
    EXPECT_TRUE(cwd.changes.empty());
}

TEST_F(WindowGroupTest, AMissingGroupReadsNothing) {
    RecordingStore missing;
    missing.exists = false;
    s.quickSaveName = "kept";
    EXPECT_FALSE(ReadWindowSettings(missing, s, run, cwd.Access()));
    EXPECT_EQ(missing.openedGroups, (std::vector<std::string>{"Window"}));
    EXPECT_EQ(s.quickSaveName, "kept");
}

TEST_F(WindowGroupTest, AGroupThatCannotBeCreatedWritesNothing) {
    RecordingStore locked;
    locked.creatable = false;
    WindowPoint pos{1, 2};
    EXPECT_FALSE(WriteWindowSettings(locked, &pos, nullptr, s, run, cwd.Access()));
    EXPECT_TRUE(locked.puts.empty());
}

TEST_F(WindowGroupTest, OneByteFlagsCountOnlyTheLowestByte) {
    LoadText("\"AutoScroll\"  256\r\n\"AutoCopy\"  257\r\n\"AutoPrint\"  511\r\n");
    s.autoScroll = 1;
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.autoScroll, 0);
    EXPECT_EQ(s.autoCopy, 1);
    EXPECT_EQ(s.autoPrint, 255);
}

TEST_F(WindowGroupTest, AutoSaveIsNotReadWhileForced) {
    LoadText("\"AutoSave\"  0\r\n");
    s.autoSave = 1;
    run.autoSaveForced = 1;
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.autoSave, 1);
    run.autoSaveForced = 0;
    ASSERT_TRUE(ini.Load(path));
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.autoSave, 0);
}

TEST_F(WindowGroupTest, TextsLongerThanTheirLimitAreSkipped) {
    std::string name255(255, 'n'), name256(256, 'n');
    std::string mail63(63, 'm'), mail64(64, 'm');
    std::string dir259 = "C:\\" + std::string(256, 'd'), dir260 = dir259 + "d";
    LoadText("\"QuickSaveName\"  \"" + name256 + "\"\r\n"
             "\"DefEmailName\"  \"" + mail64 + "\"\r\n"
             "\"DXGammaCorrect0\"  \"" + "2." + std::string(30, '5') + "\"\r\n"
             "\"QScaleWidth\"  \"" + "3." + std::string(62, '0') + "\"\r\n"
             "\"CurrentDir\"  \"" + dir260 + "\"\r\n");
    cwd.existing.push_back(dir260);
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.quickSaveName, "snap");
    EXPECT_EQ(s.defEmailName, "SNAP");
    EXPECT_DOUBLE_EQ(s.dxGamma[0], 1.0);
    EXPECT_DOUBLE_EQ(s.qScaleWidth, 1.0);
    EXPECT_TRUE(cwd.changes.empty());

    LoadText("\"QuickSaveName\"  \"" + name255 + "\"\r\n"
             "\"DefEmailName\"  \"" + mail63 + "\"\r\n"
             "\"DXGammaCorrect0\"  \"" + "2." + std::string(29, '5') + "\"\r\n"
             "\"QScaleWidth\"  \"" + "3." + std::string(61, '0') + "\"\r\n"
             "\"CurrentDir\"  \"" + dir259 + "\"\r\n");
    cwd.existing.push_back(dir259);
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.quickSaveName, name255);
    EXPECT_EQ(s.defEmailName, mail63);
    EXPECT_NEAR(s.dxGamma[0], 2.5555555555, 1e-9);
    EXPECT_DOUBLE_EQ(s.qScaleWidth, 3.0);
    EXPECT_EQ(cwd.current, dir259);
}

TEST_F(WindowGroupTest, AValueOfTheWrongTypeIsSkipped) {
    LoadText("\"WinPosX\"  \"12\"\r\n\"QuickSaveName\"  42\r\n\"DXGammaCorrect2\"  2\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.winPosX, -1);
    EXPECT_EQ(s.quickSaveName, "snap");
    EXPECT_DOUBLE_EQ(s.dxGamma[2], 1.3);
}

TEST_F(WindowGroupTest, FormatRowAndVariantComeFromTheFormatCode) {
    LoadText("\"SaveFormat\"  2\r\n\"QSaveFormat\"  67\r\n\"ESaveFormat\"  74\r\n"
             "\"SaveBitsPerPixel\"  24\r\n\"SaveAutoSelBits\"  0\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.save.formatCode, 2);
    EXPECT_EQ(s.save.formatRow, 1);
    EXPECT_EQ(s.save.variant, 0);
    EXPECT_EQ(s.save.bitsPerPixel, 24);
    EXPECT_EQ(s.save.autoSelBits, 0);
    EXPECT_EQ(s.quickSave.formatRow, 6);
    EXPECT_EQ(s.quickSave.variant, 1);
    EXPECT_EQ(s.emailSave.formatRow, 13);
    EXPECT_EQ(s.emailSave.variant, 1);
}

TEST_F(WindowGroupTest, AnUnknownFormatCodeResetsItsSet) {
    LoadText("\"SaveFormat\"  999\r\n\"SaveBitsPerPixel\"  24\r\n\"SaveAutoSelBits\"  0\r\n\"SaveQuality\"  90\r\n"
             "\"QSaveFormat\"  10\r\n\"QSaveBitsPerPixel\"  24\r\n\"QSaveAutoSelBits\"  0\r\n");
    s.save.formatRow = 5;
    s.save.variant = 2;
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.save.formatCode, 0);
    EXPECT_EQ(s.save.formatRow, 0);
    EXPECT_EQ(s.save.variant, 0);
    EXPECT_EQ(s.save.bitsPerPixel, 8);
    EXPECT_EQ(s.save.autoSelBits, 1);
    EXPECT_EQ(s.save.quality, 90);  // the other options stay
    EXPECT_EQ(s.quickSave.formatCode, 10);
    EXPECT_EQ(s.quickSave.formatRow, 2);
    EXPECT_EQ(s.quickSave.bitsPerPixel, 24);
    EXPECT_EQ(s.quickSave.autoSelBits, 0);
}

TEST_F(WindowGroupTest, AddOnJpegVariantsAreKnownOnlyWithTheAddOnFormats) {
    LoadText("\"SaveFormat\"  23\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.save.formatCode, 0);

    UseAddonFormats(true);
    ASSERT_TRUE(ini.Load(path));
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.save.formatCode, 23);
    EXPECT_EQ(s.save.formatRow, 2);
    EXPECT_EQ(s.save.variant, 1);
}

TEST_F(WindowGroupTest, GameCaptureFlagIsRecomputed) {
    LoadText("\"EnableDXOV\"  1\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.gameCaptureEnabled, 1);
    LoadText("\"EnableDXOV\"  0\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(s.gameCaptureEnabled, 0);
}

TEST_F(WindowGroupTest, StoredDirectoryIsRestoredOnlyWhenItExistsAndIsNotKept) {
    LoadText("\"CurrentDir\"  \"C:\\shots\"\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(cwd.current, "C:\\shots");
    EXPECT_EQ(s.currentDir, "C:\\shots");

    cwd.current = "C:\\work";
    run.keepDirectory = 1;
    ASSERT_TRUE(ini.Load(path));
    ASSERT_TRUE(Read());
    EXPECT_EQ(cwd.current, "C:\\work");

    run.keepDirectory = 0;
    LoadText("\"CurrentDir\"  \"C:\\gone\"\r\n");
    ASSERT_TRUE(Read());
    EXPECT_EQ(cwd.current, "C:\\work");
    EXPECT_EQ(cwd.changes.back(), "C:\\gone");
}

TEST_F(WindowGroupTest, CurrentDirectoryIsWrittenUnlessKept) {
    LoadText("");
    cwd.current = "C:\\shots";
    ASSERT_TRUE(Write());
    ASSERT_NE(ini.Find("CurrentDir"), nullptr);
    EXPECT_EQ(*ini.Find("CurrentDir"), "\"C:\\shots\"");
    EXPECT_EQ(s.currentDir, "C:\\shots");

    LoadText("\"CurrentDir\"  \"C:\\old\"\r\n");
    run.keepStoredDirectory = 1;
    ASSERT_TRUE(Write());
    EXPECT_EQ(*ini.Find("CurrentDir"), "\"C:\\old\"");
}

TEST_F(WindowGroupTest, PositionAndSizeAreWrittenOnlyWhenGiven) {
    LoadText("");
    s.winPosX = 5;
    ASSERT_TRUE(Write());
    EXPECT_EQ(ini.Find("WinPosX"), nullptr);
    EXPECT_EQ(ini.Find("WinWidth"), nullptr);

    WindowPoint pos{10, -20};
    ASSERT_TRUE(Write(&pos, nullptr));
    EXPECT_EQ(*ini.Find("WinPosX"), "10");
    EXPECT_EQ(*ini.Find("WinPosY"), "-20");
    EXPECT_EQ(ini.Find("WinWidth"), nullptr);
    EXPECT_EQ(s.winPosX, 10);

    WindowExtent size{640, 480};
    ASSERT_TRUE(Write(nullptr, &size));
    EXPECT_EQ(*ini.Find("WinWidth"), "640");
    EXPECT_EQ(*ini.Find("WinHeight"), "480");
    EXPECT_EQ(s.winHeight, 480);
}

TEST_F(WindowGroupTest, WritesTheWholeTableInItsOrder) {
    RecordingStore rec;
    WindowPoint pos{1, 2};
    WindowExtent size{3, 4};
    ASSERT_TRUE(WriteWindowSettings(rec, &pos, &size, s, run, cwd.Access()));
    std::vector<std::string> expected = {"WinPosX", "WinPosY", "WinWidth", "WinHeight", "AutoRestore",
                                         "IncludeCursor", "AutoScroll", "AutoCopy", "AutoPrint", "AutoSave"};
    for (const char* prefix : {"Save", "QSave", "ESave"})
        for (const char* o : {"Append", "Interlace", "Transp", "AutoSelBits", "Quality", "QFactor", "BitsPerPixel",
                              "Flags", "Format"})
            expected.push_back(std::string(prefix) + o);
    for (const char* n :
         {"ClipBmpBits", "ClipBmpAutoSel", "ClipBmpFormat", "ClipMinOnCopy", "HideRegionHelp", "WantTrayIcon",
          "QuickSaveCount", "QuickSaveMax", "QuickSaveName", "QuickSaveInc", "QuickSavePrompt", "ScrollUpdateTime",
          "DefEmailName", "CropOutColor", "LastSX", "LastSY", "LastWidth", "LastHeight", "EnableDX", "EnableDXOV",
          "EnableGlide", "DXPostProcess", "DXCardType", "DXOVFormat", "DXGammaCorrect0", "DXGammaCorrect1",
          "DXGammaCorrect2", "HorizRes", "VertRes", "QCrop", "QScale", "QScaleAspect", "QScaleInterpol",
          "QScaleWidth", "QScaleHeight", "QSclWPix", "QSclHPix", "QCropLeft", "QCropTop", "QCropWidth",
          "QCropHeight", "CurrentDir"})
        expected.push_back(n);
    EXPECT_EQ(rec.Names(), expected);
    EXPECT_EQ(rec.openedGroups, (std::vector<std::string>{"Window"}));

    std::map<std::string, RecordingStore::Put> byName;
    for (const RecordingStore::Put& p : rec.puts) byName[p.name] = p;
    for (const char* text : {"QuickSaveName", "DefEmailName", "DXGammaCorrect0", "QScaleWidth", "CurrentDir"}) {
        EXPECT_TRUE(byName[text].text) << text;
        EXPECT_FALSE(byName[text].withZero) << text;
    }
    EXPECT_FALSE(byName["WinPosX"].text);
    EXPECT_EQ(byName["DXGammaCorrect0"].value, "1.000000");
    EXPECT_EQ(byName["DXGammaCorrect1"].value, "1.700000");
    EXPECT_EQ(byName["DXGammaCorrect2"].value, "1.300000");
    EXPECT_EQ(byName["QScaleWidth"].value, "1");
    EXPECT_EQ(byName["CropOutColor"].dword, 0xFFFFFFu);
    EXPECT_EQ(byName["HorizRes"].dword, 96000u);
}

TEST_F(WindowGroupTest, UnknownLinesKeepTheirPlaceWhenWrittenBack) {
    LoadText("\"WinPosX\"  5\r\n\"SomethingElse\"  \"keep\"\r\n\"QuickSaveName\"  \"shot\"\r\n");
    ASSERT_TRUE(Read());
    WindowPoint pos{7, 8};
    ASSERT_TRUE(Write(&pos, nullptr));
    ASSERT_TRUE(ini.Write(true));
    std::string text = ReadText(path);
    EXPECT_EQ(text.rfind("\"WinPosX\"  7\r\n\"SomethingElse\"  \"keep\"\r\n\"QuickSaveName\"  \"shot\"\r\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("\"AutoRestore\"  1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"DXGammaCorrect1\"  \"1.700000\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"CropOutColor\"  16777215\r\n"), std::string::npos);
}

// Every field set away from its default, written, and read back into a
// fresh record, through the file on disk.
TEST_F(WindowGroupTest, EveryValueSurvivesARoundTrip) {
    WindowSettings w;
    w.autoRestore = 0;
    w.includeCursor = 1;
    w.autoScroll = 1;
    w.autoCopy = 1;
    w.autoPrint = 1;
    w.autoSave = 1;
    auto fill = [](SaveOptions& o, int base, int code) {
        o.append = 1;
        o.interlace = 1;
        o.transparent = 1;
        o.autoSelBits = 0;
        o.formatCode = code;
        o.quality = base + 1;
        o.qualityFactor = base + 2;
        o.bitsPerPixel = 24;
        o.flags = base + 4;
    };
    fill(w.save, 10, 2);
    fill(w.quickSave, 20, 10);
    fill(w.emailSave, 30, 79);
    w.clipBmpBits = 3;
    w.clipBmpAutoSel = 1;
    w.clipBmpFormat = 2;
    w.clipMinOnCopy = 1;
    w.hideRegionHelp = 1;
    w.wantTrayIcon = 2;
    w.quickSaveCount = 7;
    w.quickSaveMax = 0;
    w.quickSaveName = "C:\\shots\\cap \"x\"";
    w.quickSaveInc = 0;
    w.quickSavePrompt = 1;
    w.scrollUpdateTime = 5000;
    w.defEmailName = "mail";
    w.cropOutColor = 0x123456;
    w.lastSX = -5;
    w.lastSY = 6;
    w.lastWidth = 700;
    w.lastHeight = 800;
    w.enableDX = 1;
    w.enableDXOV = 1;
    w.enableGlide = 1;
    w.dxPostProcess = 0;
    w.dxCardType = 2;
    w.dxOVFormat = 3;
    w.dxGamma[0] = 0.5;
    w.dxGamma[1] = 2.25;
    w.dxGamma[2] = 3.125;
    w.horizRes = 300000;
    w.vertRes = 150000;
    w.qCrop = 1;
    w.qScale = 1;
    w.qScaleAspect = 0;
    w.qScaleInterpol = 0;
    w.qScaleWidth = 0.75;
    w.qScaleHeight = 640;
    w.qSclWPix = 1;
    w.qSclHPix = 1;
    w.qCropLeft = 11;
    w.qCropTop = 12;
    w.qCropWidth = 13;
    w.qCropHeight = 14;

    LoadText("");
    cwd.current = "C:\\shots";
    WindowPoint pos{-4, 30};
    WindowExtent size{1024, 768};
    ASSERT_TRUE(WriteWindowSettings(store, &pos, &size, w, run, cwd.Access()));
    ASSERT_TRUE(ini.Write(true));

    ASSERT_TRUE(ini.Load(path));
    cwd.current = "C:\\work";
    WindowSettings r;
    ASSERT_TRUE(ReadWindowSettings(store, r, run, cwd.Access()));
    EXPECT_EQ(r.winPosX, -4);
    EXPECT_EQ(r.winPosY, 30);
    EXPECT_EQ(r.winWidth, 1024);
    EXPECT_EQ(r.winHeight, 768);
    EXPECT_EQ(r.autoRestore, 0);
    EXPECT_EQ(r.includeCursor, 1);
    EXPECT_EQ(r.autoScroll, 1);
    EXPECT_EQ(r.autoCopy, 1);
    EXPECT_EQ(r.autoPrint, 1);
    EXPECT_EQ(r.autoSave, 1);
    struct Expect {
        const SaveOptions& o;
        int base, code, row, variant;
    };
    for (const Expect& e : {Expect{r.save, 10, 2, 1, 0}, Expect{r.quickSave, 20, 10, 2, 0},
                            Expect{r.emailSave, 30, 79, 9, 2}}) {
        EXPECT_EQ(e.o.append, 1);
        EXPECT_EQ(e.o.interlace, 1);
        EXPECT_EQ(e.o.transparent, 1);
        EXPECT_EQ(e.o.autoSelBits, 0);
        EXPECT_EQ(e.o.formatCode, e.code);
        EXPECT_EQ(e.o.formatRow, e.row);
        EXPECT_EQ(e.o.variant, e.variant);
        EXPECT_EQ(e.o.quality, e.base + 1);
        EXPECT_EQ(e.o.qualityFactor, e.base + 2);
        EXPECT_EQ(e.o.bitsPerPixel, 24);
        EXPECT_EQ(e.o.flags, e.base + 4);
    }
    EXPECT_EQ(r.clipBmpBits, 3);
    EXPECT_EQ(r.clipBmpAutoSel, 1);
    EXPECT_EQ(r.clipBmpFormat, 2);
    EXPECT_EQ(r.clipMinOnCopy, 1);
    EXPECT_EQ(r.hideRegionHelp, 1);
    EXPECT_EQ(r.wantTrayIcon, 2);
    EXPECT_EQ(r.quickSaveCount, 7);
    EXPECT_EQ(r.quickSaveMax, 0);
    EXPECT_EQ(r.quickSaveName, "C:\\shots\\cap \"x\"");
    EXPECT_EQ(r.quickSaveInc, 0);
    EXPECT_EQ(r.quickSavePrompt, 1);
    EXPECT_EQ(r.scrollUpdateTime, 5000);
    EXPECT_EQ(r.defEmailName, "mail");
    EXPECT_EQ(r.cropOutColor, 0x123456u);
    EXPECT_EQ(r.lastSX, -5);
    EXPECT_EQ(r.lastSY, 6);
    EXPECT_EQ(r.lastWidth, 700);
    EXPECT_EQ(r.lastHeight, 800);
    EXPECT_EQ(r.enableDX, 1);
    EXPECT_EQ(r.enableDXOV, 1);
    EXPECT_EQ(r.enableGlide, 1);
    EXPECT_EQ(r.gameCaptureEnabled, 1);
    EXPECT_EQ(r.dxPostProcess, 0);
    EXPECT_EQ(r.dxCardType, 2);
    EXPECT_EQ(r.dxOVFormat, 3);
    EXPECT_DOUBLE_EQ(r.dxGamma[0], 0.5);
    EXPECT_DOUBLE_EQ(r.dxGamma[1], 2.25);
    EXPECT_DOUBLE_EQ(r.dxGamma[2], 3.125);
    EXPECT_EQ(r.horizRes, 300000);
    EXPECT_EQ(r.vertRes, 150000);
    EXPECT_EQ(r.qCrop, 1);
    EXPECT_EQ(r.qScale, 1);
    EXPECT_EQ(r.qScaleAspect, 0);
    EXPECT_EQ(r.qScaleInterpol, 0);
    EXPECT_DOUBLE_EQ(r.qScaleWidth, 0.75);
    EXPECT_DOUBLE_EQ(r.qScaleHeight, 640);
    EXPECT_EQ(r.qSclWPix, 1);
    EXPECT_EQ(r.qSclHPix, 1);
    EXPECT_EQ(r.qCropLeft, 11);
    EXPECT_EQ(r.qCropTop, 12);
    EXPECT_EQ(r.qCropWidth, 13);
    EXPECT_EQ(r.qCropHeight, 14);
    EXPECT_EQ(r.currentDir, "C:\\shots");
    EXPECT_EQ(cwd.current, "C:\\shots");
}

TEST_F(WindowGroupTest, TheIniStoreOpensEveryGroupOnTheOneList) {
    LoadText("\"PrnScale\"  50000\r\n");
    std::unique_ptr<ValueStore> print = store.OpenForReading(kPrintGroup);
    std::unique_ptr<ValueStore> keys = store.OpenForWriting(kKeysGroup);
    ASSERT_TRUE(print && keys);
    keys->PutText("Desktop Desc", "Ctrl+Shift+F", true);
    uint32_t v = 0;
    EXPECT_TRUE(print->GetDword("PrnScale", &v));
    EXPECT_EQ(v, 50000u);
    std::string desc;
    EXPECT_TRUE(print->GetText("Desktop Desc", &desc, 60));
    EXPECT_EQ(desc, "Ctrl+Shift+F");
    EXPECT_EQ(*ini.Find("Desktop Desc"), "\"Ctrl+Shift+F\"");
    EXPECT_FALSE(print->GetText("Desktop Desc", &desc, 12));  // 12 characters need 13 bytes
    EXPECT_FALSE(print->GetDword("Missing", &v));
    EXPECT_EQ(v, 50000u);
}

TEST(ProcessDirectory, ChangesOnlyToFoldersThatExist) {
    TempDir dir;
    DirectoryAccess d = ProcessDirectoryAccess();
    std::string before = d.current();
    ASSERT_FALSE(before.empty());
    EXPECT_FALSE(d.change((dir.Path() / "missing").string()));
    EXPECT_EQ(d.current(), before);
    ASSERT_TRUE(d.change(dir.Path().string()));
    EXPECT_TRUE(std::filesystem::equivalent(d.current(), dir.Path()));
    ASSERT_TRUE(d.change(before));
    EXPECT_EQ(d.current(), before);
}

}  // namespace
}  // namespace gmbx
