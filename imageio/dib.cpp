#include "imageio/dib.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace gmbx {

namespace {

int DefaultDeviceColours() { return 256; }
int NoAppColours(RgbQuad*, int) { return 0; }

constexpr DibHost kDefaultHost = {DefaultDeviceColours, NoAppColours};

DibHost g_host = kDefaultHost;

// Header-derived sizes of a block.
struct Layout {
    uint32_t entries;
    int64_t stride;
    int64_t imageSize;
    int64_t total;  // header + table + image, without spare bytes
};

// The sizes a block with this header has, or false when the header does not
// describe an image a Dib can hold.
bool LayoutOf(const DibInfoHeader& h, Layout* out) {
    if (h.size != kInfoHeaderSize) return false;
    switch (h.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return false;
    }
    if (h.width < 1 || h.height == 0 || h.height == std::numeric_limits<int32_t>::min()) return false;
    const uint32_t entries = DibTableEntries(h);
    if (entries > kMaxTableEntries) return false;
    const int64_t stride = DibStride(h.width, h.bitCount);
    const int64_t image = DibImageSize(h);
    if (stride < 0 || stride > kMaxDibBlock || image < 0 || image > kMaxDibBlock) return false;
    const int64_t total = int64_t(kInfoHeaderSize) + 4 * int64_t(entries) + image;
    if (total > kMaxDibBlock) return false;
    *out = Layout{entries, stride, image, total};
    return true;
}

}  // namespace

void SetDibHost(const DibHost* host) {
    g_host = kDefaultHost;
    if (host == nullptr) return;
    // Hooks the host leaves out keep their defaults.
    if (host->deviceColours) g_host.deviceColours = host->deviceColours;
    if (host->appColours) g_host.appColours = host->appColours;
}

const DibHost& GetDibHost() { return g_host; }

Dib::Dib(const Dib& other) {
    if (other.Empty()) return;
    Layout layout;
    if (!LayoutOf(*other.Header(), &layout) || other.totalSize < layout.total) return;
    auto* block = static_cast<uint8_t*>(std::malloc(size_t(other.totalSize)));
    if (block == nullptr) return;
    std::memcpy(block, other.bih, size_t(other.totalSize));
    bih = block;
    // Keeps spare bytes at the end (the 16 of a block made from a pixmap).
    RecomputeLayout(int32_t(other.totalSize - layout.total));
}

Dib::~Dib() { Release(); }

void Dib::Release() {
    std::free(bih);
    std::free(colourMap);
    bih = nullptr;
    colours = nullptr;
    bits = nullptr;
    colourMap = nullptr;
    totalSize = 0;
    stride = 0;
}

bool Dib::Create(int width, int height, int colourCount, bool compressed) {
    Release();
    if (colourCount < 1) colourCount = g_host.deviceColours();
    const int bitCount = colourCount <= 2 ? 1 : colourCount <= 16 ? 4 : colourCount <= 256 ? 8 : 24;

    DibInfoHeader h{};
    h.size = kInfoHeaderSize;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = uint16_t(bitCount);
    h.compression = !compressed ? kCompressionNone
                    : bitCount == 8 ? kCompressionRle8
                    : bitCount == 4 ? kCompressionRle4
                                    : kCompressionNone;
    const uint32_t entries = DibTableEntries(0, bitCount);
    h.clrUsed = entries;
    h.clrImportant = entries;
    // Layout of the uncompressed pixels first: the image size is then the
    // computed stride x |height|, also for a header marked compressed.
    Layout layout;
    {
        DibInfoHeader plain = h;
        plain.compression = kCompressionNone;
        if (!LayoutOf(plain, &layout)) return false;
    }
    h.sizeImage = uint32_t(layout.imageSize);

    auto* block = static_cast<uint8_t*>(std::calloc(1, size_t(layout.total)));
    if (block == nullptr) return false;

    RgbQuad app[kMaxTableEntries] = {};
    int appCount = g_host.appColours(app, int(kMaxTableEntries));
    if (appCount < 0) appCount = 0;
    if (appCount > int(kMaxTableEntries)) appCount = int(kMaxTableEntries);
    if (appCount > 0 && uint32_t(appCount) < entries) h.clrImportant = uint32_t(appCount);

    std::memcpy(block, &h, sizeof h);
    if (appCount > 0) {
        auto* table = reinterpret_cast<RgbQuad*>(block + kInfoHeaderSize);
        const uint32_t first = (bitCount == 4 && h.clrImportant >= 16) ? 8 : 0;
        for (uint32_t i = 0; i < h.clrImportant && first + i < uint32_t(appCount); ++i) {
            table[i] = app[first + i];
            table[i].reserved = 0;
        }
    }
    bih = block;
    if (!RecomputeLayout()) {  // cannot happen: the header was checked above
        Release();
        return false;
    }
    return true;
}

bool Dib::AttachBlock(uint8_t* block) {
    if (block == nullptr) return false;
    if (block == bih) return RecomputeLayout();
    Layout layout;
    if (!LayoutOf(*reinterpret_cast<const DibInfoHeader*>(block), &layout)) return false;
    Release();
    bih = block;
    return RecomputeLayout();
}

int Dib::Width() const { return bih ? Header()->width : 0; }

int Dib::Height() const { return bih ? Header()->height : 0; }

int Dib::ColourCount() const { return bih ? int(DibTableEntries(*Header())) : 0; }

int Dib::BitCount() const { return bih ? Header()->bitCount : 0; }

void Dib::RecomputeStride() {
    const int64_t s = bih ? DibStride(Header()->width, Header()->bitCount) : 0;
    stride = (s < 0 || s > kMaxDibBlock) ? 0 : int32_t(s);
}

bool Dib::RecomputeLayout(int32_t spareBytes) {
    if (bih == nullptr || spareBytes < 0) return false;
    Layout layout;
    if (!LayoutOf(*Header(), &layout) || layout.total + spareBytes > kMaxDibBlock) return false;
    colours = reinterpret_cast<RgbQuad*>(bih + kInfoHeaderSize);
    bits = bih + kInfoHeaderSize + 4 * size_t(layout.entries);
    stride = int32_t(layout.stride);
    totalSize = int32_t(layout.total + spareBytes);
    return true;
}

}  // namespace gmbx
