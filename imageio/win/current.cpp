#include "imageio/win/current.h"

#include <memory>

#include "imageio/win/palette.h"

namespace gmbx {

CurrentImage g_image;

void SetCurrentDib(Dib* dib) {
    if (g_image.dib != dib) delete g_image.dib;
    g_image.dib = dib;
}

void SetCurrentPixmap(Pixmap* pixmap) {
    if (g_image.pixmap != pixmap) delete g_image.pixmap;
    g_image.pixmap = pixmap;
}

void SetCurrentPalette(HPALETTE palette) {
    if (g_image.palette != palette) ReleasePalette(g_image.palette);
    g_image.palette = palette;
}

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

Dib* ConvertCurrentImage(int colours) {
    auto out = std::make_unique<Dib>();
    if (!out->Create(1, 1, colours)) return nullptr;
    out->Header()->clrUsed = 0;
    out->Header()->clrImportant = 0;
    bool ok;
    if (g_image.pixmap) {
        Pixmap* pm = g_image.pixmap;
        HPALETTE keep = pm->palette;
        pm->palette = g_image.palette;
        ok = SetDIBFromPixmap(*pm, *out);
        pm->palette = keep;
    } else {
        const Dib& src = *g_image.dib;
        if (g_image.palette != static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE))) SetCurrentPalette(nullptr);
        HPALETTE pal = CreateDibPalette(src.Header());
        SetCurrentPalette(pal ? pal : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
        Pixmap temp(src.Width(), static_cast<int>(DibAbsHeight(src.Height())));
        temp.palette = g_image.palette;
        ok = temp.Valid() && temp.DrawDib(src) && SetDIBFromPixmap(temp, *out);
        temp.palette = nullptr;
    }
    return ok ? out.release() : nullptr;
}

}  // namespace gmbx
