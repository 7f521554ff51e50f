// Picking the transparent colour of a GIF save in the image view of a main
// window built inside the test process; a second thread plays the user.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "capture/hotkeys.h"
#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "capture/win/hotkeys_win.h"
#include "capture/win/mainframe.h"
#include "capture/win/transparentpick.h"
#include "gd.h"
#include "imageio/gifio.h"
#include "imageio/win/current.h"
#include "capture/win/imagefiles.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/frame.h"
#include "res/resource.h"
#include "tests/testutil/tempdir.h"
#include "tests/win/box_closer.h"
#include "tests/win/main_frame_fixture.h"

namespace gmbx {
namespace {

bool WaitUntilPickWaits(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        if (TransparentPickActive()) return true;
        Sleep(20);
    }
    return false;
}

HWND FindBox(const char* title, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        HWND w = FindWindowA("#32770", title);
        if (w && IsWindowVisible(w)) return w;
        Sleep(20);
    }
    return nullptr;
}

void ClickAt(int x, int y) {
    PostMessageA(ImageView(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(ImageView(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PressButton(HWND d, int id) {
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
}

std::string ItemText(HWND d, int id) {
    char buf[200] = "";
    GetDlgItemTextA(d, id, buf, sizeof buf);
    return buf;
}

std::string WindowText(HWND w) {
    char buf[600] = "";
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

// 8 x 6 palette image: left half red (index 0), right half green (index 1),
// the bottom row blue (index 2).
GdImagePtr TestImage() {
    GdImagePtr im(gdImageCreate(8, 6));
    const int red = gdImageColorAllocate(im.get(), 255, 0, 0);
    const int green = gdImageColorAllocate(im.get(), 0, 255, 0);
    const int blue = gdImageColorAllocate(im.get(), 0, 0, 255);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) gdImageSetPixel(im.get(), x, y, y == 5 ? blue : x < 4 ? red : green);
    return im;
}

class TransparentPickTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // No capture keys held by this suite.
        ASSERT_TRUE(testutil::OpenTestMainFrame(0));
    }
    static void TearDownTestSuite() { testutil::CloseTestMainFrame(); }
    void SetUp() override {
        ASSERT_NE(ImageView(), nullptr);
        title_ = WindowText(MainFrame());
    }
    void TearDown() override {
        // The pick leaves the main window as it found it.
        EXPECT_TRUE(IsWindowEnabled(MainFrame()));
        EXPECT_EQ(WindowText(MainFrame()), title_);
        EXPECT_FALSE(TransparentPickActive());
        // No blink timer left behind.
        MSG m;
        Sleep(800);
        EXPECT_FALSE(PeekMessageA(&m, ImageView(), WM_TIMER, WM_TIMER, PM_REMOVE));
    }
    std::string title_;
};

TEST_F(TransparentPickTest, EscapeCancels) {
    GdImagePtr im = TestImage();
    bool waited = false, disabled = false;
    std::string blinkText;
    std::thread user([&] {
        waited = WaitUntilPickWaits(10000);
        if (!waited) return;
        disabled = !IsWindowEnabled(MainFrame());
        blinkText = WindowText(MainFrame());
        PostMessageA(ImageView(), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    const int chosen = PickTransparentColour(im.get());
    user.join();
    EXPECT_TRUE(waited);
    EXPECT_TRUE(disabled);
    EXPECT_EQ(blinkText, klib::LoadResString(IDS_PICK_TRANSPARENT));
    EXPECT_EQ(chosen, kGifSaveCancelled);
}

TEST_F(TransparentPickTest, EscapeHotkeyCancels) {
    GdImagePtr im = TestImage();
    std::thread user([&] {
        if (WaitUntilPickWaits(10000)) PostMessageA(ImageView(), WM_HOTKEY, kHotkeyEscape, MAKELPARAM(0, VK_ESCAPE));
    });
    EXPECT_EQ(PickTransparentColour(im.get()), kGifSaveCancelled);
    user.join();
}

TEST_F(TransparentPickTest, TitleBlinks) {
    GdImagePtr im = TestImage();
    bool sawEmpty = false, sawPrompt = false;
    std::thread user([&] {
        if (!WaitUntilPickWaits(10000)) return;
        const DWORD end = GetTickCount() + 2000;
        while (static_cast<int>(end - GetTickCount()) > 0 && !(sawEmpty && sawPrompt)) {
            const std::string t = WindowText(MainFrame());
            if (t.empty()) sawEmpty = true;
            if (t == klib::LoadResString(IDS_PICK_TRANSPARENT)) sawPrompt = true;
            Sleep(50);
        }
        PostMessageA(ImageView(), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_EQ(PickTransparentColour(im.get()), kGifSaveCancelled);
    user.join();
    EXPECT_TRUE(sawEmpty);
    EXPECT_TRUE(sawPrompt);
}

TEST_F(TransparentPickTest, ClickPicksTheIndexAfterTheBoxAccepts) {
    GdImagePtr im = TestImage();
    std::string question, use, again, cancel;
    bool colourBox = false;
    std::thread user([&] {
        if (!WaitUntilPickWaits(10000)) return;
        ClickAt(6, 1);  // green
        HWND d = FindBox(klib::LoadResString(IDS_TRANSP_TITLE).c_str(), 10000);
        if (!d) return;
        question = ItemText(d, IDC_TRBK_TEXT);
        use = ItemText(d, IDC_TRBK_USE);
        again = ItemText(d, IDC_TRBK_AGAIN);
        cancel = ItemText(d, IDC_TRBK_CANCEL);
        colourBox = GetDlgItem(d, IDC_TRBK_COLOUR) != nullptr;
        PressButton(d, IDC_TRBK_USE);
    });
    const int chosen = PickTransparentColour(im.get());
    user.join();
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(question, klib::LoadResString(IDS_TRANSP_QUESTION));
    EXPECT_EQ(use, klib::LoadResString(IDS_TRANSP_ACCEPT));
    EXPECT_EQ(again, klib::LoadResString(IDS_TRANSP_AGAIN));
    EXPECT_EQ(cancel, klib::LoadResString(IDS_TRANSP_CANCEL));
    EXPECT_TRUE(colourBox);
}

TEST_F(TransparentPickTest, PickAgainThenCancelInTheBox) {
    GdImagePtr im = TestImage();
    int rounds = 0;
    std::thread user([&] {
        const std::string title = klib::LoadResString(IDS_TRANSP_TITLE);
        if (!WaitUntilPickWaits(10000)) return;
        ClickAt(1, 1);
        HWND d = FindBox(title.c_str(), 10000);
        if (!d) return;
        ++rounds;
        PressButton(d, IDC_TRBK_AGAIN);
        if (!WaitUntilPickWaits(10000)) return;
        ClickAt(1, 5);
        d = FindBox(title.c_str(), 10000);
        if (!d) return;
        ++rounds;
        PressButton(d, IDC_TRBK_CANCEL);
    });
    EXPECT_EQ(PickTransparentColour(im.get()), kGifSaveCancelled);
    user.join();
    EXPECT_EQ(rounds, 2);
}

TEST_F(TransparentPickTest, ClickOutsideAsksAgain) {
    GdImagePtr im = TestImage();
    testutil::BoxCloser boxes;
    std::thread user([&] {
        if (!WaitUntilPickWaits(10000)) return;
        ClickAt(8, 2);  // one pixel right of the last column
        const DWORD end = GetTickCount() + 10000;
        while (boxes.Texts().empty() && static_cast<int>(end - GetTickCount()) > 0) Sleep(20);
        if (!WaitUntilPickWaits(10000)) return;
        ClickAt(2, 5);  // blue
        HWND d = FindBox(klib::LoadResString(IDS_TRANSP_TITLE).c_str(), 10000);
        if (d) PressButton(d, IDC_TRBK_USE);
    });
    const int chosen = PickTransparentColour(im.get());
    user.join();
    EXPECT_EQ(chosen, 2);
    auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], klib::LoadResString(IDS_PICK_OUTSIDE));
}

TEST_F(TransparentPickTest, ScrolledViewAddsTheScrollPosition) {
    GdImagePtr big(gdImageCreate(400, 10));
    gdImageColorAllocate(big.get(), 255, 255, 255);
    gdImageColorAllocate(big.get(), 0, 0, 0);
    gdImageSetPixel(big.get(), 303, 4, 1);
    HWND view = ImageView();
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 399, 100, 300};
    SetScrollInfo(view, SB_HORZ, &si, FALSE);
    ASSERT_EQ(GetScrollPos(view, SB_HORZ), 300);
    std::thread user([&] {
        if (!WaitUntilPickWaits(10000)) return;
        ClickAt(3, 4);
        HWND d = FindBox(klib::LoadResString(IDS_TRANSP_TITLE).c_str(), 10000);
        if (d) PressButton(d, IDC_TRBK_USE);
    });
    const int chosen = PickTransparentColour(big.get());
    user.join();
    si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0};
    SetScrollInfo(view, SB_HORZ, &si, FALSE);
    EXPECT_EQ(chosen, 1);
}

TEST_F(TransparentPickTest, SpacePicksThePointUnderThePointer) {
    GdImagePtr im = TestImage();
    std::thread user([&] {
        if (!WaitUntilPickWaits(10000)) return;
        POINT p = {5, 2};  // green
        ClientToScreen(ImageView(), &p);
        SetCursorPos(p.x, p.y);
        PostMessageA(ImageView(), WM_HOTKEY, kHotkeySpace, MAKELPARAM(0, VK_SPACE));
        HWND d = FindBox(klib::LoadResString(IDS_TRANSP_TITLE).c_str(), 10000);
        if (d) PressButton(d, IDC_TRBK_USE);
    });
    EXPECT_EQ(PickTransparentColour(im.get()), 1);
    user.join();
}

TEST_F(TransparentPickTest, NoPickDuringACapture) {
    GdImagePtr im = TestImage();
    {
        CaptureInProgressScope capturing;
        EXPECT_TRUE(CaptureInProgress());
        EXPECT_EQ(PickTransparentColour(im.get()), -1);
        const SaveOptions saved = g_settings.save;
        g_settings.save.transparent = 1;
        EXPECT_FALSE(TransparentChooserForSave());
        g_settings.save = saved;
    }
    EXPECT_FALSE(CaptureInProgress());
    EXPECT_FALSE(TransparentPickActive());
}

// SaveGIF with the chooser: an 8-bit current Dib of 4 x 2 pixels.
class TransparentPickSaveTest : public TransparentPickTest {
protected:
    void SetUp() override {
        TransparentPickTest::SetUp();
        InstallWin32DibHost();
        CreateAppColourTable();
        RefreshDisplayColours();
        saved_ = g_settings.save;
        g_settings.save.transparent = 1;
        g_settings.save.interlace = 0;
        auto dib = std::make_unique<Dib>();
        ASSERT_TRUE(dib->Create(4, 2, 256));
        dib->colours[0] = {0, 0, 255, 0};    // red
        dib->colours[1] = {255, 0, 0, 0};    // blue
        // Bottom row (stored first) red, top row blue.
        for (int x = 0; x < 4; ++x) {
            dib->bits[x] = 0;
            dib->bits[dib->stride + x] = 1;
        }
        SetCurrentDib(std::move(dib));
        ShowCurrentImage();
        title_ = WindowText(MainFrame());
    }
    void TearDown() override {
        ClearCurrentImage(false);
        g_settings.save = saved_;
        TransparentPickTest::TearDown();
    }
    testutil::TempDir dir;
    SaveOptions saved_;
};

TEST_F(TransparentPickSaveTest, EscapeLeavesNoFile) {
    const std::string path = dir.File("cancelled.gif");
    std::thread user([&] {
        if (WaitUntilPickWaits(10000)) PostMessageA(ImageView(), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_FALSE(SaveGIF(path.c_str(), -1, TransparentChooserForSave()));
    user.join();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(TransparentPickSaveTest, PickedColourIsTheFilesTransparentIndex) {
    const std::string path = dir.File("picked.gif");
    std::thread user([&] {
        if (!WaitUntilPickWaits(10000)) return;
        ClickAt(2, 0);  // top row: blue
        HWND d = FindBox(klib::LoadResString(IDS_TRANSP_TITLE).c_str(), 10000);
        if (d) PressButton(d, IDC_TRBK_USE);
    });
    ASSERT_TRUE(SaveGIF(path.c_str(), -1, TransparentChooserForSave()));
    user.join();
    const std::vector<uint8_t> bytes = testutil::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 13u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    // Graphic-control extension: flags with the transparency bit, then the index.
    int transparent = -1;
    for (size_t i = 13; i + 7 < bytes.size(); ++i)
        if (bytes[i] == 0x21 && bytes[i + 1] == 0xF9 && bytes[i + 2] == 4) {
            if (bytes[i + 3] & 1) transparent = bytes[i + 6];
            break;
        }
    // Red (index 0, met first) is gd colour 0, blue gd colour 1.
    EXPECT_EQ(transparent, 1);
}

TEST_F(TransparentPickSaveTest, DuringACaptureTheFileHasNoTransparency) {
    const std::string path = dir.File("auto.gif");
    CaptureInProgressScope capturing;
    ASSERT_TRUE(SaveGIF(path.c_str(), -1, TransparentChooserForSave()));
    const std::vector<uint8_t> bytes = testutil::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 6u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF87a");
}

}  // namespace
}  // namespace gmbx
