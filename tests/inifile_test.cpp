// The in-memory settings file gmbx.ini: loading, lookups, registry-style
// values and the replace-in-one-step write.
#include "capture/inifile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

namespace fs = std::filesystem;
using testutil::TempDir;

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = testutil::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool WriteText(const std::string& path, const std::string& text) {
    return testutil::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<std::string> Names(const IniFile& f) {
    std::vector<std::string> names;
    for (const IniFile::Pair& p : f.Pairs()) names.push_back(p.name);
    return names;
}

class IniFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("gmbx.ini");
    IniFile ini;

    // Loads the text from the file, and checks that the reader over memory
    // gives the same pairs.
    void LoadText(const std::string& text) {
        ASSERT_TRUE(WriteText(path, text));
        ASSERT_TRUE(ini.Load(path));
        IniFile memory;
        memory.LoadFromMemory(text.data(), text.size());
        ASSERT_EQ(Dump(memory), Dump(ini));
    }

    static std::vector<std::string> Dump(const IniFile& f) {
        std::vector<std::string> out;
        for (const IniFile::Pair& p : f.Pairs()) out.push_back(p.name + '|' + p.value);
        return out;
    }
};

TEST_F(IniFileTest, LoadsNameAndValuePairsInFileOrder) {
    LoadText("\"QuickSaveName\"  \"shot\"\r\n\"WinPosX\"  12\r\n\"Unknown\"  \"x y\"\r\n");
    ASSERT_EQ(ini.Pairs().size(), 3u);
    EXPECT_EQ(Names(ini), (std::vector<std::string>{"QuickSaveName", "WinPosX", "Unknown"}));
    EXPECT_EQ(*ini.Find("QuickSaveName"), "\"shot\"");
    EXPECT_EQ(*ini.Find("WinPosX"), "12");
    EXPECT_EQ(*ini.Find("Unknown"), "\"x y\"");
    EXPECT_EQ(ini.Path(), path);
}

TEST_F(IniFileTest, LookupIgnoresCase) {
    LoadText("\"quicksavename\"  \"shot\"\r\n");
    ASSERT_NE(ini.Find("QuickSaveName"), nullptr);
    EXPECT_EQ(*ini.Find("QUICKSAVENAME"), "\"shot\"");
    EXPECT_EQ(ini.Find("QuickSaveNam"), nullptr);
    EXPECT_EQ(ini.Find("QuickSaveNames"), nullptr);
}

TEST_F(IniFileTest, LinesNotBeginningWithAQuoteAreSkipped) {
    LoadText(" \"QuickSaveName\"  \"blank\"\r\n"
             "\t\"WinPosX\"  1\r\n"
             "; comment\r\n"
             "\r\n"
             "[Window]\r\n"
             "QuickSaveName=\"x\"\r\n"
             "\"WinPosY\"  2\r\n");
    EXPECT_EQ(Names(ini), (std::vector<std::string>{"WinPosY"}));
}

TEST_F(IniFileTest, ANameWithoutItsClosingQuoteIsSkipped) {
    LoadText("\"Broken  7\r\n\"Good\"  8\r\n\"\r\n");
    EXPECT_EQ(Names(ini), (std::vector<std::string>{"Good"}));
}

TEST_F(IniFileTest, ValueStartsAfterBlanksAndTabsAndLosesOnlyTrailingLineEnds) {
    LoadText("\"A\" \t \t5\r\r\n"
             "\"B\"\"t\"\n"
             "\"C\"\n"
             "\"D\"  7  \r\n"
             "\"E\"  last line without end");
    EXPECT_EQ(*ini.Find("A"), "5");
    EXPECT_EQ(*ini.Find("B"), "\"t\"");
    EXPECT_EQ(*ini.Find("C"), "");
    EXPECT_EQ(*ini.Find("D"), "7  ");
    EXPECT_EQ(*ini.Find("E"), "last line without end");
}

TEST_F(IniFileTest, LongLinesKeepTheirFirst1023CharactersAndNoMore) {
    std::string longValue = "\"" + std::string(2000, 'x') + "\"";
    // The rest of the long line must not come back as a line of its own.
    std::string tail = "\"Injected\"  1";
    LoadText("\"Long\"  " + longValue + tail + "\r\n\"Next\"  5\r\n");
    EXPECT_EQ(Names(ini), (std::vector<std::string>{"Long", "Next"}));
    EXPECT_EQ(ini.Find("Long")->size(), kIniMaxLine - std::strlen("\"Long\"  "));
    EXPECT_EQ(*ini.Find("Next"), "5");
}

TEST_F(IniFileTest, AZeroByteEndsTheLineText) {
    static const char kText[] = "\"A\"  12\0\"B\"  3\r\n\"C\"  4\r\n";
    LoadText(std::string(kText, sizeof kText - 1));
    EXPECT_EQ(Names(ini), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(*ini.Find("A"), "12");
}

TEST_F(IniFileTest, DuplicatesGiveTwoPairsAndLookupsFindTheFirst) {
    LoadText("\"WinPosX\"  1\r\n\"winposx\"  2\r\n");
    EXPECT_EQ(ini.Pairs().size(), 2u);
    EXPECT_EQ(*ini.Find("WinPosX"), "1");
    ini.Put("WINPOSX", "3");
    EXPECT_EQ(ini.Pairs().front().value, "3");
    EXPECT_EQ(ini.Pairs().back().value, "2");
}

TEST_F(IniFileTest, PutReplacesInPlaceOrAppends) {
    LoadText("\"A\"  1\r\n\"B\"  2\r\n");
    ini.Put("a", "10");
    ini.Put("C", "\"c\"");
    EXPECT_EQ(Names(ini), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(*ini.Find("A"), "10");
}

TEST_F(IniFileTest, LoadingAMissingFileFailsWithAnEmptyListAndRemembersThePath) {
    LoadText("\"A\"  1\r\n");
    std::string missing = dir.File("none.ini");
    EXPECT_FALSE(ini.Load(missing));
    EXPECT_TRUE(ini.Pairs().empty());
    EXPECT_EQ(ini.Path(), missing);
}

TEST_F(IniFileTest, LoadingClearsThePreviousList) {
    LoadText("\"A\"  1\r\n");
    std::string other = dir.File("other.ini");
    ASSERT_TRUE(WriteText(other, "\"B\"  2\r\n"));
    ASSERT_TRUE(ini.Load(other));
    EXPECT_EQ(Names(ini), (std::vector<std::string>{"B"}));
}

TEST_F(IniFileTest, GetValueOfAnAbsentNameFails) {
    LoadText("");
    uint32_t type = 0, length = 4, v = 0;
    EXPECT_EQ(ini.GetValue("WinPosX", &type, &v, &length), kValueFailed);
}

TEST_F(IniFileTest, GetValueOfATextDropsTheQuotesAndNeedsLengthMinusOneBytes) {
    LoadText("\"Name\"  \"shot\"\r\n");
    uint32_t type = 0, length = 0;
    EXPECT_EQ(ini.GetValue("Name", &type, nullptr, &length), kValueOk);
    EXPECT_EQ(type, kValueText);
    EXPECT_EQ(length, 5u);  // "\"shot\"" is 6 characters

    char buf[8];
    std::memset(buf, '#', sizeof buf);
    length = 5;
    EXPECT_EQ(ini.GetValue("Name", &type, buf, &length), kValueOk);
    EXPECT_STREQ(buf, "shot");
    EXPECT_EQ(length, 5u);

    length = 4;
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(ini.GetValue("Name", &type, buf, &length), kValueMoreData);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(buf[0], '#');
}

TEST_F(IniFileTest, GetValueDropsTheLastCharacterWhateverItIs) {
    LoadText("\"Open\"  \"abc\r\n\"Quote\"  \"\r\n\"Inner\"  \"a\"b\"\r\n");
    char buf[16];
    uint32_t type = 0, length = sizeof buf;
    ASSERT_EQ(ini.GetValue("Open", &type, buf, &length), kValueOk);
    EXPECT_STREQ(buf, "ab");
    length = sizeof buf;
    ASSERT_EQ(ini.GetValue("Quote", &type, buf, &length), kValueOk);
    EXPECT_EQ(type, kValueText);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(length, 1u);
    length = sizeof buf;
    ASSERT_EQ(ini.GetValue("Inner", &type, buf, &length), kValueOk);
    EXPECT_STREQ(buf, "a\"b");
}

TEST_F(IniFileTest, GetValueOfANumberIsADwordOfFourBytes) {
    LoadText("\"N\"  -17\r\n\"Abc\"  abc\r\n\"Big\"  4294967295\r\n\"Huge\"  99999999999\r\n\"Low\"  -99999999999\r\n"
             "\"Lead\"  12abc\r\n");
    uint32_t type = 0, v = 0, length = 4;
    ASSERT_EQ(ini.GetValue("N", &type, &v, &length), kValueOk);
    EXPECT_EQ(type, kValueDword);
    EXPECT_EQ(int32_t(v), -17);
    EXPECT_EQ(length, 4u);

    length = 4;
    ASSERT_EQ(ini.GetValue("Abc", &type, &v, &length), kValueOk);
    EXPECT_EQ(v, 0u);
    length = 4;
    ASSERT_EQ(ini.GetValue("Big", &type, &v, &length), kValueOk);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    length = 4;
    ASSERT_EQ(ini.GetValue("Huge", &type, &v, &length), kValueOk);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    length = 4;
    ASSERT_EQ(ini.GetValue("Low", &type, &v, &length), kValueOk);
    EXPECT_EQ(v, 0x80000000u);
    length = 4;
    ASSERT_EQ(ini.GetValue("Lead", &type, &v, &length), kValueOk);
    EXPECT_EQ(v, 12u);

    uint8_t small[3] = {0, 0, 0};
    length = 3;
    EXPECT_EQ(ini.GetValue("N", &type, small, &length), kValueMoreData);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(small[0], 0);

    length = 0;
    EXPECT_EQ(ini.GetValue("N", &type, nullptr, &length), kValueOk);
    EXPECT_EQ(length, 4u);
}

TEST(DecimalValue, ReadsAsAtoiDoesWithin32Bits) {
    EXPECT_EQ(DecimalValue(""), 0u);
    EXPECT_EQ(DecimalValue("  +42x"), 42u);
    EXPECT_EQ(DecimalValue("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(DecimalValue("-2147483648"), 0x80000000u);
    EXPECT_EQ(DecimalValue("16777215"), 0xFFFFFFu);
    EXPECT_EQ(DecimalValue("- 5"), 0u);
}

TEST_F(IniFileTest, PutValueQuotesTextsAndFormatsDwords) {
    LoadText("");
    EXPECT_EQ(ini.PutValue("T", kValueText, "shot", 4), kValueOk);
    EXPECT_EQ(*ini.Find("T"), "\"shot\"");
    EXPECT_EQ(ini.PutValue("Z", kValueText, "with zero", 10), kValueOk);
    EXPECT_EQ(*ini.Find("Z"), "\"with zero\"");
    EXPECT_EQ(ini.PutValue("Cut", kValueText, "abcdef", 3), kValueOk);
    EXPECT_EQ(*ini.Find("Cut"), "\"abc\"");
    EXPECT_EQ(ini.PutValue("Empty", kValueText, "", 0), kValueOk);
    EXPECT_EQ(*ini.Find("Empty"), "\"\"");

    uint32_t minus5 = uint32_t(-5), white = 0xFFFFFF, top = 0xFFFFFFFF;
    EXPECT_EQ(ini.PutValue("D", kValueDword, &minus5, 4), kValueOk);
    EXPECT_EQ(*ini.Find("D"), "-5");
    EXPECT_EQ(ini.PutValue("W", kValueDword, &white, 4), kValueOk);
    EXPECT_EQ(*ini.Find("W"), "16777215");
    EXPECT_EQ(ini.PutValue("Top", kValueDword, &top, 4), kValueOk);
    EXPECT_EQ(*ini.Find("Top"), "-1");
    EXPECT_EQ(ini.PutValue("Short", kValueDword, &white, 2), kValueFailed);
    EXPECT_EQ(ini.Find("Short"), nullptr);

    const uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(ini.PutValue("Bin", 3 /* binary */, bytes, 4), kValueFailed);
    EXPECT_EQ(ini.PutValue("Multi", 7 /* multi-string */, "a\0b\0", 4), kValueFailed);
    EXPECT_EQ(ini.Find("Bin"), nullptr);

    // What was put reads back the same.
    char buf[16];
    uint32_t type = 0, length = sizeof buf;
    ASSERT_EQ(ini.GetValue("T", &type, buf, &length), kValueOk);
    EXPECT_STREQ(buf, "shot");
    uint32_t v = 0;
    length = 4;
    ASSERT_EQ(ini.GetValue("D", &type, &v, &length), kValueOk);
    EXPECT_EQ(v, minus5);
}

TEST_F(IniFileTest, WriteProducesQuotedNamesTwoBlanksAndCrLf) {
    LoadText("\"A\"  1\n\"Unknown\"   \"keep me\"\n\"B\"  \"b\"\n");
    ini.Put("B", "\"bee\"");
    ini.Put("New", "-3");
    const std::string expected = "\"A\"  1\r\n\"Unknown\"  \"keep me\"\r\n\"B\"  \"bee\"\r\n\"New\"  -3\r\n";
    EXPECT_EQ(ini.Text(), expected);
    ASSERT_TRUE(ini.Write(true));
    EXPECT_TRUE(ini.Pairs().empty());
    EXPECT_EQ(ReadText(path), expected);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(IniFileTest, WriteAndLoadRoundTrip) {
    LoadText("");
    for (int i = 0; i < 50; ++i) {
        uint32_t v = uint32_t(i * 1000 - 7);
        ini.PutValue(("N" + std::to_string(i)).c_str(), kValueDword, &v, 4);
        std::string t = "text " + std::to_string(i);
        ini.PutValue(("T" + std::to_string(i)).c_str(), kValueText, t.c_str(), uint32_t(t.size()));
    }
    std::list<IniFile::Pair> before = ini.Pairs();
    ASSERT_TRUE(ini.Write(true));
    ASSERT_TRUE(ini.Load(path));
    ASSERT_EQ(ini.Pairs().size(), before.size());
    auto a = before.begin();
    for (const IniFile::Pair& p : ini.Pairs()) {
        EXPECT_EQ(p.name, a->name);
        EXPECT_EQ(p.value, a->value);
        ++a;
    }
}

TEST_F(IniFileTest, ReadingFromMemoryKeepsThePathAndReplacesTheList) {
    LoadText("\"A\"  1\r\n");
    ini.LoadFromMemory("\"B\"  2", 7);
    EXPECT_EQ(ini.Path(), path);
    EXPECT_EQ(Dump(ini), (std::vector<std::string>{"B|2"}));
    ini.LoadFromMemory(nullptr, 0);
    EXPECT_TRUE(ini.Pairs().empty());
}

TEST_F(IniFileTest, WriteWithoutTheFlagOnlyClears) {
    LoadText("\"A\"  1\r\n");
    ini.Put("A", "2");
    EXPECT_TRUE(ini.Write(false));
    EXPECT_TRUE(ini.Pairs().empty());
    EXPECT_EQ(ReadText(path), "\"A\"  1\r\n");
}

TEST_F(IniFileTest, WriteCreatesAMissingFile) {
    std::string fresh = dir.File("fresh.ini");
    EXPECT_FALSE(ini.Load(fresh));
    ini.Put("A", "1");
    ASSERT_TRUE(ini.Write(true));
    EXPECT_EQ(ReadText(fresh), "\"A\"  1\r\n");
}

TEST_F(IniFileTest, WriteFailsWhenTheFileCannotBeCreated) {
    std::string nowhere = (dir.Path() / "no such folder" / "gmbx.ini").string();
    EXPECT_FALSE(ini.Load(nowhere));
    ini.Put("A", "1");
    EXPECT_FALSE(ini.Write(true));
    EXPECT_TRUE(ini.Pairs().empty());
    EXPECT_FALSE(fs::exists(nowhere));

    IniFile never;
    never.Put("A", "1");
    EXPECT_FALSE(never.Write(true));
    EXPECT_TRUE(never.Pairs().empty());
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFileIntact) {
    const std::string old = "\"QuickSaveName\"  \"precious\"\r\n";
    LoadText(old);
    // The temporary file cannot be created: a folder holds its name.
    ASSERT_TRUE(fs::create_directory(path + ".tmp"));
    ini.Put("QuickSaveName", "\"replacement\"");
    EXPECT_FALSE(ini.Write(true));
    EXPECT_TRUE(ini.Pairs().empty());
    EXPECT_EQ(ReadText(path), old);
}

TEST_F(IniFileTest, AStaleTemporaryFileIsReplaced) {
    LoadText("\"A\"  1\r\n");
    ASSERT_TRUE(WriteText(path + ".tmp", std::string(5000, 'z')));
    ini.Put("A", "2");
    ASSERT_TRUE(ini.Write(true));
    EXPECT_EQ(ReadText(path), "\"A\"  2\r\n");
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

#ifndef _WIN32
// A write that runs out of room half-way (the file-size limit stands in for
// a full disk) fails and leaves both the old file and no temporary behind.
TEST_F(IniFileTest, AWriteThatFailsHalfWayLeavesTheOldFileIntact) {
    const std::string old = "\"A\"  1\r\n";
    LoadText(old);
    for (int i = 0; i < 200; ++i) ini.Put(("Name" + std::to_string(i)).c_str(), "\"" + std::string(40, 'v') + "\"");

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = ini.Write(true);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadText(path), old);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}
#endif

TEST(SettingsFileBeside, TakesTheFolderOfTheHelpFilePath) {
    EXPECT_EQ(SettingsFileBeside("c:\\program files\\glimmerbox\\gmbx.hlp"), "c:\\program files\\glimmerbox\\gmbx.ini");
    EXPECT_EQ(SettingsFileBeside("z:\\work\\build/gmbx.hlp"), "z:\\work\\build/gmbx.ini");
    EXPECT_EQ(SettingsFileBeside("c:gmbx.hlp"), "c:gmbx.ini");
    EXPECT_EQ(SettingsFileBeside("gmbx.hlp"), "gmbx.ini");
    EXPECT_EQ(SettingsFileBeside(""), "gmbx.ini");
}

}  // namespace
}  // namespace gmbx
