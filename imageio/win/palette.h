// Palettes: the application colour table and the palette of a Dib.
#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>

#include "imageio/dib.h"

namespace gmbx {

// Creates the process's application colour table (24 colours: 0-7 fixed,
// 8-23 in a 16-entry logical palette). Safe to call more than once.
void CreateAppColourTable();
void DestroyAppColourTable();
// The table's logical palette (null before it exists).
HPALETTE AppColourPalette();
// Colours 0-23 as colour-table entries; returns the count (0 without table).
int AppColours(RgbQuad* out, int max);

// Builds the Dib's colour map against the application colour table: each
// table entry gets the palette's nearest entry by the system's search.
bool BuildAppColourMap(Dib& dib);

// Releases a palette unless it is the stock default palette.
void ReleasePalette(HPALETTE palette);

// An owned palette (the stock default palette is never deleted).
struct PaletteDeleter {
    void operator()(HPALETTE palette) const { ReleasePalette(palette); }
};
using PaletteHandle = std::unique_ptr<std::remove_pointer_t<HPALETTE>, PaletteDeleter>;
// The stock default palette.
PaletteHandle StockPalette();

// A palette for the Dib's colour table, or the fixed 8x8x4 palette for a
// 24-bit Dib without one; null otherwise.
PaletteHandle CreateDibPalette(const DibInfoHeader* header);

}  // namespace gmbx
