#include <windows.h>

#include <memory>

#include "capture/settings.h"
#include "imageio/win/current.h"
#include "imageio/win/jpegfiles.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {

bool SaveJPEG(const char* path) {
    if (!g_image.pixmap && !(g_image.dib && !g_image.dib->Empty())) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NOTHING_TO_SAVE);
        return false;
    }
    std::unique_ptr<Dib> converted;
    const Dib* toWrite = g_image.dib;
    if (!g_image.dib || g_image.dib->Empty() || g_image.dib->BitCount() < 8) {
        converted.reset(ConvertCurrentImage(16777216));
        if (!converted) return false;
        toWrite = converted.get();
    }
    const SaveOptions& so = g_settings.save;
    // WriteJPEG deletes a file it created but could not complete.
    if (!WriteJPEG(*toWrite, path, so.quality, so.interlace != 0)) {
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_JPEG_WRITE_FAILED);
        return false;
    }
    g_image.lastSavedPath = path;
    return true;
}

bool ReadJpegForView(const char* path, std::unique_ptr<Dib>& full, std::unique_ptr<Dib>& shown) {
    full.reset();
    shown.reset();
    if (RefreshDisplayColours() <= 256) {
        shown.reset(LoadJPEG(path, kJpegDithered));
        if (!shown) return false;
    }
    full.reset(LoadJPEG(path, kJpegFullColour));
    if (!full) {
        shown.reset();
        return false;
    }
    return true;
}

}  // namespace gmbx
