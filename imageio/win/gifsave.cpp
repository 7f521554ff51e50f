#include "imageio/win/gifsave.h"

#include <memory>
#include <string>

#include "capture/settings.h"
#include "imageio/colourmap.h"
#include "imageio/gifio.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {
namespace {

void NormalCursor() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }

}  // namespace

bool SaveGIF(const char* path, int transparentIndex, const GifTransparentChooser& chooser) {
    const bool haveDib = g_image.dib && !g_image.dib->Empty();
    if (!g_image.pixmap && !haveDib) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NOTHING_TO_SAVE);
        return false;
    }
    std::unique_ptr<Dib> converted;
    Dib* source = g_image.dib;
    if (!haveDib || g_image.dib->BitCount() < 8) {
        converted.reset(ConvertCurrentImage(RefreshDisplayColours()));
        if (!converted) {
            NormalCursor();
            std::string what = klib::LoadResString(IDS_CONVERT_FAILED);
            klib::TextMessageBox(MB_OK | MB_ICONEXCLAMATION, what + " SaveGIF(), SetDIBFromPixmap()");
            return false;
        }
        source = converted.get();
    }
    GdImagePtr im = DibToGdImage(*source);
    converted.reset();
    if (!im) {
        NormalCursor();
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_PREPARE_FAILED);
        return false;
    }

    GifWriteOptions options;
    options.interlace = g_settings.save.interlace != 0;
    options.transparentIndex = transparentIndex;
    if (chooser) {
        const int chosen = chooser(im.get());
        if (chosen == kGifSaveCancelled) return false;
        options.transparentIndex = chosen;
    }

    const GifWriteResult written = WriteGIFFile(im.get(), path, options);
    if (written == GifWriteResult::CreateFailed) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_CREATE_FAILED);
        return false;
    }
    if (written != GifWriteResult::Ok) klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_WRITE_FAILED, path);
    g_image.lastSavedPath = path;
    return written == GifWriteResult::Ok;
}

Dib* OpenGIF(const char* path) {
    GifReadResult why = GifReadResult::OpenFailed;
    Dib* dib = LoadGIF(path, &why);
    if (dib) return dib;
    switch (why) {
    case GifReadResult::OpenFailed: klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_OPEN_FAILED, path); break;
    case GifReadResult::ReadFailed: klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_READ_FAILED, path); break;
    default: klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_CONVERT_FAILED); break;
    }
    return nullptr;
}

int AppPaletteNearestIndex(uint8_t red, uint8_t green, uint8_t blue) {
    HPALETTE pal = AppColourPalette();
    if (!pal) return 0;
    const UINT i = GetNearestPaletteIndex(pal, RGB(red, green, blue));
    return i == CLR_INVALID ? 0 : int(i);
}

bool BuildAppColourMap(Dib& dib) { return BuildColourMap(dib, AppPaletteNearestIndex); }

}  // namespace gmbx
