// Argument vector and module path of the klib process frame.
#include "klib/args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace klib {
namespace {

// A mutable argument vector like the C runtime's, with the closing null.
struct Argv {
    std::vector<std::string> text;
    std::vector<char*> ptrs;

    Argv(std::initializer_list<const char*> list) {
        text.push_back("c:/glimmerbox/gmbx.exe");
        for (const char* a : list) text.push_back(a);
        for (std::string& s : text) ptrs.push_back(&s[0]);
        ptrs.push_back(nullptr);
    }
    int argc() const { return int(text.size()); }
    char** argv() { return ptrs.data(); }

    std::vector<std::string> Left(int n) const {
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) out.push_back(ptrs[i]);
        return out;
    }
};

using Strings = std::vector<std::string>;

TEST(ArgsPrepare, NothingToDo) {
    Argv a({"-snap", "out.bmp"});
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
    EXPECT_EQ(r.argc, 3);
    EXPECT_EQ(a.Left(3), (Strings{"c:/glimmerbox/gmbx.exe", "-snap", "out.bmp"}));
    EXPECT_EQ(a.ptrs[3], nullptr);
    EXPECT_FALSE(r.openDebugWindow);
    EXPECT_EQ(r.showState, 1);
    EXPECT_FALSE(r.cutAtYipc);
    EXPECT_EQ(r.ipcMode, -1);
    EXPECT_FALSE(r.HasParent());
}

TEST(ArgsPrepare, OnlyTheProgram) {
    Argv a({});
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 10);
    EXPECT_EQ(r.argc, 1);
    EXPECT_EQ(a.ptrs[1], nullptr);
    EXPECT_EQ(r.showState, 10);
}

TEST(ArgsPrepare, DebugwinAndIconicRemovedWithPrefixes) {
    Argv a({"-debugwin", "-hidden", "-iconic", "-debugwin2", "-iconicX", "-snap", "-iconic"});
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
    EXPECT_TRUE(r.openDebugWindow);
    EXPECT_EQ(r.showState, kIconicShowState);
    EXPECT_EQ(r.argc, 3);
    EXPECT_EQ(a.Left(3), (Strings{"c:/glimmerbox/gmbx.exe", "-hidden", "-snap"}));
    EXPECT_EQ(a.ptrs[3], nullptr);
}

TEST(ArgsPrepare, IconicAloneKeepsDebugWindowClosed) {
    Argv a({"pic.bmp", "-iconic"});
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 5);
    EXPECT_FALSE(r.openDebugWindow);
    EXPECT_EQ(r.showState, 6);
    EXPECT_EQ(r.argc, 2);
    EXPECT_EQ(a.Left(2), (Strings{"c:/glimmerbox/gmbx.exe", "pic.bmp"}));
    EXPECT_EQ(a.ptrs[2], nullptr);
}

TEST(ArgsPrepare, MatchesOnlyAtTheBeginningAndCaseSensitive) {
    Argv a({"x-debugwin", "-Iconic", "-debug", "-icon"});
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
    EXPECT_FALSE(r.openDebugWindow);
    EXPECT_EQ(r.showState, 1);
    EXPECT_EQ(r.argc, 5);
}

TEST(ArgsPrepare, ProgramEntryIsNeverRemoved) {
    Argv a({"-hidden"});
    a.text[0] = "-debugwin";
    a.ptrs[0] = &a.text[0][0];
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
    EXPECT_FALSE(r.openDebugWindow);
    EXPECT_EQ(r.argc, 2);
    EXPECT_STREQ(a.ptrs[0], "-debugwin");
}

TEST(ArgsPrepare, YipcWithDigitReportsParentAndCuts) {
    Argv a({"-hidden", "-yipc2", "parentsvc", "17", "-snap"});
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
    EXPECT_TRUE(r.cutAtYipc);
    EXPECT_EQ(r.ipcMode, 2);
    ASSERT_NE(r.parentService, nullptr);
    EXPECT_STREQ(r.parentService, "parentsvc");
    EXPECT_EQ(r.childNumber, 17);
    EXPECT_TRUE(r.HasParent());
    EXPECT_EQ(r.argc, 2);
    EXPECT_EQ(a.Left(2), (Strings{"c:/glimmerbox/gmbx.exe", "-hidden"}));
    EXPECT_EQ(a.ptrs[2], nullptr);
}

TEST(ArgsPrepare, YipcDigitsZeroToThree) {
    for (char d : std::string("0123")) {
        std::string opt = std::string("-yipc") + d;
        Argv a({opt.c_str(), "svc", "1"});
        PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
        EXPECT_EQ(r.ipcMode, d - '0') << opt;
        EXPECT_EQ(r.argc, 1) << opt;
    }
}

TEST(ArgsPrepare, YipcWithoutValidDigitStillCuts) {
    for (const char* opt : {"-yipc", "-yipc4", "-yipcx", "-yipc9"}) {
        Argv a({"-nopro", opt, "svc", "3"});
        PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
        EXPECT_TRUE(r.cutAtYipc) << opt;
        EXPECT_EQ(r.ipcMode, -1) << opt;
        EXPECT_EQ(r.parentService, nullptr) << opt;
        EXPECT_EQ(r.childNumber, 0) << opt;
        EXPECT_FALSE(r.HasParent()) << opt;
        EXPECT_EQ(r.argc, 2) << opt;
        EXPECT_EQ(a.ptrs[2], nullptr) << opt;
    }
}

TEST(ArgsPrepare, OnlyTheFirstYipcCounts) {
    Argv a({"-yipc1", "first", "4", "-yipc3", "second", "9"});
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
    EXPECT_EQ(r.ipcMode, 1);
    EXPECT_STREQ(r.parentService, "first");
    EXPECT_EQ(r.childNumber, 4);
    EXPECT_EQ(r.argc, 1);
}

TEST(ArgsPrepare, YipcWithMissingFollowers) {
    Argv noService({"-yipc0"});
    PreparedArgs r = PrepareArguments(noService.argc(), noService.argv(), 1);
    EXPECT_EQ(r.ipcMode, 0);
    EXPECT_EQ(r.parentService, nullptr);
    EXPECT_EQ(r.childNumber, 0);
    EXPECT_FALSE(r.HasParent());
    EXPECT_EQ(r.argc, 1);

    Argv noNumber({"-yipc1", "svc"});
    r = PrepareArguments(noNumber.argc(), noNumber.argv(), 1);
    EXPECT_STREQ(r.parentService, "svc");
    EXPECT_EQ(r.childNumber, 0);
    EXPECT_TRUE(r.HasParent());

    Argv badNumber({"-yipc1", "svc", "abc"});
    r = PrepareArguments(badNumber.argc(), badNumber.argv(), 1);
    EXPECT_EQ(r.childNumber, 0);
}

TEST(ArgsPrepare, SwitchesAreRemovedBeforeYipcIsHandled) {
    // -debugwin after -yipc is still honoured and does not shift the
    // parent's arguments; -iconic between them is skipped over.
    Argv a({"-snap", "-yipc2", "-iconic", "svc", "5", "-debugwin"});
    PreparedArgs r = PrepareArguments(a.argc(), a.argv(), 1);
    EXPECT_TRUE(r.openDebugWindow);
    EXPECT_EQ(r.showState, 6);
    EXPECT_STREQ(r.parentService, "svc");
    EXPECT_EQ(r.childNumber, 5);
    EXPECT_EQ(r.argc, 2);
    EXPECT_EQ(a.Left(2), (Strings{"c:/glimmerbox/gmbx.exe", "-snap"}));
    EXPECT_EQ(a.ptrs[2], nullptr);
}

TEST(ArgsModulePath, LowerCaseForwardSlashes) {
    EXPECT_EQ(ModulePathFromSystem("C:\\Program Files\\Glimmerbox\\GMBX.EXE"),
              "c:/program files/glimmerbox/gmbx.exe");
    EXPECT_EQ(ModulePathFromSystem(""), "");
    EXPECT_EQ(ModulePathFromSystem(nullptr), "");
}

TEST(ArgsModulePath, AtMost255Characters) {
    std::string longPath = "C:\\" + std::string(300, 'A');
    std::string m = ModulePathFromSystem(longPath.c_str());
    EXPECT_EQ(m.size(), kMaxModulePath);
    EXPECT_EQ(m.substr(0, 3), "c:/");
    EXPECT_EQ(m[254], 'a');
}

TEST(ArgsBaseName, LastComponentWithoutExtension) {
    EXPECT_EQ(BaseNameOf("c:/program files/glimmerbox/gmbx.exe"), "gmbx");
    EXPECT_EQ(BaseNameOf("c:/tools/gmbx.v2.exe"), "gmbx");
    EXPECT_EQ(BaseNameOf("c:/my.dir/gmbx"), "gmbx");
    EXPECT_EQ(BaseNameOf("gmbx.exe"), "gmbx");
    EXPECT_EQ(BaseNameOf("c:/tools/"), "");
    EXPECT_EQ(BaseNameOf(""), "");
}

}  // namespace
}  // namespace klib
