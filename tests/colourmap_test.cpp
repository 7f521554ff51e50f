#include "imageio/colourmap.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "imageio/appcolours.h"

namespace gmbx {
namespace {

uint32_t Rgb(int r, int g, int b) { return 0x80000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

TEST(ColourDistance, EqualColoursAreZeroApart) {
    EXPECT_EQ(PerceptualDistance(Rgb(12, 34, 56), Rgb(12, 34, 56)), 0);
    EXPECT_EQ(PerceptualDistance(0, 0), 0);
}

TEST(ColourDistance, SameDirectionCountsBrightnessOnly) {
    // 127 x 255 / sqrt(195075) = 73.3; / 3 + 0.5 = 24.9
    EXPECT_EQ(PerceptualDistance(Rgb(255, 0, 0), Rgb(128, 0, 0)), 24);
    EXPECT_EQ(PerceptualDistance(Rgb(128, 0, 0), Rgb(255, 0, 0)), 24);
}

TEST(ColourDistance, BlackAgainstAnyColourIsTheBrightnessPartTruncated) {
    EXPECT_EQ(PerceptualDistance(Rgb(0, 0, 0), Rgb(255, 255, 255)), 255);
    EXPECT_EQ(PerceptualDistance(Rgb(0, 0, 0), Rgb(128, 0, 0)), 73);  // 73.9
    EXPECT_EQ(PerceptualDistance(Rgb(0, 0, 1), Rgb(0, 0, 0)), 0);     // 0.58
    EXPECT_EQ(PerceptualDistance(Rgb(0, 0, 0), Rgb(0, 255, 0)), 147);  // 147.2
}

TEST(ColourDistance, OrthogonalDirectionsWeighTwice) {
    // U = sqrt(2): 2 x sqrt(2) x 255 / sqrt(2) = 510; / 3 + 0.5 = 170.5
    EXPECT_EQ(PerceptualDistance(Rgb(255, 0, 0), Rgb(0, 255, 0)), 170);
    // Same lengths, same direction, other flag byte: not equal, yet 0.5 truncates to 0.
    EXPECT_EQ(PerceptualDistance(0x00FF0000u, 0x80FF0000u), 0);
}

TEST(ColourDistance, StaysWithinAByte) {
    for (uint32_t a : {0u, 0xFFFFFFu, 0x0000FFu, 0x010000u, 0x808080u})
        for (uint32_t b : {0u, 0xFFFFFFu, 0xFF0000u, 0x00FF00u, 0x000001u}) {
            const int d = PerceptualDistance(a, b);
            EXPECT_GE(d, 0);
            EXPECT_LE(d, 255);
        }
}

TEST(ColourMapNearest, TiesKeepTheLowerNumber) {
    const uint32_t table[] = {Rgb(0, 0, 255), Rgb(255, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0)};
    EXPECT_EQ(NearestTableColour(Rgb(200, 0, 0), table, 4), 1);
    // (0, 255, 0) and (0, 0, 255) are equally far from (0, 128, 128).
    const uint32_t two[] = {Rgb(0, 255, 0), Rgb(0, 0, 255)};
    EXPECT_EQ(NearestTableColour(Rgb(0, 128, 128), two, 2), 0);
    const uint32_t swapped[] = {Rgb(0, 0, 255), Rgb(0, 255, 0)};
    EXPECT_EQ(NearestTableColour(Rgb(0, 128, 128), swapped, 2), 0);
}

TEST(ColourMapNearest, ExactColourWinsAtOnceAndFarColoursKeepZero) {
    const uint32_t table[] = {Rgb(10, 0, 0), Rgb(250, 0, 0), Rgb(255, 0, 0)};
    EXPECT_EQ(NearestTableColour(Rgb(255, 0, 0), table, 3), 2);
    // White is 255 away from black, which is not below the starting 255.
    const uint32_t blacks[] = {Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(0, 0, 0)};
    EXPECT_EQ(NearestTableColour(Rgb(255, 255, 255), blacks + 1, 2), 0);
    EXPECT_EQ(NearestTableColour(Rgb(1, 2, 3), table, 0), 0);
}

// The 24 standard colours as bytes, with typical system colours for 2-5.
int TestAppColours(RgbQuad* out, int max) {
    for (int n = 0; n < kAppColourCount && n < max; ++n) {
        int rgb[3];
        if (!StandardColourThousandths(n, rgb)) {
            static const int sys[4][3] = {{502, 502, 502}, {1000, 1000, 1000}, {753, 753, 753}, {0, 0, 0}};
            for (int i = 0; i < 3; ++i) rgb[i] = sys[n - 2][i];
        }
        out[n] = RgbQuad{ThousandthsToByte(rgb[2]), ThousandthsToByte(rgb[1]), ThousandthsToByte(rgb[0]), 0};
    }
    return kAppColourCount;
}

class ColourMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        DibHost host{};
        host.appColours = TestAppColours;
        SetDibHost(&host);
    }
    void TearDown() override { SetDibHost(nullptr); }
};

TEST_F(ColourMapTest, FourBitEntriesTakeTheNearestApplicationColour) {
    Dib d;
    ASSERT_TRUE(d.Create(4, 4, 16));
    const RgbQuad entries[] = {{0, 0, 0, 0},       {255, 255, 255, 0}, {0, 0, 255, 0},   {0, 0, 128, 0},
                               {191, 191, 191, 0}, {190, 190, 190, 0}, {128, 128, 128, 0}, {0, 0, 200, 0},
                               {40, 40, 40, 7}};
    for (int i = 0; i < 9; ++i) d.colours[i] = entries[i];
    ASSERT_TRUE(BuildColourMap(d, nullptr));
    ASSERT_NE(d.colourMap, nullptr);
    EXPECT_EQ(d.colourMap[0], 0);   // black
    EXPECT_EQ(d.colourMap[1], 1);   // white: 1, not 3, 7 or 15
    EXPECT_EQ(d.colourMap[2], 6);   // red: 6 before 8
    EXPECT_EQ(d.colourMap[3], 16);  // half red
    EXPECT_EQ(d.colourMap[4], 4);   // 0 from colour 4 (192): found before 23 (191)
    EXPECT_EQ(d.colourMap[5], 23);  // 1 from colour 4, 0 from colour 23
    EXPECT_EQ(d.colourMap[6], 2);   // 502 thousandths give 128: colour 2 before 22
    EXPECT_EQ(d.colourMap[7], 6);   // 11 from colour 6, 14 from colour 16
    EXPECT_EQ(d.colourMap[8], 2);   // dark grey: 29 from the greys (2 first), 40 from black
}

TEST_F(ColourMapTest, OneBitImage) {
    Dib d;
    ASSERT_TRUE(d.Create(8, 1, 2));
    d.colours[0] = RgbQuad{0, 255, 0, 0};
    d.colours[1] = RgbQuad{255, 0, 0, 0};
    ASSERT_TRUE(BuildColourMap(d, nullptr));
    EXPECT_EQ(d.colourMap[0], 9);
    EXPECT_EQ(d.colourMap[1], 10);
}

TEST_F(ColourMapTest, EightBitUsesThePaletteSearchPlusEight) {
    Dib d;
    ASSERT_TRUE(d.Create(2, 2, 256));
    for (int i = 0; i < 256; ++i) d.colours[i] = RgbQuad{uint8_t(i), 0, 0, 0};
    int calls = 0;
    ASSERT_TRUE(BuildColourMap(d, [&](uint8_t r, uint8_t g, uint8_t b) {
        ++calls;
        EXPECT_EQ(r, 0);
        EXPECT_EQ(g, 0);
        return b % 16;
    }));
    EXPECT_EQ(calls, 256);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(d.colourMap[i], 8 + i % 16);
}

TEST_F(ColourMapTest, NoMapWithoutTableOrSearch) {
    Dib d;
    EXPECT_FALSE(BuildColourMap(d, nullptr));
    ASSERT_TRUE(d.Create(2, 2, 1 << 24));
    EXPECT_FALSE(BuildColourMap(d, nullptr));
    EXPECT_EQ(d.colourMap, nullptr);
    ASSERT_TRUE(d.Create(2, 2, 256));
    EXPECT_FALSE(BuildColourMap(d, nullptr));  // 8 bits need the palette search
    ASSERT_TRUE(d.Create(2, 2, 16));
    ASSERT_TRUE(BuildColourMap(d, nullptr));
    ASSERT_TRUE(BuildColourMap(d, nullptr));  // the old map is released
    SetDibHost(nullptr);
    EXPECT_FALSE(BuildColourMap(d, nullptr));
    EXPECT_EQ(d.colourMap, nullptr);
}

}  // namespace
}  // namespace gmbx
