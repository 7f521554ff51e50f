// The application colour table: colour values, nearest numbers, setting and
// reserving colours, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include "imageio/appcolours.h"
#include "imageio/win/palette.h"

namespace gmbx {
namespace {

class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test starts from the standard colours.
        DestroyAppColourTable();
        CreateAppColourTable();
        window_ = CreateWindowA("STATIC", "colours", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override {
        SetAppColourWindow(nullptr);
        if (window_) DestroyWindow(window_);
        // Leave fresh standard colours for the tests that follow.
        DestroyAppColourTable();
        CreateAppColourTable();
    }
    HWND window_ = nullptr;
};

struct Snapshot {
    int32_t values[kAppColourCount];
    int flags[kAppColourCount];
};

Snapshot TakeSnapshot() {
    Snapshot s = {};
    for (int n = 0; n < kAppColourCount; ++n) {
        s.values[n] = AppColourValue(n);
        s.flags[n] = AppColourFlags(n);
    }
    return s;
}

void ExpectSame(const Snapshot& a, const Snapshot& b) {
    for (int n = 0; n < kAppColourCount; ++n) {
        EXPECT_EQ(a.values[n], b.values[n]) << "colour " << n;
        EXPECT_EQ(a.flags[n], b.flags[n]) << "colour " << n;
    }
}

TEST_F(PaletteTest, TableHasTwentyFourColours) { EXPECT_EQ(AppColourTableSize(), 24); }

TEST_F(PaletteTest, DirectColourLayout) {
    const int32_t v = MakeDirectColour(0x12, 0x34, 0x56);
    EXPECT_EQ(uint32_t(v), 0x80123456u);
    EXPECT_TRUE(IsDirectColour(v));
    EXPECT_EQ(DirectRed(v), 0x12);
    EXPECT_EQ(DirectGreen(v), 0x34);
    EXPECT_EQ(DirectBlue(v), 0x56);
}

TEST_F(PaletteTest, ColourOfANumber) {
    EXPECT_EQ(uint32_t(AppColourValue(0)), 0x80000000u);  // black
    EXPECT_EQ(uint32_t(AppColourValue(6)), 0x80FF0000u);  // fixed red
    EXPECT_EQ(uint32_t(AppColourValue(8)), 0x80FF0000u);  // palette entry 0, red
    EXPECT_EQ(uint32_t(AppColourValue(9)), 0x8000FF00u);  // palette entry 1, green
    EXPECT_EQ(uint32_t(AppColourValue(23)), 0x80BFBFBFu); // 750 thousandths = 191
    // Direct colours come back unchanged.
    EXPECT_EQ(AppColourValue(-5), -5);
    const int32_t direct = MakeDirectColour(1, 2, 3);
    EXPECT_EQ(AppColourValue(direct), direct);
}

TEST_F(PaletteTest, ColoursTwoToFiveFollowTheSystem) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const int32_t v = AppColourValue(4);
    // Read through thousandths and back, which keeps every byte.
    EXPECT_EQ(DirectRed(v), GetRValue(face));
    EXPECT_EQ(DirectGreen(v), GetGValue(face));
    EXPECT_EQ(DirectBlue(v), GetBValue(face));
}

TEST_F(PaletteTest, ThousandthsBecomeBytesThroughSetColour) {
    ASSERT_TRUE(SetAppColour(10, 500, 750, 1000));
    EXPECT_EQ(AppColourValue(10), MakeDirectColour(128, 191, 255));
    ASSERT_TRUE(SetAppColour(7, 1000, 500, 750));
    EXPECT_EQ(AppColourValue(7), MakeDirectColour(255, 128, 191));
    // The table as the Dib code sees it agrees.
    RgbQuad q[kAppColourCount];
    ASSERT_EQ(AppColours(q, kAppColourCount), kAppColourCount);
    EXPECT_EQ(q[10].red, 128);
    EXPECT_EQ(q[10].green, 191);
    EXPECT_EQ(q[10].blue, 255);
    EXPECT_EQ(q[7].red, 255);
}

TEST_F(PaletteTest, SetColourOfAnOrdinaryEntryHasNoFlagsAndIsInUse) {
    ASSERT_TRUE(SetAppColour(23, 0, 0, 0));
    EXPECT_EQ(AppColourValue(23), MakeDirectColour(0, 0, 0));
    EXPECT_EQ(AppColourFlags(23), 0);
    EXPECT_TRUE(AppColourInUse(23));
}

TEST_F(PaletteTest, NearestNumberOfDirectColours) {
    EXPECT_EQ(AppNearestColourNumber(MakeDirectColour(0, 255, 0)), 9);
    EXPECT_EQ(AppNearestColourNumber(MakeDirectColour(0, 0, 255)), 10);
    EXPECT_EQ(AppNearestColourNumber(MakeDirectColour(250, 2, 3)), 8);
    EXPECT_EQ(AppNearestColourNumber(MakeDirectColour(128, 128, 128)), 22);
    // Black is fixed colour 0, but only palette colours are chosen.
    const int32_t black = AppNearestColourNumber(MakeDirectColour(0, 0, 0));
    EXPECT_GE(black, 8);
    EXPECT_LE(black, 23);
}

TEST_F(PaletteTest, NearestNumberOfANumberIsTheNumber) {
    EXPECT_EQ(AppNearestColourNumber(0), 0);
    EXPECT_EQ(AppNearestColourNumber(5), 5);
    EXPECT_EQ(AppNearestColourNumber(17), 17);
    EXPECT_EQ(AppNearestColourNumber(1000), 1000);
}

TEST_F(PaletteTest, NearestNumberFollowsSetColour) {
    ASSERT_TRUE(SetAppColour(20, 0, 0, 0));  // entry 12 becomes black
    EXPECT_EQ(AppNearestColourNumber(MakeDirectColour(1, 1, 1)), 20);
}

TEST_F(PaletteTest, ReserveSetsTheFlagAndRealizes) {
    ASSERT_NE(window_, nullptr);
    SetAppColourWindow(window_);
    EXPECT_EQ(AppColourWindow(), window_);
    ASSERT_TRUE(ReserveAppColour(12));
    EXPECT_EQ(AppColourFlags(12), PC_RESERVED);
    EXPECT_TRUE(AppColourInUse(12));
    // The colour itself is kept.
    EXPECT_EQ(AppColourValue(12), MakeDirectColour(255, 0, 255));
    EXPECT_EQ(AppColourFlags(13), 0);
    EXPECT_GE(RealizeAppColours(), 0);
}

TEST_F(PaletteTest, SetColourOnAReservedEntryKeepsTheReservedFlag) {
    SetAppColourWindow(window_);
    ASSERT_TRUE(ReserveAppColour(15));
    ASSERT_TRUE(SetAppColour(15, 500, 500, 1000));
    EXPECT_EQ(AppColourValue(15), MakeDirectColour(128, 128, 255));
    EXPECT_EQ(AppColourFlags(15), PC_RESERVED);
    EXPECT_TRUE(AppColourInUse(15));
}

TEST_F(PaletteTest, ReserveWorksWithoutAWindow) {
    SetAppColourWindow(nullptr);
    EXPECT_EQ(RealizeAppColours(), -1);
    ASSERT_TRUE(ReserveAppColour(8));
    EXPECT_EQ(AppColourFlags(8), PC_RESERVED);
}

TEST_F(PaletteTest, OutOfRangeNumbersChangeNothing) {
    const Snapshot before = TakeSnapshot();
    EXPECT_FALSE(SetAppColour(-1, 0, 0, 0));
    EXPECT_FALSE(SetAppColour(24, 0, 0, 0));
    EXPECT_FALSE(SetAppColour(1000, 0, 0, 0));
    EXPECT_FALSE(ReserveAppColour(7));
    EXPECT_FALSE(ReserveAppColour(24));
    EXPECT_FALSE(ReserveAppColour(-3));
    ExpectSame(before, TakeSnapshot());
    EXPECT_FALSE(AppColourInUse(7));
    EXPECT_FALSE(AppColourInUse(24));
}

TEST_F(PaletteTest, NothingWithoutTheTable) {
    DestroyAppColourTable();
    EXPECT_EQ(AppColourTableSize(), 24);
    EXPECT_FALSE(SetAppColour(9, 0, 0, 0));
    EXPECT_FALSE(ReserveAppColour(9));
    EXPECT_EQ(AppColourValue(9), MakeDirectColour(0, 0, 0));
    EXPECT_EQ(AppColourValue(-7), -7);
    EXPECT_EQ(AppNearestColourNumber(3), 3);
    EXPECT_EQ(RealizeAppColours(), -1);
}

}  // namespace
}  // namespace gmbx
