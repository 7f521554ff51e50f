// The colour map of a Dib: one application colour number per colour-table
// entry, and the perceptual colour distance it is built with. Portable.
#pragma once
#include <cstdint>
#include <functional>

#include "imageio/dib.h"

namespace gmbx {

// A colour as four bytes, as the in-house window library keeps direct colours:
// component 0 in bits 0-7, 1 in bits 8-15, 2 in bits 16-23, flags in 24-31.
// Direct colour made from a colour-table entry (bit 31 set, red in 16-23).
inline uint32_t DirectColour(const RgbQuad& q) {
    return 0x80000000u | uint32_t(q.red) << 16 | uint32_t(q.green) << 8 | uint32_t(q.blue);
}

// Perceptual distance between two colours, 0-255: 0 when all four bytes are
// equal; otherwise a brightness part (difference of the vector lengths, scaled
// so that white to black is 255) and, when neither colour is black, a
// direction part (distance between the unit vectors, scaled so that opposite
// axes give 255) combined as (2 x direction + brightness) / 3, rounded down
// after adding 0.5. With black on either side only the brightness part
// counts, truncated.
int PerceptualDistance(uint32_t a, uint32_t b);

// Number (0 to count-1) of the colour in `table` nearest to `c`: a distance of
// 0 wins at once; otherwise the first colour strictly below the best so far,
// starting from 255 and number 0 (so ties keep the lower number, and a colour
// 255 or more away from all gives 0).
int NearestTableColour(uint32_t c, const uint32_t* table, int count);

// The system's nearest-entry search in the application colour table's
// 16-entry palette: the entry index (0-15) nearest to the RGB colour.
using NearestPaletteIndexFn = std::function<int(uint8_t red, uint8_t green, uint8_t blue)>;

// Rebuilds dib.colourMap (freed with the Dib): released first; none is made
// when the host has no application colour table, the Dib is empty or has no
// colour table. 8-bit images: entry i = nearest palette index of colour-table
// entry i, plus 8. 1- and 4-bit images: entry i = NearestTableColour of entry
// i among the 24 application colours. Other depths get no map.
// Returns true when a map was made.
bool BuildColourMap(Dib& dib, const NearestPaletteIndexFn& nearestPaletteIndex);

}  // namespace gmbx
