#include "imageio/reduce.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

namespace fs = std::filesystem;

// A 24-bit image whose pixel i (storage order) has colour number i % distinct,
// colour n being (blue n & 255, green n >> 8, red 7).
std::unique_ptr<Dib> Deep(int width, int height, int distinct, int bits = 24) {
    auto d = std::make_unique<Dib>();
    if (!d->Create(width, height, 1 << 24)) return nullptr;
    if (bits == 32) {
        // The same header at 32 bits, in a block of its own.
        DibInfoHeader h = *d->Header();
        h.bitCount = 32;
        h.sizeImage = 0;
        auto* block = static_cast<uint8_t*>(std::calloc(1, size_t(40 + int64_t(width) * 4 * DibAbsHeight(height))));
        if (!block) return nullptr;
        std::memcpy(block, &h, sizeof h);
        if (!d->AttachBlock(block)) {
            std::free(block);
            return nullptr;
        }
    }
    const int bpp = bits / 8;
    const int64_t rows = DibAbsHeight(height);
    for (int64_t y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x) {
            const int n = int((y * width + x) % distinct);
            uint8_t* p = d->bits + y * d->stride + x * bpp;
            p[0] = uint8_t(n);
            p[1] = uint8_t(n >> 8);
            p[2] = 7;
        }
    d->Header()->xPelsPerMeter = 3780;
    d->Header()->yPelsPerMeter = 2835;
    return d;
}

// Runs a test in a scratch current directory.
class ReduceTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        fs::current_path(dir_.Path());
    }
    void TearDown() override { fs::current_path(old_); }
    bool DirectoryEmpty() const { return fs::is_empty(dir_.Path()); }

    testutil::TempDir dir_;
    fs::path old_;
};

JpegRoundTrip Forbidden() {
    JpegRoundTrip t;
    t.write = [](const Dib&, const char*, int) {
        ADD_FAILURE() << "the JPEG round trip must not run";
        return false;
    };
    t.load = [](const char*, int) -> std::unique_ptr<Dib> { return nullptr; };
    return t;
}

TEST_F(ReduceTest, TwoHundredFiftySixColoursTakeTheExactPassInFirstMetOrder) {
    auto src = Deep(32, 8, 256);
    ASSERT_TRUE(src);
    std::unique_ptr<Dib> out(ReduceTo256(*src, kReduceJpegMode, Forbidden()));
    ASSERT_TRUE(out);
    ASSERT_NE(out.get(), src.get());
    EXPECT_EQ(out->BitCount(), 8);
    EXPECT_EQ(out->Width(), 32);
    EXPECT_EQ(out->Height(), 8);
    EXPECT_EQ(out->Header()->clrUsed, 256u);
    EXPECT_EQ(out->Header()->xPelsPerMeter, 3780);
    EXPECT_EQ(out->Header()->yPelsPerMeter, 2835);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(out->colours[i].blue, uint8_t(i));
        EXPECT_EQ(out->colours[i].green, 0);
        EXPECT_EQ(out->colours[i].red, 7);
        // Row 0 in storage (the bottom row) first.
        EXPECT_EQ(out->bits[(i / 32) * out->stride + i % 32], i);
    }
    EXPECT_TRUE(DirectoryEmpty());
}

TEST_F(ReduceTest, FirstMetOrderFollowsStorageNotValues) {
    Dib src;
    ASSERT_TRUE(src.Create(2, 2, 1 << 24));
    // Storage row 0 (bottom): blue, red; row 1 (top): red, green.
    const uint8_t px[2][2][3] = {{{255, 0, 0}, {0, 0, 255}}, {{0, 0, 255}, {0, 255, 0}}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c) src.bits[y * src.stride + 3 * x + c] = px[y][x][c];
    std::unique_ptr<Dib> out(ReduceExact(src));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->colours[0].blue, 255);
    EXPECT_EQ(out->colours[1].red, 255);
    EXPECT_EQ(out->colours[2].green, 255);
    EXPECT_EQ(out->bits[0], 0);
    EXPECT_EQ(out->bits[1], 1);
    EXPECT_EQ(out->bits[out->stride], 1);
    EXPECT_EQ(out->bits[out->stride + 1], 2);
}

TEST_F(ReduceTest, ThirtyTwoBitAndTopDownImages) {
    auto src = Deep(16, -4, 64, 32);
    ASSERT_TRUE(src);
    std::unique_ptr<Dib> out(ReduceTo256(*src, kReduceJpegMode, Forbidden()));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Height(), -4);
    EXPECT_EQ(out->bits[out->stride * 3 + 15], 63);
}

TEST_F(ReduceTest, ImagesWithATableComeBackAsACopy) {
    Dib d;
    ASSERT_TRUE(d.Create(3, 3, 16));
    d.bits[0] = 0x12;
    EXPECT_TRUE(HasColourTable(d));
    std::unique_ptr<Dib> copy = ReduceTo256(d, kReduceJpegMode, Forbidden());
    ASSERT_TRUE(copy);
    ASSERT_NE(copy.get(), &d);
    ASSERT_EQ(copy->totalSize, d.totalSize);
    EXPECT_EQ(std::memcmp(copy->bih, d.bih, size_t(d.totalSize)), 0);
    Dib empty;
    EXPECT_EQ(ReduceTo256(empty, kReduceJpegMode, Forbidden()), nullptr);
}

TEST_F(ReduceTest, TwoHundredFiftySevenColoursGoThroughTheJpegFileWhichIsDeleted) {
    auto src = Deep(257, 2, 257);
    ASSERT_TRUE(src);
    EXPECT_EQ(ReduceExact(*src), nullptr);
    std::string seen;
    int writes = 0, loads = 0;
    JpegRoundTrip t;
    t.write = [&](const Dib& d, const char* path, int quality) {
        ++writes;
        seen = path;
        EXPECT_EQ(&d, src.get());
        EXPECT_EQ(quality, 100);
        EXPECT_TRUE(fs::exists(path));
        return testutil::WriteFileBytes(path, {0xFF, 0xD8, 0xFF, 0xD9});
    };
    t.load = [&](const char* path, int mode) -> std::unique_ptr<Dib> {
        ++loads;
        EXPECT_EQ(seen, path);
        EXPECT_EQ(mode, kReduceJpegMode);
        EXPECT_EQ(testutil::ReadFileBytes(path).size(), 4u);
        auto d = std::make_unique<Dib>();
        return d->Create(257, 2, 256) ? std::move(d) : nullptr;
    };
    std::unique_ptr<Dib> out(ReduceTo256(*src, kReduceJpegMode, t));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->BitCount(), 8);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(seen.rfind("snap", 0), 0u) << seen;  // in the current directory
    EXPECT_TRUE(DirectoryEmpty());
}

TEST_F(ReduceTest, TheTemporaryFileGoesOnFailuresToo) {
    auto src = Deep(300, 1, 300);
    ASSERT_TRUE(src);
    JpegRoundTrip failWrite;
    int loads = 0;
    failWrite.write = [](const Dib&, const char* path, int) {
        testutil::WriteFileBytes(path, {1, 2, 3});
        return false;
    };
    failWrite.load = [&](const char*, int) -> std::unique_ptr<Dib> {
        ++loads;
        return nullptr;
    };
    EXPECT_EQ(ReduceTo256(*src, 2, failWrite), nullptr);
    EXPECT_EQ(loads, 0);
    EXPECT_TRUE(DirectoryEmpty());

    JpegRoundTrip failLoad;
    failLoad.write = [](const Dib&, const char*, int) { return true; };
    failLoad.load = [](const char*, int) -> std::unique_ptr<Dib> { return nullptr; };
    EXPECT_EQ(ReduceTo256(*src, 2, failLoad), nullptr);
    EXPECT_TRUE(DirectoryEmpty());

    EXPECT_EQ(ReduceTo256(*src, 2, JpegRoundTrip{}), nullptr);  // no coder
    EXPECT_TRUE(DirectoryEmpty());
}

TEST_F(ReduceTest, DefaultRoundTripIsUsedWhenNoneIsPassed) {
    auto src = Deep(300, 1, 300);
    ASSERT_TRUE(src);
    int writes = 0;
    JpegRoundTrip t;
    t.write = [&](const Dib&, const char*, int) { return ++writes, false; };
    t.load = [](const char*, int) -> std::unique_ptr<Dib> { return nullptr; };
    SetDefaultJpegRoundTrip(t);
    EXPECT_EQ(ReduceTo256(*src), nullptr);
    SetDefaultJpegRoundTrip(JpegRoundTrip{});
    EXPECT_EQ(writes, 1);
    EXPECT_TRUE(DirectoryEmpty());
}

TEST_F(ReduceTest, RealJpegRoundTripQuantizesAndCleansUp) {
    auto src = Deep(64, 32, 2048);
    ASSERT_TRUE(src);
    std::unique_ptr<Dib> out(ReduceTo256(*src, kReduceJpegMode, JpegFileRoundTrip()));
    ASSERT_TRUE(out);
    EXPECT_LE(out->BitCount(), 8);
    EXPECT_EQ(out->Width(), 64);
    EXPECT_EQ(DibAbsHeight(out->Height()), 32);
    EXPECT_TRUE(DirectoryEmpty());
    std::unique_ptr<Dib> viaDefault(ReduceTo256(*src));
    EXPECT_TRUE(viaDefault);
    EXPECT_TRUE(DirectoryEmpty());
}

TEST_F(ReduceTest, TemporaryFilesAreNewEachTime) {
    const std::string a = CreateTempSnapFile();
    const std::string b = CreateTempSnapFile();
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(fs::exists(a));
    fs::remove(a);
    fs::remove(b);
    EXPECT_TRUE(CreateTempSnapFile((dir_.Path() / "missing").string()).empty());
}

}  // namespace
}  // namespace gmbx
