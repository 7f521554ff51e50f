#include "imageio/win/current.h"

#include <memory>

#include "imageio/win/palette.h"

namespace gmbx {

CurrentImage g_image;

void SetCurrentDib(std::unique_ptr<Dib> dib) { g_image.dib = std::move(dib); }

void SetCurrentPixmap(std::unique_ptr<Pixmap> pixmap) { g_image.pixmap = std::move(pixmap); }

void SetCurrentPalette(PaletteHandle palette) { g_image.palette = std::move(palette); }

void ClearCurrentImage(bool keepNames) {
    SetCurrentPixmap(nullptr);
    SetCurrentDib(nullptr);
    SetCurrentPalette(nullptr);
    g_image.dibOnly = false;
    if (!keepNames) {
        g_image.lastSavedPath.clear();
        g_image.fileName.clear();
    }
}

bool HaveImage() { return g_image.pixmap || (g_image.dib && !g_image.dib->Empty()); }

void CurrentImageSize(int* w, int* h) {
    *w = *h = 0;
    if (g_image.pixmap) {
        *w = g_image.pixmap->width;
        *h = g_image.pixmap->height;
    } else if (g_image.dib && !g_image.dib->Empty()) {
        *w = g_image.dib->Width();
        *h = static_cast<int>(DibAbsHeight(g_image.dib->Height()));
    }
}

std::unique_ptr<Dib> ConvertCurrentImage(int colours, PelsPerMeter resolution) {
    auto out = std::make_unique<Dib>();
    if (!out->Create(1, 1, colours)) return nullptr;
    out->Header()->clrUsed = 0;
    out->Header()->clrImportant = 0;
    bool ok;
    if (g_image.pixmap) {
        Pixmap* pm = g_image.pixmap.get();
        HPALETTE keep = pm->palette;
        pm->palette = g_image.palette.get();
        ok = SetDIBFromPixmap(*pm, *out, resolution);
        pm->palette = keep;
    } else {
        const Dib& src = *g_image.dib;
        SetCurrentPalette(nullptr);
        PaletteHandle pal = CreateDibPalette(src.Header());
        SetCurrentPalette(pal ? std::move(pal) : StockPalette());
        Pixmap temp(src.Width(), static_cast<int>(DibAbsHeight(src.Height())));
        temp.palette = g_image.palette.get();
        ok = temp.Valid() && temp.DrawDib(src) && SetDIBFromPixmap(temp, *out, resolution);
        temp.palette = nullptr;
    }
    return ok ? std::move(out) : nullptr;
}

}  // namespace gmbx
