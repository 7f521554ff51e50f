// Device-dependent bitmaps (pixmaps) and their conversion to and from Dibs.
#pragma once
#include <windows.h>

#include <memory>

#include "imageio/dib.h"
#include "imageio/win/palette.h"

namespace gmbx {

// Called when a pixmap's bitmap cannot be made (not enough graphics memory
// for the size): the program tells the user there. Null: nothing is told.
using PixmapFailureHook = void (*)();
void SetPixmapFailureHook(PixmapFailureHook hook);

class Pixmap {
public:
    // A bitmap compatible with the source window (or the desktop), holding a
    // copy of the source's pixels, or white without a source. Not Valid()
    // when the bitmap cannot be made (the failure hook is told).
    Pixmap(int width, int height, HWND source = nullptr);
    ~Pixmap();
    Pixmap(const Pixmap&) = delete;
    Pixmap& operator=(const Pixmap&) = delete;

    bool Valid() const { return bitmap != nullptr; }
    // Selects the bitmap and the palette into the shared memory context.
    HDC BeginDraw();
    void EndDraw();
    // While drawing: puts the context's own bitmap back, keeping the palette,
    // so that the pixmap's bitmap can be read or set through DIB calls.
    void SelectInitialBitmap();
    // Sets the pixmap's rows from the Dib (colour table as RGB colours).
    bool DrawDib(const Dib& dib);

    int width = 0;
    int height = 0;
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;             // while drawing
    HPALETTE palette = nullptr;   // selected while drawing; not owned

private:
    HGDIOBJ oldBitmap_ = nullptr;
    HPALETTE oldPalette_ = nullptr;
};

// Resolution fields of a Dib's header.
struct PelsPerMeter {
    int32_t x = 0;
    int32_t y = 0;
};

// Converts the pixmap into the Dib with the given resolution; an existing
// header in the Dib chooses the bit depth, otherwise the display's depth does.
bool SetDIBFromPixmap(Pixmap& pixmap, Dib& dib, PelsPerMeter resolution);

// Bit count SetDIBFromPixmap chooses for a display of the given depth.
int DibBitsForDisplayBits(int displayBits);

// The display's bits per pixel and colour count (2^bits, 16 for 3 bits or
// fewer, at most 2^24). RefreshDisplayColours updates the process-wide count.
int DisplayBitsPerPixel();
int ColourCountForBits(int bits);
int RefreshDisplayColours();
extern int g_displayColours;

// Pixmap of the Dib's size with the Dib drawn into it through a palette made
// from the Dib (the stock palette when that fails), which goes to *palette.
// Null on failure.
std::unique_ptr<Pixmap> PixmapFromDib(const Dib& dib, PaletteHandle* palette);

// Installs the Win32 services the Dib needs (device colours, application
// colour table).
void InstallWin32DibHost();

}  // namespace gmbx
