#include "imageio/colourmap.h"

#include <cmath>
#include <cstdlib>

#include "imageio/appcolours.h"

namespace gmbx {

int PerceptualDistance(uint32_t a, uint32_t b) {
    if (a == b) return 0;
    const double a0 = a & 0xFF, a1 = (a >> 8) & 0xFF, a2 = (a >> 16) & 0xFF;
    const double b0 = b & 0xFF, b1 = (b >> 8) & 0xFF, b2 = (b >> 16) & 0xFF;
    const double la = std::sqrt(a0 * a0 + a1 * a1 + a2 * a2);
    const double lb = std::sqrt(b0 * b0 + b1 * b1 + b2 * b2);
    const double brightness = std::fabs(la - lb) * 255.0 / std::sqrt(195075.0);
    double d = brightness;
    if (la > 0 && lb > 0) {
        const double d0 = a0 / la - b0 / lb, d1 = a1 / la - b1 / lb, d2 = a2 / la - b2 / lb;
        const double direction = std::sqrt(d0 * d0 + d1 * d1 + d2 * d2);
        d = (2.0 * direction * 255.0 / std::sqrt(2.0) + brightness) / 3.0 + 0.5;
    }
    int r = static_cast<int>(d);
    return r < 0 ? 0 : r > 255 ? 255 : r;
}

int NearestTableColour(uint32_t c, const uint32_t* table, int count) {
    int best = 255;
    int number = 0;
    for (int n = 0; n < count; ++n) {
        const int d = PerceptualDistance(c, table[n]);
        if (d == 0) return n;
        if (d < best) {
            best = d;
            number = n;
        }
    }
    return number;
}

bool BuildColourMap(Dib& dib, const NearestPaletteIndexFn& nearestPaletteIndex) {
    std::free(dib.colourMap);
    dib.colourMap = nullptr;
    if (dib.Empty() || dib.colours == nullptr) return false;
    const int entries = dib.ColourCount();
    const int bits = dib.BitCount();
    if (entries <= 0 || (bits != 1 && bits != 4 && bits != 8)) return false;

    RgbQuad app[kMaxTableEntries] = {};
    int appCount = GetDibHost().appColours(app, int(kMaxTableEntries));
    if (appCount <= 0) return false;
    if (appCount > kAppColourCount) appCount = kAppColourCount;
    if (bits == 8 && !nearestPaletteIndex) return false;

    auto* map = static_cast<int32_t*>(std::calloc(size_t(entries), sizeof(int32_t)));
    if (map == nullptr) return false;
    if (bits == 8) {
        for (int i = 0; i < entries; ++i) {
            const RgbQuad& q = dib.colours[i];
            map[i] = nearestPaletteIndex(q.red, q.green, q.blue) + 8;
        }
    } else {
        uint32_t direct[kAppColourCount];
        for (int n = 0; n < appCount; ++n) direct[n] = DirectColour(app[n]);
        for (int i = 0; i < entries; ++i) map[i] = NearestTableColour(DirectColour(dib.colours[i]), direct, appCount);
    }
    dib.colourMap = map;
    return true;
}

}  // namespace gmbx
