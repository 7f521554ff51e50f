#include <memory>

#include "capture/settings.h"
#include "imageio/win/current.h"
#include "imageio/win/imagefiles.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {
namespace {

int ColoursForBits(int bits) {
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 16777216;
    }
}

// A new Dib of the wanted colour count converted from the view pixmap, or
// from the current Dib through a temporary pixmap. Null on failure.
Dib* ConvertCurrent(int colours) {
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

}  // namespace

bool SaveBMP(const char* path) {
    if (!g_image.pixmap && !(g_image.dib && !g_image.dib->Empty())) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NOTHING_TO_SAVE);
        return false;
    }
    const SaveOptions& so = g_settings.save;
    int colours = so.autoSelBits ? RefreshDisplayColours() : ColoursForBits(so.bitsPerPixel);

    std::unique_ptr<Dib> converted;
    const Dib* toWrite = g_image.dib;
    bool needConversion = !g_image.dib || g_image.dib->Empty() ||
                          (!so.autoSelBits && g_image.dib->ColourCount() != (colours <= 256 ? colours : 0));
    if (needConversion) {
        converted.reset(ConvertCurrent(colours));
        if (!converted) {
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            std::string what = klib::LoadResString(IDS_CONVERT_FAILED);
            klib::TextMessageBox(MB_OK | MB_ICONEXCLAMATION, what + " SaveBMP(), SetDIBFromPixmap()");
            return false;
        }
        toWrite = converted.get();
    }
    if (!toWrite->WriteBMP(path)) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_WRITE_FAILED, path);
        return false;
    }
    g_image.lastSavedPath = path;
    return true;
}

}  // namespace gmbx
