// Expansion of 8-bit and 4-bit run-length encoded bitmap data.
// Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

namespace gmbx {

// Why an expansion stopped.
enum class RleStop {
    EndOfPicture,  // the (0, 1) pair
    EndOfInput,    // source exhausted, also inside a pair, delta or absolute run
    AreaFull,      // the output position reached the end of the pixel area
    BadArguments,  // bits not 4 or 8, null pointers, or an area too large to address
};

// Expands run-length data into a pixel area of `rows` rows of `stride` bytes
// each, `width` pixels of `bits` (8 or 4) bits per row, the first stored row
// first. The area must be zero-filled by the caller: pixels the data never
// reaches keep their value.
//
// The source is a sequence of byte pairs (c, d):
//   c > 0          run of c pixels: 8 bits, c copies of d; 4 bits, the high
//                  and low nibble of d alternately, high first
//   0, 0           end of line: next row, column 0; one (0, 0) pair directly
//                  after it is swallowed
//   0, 1           end of picture
//   0, 2, dx, dy   move dx pixels right and dy rows down
//   0, n >= 3      n literal pixels (two per byte for 4 bits, high nibble
//                  first), the literal bytes padded to an even count
//
// Whatever the data says, nothing is read past src + srcLen and nothing is
// written outside the area:
//   - pixels of a run or literal run that fall beyond the row's width
//     (width, or what fits into stride if that is less) are dropped; the
//     position stays on its row until an end of line or delta moves it;
//   - a delta that leaves the image to the right only drops the following
//     pixels of that row; one that moves below the last row ends the
//     expansion (AreaFull), as does an end of line on the last row;
//   - an incomplete pair, delta, or literal run at the end of the input
//     writes the literal pixels that are present and stops (EndOfInput);
//   - missing padding after the last literal run is not an error.
RleStop RleExpand(const uint8_t* src, size_t srcLen, uint8_t* pixels, size_t stride, size_t rows,
                  size_t width, int bits);

}  // namespace gmbx
