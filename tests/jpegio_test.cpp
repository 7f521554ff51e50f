#include "imageio/jpegio.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imageio/dibheader.h"
#include "tests/testutil/tempdir.h"

extern "C" {
#include <jpeglib.h>
}

namespace gmbx {
namespace {

using testutil::ReadFileBytes;
using testutil::TempDir;
using testutil::WriteFileBytes;

std::vector<std::string> g_messages;
void CollectMessage(const char* text) { g_messages.push_back(text); }

class JpegTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_messages.clear();
        SetJpegMessageHook(CollectMessage);
    }
    void TearDown() override { SetJpegMessageHook(nullptr); }
    TempDir dir;
};

// ---- building and examining Dibs ---------------------------------------------

// A zero-filled Dib of any supported depth (Create makes only 1, 4, 8 and 24 bits).
std::unique_ptr<Dib> MakeDib(int w, int h, int bits) {
    DibInfoHeader hdr{};
    hdr.size = kInfoHeaderSize;
    hdr.width = w;
    hdr.height = h;
    hdr.planes = 1;
    hdr.bitCount = uint16_t(bits);
    const uint32_t entries = DibTableEntries(0, bits);
    const size_t total = kInfoHeaderSize + 4 * entries + size_t(DibStride(w, bits)) * size_t(DibAbsHeight(h));
    auto* block = static_cast<uint8_t*>(std::calloc(1, total));
    std::memcpy(block, &hdr, sizeof hdr);
    auto dib = std::make_unique<Dib>();
    EXPECT_TRUE(dib->AttachBlock(block));
    return dib;
}

struct Rgb {
    int r, g, b;
};

// Pixel (x, y), y counted from the top, of a 24-bit or 8-bit Dib.
Rgb PixelOf(const Dib& dib, int x, int y) {
    const int h = int(DibAbsHeight(dib.Height()));
    const int row = dib.Height() > 0 ? h - 1 - y : y;
    const uint8_t* p = dib.bits + size_t(row) * dib.stride;
    if (dib.BitCount() == 24) return {p[3 * x + 2], p[3 * x + 1], p[3 * x]};
    const RgbQuad& q = dib.colours[p[x]];
    return {q.red, q.green, q.blue};
}

void SetPixel24(Dib& dib, int x, int y, Rgb c) {
    uint8_t* p = dib.bits + size_t(DibAbsHeight(dib.Height()) - 1 - y) * dib.stride + 3 * x;
    p[0] = uint8_t(c.b);
    p[1] = uint8_t(c.g);
    p[2] = uint8_t(c.r);
}

// A smooth 24-bit image (JPEG keeps it well).
std::unique_ptr<Dib> Gradient(int w, int h) {
    auto dib = std::make_unique<Dib>();
    EXPECT_TRUE(dib->Create(w, h, 16777216));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPixel24(*dib, x, y, {x * 255 / (w - 1), y * 255 / (h - 1), 128});
    return dib;
}

// Largest channel difference and mean absolute difference against an expected colour per pixel (pixels whose
// expected red is negative are not compared).
template <typename Expected>
void ExpectClose(const Dib& dib, int w, int h, Expected expected, int maxDiff, double meanDiff) {
    ASSERT_FALSE(dib.Empty());
    ASSERT_EQ(dib.Width(), w);
    ASSERT_EQ(DibAbsHeight(dib.Height()), h);
    int worst = 0;
    double sum = 0;
    int compared = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb a = PixelOf(dib, x, y), e = expected(x, y);
            if (e.r < 0) continue;
            ++compared;
            for (int d : {a.r - e.r, a.g - e.g, a.b - e.b}) {
                worst = std::max(worst, std::abs(d));
                sum += std::abs(d);
            }
        }
    EXPECT_LE(worst, maxDiff);
    ASSERT_GT(compared, 0);
    EXPECT_LE(sum / (3.0 * compared), meanDiff);
}

// Four flat 16x16 quadrants in colours no coding step can confuse.
const Rgb kQuadColours[4] = {{220, 30, 30}, {30, 200, 40}, {40, 40, 210}, {240, 240, 240}};
Rgb Quadrant(int x, int y) { return kQuadColours[(y / 16) * 2 + x / 16]; }
// The same away from the edges between quadrants, where chroma subsampling blurs the colours.
Rgb QuadrantInside(int x, int y) {
    if ((x >= 12 && x < 20) || (y >= 12 && y < 20)) return {-1, 0, 0};
    return Quadrant(x, y);
}

bool Contains(const std::vector<uint8_t>& bytes, uint8_t a, uint8_t b) {
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == a && bytes[i + 1] == b) return true;
    return false;
}

// Offset of the first marker FF code, or npos.
size_t FindMarker(const std::vector<uint8_t>& bytes, uint8_t code) {
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == code) return i;
    return std::string::npos;
}

// A one-component JPEG in memory, made directly with the library.
std::vector<uint8_t> GreyJpeg(int w, int h) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, FALSE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) row[size_t(x)] = uint8_t(x * 255 / (w - 1));
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

// ---- writing and reading back ---------------------------------------------------

TEST_F(JpegTest, TrueColourRoundTrip) {
    auto src = Gradient(64, 48);
    const std::string path = dir.File("grad.jpg");
    ASSERT_TRUE(WriteJPEG(*src, path.c_str(), 95, false));
    std::unique_ptr<Dib> back(LoadJPEG(path.c_str(), kJpegFullColour));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->BitCount(), 24);
    EXPECT_GT(back->Height(), 0);  // bottom-up
    ExpectClose(*back, 64, 48, [&](int x, int y) { return PixelOf(*src, x, y); }, 16, 2.0);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(JpegTest, PaletteImageIsWrittenThroughItsColourTable) {
    auto src = std::make_unique<Dib>();
    ASSERT_TRUE(src->Create(32, 32, 256));
    ASSERT_EQ(src->BitCount(), 8);
    for (int i = 0; i < 4; ++i) src->colours[10 + i] = RgbQuad{uint8_t(kQuadColours[i].b), uint8_t(kQuadColours[i].g),
                                                               uint8_t(kQuadColours[i].r), 0};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) src->bits[size_t(31 - y) * src->stride + x] = uint8_t(10 + (y / 16) * 2 + x / 16);
    const std::string path = dir.File("pal.jpg");
    ASSERT_TRUE(WriteJPEG(*src, path.c_str(), 95, false));
    std::unique_ptr<Dib> back(LoadJPEG(path.c_str(), kJpegFullColour));
    ASSERT_TRUE(back);
    ExpectClose(*back, 32, 32, QuadrantInside, 16, 3.0);
}

// 1-, 4-, 16- and 32-bit Dibs are expanded to full colour, not written as raw bytes.
TEST_F(JpegTest, OtherDepthsAreExpanded) {
    for (int bits : {1, 4, 16, 32}) {
        SCOPED_TRACE(bits);
        auto src = MakeDib(32, 32, bits);
        auto expected = [bits](int x, int y) -> Rgb {
            if (bits == 1 && QuadrantInside(x, y).r >= 0)
                return (x / 16 + y / 16) % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
            Rgb c = QuadrantInside(x, y);
            if (bits == 16 && c.r >= 0) {
                auto five = [](int v) { return (v >> 3) << 3 | (v >> 5); };  // 5 bits widened again
                c = {five(c.r), five(c.g), five(c.b)};
            }
            return c;
        };
        if (bits <= 4) {
            src->colours[1] = RgbQuad{255, 255, 255, 0};
            if (bits == 4)
                for (int i = 0; i < 4; ++i)
                    src->colours[4 + i] = RgbQuad{uint8_t(kQuadColours[i].b), uint8_t(kQuadColours[i].g),
                                                 uint8_t(kQuadColours[i].r), 0};
        }
        for (int y = 0; y < 32; ++y) {
            uint8_t* row = src->bits + size_t(31 - y) * src->stride;
            for (int x = 0; x < 32; ++x) {
                const int q = (y / 16) * 2 + x / 16;
                const Rgb c = kQuadColours[q];
                switch (bits) {
                    case 1:
                        if ((x / 16 + y / 16) % 2) row[x / 8] |= uint8_t(0x80 >> (x % 8));
                        break;
                    case 4: row[x / 2] |= uint8_t((x % 2) ? 4 + q : (4 + q) << 4); break;
                    case 16: {
                        const unsigned v = unsigned(c.r >> 3) << 10 | unsigned(c.g >> 3) << 5 | unsigned(c.b >> 3);
                        row[2 * x] = uint8_t(v);
                        row[2 * x + 1] = uint8_t(v >> 8);
                        break;
                    }
                    case 32:
                        row[4 * x] = uint8_t(c.b);
                        row[4 * x + 1] = uint8_t(c.g);
                        row[4 * x + 2] = uint8_t(c.r);
                        row[4 * x + 3] = 0x5A;
                        break;
                }
            }
        }
        const std::string path = dir.File("depth" + std::to_string(bits) + ".jpg");
        ASSERT_TRUE(WriteJPEG(*src, path.c_str(), 95, false));
        std::unique_ptr<Dib> back(LoadJPEG(path.c_str(), kJpegFullColour));
        ASSERT_TRUE(back);
        ExpectClose(*back, 32, 32, expected, bits == 1 ? 24 : 16, 3.0);
    }
}

TEST_F(JpegTest, TopDownDibKeepsItsRowOrder) {
    auto src = MakeDib(16, -16, 24);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = src->bits + size_t(y) * src->stride + 3 * x;  // row 0 is the top
            p[2] = y < 8 ? 250 : 5;
            p[1] = 5;
            p[0] = y < 8 ? 5 : 250;
        }
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 95, false));
    std::unique_ptr<Dib> back(LoadJPEGFromMemory(bytes.data(), bytes.size(), kJpegFullColour));
    ASSERT_TRUE(back);
    EXPECT_GT(PixelOf(*back, 3, 2).r, 200);
    EXPECT_GT(PixelOf(*back, 3, 13).b, 200);
}

TEST_F(JpegTest, RunLengthDibIsRefusedWithoutAFile) {
    auto src = std::make_unique<Dib>();
    ASSERT_TRUE(src->Create(8, 8, 256, true));
    const std::string path = dir.File("rle.jpg");
    EXPECT_FALSE(WriteJPEG(*src, path.c_str(), 75, false));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(g_messages.size(), 1u);
    Dib empty;
    EXPECT_FALSE(WriteJPEG(empty, path.c_str(), 75, false));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(JpegTest, MemoryWriterGivesTheFileBytes) {
    auto src = Gradient(40, 30);
    const std::string path = dir.File("same.jpg");
    ASSERT_TRUE(WriteJPEG(*src, path.c_str(), 80, true));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 80, true));
    EXPECT_EQ(bytes, ReadFileBytes(path));
}

// ---- options: progressive, quality, density ------------------------------------

TEST_F(JpegTest, ProgressiveAndBaselineFrames) {
    auto src = Gradient(64, 48);
    const std::string base = dir.File("base.jpg"), prog = dir.File("prog.jpg");
    ASSERT_TRUE(WriteJPEG(*src, base.c_str(), 75, false));
    ASSERT_TRUE(WriteJPEG(*src, prog.c_str(), 75, true));
    const auto b = ReadFileBytes(base), p = ReadFileBytes(prog);
    EXPECT_TRUE(Contains(b, 0xFF, 0xC0));
    EXPECT_FALSE(Contains(b, 0xFF, 0xC2));
    EXPECT_TRUE(Contains(p, 0xFF, 0xC2));
    EXPECT_FALSE(Contains(p, 0xFF, 0xC0));
    std::unique_ptr<Dib> back(LoadJPEG(prog.c_str(), kJpegFullColour));
    ASSERT_TRUE(back);
    ExpectClose(*back, 64, 48, [&](int x, int y) { return PixelOf(*src, x, y); }, 24, 3.0);
}

TEST_F(JpegTest, QualityChangesTheSize) {
    auto src = std::make_unique<Dib>();
    ASSERT_TRUE(src->Create(96, 96, 16777216));
    uint32_t seed = 12345;
    for (int i = 0; i < src->stride * 96; ++i) {
        seed = seed * 1103515245u + 12345u;
        src->bits[i] = uint8_t(seed >> 24);
    }
    std::vector<uint8_t> low, high;
    ASSERT_TRUE(WriteJPEGToMemory(*src, low, 10, false));
    ASSERT_TRUE(WriteJPEGToMemory(*src, high, 90, false));
    EXPECT_LT(low.size() * 2, high.size());
}

TEST_F(JpegTest, ResolutionIsWrittenInDotsPerInch) {
    auto src = Gradient(16, 16);
    src->Header()->xPelsPerMeter = 3780;
    src->Header()->yPelsPerMeter = 3780;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 75, false));
    ASSERT_GT(bytes.size(), 20u);
    ASSERT_EQ(FindMarker(bytes, 0xE0), 2u);
    ASSERT_EQ(std::memcmp(&bytes[6], "JFIF\0", 5), 0);
    EXPECT_EQ(bytes[13], 1);                     // dots per inch
    EXPECT_EQ(bytes[14] << 8 | bytes[15], 96);  // X
    EXPECT_EQ(bytes[16] << 8 | bytes[17], 96);  // Y
}

TEST_F(JpegTest, ZeroResolutionWritesTheDefaultDensity) {
    for (int32_t other : {0, 3780}) {
        auto src = Gradient(16, 16);
        src->Header()->xPelsPerMeter = 0;
        src->Header()->yPelsPerMeter = other;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 75, false));
        ASSERT_EQ(FindMarker(bytes, 0xE0), 2u);
        EXPECT_EQ(bytes[13], 0);
        EXPECT_EQ(bytes[14] << 8 | bytes[15], 1);
        EXPECT_EQ(bytes[16] << 8 | bytes[17], 1);
    }
}

TEST_F(JpegTest, DensityIsReadAsPixelsPerMetre) {
    auto src = Gradient(16, 16);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 75, false));
    ASSERT_EQ(FindMarker(bytes, 0xE0), 2u);
    bytes[13] = 1;  // 300 x 300 dots per inch
    bytes[14] = 0x01, bytes[15] = 0x2C, bytes[16] = 0x01, bytes[17] = 0x2C;
    std::unique_ptr<Dib> dpi(LoadJPEGFromMemory(bytes.data(), bytes.size(), kJpegFullColour));
    ASSERT_TRUE(dpi);
    EXPECT_EQ(dpi->Header()->xPelsPerMeter, 11811);
    EXPECT_EQ(dpi->Header()->yPelsPerMeter, 11811);
    bytes[13] = 2;  // 118 x 40 dots per centimetre
    bytes[14] = 0, bytes[15] = 118, bytes[16] = 0, bytes[17] = 40;
    std::unique_ptr<Dib> dpcm(LoadJPEGFromMemory(bytes.data(), bytes.size(), kJpegFullColour));
    ASSERT_TRUE(dpcm);
    EXPECT_EQ(dpcm->Header()->xPelsPerMeter, 11800);
    EXPECT_EQ(dpcm->Header()->yPelsPerMeter, 4000);
    bytes[13] = 0;  // pixel shape only, no unit
    std::unique_ptr<Dib> none(LoadJPEGFromMemory(bytes.data(), bytes.size(), kJpegFullColour));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->Header()->xPelsPerMeter, 0);
    EXPECT_EQ(none->Header()->yPelsPerMeter, 0);
}

// ---- reading modes -----------------------------------------------------------

TEST_F(JpegTest, GreyscaleFileArrivesWithAGreyRamp) {
    const auto grey = GreyJpeg(64, 8);
    for (int mode : {kJpegFullColour, kJpegQuantized, kJpegDithered}) {
        SCOPED_TRACE(mode);
        std::unique_ptr<Dib> dib(LoadJPEGFromMemory(grey.data(), grey.size(), mode));
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->BitCount(), 8);
        EXPECT_EQ(dib->Header()->clrImportant, 0u);  // all 256 levels
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(dib->colours[i].red, i);
            EXPECT_EQ(dib->colours[i].green, i);
            EXPECT_EQ(dib->colours[i].blue, i);
        }
        ExpectClose(*dib, 64, 8, [](int x, int) { return Rgb{x * 255 / 63, x * 255 / 63, x * 255 / 63}; }, 6, 2.0);
    }
}

TEST_F(JpegTest, QuantizedModesGiveAPaletteAndColoursImportant) {
    auto src = std::make_unique<Dib>();
    ASSERT_TRUE(src->Create(32, 32, 16777216));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) SetPixel24(*src, x, y, Quadrant(x, y));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 100, false));
    for (int mode : {kJpegQuantized, kJpegDithered}) {
        SCOPED_TRACE(mode);
        std::unique_ptr<Dib> dib(LoadJPEGFromMemory(bytes.data(), bytes.size(), mode));
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->BitCount(), 8);
        const uint32_t important = dib->Header()->clrImportant;
        EXPECT_GE(important, 4u);  // few colours: fewer than the table holds
        EXPECT_LT(important, 256u);
        for (uint32_t i = important; i < 256; ++i) EXPECT_EQ(dib->colours[i].red | dib->colours[i].green, 0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) EXPECT_LT(dib->bits[size_t(y) * dib->stride + x], important);
        // Dithering spreads the error of the palette over the neighbours.
        ExpectClose(*dib, 32, 32, QuadrantInside, mode == kJpegDithered ? 64 : 16, mode == kJpegDithered ? 6.0 : 3.0);
    }
    // A rich image fills the whole table: colours important 0.
    auto rich = Gradient(128, 128);
    ASSERT_TRUE(WriteJPEGToMemory(*rich, bytes, 90, false));
    std::unique_ptr<Dib> dib(LoadJPEGFromMemory(bytes.data(), bytes.size(), kJpegDithered));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->Header()->clrImportant, 0u);
    ExpectClose(*dib, 128, 128, [&](int x, int y) { return PixelOf(*rich, x, y); }, 64, 8.0);
}

// ---- bad input and bad output ----------------------------------------------------

TEST_F(JpegTest, MissingOrEmptyFilesFailCleanly) {
    EXPECT_EQ(LoadJPEG(dir.File("absent.jpg").c_str(), kJpegFullColour), nullptr);
    EXPECT_TRUE(g_messages.empty());  // only a line on the error stream
    const std::string empty = dir.File("empty.jpg");
    ASSERT_TRUE(WriteFileBytes(empty, {}));
    EXPECT_EQ(LoadJPEG(empty.c_str(), kJpegFullColour), nullptr);
    EXPECT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(LoadJPEGFromMemory(nullptr, 0, kJpegFullColour), nullptr);
    EXPECT_EQ(g_messages.size(), 2u);
}

TEST_F(JpegTest, GarbageIsRefused) {
    std::vector<uint8_t> junk(4096);
    uint32_t seed = 99;
    for (auto& b : junk) b = uint8_t((seed = seed * 69069u + 1u) >> 24);
    EXPECT_EQ(LoadJPEGFromMemory(junk.data(), junk.size(), kJpegFullColour), nullptr);
    const std::string path = dir.File("junk.jpg");
    ASSERT_TRUE(WriteFileBytes(path, junk));
    EXPECT_EQ(LoadJPEG(path.c_str(), kJpegDithered), nullptr);
    EXPECT_EQ(g_messages.size(), 2u);
}

TEST_F(JpegTest, TruncatedFiles) {
    auto src = Gradient(64, 48);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 90, false));
    const size_t sos = FindMarker(bytes, 0xDA);
    ASSERT_NE(sos, std::string::npos);
    // Cut inside the header: no image.
    for (size_t n : {size_t(2), size_t(20), sos / 2, sos}) {
        SCOPED_TRACE(n);
        g_messages.clear();
        EXPECT_EQ(LoadJPEGFromMemory(bytes.data(), n, kJpegFullColour), nullptr);
        EXPECT_FALSE(g_messages.empty());
    }
    // Cut inside the data: the image is read with the first warning shown once.
    for (int mode : {kJpegFullColour, kJpegDithered}) {
        g_messages.clear();
        const std::string path = dir.File("cut.jpg");
        ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(sos + 40))));
        std::unique_ptr<Dib> dib(LoadJPEG(path.c_str(), mode));
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->Width(), 64);
        ASSERT_EQ(g_messages.size(), 1u);
        EXPECT_NE(g_messages[0].find("Premature end"), std::string::npos) << g_messages[0];
    }
}

TEST_F(JpegTest, GarbageAfterTheHeader) {
    auto src = Gradient(64, 48);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 90, true));
    const size_t sos = FindMarker(bytes, 0xDA);
    ASSERT_NE(sos, std::string::npos);
    uint32_t seed = 7;
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> bad = bytes;
        for (size_t i = sos + 14; i < bad.size(); ++i) bad[i] = uint8_t((seed = seed * 69069u + 1u) >> 24);
        for (int mode : {kJpegFullColour, kJpegQuantized, kJpegDithered}) {
            g_messages.clear();
            std::unique_ptr<Dib> dib(LoadJPEGFromMemory(bad.data(), bad.size(), mode));
            if (dib) {
                EXPECT_EQ(dib->Width(), 64);
            }
            EXPECT_LE(g_messages.size(), 2u);  // first warning and at most one error
        }
    }
}

TEST_F(JpegTest, HostileFrameSizes) {
    auto src = Gradient(16, 16);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 75, false));
    const size_t sof = FindMarker(bytes, 0xC0);
    ASSERT_NE(sof, std::string::npos);
    // SOF0: FF C0, length (2), precision (1), height (2), width (2).
    struct Case {
        int w, h;
    };
    for (Case c : {Case{0, 16}, Case{16, 0}, Case{65500, 65500}, Case{65535, 65535}, Case{65500, 1}, Case{1, 65500}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        std::vector<uint8_t> bad = bytes;
        bad[sof + 5] = uint8_t(c.h >> 8), bad[sof + 6] = uint8_t(c.h);
        bad[sof + 7] = uint8_t(c.w >> 8), bad[sof + 8] = uint8_t(c.w);
        for (int mode : {kJpegFullColour, kJpegDithered}) {
            std::unique_ptr<Dib> dib(LoadJPEGFromMemory(bad.data(), bad.size(), mode));
            // Thin strips are small enough to be read (with warnings for the missing data).
            if (dib) {
                EXPECT_EQ(dib->Width(), c.w);
                EXPECT_EQ(DibAbsHeight(dib->Height()), c.h);
                EXPECT_TRUE(c.w == 1 || c.h == 1);
            } else {
                EXPECT_FALSE(c.w == 1 || c.h == 1);
            }
        }
    }
    // The same through a progressive file, whose decoder keeps the whole image.
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 75, true));
    const size_t sof2 = FindMarker(bytes, 0xC2);
    ASSERT_NE(sof2, std::string::npos);
    bytes[sof2 + 5] = 0xFF, bytes[sof2 + 6] = 0xDC, bytes[sof2 + 7] = 0xFF, bytes[sof2 + 8] = 0xDC;
    EXPECT_EQ(LoadJPEGFromMemory(bytes.data(), bytes.size(), kJpegFullColour), nullptr);
}

TEST_F(JpegTest, PixelLimitRefusesLargerFramesBeforeDecoding) {
    auto src = Gradient(64, 48);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteJPEGToMemory(*src, bytes, 75, false));
    struct Case {
        uint64_t limit;
        bool read;
    };
    for (Case c : {Case{0, true}, Case{64 * 48, true}, Case{64 * 48 - 1, false}, Case{1, false}}) {
        SCOPED_TRACE(c.limit);
        g_messages.clear();
        std::unique_ptr<Dib> dib(LoadJPEGFromMemory(bytes.data(), bytes.size(), kJpegFullColour, c.limit));
        EXPECT_EQ(dib != nullptr, c.read);
        if (!c.read) {
            EXPECT_EQ(g_messages, std::vector<std::string>{"The JPEG image is too large"});
        }
    }
    // Declared sizes whose product overflows a 32-bit int.
    const size_t sof = FindMarker(bytes, 0xC0);
    ASSERT_NE(sof, std::string::npos);
    bytes[sof + 5] = 0xFF, bytes[sof + 6] = 0xFF, bytes[sof + 7] = 0xFF, bytes[sof + 8] = 0xFF;
    EXPECT_EQ(LoadJPEGFromMemory(bytes.data(), bytes.size(), kJpegFullColour, uint64_t(1) << 31), nullptr);
}

TEST_F(JpegTest, UnwritablePathFailsAndLeavesNoFile) {
    auto src = Gradient(16, 16);
    const std::string inMissingDir = (dir.Path() / "no-such-dir" / "x.jpg").string();
    EXPECT_FALSE(WriteJPEG(*src, inMissingDir.c_str(), 75, false));
    EXPECT_FALSE(std::filesystem::exists(inMissingDir));
    // A directory in the way of the file.
    const std::string asDir = dir.File("taken.jpg");
    std::filesystem::create_directory(asDir);
    EXPECT_FALSE(WriteJPEG(*src, asDir.c_str(), 75, false));
    EXPECT_TRUE(std::filesystem::is_directory(asDir));
    EXPECT_FALSE(WriteJPEG(*src, nullptr, 75, false));
    EXPECT_EQ(LoadJPEG(nullptr, kJpegFullColour), nullptr);
}

#ifndef _WIN32
// An independent decoder (djpeg from the JPEG tools) reads what we write.
TEST_F(JpegTest, OtherDecoderReadsOurFiles) {
    if (std::system("command -v djpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "djpeg not installed";
    auto src = Gradient(64, 48);
    src->Header()->xPelsPerMeter = src->Header()->yPelsPerMeter = 3780;
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        const std::string path = dir.File(progressive ? "p.jpg" : "b.jpg");
        const std::string ppm = path + ".ppm";
        ASSERT_TRUE(WriteJPEG(*src, path.c_str(), 85, progressive));
        const std::string cmd = "djpeg -pnm -outfile '" + ppm + "' '" + path + "' 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        const auto out = ReadFileBytes(ppm);
        const std::string head = "P6\n64 48\n255\n";
        ASSERT_EQ(out.size(), head.size() + 64 * 48 * 3);
        ASSERT_EQ(std::string(out.begin(), out.begin() + long(head.size())), head);
        int worst = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const uint8_t* p = &out[head.size() + size_t(y * 64 + x) * 3];
                const Rgb e = PixelOf(*src, x, y);
                worst = std::max({worst, std::abs(p[0] - e.r), std::abs(p[1] - e.g), std::abs(p[2] - e.b)});
            }
        EXPECT_LE(worst, 20);
    }
    // And our reader agrees with the tools' encoder on a greyscale file.
    const std::string pgm = dir.File("g.pgm"), jpg = dir.File("g.jpg");
    std::vector<uint8_t> pgmBytes;
    const std::string head = "P5\n32 8\n255\n";
    pgmBytes.assign(head.begin(), head.end());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) pgmBytes.push_back(uint8_t(x * 8));
    ASSERT_TRUE(WriteFileBytes(pgm, pgmBytes));
    ASSERT_EQ(std::system(("cjpeg -grayscale -quality 95 -outfile '" + jpg + "' '" + pgm + "'").c_str()), 0);
    std::unique_ptr<Dib> dib(LoadJPEG(jpg.c_str(), kJpegFullColour));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->BitCount(), 8);
    ExpectClose(*dib, 32, 8, [](int x, int) { return Rgb{x * 8, x * 8, x * 8}; }, 8, 2.0);
}
#endif

}  // namespace
}  // namespace gmbx
