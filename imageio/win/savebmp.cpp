#include <memory>

#include "capture/settings.h"
#include "imageio/reduce.h"
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
    // A true-colour image held only as a Dib goes to 256 colours through the
    // reduction (exact colours where it can, else dithered), not through the
    // display.
    if (!g_image.pixmap && g_image.dib->ColourCount() == 0 && colours == 256) {
        Dib* reduced = ReduceTo256(*g_image.dib);
        if (reduced && reduced != g_image.dib) converted.reset(reduced);
        if (reduced) toWrite = reduced;
    }
    bool needConversion = !toWrite || toWrite->Empty() ||
                          (!so.autoSelBits && toWrite->ColourCount() != (colours <= 256 ? colours : 0));
    if (needConversion) {
        converted.reset(ConvertCurrentImage(colours));
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
