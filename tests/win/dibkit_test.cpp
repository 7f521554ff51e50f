// Dibkit.dll: colour-table sizes and the DIB <-> device bitmap round trip.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dibkit/dibkit.h"

namespace {

BITMAPINFOHEADER InfoHeader(int bits, DWORD clrUsed = 0) {
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = 3;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = WORD(bits);
    h.biClrUsed = clrUsed;
    return h;
}

BITMAPCOREHEADER CoreHeader(int bits) {
    BITMAPCOREHEADER h = {};
    h.bcSize = sizeof h;
    h.bcWidth = 3;
    h.bcHeight = 2;
    h.bcPlanes = 1;
    h.bcBitCount = WORD(bits);
    return h;
}

int Stride(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// A packed DIB in a movable global block: 40-byte header, `table`, rows.
HGLOBAL MakeDib(int width, int height, int bits, const std::vector<RGBQUAD>& table, const std::vector<uint8_t>& rows) {
    const size_t size = sizeof(BITMAPINFOHEADER) + table.size() * sizeof(RGBQUAD) + rows.size();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* p = static_cast<uint8_t*>(GlobalLock(h));
    BITMAPINFOHEADER bi = InfoHeader(bits, DWORD(table.size()));
    bi.biWidth = width;
    bi.biHeight = height;
    std::memcpy(p, &bi, sizeof bi);
    if (!table.empty()) std::memcpy(p + sizeof bi, table.data(), table.size() * sizeof(RGBQUAD));
    std::memcpy(p + sizeof bi + table.size() * sizeof(RGBQUAD), rows.data(), rows.size());
    GlobalUnlock(h);
    return h;
}

// Reads back a packed DIB block.
struct Packed {
    BITMAPINFOHEADER header = {};
    std::vector<RGBQUAD> table;
    std::vector<uint8_t> rows;
    SIZE_T blockSize = 0;
};

Packed Unpack(HGLOBAL block) {
    Packed out;
    out.blockSize = GlobalSize(block);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(block));
    std::memcpy(&out.header, p, sizeof out.header);
    const WORD entries = DibNumColors(p);
    EXPECT_EQ(PaletteSize(p), entries * 4u);
    const auto* t = reinterpret_cast<const RGBQUAD*>(p + out.header.biSize);
    out.table.assign(t, t + entries);
    const size_t rowBytes = size_t(Stride(out.header.biWidth, out.header.biBitCount)) * out.header.biHeight;
    const uint8_t* bits = p + out.header.biSize + entries * sizeof(RGBQUAD);
    EXPECT_GE(out.blockSize, size_t(bits - p) + rowBytes);
    out.rows.assign(bits, bits + rowBytes);
    GlobalUnlock(block);
    return out;
}

// Colour of pixel (x, y), y counted from the top, in a bottom-up 24-bit DIB.
COLORREF Pixel24(const Packed& d, int x, int y) {
    const int row = d.header.biHeight - 1 - y;
    const uint8_t* q = d.rows.data() + size_t(row) * Stride(d.header.biWidth, 24) + x * 3;
    return RGB(q[2], q[1], q[0]);
}

bool ScreenHasTrueColour() {
    HDC dc = GetDC(nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return bits >= 24;
}

TEST(DibkitTest, ExportedByPlainName) {
    HMODULE dll = GetModuleHandleA("Dibkit.dll");
    ASSERT_NE(dll, nullptr);
    for (const char* name : {"DibNumColors", "PaletteSize", "DIBToBitmap", "BitmapToDIB"}) {
        EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(dll, name)), nullptr) << name;
    }
}

TEST(DibkitTest, TableOfInfoHeaders) {
    const int bits[] = {1, 4, 8, 16, 24, 32};
    const WORD entries[] = {2, 16, 256, 0, 0, 0};
    for (int i = 0; i < 6; ++i) {
        BITMAPINFOHEADER h = InfoHeader(bits[i]);
        EXPECT_EQ(DibNumColors(&h), entries[i]) << bits[i];
        EXPECT_EQ(PaletteSize(&h), entries[i] * 4) << bits[i];
    }
    BITMAPINFOHEADER h8 = InfoHeader(8, 10);
    EXPECT_EQ(DibNumColors(&h8), 10);
    EXPECT_EQ(PaletteSize(&h8), 40);
    BITMAPINFOHEADER h1 = InfoHeader(1, 1);
    EXPECT_EQ(DibNumColors(&h1), 1);
    EXPECT_EQ(PaletteSize(&h1), 4);
    BITMAPINFOHEADER h24 = InfoHeader(24, 5);  // an optional table of a true-colour image
    EXPECT_EQ(DibNumColors(&h24), 5);
    EXPECT_EQ(PaletteSize(&h24), 20);
    EXPECT_EQ(DibNumColors(nullptr), 0);
    EXPECT_EQ(PaletteSize(nullptr), 0);
}

TEST(DibkitTest, TableOfCoreHeaders) {
    const int bits[] = {1, 4, 8, 24};
    const WORD entries[] = {2, 16, 256, 0};
    for (int i = 0; i < 4; ++i) {
        BITMAPCOREHEADER h = CoreHeader(bits[i]);
        EXPECT_EQ(DibNumColors(&h), entries[i]) << bits[i];
        EXPECT_EQ(PaletteSize(&h), entries[i] * 3) << bits[i];
    }
}

TEST(DibkitTest, EightBitRoundTrip) {
    if (!ScreenHasTrueColour()) GTEST_SKIP() << "exact colours need a true-colour screen";
    const int w = 5, h = 3;  // odd width: rows are padded
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i) table[i] = {BYTE(i * 7), BYTE(255 - i), BYTE(i), 0};
    auto index = [](int x, int y) { return uint8_t((x * 17 + y * 29 + 3) & 255); };
    std::vector<uint8_t> rows(size_t(Stride(w, 8)) * h);
    for (int y = 0; y < h; ++y)  // y from the top; rows are stored bottom-up
        for (int x = 0; x < w; ++x) rows[size_t(h - 1 - y) * Stride(w, 8) + x] = index(x, y);
    HGLOBAL dib = MakeDib(w, h, 8, table, rows);

    HPALETTE pal = nullptr;
    HBITMAP bmp = DIBToBitmap(dib, &pal);
    ASSERT_NE(bmp, nullptr);
    ASSERT_NE(pal, nullptr);
    BITMAP bm = {};
    GetObjectA(bmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, w);
    EXPECT_EQ(bm.bmHeight, h);

    // The palette holds the colour table.
    PALETTEENTRY entries[256];
    ASSERT_EQ(GetPaletteEntries(pal, 0, 256, entries), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(entries[i].peRed, table[i].rgbRed) << i;
        EXPECT_EQ(entries[i].peGreen, table[i].rgbGreen) << i;
        EXPECT_EQ(entries[i].peBlue, table[i].rgbBlue) << i;
    }

    // Back to a DIB at the bitmap's (true-colour) depth, same pixels.
    HGLOBAL back = BitmapToDIB(bmp, pal);
    ASSERT_NE(back, nullptr);
    Packed d = Unpack(back);
    EXPECT_EQ(d.header.biSize, 40u);
    EXPECT_EQ(d.header.biWidth, w);
    EXPECT_EQ(d.header.biHeight, h);
    EXPECT_EQ(d.header.biBitCount, 24);
    EXPECT_EQ(d.header.biCompression, DWORD(BI_RGB));
    EXPECT_TRUE(d.table.empty());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const RGBQUAD& c = table[index(x, y)];
            EXPECT_EQ(Pixel24(d, x, y), RGB(c.rgbRed, c.rgbGreen, c.rgbBlue)) << x << "," << y;
        }

    // The source block is left as it was, and still unlocked.
    EXPECT_EQ(GlobalFlags(dib) & GMEM_LOCKCOUNT, 0u);
    GlobalFree(back);
    DeleteObject(bmp);
    DeleteObject(pal);
    GlobalFree(dib);
}

// A 24-bit picture whose pixel (x, y) (from the top) is made from x and y.
std::vector<uint8_t> Rows24(int w, int h, bool topDown) {
    std::vector<uint8_t> rows(size_t(Stride(w, 24)) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int row = topDown ? y : h - 1 - y;
            uint8_t* q = rows.data() + size_t(row) * Stride(w, 24) + x * 3;
            q[0] = uint8_t(x * 40 + 1);   // blue
            q[1] = uint8_t(y * 60 + 2);   // green
            q[2] = uint8_t(200 - x * y);  // red
        }
    return rows;
}

void ExpectPicture24(const Packed& d, int w, int h) {
    ASSERT_EQ(d.header.biWidth, w);
    ASSERT_EQ(d.header.biHeight, h);
    ASSERT_EQ(d.header.biBitCount, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(Pixel24(d, x, y), RGB(200 - x * y, y * 60 + 2, x * 40 + 1)) << x << "," << y;
        }
}

TEST(DibkitTest, TrueColourRoundTrip) {
    if (!ScreenHasTrueColour()) GTEST_SKIP() << "exact colours need a true-colour screen";
    const int w = 7, h = 4;
    HGLOBAL dib = MakeDib(w, h, 24, {}, Rows24(w, h, false));
    HPALETTE pal = reinterpret_cast<HPALETTE>(1);
    HBITMAP bmp = DIBToBitmap(dib, &pal);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(pal, nullptr);  // no colour table, no palette
    HGLOBAL back = BitmapToDIB(bmp, nullptr);
    ASSERT_NE(back, nullptr);
    ExpectPicture24(Unpack(back), w, h);
    GlobalFree(back);
    DeleteObject(bmp);
    GlobalFree(dib);
}

TEST(DibkitTest, TopDownDibComesBackBottomUp) {
    if (!ScreenHasTrueColour()) GTEST_SKIP() << "exact colours need a true-colour screen";
    const int w = 6, h = 5;
    HGLOBAL dib = MakeDib(w, h, 24, {}, Rows24(w, h, true));
    {
        auto* p = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
        p->biHeight = -h;
        GlobalUnlock(dib);
    }
    HBITMAP bmp = DIBToBitmap(dib, nullptr);  // no palette wanted
    ASSERT_NE(bmp, nullptr);
    HGLOBAL back = BitmapToDIB(bmp, nullptr);
    ASSERT_NE(back, nullptr);
    ExpectPicture24(Unpack(back), w, h);
    GlobalFree(back);
    DeleteObject(bmp);
    GlobalFree(dib);
}

TEST(DibkitTest, CoreHeaderDibAndItsPalette) {
    if (!ScreenHasTrueColour()) GTEST_SKIP() << "exact colours need a true-colour screen";
    // 4 bits, 3 x 2 pixels, a 16-entry table of three-byte entries.
    const int w = 3, h = 2;
    BITMAPCOREHEADER core = CoreHeader(4);
    RGBTRIPLE table[16];
    for (int i = 0; i < 16; ++i) table[i] = {BYTE(i * 16), BYTE(i * 8), BYTE(255 - i * 16)};
    const uint8_t rows[2][4] = {{0x12, 0x30, 0, 0}, {0xAB, 0xF0, 0, 0}};  // bottom row first
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE, sizeof core + sizeof table + sizeof rows);
    auto* p = static_cast<uint8_t*>(GlobalLock(dib));
    std::memcpy(p, &core, sizeof core);
    std::memcpy(p + sizeof core, table, sizeof table);
    std::memcpy(p + sizeof core + sizeof table, rows, sizeof rows);
    GlobalUnlock(dib);

    HPALETTE pal = nullptr;
    HBITMAP bmp = DIBToBitmap(dib, &pal);
    ASSERT_NE(bmp, nullptr);
    ASSERT_NE(pal, nullptr);
    PALETTEENTRY entries[16];
    ASSERT_EQ(GetPaletteEntries(pal, 0, 16, entries), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(entries[i].peRed, table[i].rgbtRed) << i;
        EXPECT_EQ(entries[i].peGreen, table[i].rgbtGreen) << i;
        EXPECT_EQ(entries[i].peBlue, table[i].rgbtBlue) << i;
    }
    HGLOBAL back = BitmapToDIB(bmp, pal);
    ASSERT_NE(back, nullptr);
    Packed d = Unpack(back);
    const int top[3] = {0xA, 0xB, 0xF}, bottom[3] = {0x1, 0x2, 0x3};
    for (int x = 0; x < w; ++x) {
        const RGBTRIPLE& t = table[top[x]];
        const RGBTRIPLE& b = table[bottom[x]];
        EXPECT_EQ(Pixel24(d, x, 0), RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue)) << x;
        EXPECT_EQ(Pixel24(d, x, h - 1), RGB(b.rgbtRed, b.rgbtGreen, b.rgbtBlue)) << x;
    }
    GlobalFree(back);
    DeleteObject(bmp);
    DeleteObject(pal);
    GlobalFree(dib);
}

TEST(DibkitTest, MonochromeBitmapGivesOneBitDib) {
    // 10 x 3 pixels; device bitmap rows are top-down and padded to 16 bits.
    const int w = 10, h = 3;
    const uint8_t bits[3][2] = {{0xF0, 0x00}, {0x0F, 0xC0}, {0xAA, 0x40}};
    HBITMAP bmp = CreateBitmap(w, h, 1, 1, bits);
    ASSERT_NE(bmp, nullptr);
    HGLOBAL dib = BitmapToDIB(bmp, nullptr);
    ASSERT_NE(dib, nullptr);
    Packed d = Unpack(dib);
    EXPECT_EQ(d.header.biBitCount, 1);
    ASSERT_EQ(d.table.size(), 2u);
    // Black and white, in either order: compare colours, not indices.
    auto colourAt = [&](int x, int y) {
        const uint8_t* row = d.rows.data() + size_t(h - 1 - y) * Stride(w, 1);
        const int i = (row[x / 8] >> (7 - x % 8)) & 1;
        return RGB(d.table[i].rgbRed, d.table[i].rgbGreen, d.table[i].rgbBlue);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool set = (bits[y][x / 8] >> (7 - x % 8)) & 1;
            EXPECT_EQ(colourAt(x, y), set ? RGB(255, 255, 255) : RGB(0, 0, 0)) << x << "," << y;
        }
    GlobalFree(dib);
    DeleteObject(bmp);
}

TEST(DibkitTest, RefusesWhatIsNoWholeDib) {
    HPALETTE pal = reinterpret_cast<HPALETTE>(1);
    EXPECT_EQ(DIBToBitmap(nullptr, &pal), nullptr);
    EXPECT_EQ(pal, nullptr);

    // The header promises 100 x 100 pixels, the block holds a few bytes.
    HGLOBAL shortBlock = MakeDib(2, 2, 24, {}, std::vector<uint8_t>(16));
    {
        auto* p = static_cast<BITMAPINFOHEADER*>(GlobalLock(shortBlock));
        p->biWidth = 100;
        p->biHeight = 100;
        GlobalUnlock(shortBlock);
    }
    pal = reinterpret_cast<HPALETTE>(1);
    EXPECT_EQ(DIBToBitmap(shortBlock, &pal), nullptr);
    EXPECT_EQ(pal, nullptr);
    GlobalFree(shortBlock);

    // Unknown bit depth.
    HGLOBAL odd = MakeDib(2, 2, 24, {}, std::vector<uint8_t>(16));
    {
        auto* p = static_cast<BITMAPINFOHEADER*>(GlobalLock(odd));
        p->biBitCount = 7;
        GlobalUnlock(odd);
    }
    EXPECT_EQ(DIBToBitmap(odd, nullptr), nullptr);
    GlobalFree(odd);

    EXPECT_EQ(BitmapToDIB(nullptr, nullptr), nullptr);
}

}  // namespace
