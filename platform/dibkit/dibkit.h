// Dibkit.dll: conversions between packed device-independent bitmaps (one
// global memory block: header, colour table, rows) and device bitmaps with
// their palettes, and the size of a DIB's colour table.
//
// The functions are exported by their plain names (no decoration, also in
// 32-bit builds) with the __cdecl calling convention.
#pragma once

#include <windows.h>

#if defined(DIBKIT_BUILD)
#define DIBKIT_API __declspec(dllexport)
#else
#define DIBKIT_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Colour-table entries of a DIB header, which is either a BITMAPINFOHEADER
// (or a later, larger info header) or a 12-byte BITMAPCOREHEADER: the
// colours-used field if it is non-zero (info headers only), otherwise 2, 16
// or 256 for 1, 4 or 8 bits per pixel, and 0 above 8 bits. 0 for null.
DIBKIT_API WORD __cdecl DibNumColors(const void* header);

// Colour-table size in bytes: 4 per entry after an info header, 3 per entry
// after a core header.
DIBKIT_API WORD __cdecl PaletteSize(const void* header);

// A device bitmap, compatible with the screen, of the packed DIB held in
// `dib` (which is left as it is and stays the caller's). When `palette` is
// not null it receives a new palette made from the DIB's colour table, or
// null when the DIB has none; the caller deletes it. Null on failure (then
// *palette is null too).
DIBKIT_API HBITMAP __cdecl DIBToBitmap(HGLOBAL dib, HPALETTE* palette);

// A new movable global memory block holding a packed DIB of `bitmap`: a
// 40-byte header, the colour table and the bottom-up rows, at the bitmap's
// own depth (1, 4, 8 or 24 bits; 16 and 32 bits become 24). The colours are
// read with `palette` selected (the stock default palette when it is null).
// The bitmap must not be selected into a device context. Null on failure;
// the caller frees the block.
DIBKIT_API HGLOBAL __cdecl BitmapToDIB(HBITMAP bitmap, HPALETTE palette);

#ifdef __cplusplus
}
#endif
