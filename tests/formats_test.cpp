// The table of file formats and the place of a format code in it.
#include "capture/formats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace gmbx {
namespace {

class FormatTableTest : public ::testing::Test {
protected:
    void SetUp() override { UseAddonFormats(false); }
    void TearDown() override { UseAddonFormats(false); }
};

TEST_F(FormatTableTest, HasTwentyTwoRowsWithExtensionsAndPatterns) {
    const char* ext[kFormatRowCount] = {".bmp", ".gif", ".jpg", ".tif", ".cmp", ".cal", ".fax", ".eps",
                                        ".img", ".raw", ".ica", ".pict", ".msp", ".bmp", ".pcx", ".ras",
                                        ".tga", ".wfx", ".wmf", ".wpg", ".png", ".psd"};
    const char* pattern[kFormatRowCount] = {"*.bmp;*.dib", "*.gif", "*.jpg;*.jpeg", "*.tif;*.tiff", "*.cmp",
                                            "*.cal;*.cals", "*.fax", "*.eps", "*.img", "*.raw", "*.ica",
                                            "*.pct;*.pict", "*.msp", "*.bmp", "*.pcx", "*.ras", "*.tga",
                                            "*.wfx", "*.wmf", "*.wpg", "*.png", "*.psd"};
    for (int i = 0; i < kFormatRowCount; ++i) {
        const FormatRow* r = FormatTableRow(i);
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->extension, ext[i]) << i;
        EXPECT_STREQ(r->filterPattern, pattern[i]) << i;
        EXPECT_GE(r->variantCount, 1);
        EXPECT_LE(r->variantCount, 10);
        for (int v = 0; v < r->variantCount; ++v) EXPECT_LE(std::strlen(r->variants[v].name), 47u);
    }
    EXPECT_EQ(FormatTableRow(-1), nullptr);
    EXPECT_EQ(FormatTableRow(kFormatRowCount), nullptr);
    EXPECT_STREQ(FormatTableRow(0)->filterText, "Windows Bitmap (*.bmp,*.dib)");
    EXPECT_STREQ(FormatTableRow(21)->filterText, "Adobe PSD (*.psd)");
}

TEST_F(FormatTableTest, VariantsCarryTheirCodesAndDepthMasks) {
    const FormatVariant* bmp = FormatTableVariant(0, 0);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->code, 6);
    EXPECT_EQ(bmp->depthMask, 23u);
    EXPECT_EQ(FormatTableVariant(0, 1), nullptr);
    EXPECT_EQ(FormatTableVariant(1, 0)->code, 2);
    EXPECT_EQ(FormatTableVariant(1, 0)->depthMask, 68u);
    EXPECT_EQ(FormatTableRow(3)->variantCount, 7);
    EXPECT_EQ(FormatTableVariant(3, 6)->code, 11);
    EXPECT_STREQ(FormatTableVariant(3, 6)->name, "JTIF 4:4:4");
    EXPECT_EQ(FormatTableVariant(16, 0)->depthMask, 60u);
    EXPECT_EQ(FormatTableVariant(5, 0)->depthMask, kDepthMask1);
}

TEST_F(FormatTableTest, JpegRowDependsOnTheAddOn) {
    EXPECT_FALSE(AddonFormatsInUse());
    ASSERT_EQ(FormatTableRow(kFormatRowJpeg)->variantCount, 1);
    EXPECT_EQ(FormatTableVariant(2, 0)->code, 10);
    EXPECT_EQ(FormatTableVariant(2, 0)->depthMask, 144u);

    UseAddonFormats(true);
    ASSERT_EQ(FormatTableRow(kFormatRowJpeg)->variantCount, 3);
    EXPECT_STREQ(FormatTableVariant(2, 0)->name, "JPEG File Interchange Format, JFIF 4:4:4");
    EXPECT_EQ(FormatTableVariant(2, 1)->code, 23);
    EXPECT_EQ(FormatTableVariant(2, 2)->code, 21);
    EXPECT_EQ(FormatTableVariant(2, 2)->depthMask, 148u);
}

TEST_F(FormatTableTest, EveryListedCodeIsFoundAtItsFirstPlace) {
    UseAddonFormats(true);
    std::set<int32_t> seen;
    for (int i = 0; i < kFormatRowCount; ++i) {
        const FormatRow* r = FormatTableRow(i);
        for (int v = 0; v < r->variantCount; ++v) {
            int32_t code = r->variants[v].code;
            EXPECT_TRUE(seen.insert(code).second) << "code " << code << " listed twice";
            int row = -1, variant = -1;
            ASSERT_TRUE(FindFormat(code, &row, &variant));
            EXPECT_EQ(row, i);
            EXPECT_EQ(variant, v);
        }
    }
    EXPECT_EQ(seen.size(), 38u);
}

TEST_F(FormatTableTest, UnknownCodesAreNotFound) {
    int row = 7, variant = 8;
    EXPECT_FALSE(FindFormat(0, &row, &variant));
    EXPECT_FALSE(FindFormat(999, &row, &variant));
    EXPECT_FALSE(FindFormat(-1, &row, &variant));
    EXPECT_FALSE(FindFormat(23, &row, &variant));  // add-on JPEG variant, add-on absent
    EXPECT_EQ(row, 7);
    EXPECT_EQ(variant, 8);
}

TEST_F(FormatTableTest, OneBitCmpBelongsToTheCmpRow) {
    int row = -1, variant = -1;
    ASSERT_TRUE(FindFormat(kFormatCmp1Bit, &row, &variant));
    EXPECT_EQ(row, kFormatRowCmp);
    EXPECT_EQ(variant, 0);
}

TEST_F(FormatTableTest, DeriveSetsRowAndVariantOrResetsTheSet) {
    SaveOptions o;
    o.formatCode = 73;
    o.bitsPerPixel = 1;
    o.autoSelBits = 0;
    EXPECT_TRUE(DeriveFormatPlace(o));
    EXPECT_EQ(o.formatRow, 10);
    EXPECT_EQ(o.variant, 2);
    EXPECT_EQ(o.bitsPerPixel, 1);
    EXPECT_EQ(o.autoSelBits, 0);

    o.formatCode = 999;
    o.quality = 33;
    EXPECT_FALSE(DeriveFormatPlace(o));
    EXPECT_EQ(o.formatCode, 0);
    EXPECT_EQ(o.formatRow, 0);
    EXPECT_EQ(o.variant, 0);
    EXPECT_EQ(o.bitsPerPixel, 8);
    EXPECT_EQ(o.autoSelBits, 1);
    EXPECT_EQ(o.quality, 33);
}

TEST(DepthMaskBit, MapsDepthsToTheirBits) {
    EXPECT_EQ(DepthMaskBit(1), kDepthMask1);
    EXPECT_EQ(DepthMaskBit(4), kDepthMask4);
    EXPECT_EQ(DepthMaskBit(8), kDepthMask8);
    EXPECT_EQ(DepthMaskBit(16), kDepthMask16);
    EXPECT_EQ(DepthMaskBit(24), kDepthMask24);
    EXPECT_EQ(DepthMaskBit(32), kDepthMask32);
    EXPECT_EQ(DepthMaskBit(2), 0u);
}

}  // namespace
}  // namespace gmbx
