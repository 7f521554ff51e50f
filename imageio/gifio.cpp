#include "imageio/gifio.h"

#include <gd.h>

#include <cstdio>
#include <cstring>

#include "imageio/rle.h"

namespace gmbx {
namespace {

// The pixel indices of a 1-, 4- or 8-bit Dib, one byte per pixel, rows in
// storage order. Run-length encoded pixels are expanded first.
bool IndexRows(const Dib& dib, std::vector<uint8_t>& out) {
    const DibInfoHeader& h = *dib.Header();
    const int bits = h.bitCount;
    if (bits != 1 && bits != 4 && bits != 8) return false;
    const size_t width = size_t(h.width);
    const size_t rows = size_t(DibAbsHeight(h.height));
    const uint8_t* pixels = dib.bits;
    size_t stride = size_t(dib.stride);
    std::vector<uint8_t> expanded;
    if (h.compression == kCompressionRle8 || h.compression == kCompressionRle4) {
        if ((h.compression == kCompressionRle8) != (bits == 8) || h.height < 0) return false;
        const int64_t stride64 = DibStride(h.width, bits);
        if (stride64 <= 0) return false;
        stride = size_t(stride64);
        const ptrdiff_t offset = dib.bits - dib.bih;
        if (offset < 0 || offset > dib.totalSize) return false;
        size_t available = size_t(dib.totalSize - offset);
        if (h.sizeImage != 0 && h.sizeImage < available) available = h.sizeImage;
        expanded.assign(stride * rows, 0);
        if (RleExpand(dib.bits, available, expanded.data(), stride, rows, width, bits) == RleStop::BadArguments)
            return false;
        pixels = expanded.data();
    } else if (h.compression != kCompressionNone) {
        return false;
    }
    out.resize(width * rows);
    for (size_t y = 0; y < rows; ++y) {
        const uint8_t* in = pixels + y * stride;
        uint8_t* o = out.data() + y * width;
        switch (bits) {
        case 8: std::memcpy(o, in, width); break;
        case 4:
            for (size_t x = 0; x < width; ++x) o[x] = (in[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
            break;
        default:
            for (size_t x = 0; x < width; ++x) o[x] = (in[x / 8] >> (7 - (x & 7))) & 1;
            break;
        }
    }
    return true;
}

}  // namespace

void GdImageDeleter::operator()(gdImageStruct* im) const {
    if (im != nullptr) gdImageDestroy(im);
}

GdImagePtr DibToGdImage(Dib& dib, const JpegRoundTrip& roundTrip) {
    if (dib.Empty()) return nullptr;
    // An image with a colour table is read as it is; others are reduced.
    std::unique_ptr<Dib> reduced;
    if (!HasColourTable(dib)) {
        reduced = ReduceTo256(dib, kReduceJpegMode, roundTrip);
        if (!reduced || reduced->Empty()) return nullptr;
    }
    const Dib& src = reduced ? *reduced : dib;

    std::vector<uint8_t> indices;
    if (!IndexRows(src, indices)) return nullptr;
    const int width = src.Width();
    const int64_t rows64 = DibAbsHeight(src.Height());
    if (width < 1 || rows64 < 1 || rows64 > 0x7FFFFFFF) return nullptr;
    const int rows = int(rows64);

    bool occurs[256] = {};
    for (uint8_t i : indices) occurs[i] = true;
    const int entries = src.ColourCount();
    auto colourOf = [&](int i) { return i < entries ? src.colours[i] : RgbQuad{0, 0, 0, 0}; };

    GdImagePtr im(gdImageCreate(width, rows));
    if (!im) return nullptr;
    int map[256] = {};
    int first = 0;
    while (first < 256 && !occurs[first]) ++first;
    if (first == 256) first = 0;
    {
        const RgbQuad c = colourOf(first);
        map[first] = gdImageColorAllocate(im.get(), c.red, c.green, c.blue);
        if (map[first] < 0) return nullptr;
    }
    for (int i = first + 1; i < 256; ++i) {
        if (!occurs[i]) continue;
        const RgbQuad c = colourOf(i);
        int g = gdImageColorExact(im.get(), c.red, c.green, c.blue);
        if (g < 0) g = gdImageColorAllocate(im.get(), c.red, c.green, c.blue);
        if (g < 0) g = gdImageColorClosest(im.get(), c.red, c.green, c.blue);
        if (g < 0) return nullptr;
        map[i] = g;
    }

    // Bottom-up rows become top-down; a top-down Dib keeps its order.
    const bool bottomUp = src.Height() > 0;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* in = indices.data() + size_t(bottomUp ? rows - 1 - y : y) * size_t(width);
        unsigned char* out = im->pixels[y];
        for (int x = 0; x < width; ++x) out[x] = static_cast<unsigned char>(map[in[x]]);
    }
    return im;
}

std::unique_ptr<Dib> GdImageToDib(const gdImageStruct* im) {
    if (im == nullptr || im->trueColor || im->sx < 1 || im->sy < 1 || im->pixels == nullptr) return nullptr;
    auto dib = std::make_unique<Dib>();
    if (!dib->Create(im->sx, im->sy, 256)) return nullptr;
    const int total = im->colorsTotal < 0 ? 0 : im->colorsTotal > 256 ? 256 : im->colorsTotal;
    dib->Header()->clrImportant = total < 256 ? uint32_t(total) : 0;
    std::memset(dib->colours, 0, 256 * sizeof(RgbQuad));
    for (int i = 0; i < total; ++i) {
        if (im->open[i]) continue;
        dib->colours[i] = RgbQuad{uint8_t(im->blue[i]), uint8_t(im->green[i]), uint8_t(im->red[i]), 0};
    }
    for (int y = 0; y < im->sy; ++y)
        std::memcpy(dib->bits + size_t(im->sy - 1 - y) * size_t(dib->stride), im->pixels[y], size_t(im->sx));
    return dib;
}

int GdPaletteIndexAt(const gdImageStruct* im, int x, int y) {
    if (im == nullptr || im->trueColor || x < 0 || y < 0 || x >= im->sx || y >= im->sy) return -1;
    return im->pixels[y][x];
}

bool EncodeGIF(gdImageStruct* im, const GifWriteOptions& options, std::vector<uint8_t>& out) {
    out.clear();
    if (im == nullptr || im->trueColor) return false;
    gdImageInterlace(im, options.interlace ? 1 : 0);
    const int t = options.transparentIndex;
    gdImageColorTransparent(im, (t >= 0 && t < im->colorsTotal) ? t : -1);
    int size = 0;
    void* data = gdImageGifPtr(im, &size);
    if (data == nullptr) return false;
    bool ok = size > 0;
    if (ok) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        out.assign(bytes, bytes + size);
    }
    gdFree(data);
    return ok;
}

GifWriteResult WriteGIFFile(gdImageStruct* im, const char* path, const GifWriteOptions& options) {
    if (path == nullptr) return GifWriteResult::CreateFailed;
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return GifWriteResult::CreateFailed;
    std::vector<uint8_t> bytes;
    if (!EncodeGIF(im, options, bytes)) {
        std::fclose(f);
        std::remove(path);
        return GifWriteResult::EncodeFailed;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        std::remove(path);
        return GifWriteResult::WriteFailed;
    }
    return GifWriteResult::Ok;
}

std::unique_ptr<Dib> LoadGIFFromMemory(const uint8_t* data, size_t size, LoadError* why) {
    LoadError dummy;
    LoadError& result = why ? *why : dummy;
    result = LoadError::ReadFailed;
    // Header and logical screen descriptor: the library refuses frames that
    // leave the screen, so the screen bounds what it allocates.
    if (data == nullptr || size < 13 || size > 0x7FFFFFFF) return nullptr;
    if (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0) return nullptr;
    const int screenWidth = data[6] | data[7] << 8;
    const int screenHeight = data[8] | data[9] << 8;
    if (screenWidth < 1 || screenHeight < 1) return nullptr;
    const int64_t stride = DibStride(screenWidth, 8);
    if (stride < 0 || int64_t(kInfoHeaderSize) + 4 * 256 + stride * screenHeight > kMaxDibBlock) {
        result = LoadError::ConvertFailed;
        return nullptr;
    }
    GdImagePtr im(gdImageCreateFromGifPtr(int(size), const_cast<uint8_t*>(data)));
    if (!im) return nullptr;
    std::unique_ptr<Dib> dib = GdImageToDib(im.get());
    result = dib ? LoadError::None : LoadError::ConvertFailed;
    return dib;
}

std::unique_ptr<Dib> LoadGIF(const char* path, LoadError* why) {
    if (why) *why = LoadError::OpenFailed;
    if (path == nullptr) return nullptr;
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return nullptr;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n;
    bool tooLarge = false;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (bytes.size() + n > size_t(kMaxDibBlock) + (size_t(1) << 20)) {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) return nullptr;
    if (tooLarge) {
        if (why) *why = LoadError::ReadFailed;
        return nullptr;
    }
    return LoadGIFFromMemory(bytes.data(), bytes.size(), why);
}

}  // namespace gmbx
