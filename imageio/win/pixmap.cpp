#include "imageio/win/pixmap.h"

#include <cstdlib>
#include <cstring>

#include "imageio/win/palette.h"
#include "klib/win/frame.h"
#include "klib/win/gdi.h"

namespace gmbx {

int g_displayColours = 256;

namespace {

PixmapFailureHook g_failureHook = nullptr;

HDC SharedDc() {
    HDC dc = klib::Shared().memDc;
    if (dc) return dc;
    // Before the library frame exists (tests, tools): a context of our own.
    static HDC own = CreateCompatibleDC(nullptr);
    return own;
}

}  // namespace

void SetPixmapFailureHook(PixmapFailureHook hook) { g_failureHook = hook; }

Pixmap::Pixmap(int w, int h, HWND source) : width(w), height(h) {
    {
        klib::WindowDc wdc(source ? source : GetDesktopWindow());
        if (w > 0 && h > 0) bitmap = CreateCompatibleBitmap(wdc.get(), w, h);
        if (bitmap) {
            HDC dc = BeginDraw();
            if (source)
                BitBlt(dc, 0, 0, w, h, wdc.get(), 0, 0, SRCCOPY);
            else
                PatBlt(dc, 0, 0, w, h, WHITENESS);
            EndDraw();
        }
    }
    if (!bitmap && g_failureHook) g_failureHook();
}

Pixmap::~Pixmap() {
    if (dc) EndDraw();
    if (bitmap) DeleteObject(bitmap);
}

HDC Pixmap::BeginDraw() {
    if (dc) return dc;
    HDC mem = SharedDc();
    oldBitmap_ = SelectObject(mem, bitmap);
    HPALETTE pal = palette ? palette : AppColourPalette();
    oldPalette_ = pal ? SelectPalette(mem, pal, FALSE) : nullptr;
    if (pal) RealizePalette(mem);
    dc = mem;
    return dc;
}

void Pixmap::SelectInitialBitmap() {
    if (dc && oldBitmap_) SelectObject(dc, oldBitmap_);
}

void Pixmap::EndDraw() {
    if (!dc) return;
    if (oldBitmap_) SelectObject(dc, oldBitmap_);
    if (oldPalette_) SelectPalette(dc, oldPalette_, FALSE);
    oldBitmap_ = nullptr;
    oldPalette_ = nullptr;
    dc = nullptr;
}

bool Pixmap::DrawDib(const Dib& dib) {
    if (dib.Empty() || !bitmap) return false;
    HDC mem = BeginDraw();
    // Only the palette stays selected: SetDIBits must not see the bitmap
    // selected into a context.
    SelectInitialBitmap();
    const DibInfoHeader* h = dib.Header();
    int rows = static_cast<int>(DibAbsHeight(h->height));
    int n = SetDIBits(mem, bitmap, 0, rows, dib.bits, reinterpret_cast<const BITMAPINFO*>(dib.bih),
                      DIB_RGB_COLORS);
    EndDraw();
    return n > 0;
}

int DibBitsForDisplayBits(int b) {
    if (b < 4) return 1;
    if (b < 8) return 4;
    if (b == 8) return 8;
    return 24;
}

bool SetDIBFromPixmap(Pixmap& pm, Dib& dib, PelsPerMeter resolution) {
    if (!pm.bitmap) {
        klib::DebugWrite("SetDIBFromPixmap(): no Handle\n");
        return false;
    }
    int bitCount;
    uint32_t compression = 0;
    if (!dib.Empty()) {
        bitCount = dib.Header()->bitCount;
        compression = dib.Header()->compression;
        dib.Release();
    } else {
        bitCount = DibBitsForDisplayBits(DisplayBitsPerPixel());
    }
    uint32_t n = bitCount <= 8 ? (1u << bitCount) : 0;
    uint8_t* block = static_cast<uint8_t*>(std::calloc(1, 4 * n + 44));
    if (!block) {
        klib::DebugWrite("SetDIBFromPixmap(): dib->bih calloc failed\n");
        return false;
    }
    HDC mem = pm.BeginDraw();
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block);
    h->biSize = 40;
    h->biWidth = pm.width;
    h->biHeight = pm.height;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(bitCount);
    h->biCompression = compression;
    h->biSizeImage = 0;
    h->biXPelsPerMeter = resolution.x;
    h->biYPelsPerMeter = resolution.y;
    h->biClrUsed = n;
    h->biClrImportant = 0;

    // Read with the context's initial bitmap selected back in, so that the
    // pixmap's bitmap is not selected while it is read; the palette stays.
    pm.SelectInitialBitmap();
    int rows = static_cast<int>(DibAbsHeight(pm.height));
    GetDIBits(mem, pm.bitmap, 0, rows, nullptr, reinterpret_cast<BITMAPINFO*>(block), DIB_RGB_COLORS);
    if (h->biSizeImage == 0) {
        h->biSizeImage = rows * ((h->biBitCount * pm.width + 31) / 32) * 4;
        if (h->biCompression) h->biSizeImage = h->biSizeImage * 3 / 2;
    }
    int64_t total = int64_t(4) * n + h->biSizeImage + 40 + 16;
    uint8_t* grown = total < kMaxDibBlock ? static_cast<uint8_t*>(std::realloc(block, total)) : nullptr;
    if (!grown) {
        std::free(block);
        pm.EndDraw();
        klib::DebugWrite("SetDIBFromPixmap(): dib->bih realloc failed.\n");
        return false;
    }
    block = grown;
    h = reinterpret_cast<BITMAPINFOHEADER*>(block);
    std::memset(block + 40 + 4 * n, 0, total - 40 - 4 * n);
    int got = GetDIBits(mem, pm.bitmap, 0, rows, block + 40 + 4 * n, reinterpret_cast<BITMAPINFO*>(block),
                        DIB_RGB_COLORS);
    pm.EndDraw();
    if (got == 0) {
        std::free(block);
        klib::DebugWrite("SetDIBFromPixmap(): GetDIBits() failed\n");
        return false;
    }
    // The header now says what the device delivered; keep the block's own
    // layout (the table size follows our entry count).
    h->biClrUsed = n;
    dib.bih = block;
    dib.colours = reinterpret_cast<RgbQuad*>(block + 40);
    dib.bits = block + 40 + 4 * n;
    dib.totalSize = static_cast<int32_t>(total);
    dib.RecomputeStride();
    return true;
}

int DisplayBitsPerPixel() {
    klib::WindowDc dc;
    return GetDeviceCaps(dc.get(), BITSPIXEL) * GetDeviceCaps(dc.get(), PLANES);
}

int ColourCountForBits(int b) {
    if (b <= 3) return 16;
    if (b > 24) b = 24;
    return 1 << b;
}

int RefreshDisplayColours() {
    g_displayColours = ColourCountForBits(DisplayBitsPerPixel());
    return g_displayColours;
}

std::unique_ptr<Pixmap> PixmapFromDib(const Dib& dib, PaletteHandle* palette) {
    if (dib.Empty()) return nullptr;
    auto pm = std::make_unique<Pixmap>(dib.Width(), static_cast<int>(DibAbsHeight(dib.Height())));
    if (!pm->Valid()) return nullptr;
    PaletteHandle pal = CreateDibPalette(dib.Header());
    if (!pal) pal = StockPalette();
    pm->palette = pal.get();
    pm->DrawDib(dib);
    pm->palette = nullptr;
    *palette = std::move(pal);
    return pm;
}

}  // namespace gmbx
