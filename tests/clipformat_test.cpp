#include "capture/clipformat.h"

#include <gtest/gtest.h>

#include "capture/formats.h"

namespace gmbx {
namespace {

ClipImageState State(bool pixmap, bool dib, bool table, int32_t display) {
    ClipImageState s;
    s.havePixmap = pixmap;
    s.haveDib = dib;
    s.dibHasTable = table;
    s.displayColours = display;
    return s;
}

TEST(ClipboardPlan, ChoosesTheImageAndDepth) {
    // Nothing to copy.
    EXPECT_EQ(PlanClipboardImage(State(false, false, false, 1 << 24), 2, 0).source, ClipSource::kNothing);
    // A true-colour Dib with 256 colours asked: reduced, whatever auto-select says.
    EXPECT_EQ(PlanClipboardImage(State(true, true, false, 1 << 24), 2, 1).source, ClipSource::kReduceDib);
    // A Dib with a table is never reduced again; the pixmap is converted instead.
    ClipPlan p = PlanClipboardImage(State(true, true, true, 1 << 24), 2, 0);
    EXPECT_EQ(p.source, ClipSource::kPixmap);
    EXPECT_EQ(p.colours, 256);
    // Only a pixmap on a true-colour display with 256 colours asked.
    p = PlanClipboardImage(State(true, false, false, 1 << 24), 2, 0);
    EXPECT_EQ(p.source, ClipSource::kReducePixmap);
    EXPECT_EQ(p.colours, 1 << 24);
    // On a 256-colour display the pixmap converts directly.
    p = PlanClipboardImage(State(true, false, false, 256), 2, 0);
    EXPECT_EQ(p.source, ClipSource::kPixmap);
    EXPECT_EQ(p.colours, 256);
    // Auto-select takes the display's count, otherwise the setting's.
    EXPECT_EQ(PlanClipboardImage(State(true, false, false, 65536), 0, 1).colours, 65536);
    EXPECT_EQ(PlanClipboardImage(State(true, false, false, 65536), 0, 0).colours, 2);
    EXPECT_EQ(PlanClipboardImage(State(true, false, false, 65536), 1, 0).colours, 16);
    EXPECT_EQ(PlanClipboardImage(State(true, false, false, 65536), 3, 0).colours, 16777216);
    EXPECT_EQ(PlanClipboardImage(State(true, false, false, 65536), 7, 0).colours, 16777216);
    // A Dib without a pixmap goes as it is.
    EXPECT_EQ(PlanClipboardImage(State(false, true, true, 1 << 24), 1, 0).source, ClipSource::kDibAsIs);
}

TEST(ClipboardPlan, FormatsAndDisplayRadio) {
    EXPECT_TRUE(ClipWantsDib(0) && ClipWantsBitmap(0));
    EXPECT_TRUE(ClipWantsDib(1) && !ClipWantsBitmap(1));
    EXPECT_TRUE(!ClipWantsDib(2) && ClipWantsBitmap(2));
    EXPECT_EQ(ClipBitsForDisplay(2), 0);
    EXPECT_EQ(ClipBitsForDisplay(16), 1);
    EXPECT_EQ(ClipBitsForDisplay(255), 1);
    EXPECT_EQ(ClipBitsForDisplay(256), 2);
    EXPECT_EQ(ClipBitsForDisplay(65536), 3);
}

std::vector<uint8_t> PackedDib(uint32_t headerSize, int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                               uint32_t clrUsed, size_t extra) {
    std::vector<uint8_t> b(headerSize + extra, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    put32(0, headerSize);
    put32(4, uint32_t(w));
    put32(8, uint32_t(h));
    b[12] = 1;
    b[14] = uint8_t(bits);
    put32(16, compression);
    put32(32, clrUsed);
    return b;
}

TEST(ClipboardDib, AcceptsOnlyWholeBlocks) {
    std::vector<uint8_t> out;
    // 8 bits, 2 entries, 3x2: rows of 4 bytes.
    auto ok = PackedDib(40, 3, 2, 8, 0, 2, 8 + 8);
    EXPECT_TRUE(PrepareClipboardDib(ok.data(), ok.size(), &out));
    EXPECT_EQ(out, ok);
    EXPECT_FALSE(PrepareClipboardDib(ok.data(), ok.size() - 1, &out));
    EXPECT_FALSE(PrepareClipboardDib(ok.data(), 39, &out));
    EXPECT_FALSE(PrepareClipboardDib(nullptr, 0, &out));
    // Huge sizes in a small block.
    auto lie = PackedDib(40, 0x7FFFFFFF, -0x7FFFFFFF, 24, 0, 0, 16);
    EXPECT_FALSE(PrepareClipboardDib(lie.data(), lie.size(), &out));
    auto table = PackedDib(40, 1, 1, 8, 0, 100000, 64);
    EXPECT_FALSE(PrepareClipboardDib(table.data(), table.size(), &out));
    auto zero = PackedDib(40, 0, 1, 24, 0, 0, 64);
    EXPECT_FALSE(PrepareClipboardDib(zero.data(), zero.size(), &out));
    auto png = PackedDib(40, 1, 1, 24, 5, 0, 64);
    EXPECT_FALSE(PrepareClipboardDib(png.data(), png.size(), &out));
    auto odd = PackedDib(20, 1, 1, 24, 0, 0, 64);
    EXPECT_FALSE(PrepareClipboardDib(odd.data(), odd.size(), &out));
    // Colour masks announced by a header between 40 and 52 bytes, which
    // cannot hold them: the block ends before where they would be.
    for (uint32_t headerSize : {41u, 44u, 51u}) {
        auto shortMasks = PackedDib(headerSize, 1, 1, 32, 3, 0, 4);
        EXPECT_FALSE(PrepareClipboardDib(shortMasks.data(), shortMasks.size(), &out)) << headerSize;
    }
}

TEST(ClipboardDib, PlainMasksAreDroppedOthersRefused) {
    std::vector<uint8_t> out;
    auto masked = PackedDib(40, 2, 1, 32, 3, 0, 12 + 8);
    const uint32_t plain[3] = {0xFF0000, 0xFF00, 0xFF};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 4; ++k) masked[40 + 4 * i + k] = uint8_t(plain[i] >> (8 * k));
    masked[52] = 0x11;  // first pixel's blue
    ASSERT_TRUE(PrepareClipboardDib(masked.data(), masked.size(), &out));
    ASSERT_EQ(out.size(), 48u);
    EXPECT_EQ(out[16], 0);   // no compression any more
    EXPECT_EQ(out[40], 0x11);  // pixels follow the header
    masked[40] = 0xFF;  // red mask changed
    EXPECT_FALSE(PrepareClipboardDib(masked.data(), masked.size(), &out));
    // A later (124-byte) header is cut to 40 bytes.
    auto v5 = PackedDib(124, 1, 1, 24, 0, 0, 4);
    v5[124] = 0x22;
    ASSERT_TRUE(PrepareClipboardDib(v5.data(), v5.size(), &out));
    ASSERT_EQ(out.size(), 44u);
    EXPECT_EQ(out[0], 40);
    EXPECT_EQ(out[40], 0x22);
    // A header of 296 (0x128) bytes: all four bytes of its size become 40,
    // with or without masks.
    for (uint32_t compression : {0u, 3u}) {
        auto big = PackedDib(0x128, 1, 1, 32, compression, 0, 4);
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 4; ++k) big[40 + 4 * i + k] = uint8_t(plain[i] >> (8 * k));
        ASSERT_TRUE(PrepareClipboardDib(big.data(), big.size(), &out)) << compression;
        ASSERT_EQ(out.size(), 44u);
        EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 4), (std::vector<uint8_t>{40, 0, 0, 0}));
        EXPECT_EQ(out[16], 0);
    }
}

TEST(MailAttachment, NameIsTrimmedAndFallsBackToSnap) {
    EXPECT_EQ(TrimEmailName("  shot\t\r\n"), "shot");
    EXPECT_EQ(TrimEmailName(" my shot "), "my shot");
    EXPECT_EQ(TrimEmailName("\xE9t\xE9"), "t");  // high bytes at the ends go too
    EXPECT_EQ(TrimEmailName("   "), "");
    EXPECT_EQ(TrimEmailName(""), "");
    EXPECT_EQ(AttachmentName(TrimEmailName("   "), ".gif"), "SNAP.gif");
    EXPECT_EQ(AttachmentName("shot", ".jpg"), "shot.jpg");
    EXPECT_EQ(AttachmentName("shot", nullptr), "shot");
}

TEST(MailAttachment, ExtensionOfFormatCodes) {
    EXPECT_STREQ(ExtensionForFormat(kFormatBmp), ".bmp");
    EXPECT_STREQ(ExtensionForFormat(kFormatGif), ".gif");
    EXPECT_STREQ(ExtensionForFormat(kFormatJpeg), ".jpg");
    EXPECT_STREQ(ExtensionForFormat(kFormatCmp1Bit), ".cmp");
    EXPECT_STREQ(ExtensionForFormat(-5), "");
}

TEST(MailAttachment, DialogConfirmSetsTheWorkingCopy) {
    EXPECT_EQ(QualityFactorFor(75, 9), 66);
    EXPECT_EQ(QualityFactorFor(50, 9), 130);
    EXPECT_EQ(QualityFactorFor(51, 9), 127);
    EXPECT_EQ(QualityFactorFor(100, 9), 2);
    EXPECT_EQ(QualityFactorFor(1, 9), 255);
    EXPECT_EQ(QualityFactorFor(0, 9), 255);
    EXPECT_EQ(QualityFactorFor(-1, 9), 9);

    SaveOptions o;
    o.append = o.interlace = o.transparent = 1;
    ASSERT_TRUE(ConfirmEmailOptions(o, kFormatRowJpeg, 0, 75, false));
    EXPECT_EQ(o.formatCode, kFormatJpeg);
    EXPECT_EQ(o.qualityFactor, 66);
    EXPECT_EQ(o.append + o.interlace + o.transparent + o.autoSelBits, 0);
    ASSERT_TRUE(ConfirmEmailOptions(o, kFormatRowGif, 0, 75, true));
    EXPECT_EQ(o.formatCode, kFormatGif);
    EXPECT_EQ(o.autoSelBits, 1);
    EXPECT_FALSE(ConfirmEmailOptions(o, 99, 0, 75, true));
    EXPECT_EQ(o.formatCode, kFormatGif);

    UseAddonFormats(true);
    SaveOptions cmp;
    cmp.bitsPerPixel = 1;
    ASSERT_TRUE(ConfirmEmailOptions(cmp, kFormatRowCmp, 0, 60, false));
    EXPECT_EQ(cmp.formatCode, kFormatCmp1Bit);
    EXPECT_EQ(cmp.qualityFactor, 1);
    ASSERT_TRUE(ConfirmEmailOptions(cmp, kFormatRowCmp, 0, 50, false));
    EXPECT_EQ(cmp.qualityFactor, 0);
    UseAddonFormats(false);
}

}  // namespace
}  // namespace gmbx
