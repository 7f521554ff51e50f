// The save dispatcher: the program's own writers by the save options'
// format code.
#include <windows.h>

#include "capture/settings.h"
#include "imageio/win/gifsave.h"
#include "imageio/win/imagefiles.h"
#include "imageio/win/jpegfiles.h"

namespace gmbx {

bool SaveImageFile(const char* path, const GifTransparentChooser& chooser) {
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    bool ok;
    switch (g_settings.save.formatCode) {
    case kFormatGif: ok = SaveGIF(path, -1, chooser); break;
    case kFormatJpeg: ok = SaveJPEG(path); break;
    case kFormatBmp: ok = SaveBMP(path); break;
    default: ok = false; break;  // no writer of ours for other formats
    }
    SetCursor(old);
    return ok;
}

}  // namespace gmbx
