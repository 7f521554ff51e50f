// GIF files and colour maps for the current image (Win32 side).
#pragma once
#include <cstdint>
#include <functional>

#include "imageio/dib.h"

struct gdImageStruct;

namespace gmbx {

// Chooses the transparent colour once the image has been made into a GIF
// palette image: returns the palette index (GdPaletteIndexAt of the picked
// point), -1 for none, or kGifSaveCancelled to end the save without a file.
using GifTransparentChooser = std::function<int(const gdImageStruct* im)>;
constexpr int kGifSaveCancelled = -2;

// Writes the current image (view pixmap or current Dib) as a GIF file:
// images below 8 bits or only on screen are converted at the display's colour
// count first, then reduced to at most 256 colours. Interlaced when the save
// options ask for it. transparentIndex is a palette index of the written
// image (-1 none); a chooser, when given, decides instead. Failures are
// reported to the user; a file that could not be written completely is
// deleted.
bool SaveGIF(const char* path, int transparentIndex = -1, const GifTransparentChooser& chooser = {});

// Reads a GIF file into a new 8-bit Dib (the caller owns it); null after
// telling the user why.
Dib* OpenGIF(const char* path);

// The application colour table palette's nearest entry (0-15) to the colour,
// by the system's search; 0 without the table.
int AppPaletteNearestIndex(uint8_t red, uint8_t green, uint8_t blue);

// Builds the Dib's colour map against the process's application colour table.
bool BuildAppColourMap(Dib& dib);

}  // namespace gmbx
