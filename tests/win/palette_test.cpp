// The application colour table as the Dib code reads it, under Wine.
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
    }
    void TearDown() override {
        // Leave fresh standard colours for the tests that follow.
        DestroyAppColourTable();
        CreateAppColourTable();
    }
};

COLORREF Rgb(const RgbQuad& q) { return RGB(q.red, q.green, q.blue); }

TEST_F(PaletteTest, TableHoldsTheTwentyFourStandardColours) {
    RgbQuad q[kAppColourCount + 4] = {};
    ASSERT_EQ(AppColours(q, kAppColourCount + 4), kAppColourCount);
    EXPECT_EQ(Rgb(q[0]), RGB(0, 0, 0));        // black
    EXPECT_EQ(Rgb(q[6]), RGB(255, 0, 0));      // fixed red
    EXPECT_EQ(Rgb(q[8]), RGB(255, 0, 0));      // palette entry 0, red
    EXPECT_EQ(Rgb(q[9]), RGB(0, 255, 0));      // palette entry 1, green
    EXPECT_EQ(Rgb(q[23]), RGB(191, 191, 191)); // 750 thousandths = 191
    EXPECT_NE(AppColourPalette(), nullptr);
    // Fewer wanted: only those are filled.
    RgbQuad few[2] = {};
    EXPECT_EQ(AppColours(few, 2), kAppColourCount);
}

TEST_F(PaletteTest, ColoursTwoToFiveFollowTheSystem) {
    RgbQuad q[kAppColourCount] = {};
    ASSERT_EQ(AppColours(q, kAppColourCount), kAppColourCount);
    // Read through thousandths and back, which keeps every byte.
    EXPECT_EQ(Rgb(q[4]), GetSysColor(COLOR_BTNFACE));
}

TEST_F(PaletteTest, NothingWithoutTheTable) {
    DestroyAppColourTable();
    RgbQuad q[kAppColourCount] = {};
    EXPECT_EQ(AppColours(q, kAppColourCount), 0);
    EXPECT_EQ(AppColourPalette(), nullptr);
}

}  // namespace
}  // namespace gmbx
