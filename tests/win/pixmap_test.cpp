// Pixmaps, their conversion to Dibs, palettes and the grab, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "capture/win/imagefiles.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/frame.h"
#include "res/resource.h"
#include "tests/win/box_closer.h"

namespace gmbx {
namespace {

class PixmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallWin32DibHost();
        CreateAppColourTable();
        RefreshDisplayColours();
    }
    void TearDown() override { ClearCurrentImage(false); }
};

// A 24-bit Dib whose pixel (x, y) (top-down) has a colour made from x and y.
std::unique_ptr<Dib> Gradient(int w, int h) {
    auto dib = std::make_unique<Dib>();
    EXPECT_TRUE(dib->Create(w, h, 16777216));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = dib->bits + size_t(h - 1 - y) * dib->stride + x * 3;
            p[0] = uint8_t(x * 9);
            p[1] = uint8_t(y * 13);
            p[2] = uint8_t(x + y);
        }
    return dib;
}

TEST_F(PixmapTest, DepthFollowsTheDisplay) {
    EXPECT_EQ(DibBitsForDisplayBits(1), 1);
    EXPECT_EQ(DibBitsForDisplayBits(2), 1);
    EXPECT_EQ(DibBitsForDisplayBits(4), 4);
    EXPECT_EQ(DibBitsForDisplayBits(8), 8);
    EXPECT_EQ(DibBitsForDisplayBits(16), 24);
    EXPECT_EQ(DibBitsForDisplayBits(32), 24);
    EXPECT_EQ(ColourCountForBits(1), 16);
    EXPECT_EQ(ColourCountForBits(3), 16);
    EXPECT_EQ(ColourCountForBits(8), 256);
    EXPECT_EQ(ColourCountForBits(16), 65536);
    EXPECT_EQ(ColourCountForBits(32), 16777216);
}

TEST_F(PixmapTest, RoundTripThroughAPixmapKeepsTrueColourPixels) {
    auto src = Gradient(37, 23);
    PaletteHandle palette;
    std::unique_ptr<Pixmap> pm = PixmapFromDib(*src, &palette);
    ASSERT_TRUE(pm && pm->Valid());
    EXPECT_TRUE(palette);
    Dib out;  // empty: the display's depth (24-bit on this display)
    ASSERT_TRUE(SetDIBFromPixmap(*pm, out, {3780, 3780}));
    ASSERT_EQ(out.BitCount(), DibBitsForDisplayBits(DisplayBitsPerPixel()));
    if (out.BitCount() != 24) GTEST_SKIP() << "display is not true colour";
    EXPECT_EQ(out.Width(), 37);
    EXPECT_EQ(out.Height(), 23);
    EXPECT_EQ(out.stride, 112);
    EXPECT_EQ(out.Header()->xPelsPerMeter, 3780);
    // The block carries 16 spare bytes after the pixels.
    EXPECT_EQ(out.totalSize, int32_t(40 + out.Header()->sizeImage + 16));
    for (int y = 0; y < 23; ++y)
        ASSERT_EQ(0, memcmp(out.bits + y * out.stride, src->bits + y * src->stride, 37 * 3)) << "row " << y;
}

TEST_F(PixmapTest, PresetHeaderChoosesTheDepth) {
    auto src = Gradient(16, 8);
    PaletteHandle palette;
    std::unique_ptr<Pixmap> pm = PixmapFromDib(*src, &palette);
    ASSERT_TRUE(pm);
    for (int colours : {2, 16, 256}) {
        Dib out;
        ASSERT_TRUE(out.Create(1, 1, colours));
        out.Header()->clrUsed = out.Header()->clrImportant = 0;
        ASSERT_TRUE(SetDIBFromPixmap(*pm, out, PelsPerMeter())) << colours;
        EXPECT_EQ(out.ColourCount(), colours);
        EXPECT_EQ(out.Width(), 16);
        EXPECT_EQ(out.Header()->compression, 0u);
        EXPECT_EQ(out.bits, out.bih + 40 + 4 * colours);
        EXPECT_EQ(out.totalSize, int32_t(40 + 4 * colours + out.Header()->sizeImage + 16));
    }
}

TEST_F(PixmapTest, PixmapWithoutBitmapFails) {
    testutil::BoxCloser boxes;
    InstallImageMessageBoxes();
    Pixmap empty(0, 0);  // no bitmap can be made: the user is told
    SetPixmapFailureHook(nullptr);
    EXPECT_FALSE(empty.Valid());
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], klib::LoadResString(IDS_NO_BITMAP));
    Dib out;
    EXPECT_FALSE(SetDIBFromPixmap(empty, out, PelsPerMeter()));
    EXPECT_TRUE(out.Empty());
}

int g_pixmapFailures = 0;

TEST_F(PixmapTest, ABitmapThatCannotBeMadeIsReportedToTheHook) {
    SetPixmapFailureHook([] { ++g_pixmapFailures; });
    Pixmap none(0, 5);
    EXPECT_FALSE(none.Valid());
    EXPECT_EQ(g_pixmapFailures, 1);
    Pixmap fine(3, 2);
    EXPECT_TRUE(fine.Valid());
    EXPECT_EQ(g_pixmapFailures, 1);
    SetPixmapFailureHook(nullptr);
    Pixmap untold(0, 0);
    EXPECT_EQ(g_pixmapFailures, 1);
}

TEST_F(PixmapTest, DibPaletteOfTrueColourAndTableImages) {
    auto dib = Gradient(4, 4);
    PaletteHandle pal = CreateDibPalette(dib->Header());
    ASSERT_NE(pal, nullptr);
    PALETTEENTRY pe[256];
    ASSERT_EQ(GetPaletteEntries(pal.get(), 0, 256, pe), 256u);
    auto rgb = [&](int i) { return RGB(pe[i].peRed, pe[i].peGreen, pe[i].peBlue); };
    EXPECT_EQ(rgb(0), RGB(0, 0, 0));
    EXPECT_EQ(rgb(7), RGB(224, 0, 0));
    EXPECT_EQ(rgb(63), RGB(224, 224, 0));
    EXPECT_EQ(rgb(255), RGB(224, 224, 192));

    Dib eight;
    ASSERT_TRUE(eight.Create(2, 2, 256));
    eight.colours[5] = {10, 20, 30, 0};
    pal = CreateDibPalette(eight.Header());
    ASSERT_NE(pal, nullptr);
    ASSERT_EQ(GetPaletteEntries(pal.get(), 0, 256, pe), 256u);
    EXPECT_EQ(rgb(5), RGB(30, 20, 10));
    EXPECT_EQ(CreateDibPalette(nullptr), nullptr);
}

TEST_F(PixmapTest, CreateFillsTheApplicationColours) {
    Dib eight, four;
    ASSERT_TRUE(eight.Create(1, 1, 256));
    EXPECT_EQ(eight.Header()->clrImportant, 24u);
    EXPECT_EQ(eight.colours[6].red, 255);  // colour 6 is red
    EXPECT_EQ(eight.colours[6].green, 0);
    EXPECT_EQ(eight.colours[16].red, 128);  // colour 16 is half red
    ASSERT_TRUE(four.Create(1, 1, 16));
    EXPECT_EQ(four.Header()->clrImportant, 16u);
    EXPECT_EQ(four.colours[1].green, 255);  // colour 9: green
    EXPECT_EQ(four.colours[1].red, 0);
}

TEST_F(PixmapTest, DiagnosticsWithoutDebugWindowGoNowhere) {
    EXPECT_EQ(klib::DebugWrite("nothing %d\n", 1), -1);
}

LRESULT CALLBACK ColourProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(w, GWLP_USERDATA)));
        RECT r;
        GetClientRect(w, &r);
        FillRect(dc, &r, b);
        DeleteObject(b);
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(10);
    }
}

// A popup filled with one colour at a known place.
HWND ColourWindow(int x, int y, int w, int h, COLORREF colour) {
    static ATOM cls = 0;
    if (!cls) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ColourProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "GmbxTestColour";
        cls = RegisterClassA(&wc);
    }
    HWND win = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "GmbxTestColour", "", WS_POPUP, x, y, w, h,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(win, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    ShowWindow(win, SW_SHOW);
    UpdateWindow(win);
    Pump(300);
    return win;
}

TEST_F(PixmapTest, GrabCopiesTheScreenAndRemembersTheRectangle) {
    HWND win = ColourWindow(200, 150, 60, 40, RGB(10, 200, 30));
    std::unique_ptr<Pixmap> pm(Grab(210, 160, 20, 10, GrabOptions()));
    ASSERT_TRUE(pm);
    EXPECT_EQ(pm->width, 20);
    EXPECT_EQ(g_settings.lastSX, 210);
    EXPECT_EQ(g_settings.lastHeight, 10);
    HDC dc = pm->BeginDraw();
    COLORREF c = GetPixel(dc, 5, 5);
    pm->EndDraw();
    EXPECT_EQ(c, RGB(10, 200, 30));

    // Negative fields repeat the last rectangle; zero sizes mean the screen.
    std::unique_ptr<Pixmap> again(Grab(-1, -1, -1, -1, GrabOptions()));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->width, 20);
    EXPECT_EQ(again->height, 10);
    std::unique_ptr<Pixmap> screen(Grab(0, 0, 0, 0, GrabOptions()));
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(screen->height, GetSystemMetrics(SM_CYSCREEN));

    // Automatic crop or scale: the grab becomes the current Dib, and the
    // settings stay as they were.
    const int32_t cropBefore = g_settings.qCrop;
    GrabOptions crop;
    crop.autoCrop = true;
    EXPECT_EQ(Grab(210, 160, 20, 10, crop), nullptr);
    ASSERT_TRUE(g_image.dib);
    EXPECT_TRUE(g_image.dibOnly);
    EXPECT_EQ(g_image.dib->Width(), 20);
    EXPECT_EQ(g_settings.qCrop, cropBefore);
    EXPECT_FALSE(CaptureInProgress());
    ClearCurrentImage(false);
    DestroyWindow(win);
}

TEST_F(PixmapTest, ActiveWindowRectangleIsClippedToTheScreen) {
    HWND win = ColourWindow(-30, -20, 100, 80, RGB(1, 2, 3));
    SetForegroundWindow(win);
    RECT r;
    ASSERT_TRUE(ActiveWindowRect(kModeActiveWindow, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 70);
    EXPECT_EQ(r.bottom, 60);
    DestroyWindow(win);
}

}  // namespace
}  // namespace gmbx

#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

TEST_F(PixmapTest, TrueColourDibWithoutPixmapIsSavedAt8BitsThroughTheReduction) {
    // Four colours only: the exact pass keeps them all.
    auto dib = std::make_unique<Dib>();
    ASSERT_TRUE(dib->Create(8, 4, 16777216));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = dib->bits + y * dib->stride + x * 3;
            p[0] = uint8_t(x < 4 ? 200 : 10);
            p[1] = uint8_t(y < 2 ? 50 : 150);
            p[2] = 77;
        }
    ClearCurrentImage(false);
    SetCurrentDib(std::move(dib));
    SaveOptions keep = g_settings.save;
    g_settings.save.autoSelBits = 0;
    g_settings.save.bitsPerPixel = 8;
    testutil::TempDir dir;
    std::string out = dir.File("eight.bmp");
    EXPECT_TRUE(SaveBMP(out.c_str()));
    g_settings.save = keep;
    std::unique_ptr<Dib> back = LoadBMP(out.c_str());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->BitCount(), 8);
    // Every pixel keeps its exact colour through the table.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const RgbQuad& c = back->colours[back->bits[y * back->stride + x]];
            EXPECT_EQ(c.blue, x < 4 ? 200 : 10);
            EXPECT_EQ(c.green, y < 2 ? 50 : 150);
            EXPECT_EQ(c.red, 77);
        }
}

}  // namespace
}  // namespace gmbx
