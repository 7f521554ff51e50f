// Palettes: the application colour table and the palette of a Dib.
#pragma once
#include <windows.h>

#include "imageio/dib.h"

namespace gmbx {

// Creates the process's application colour table (24 colours: 0-7 fixed,
// 8-23 in a 16-entry logical palette). Safe to call more than once.
void CreateAppColourTable();
void DestroyAppColourTable();
bool AppColourTableExists();
// The table's logical palette (null before it exists).
HPALETTE AppColourPalette();
// Colours 0-23 as colour-table entries; returns the count (0 without table).
int AppColours(RgbQuad* out, int max);

// A palette for the Dib's colour table, or the fixed 8x8x4 palette for a
// 24-bit Dib without one; null otherwise.
HPALETTE CreateDibPalette(const DibInfoHeader* header);

// Releases a palette unless it is the stock default palette.
void ReleasePalette(HPALETTE palette);

}  // namespace gmbx
