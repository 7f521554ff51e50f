#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imageio/dib.h"
#include "imageio/dibheader.h"
#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

using Bytes = std::vector<uint8_t>;
using testutil::ReadFileBytes;
using testutil::TempDir;
using testutil::WriteFileBytes;

void Add16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Add32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
uint32_t Get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// Fields of a 40-byte header as a file carries them.
struct InfoFields {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPels = 0;
    int32_t yPels = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

// A BMP file image: optional file header (pixel offset right after the
// table unless given), info header, table bytes, pixel bytes.
Bytes BuildBmp(const InfoFields& f, const Bytes& table, const Bytes& pixels, bool fileHeader = true,
               uint32_t pixelOffset = 0) {
    Bytes b;
    if (fileHeader) {
        b.push_back('B');
        b.push_back('M');
        Add32(b, uint32_t(14 + 40 + table.size() + pixels.size()));
        Add32(b, 0);
        Add32(b, pixelOffset ? pixelOffset : uint32_t(14 + 40 + table.size()));
    }
    Add32(b, 40);
    Add32(b, uint32_t(f.width));
    Add32(b, uint32_t(f.height));
    Add16(b, f.planes);
    Add16(b, f.bitCount);
    Add32(b, f.compression);
    Add32(b, f.sizeImage);
    Add32(b, uint32_t(f.xPels));
    Add32(b, uint32_t(f.yPels));
    Add32(b, f.clrUsed);
    Add32(b, f.clrImportant);
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

Bytes GreyTable(int entries) {
    Bytes t;
    for (int i = 0; i < entries; ++i) {
        t.push_back(uint8_t(i));
        t.push_back(uint8_t(i));
        t.push_back(uint8_t(i));
        t.push_back(0);
    }
    return t;
}

Bytes Row(const Dib& d, int r) { return Bytes(d.bits + r * d.stride, d.bits + (r + 1) * d.stride); }

// Takes a loader's new Dib into d (emptied first) for the checks below;
// false when the loader returned none.
bool Take(Dib& d, std::unique_ptr<Dib> loaded) {
    d.Release();
    if (!loaded) return false;
    auto* block = static_cast<uint8_t*>(std::malloc(size_t(loaded->totalSize)));
    if (!block) return false;
    std::memcpy(block, loaded->bih, size_t(loaded->totalSize));
    if (d.AttachBlock(block)) return true;
    std::free(block);
    return false;
}

class BmpFileTest : public ::testing::Test {
protected:
    bool LoadBytes(Dib& d, const Bytes& bytes, const std::string& name = "in.bmp") {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return Take(d, LoadBMP(path.c_str()));
    }
    TempDir dir_;
};

// An image of the given depth with a recognisable table and pixels.
void MakeImage(Dib& d, int width, int height, int bits) {
    if (bits == 32 || bits == 16) {
        DibInfoHeader h{};
        h.size = 40;
        h.width = width;
        h.height = height;
        h.planes = 1;
        h.bitCount = uint16_t(bits);
        const int64_t image = DibImageSize(h);
        h.sizeImage = uint32_t(image);
        auto* block = static_cast<uint8_t*>(std::calloc(1, size_t(40 + image)));
        std::memcpy(block, &h, sizeof h);
        ASSERT_TRUE(d.AttachBlock(block));
    } else {
        const int colours = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 16777216;
        ASSERT_TRUE(d.Create(width, height, colours));
    }
    d.Header()->xPelsPerMeter = PelsPerMeterFromThousandths(96000);
    d.Header()->yPelsPerMeter = PelsPerMeterFromThousandths(72000);
    for (int i = 0; i < d.ColourCount(); ++i) d.colours[i] = RgbQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0};
    for (int r = 0; r < DibAbsHeight(d.Height()); ++r) {
        for (int x = 0; x < d.stride; ++x) d.bits[r * d.stride + x] = uint8_t(r * 31 + x * 7 + 1);
    }
}

// ---- writing and reading back -------------------------------------------------------

class BmpRoundTrip : public BmpFileTest, public ::testing::WithParamInterface<int> {};

TEST_P(BmpRoundTrip, ReadBackGivesTheSameBlock) {
    const int bits = GetParam();
    for (int height : {3, -3}) {
        Dib d;
        MakeImage(d, 7, height, bits);
        const std::string path = dir_.File("rt.bmp");
        ASSERT_TRUE(d.WriteBMP(path.c_str()));
        Dib back;
        ASSERT_TRUE(Take(back, LoadBMP(path.c_str())));
        EXPECT_EQ(back.BitCount(), bits);
        EXPECT_EQ(back.Height(), height);
        ASSERT_EQ(back.totalSize, d.totalSize);
        EXPECT_EQ(std::memcmp(back.bih, d.bih, size_t(d.totalSize)), 0);
        EXPECT_EQ(back.stride, d.stride);
        EXPECT_EQ(back.bits - back.bih, d.bits - d.bih);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpRoundTrip, ::testing::Values(1, 4, 8, 16, 24, 32));

TEST_F(BmpFileTest, FileHeaderFieldsMatchTheBlock) {
    Dib d;
    MakeImage(d, 5, 2, 4);
    const std::string path = dir_.File("hdr.bmp");
    ASSERT_TRUE(d.WriteBMP(path.c_str()));
    const Bytes file = ReadFileBytes(path);
    ASSERT_EQ(file.size(), size_t(d.totalSize) + 14);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Get32(file, 2), file.size());
    EXPECT_EQ(Get32(file, 6), 0u);              // both reserved words
    EXPECT_EQ(Get32(file, 10), 14u + 40 + 64);  // pixel data after 16 entries
    EXPECT_EQ(Get32(file, 14), 40u);
    EXPECT_EQ(Get32(file, 18), 5u);
    EXPECT_EQ(Get32(file, 22), 2u);
    EXPECT_EQ(file[28], 4);                  // bit count
    EXPECT_EQ(Get32(file, 38), 3780u);       // horizontal resolution
    EXPECT_EQ(Get32(file, 42), 2835u);       // vertical resolution
    EXPECT_EQ(std::memcmp(file.data() + 54, d.bih + 40, size_t(d.totalSize) - 40), 0);
}

TEST_F(BmpFileTest, LargeImageIsWrittenCompletely) {
    // More than one 32768-byte piece, with a length that is not a multiple.
    Dib d;
    MakeImage(d, 301, 117, 24);
    const std::string path = dir_.File("big.bmp");
    ASSERT_TRUE(d.WriteBMP(path.c_str()));
    const Bytes file = ReadFileBytes(path);
    ASSERT_EQ(file.size(), size_t(d.totalSize) + 14);
    EXPECT_EQ(Get32(file, 2), file.size());
    Bytes mem;
    ASSERT_TRUE(d.WriteBMPToMemory(mem));
    EXPECT_EQ(mem, file);
    Dib back;
    ASSERT_TRUE(Take(back, LoadBMPFromMemory(mem.data(), mem.size())));
    EXPECT_EQ(std::memcmp(back.bih, d.bih, size_t(d.totalSize)), 0);
}

TEST_F(BmpFileTest, SpareBytesAreWrittenAndCountedInFileSize) {
    Dib d;
    MakeImage(d, 4, 4, 24);
    // The same image with 16 spare bytes after the pixels.
    auto* block = static_cast<uint8_t*>(std::calloc(1, size_t(d.totalSize) + 16));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, d.bih, size_t(d.totalSize));
    ASSERT_TRUE(d.AttachBlock(block));
    ASSERT_TRUE(d.RecomputeLayout(16));
    Bytes mem;
    ASSERT_TRUE(d.WriteBMPToMemory(mem));
    EXPECT_EQ(mem.size(), size_t(d.totalSize) + 14);
    EXPECT_EQ(Get32(mem, 2), mem.size());
}

TEST_F(BmpFileTest, EmptyDibWritesNoFile) {
    Dib d;
    const std::string path = dir_.File("empty.bmp");
    EXPECT_FALSE(d.WriteBMP(path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));
    Bytes mem{1, 2, 3};
    EXPECT_FALSE(d.WriteBMPToMemory(mem));
    EXPECT_TRUE(mem.empty());
}

TEST_F(BmpFileTest, UnwritablePathFailsAndLeavesNoFile) {
    Dib d;
    MakeImage(d, 2, 2, 8);
    const std::filesystem::path path = dir_.Path() / "no-such-folder" / "x.bmp";
    EXPECT_FALSE(d.WriteBMP(path.string().c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));
    // A directory in the way of the file name.
    std::filesystem::create_directory(dir_.Path() / "taken");
    EXPECT_FALSE(d.WriteBMP((dir_.Path() / "taken").string().c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.Path() / "taken"));
}

// ---- reader: accepted forms -----------------------------------------------------------

TEST_F(BmpFileTest, HeaderlessFileLoads) {
    Dib d;
    MakeImage(d, 6, 3, 8);
    Bytes file;
    ASSERT_TRUE(d.WriteBMPToMemory(file));
    file.erase(file.begin(), file.begin() + 14);
    Dib back;
    ASSERT_TRUE(LoadBytes(back, file));
    ASSERT_EQ(back.totalSize, d.totalSize);
    EXPECT_EQ(std::memcmp(back.bih, d.bih, size_t(d.totalSize)), 0);
}

TEST_F(BmpFileTest, MemoryAndFileReadersAgree) {
    InfoFields f;
    f.width = 3;
    f.height = 2;
    f.clrUsed = 4;
    const Bytes file = BuildBmp(f, GreyTable(4), {1, 2, 3, 0, 3, 2, 1, 0});
    Dib a, b;
    ASSERT_TRUE(LoadBytes(a, file));
    ASSERT_TRUE(Take(b, LoadBMPFromMemory(file.data(), file.size())));
    ASSERT_EQ(a.totalSize, b.totalSize);
    EXPECT_EQ(std::memcmp(a.bih, b.bih, size_t(a.totalSize)), 0);
    EXPECT_EQ(a.totalSize, 40 + 16 + 8);
}

// OS/2 style: 12-byte header, 16-bit width/height/planes/bit count, 3-byte
// table entries.
Bytes CoreFile(bool fileHeader) {
    Bytes b;
    const uint32_t tableBytes = 16 * 3;
    const Bytes pixels{0x01, 0x23, 0x00, 0x00, 0x45, 0x67, 0x00, 0x00};  // 4x2, 4 bits
    if (fileHeader) {
        b.push_back('B');
        b.push_back('M');
        Add32(b, 14 + 12 + tableBytes + uint32_t(pixels.size()));
        Add32(b, 0);
        Add32(b, 14 + 12 + tableBytes);
    }
    Add32(b, 12);
    Add16(b, 4);   // width
    Add16(b, 2);   // height
    Add16(b, 1);   // planes
    Add16(b, 4);   // bit count
    for (int i = 0; i < 16; ++i) {
        b.push_back(uint8_t(0x10 + i));  // blue
        b.push_back(uint8_t(0x40 + i));  // green
        b.push_back(uint8_t(0x80 + i));  // red
    }
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

TEST_F(BmpFileTest, CoreHeaderFileBecomesInfoHeaderWithFourByteEntries) {
    for (bool fileHeader : {true, false}) {
        Dib d;
        ASSERT_TRUE(LoadBytes(d, CoreFile(fileHeader))) << fileHeader;
        const DibInfoHeader& h = *d.Header();
        EXPECT_EQ(h.size, 40u);
        EXPECT_EQ(h.width, 4);
        EXPECT_EQ(h.height, 2);
        EXPECT_EQ(h.bitCount, 4);
        EXPECT_EQ(h.compression, 0u);
        EXPECT_EQ(h.clrUsed, 16u);
        EXPECT_EQ(h.clrImportant, 16u);
        EXPECT_EQ(h.xPelsPerMeter, 0);
        EXPECT_EQ(d.ColourCount(), 16);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(d.colours[i].blue, 0x10 + i) << i;
            EXPECT_EQ(d.colours[i].green, 0x40 + i) << i;
            EXPECT_EQ(d.colours[i].red, 0x80 + i) << i;
            EXPECT_EQ(d.colours[i].reserved, 0) << i;
        }
        EXPECT_EQ(Row(d, 0), (Bytes{0x01, 0x23, 0x00, 0x00}));
        EXPECT_EQ(Row(d, 1), (Bytes{0x45, 0x67, 0x00, 0x00}));
        EXPECT_EQ(d.totalSize, 40 + 64 + 8);
    }
}

TEST_F(BmpFileTest, CoreHeaderTrueColourHasNoTable) {
    Bytes b;
    Add32(b, 12);
    Add16(b, 1);
    Add16(b, 1);
    Add16(b, 1);
    Add16(b, 24);
    b.insert(b.end(), {0x0A, 0x0B, 0x0C, 0x00});
    Dib d;
    ASSERT_TRUE(Take(d, LoadBMPFromMemory(b.data(), b.size())));
    EXPECT_EQ(d.ColourCount(), 0);
    EXPECT_EQ(d.Header()->clrUsed, 0u);
    EXPECT_EQ(Row(d, 0), (Bytes{0x0A, 0x0B, 0x0C, 0x00}));
}

TEST_F(BmpFileTest, PixelOffsetIsHonoured) {
    InfoFields f;
    f.width = 4;
    f.height = 1;
    f.clrUsed = 2;
    Bytes pixels{0xEE, 0xEE, 0xEE, 0xEE, 9, 8, 7, 6};  // 4 junk bytes before the row
    const Bytes file = BuildBmp(f, GreyTable(2), pixels, true, 14 + 40 + 8 + 4);
    Dib d;
    ASSERT_TRUE(LoadBytes(d, file));
    EXPECT_EQ(Row(d, 0), (Bytes{9, 8, 7, 6}));
}

// ---- reader: run-length data ------------------------------------------------------------

TEST_F(BmpFileTest, Rle8FileExpandsWithSecondEndOfLineSwallowed) {
    InfoFields f;
    f.width = 4;
    f.height = 2;
    f.compression = kCompressionRle8;
    const Bytes data{0x03, 0x41, 0x00, 0x00, 0x00, 0x00, 0x02, 0x42, 0x00, 0x01};
    f.sizeImage = uint32_t(data.size());
    Dib d;
    ASSERT_TRUE(LoadBytes(d, BuildBmp(f, GreyTable(256), data)));
    EXPECT_EQ(Row(d, 0), (Bytes{0x41, 0x41, 0x41, 0x00}));
    EXPECT_EQ(Row(d, 1), (Bytes{0x42, 0x42, 0x00, 0x00}));
    EXPECT_EQ(d.Header()->compression, kCompressionNone);
    EXPECT_EQ(d.Header()->sizeImage, 8u);
    EXPECT_EQ(d.Header()->clrUsed, 256u);
    EXPECT_EQ(d.totalSize, 40 + 1024 + 8);
}

TEST_F(BmpFileTest, Rle4FileWithDeltaAndLiteralRuns) {
    InfoFields f;
    f.width = 8;
    f.height = 3;
    f.bitCount = 4;
    f.compression = kCompressionRle4;
    f.clrUsed = 16;
    const Bytes data{
        0x04, 0x12,                    // row 0: 1 2 1 2
        0x00, 0x02, 0x02, 0x01,        // delta: 2 right, 1 down -> row 1, x 6
        0x00, 0x03, 0xAB, 0xC0,        // literal A B C: C is clipped at x 8
        0x00, 0x00,                    // end of line -> row 2
        0x00, 0x05, 0x12, 0x34, 0x50, 0x00,  // literal 1 2 3 4 5, padded
        0x02, 0xFF,                    // F F
        0x00, 0x01};
    f.sizeImage = uint32_t(data.size());
    Dib d;
    ASSERT_TRUE(LoadBytes(d, BuildBmp(f, GreyTable(16), data)));
    EXPECT_EQ(Row(d, 0), (Bytes{0x12, 0x12, 0x00, 0x00}));
    EXPECT_EQ(Row(d, 1), (Bytes{0x00, 0x00, 0x00, 0xAB}));
    EXPECT_EQ(Row(d, 2), (Bytes{0x12, 0x34, 0x5F, 0xF0}));
    EXPECT_EQ(d.Header()->compression, kCompressionNone);
    EXPECT_EQ(d.totalSize, 40 + 64 + 12);
}

TEST_F(BmpFileTest, RunLengthDataLongerThanThePixelsIsAccepted) {
    // 1 x 1 image whose compressed data (encoded pixel by pixel, then ended)
    // is longer than the 4-byte uncompressed area.
    InfoFields f;
    f.width = 1;
    f.height = 1;
    f.compression = kCompressionRle8;
    f.clrUsed = 2;
    const Bytes data{0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x01, 0x01, 0x00, 0x01};
    f.sizeImage = uint32_t(data.size());
    Dib d;
    ASSERT_TRUE(LoadBytes(d, BuildBmp(f, GreyTable(2), data)));
    EXPECT_EQ(Row(d, 0), (Bytes{0x01, 0x00, 0x00, 0x00}));
}

TEST_F(BmpFileTest, RunLengthSizeBeyondTheFileLoadsWhatIsThere) {
    InfoFields f;
    f.width = 4;
    f.height = 2;
    f.compression = kCompressionRle8;
    f.clrUsed = 2;
    f.sizeImage = 0xFFFFFFFF;
    Dib d;
    ASSERT_TRUE(LoadBytes(d, BuildBmp(f, GreyTable(2), {0x04, 0x05, 0x00, 0x00, 0x09, 0x06})));
    EXPECT_EQ(Row(d, 0), (Bytes{5, 5, 5, 5}));
    EXPECT_EQ(Row(d, 1), (Bytes{6, 6, 6, 6}));
    EXPECT_EQ(d.totalSize, 40 + 8 + 8);
}

TEST_F(BmpFileTest, RunLengthOnTheWrongDepthFails) {
    InfoFields f;
    f.width = 4;
    f.height = 1;
    f.bitCount = 4;
    f.compression = kCompressionRle8;
    f.sizeImage = 4;
    Dib d;
    EXPECT_FALSE(LoadBytes(d, BuildBmp(f, GreyTable(16), {0x04, 0x11, 0x00, 0x01})));
    f.bitCount = 24;
    f.compression = kCompressionRle4;
    EXPECT_FALSE(LoadBytes(d, BuildBmp(f, {}, {0x04, 0x11, 0x00, 0x01})));
    EXPECT_TRUE(d.Empty());
}

TEST_F(BmpFileTest, OtherCompressionKeepsTheBytesAndAConsistentBlock) {
    // 16-bit bitfields: the three masks sit between header and pixels.
    InfoFields f;
    f.width = 2;
    f.height = 2;
    f.bitCount = 16;
    f.compression = 3;
    f.sizeImage = 1000;  // larger than the 8 bytes of pixels
    Bytes masks;
    Add32(masks, 0xF800);
    Add32(masks, 0x07E0);
    Add32(masks, 0x001F);
    const Bytes pixels{1, 2, 3, 4, 5, 6, 7, 8};
    Bytes file = BuildBmp(f, {}, {}, true, 14 + 40 + 12);
    file.insert(file.end(), masks.begin(), masks.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    Dib d;
    ASSERT_TRUE(LoadBytes(d, file));
    EXPECT_EQ(d.Header()->compression, 3u);
    EXPECT_EQ(d.Header()->sizeImage, 8u);
    EXPECT_EQ(d.totalSize, 40 + 8);
    EXPECT_EQ(Row(d, 0), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(Row(d, 1), (Bytes{5, 6, 7, 8}));
    Dib copy(d);
    EXPECT_EQ(copy.totalSize, d.totalSize);
}

// ---- reader: damaged and hostile files ------------------------------------------------------

TEST_F(BmpFileTest, EveryTruncationFailsOrLoadsWithZeros) {
    InfoFields f;
    f.width = 3;
    f.height = 2;
    f.clrUsed = 3;
    const Bytes pixels{1, 2, 3, 0, 4, 5, 6, 0};
    const Bytes file = BuildBmp(f, GreyTable(3), pixels);
    const size_t headerAndTable = 14 + 40 + 12;
    for (size_t n = 0; n <= file.size(); ++n) {
        const Bytes cut(file.begin(), file.begin() + std::ptrdiff_t(n));
        Dib d;
        const bool ok = Take(d, LoadBMPFromMemory(cut.data(), cut.size()));
        if (n < headerAndTable) {
            EXPECT_FALSE(ok) << n;
            EXPECT_TRUE(d.Empty()) << n;
            continue;
        }
        ASSERT_TRUE(ok) << n;
        ASSERT_EQ(d.totalSize, 40 + 12 + 8);
        const size_t have = n - headerAndTable;
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(d.bits[i], i < have ? pixels[i] : 0) << n << " " << i;
        }
    }
}

TEST_F(BmpFileTest, TruncatedFileOnDiskFailsCleanly) {
    InfoFields f;
    const Bytes file = BuildBmp(f, GreyTable(256), {7, 0, 0, 0});
    Dib d;
    EXPECT_FALSE(LoadBytes(d, Bytes(file.begin(), file.begin() + 30)));
    EXPECT_FALSE(LoadBytes(d, Bytes(file.begin(), file.begin() + 14 + 40 + 100)));
    EXPECT_TRUE(d.Empty());
    EXPECT_FALSE(LoadBytes(d, Bytes{}));
}

TEST_F(BmpFileTest, HostileHeadersFail) {
    struct Case {
        const char* what;
        InfoFields f;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change) {
        InfoFields f;
        f.width = 2;
        f.height = 2;
        f.bitCount = 24;
        change(f);
        cases.push_back({what, f});
    };
    add("huge both", [](InfoFields& f) { f.width = INT32_MAX; f.height = INT32_MAX; });
    add("huge width", [](InfoFields& f) { f.width = INT32_MAX; f.height = 1; f.bitCount = 32; });
    add("huge height", [](InfoFields& f) { f.width = 1; f.height = INT32_MAX; });
    add("too big for a block", [](InfoFields& f) { f.width = 20000; f.height = 20000; });
    add("most negative height", [](InfoFields& f) { f.height = INT32_MIN; });
    add("zero height", [](InfoFields& f) { f.height = 0; });
    add("zero width", [](InfoFields& f) { f.width = 0; });
    add("negative width", [](InfoFields& f) { f.width = -2; });
    add("bit count 0", [](InfoFields& f) { f.bitCount = 0; });
    add("bit count 2", [](InfoFields& f) { f.bitCount = 2; });
    add("bit count 64", [](InfoFields& f) { f.bitCount = 64; });
    add("257 colours", [](InfoFields& f) { f.bitCount = 8; f.clrUsed = 257; });
    add("table on true colour too big", [](InfoFields& f) { f.clrUsed = 0x40000000; });
    for (const Case& c : cases) {
        const Bytes file = BuildBmp(c.f, GreyTable(64), Bytes(64, 0x55));
        Dib d;
        EXPECT_FALSE(Take(d, LoadBMPFromMemory(file.data(), file.size()))) << c.what;
        EXPECT_TRUE(d.Empty()) << c.what;
    }
}

TEST_F(BmpFileTest, OtherHeaderSizesFail) {
    for (uint32_t size : {0u, 11u, 13u, 39u, 41u, 64u, 108u, 124u, 0xFFFFFFFFu}) {
        InfoFields f;
        Bytes file = BuildBmp(f, GreyTable(256), {1, 2, 3, 4});
        file[14] = uint8_t(size);
        file[15] = uint8_t(size >> 8);
        file[16] = uint8_t(size >> 16);
        file[17] = uint8_t(size >> 24);
        Dib d;
        EXPECT_FALSE(Take(d, LoadBMPFromMemory(file.data(), file.size()))) << size;
    }
}

TEST_F(BmpFileTest, PlanesOtherThanOneAreAccepted) {
    InfoFields f;
    f.planes = 3;
    f.clrUsed = 1;
    const Bytes file = BuildBmp(f, GreyTable(1), {9, 0, 0, 0});
    Dib d;
    ASSERT_TRUE(Take(d, LoadBMPFromMemory(file.data(), file.size())));
    EXPECT_EQ(Row(d, 0), (Bytes{9, 0, 0, 0}));
}

TEST_F(BmpFileTest, OversizedImageSizeReadsOnlyThePixelArea) {
    InfoFields f;
    f.width = 4;
    f.height = 2;
    f.clrUsed = 2;
    f.sizeImage = 0xFFFFFFF0;
    Bytes pixels(64, 0x33);  // far more than the 8-byte area
    const Bytes file = BuildBmp(f, GreyTable(2), pixels);
    Dib d;
    ASSERT_TRUE(Take(d, LoadBMPFromMemory(file.data(), file.size())));
    EXPECT_EQ(d.Header()->sizeImage, 8u);
    EXPECT_EQ(d.totalSize, 40 + 8 + 8);
    EXPECT_EQ(Row(d, 1), (Bytes{0x33, 0x33, 0x33, 0x33}));
}

TEST_F(BmpFileTest, SmallImageSizeLeavesTheRestZero) {
    InfoFields f;
    f.width = 4;
    f.height = 2;
    f.clrUsed = 2;
    f.sizeImage = 3;  // only the first three bytes are taken
    const Bytes file = BuildBmp(f, GreyTable(2), Bytes(8, 0x44));
    Dib d;
    ASSERT_TRUE(Take(d, LoadBMPFromMemory(file.data(), file.size())));
    EXPECT_EQ(Row(d, 0), (Bytes{0x44, 0x44, 0x44, 0x00}));
    EXPECT_EQ(Row(d, 1), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(d.Header()->sizeImage, 8u);
}

TEST_F(BmpFileTest, PixelOffsetPastTheEndGivesBlackImage) {
    InfoFields f;
    f.width = 4;
    f.height = 1;
    f.clrUsed = 2;
    for (uint32_t offset : {1000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        const Bytes file = BuildBmp(f, GreyTable(2), {1, 2, 3, 4}, true, offset);
        Dib d;
        ASSERT_TRUE(LoadBytes(d, file)) << offset;
        EXPECT_EQ(Row(d, 0), (Bytes{0, 0, 0, 0})) << offset;
        ASSERT_TRUE(Take(d, LoadBMPFromMemory(file.data(), file.size()))) << offset;
        EXPECT_EQ(Row(d, 0), (Bytes{0, 0, 0, 0})) << offset;
    }
}

TEST_F(BmpFileTest, FailedLoadsSayWhy) {
    LoadError why = LoadError::None;
    EXPECT_EQ(LoadBMP(dir_.File("missing.bmp").c_str(), &why), nullptr);
    EXPECT_EQ(why, LoadError::OpenFailed);
    const std::string bad = dir_.File("bad.bmp");
    ASSERT_TRUE(WriteFileBytes(bad, Bytes{'B', 'M', 0, 0}));
    EXPECT_EQ(LoadBMP(bad.c_str(), &why), nullptr);
    EXPECT_EQ(why, LoadError::ReadFailed);
    const Bytes core = CoreFile(true);
    why = LoadError::ReadFailed;
    EXPECT_NE(LoadBMPFromMemory(core.data(), core.size(), &why), nullptr);
    EXPECT_EQ(why, LoadError::None);
    EXPECT_EQ(LoadBMPFromMemory(core.data(), 20, &why), nullptr);
    EXPECT_EQ(why, LoadError::ReadFailed);
}

}  // namespace
}  // namespace gmbx
