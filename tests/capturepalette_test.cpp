#include "imageio/capturepalette.h"

#include <gtest/gtest.h>

namespace gmbx {
namespace {

TEST(CapturePalette, StaticColoursKeepTheFirstAndLastTen) {
    uint8_t f[256];
    CapturePaletteFlags(f, 256, false);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(f[i], (i >= 10 && i <= 245) ? kPcNoCollapse : 0) << i;
}

TEST(CapturePalette, NoStaticColoursKeepOnlyTheFirstAndLast) {
    uint8_t f[256];
    CapturePaletteFlags(f, 256, true);
    EXPECT_EQ(f[0], 0);
    EXPECT_EQ(f[255], 0);
    for (int i = 1; i < 255; ++i) EXPECT_EQ(f[i], kPcNoCollapse) << i;
}

TEST(CapturePalette, SmallOrEmptyPalettes) {
    uint8_t f[20] = {};
    CapturePaletteFlags(f, 20, false);  // nothing between the two groups of ten
    for (int i = 0; i < 20; ++i) EXPECT_EQ(f[i], 0);
    CapturePaletteFlags(f, 0, true);
    CapturePaletteFlags(f, 1, true);
    EXPECT_EQ(f[0], 0);
}

}  // namespace
}  // namespace gmbx
