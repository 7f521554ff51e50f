#include "imageio/win/palette.h"

#include <vector>

#include "imageio/appcolours.h"
#include "imageio/colourmap.h"
#include "platform/dibkit/dibkit.h"

namespace gmbx {
namespace {

struct AppTable {
    COLORREF fixed[8] = {};
    HPALETTE palette = nullptr;
    BYTE usage[16] = {};
};
AppTable* g_table = nullptr;
HWND g_colourWindow = nullptr;

constexpr int kPaletteColours = 16;
constexpr int kFixedColours = 8;

bool IsPaletteNumber(int n) { return n >= kFixedColours && n < kFixedColours + kPaletteColours; }

bool ReadEntry(int n, PALETTEENTRY& pe) {
    if (!g_table || !g_table->palette || !IsPaletteNumber(n)) return false;
    return GetPaletteEntries(g_table->palette, UINT(n - kFixedColours), 1, &pe) == 1;
}

bool WriteEntry(int n, const PALETTEENTRY& pe) {
    if (SetPaletteEntries(g_table->palette, UINT(n - kFixedColours), 1, &pe) != 1) return false;
    g_table->usage[n - kFixedColours] = 1;
    return true;
}

COLORREF FromThousandths(const int rgb[3]) {
    return RGB(ThousandthsToByte(rgb[0]), ThousandthsToByte(rgb[1]), ThousandthsToByte(rgb[2]));
}

}  // namespace

void CreateAppColourTable() {
    if (g_table) return;
    auto* t = new AppTable;
    const int sys[4] = {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNFACE, COLOR_BTNTEXT};
    for (int n = 0; n < 8; ++n) {
        int rgb[3];
        if (StandardColourThousandths(n, rgb)) {
            t->fixed[n] = FromThousandths(rgb);
        } else {
            // System colours go through thousandths like every other colour.
            COLORREF c = GetSysColor(sys[n - 2]);
            int th[3] = {ByteToThousandths(GetRValue(c)), ByteToThousandths(GetGValue(c)),
                         ByteToThousandths(GetBValue(c))};
            t->fixed[n] = FromThousandths(th);
        }
    }
    std::vector<BYTE> mem(sizeof(LOGPALETTE) + 16 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 16;
    for (int i = 0; i < 16; ++i) {
        int rgb[3];
        StandardColourThousandths(8 + i, rgb);
        COLORREF c = FromThousandths(rgb);
        lp->palPalEntry[i] = {GetRValue(c), GetGValue(c), GetBValue(c), 0};
        t->usage[i] = 1;
    }
    t->palette = CreatePalette(lp);
    g_table = t;
}

void DestroyAppColourTable() {
    if (!g_table) return;
    if (g_table->palette) DeleteObject(g_table->palette);
    delete g_table;
    g_table = nullptr;
}

bool AppColourTableExists() { return g_table != nullptr; }
HPALETTE AppColourPalette() { return g_table ? g_table->palette : nullptr; }

int AppColours(RgbQuad* out, int max) {
    if (!g_table) return 0;
    PALETTEENTRY pe[16] = {};
    if (g_table->palette) GetPaletteEntries(g_table->palette, 0, 16, pe);
    for (int n = 0; n < kAppColourCount && n < max; ++n) {
        COLORREF c = n < 8 ? g_table->fixed[n] : RGB(pe[n - 8].peRed, pe[n - 8].peGreen, pe[n - 8].peBlue);
        out[n] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    return kAppColourCount;
}

int AppColourTableSize() { return kPaletteColours + kFixedColours; }

int32_t AppColourValue(int32_t n) {
    if (n < 0) return n;
    if (!g_table || n >= kAppColourCount) return MakeDirectColour(0, 0, 0);
    if (n < kFixedColours) {
        const COLORREF c = g_table->fixed[n];
        return MakeDirectColour(GetRValue(c), GetGValue(c), GetBValue(c));
    }
    PALETTEENTRY pe = {};
    if (!ReadEntry(n, pe)) return MakeDirectColour(0, 0, 0);
    return MakeDirectColour(pe.peRed, pe.peGreen, pe.peBlue);
}

int32_t AppNearestColourNumber(int32_t value) {
    if (value >= 0) return value;
    UINT i = CLR_INVALID;
    if (g_table && g_table->palette)
        i = GetNearestPaletteIndex(g_table->palette, RGB(DirectRed(value), DirectGreen(value), DirectBlue(value)));
    return (i == CLR_INVALID ? 0 : int32_t(i)) + kFixedColours;
}

bool SetAppColour(int n, int red, int green, int blue) {
    if (!g_table || n < 0 || n >= kAppColourCount) return false;
    const BYTE r = ThousandthsToByte(red), g = ThousandthsToByte(green), b = ThousandthsToByte(blue);
    if (n < kFixedColours) {
        g_table->fixed[n] = RGB(r, g, b);
        return true;
    }
    PALETTEENTRY pe = {};
    if (!ReadEntry(n, pe)) return false;
    const bool reserved = (pe.peFlags & PC_RESERVED) != 0;
    pe = {r, g, b, BYTE(reserved ? PC_RESERVED : 0)};
    if (!WriteEntry(n, pe)) return false;
    if (reserved) RealizeAppColours();
    return true;
}

bool ReserveAppColour(int n) {
    PALETTEENTRY pe = {};
    if (!ReadEntry(n, pe)) return false;
    pe.peFlags = PC_RESERVED;
    if (!WriteEntry(n, pe)) return false;
    RealizeAppColours();
    return true;
}

bool AppColourInUse(int n) { return g_table && IsPaletteNumber(n) && g_table->usage[n - kFixedColours] != 0; }

int AppColourFlags(int n) {
    PALETTEENTRY pe = {};
    return ReadEntry(n, pe) ? pe.peFlags : 0;
}

void SetAppColourWindow(HWND window) { g_colourWindow = window; }
HWND AppColourWindow() { return g_colourWindow; }

int RealizeAppColours() {
    if (!g_table || !g_table->palette || !g_colourWindow || !IsWindow(g_colourWindow)) return -1;
    HDC dc = GetDC(g_colourWindow);
    if (!dc) return -1;
    HPALETTE old = SelectPalette(dc, g_table->palette, FALSE);
    const UINT mapped = old ? RealizePalette(dc) : GDI_ERROR;
    // The realized colours stay in the system palette; the DC gets its own
    // palette back so the table's can be deleted later.
    if (old) SelectPalette(dc, old, TRUE);
    ReleaseDC(g_colourWindow, dc);
    return mapped == GDI_ERROR ? -1 : int(mapped);
}

PaletteHandle CreateDibPalette(const DibInfoHeader* h) {
    if (!h || h->size != kInfoHeaderSize) return nullptr;
    uint32_t n = DibNumColors(h);
    if (n > 256) return nullptr;
    std::vector<BYTE> mem(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
    lp->palVersion = 0x300;
    if (n > 0) {
        const auto* table = reinterpret_cast<const RgbQuad*>(reinterpret_cast<const uint8_t*>(h) + h->size);
        lp->palNumEntries = static_cast<WORD>(n);
        for (uint32_t i = 0; i < n; ++i)
            lp->palPalEntry[i] = {table[i].red, table[i].green, table[i].blue, 0};
    } else if (h->bitCount == 24) {
        lp->palNumEntries = 256;
        for (int i = 0; i < 256; ++i)
            lp->palPalEntry[i] = {BYTE((i % 8) * 32), BYTE(((i / 8) % 8) * 32), BYTE((i / 64) * 64), 0};
    } else {
        return nullptr;
    }
    return PaletteHandle(CreatePalette(lp));
}

void ReleasePalette(HPALETTE p) {
    if (p && p != static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE))) DeleteObject(p);
}

bool BuildAppColourMap(Dib& dib) {
    return BuildColourMap(dib, [](uint8_t red, uint8_t green, uint8_t blue) {
        HPALETTE pal = AppColourPalette();
        if (!pal) return 0;
        const UINT i = GetNearestPaletteIndex(pal, RGB(red, green, blue));
        return i == CLR_INVALID ? 0 : int(i);
    });
}

PaletteHandle StockPalette() { return PaletteHandle(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE))); }

}  // namespace gmbx
