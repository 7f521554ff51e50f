#include "imageio/gifio.h"

#include <gd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

// An 8-bit Dib whose stored row y, column x holds pixels[y * width + x].
std::unique_ptr<Dib> Indexed(int width, int height, const std::vector<uint8_t>& pixels, int colours = 256) {
    auto d = std::make_unique<Dib>();
    if (!d->Create(width, height, colours)) return nullptr;
    const int rows = int(DibAbsHeight(height));
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t v = pixels[size_t(y * width + x)];
            uint8_t* row = d->bits + size_t(y) * size_t(d->stride);
            if (d->BitCount() == 8) row[x] = v;
            else if (d->BitCount() == 4) row[x / 2] |= uint8_t(v << ((x & 1) ? 0 : 4));
            else row[x / 8] |= uint8_t((v & 1) << (7 - (x & 7)));
        }
    return d;
}

JpegRoundTrip NoJpeg() { return JpegRoundTrip{}; }

// Where the image descriptor (0x2C) starts, after the colour table and any
// extensions; 0 when the data ends first.
size_t ImageDescriptorOffset(const std::vector<uint8_t>& gif) {
    if (gif.size() < 13) return 0;
    size_t pos = 13;
    if (gif[10] & 0x80) pos += 3u << ((gif[10] & 7) + 1);
    while (pos < gif.size()) {
        if (gif[pos] == 0x2C) return pos;
        if (gif[pos] != 0x21 || pos + 2 >= gif.size()) return 0;
        pos += 2;
        while (pos < gif.size() && gif[pos] != 0) pos += gif[pos] + 1u;
        ++pos;
    }
    return 0;
}

std::string Header(const std::vector<uint8_t>& gif) { return std::string(gif.begin(), gif.begin() + 6); }

TEST(GifFromDib, DuplicateTableColoursAreSavedOnceAndUnusedOnesDropped) {
    // Stored rows (bottom first): 3 5 3 / 7 9 7.
    auto d = Indexed(3, 2, {3, 5, 3, 7, 9, 7});
    ASSERT_TRUE(d);
    d->colours[3] = RgbQuad{0, 0, 255, 0};    // red
    d->colours[5] = RgbQuad{0, 255, 0, 0};    // green
    d->colours[7] = RgbQuad{0, 0, 255, 0};    // red again
    d->colours[9] = RgbQuad{255, 0, 0, 0};    // blue
    d->colours[4] = RgbQuad{1, 2, 3, 0};      // unused
    GdImagePtr im = DibToGdImage(*d, NoJpeg());
    ASSERT_TRUE(im);
    EXPECT_EQ(gdImageSX(im.get()), 3);
    EXPECT_EQ(gdImageSY(im.get()), 2);
    ASSERT_EQ(gdImageColorsTotal(im.get()), 3);
    EXPECT_EQ(gdImageRed(im.get(), 0), 255);   // index 3, the lowest occurring, comes first
    EXPECT_EQ(gdImageGreen(im.get(), 1), 255);
    EXPECT_EQ(gdImageBlue(im.get(), 2), 255);
    // The top gd row is the last stored row.
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 0, 0), 0);
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 1, 0), 2);
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 2, 0), 0);
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 1, 1), 1);
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 3, 1), -1);

    std::vector<uint8_t> gif;
    ASSERT_TRUE(EncodeGIF(im.get(), GifWriteOptions{}, gif));
    std::unique_ptr<Dib> back(LoadGIFFromMemory(gif.data(), gif.size()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Header()->clrImportant, 3u);
    EXPECT_EQ(back->Header()->clrUsed, 256u);
    EXPECT_EQ(back->bits[0], 0);
    EXPECT_EQ(back->bits[1], 1);
    EXPECT_EQ(back->bits[back->stride + 1], 2);
    EXPECT_EQ(back->colours[0].red, 255);
    EXPECT_EQ(back->colours[2].blue, 255);
}

TEST(GifFromDib, OneAndFourBitImagesAreExpanded) {
    auto four = Indexed(5, 1, {15, 0, 9, 9, 1}, 16);
    ASSERT_TRUE(four);
    ASSERT_EQ(four->BitCount(), 4);
    four->colours[0] = RgbQuad{0, 0, 0, 0};
    four->colours[1] = RgbQuad{1, 1, 1, 0};
    four->colours[9] = RgbQuad{9, 9, 9, 0};
    four->colours[15] = RgbQuad{15, 15, 15, 0};
    GdImagePtr im = DibToGdImage(*four, NoJpeg());
    ASSERT_TRUE(im);
    ASSERT_EQ(gdImageColorsTotal(im.get()), 4);
    EXPECT_EQ(gdImageRed(im.get(), GdPaletteIndexAt(im.get(), 0, 0)), 15);
    EXPECT_EQ(gdImageRed(im.get(), GdPaletteIndexAt(im.get(), 2, 0)), 9);
    EXPECT_EQ(gdImageRed(im.get(), GdPaletteIndexAt(im.get(), 4, 0)), 1);

    auto one = Indexed(10, 2, {1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 2);
    ASSERT_TRUE(one);
    ASSERT_EQ(one->BitCount(), 1);
    one->colours[0] = RgbQuad{0, 0, 0, 0};
    one->colours[1] = RgbQuad{255, 255, 255, 0};
    im = DibToGdImage(*one, NoJpeg());
    ASSERT_TRUE(im);
    EXPECT_EQ(gdImageColorsTotal(im.get()), 2);
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 0, 1), 1);  // stored row 0 is the bottom row
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 9, 1), 1);
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 8, 1), 1);
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 0, 0), 0);
}

TEST(GifFromDib, RunLengthEncodedImagesAreExpanded) {
    Dib d;
    ASSERT_TRUE(d.Create(4, 1, 256));
    d.Header()->compression = kCompressionRle8;
    const uint8_t rle[] = {4, 7, 0, 1};
    std::memcpy(d.bits, rle, sizeof rle);
    d.Header()->sizeImage = sizeof rle;
    d.colours[7] = RgbQuad{70, 70, 70, 0};
    GdImagePtr im = DibToGdImage(d, NoJpeg());
    ASSERT_TRUE(im);
    EXPECT_EQ(gdImageColorsTotal(im.get()), 1);
    EXPECT_EQ(gdImageRed(im.get(), 0), 70);
}

TEST(GifFromDib, ExactColoursOfADeepImageKeepTheirFirstMetOrder) {
    Dib d;
    ASSERT_TRUE(d.Create(16, 16, 1 << 24));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = d.bits + y * d.stride + 3 * x;
            p[0] = uint8_t(255 - (y * 16 + x));  // blue
            p[1] = uint8_t(y * 16 + x);
            p[2] = 40;
        }
    GdImagePtr im = DibToGdImage(d, NoJpeg());  // no JPEG coder: must not be needed
    ASSERT_TRUE(im);
    ASSERT_EQ(gdImageColorsTotal(im.get()), 256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(gdImageGreen(im.get(), i), i);
        EXPECT_EQ(gdImageBlue(im.get(), i), 255 - i);
    }
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 0, 15), 0);    // bottom row, first pixel
    EXPECT_EQ(GdPaletteIndexAt(im.get(), 15, 0), 255);  // top row, last pixel
}

TEST(GifFromDib, TwoHundredFiftySevenColoursNeedTheJpegRoundTrip) {
    Dib d;
    ASSERT_TRUE(d.Create(257, 1, 1 << 24));
    for (int x = 0; x < 257; ++x) {
        d.bits[3 * x] = uint8_t(x);
        d.bits[3 * x + 1] = uint8_t(x >> 8);
    }
    EXPECT_FALSE(DibToGdImage(d, NoJpeg()));
    int loads = 0;
    JpegRoundTrip t;
    t.write = [](const Dib&, const char*, int) { return true; };
    t.load = [&](const char*, int) -> std::unique_ptr<Dib> {
        ++loads;
        auto q = std::make_unique<Dib>();
        if (!q->Create(257, 1, 256)) return nullptr;
        for (int x = 0; x < 257; ++x) q->bits[x] = uint8_t(x % 2);
        q->colours[0] = RgbQuad{0, 0, 0, 0};
        q->colours[1] = RgbQuad{1, 0, 0, 0};
        return q;
    };
    testutil::TempDir dir;
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    GdImagePtr im = DibToGdImage(d, t);
    std::filesystem::current_path(old);
    ASSERT_TRUE(im);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(gdImageColorsTotal(im.get()), 2);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(GifWriter, HeadersInterlaceAndTransparency) {
    auto d = Indexed(8, 8, std::vector<uint8_t>(64, 0));
    ASSERT_TRUE(d);
    d->bits[0] = 1;
    d->colours[1] = RgbQuad{255, 255, 255, 0};
    GdImagePtr im = DibToGdImage(*d, NoJpeg());
    ASSERT_TRUE(im);

    std::vector<uint8_t> plain, interlaced, transparent, outOfRange;
    ASSERT_TRUE(EncodeGIF(im.get(), GifWriteOptions{false, -1}, plain));
    ASSERT_TRUE(EncodeGIF(im.get(), GifWriteOptions{true, -1}, interlaced));
    ASSERT_TRUE(EncodeGIF(im.get(), GifWriteOptions{false, 1}, transparent));
    ASSERT_TRUE(EncodeGIF(im.get(), GifWriteOptions{false, 2}, outOfRange));

    EXPECT_EQ(Header(plain), "GIF87a");
    EXPECT_EQ(Header(interlaced), "GIF87a");
    EXPECT_EQ(Header(transparent), "GIF89a");
    EXPECT_EQ(Header(outOfRange), "GIF87a");  // index 2 names no colour of the image
    EXPECT_EQ(plain[6] | plain[7] << 8, 8);

    size_t at = ImageDescriptorOffset(plain);
    ASSERT_GT(at, 0u);
    ASSERT_LT(at + 9, plain.size());
    EXPECT_EQ(plain[at + 9] & 0x40, 0);
    at = ImageDescriptorOffset(interlaced);
    ASSERT_GT(at, 0u);
    ASSERT_LT(at + 9, interlaced.size());
    EXPECT_EQ(interlaced[at + 9] & 0x40, 0x40);

    // Graphic control extension: 21 F9 04 flags delay delay index 00.
    bool found = false;
    for (size_t i = 13; i + 7 < transparent.size(); ++i)
        if (transparent[i] == 0x21 && transparent[i + 1] == 0xF9 && transparent[i + 2] == 4) {
            found = true;
            EXPECT_EQ(transparent[i + 3] & 1, 1);
            EXPECT_EQ(transparent[i + 6], 1);
            break;
        }
    EXPECT_TRUE(found);

    std::unique_ptr<Dib> back(LoadGIFFromMemory(interlaced.data(), interlaced.size()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bits[0], 1);  // interlaced rows come back in place
    EXPECT_EQ(back->bits[1], 0);
}

#ifndef _WIN32
std::string RunInfo(const std::string& path) {
    std::string out;
    std::FILE* p = popen(("gifsicle --info '" + path + "' 2>&1").c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    return out;
}

TEST(GifWriter, GifsicleReadsTheFiles) {
    if (std::system("gifsicle --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "gifsicle is not installed";
    auto d = Indexed(20, 10, std::vector<uint8_t>(200, 4));
    ASSERT_TRUE(d);
    d->bits[3] = 9;
    d->colours[9] = RgbQuad{255, 0, 0, 0};
    GdImagePtr im = DibToGdImage(*d, NoJpeg());
    ASSERT_TRUE(im);
    testutil::TempDir dir;
    const std::string a = dir.File("plain.gif"), b = dir.File("both.gif");
    ASSERT_EQ(WriteGIFFile(im.get(), a.c_str(), GifWriteOptions{false, -1}), GifWriteResult::Ok);
    ASSERT_EQ(WriteGIFFile(im.get(), b.c_str(), GifWriteOptions{true, 1}), GifWriteResult::Ok);
    const std::string infoA = RunInfo(a), infoB = RunInfo(b);
    EXPECT_NE(infoA.find("20x10"), std::string::npos) << infoA;
    EXPECT_EQ(infoA.find("interlaced"), std::string::npos) << infoA;
    EXPECT_EQ(infoA.find("transparent"), std::string::npos) << infoA;
    EXPECT_NE(infoA.find("color table [2]"), std::string::npos) << infoA;
    EXPECT_NE(infoB.find("interlaced"), std::string::npos) << infoB;
    EXPECT_NE(infoB.find("transparent 1"), std::string::npos) << infoB;
}
#endif

TEST(GifWriter, FilesRoundTripAndUnwritablePathsFail) {
    auto d = Indexed(4, 3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    ASSERT_TRUE(d);
    for (int i = 0; i < 12; ++i) d->colours[i] = RgbQuad{uint8_t(i * 20), uint8_t(i), 0, 0};
    GdImagePtr im = DibToGdImage(*d, NoJpeg());
    ASSERT_TRUE(im);
    testutil::TempDir dir;
    const std::string path = dir.File("shot.gif");
    ASSERT_EQ(WriteGIFFile(im.get(), path.c_str(), GifWriteOptions{}), GifWriteResult::Ok);
    LoadError why = LoadError::OpenFailed;
    std::unique_ptr<Dib> back(LoadGIF(path.c_str(), &why));
    ASSERT_TRUE(back);
    EXPECT_EQ(why, LoadError::None);
    EXPECT_EQ(back->Width(), 4);
    EXPECT_EQ(back->Height(), 3);
    EXPECT_EQ(back->Header()->clrImportant, 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(back->bits[(i / 4) * back->stride + i % 4], i);
        EXPECT_EQ(back->colours[i].blue, i * 20);
    }
    const std::string bad = dir.File("missing/shot.gif");
    EXPECT_EQ(WriteGIFFile(im.get(), bad.c_str(), GifWriteOptions{}), GifWriteResult::CreateFailed);
    EXPECT_EQ(LoadGIF(bad.c_str(), &why), nullptr);
    EXPECT_EQ(why, LoadError::OpenFailed);
}

TEST(GifToDib, TrueColourAndEmptyImagesAreRefused) {
    gdImagePtr tc = gdImageCreateTrueColor(4, 4);
    ASSERT_NE(tc, nullptr);
    EXPECT_EQ(GdImageToDib(tc), nullptr);
    gdImageDestroy(tc);
    EXPECT_EQ(GdImageToDib(nullptr), nullptr);
    gdImagePtr pal = gdImageCreate(3, 2);
    ASSERT_NE(pal, nullptr);
    for (int i = 0; i < 256; ++i) gdImageColorAllocate(pal, i, 0, 0);
    std::unique_ptr<Dib> d(GdImageToDib(pal));
    gdImageDestroy(pal);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Header()->clrImportant, 0u);
    EXPECT_EQ(d->colours[255].red, 255);
}

// A small valid GIF to cut and corrupt.
std::vector<uint8_t> SampleGif(bool interlace) {
    std::vector<uint8_t> pixels(30 * 20);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t((i * 7) % 5);
    auto d = Indexed(30, 20, pixels);
    std::vector<uint8_t> gif;
    if (!d) return gif;
    for (int i = 0; i < 5; ++i) d->colours[i] = RgbQuad{uint8_t(50 * i), 0, 0, 0};
    GdImagePtr im = DibToGdImage(*d, NoJpeg());
    if (im) EncodeGIF(im.get(), GifWriteOptions{interlace, 2}, gif);
    return gif;
}

TEST(GifReader, TruncatedFilesFailOrGiveAnImage) {
    for (bool interlace : {false, true}) {
        const std::vector<uint8_t> gif = SampleGif(interlace);
        ASSERT_GT(gif.size(), 40u);
        for (size_t n = 0; n < gif.size(); ++n) {
            LoadError why = LoadError::None;
            std::unique_ptr<Dib> d(LoadGIFFromMemory(gif.data(), n, &why));
            if (n < 13) {
                EXPECT_EQ(d, nullptr) << n;
            }
            if (d) {
                EXPECT_EQ(why, LoadError::None);
                EXPECT_EQ(d->Width(), 30);
                EXPECT_EQ(d->Height(), 20);
            } else {
                EXPECT_NE(why, LoadError::None);
            }
        }
    }
}

TEST(GifReader, ZeroAndHugeSizesAreRefused) {
    std::vector<uint8_t> gif = SampleGif(false);
    ASSERT_GT(gif.size(), 40u);
    const size_t at = ImageDescriptorOffset(gif);
    ASSERT_GT(at, 0u);
    LoadError why;
    auto load = [&](const std::vector<uint8_t>& g) {
        std::unique_ptr<Dib> d(LoadGIFFromMemory(g.data(), g.size(), &why));
        return d != nullptr;
    };
    ASSERT_TRUE(load(gif));

    auto zeroScreen = gif;
    zeroScreen[6] = zeroScreen[7] = 0;
    EXPECT_FALSE(load(zeroScreen));
    EXPECT_EQ(why, LoadError::ReadFailed);

    auto hugeScreen = gif;
    hugeScreen[6] = hugeScreen[7] = hugeScreen[8] = hugeScreen[9] = 0xFF;
    EXPECT_FALSE(load(hugeScreen));
    EXPECT_EQ(why, LoadError::ConvertFailed);

    auto zeroFrame = gif;
    zeroFrame[at + 5] = zeroFrame[at + 6] = 0;
    EXPECT_FALSE(load(zeroFrame));

    auto hugeFrame = gif;  // a frame larger than the screen
    hugeFrame[at + 5] = hugeFrame[at + 6] = hugeFrame[at + 7] = hugeFrame[at + 8] = 0xFF;
    EXPECT_FALSE(load(hugeFrame));

    auto offScreen = gif;  // a frame that leaves the screen
    offScreen[at + 1] = 0xF0;
    EXPECT_FALSE(load(offScreen));
}

TEST(GifReader, GarbageFailsCleanly) {
    EXPECT_EQ(LoadGIFFromMemory(nullptr, 0), nullptr);
    const std::vector<uint8_t> notGif = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    LoadError why = LoadError::None;
    EXPECT_EQ(LoadGIFFromMemory(notGif.data(), notGif.size(), &why), nullptr);
    EXPECT_EQ(why, LoadError::ReadFailed);

    std::vector<uint8_t> gif = SampleGif(false);
    ASSERT_GT(gif.size(), 40u);
    uint32_t seed = 12345;
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> g = gif;
        for (int k = 0; k < 1 + round % 8; ++k) {
            seed = seed * 1103515245u + 12345u;
            const size_t pos = 13 + (seed >> 8) % (g.size() - 13);
            seed = seed * 1103515245u + 12345u;
            g[pos] = uint8_t(seed >> 16);
        }
        std::unique_ptr<Dib> d(LoadGIFFromMemory(g.data(), g.size()));
        if (d) {
            EXPECT_GT(d->Width(), 0);
            EXPECT_GT(d->Height(), 0);
        }
    }
    // All bytes after a valid header random.
    std::vector<uint8_t> noise(gif.begin(), gif.begin() + 13);
    for (int i = 0; i < 4000; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise.push_back(uint8_t(seed >> 16));
    }
    std::unique_ptr<Dib> d(LoadGIFFromMemory(noise.data(), noise.size()));
    (void)d;
}

}  // namespace
}  // namespace gmbx
