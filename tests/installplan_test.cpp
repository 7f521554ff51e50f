#include "install/installplan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace gmbx::install {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            out.push_back(text.substr(pos) + "<no CRLF>");
            break;
        }
        out.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

TEST(InstallJoinPath, PlainAndQuotedFormsAndEmptyName) {
    EXPECT_EQ(JoinPath("C:\\GlimmerDX", "gmbx.exe"), "C:\\GlimmerDX\\gmbx.exe");
    EXPECT_EQ(JoinPath("C:\\Program Files\\G", "gmbx.exe"), "\"C:\\Program Files\\G\\gmbx.exe\"");
    EXPECT_EQ(JoinPath("C:\\G", "read me.txt"), "\"C:\\G\\read me.txt\"");
    EXPECT_EQ(JoinPath("C:\\Tab\there", "x"), "\"C:\\Tab\there\\x\"");
    // An empty name gives the folder alone, with or without quotes.
    EXPECT_EQ(JoinPath("C:\\GlimmerDX", ""), "C:\\GlimmerDX");
    EXPECT_EQ(JoinPath("C:\\GlimmerDX\\", ""), "C:\\GlimmerDX");
    EXPECT_EQ(JoinPath("C:\\My Tools", ""), "\"C:\\My Tools\"");
    // A drive root keeps its backslash and gets no second one.
    EXPECT_EQ(JoinPath("C:\\", "gmbx.exe"), "C:\\gmbx.exe");
    EXPECT_EQ(JoinPath("C:\\", ""), "C:\\");
}

TEST(InstallJoinPath, CommandProcessorOperatorsAreQuoted) {
    // Unquoted, "del C:\A&B\gmbx.exe" would delete C:\A and run B\gmbx.exe.
    EXPECT_EQ(JoinPath("C:\\A&B", "gmbx.exe"), "\"C:\\A&B\\gmbx.exe\"");
    EXPECT_EQ(JoinPath("C:\\x(86)", "gmbx.exe"), "\"C:\\x(86)\\gmbx.exe\"");
    EXPECT_EQ(JoinPath("C:\\a,b", "gmbx.exe"), "\"C:\\a,b\\gmbx.exe\"");
    EXPECT_FALSE(NeedsQuotes("C:\\Plain_Folder-1.0\\gmbx.exe"));
}

TEST(InstallNames, PatternsMatchWholeNamesWithoutCase) {
    EXPECT_TRUE(NameMatches("GmbxRes.dll", "*.dll"));
    EXPECT_TRUE(NameMatches("DIBKIT.DLL", "*.dll"));
    EXPECT_TRUE(NameMatches("gmbx.exe", "GMBX.EXE"));
    EXPECT_TRUE(NameMatches("a.b.dll", "*.dll"));
    EXPECT_TRUE(NameMatches("x1.dll", "x?.dll"));
    // The system's search also finds these through their short names.
    EXPECT_FALSE(NameMatches("old.dllbak", "*.dll"));
    EXPECT_FALSE(NameMatches("gmbx.exe.old", "gmbx.exe"));
    EXPECT_FALSE(NameMatches("x12.dll", "x?.dll"));
    // Nothing outside the folder.
    EXPECT_FALSE(NameMatches("..\\evil.dll", "*.dll"));
    EXPECT_FALSE(NameMatches("a.dll", "..\\*.dll"));
}

TEST(InstallNames, CopyOrderAndKeyFiles) {
    std::ostringstream order;
    int keys = 0;
    for (const CopyStep& s : CopySteps()) {
        order << (*s.subFolder ? std::string(s.subFolder) + "\\" : "") << s.pattern << ";";
        keys += s.keyFile;
    }
    EXPECT_EQ(order.str(),
              "file_id.diz;readme.txt;OldHook.dll;OldHook2.dll;gmbx.exe;gmbx.hlp;gmbx.cnt;*.dll;gmbx.ini;Pixmill\\*.dll;");
    EXPECT_EQ(keys, 4);  // gmbx.exe, gmbx.hlp, gmbx.cnt and *.dll
}

TEST(InstallFolders, DefaultFolderOnTheWindowsDrive) {
    std::string root;
    EXPECT_EQ(DefaultFolder("C:\\WINDOWS", &root), "C:\\GlimmerDX");
    EXPECT_EQ(root, "C:\\");
    EXPECT_EQ(DefaultFolder("D:\\Win\\Sys"), "D:\\GlimmerDX");
}

TEST(InstallFolders, TidyAndCompare) {
    EXPECT_EQ(TidyFolder("  C:\\Tools\\Gmbx\\\\ "), "C:\\Tools\\Gmbx");
    EXPECT_EQ(TidyFolder("C:\\"), "C:\\");
    EXPECT_EQ(TidyFolder("   "), "");
    EXPECT_TRUE(SameFolder("C:\\Tools\\GMBX", "c:\\tools\\gmbx\\"));
    EXPECT_TRUE(SameFolder("C:/Tools/gmbx", "c:\\tools\\gmbx"));
    EXPECT_FALSE(SameFolder("C:\\Tools\\gmbx", "C:\\Tools\\gmbx2"));
}

BatchParams Params(const std::string& folder) {
    BatchParams p;
    p.folder = folder;
    p.windowsDir = "C:\\WINDOWS";
    p.windowsNt = true;
    p.echo[0] = "Removed.";
    p.echo[1] = "Group & settings too.";
    p.echo[2] = "Thanks.";
    return p;
}

TEST(InstallBatch, EveryLineInOrder) {
    std::vector<std::string> l = Lines(UninstallBatchText(Params("C:\\GlimmerDX")));
    const std::vector<std::string> expected = {
        "@echo off",
        "C:\\GlimmerDX\\gmbx.exe -uninstall",
        "if errorlevel 1 goto finish",
        "attrib -r -s -h C:\\GlimmerDX\\Glimmer.exe", "del C:\\GlimmerDX\\Glimmer.exe",
        "attrib -r -s -h C:\\GlimmerDX\\setup.bat", "del C:\\GlimmerDX\\setup.bat",
        "attrib -r -s -h C:\\GlimmerDX\\setup.exe", "del C:\\GlimmerDX\\setup.exe",
        "attrib -r -s -h C:\\GlimmerDX\\file_id.diz", "del C:\\GlimmerDX\\file_id.diz",
        "attrib -r -s -h C:\\GlimmerDX\\gmbx.exe", "del C:\\GlimmerDX\\gmbx.exe",
        "attrib -r -s -h C:\\GlimmerDX\\gmbx.hlp", "del C:\\GlimmerDX\\gmbx.hlp",
        "attrib -r -s -h C:\\GlimmerDX\\gmbx.cnt", "del C:\\GlimmerDX\\gmbx.cnt",
        "attrib -r -s -h C:\\GlimmerDX\\gmbx.GID", "del /a:h C:\\GlimmerDX\\gmbx.GID", "del C:\\GlimmerDX\\gmbx.GID",
        "attrib -r -s -h C:\\GlimmerDX\\gmbx.ini", "del C:\\GlimmerDX\\gmbx.ini",
        "attrib -r -s -h C:\\GlimmerDX\\readme.txt", "del C:\\GlimmerDX\\readme.txt",
        "attrib -r -s -h C:\\GlimmerDX\\OldHook.dll", "del C:\\GlimmerDX\\OldHook.dll",
        "attrib -r -s -h C:\\GlimmerDX\\OldHook2.dll", "del C:\\GlimmerDX\\OldHook2.dll",
        "attrib -r -s -h C:\\GlimmerDX\\framegrip.dll", "del C:\\GlimmerDX\\framegrip.dll",
        "attrib -r -s -h C:\\GlimmerDX\\GmbxRes.dll", "del C:\\GlimmerDX\\GmbxRes.dll",
        "attrib -r -s -h C:\\GlimmerDX\\Dibkit.dll", "del C:\\GlimmerDX\\Dibkit.dll",
        "del C:\\GlimmerDX\\Pixmill\\*.dll",
        "rmdir C:\\GlimmerDX\\Pixmill",
        "rmdir C:\\GlimmerDX",
        "attrib -r -s -h C:\\WINDOWS\\gmbx.INI", "del C:\\WINDOWS\\gmbx.INI",
        "cls",
        "echo Removed.", "echo Group ^& settings too.", "echo Thanks.", "echo.",
        "del C:\\WINDOWS\\UnGMBX.bat",
        ":finish",
    };
    EXPECT_EQ(l, expected);
}

TEST(InstallBatch, FolderWithBlanksIsQuotedEverywhere) {
    std::vector<std::string> l = Lines(UninstallBatchText(Params("D:\\My Tools\\Gmbx")));
    EXPECT_EQ(l[1], "\"D:\\My Tools\\Gmbx\\gmbx.exe\" -uninstall");
    for (const std::string& line : l) {
        if (line.find("My Tools") == std::string::npos) continue;
        size_t q = line.find('"');
        ASSERT_NE(q, std::string::npos) << line;
        EXPECT_EQ(line.back() == '"' || line.find("\" -uninstall") != std::string::npos, true) << line;
    }
    EXPECT_NE(std::find(l.begin(), l.end(), "rmdir \"D:\\My Tools\\Gmbx\""), l.end());
    EXPECT_NE(std::find(l.begin(), l.end(), "del \"D:\\My Tools\\Gmbx\\Pixmill\\*.dll\""), l.end());
    // The Windows directory needs no quotes here.
    EXPECT_NE(std::find(l.begin(), l.end(), "del C:\\WINDOWS\\gmbx.INI"), l.end());
}

TEST(InstallBatch, OlderSystemsWaitForTheProgramAndPercentIsKeptLiteral) {
    BatchParams p = Params("C:\\100%Tools");
    p.windowsNt = false;
    p.windowsDir = "C:\\My Windows";
    std::vector<std::string> l = Lines(UninstallBatchText(p));
    EXPECT_EQ(l[1], "start /wait C:\\100%%Tools\\gmbx.exe -uninstall");
    EXPECT_NE(std::find(l.begin(), l.end(), "del \"C:\\My Windows\\gmbx.INI\""), l.end());
    EXPECT_EQ(l[l.size() - 2], "del \"C:\\My Windows\\UnGMBX.bat\"");
}

TEST(InstallGroup, CommandsOfInstallAndUninstall) {
    std::vector<std::string> in =
        InstallGroupCommands("Glimmerbox", "C:\\My Tools", "C:\\WINDOWS\\UnGMBX.bat", true);
    const std::vector<std::string> expected = {
        "[CreateGroup(Glimmerbox)]",
        "[ShowGroup(Glimmerbox,1)]",
        "[ReplaceItem(Glimmerbox)]",
        "[AddItem(\"C:\\My Tools\\gmbx.exe\",Glimmerbox)]",
        "[ReplaceItem(Glimmerbox Help)]",
        "[AddItem(\"C:\\My Tools\\gmbx.hlp\",Glimmerbox Help)]",
        "[ReplaceItem(Glimmerbox README)]",
        "[AddItem(notepad \"C:\\My Tools\\readme.txt\",Glimmerbox README)]",
        "[ReplaceItem(Uninstall Glimmerbox)]",
        "[AddItem(C:\\WINDOWS\\UnGMBX.bat,Uninstall Glimmerbox,,,,,,,1)]",
        "[Reload(Glimmerbox)]",
    };
    EXPECT_EQ(in, expected);
    // A percent sign in the product name is kept as it is.
    EXPECT_EQ(InstallGroupCommands("G%s", "C:\\G", "C:\\W\\U.bat", false)[9], "[AddItem(C:\\W\\U.bat,Uninstall G%s,,,,,,,0)]");
    const std::vector<std::string> out = {
        "[ShowGroup(Glimmerbox,1)]",          "[DeleteItem(Glimmerbox)]",
        "[DeleteItem(Glimmerbox Help)]",      "[DeleteItem(Glimmerbox README)]",
        "[DeleteItem(Uninstall Glimmerbox)]", "[DeleteGroup(Glimmerbox)]",
    };
    EXPECT_EQ(UninstallGroupCommands("Glimmerbox"), out);
}

}  // namespace
}  // namespace gmbx::install
