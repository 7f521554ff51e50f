// The stored print options.
#include "capture/printoptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

using testutil::TempDir;

bool WriteText(const std::string& path, const std::string& text) {
    return testutil::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A store without any group, which also cannot create one.
class NoStore : public SettingsStore {
public:
    std::unique_ptr<ValueStore> OpenForReading(const char*) override { return nullptr; }
    std::unique_ptr<ValueStore> OpenForWriting(const char*, long* error) override {
        if (error) *error = 5;
        return nullptr;
    }
};

class PrintOptionsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("gmbx.ini");
    IniFile ini;
    IniSettingsStore store{ini};
    PrintOptions p;

    void LoadText(const std::string& text) {
        ASSERT_TRUE(WriteText(path, text));
        ASSERT_TRUE(ini.Load(path));
    }
};

TEST_F(PrintOptionsTest, Defaults) {
    EXPECT_EQ(p.loaded, 0);
    EXPECT_EQ(p.invert, 0);
    EXPECT_EQ(p.bwOnly, 0);
    EXPECT_EQ(p.frame, 0);
    EXPECT_EQ(p.center, 0);
    EXPECT_DOUBLE_EQ(p.leftMargin, 0.0);
    EXPECT_EQ(p.orientation, 0);
    EXPECT_EQ(p.autoFit, 0);
    EXPECT_DOUBLE_EQ(p.scale, 100.0);
    EXPECT_EQ(p.usePrinterRes, 0);
    EXPECT_EQ(p.blackLevel, 50);
    EXPECT_EQ(p.fitTooLarge, 0);
}

TEST_F(PrintOptionsTest, MarginsAndScaleAreStoredInThousandths) {
    EXPECT_EQ(ThousandthsFromValue(1.2345), 1234);
    EXPECT_DOUBLE_EQ(ValueFromThousandths(1234), 1.234);
    EXPECT_EQ(ThousandthsFromValue(0.5), 500);
    EXPECT_EQ(ThousandthsFromValue(100.0), 100000);
    EXPECT_EQ(ThousandthsFromValue(0.0009), 1);  // 0.9 + 0.1
    EXPECT_EQ(ThousandthsFromValue(-0.5), -499);
    EXPECT_EQ(ThousandthsFromValue(1e12), 2147483647);

    LoadText("");
    p.leftMargin = 1.2345;
    ASSERT_TRUE(SavePrintOptions(store, p));
    EXPECT_EQ(*ini.Find("PrnLeftMarg"), "1234");
    PrintOptions back;
    ASSERT_TRUE(ReadPrintOptions(store, back, 1));
    EXPECT_DOUBLE_EQ(back.leftMargin, 1.234);
}

TEST_F(PrintOptionsTest, WritesTheFifteenValuesInTheirOrder) {
    LoadText("");
    p.scale = 62.5;
    p.units = 2;
    ASSERT_TRUE(SavePrintOptions(store, p));
    std::vector<std::string> names;
    for (const IniFile::Pair& pair : ini.Pairs()) names.push_back(pair.name);
    EXPECT_EQ(names, (std::vector<std::string>{"PrnInvertBw", "PrnBwOnly", "PrnBlackLevel", "PrnDrawFrame",
                                               "PrnCenterImage", "PrnUnits", "PrnLeftMarg", "PrnRightMarg",
                                               "PrnTopMarg", "PrnBotMarg", "PrnPgOrient", "PrnAutoFit",
                                               "PrnAFitTooLarge", "PrnScale", "PrnUsePrnRes"}));
    EXPECT_EQ(*ini.Find("PrnScale"), "62500");
    EXPECT_EQ(*ini.Find("PrnUnits"), "2");
    EXPECT_EQ(*ini.Find("PrnBlackLevel"), "50");
}

TEST_F(PrintOptionsTest, EveryValueSurvivesARoundTrip) {
    p.invert = 1;
    p.bwOnly = 1;
    p.frame = 1;
    p.center = 1;
    p.units = 0;
    p.leftMargin = 0.25;
    p.rightMargin = 1.5;
    p.topMargin = 2.75;
    p.bottomMargin = 3.0;
    p.orientation = 2;
    p.autoFit = 1;
    p.scale = 250.0;
    p.usePrinterRes = 1;
    p.blackLevel = 70;
    p.fitTooLarge = 1;
    LoadText("");
    ASSERT_TRUE(SavePrintOptions(store, p));
    ASSERT_TRUE(ini.Write(true));
    ASSERT_TRUE(ini.Load(path));
    PrintOptions r;
    ASSERT_TRUE(ReadPrintOptions(store, r, 1));
    EXPECT_EQ(r.loaded, 1);
    EXPECT_EQ(r.invert, 1);
    EXPECT_EQ(r.bwOnly, 1);
    EXPECT_EQ(r.frame, 1);
    EXPECT_EQ(r.center, 1);
    EXPECT_EQ(r.units, 0);
    EXPECT_DOUBLE_EQ(r.leftMargin, 0.25);
    EXPECT_DOUBLE_EQ(r.rightMargin, 1.5);
    EXPECT_DOUBLE_EQ(r.topMargin, 2.75);
    EXPECT_DOUBLE_EQ(r.bottomMargin, 3.0);
    EXPECT_EQ(r.orientation, 2);
    EXPECT_EQ(r.autoFit, 1);
    EXPECT_DOUBLE_EQ(r.scale, 250.0);
    EXPECT_EQ(r.usePrinterRes, 1);
    EXPECT_EQ(r.blackLevel, 70);
    EXPECT_EQ(r.fitTooLarge, 1);
}

TEST_F(PrintOptionsTest, UnitsComeFromTheSystemUnlessStored) {
    LoadText("\"PrnScale\"  50000\r\n");
    ASSERT_TRUE(ReadPrintOptions(store, p, 0));
    EXPECT_EQ(p.units, 0);
    EXPECT_DOUBLE_EQ(p.scale, 50.0);
    EXPECT_DOUBLE_EQ(p.leftMargin, 0.0);  // absent: unchanged

    LoadText("\"PrnUnits\"  2\r\n");
    ASSERT_TRUE(ReadPrintOptions(store, p, 0));
    EXPECT_EQ(p.units, 2);

    EXPECT_EQ(MeasureUnitsFromText(nullptr), 1);
    EXPECT_EQ(MeasureUnitsFromText("0"), 0);
    EXPECT_EQ(MeasureUnitsFromText("1"), 1);
    EXPECT_EQ(MeasureUnitsFromText("x"), 0);
}

TEST_F(PrintOptionsTest, AMissingGroupLeavesTheOptionsUnloaded) {
    NoStore none;
    p.scale = 42;
    EXPECT_FALSE(LoadPrintOptions(none, p, 0));
    EXPECT_EQ(p.loaded, 0);
    EXPECT_EQ(p.units, 0);
    EXPECT_DOUBLE_EQ(p.scale, 42.0);
}

TEST_F(PrintOptionsTest, LoadReadsOnlyOnce) {
    LoadText("\"PrnBlackLevel\"  10\r\n");
    ASSERT_TRUE(LoadPrintOptions(store, p, 1));
    EXPECT_EQ(p.blackLevel, 10);
    LoadText("\"PrnBlackLevel\"  20\r\n");
    EXPECT_TRUE(LoadPrintOptions(store, p, 2));
    EXPECT_EQ(p.blackLevel, 10);
    EXPECT_EQ(p.units, 1);
    ASSERT_TRUE(ReadPrintOptions(store, p, 1));
    EXPECT_EQ(p.blackLevel, 20);
}

TEST_F(PrintOptionsTest, AGroupThatCannotBeCreatedIsReportedOnStandardOutput) {
    NoStore none;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(SavePrintOptions(none, p));
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Error 5 creating registry key, print options not saved.\n");
}

TEST(PrintOptionsUnits, MillimetresPerUnit) {
    PrintOptions p;
    p.units = 0;
    EXPECT_DOUBLE_EQ(p.MillimetresPerUnit(), 10.0);
    p.units = 1;
    EXPECT_DOUBLE_EQ(p.MillimetresPerUnit(), 1.0);
    p.units = 2;
    EXPECT_DOUBLE_EQ(p.MillimetresPerUnit(), 25.4);
    p.units = 7;
    EXPECT_DOUBLE_EQ(p.MillimetresPerUnit(), 25.4);
}

}  // namespace
}  // namespace gmbx
