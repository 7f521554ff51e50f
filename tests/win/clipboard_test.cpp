// Copy and Paste through the real clipboard, and the automatic copy after a
// capture, in a test process with the program's main window.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <memory>
#include <string>
#include <vector>

#include "capture/settings.h"
#include "capture/win/clipboard.h"
#include "capture/win/grabber.h"
#include "capture/win/mainframe.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/frame.h"
#include "res/resource.h"
#include "tests/win/box_closer.h"
#include "tests/win/main_frame_fixture.h"

namespace gmbx {
namespace {

// Four quadrants: red, green, blue, white (top-down).
constexpr COLORREF kQuadrants[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
constexpr int kW = 16, kH = 8;

COLORREF QuadrantAt(int x, int y) { return kQuadrants[(y >= kH / 2) * 2 + (x >= kW / 2)]; }

std::unique_ptr<Dib> QuadrantDib() {
    auto dib = std::make_unique<Dib>();
    EXPECT_TRUE(dib->Create(kW, kH, 16777216));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            uint8_t* p = dib->bits + size_t(kH - 1 - y) * dib->stride + x * 3;
            COLORREF c = QuadrantAt(x, y);
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return dib;
}

// The colour of pixel (x, y) (top-down) of a Dib of any depth.
COLORREF DibPixel(const Dib& dib, int x, int y) {
    int h = static_cast<int>(DibAbsHeight(dib.Height()));
    int row = dib.Height() > 0 ? h - 1 - y : y;
    const uint8_t* r = dib.bits + size_t(row) * dib.stride;
    int index;
    switch (dib.BitCount()) {
    case 1: index = (r[x / 8] >> (7 - x % 8)) & 1; break;
    case 4: index = (r[x / 2] >> (x % 2 ? 0 : 4)) & 15; break;
    case 8: index = r[x]; break;
    case 24: return RGB(r[x * 3 + 2], r[x * 3 + 1], r[x * 3]);
    case 32: return RGB(r[x * 4 + 2], r[x * 4 + 1], r[x * 4]);
    default: return CLR_INVALID;
    }
    const RgbQuad& q = dib.colours[index];
    return RGB(q.red, q.green, q.blue);
}

int Distance(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) + abs(GetBValue(a) - GetBValue(b));
}

// Reads the clipboard's device-independent bitmap through the program's
// reader; empty when there is none.
std::unique_ptr<Dib> ClipboardDib() {
    std::unique_ptr<Dib> dib;
    if (!OpenClipboard(nullptr)) return std::make_unique<Dib>();
    if (HANDLE h = GetClipboardData(CF_DIB)) {
        const void* p = GlobalLock(h);
        if (p) dib = LoadBMPFromMemory(static_cast<const uint8_t*>(p), GlobalSize(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return dib ? std::move(dib) : std::make_unique<Dib>();
}

bool PutOnClipboard(UINT format, HANDLE data) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool ok = SetClipboardData(format, data) != nullptr;
    CloseClipboard();
    return ok;
}

HGLOBAL GlobalCopy(const void* data, size_t size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(h), data, size);
    GlobalUnlock(h);
    return h;
}

std::string ResText(UINT id) {
    char buf[512] = "";
    LoadStringA(klib::ResourceModule(), id, buf, sizeof buf);
    return buf;
}

class ClipboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InstallWin32DibHost();
        CreateAppColourTable();
        ASSERT_TRUE(testutil::OpenTestMainFrame(1));
    }
    static void TearDownTestSuite() { testutil::CloseTestMainFrame(); }
    void SetUp() override {
        saved_ = g_settings;
        RefreshDisplayColours();
        ClearCurrentImage(false);
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    void TearDown() override {
        ClearCurrentImage(false);
        g_settings = saved_;
    }
    // The current image as a capture leaves it: a view pixmap, no Dib.
    static void ShowCapture() {
        auto dib = QuadrantDib();
        PaletteHandle palette;
        std::unique_ptr<Pixmap> pm = PixmapFromDib(*dib, &palette);
        ASSERT_TRUE(pm);
        SetCurrentPalette(std::move(palette));
        SetCurrentPixmap(std::move(pm));
    }
    static void Settings(int format, int bits, int autoSel) {
        g_settings.clipBmpFormat = format;
        g_settings.clipBmpBits = bits;
        g_settings.clipBmpAutoSel = autoSel;
        g_settings.clipMinOnCopy = 0;
    }
    static void ExpectQuadrants(const Dib& dib, int tolerance) {
        ASSERT_EQ(dib.Width(), kW);
        ASSERT_EQ(DibAbsHeight(dib.Height()), kH);
        for (int y = 1; y < kH; y += kH / 2)
            for (int x = 1; x < kW; x += kW / 2)
                EXPECT_LE(Distance(DibPixel(dib, x, y), QuadrantAt(x, y)), tolerance) << x << "," << y;
    }
    WindowSettings saved_;
};

TEST_F(ClipboardTest, CopyPutsTheImageAtTheChosenDepth) {
    testutil::BoxCloser boxes;
    ShowCapture();
    struct Case {
        int bits, autoSel, expectBits;
    } cases[] = {{3, 0, 24}, {1, 0, 4}, {0, 0, 1}, {2, 0, 8},
                 {0, 1, DibBitsForDisplayBits(DisplayBitsPerPixel())}};
    for (const Case& c : cases) {
        Settings(0, c.bits, c.autoSel);
        CopyToClipboard(true);
        auto dib = ClipboardDib();
        ASSERT_FALSE(dib->Empty()) << c.bits;
        EXPECT_EQ(dib->BitCount(), c.expectBits) << c.bits << " auto " << c.autoSel;
        // Two colours cannot hold the quadrants; the others keep them.
        if (c.expectBits == 1) {
            EXPECT_EQ(dib->ColourCount(), 2);
            EXPECT_EQ(DibPixel(*dib, 12, 6), RGB(255, 255, 255));
        } else {
            ExpectQuadrants(*dib, c.expectBits == 8 ? 60 : 0);
        }
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(ClipboardTest, PaletteGoesWithAPaletteImageOnly) {
    ShowCapture();
    Settings(0, 2, 0);  // 256 colours: reduced, palette on the clipboard
    CopyToClipboard(true);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_PALETTE));
    Settings(0, 3, 0);  // true colour: no palette
    CopyToClipboard(true);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_PALETTE));
}

TEST_F(ClipboardTest, BitmapOnlyFormatPutsTheDeviceBitmap) {
    ShowCapture();
    Settings(2, 1, 0);
    CopyToClipboard(true);
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_TRUE(bitmap);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, kW);
    EXPECT_EQ(info.bmHeight, kH);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 12, 6), QuadrantAt(12, 6));
    SelectObject(dc, old);
    DeleteDC(dc);
    CloseClipboard();
}

TEST_F(ClipboardTest, CopiesTheCurrentDibWhenThereIsNoPixmap) {
    SetCurrentDib(QuadrantDib());
    g_image.dib->Header()->xPelsPerMeter = 1234;
    Settings(1, 3, 0);
    CopyToClipboard(true);
    auto dib = ClipboardDib();
    ASSERT_FALSE(dib->Empty());
    EXPECT_EQ(dib->BitCount(), 24);
    EXPECT_EQ(dib->Header()->xPelsPerMeter, 1234);
    ExpectQuadrants(*dib, 0);
    // With 256 colours asked, the true-colour Dib goes reduced.
    Settings(1, 2, 0);
    CopyToClipboard(true);
    dib = ClipboardDib();
    ASSERT_FALSE(dib->Empty());
    EXPECT_EQ(dib->BitCount(), 8);
    EXPECT_EQ(dib->Header()->xPelsPerMeter, 1234);
    ExpectQuadrants(*dib, 0);  // four colours: reduced exactly
}

TEST_F(ClipboardTest, ManyColoursGoReducedTo256) {
    auto dib = std::make_unique<Dib>();
    ASSERT_TRUE(dib->Create(64, 64, 16777216));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = dib->bits + y * dib->stride + x * 3;
            p[0] = uint8_t(x * 4);
            p[1] = uint8_t(y * 4);
            p[2] = uint8_t((x + y) * 2);
        }
    SetCurrentDib(std::move(dib));
    Settings(1, 2, 1);  // 256 colours asked: auto-select does not matter
    CopyToClipboard(true);
    auto copied = ClipboardDib();
    ASSERT_FALSE(copied->Empty());
    EXPECT_EQ(copied->BitCount(), 8);
    EXPECT_EQ(copied->Width(), 64);
    // Close to the original everywhere.
    for (int y = 0; y < 64; y += 9)
        for (int x = 0; x < 64; x += 9)
            EXPECT_LE(Distance(DibPixel(*copied, x, y), RGB((x + (63 - y)) * 2, (63 - y) * 4, x * 4)), 60)
                << x << "," << y;
}

TEST_F(ClipboardTest, NothingToCopyLeavesTheClipboardAlone) {
    HGLOBAL text = GlobalCopy("keep", 5);
    ASSERT_TRUE(PutOnClipboard(CF_TEXT, text));
    CopyToClipboard(true);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
}

TEST_F(ClipboardTest, MinimizeOnCopyOnlyFromTheCommand) {
    ShowCapture();
    HWND frame = MainFrame();
    Settings(1, 3, 0);
    g_settings.clipMinOnCopy = 1;
    g_settings.wantTrayIcon = 0;
    ShowWindow(frame, SW_SHOWNOACTIVATE);
    CopyToClipboard(false);
    EXPECT_FALSE(IsIconic(frame));
    g_settings.autoCopy = 1;
    AfterCapture(nullptr);  // the automatic copy after a capture
    EXPECT_FALSE(IsIconic(frame));
    EXPECT_FALSE(ClipboardDib()->Empty());
    CopyToClipboard(true);
    EXPECT_TRUE(IsIconic(frame));
    // With the tray setting but no icon to bring it back, the window is
    // minimised, never hidden.
    ShowWindow(frame, SW_SHOWNOACTIVATE);
    g_settings.wantTrayIcon = 1;
    CopyToClipboard(true);
    EXPECT_TRUE(IsIconic(frame));
    EXPECT_TRUE(IsWindowVisible(frame));
    g_settings.wantTrayIcon = 0;
}

TEST_F(ClipboardTest, AutomaticCopyAfterACapture) {
    Settings(1, 3, 0);
    g_settings.autoCopy = 0;
    auto dib = QuadrantDib();
    PaletteHandle palette;
    AfterCapture(PixmapFromDib(*dib, &palette));
    EXPECT_TRUE(ClipboardDib()->Empty());
    g_settings.autoCopy = 1;
    AfterCapture(PixmapFromDib(*dib, &palette));
    auto copied = ClipboardDib();
    ASSERT_FALSE(copied->Empty());
    ExpectQuadrants(*copied, 0);
}

TEST_F(ClipboardTest, PasteShowsTheClipboardBitmap) {
    // An 8-bit DIB with a four-colour table, two rows of two pixels.
    std::vector<uint8_t> block(40 + 4 * 4 + 2 * 4, 0);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    h->biSize = 40;
    h->biWidth = 2;
    h->biHeight = 2;
    h->biPlanes = 1;
    h->biBitCount = 8;
    h->biClrUsed = 4;
    RGBQUAD* table = reinterpret_cast<RGBQUAD*>(block.data() + 40);
    table[0] = {0, 0, 255, 0};    // red
    table[1] = {0, 255, 0, 0};    // green
    table[2] = {255, 0, 0, 0};    // blue
    table[3] = {255, 255, 255, 0};
    uint8_t* rows = block.data() + 56;
    rows[0] = 2, rows[1] = 3;  // bottom row
    rows[4] = 0, rows[5] = 1;  // top row
    ShowCapture();
    ASSERT_TRUE(PutOnClipboard(CF_DIB, GlobalCopy(block.data(), block.size())));
    testutil::BoxCloser boxes;
    PasteFromClipboard();
    EXPECT_TRUE(boxes.Texts().empty());
    ASSERT_TRUE(g_image.pixmap);
    EXPECT_EQ(g_image.dib, nullptr);
    ASSERT_EQ(g_image.pixmap->width, 2);
    ASSERT_EQ(g_image.pixmap->height, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_image.pixmap->bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
}

TEST_F(ClipboardTest, CopyThenPasteRoundTrips) {
    ShowCapture();
    Settings(0, 3, 0);
    CopyToClipboard(true);
    ClearCurrentImage(false);
    PasteFromClipboard();
    ASSERT_TRUE(g_image.pixmap);
    Settings(1, 3, 0);
    CopyToClipboard(true);
    ExpectQuadrants(*ClipboardDib(), 0);
}

// The shown capture stays when there is nothing to take its place.
TEST_F(ClipboardTest, PasteWithoutAPictureOrWithABrokenOneTellsTheUser) {
    testutil::BoxCloser boxes;
    ShowCapture();
    // Text only.
    ASSERT_TRUE(PutOnClipboard(CF_TEXT, GlobalCopy("text", 5)));
    PasteFromClipboard();
    EXPECT_TRUE(HaveImage());
    // A header promising far more pixels than the block holds.
    BITMAPINFOHEADER lie = {};
    lie.biSize = 40;
    lie.biWidth = 4000;
    lie.biHeight = 4000;
    lie.biPlanes = 1;
    lie.biBitCount = 24;
    ASSERT_TRUE(PutOnClipboard(CF_DIB, GlobalCopy(&lie, sizeof lie)));
    PasteFromClipboard();
    EXPECT_TRUE(HaveImage());
    // A block too short for its header.
    ASSERT_TRUE(PutOnClipboard(CF_DIB, GlobalCopy(&lie, 12)));
    PasteFromClipboard();
    EXPECT_TRUE(HaveImage());
    Sleep(300);
    std::vector<std::string> texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], ResText(IDS_PASTE_NOTHING));
    EXPECT_EQ(texts[1], ResText(IDS_PASTE_UNREADABLE));
    EXPECT_EQ(texts[2], ResText(IDS_PASTE_UNREADABLE));
}

// Runs `drive` on the dialog with this title once it shows (from a second
// thread, while the test thread runs the dialog).
class DialogDriver {
public:
    DialogDriver(const char* title, std::function<void(HWND)> drive)
        : title_(title), drive_(std::move(drive)), thread_([this] { Run(); }) {}
    ~DialogDriver() { thread_.join(); }

private:
    void Run() {
        for (int i = 0; i < 200; ++i) {
            HWND dlg = FindWindowA("#32770", title_);
            if (dlg && IsWindowVisible(dlg)) {
                drive_(dlg);
                return;
            }
            Sleep(50);
        }
    }
    const char* title_;
    std::function<void(HWND)> drive_;
    std::thread thread_;
};

bool Checked(HWND dlg, int id) { return SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
void Click(HWND dlg, int id) { SendDlgItemMessageA(dlg, id, BM_CLICK, 0, 0); }

TEST_F(ClipboardTest, OptionsDialogFollowsFormatAndAutoSelect) {
    const int displayRadio = IDC_CLIP_BITS2 + (g_displayColours > 256 ? 3 : g_displayColours == 256 ? 2 : 1);
    Settings(0, 0, 1);
    g_settings.clipMinOnCopy = 1;
    std::atomic<int> steps{0};
    {
        DialogDriver driver("Clipboard Options", [&](HWND dlg) {
            EXPECT_TRUE(Checked(dlg, IDC_CLIP_BOTH));
            EXPECT_TRUE(Checked(dlg, IDC_CLIP_MINIMIZE));
            EXPECT_TRUE(Checked(dlg, IDC_CLIP_AUTOSEL));
            EXPECT_TRUE(Checked(dlg, displayRadio));
            EXPECT_FALSE(Enabled(dlg, IDC_CLIP_BITS16));
            Click(dlg, IDC_CLIP_AUTOSEL);  // off: the depths can be chosen
            EXPECT_TRUE(Enabled(dlg, IDC_CLIP_BITS16));
            Click(dlg, IDC_CLIP_BITS16);
            Click(dlg, IDC_CLIP_BITMAP);  // bitmap only: no depth choice
            EXPECT_FALSE(Enabled(dlg, IDC_CLIP_AUTOSEL));
            EXPECT_FALSE(Enabled(dlg, IDC_CLIP_BITS16));
            Click(dlg, IDC_CLIP_DIB);
            EXPECT_TRUE(Enabled(dlg, IDC_CLIP_AUTOSEL));
            EXPECT_TRUE(Enabled(dlg, IDC_CLIP_BITS16));
            EXPECT_TRUE(Checked(dlg, IDC_CLIP_BITS16));
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            steps = 1;
        });
        EXPECT_TRUE(ShowClipboardOptions());
    }
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(g_settings.clipBmpAutoSel, 0);
    EXPECT_EQ(g_settings.clipBmpBits, 1);
    EXPECT_EQ(g_settings.clipBmpFormat, 1);
    EXPECT_EQ(g_settings.clipMinOnCopy, 1);

    // Opened on bitmap only: depths off, the display's checked; Cancel keeps
    // the settings.
    Settings(2, 0, 0);
    {
        DialogDriver driver("Clipboard Options", [&](HWND dlg) {
            EXPECT_TRUE(Checked(dlg, IDC_CLIP_BITMAP));
            EXPECT_TRUE(Checked(dlg, displayRadio));
            EXPECT_FALSE(Enabled(dlg, IDC_CLIP_AUTOSEL));
            EXPECT_FALSE(Enabled(dlg, IDC_CLIP_BITS2));
            Click(dlg, IDC_CLIP_BOTH);
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            steps = 2;
        });
        EXPECT_FALSE(ShowClipboardOptions());
    }
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(g_settings.clipBmpFormat, 2);
    EXPECT_EQ(g_settings.clipBmpBits, 0);
}

}  // namespace
}  // namespace gmbx
