// The Save As file-name rules: a file's extension and the format written
// into it always agree.
#include "capture/savename.h"

#include <gtest/gtest.h>

#include "capture/formats.h"

namespace gmbx {
namespace {

TEST(SaveName, TypedExtensionPicksTheTypeOtherwiseTheTypesExtensionIsAdded) {
    UseAddonFormats(false);
    struct Case {
        const char* typed;
        int chosenRow;
        int rowCount;
        int row;
        const char* name;
    } cases[] = {
        {"shot.bmp", kFormatRowJpeg, 3, kFormatRowBmp, "shot.bmp"},   // the fault: JPEG chosen, BMP typed
        {"SHOT.GIF", kFormatRowBmp, 3, kFormatRowGif, "SHOT.GIF"},
        {"a.jpeg", kFormatRowBmp, 3, kFormatRowJpeg, "a.jpeg"},
        {"a.dib", kFormatRowJpeg, 3, kFormatRowBmp, "a.dib"},
        {"shot", kFormatRowGif, 3, kFormatRowGif, "shot.gif"},
        {"shot.", kFormatRowJpeg, 3, kFormatRowJpeg, "shot.jpg"},
        {"C:\\my.shots\\shot", kFormatRowBmp, 3, kFormatRowBmp, "C:\\my.shots\\shot.bmp"},
        {"shot.png", kFormatRowJpeg, 3, kFormatRowJpeg, "shot.png.jpg"},  // not offered without the add-on
        {"shot.png", kFormatRowJpeg, kFormatRowCount, 20, "shot.png"},
        {"shot.txt", kFormatRowGif, 3, kFormatRowGif, "shot.txt.gif"},
        {"v1.2", kFormatRowBmp, 3, kFormatRowBmp, "v1.2.bmp"},
        {"x.bmp", 13, kFormatRowCount, 13, "x.bmp"},  // the OS/2 row keeps its own ".bmp"
        {"x.bmp", kFormatRowGif, kFormatRowCount, kFormatRowBmp, "x.bmp"},
    };
    for (const Case& c : cases) {
        SaveNameChoice got = ChooseSaveName(c.typed, c.chosenRow, c.rowCount);
        EXPECT_EQ(got.row, c.row) << c.typed;
        EXPECT_EQ(got.name, c.name) << c.typed;
    }
}

TEST(SaveName, ReplacingTheExtension) {
    EXPECT_EQ(ReplaceExtension("shot.bmp", ".jpg"), "shot.jpg");
    EXPECT_EQ(ReplaceExtension("shot", ".gif"), "shot.gif");
    EXPECT_EQ(ReplaceExtension("shot.", ".gif"), "shot.gif");
    EXPECT_EQ(ReplaceExtension("d.x/shot", ".gif"), "d.x/shot.gif");
    EXPECT_EQ(FirstPatternExtension(kFormatRowJpeg), ".jpg");
    EXPECT_EQ(FirstPatternExtension(11), ".pct");
    EXPECT_EQ(FirstPatternExtension(kFormatRowCount), "");
    EXPECT_EQ(VariantCaption(kFormatRowBmp, 0), "Windows Bitmap");
    EXPECT_EQ(VariantCaption(13, 1), "Type 2");
    EXPECT_EQ(VariantCaption(kFormatRowBmp, 1), "");
}

TEST(SaveName, DepthIsFittedToTheMask) {
    struct Case {
        int wanted;
        uint32_t mask;
        int depth;
    } cases[] = {
        {4, 23, 4}, {16, 23, 24}, {32, 23, 24}, {8, 144, 24}, {24, 68, 8},
        {24, 1, 1}, {4, 60, 8}, {1, 0, 0}, {32, 95, 24}, {16, 60, 16},
    };
    for (const Case& c : cases) EXPECT_EQ(FitDepthToMask(c.wanted, c.mask), c.depth) << c.wanted << " " << c.mask;
}

}  // namespace
}  // namespace gmbx
