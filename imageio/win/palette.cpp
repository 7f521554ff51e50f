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
};
AppTable* g_table = nullptr;

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
