// The current image: the capture shown in the view, held as a pixmap with the
// current display palette, or as a Dib only, or both; plus the names of the
// last saved or opened file.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "imageio/dib.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"

namespace gmbx {

struct CurrentImage {
    std::unique_ptr<Pixmap> pixmap;  // shown in the view
    std::unique_ptr<Dib> dib;        // the captured or loaded image
    PaletteHandle palette;           // current display palette (may be the stock one)
    bool dibOnly = false;            // the capture exists only as a Dib so far
    std::string lastSavedPath;       // last saved or opened file (full path)
    std::string fileName;            // file-name part shown in the title
};
extern CurrentImage g_image;

// Drops pixmap, Dib and palette; the names only when asked.
void ClearCurrentImage(bool keepNames);
void SetCurrentDib(std::unique_ptr<Dib> dib);           // replaces the old one
void SetCurrentPixmap(std::unique_ptr<Pixmap> pixmap);  // replaces the old one
void SetCurrentPalette(PaletteHandle palette);
bool HaveImage();
// Width and height of what is shown (0 without an image).
void CurrentImageSize(int* width, int* height);

// A new Dib of the wanted colour count and the resolution converted from the
// view pixmap (with the current palette), or from the current Dib through a
// temporary pixmap.
// Null on failure.
std::unique_ptr<Dib> ConvertCurrentImage(int colours, PelsPerMeter resolution);

}  // namespace gmbx
