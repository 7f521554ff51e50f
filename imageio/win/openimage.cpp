#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "imageio/win/current.h"
#include "imageio/win/gifsave.h"
#include "imageio/win/jpegfiles.h"
#include "imageio/win/imagefiles.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {
namespace {

bool EndsWith(const std::string& s, const char* tail) {
    size_t n = std::char_traits<char>::length(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

}  // namespace

bool OpenImageFile(const char* path) {
    RefreshDisplayColours();
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ClearCurrentImage(false);

    std::string lower(path);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    std::unique_ptr<Dib> dib;
    if (EndsWith(lower, ".gif")) {
        dib.reset(OpenGIF(path));
        if (!dib) {
            SetCursor(old);
            return false;
        }
    } else if (EndsWith(lower, ".jpg") || EndsWith(lower, ".jpeg")) {
        // Read once for the display (quantised on palette screens), then the
        // full image.
        std::unique_ptr<Dib> full, display;
        if (!ReadJpegForView(path, full, display)) {
            SetCursor(old);
            return false;
        }
        if (display) {
            std::unique_ptr<Pixmap> shown(PixmapFromDib(*display));
            if (shown) SetCurrentPalette(shown->palette);
            SetCurrentPixmap(shown.release());
        }
        dib = std::move(full);
    } else {
        dib = std::make_unique<Dib>();
        if (!dib->LoadBMP(path)) {
            SetCursor(old);
            klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_OPEN_FAILED, path);
            return false;
        }
    }
    BuildAppColourMap(*dib);
    if (!g_image.pixmap) {
        std::unique_ptr<Pixmap> shown(PixmapFromDib(*dib));
        if (shown) SetCurrentPalette(shown->palette);
        SetCurrentPixmap(shown.release());
    }
    SetCurrentDib(dib.release());

    char full[MAX_PATH];
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(path, sizeof full, full, &filePart);
    g_image.lastSavedPath = (n > 0 && n < sizeof full) ? full : path;
    const char* name = filePart ? filePart : path;
    g_image.fileName = name;
    SetCursor(old);
    return true;
}

}  // namespace gmbx
