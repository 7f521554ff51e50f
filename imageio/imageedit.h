// Edits that change a Dib in place: the black-and-white swap and the gamma
// correction. Portable: no windows.h.
//
// Images with a colour table are changed through the table only. Otherwise:
// 24-bit pixels are taken three bytes at a time; 32-bit pixels are taken as
// blue, green, red and an unused byte, which is left alone; 16-bit pixels are
// taken as 5 bits each of red, green and blue, each widened to 8 bits to be
// judged and narrowed again.
#pragma once

#include "imageio/dib.h"
#include "imageio/gamma.h"

namespace gmbx {

// Colours whose blue, green and red are all 5 or below become white; those
// whose three are all 250 or above become black; others stay.
// False (and nothing changed) for an image it cannot read: compressed
// without a colour table, or an unknown pixel layout.
bool SwapBlackWhite(Dib& dib);

// Passes every colour through the table (its Build must have run).
bool ApplyGamma(Dib& dib, const GammaTable& table);

}  // namespace gmbx
