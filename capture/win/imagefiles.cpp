#include "capture/win/imagefiles.h"
#include "capture/win/imageedit.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "imageio/gifio.h"
#include "imageio/jpegio.h"
#include "imageio/reduce.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {
namespace {

void NormalCursor() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }

// Writes through a temporary file beside the target and puts it in the
// target's place only once it is complete: a write that fails part-way
// leaves an existing file as it was, and no partial file anywhere. write
// gets the name to write to and returns whether it succeeded.
template <typename Write>
bool WriteInPlaceOf(const char* path, Write write) {
    std::string temporary = std::string(path) + ".gmbx-new";
    if (temporary.size() >= MAX_PATH) return write(path);  // no room for the longer name
    if (!write(temporary.c_str())) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return true;
    DeleteFileA(temporary.c_str());
    return false;
}

int ColoursForBits(int bits) {
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 16777216;
    }
}

bool EndsWith(const std::string& s, const char* tail) {
    size_t n = std::char_traits<char>::length(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// Reads a GIF file into a new 8-bit Dib; null after telling the user why.
std::unique_ptr<Dib> OpenGIF(const char* path) {
    LoadError why = LoadError::OpenFailed;
    std::unique_ptr<Dib> dib = LoadGIF(path, &why);
    if (dib) return dib;
    switch (why) {
    case LoadError::OpenFailed: klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_OPEN_FAILED, path); break;
    case LoadError::ReadFailed: klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_READ_FAILED, path); break;
    default: klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_CONVERT_FAILED); break;
    }
    return nullptr;
}

}  // namespace

PelsPerMeter SettingsResolution() {
    return {PelsPerMeterFromThousandths(g_settings.horizRes), PelsPerMeterFromThousandths(g_settings.vertRes)};
}

void InstallImageMessageBoxes() {
    SetJpegMessageHook([](const char* text) {
        if (!CaptureInProgress()) klib::TextMessageBox(MB_OK | MB_ICONEXCLAMATION, text);
    });
    SetPixmapFailureHook([] { klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NO_BITMAP); });
}

bool SaveBMP(const char* path) {
    if (!g_image.pixmap && !(g_image.dib && !g_image.dib->Empty())) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NOTHING_TO_SAVE);
        return false;
    }
    const SaveOptions& so = g_settings.save;
    int colours = so.autoSelBits ? RefreshDisplayColours() : ColoursForBits(so.bitsPerPixel);

    std::unique_ptr<Dib> converted;
    const Dib* toWrite = g_image.dib.get();
    // A true-colour image held only as a Dib goes to 256 colours through the
    // reduction (exact colours where it can, else dithered), not through the
    // display.
    if (!g_image.pixmap && g_image.dib->ColourCount() == 0 && colours == 256) {
        converted = ReduceTo256(*g_image.dib);
        if (converted) toWrite = converted.get();
    }
    bool needConversion = !toWrite || toWrite->Empty() ||
                          (!so.autoSelBits && toWrite->ColourCount() != (colours <= 256 ? colours : 0));
    if (needConversion) {
        converted = ConvertCurrentImage(colours, SettingsResolution());
        if (!converted) {
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            std::string what = klib::LoadResString(IDS_CONVERT_FAILED);
            klib::TextMessageBox(MB_OK | MB_ICONEXCLAMATION, what + " SaveBMP(), SetDIBFromPixmap()");
            return false;
        }
        toWrite = converted.get();
    }
    if (!WriteInPlaceOf(path, [toWrite](const char* name) { return toWrite->WriteBMP(name); })) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_WRITE_FAILED, path);
        return false;
    }
    g_image.lastSavedPath = path;
    return true;
}

bool SaveGIF(const char* path, int transparentIndex, const GifTransparentChooser& chooser) {
    const bool haveDib = g_image.dib && !g_image.dib->Empty();
    if (!g_image.pixmap && !haveDib) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NOTHING_TO_SAVE);
        return false;
    }
    std::unique_ptr<Dib> converted;
    Dib* source = g_image.dib.get();
    if (!haveDib || g_image.dib->BitCount() < 8) {
        converted = ConvertCurrentImage(RefreshDisplayColours(), SettingsResolution());
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

    GifWriteResult written = GifWriteResult::Ok;
    const bool ok = WriteInPlaceOf(path, [&](const char* name) {
        written = WriteGIFFile(im.get(), name, options);
        return written == GifWriteResult::Ok;
    });
    if (written == GifWriteResult::CreateFailed) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_CREATE_FAILED);
        return false;
    }
    if (!ok) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_GIF_WRITE_FAILED, path);
        return false;
    }
    g_image.lastSavedPath = path;
    return true;
}

bool SaveJPEG(const char* path) {
    if (!g_image.pixmap && !(g_image.dib && !g_image.dib->Empty())) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NOTHING_TO_SAVE);
        return false;
    }
    std::unique_ptr<Dib> converted;
    const Dib* toWrite = g_image.dib.get();
    if (!g_image.dib || g_image.dib->Empty() || g_image.dib->BitCount() < 8) {
        converted = ConvertCurrentImage(16777216, SettingsResolution());
        if (!converted) return false;
        toWrite = converted.get();
    }
    const SaveOptions& so = g_settings.save;
    if (!WriteInPlaceOf(path, [&](const char* name) { return WriteJPEG(*toWrite, name, so.quality, so.interlace != 0); })) {
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
        shown = LoadJPEG(path, kJpegDithered);
        if (!shown) return false;
    }
    full = LoadJPEG(path, kJpegFullColour);
    if (!full) {
        shown.reset();
        return false;
    }
    return true;
}

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

bool OpenImageFile(const char* path) {
    RefreshDisplayColours();
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ClearUndoImage();
    ClearCurrentImage(false);

    std::string lower(path);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    std::unique_ptr<Dib> dib;
    if (EndsWith(lower, ".gif")) {
        dib = OpenGIF(path);
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
            PaletteHandle palette;
            std::unique_ptr<Pixmap> shown = PixmapFromDib(*display, &palette);
            if (shown) SetCurrentPalette(std::move(palette));
            SetCurrentPixmap(std::move(shown));
        }
        dib = std::move(full);
    } else {
        dib = LoadBMP(path);
        if (!dib) {
            SetCursor(old);
            klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_OPEN_FAILED, path);
            return false;
        }
    }
    BuildAppColourMap(*dib);
    if (!g_image.pixmap) {
        PaletteHandle palette;
        std::unique_ptr<Pixmap> shown = PixmapFromDib(*dib, &palette);
        if (shown) SetCurrentPalette(std::move(palette));
        SetCurrentPixmap(std::move(shown));
    }
    SetCurrentDib(std::move(dib));

    char full[MAX_PATH];
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(path, sizeof full, full, &filePart);
    g_image.lastSavedPath = (n > 0 && n < sizeof full) ? full : path;
    if (!g_run.fixedTitle) g_image.fileName = filePart ? filePart : path;
    SetCursor(old);
    return true;
}

}  // namespace gmbx
