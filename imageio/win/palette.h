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
bool AppColourTableExists();
// The table's logical palette (null before it exists).
HPALETTE AppColourPalette();
// Colours 0-23 as colour-table entries; returns the count (0 without table).
int AppColours(RgbQuad* out, int max);

// Colour values of the in-house window library: a negative value (bit 31
// set) is a direct colour with red in bits 16-23, green in 8-15 and blue in
// 0-7; a non-negative value is a colour number of the application table.
inline int32_t MakeDirectColour(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<int32_t>(0x80000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue));
}
inline bool IsDirectColour(int32_t value) { return value < 0; }
inline uint8_t DirectRed(int32_t value) { return uint8_t(uint32_t(value) >> 16); }
inline uint8_t DirectGreen(int32_t value) { return uint8_t(uint32_t(value) >> 8); }
inline uint8_t DirectBlue(int32_t value) { return uint8_t(value); }

// Number of colours in the table: its palette entries plus the 8 fixed ones
// (24).
int AppColourTableSize();

// The direct colour of colour number n: negative values come back unchanged,
// 0-7 from the fixed colours, 8-23 from palette entry n - 8. Numbers above 23,
// or any number while there is no table, give direct black.
int32_t AppColourValue(int32_t n);

// The colour number for a colour value: a number (>= 0) comes back as it is;
// a direct colour gets the palette's nearest entry by the system's search,
// plus 8 (so the fixed colours 0-7 are never chosen). 8 without the table.
int32_t AppNearestColourNumber(int32_t value);

// Sets colour n (0-23) from red, green and blue in thousandths (0-1000).
// Other numbers change nothing. 0-7 go into the fixed colours. 8-23 go into
// palette entry n - 8, marked in use: an entry reserved with ReserveAppColour
// keeps its reserved flag and the palette is realized again; any other gets
// flags 0. Returns false when nothing was changed.
bool SetAppColour(int n, int red, int green, int blue);

// Reserves palette colour n (8-23) for palette animation: the entry gets the
// reserved flag (PC_RESERVED) and is marked in use; then the palette is
// selected and realized in the device context of the colour window. Returns
// false for other numbers or without the table.
bool ReserveAppColour(int n);

// Whether colour n (8-23) is marked in use, and its palette entry flags
// (PC_RESERVED...); false and 0 for other numbers or without the table.
bool AppColourInUse(int n);
int AppColourFlags(int n);

// The window whose device context the table's palette is realized in (the
// program's current window); null (the default) skips realizing.
void SetAppColourWindow(HWND window);
HWND AppColourWindow();

// Selects the table's palette into the colour window's device context (as a
// foreground palette) and realizes it. Returns the number of system palette
// entries changed, or -1 when there is no table or window or it failed.
int RealizeAppColours();

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
