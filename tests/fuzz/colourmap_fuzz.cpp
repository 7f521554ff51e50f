// libFuzzer target for the colour map, the perceptual distance, the reduction
// to 256 colours and the conversion of a Dib into a GIF palette image.
// The input: 2 bytes of width and height, 1 byte choosing the depth, then
// colour table and pixel bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imageio/appcolours.h"
#include "imageio/colourmap.h"
#include "imageio/gifio.h"
#include "imageio/reduce.h"

namespace {

int FuzzAppColours(gmbx::RgbQuad* out, int max) {
    for (int n = 0; n < gmbx::kAppColourCount && n < max; ++n) {
        int rgb[3] = {500, 500, 500};
        gmbx::StandardColourThousandths(n, rgb);
        out[n] = gmbx::RgbQuad{gmbx::ThousandthsToByte(rgb[2]), gmbx::ThousandthsToByte(rgb[1]),
                               gmbx::ThousandthsToByte(rgb[0]), 0};
    }
    return gmbx::kAppColourCount;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static bool hostSet = false;
    if (!hostSet) {
        gmbx::DibHost host{};
        host.appColours = FuzzAppColours;
        gmbx::SetDibHost(&host);
        hostSet = true;
    }
    const int width = 1 + data[0] % 64;
    const int height = (1 + data[1] % 64) * ((data[2] & 0x80) ? -1 : 1);
    static const int kColours[] = {2, 16, 256, 1 << 24};
    const int colours = kColours[data[2] & 3];
    data += 3;
    size -= 3;

    // Distances of byte pairs from the input.
    for (size_t i = 0; i + 8 <= size && i < 64; i += 8) {
        uint32_t a, b;
        std::memcpy(&a, data + i, 4);
        std::memcpy(&b, data + i + 4, 4);
        const int d = gmbx::PerceptualDistance(a, b);
        if (d < 0 || d > 255 || d != gmbx::PerceptualDistance(b, a)) __builtin_trap();
    }

    gmbx::Dib dib;
    if (!dib.Create(width, height, colours)) return 0;
    const size_t table = size_t(dib.ColourCount()) * 4;
    const size_t pixels = size_t(dib.stride) * size_t(gmbx::DibAbsHeight(height));
    size_t n = size < table ? size : table;
    if (n) std::memcpy(dib.colours, data, n);
    const uint8_t* rest = data + n;
    size_t left = size - n;
    // Pixels repeat the remaining bytes so that small inputs fill the image.
    if (left)
        for (size_t i = 0; i < pixels; ++i) dib.bits[i] = rest[i % left];

    gmbx::BuildColourMap(dib, [](uint8_t r, uint8_t g, uint8_t b) { return (r + g + b) % 16; });
    if (dib.colourMap && dib.BitCount() <= 4)
        for (int i = 0; i < dib.ColourCount(); ++i)
            if (dib.colourMap[i] < 0 || dib.colourMap[i] >= gmbx::kAppColourCount) __builtin_trap();

    // No JPEG coder: images with more than 256 colours fail cleanly.
    gmbx::GdImagePtr im = gmbx::DibToGdImage(dib, gmbx::JpegRoundTrip{});
    if (im) {
        std::vector<uint8_t> gif;
        gmbx::GifWriteOptions options;
        options.interlace = (size & 1) != 0;
        options.transparentIndex = int(size % 7) - 1;
        if (!gmbx::EncodeGIF(im.get(), options, gif)) __builtin_trap();
        std::unique_ptr<gmbx::Dib> back = gmbx::LoadGIFFromMemory(gif.data(), gif.size());
        if (back == nullptr || back->Width() != width || back->Height() != gmbx::DibAbsHeight(height))
            __builtin_trap();
    }
    return 0;
}
