// Flags of the palette copied from the screen at each capture. Portable.
#pragma once
#include <cstdint>

namespace gmbx {

constexpr uint8_t kPcNoCollapse = 0x04;  // PC_NOCOLLAPSE

// Without static colours every entry but the first and the last may not be
// collapsed; with the twenty static colours, the first ten and the last ten
// keep flags 0 and the others are marked.
void CapturePaletteFlags(uint8_t* flags, unsigned count, bool noStatic);

}  // namespace gmbx
