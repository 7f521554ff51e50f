#include "imageio/gamma.h"

#include <cmath>

namespace gmbx {

void GammaTable::Build(double gamma) {
    if (built_ && gamma == gamma_) return;
    for (int i = 0; i < 256; ++i) {
        double v = 255.0 * std::pow(i * 0.00392156862745098, 1.0 / gamma) + 0.5;
        values_[size_t(i)] = static_cast<uint8_t>(v >= 255.0 ? 255 : static_cast<int>(v));
    }
    gamma_ = gamma;
    built_ = true;
}

void GammaTable::ApplyToColours(RgbQuad* colours, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
        colours[i].blue = values_[colours[i].blue];
        colours[i].green = values_[colours[i].green];
        colours[i].red = values_[colours[i].red];
    }
}

}  // namespace gmbx
