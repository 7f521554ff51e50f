#include "imageio/capturepalette.h"

namespace gmbx {

void CapturePaletteFlags(uint8_t* flags, unsigned count, bool noStatic) {
    for (unsigned i = 0; i < count; ++i) flags[i] = 0;
    if (noStatic) {
        for (unsigned i = 1; i + 1 < count; ++i) flags[i] = kPcNoCollapse;
    } else {
        for (unsigned i = 10; i + 10 < count; ++i) flags[i] = kPcNoCollapse;
    }
}

}  // namespace gmbx
