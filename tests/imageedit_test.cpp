#include "imageio/imageedit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace gmbx {
namespace {

struct Colour {
    uint8_t b, g, r;
};

// A one-pixel-wide uncompressed image of the given depth without a colour
// table, two pixels high.
std::unique_ptr<Dib> PlainDib(int bits) {
    int64_t stride = DibStride(1, bits);
    size_t total = kInfoHeaderSize + size_t(stride) * 2;
    auto* block = static_cast<uint8_t*>(std::calloc(1, total));
    DibInfoHeader h{};
    h.size = kInfoHeaderSize;
    h.width = 1;
    h.height = 2;
    h.planes = 1;
    h.bitCount = uint16_t(bits);
    h.sizeImage = uint32_t(stride * 2);
    std::memcpy(block, &h, sizeof h);
    auto dib = std::make_unique<Dib>();
    if (!dib->AttachBlock(block)) std::free(block);
    return dib;
}

void SetPixel(Dib& dib, Colour c) {
    uint8_t* p = dib.bits;
    if (dib.BitCount() == 16) {
        unsigned v = unsigned(c.r >> 3) << 10 | unsigned(c.g >> 3) << 5 | unsigned(c.b >> 3);
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
    } else {
        p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
}

Colour GetPixel(const Dib& dib) {
    const uint8_t* p = dib.bits;
    if (dib.BitCount() == 16) {
        unsigned v = unsigned(p[0]) | unsigned(p[1]) << 8;
        auto w = [](unsigned x) { return uint8_t((x << 3) | (x >> 2)); };
        return {w(v & 31), w((v >> 5) & 31), w((v >> 10) & 31)};
    }
    return {p[0], p[1], p[2]};
}

struct SwapCase {
    Colour in, out;
};

const SwapCase kSwapCases[] = {
    {{0, 0, 0}, {255, 255, 255}},     {{5, 5, 5}, {255, 255, 255}},   {{6, 5, 5}, {6, 5, 5}},
    {{5, 5, 6}, {5, 5, 6}},           {{255, 255, 255}, {0, 0, 0}},   {{250, 250, 250}, {0, 0, 0}},
    {{249, 250, 250}, {249, 250, 250}}, {{128, 128, 128}, {128, 128, 128}}, {{0, 0, 255}, {0, 0, 255}},
};

TEST(ImageEdit, SwapBlackWhiteChangesTableEntriesOnly) {
    Dib dib;
    ASSERT_TRUE(dib.Create(3, 2, 256));
    const size_t n = sizeof kSwapCases / sizeof kSwapCases[0];
    for (size_t i = 0; i < n; ++i)
        dib.colours[i] = {kSwapCases[i].in.b, kSwapCases[i].in.g, kSwapCases[i].in.r, 0};
    std::memset(dib.bits, 7, size_t(dib.stride) * 2);
    ASSERT_TRUE(SwapBlackWhite(dib));
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dib.colours[i].blue, kSwapCases[i].out.b);
        EXPECT_EQ(dib.colours[i].green, kSwapCases[i].out.g);
        EXPECT_EQ(dib.colours[i].red, kSwapCases[i].out.r);
    }
    EXPECT_EQ(dib.bits[0], 7);  // the pixels still point at the same entries
}

TEST(ImageEdit, SwapBlackWhiteOfOneBitCaptureSwapsItsTwoColours) {
    Dib dib;
    ASSERT_TRUE(dib.Create(8, 1, 2));
    dib.colours[0] = {0, 0, 0, 0};
    dib.colours[1] = {255, 255, 255, 0};
    ASSERT_TRUE(SwapBlackWhite(dib));
    EXPECT_EQ(dib.colours[0].red, 255);
    EXPECT_EQ(dib.colours[1].red, 0);
}

// Pixels of 24 and 32 bits are judged as they are; 16-bit pixels hold only
// five bits a colour, so only their darkest and lightest levels qualify.
TEST(ImageEdit, SwapBlackWhiteOfPixelsAtEveryDepth) {
    for (int bits : {16, 24, 32}) {
        for (const SwapCase& c : kSwapCases) {
            auto dib = PlainDib(bits);
            ASSERT_FALSE(dib->Empty());
            SetPixel(*dib, c.in);
            Colour before = GetPixel(*dib);  // 16 bits: the colour as it is stored
            if (bits == 32) dib->bits[3] = 0x5A;
            ASSERT_TRUE(SwapBlackWhite(*dib));
            Colour got = GetPixel(*dib);
            SCOPED_TRACE(testing::Message() << bits << " bits, in " << int(c.in.b) << "," << int(c.in.g) << ","
                                            << int(c.in.r));
            bool black = before.b <= 5 && before.g <= 5 && before.r <= 5;
            bool white = before.b >= 250 && before.g >= 250 && before.r >= 250;
            Colour want = black ? Colour{255, 255, 255} : white ? Colour{0, 0, 0} : before;
            if (bits != 16) {
                want = c.out;
            }
            EXPECT_EQ(got.b, want.b);
            EXPECT_EQ(got.g, want.g);
            EXPECT_EQ(got.r, want.r);
            if (bits == 32) {
                EXPECT_EQ(dib->bits[3], 0x5A);
            }
            // The second row is black and turns white.
            const uint8_t* row2 = dib->bits + dib->stride;
            EXPECT_EQ(row2[0], 255);
            EXPECT_EQ(row2[1], bits == 16 ? 0x7F : 255);
        }
    }
}

TEST(GammaTable, Values) {
    struct Case {
        double gamma;
        int in, out;
    } cases[] = {{1.0, 0, 0}, {1.0, 77, 77}, {1.0, 128, 128}, {1.0, 255, 255}, {1.7, 128, 170},
                 {1.7, 0, 0}, {1.7, 255, 255}, {0.5, 128, 64}, {2.0, 64, 128}};
    for (const Case& c : cases) {
        GammaTable t;
        t.Build(c.gamma);
        EXPECT_EQ(t[size_t(c.in)], c.out) << c.gamma << " " << c.in;
    }
}

TEST(GammaTable, RebuildsOnlyForAnotherGamma) {
    GammaTable t;
    EXPECT_FALSE(t.Built());
    t.Build(1.7);
    t.Build(1.7);
    EXPECT_EQ(t[128], 170);
    t.Build(1.0);
    EXPECT_EQ(t[128], 128);
}

TEST(ImageEdit, ApplyGammaToTableOrToPixels) {
    GammaTable t;
    t.Build(1.7);
    Dib table;
    ASSERT_TRUE(table.Create(2, 2, 16));
    table.colours[3] = {128, 0, 255, 9};
    table.bits[0] = 0x33;
    ASSERT_TRUE(ApplyGamma(table, t));
    EXPECT_EQ(table.colours[3].blue, 170);
    EXPECT_EQ(table.colours[3].green, 0);
    EXPECT_EQ(table.colours[3].red, 255);
    EXPECT_EQ(table.colours[3].reserved, 9);
    EXPECT_EQ(table.bits[0], 0x33);

    auto plain = PlainDib(24);
    SetPixel(*plain, {128, 128, 0});
    ASSERT_TRUE(ApplyGamma(*plain, t));
    EXPECT_EQ(plain->bits[0], 170);
    EXPECT_EQ(plain->bits[1], 170);
    EXPECT_EQ(plain->bits[2], 0);
}

TEST(ImageEdit, RefusesWhatItCannotRead) {
    GammaTable t;
    Dib empty;
    EXPECT_FALSE(SwapBlackWhite(empty));
    t.Build(1.0);
    EXPECT_FALSE(ApplyGamma(empty, t));
    auto plain = PlainDib(24);
    plain->Header()->compression = 3;  // bit fields
    EXPECT_FALSE(SwapBlackWhite(*plain));
    GammaTable unbuilt;
    EXPECT_FALSE(ApplyGamma(*PlainDib(24), unbuilt));
}

}  // namespace
}  // namespace gmbx
