#include "imageio/imageedit.h"

namespace gmbx {

namespace {

constexpr uint8_t kNearBlack = 5;
constexpr uint8_t kNearWhite = 250;

// The swapped colour of blue, green, red (in place).
void SwapColour(uint8_t& b, uint8_t& g, uint8_t& r) {
    if (b <= kNearBlack && g <= kNearBlack && r <= kNearBlack) {
        b = g = r = 255;
    } else if (b >= kNearWhite && g >= kNearWhite && r >= kNearWhite) {
        b = g = r = 0;
    }
}

uint8_t Widen5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

// Calls f(blue, green, red) for every pixel of an uncompressed image without
// a colour table; false for other images.
template <typename F>
bool ForEachPixel(Dib& dib, F f) {
    const DibInfoHeader& h = *dib.Header();
    if (h.compression != kCompressionNone) return false;
    int bits = h.bitCount;
    if (bits != 16 && bits != 24 && bits != 32) return false;
    int64_t width = h.width, height = DibAbsHeight(h.height);
    int64_t stride = DibStride(width, bits);
    if (stride < 0 || stride * height > dib.totalSize) return false;
    for (int64_t y = 0; y < height; ++y) {
        uint8_t* row = dib.bits + y * stride;
        for (int64_t x = 0; x < width; ++x) {
            if (bits == 16) {
                uint8_t* p = row + x * 2;
                unsigned v = unsigned(p[0]) | unsigned(p[1]) << 8;
                uint8_t b = Widen5(v & 31), g = Widen5((v >> 5) & 31), r = Widen5((v >> 10) & 31);
                f(b, g, r);
                v = (v & 0x8000u) | unsigned(r >> 3) << 10 | unsigned(g >> 3) << 5 | unsigned(b >> 3);
                p[0] = static_cast<uint8_t>(v);
                p[1] = static_cast<uint8_t>(v >> 8);
            } else {
                uint8_t* p = row + x * (bits / 8);
                f(p[0], p[1], p[2]);
            }
        }
    }
    return true;
}

}  // namespace

bool SwapBlackWhite(Dib& dib) {
    if (dib.Empty()) return false;
    uint32_t entries = DibTableEntries(*dib.Header());
    if (entries > 0) {
        for (uint32_t i = 0; i < entries; ++i) SwapColour(dib.colours[i].blue, dib.colours[i].green, dib.colours[i].red);
        return true;
    }
    return ForEachPixel(dib, SwapColour);
}

bool ApplyGamma(Dib& dib, const GammaTable& table) {
    if (dib.Empty() || !table.Built()) return false;
    uint32_t entries = DibTableEntries(*dib.Header());
    if (entries > 0) {
        table.ApplyToColours(dib.colours, entries);
        return true;
    }
    return ForEachPixel(dib, [&table](uint8_t& b, uint8_t& g, uint8_t& r) {
        b = table[b];
        g = table[g];
        r = table[r];
    });
}

}  // namespace gmbx
