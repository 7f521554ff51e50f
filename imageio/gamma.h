// The gamma table: 256 values through which every colour byte is passed to
// make a picture lighter (gamma above 1) or darker (below 1).
// Portable: no windows.h. Used for the image gamma command and by game capture.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "imageio/dibheader.h"

namespace gmbx {

class GammaTable {
public:
    // Entry i = trunc(255 * (i / 255)^(1 / gamma) + 0.5). Rebuilt only when
    // the gamma differs from the one of the last build. gamma must be > 0.
    void Build(double gamma);
    uint8_t operator[](size_t i) const { return values_[i]; }
    bool Built() const { return built_; }

    // Bytes 0..2 (blue, green, red) of every colour-table entry.
    void ApplyToColours(RgbQuad* colours, size_t count) const;

private:
    std::array<uint8_t, 256> values_{};
    double gamma_ = 0;
    bool built_ = false;
};

}  // namespace gmbx
