#include "imageio/dib.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imageio/dibheader.h"

namespace gmbx {
namespace {

// ---- header arithmetic ----------------------------------------------------

TEST(DibStride, RowsArePaddedToFourBytes) {
    EXPECT_EQ(DibStride(1, 1), 4);
    EXPECT_EQ(DibStride(5, 24), 16);
    EXPECT_EQ(DibStride(32, 1), 4);
    EXPECT_EQ(DibStride(33, 1), 8);
    EXPECT_EQ(DibStride(9, 4), 8);
    EXPECT_EQ(DibStride(8, 4), 4);
    EXPECT_EQ(DibStride(5, 8), 8);
    EXPECT_EQ(DibStride(3, 16), 8);
    EXPECT_EQ(DibStride(3, 32), 12);
    EXPECT_EQ(DibStride(0, 8), 0);
}

TEST(DibStride, RejectsNegativeWidthAndOddBitCounts) {
    EXPECT_EQ(DibStride(-1, 8), -1);
    EXPECT_EQ(DibStride(4, 2), -1);
    EXPECT_EQ(DibStride(4, 0), -1);
    EXPECT_EQ(DibStride(4, 15), -1);
    EXPECT_EQ(DibStride(INT64_MAX, 32), -1);
}

TEST(DibTableEntries, ColoursUsedWinsElseByBitCount) {
    EXPECT_EQ(DibTableEntries(0, 1), 2u);
    EXPECT_EQ(DibTableEntries(0, 4), 16u);
    EXPECT_EQ(DibTableEntries(0, 8), 256u);
    EXPECT_EQ(DibTableEntries(0, 16), 0u);
    EXPECT_EQ(DibTableEntries(0, 24), 0u);
    EXPECT_EQ(DibTableEntries(0, 32), 0u);
    EXPECT_EQ(DibTableEntries(7, 8), 7u);
    EXPECT_EQ(DibTableEntries(12, 24), 12u);
}

DibInfoHeader Header(int32_t w, int32_t h, uint16_t bitCount) {
    DibInfoHeader hdr{};
    hdr.size = kInfoHeaderSize;
    hdr.width = w;
    hdr.height = h;
    hdr.planes = 1;
    hdr.bitCount = bitCount;
    return hdr;
}

TEST(DibImageSize, StoredSizeCountsOnlyWhenCompressed) {
    DibInfoHeader h = Header(5, 3, 8);
    h.sizeImage = 7;
    EXPECT_EQ(DibImageSize(h), 24);  // uncompressed: stride 8 x 3 rows
    h.compression = kCompressionRle8;
    EXPECT_EQ(DibImageSize(h), 7);
    h.sizeImage = 0;
    EXPECT_EQ(DibImageSize(h), 24);
}

TEST(DibImageSize, UsesAbsoluteHeightWithoutOverflow) {
    EXPECT_EQ(DibImageSize(Header(5, -3, 8)), 24);
    EXPECT_EQ(DibImageSize(Header(1, INT32_MIN, 8)), 4 * (int64_t(1) << 31));
    EXPECT_EQ(DibImageSize(Header(INT32_MAX, INT32_MIN, 32)), -1);
    EXPECT_EQ(DibImageSize(Header(-4, 3, 8)), -1);
    EXPECT_EQ(DibImageSize(Header(4, 3, 3)), -1);
}

TEST(DibResolution, ThousandthsOfDpiToPixelsPerMetre) {
    EXPECT_EQ(PelsPerMeterFromThousandths(96000), 3780);
    EXPECT_EQ(PelsPerMeterFromThousandths(72000), 2835);
    EXPECT_EQ(PelsPerMeterFromThousandths(300000), 11811);
    EXPECT_EQ(PelsPerMeterFromThousandths(0), 0);
}

// Raw headers as they sit in a file: little-endian, possibly unaligned.
std::vector<uint8_t> RawInfoHeader(uint16_t bitCount, uint32_t clrUsed) {
    std::vector<uint8_t> b(1 + kInfoHeaderSize, 0);  // leading byte: misalign
    uint8_t* p = b.data() + 1;
    p[0] = 40;
    p[14] = uint8_t(bitCount);
    p[15] = uint8_t(bitCount >> 8);
    for (int i = 0; i < 4; ++i) p[32 + i] = uint8_t(clrUsed >> (8 * i));
    return b;
}

std::vector<uint8_t> RawCoreHeader(uint16_t bitCount) {
    std::vector<uint8_t> b(1 + kCoreHeaderSize, 0);
    uint8_t* p = b.data() + 1;
    p[0] = 12;
    p[10] = uint8_t(bitCount);
    return b;
}

TEST(DibRawHeader, InfoHeaderCountsFourBytesPerEntry) {
    auto h = RawInfoHeader(4, 0);
    EXPECT_EQ(DibNumColoursOf(h.data() + 1), 16);
    EXPECT_EQ(DibPaletteBytesOf(h.data() + 1), 64);
    h = RawInfoHeader(8, 5);
    EXPECT_EQ(DibNumColoursOf(h.data() + 1), 5);
    EXPECT_EQ(DibPaletteBytesOf(h.data() + 1), 20);
    h = RawInfoHeader(24, 0);
    EXPECT_EQ(DibNumColoursOf(h.data() + 1), 0);
    EXPECT_EQ(DibPaletteBytesOf(h.data() + 1), 0);
}

TEST(DibRawHeader, CoreHeaderCountsThreeBytesPerEntry) {
    auto h = RawCoreHeader(8);
    EXPECT_EQ(DibNumColoursOf(h.data() + 1), 256);
    EXPECT_EQ(DibPaletteBytesOf(h.data() + 1), 768);
    h = RawCoreHeader(1);
    EXPECT_EQ(DibNumColoursOf(h.data() + 1), 2);
    EXPECT_EQ(DibPaletteBytesOf(h.data() + 1), 6);
    h = RawCoreHeader(24);
    EXPECT_EQ(DibNumColoursOf(h.data() + 1), 0);
}

TEST(DibRawHeader, CountsBeyondSixteenBitsSaturate) {
    auto h = RawInfoHeader(8, 70000);
    EXPECT_EQ(DibNumColoursOf(h.data() + 1), 0xFFFF);
    EXPECT_EQ(DibPaletteBytesOf(h.data() + 1), 0xFFFF);
    h = RawInfoHeader(8, 20000);  // fits as a count, not as bytes
    EXPECT_EQ(DibNumColoursOf(h.data() + 1), 20000);
    EXPECT_EQ(DibPaletteBytesOf(h.data() + 1), 0xFFFF);
}

// ---- host stand-ins ---------------------------------------------------------

// Restores the built-in host after each test.
class DibTest : public ::testing::Test {
protected:
    void TearDown() override { SetDibHost(nullptr); }
};

// Application colour table of n colours; colour i is (i, 100 + i, 200 - i)
// with a non-zero reserved byte that must not reach a Dib.
int g_appCount = 24;
int FakeAppColours(RgbQuad* out, int max) {
    for (int i = 0; i < g_appCount && i < max; ++i) {
        out[i] = RgbQuad{uint8_t(200 - i), uint8_t(100 + i), uint8_t(i), 0x5A};
    }
    return g_appCount;
}

int g_deviceColours = 256;
int FakeDeviceColours() { return g_deviceColours; }

DibHost FakeHost() {
    return DibHost{FakeDeviceColours, FakeAppColours};
}

// A heap block holding a w x h image of bitCount bits with entries table
// entries; pixel byte i is i & 0xFF.
uint8_t* MakeBlock(int32_t w, int32_t h, uint16_t bitCount, uint32_t clrUsed, size_t extra = 0) {
    DibInfoHeader hdr = Header(w, h, bitCount);
    hdr.clrUsed = clrUsed;
    const size_t entries = DibTableEntries(hdr);
    const size_t image = size_t(DibImageSize(hdr));
    auto* block = static_cast<uint8_t*>(std::calloc(1, kInfoHeaderSize + 4 * entries + image + extra));
    std::memcpy(block, &hdr, sizeof hdr);
    uint8_t* px = block + kInfoHeaderSize + 4 * entries;
    for (size_t i = 0; i < image + extra; ++i) px[i] = uint8_t(i);
    return block;
}

void ExpectConsistent(const Dib& d, int32_t spare = 0) {
    ASSERT_FALSE(d.Empty());
    const DibInfoHeader& h = *d.Header();
    const int64_t entries = DibTableEntries(h);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(d.colours), d.bih + 40);
    EXPECT_EQ(d.bits, d.bih + 40 + 4 * entries);
    EXPECT_EQ(d.stride, DibStride(h.width, h.bitCount));
    EXPECT_EQ(d.totalSize, 40 + 4 * entries + DibImageSize(h) + spare);
}

// ---- Create -----------------------------------------------------------------

TEST_F(DibTest, TwoColoursGiveOneBitWithTwoEntries) {
    Dib d;
    ASSERT_TRUE(d.Create(1, 1, 2));
    ExpectConsistent(d);
    EXPECT_EQ(d.BitCount(), 1);
    EXPECT_EQ(d.ColourCount(), 2);
    EXPECT_EQ(d.stride, 4);
    EXPECT_EQ(d.totalSize, 40 + 8 + 4);
    const DibInfoHeader& h = *d.Header();
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.compression, kCompressionNone);
    EXPECT_EQ(h.sizeImage, 4u);
    EXPECT_EQ(h.clrUsed, 2u);
    EXPECT_EQ(h.clrImportant, 2u);
    EXPECT_EQ(h.xPelsPerMeter, 0);
    EXPECT_EQ(h.yPelsPerMeter, 0);
    EXPECT_EQ(d.colourMap, nullptr);
}

TEST_F(DibTest, TrueColourHasNoTable) {
    Dib d;
    ASSERT_TRUE(d.Create(1, 1, 16777216));
    ExpectConsistent(d);
    EXPECT_EQ(d.BitCount(), 24);
    EXPECT_EQ(d.ColourCount(), 0);
    EXPECT_EQ(d.bits, d.bih + 40);
    EXPECT_EQ(d.Header()->clrUsed, 0u);
    EXPECT_EQ(d.totalSize, 44);
}

TEST_F(DibTest, ColourCountPicksTheSmallestDepth) {
    struct Case { int colours; int bits; };
    for (Case c : {Case{1, 1}, Case{3, 4}, Case{16, 4}, Case{17, 8}, Case{256, 8}, Case{257, 24},
                   Case{65536, 24}}) {
        Dib d;
        ASSERT_TRUE(d.Create(3, 2, c.colours)) << c.colours;
        EXPECT_EQ(d.BitCount(), c.bits) << c.colours;
        ExpectConsistent(d);
    }
}

TEST_F(DibTest, CompressionOnlyForEightAndFourBits) {
    Dib d;
    ASSERT_TRUE(d.Create(1, 1, 256, true));
    EXPECT_EQ(d.BitCount(), 8);
    EXPECT_EQ(d.Header()->compression, kCompressionRle8);
    EXPECT_EQ(d.Header()->sizeImage, 4u);
    ExpectConsistent(d);
    ASSERT_TRUE(d.Create(1, 1, 16, true));
    EXPECT_EQ(d.BitCount(), 4);
    EXPECT_EQ(d.Header()->compression, kCompressionRle4);
    ASSERT_TRUE(d.Create(1, 1, 2, true));
    EXPECT_EQ(d.Header()->compression, kCompressionNone);
    ASSERT_TRUE(d.Create(1, 1, 16777216, true));
    EXPECT_EQ(d.Header()->compression, kCompressionNone);
}

TEST_F(DibTest, PixelsStartZero) {
    Dib d;
    ASSERT_TRUE(d.Create(7, 5, 16777216));
    for (int i = 0; i < d.stride * 5; ++i) ASSERT_EQ(d.bits[i], 0);
}

TEST_F(DibTest, NoColoursMeansTheDeviceCount) {
    Dib d;
    ASSERT_TRUE(d.Create(1, 1, 0));
    EXPECT_EQ(d.BitCount(), 8);  // built-in host: 256
    DibHost host = FakeHost();
    SetDibHost(&host);
    g_appCount = 0;
    g_deviceColours = 16;
    ASSERT_TRUE(d.Create(1, 1, -1));
    EXPECT_EQ(d.BitCount(), 4);
    g_deviceColours = 65536;
    ASSERT_TRUE(d.Create(1, 1, 0));
    EXPECT_EQ(d.BitCount(), 24);
    g_appCount = 24;
    g_deviceColours = 256;
}

TEST_F(DibTest, EightBitTableStartsWithTheApplicationColours) {
    DibHost host = FakeHost();
    SetDibHost(&host);
    g_appCount = 24;
    Dib d;
    ASSERT_TRUE(d.Create(2, 2, 256));
    EXPECT_EQ(d.Header()->clrUsed, 256u);
    EXPECT_EQ(d.Header()->clrImportant, 24u);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(d.colours[i].red, i) << i;
        EXPECT_EQ(d.colours[i].green, 100 + i) << i;
        EXPECT_EQ(d.colours[i].blue, 200 - i) << i;
        EXPECT_EQ(d.colours[i].reserved, 0) << i;
    }
    for (int i = 24; i < 256; ++i) {
        ASSERT_EQ(d.colours[i].red | d.colours[i].green | d.colours[i].blue | d.colours[i].reserved, 0) << i;
    }
}

TEST_F(DibTest, FourBitTableTakesApplicationColoursEightOn) {
    DibHost host = FakeHost();
    SetDibHost(&host);
    g_appCount = 24;
    Dib d;
    ASSERT_TRUE(d.Create(2, 2, 16));
    EXPECT_EQ(d.Header()->clrImportant, 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(d.colours[i].red, 8 + i) << i;
        EXPECT_EQ(d.colours[i].green, 108 + i) << i;
    }
}

TEST_F(DibTest, SmallApplicationTableLimitsImportantColours) {
    DibHost host = FakeHost();
    SetDibHost(&host);
    g_appCount = 10;  // fewer than 16: a 4-bit table then starts at colour 0
    Dib d;
    ASSERT_TRUE(d.Create(2, 2, 16));
    EXPECT_EQ(d.Header()->clrUsed, 16u);
    EXPECT_EQ(d.Header()->clrImportant, 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(d.colours[i].red, i) << i;
    for (int i = 10; i < 16; ++i) EXPECT_EQ(d.colours[i].green, 0) << i;
    g_appCount = 24;
}

TEST_F(DibTest, OneBitTableTakesTheFirstTwoColours) {
    DibHost host = FakeHost();
    SetDibHost(&host);
    g_appCount = 24;
    Dib d;
    ASSERT_TRUE(d.Create(2, 2, 2));
    EXPECT_EQ(d.Header()->clrImportant, 2u);
    EXPECT_EQ(d.colours[0].red, 0);
    EXPECT_EQ(d.colours[1].red, 1);
}

TEST_F(DibTest, WithoutApplicationTableAllColoursAreImportantAndBlack) {
    Dib d;
    ASSERT_TRUE(d.Create(2, 2, 256));
    EXPECT_EQ(d.Header()->clrImportant, 256u);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(d.colours[i].green, 0);
}

TEST_F(DibTest, NegativeHeightIsTopDownWithSameSizes) {
    Dib d;
    ASSERT_TRUE(d.Create(5, -3, 16777216));
    EXPECT_EQ(d.Height(), -3);
    EXPECT_EQ(d.Width(), 5);
    EXPECT_EQ(d.stride, 16);
    EXPECT_EQ(d.Header()->sizeImage, 48u);
    EXPECT_EQ(d.totalSize, 40 + 48);
}

TEST_F(DibTest, CreateRefusesUnusableSizes) {
    Dib d;
    EXPECT_FALSE(d.Create(0, 1, 2));
    EXPECT_FALSE(d.Create(-5, 1, 2));
    EXPECT_FALSE(d.Create(1, 0, 2));
    EXPECT_FALSE(d.Create(1, INT_MIN, 2));
    EXPECT_FALSE(d.Create(100000, 100000, 16777216));  // beyond kMaxDibBlock
    EXPECT_FALSE(d.Create(INT_MAX, INT_MAX, 16777216));
    EXPECT_TRUE(d.Empty());
}

TEST_F(DibTest, FailedCreateLeavesTheObjectEmpty) {
    Dib d;
    ASSERT_TRUE(d.Create(4, 4, 256));
    EXPECT_FALSE(d.Create(INT_MAX, 2, 256));
    EXPECT_TRUE(d.Empty());
    EXPECT_EQ(d.bits, nullptr);
    EXPECT_EQ(d.totalSize, 0);
}

TEST_F(DibTest, EmptyDibReportsZeros) {
    Dib d;
    EXPECT_TRUE(d.Empty());
    EXPECT_EQ(d.Width(), 0);
    EXPECT_EQ(d.Height(), 0);
    EXPECT_EQ(d.ColourCount(), 0);
    EXPECT_EQ(d.BitCount(), 0);
    d.RecomputeStride();
    EXPECT_EQ(d.stride, 0);
    EXPECT_FALSE(d.RecomputeLayout());
}

// ---- copies -----------------------------------------------------------------

TEST_F(DibTest, CopyOwnsItsOwnBlockWithoutColourMap) {
    Dib d;
    ASSERT_TRUE(d.Create(3, 2, 16));
    d.colours[5].red = 77;
    d.bits[1] = 0x12;
    d.colourMap = static_cast<int32_t*>(std::calloc(16, sizeof(int32_t)));
    Dib c(d);
    ExpectConsistent(c);
    EXPECT_NE(c.bih, d.bih);
    EXPECT_EQ(c.totalSize, d.totalSize);
    EXPECT_EQ(std::memcmp(c.bih, d.bih, size_t(d.totalSize)), 0);
    EXPECT_EQ(c.colourMap, nullptr);
    c.bits[1] = 0x34;
    EXPECT_EQ(d.bits[1], 0x12);
}

TEST_F(DibTest, CopyOfEmptyIsEmpty) {
    Dib d;
    Dib c(d);
    EXPECT_TRUE(c.Empty());
}

TEST_F(DibTest, CopyKeepsSpareBytes) {
    Dib d;
    ASSERT_TRUE(d.AttachBlock(MakeBlock(4, 4, 8, 0, 16)));
    ASSERT_TRUE(d.RecomputeLayout(16));
    ExpectConsistent(d, 16);
    Dib c(d);
    ExpectConsistent(c, 16);
    EXPECT_EQ(std::memcmp(c.bih, d.bih, size_t(d.totalSize)), 0);
}

// ---- attaching and resizing ----------------------------------------------------

TEST_F(DibTest, AttachBlockDerivesThePointers) {
    Dib d;
    ASSERT_TRUE(d.AttachBlock(MakeBlock(9, -2, 4, 3)));
    ExpectConsistent(d);
    EXPECT_EQ(d.ColourCount(), 3);
    EXPECT_EQ(d.bits, d.bih + 40 + 12);
    EXPECT_EQ(d.stride, 8);
    EXPECT_EQ(d.totalSize, 40 + 12 + 16);
}

TEST_F(DibTest, AttachBlockRefusesBadHeadersAndKeepsTheOldImage) {
    Dib d;
    ASSERT_TRUE(d.Create(2, 2, 256));
    uint8_t* old = d.bih;
    uint8_t* bad = MakeBlock(2, 2, 8, 0);
    reinterpret_cast<DibInfoHeader*>(bad)->bitCount = 3;
    EXPECT_FALSE(d.AttachBlock(bad));
    reinterpret_cast<DibInfoHeader*>(bad)->bitCount = 8;
    reinterpret_cast<DibInfoHeader*>(bad)->clrUsed = 300;
    EXPECT_FALSE(d.AttachBlock(bad));
    reinterpret_cast<DibInfoHeader*>(bad)->clrUsed = 0;
    reinterpret_cast<DibInfoHeader*>(bad)->size = 12;
    EXPECT_FALSE(d.AttachBlock(bad));
    EXPECT_EQ(d.bih, old);  // the caller still owns the refused block
    std::free(bad);
}

TEST_F(DibTest, BuiltInHostHasTheDefaultDeviceAndNoApplicationTable) {
    DibHost host = FakeHost();
    SetDibHost(&host);
    EXPECT_EQ(GetDibHost().deviceColours, FakeDeviceColours);
    SetDibHost(nullptr);
    const DibHost& h = GetDibHost();
    EXPECT_EQ(h.deviceColours(), 256);
    RgbQuad table[4] = {};
    EXPECT_EQ(h.appColours(table, 4), 0);
}

TEST_F(DibTest, HostHooksLeftOutKeepTheirDefaults) {
    DibHost partial{};
    partial.appColours = FakeAppColours;
    SetDibHost(&partial);
    g_appCount = 24;
    Dib d;
    ASSERT_TRUE(d.Create(1, 1, 0));  // device colours: still the built-in 256
    EXPECT_EQ(d.BitCount(), 8);
    EXPECT_EQ(d.Header()->clrImportant, 24u);
}

}  // namespace
}  // namespace gmbx
