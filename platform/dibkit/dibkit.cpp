// Dibkit.dll: packed DIBs to device bitmaps and back (see dibkit.h).
#include "platform/dibkit/dibkit.h"

#include <cstdint>
#include <cstring>

#include "imageio/dibheader.h"

namespace {

constexpr DWORD kBitFields = 3;     // BI_BITFIELDS: three colour masks follow a 40-byte header
constexpr UINT kMaxPaletteEntries = 256;

// What the rest of this file needs to know about a packed DIB's header.
struct DibLayout {
    bool core = false;       // 12-byte BITMAPCOREHEADER
    uint32_t headerBytes = 0;
    uint32_t entries = 0;    // colour-table entries
    uint32_t tableBytes = 0; // colour table plus any colour masks
    int64_t imageBytes = 0;  // pixel data
};

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Checks the header at the start of a block of `blockBytes` bytes and works
// out its layout; false when the block does not hold a whole usable DIB.
bool ReadLayout(const uint8_t* block, SIZE_T blockBytes, DibLayout* out) {
    if (blockBytes < 4) return false;
    const uint32_t headerBytes = ReadLe32(block);
    DibLayout l;
    l.headerBytes = headerBytes;
    if (headerBytes == gmbx::kCoreHeaderSize) {
        if (blockBytes < sizeof(BITMAPCOREHEADER)) return false;
        BITMAPCOREHEADER h;
        std::memcpy(&h, block, sizeof h);
        if (h.bcWidth == 0 || h.bcHeight == 0 || h.bcPlanes != 1) return false;
        l.core = true;
        l.entries = gmbx::DibNumColoursOf(block);
        l.tableBytes = gmbx::DibPaletteBytesOf(block);
        const int64_t stride = gmbx::DibStride(h.bcWidth, h.bcBitCount);
        if (stride < 0) return false;
        l.imageBytes = stride * h.bcHeight;
    } else {
        if (headerBytes < gmbx::kInfoHeaderSize || headerBytes > blockBytes) return false;
        gmbx::DibInfoHeader h;
        std::memcpy(&h, block, sizeof h);
        if (h.width <= 0 || h.height == 0 || h.planes != 1) return false;
        l.entries = gmbx::DibNumColoursOf(block);
        l.tableBytes = gmbx::DibPaletteBytesOf(block);
        if (headerBytes == gmbx::kInfoHeaderSize && h.compression == kBitFields) l.tableBytes += 12;
        l.imageBytes = gmbx::DibImageSize(h);
        if (l.imageBytes <= 0) return false;
    }
    const int64_t total = int64_t(l.headerBytes) + l.tableBytes + l.imageBytes;
    if (total > int64_t(blockBytes)) return false;
    *out = l;
    return true;
}

// A logical palette of the DIB's colour table (at most 256 entries), or
// null when it has no table.
HPALETTE PaletteOfTable(const uint8_t* block, const DibLayout& l) {
    const UINT count = l.entries < kMaxPaletteEntries ? l.entries : kMaxPaletteEntries;
    if (count == 0) return nullptr;
    struct {
        WORD version;
        WORD entries;
        PALETTEENTRY colours[kMaxPaletteEntries];
    } pal;
    pal.version = 0x300;
    pal.entries = WORD(count);
    const uint8_t* table = block + l.headerBytes;
    const UINT step = l.core ? 3 : 4;
    for (UINT i = 0; i < count; ++i) {
        const uint8_t* e = table + i * step;  // blue, green, red (, reserved)
        pal.colours[i].peRed = e[2];
        pal.colours[i].peGreen = e[1];
        pal.colours[i].peBlue = e[0];
        pal.colours[i].peFlags = 0;
    }
    return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&pal));
}

}  // namespace

extern "C" {

DIBKIT_API WORD __cdecl DibNumColors(const void* header) { return gmbx::DibNumColoursOf(header); }

DIBKIT_API WORD __cdecl PaletteSize(const void* header) { return gmbx::DibPaletteBytesOf(header); }

DIBKIT_API HBITMAP __cdecl DIBToBitmap(HGLOBAL dib, HPALETTE* palette) {
    if (palette != nullptr) *palette = nullptr;
    if (dib == nullptr) return nullptr;
    const SIZE_T blockBytes = GlobalSize(dib);
    auto* block = static_cast<const uint8_t*>(GlobalLock(dib));
    if (block == nullptr) return nullptr;

    HBITMAP bitmap = nullptr;
    HPALETTE pal = nullptr;
    DibLayout l;
    if (ReadLayout(block, blockBytes, &l)) {
        pal = PaletteOfTable(block, l);
        HDC screen = GetDC(nullptr);
        if (screen != nullptr) {
            HPALETTE old = nullptr;
            if (pal != nullptr) {
                old = SelectPalette(screen, pal, FALSE);
                RealizePalette(screen);
            }
            const auto* info = reinterpret_cast<const BITMAPINFO*>(block);
            bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, block + l.headerBytes + l.tableBytes, info,
                                    DIB_RGB_COLORS);
            if (old != nullptr) {
                SelectPalette(screen, old, FALSE);
                RealizePalette(screen);
            }
            ReleaseDC(nullptr, screen);
        }
    }
    GlobalUnlock(dib);

    if (bitmap == nullptr || palette == nullptr) {
        if (pal != nullptr) DeleteObject(pal);
        pal = nullptr;
    }
    if (palette != nullptr) *palette = pal;
    return bitmap;
}

DIBKIT_API HGLOBAL __cdecl BitmapToDIB(HBITMAP bitmap, HPALETTE palette) {
    if (bitmap == nullptr) return nullptr;
    BITMAP bm;
    if (GetObjectA(bitmap, sizeof bm, &bm) != int(sizeof bm)) return nullptr;
    if (bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
    if (palette == nullptr) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));

    const int depth = bm.bmPlanes * bm.bmBitsPixel;
    const WORD bitCount = depth <= 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : 24;
    const uint32_t entries = gmbx::DibTableEntries(0, bitCount);
    const int64_t stride = gmbx::DibStride(bm.bmWidth, bitCount);
    if (stride <= 0) return nullptr;
    const int64_t imageBytes = stride * bm.bmHeight;
    const int64_t total = int64_t(sizeof(BITMAPINFOHEADER)) + 4 * int64_t(entries) + imageBytes;
    if (imageBytes > 0xFFFFFFFFll || total > int64_t(SIZE_T(-1) / 2)) return nullptr;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(total));
    if (block == nullptr) return nullptr;
    auto* p = static_cast<uint8_t*>(GlobalLock(block));
    if (p == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    auto* info = reinterpret_cast<BITMAPINFO*>(p);
    BITMAPINFOHEADER& h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = bm.bmWidth;
    h.biHeight = bm.bmHeight;
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(imageBytes);

    int rows = 0;
    HDC screen = GetDC(nullptr);
    if (screen != nullptr) {
        HPALETTE old = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
        rows = GetDIBits(screen, bitmap, 0, UINT(bm.bmHeight), p + sizeof(BITMAPINFOHEADER) + 4 * entries, info,
                         DIB_RGB_COLORS);
        if (old != nullptr) SelectPalette(screen, old, FALSE);
        ReleaseDC(nullptr, screen);
    }
    if (rows == 0) {
        GlobalUnlock(block);
        GlobalFree(block);
        return nullptr;
    }
    // The device may have rewritten some fields; the block keeps a full
    // table and uncompressed rows whatever it says.
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(imageBytes);
    h.biClrUsed = entries;
    h.biClrImportant = 0;
    GlobalUnlock(block);
    return block;
}

}  // extern "C"
