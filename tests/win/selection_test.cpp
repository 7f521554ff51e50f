// Region selection and window pick on the overlay, driven with real input
// (SendInput from a second thread) while the test thread runs the capture,
// as the program runs it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "capture/settings.h"
#include "capture/win/cursorscheme.h"
#include "capture/win/grabber.h"
#include "capture/win/selection.h"
#include "capture/win/windowpick.h"
#include "imageio/win/current.h"
#include "klib/object.h"
#include "klib/win/pump.h"
#include "tests/testutil/solidwindow.h"
#include "tests/testutil/tempdir.h"
#include "tests/win/box_closer.h"
#include "tests/win/main_frame_fixture.h"
#include "tests/win/user_arrow.h"

namespace gmbx {
namespace {

constexpr COLORREF kBackground = RGB(40, 160, 60);
constexpr COLORREF kFrameColour = RGB(200, 30, 30);
constexpr COLORREF kChildColour = RGB(30, 30, 200);
constexpr int kButtonRightCode = 2;  // the right button ends a phase with its code, which cancels

int ScreenW() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenH() { return GetSystemMetrics(SM_CYSCREEN); }

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    MSG m;
    do {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(10);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

// Runs functions on the test thread while it waits in a selection.
LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) {
        (*reinterpret_cast<std::function<void()>*>(lp))();
        return 1;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// The user's hands: pointer and keys, from a second thread.
class Driver {
public:
    using Script = std::function<void(Driver&)>;
    explicit Driver(HWND probe) : probe_(probe) {}
    ~Driver() {
        if (thread_.joinable()) thread_.join();
    }
    void Start(Script script) {
        thread_ = std::thread([this, script] {
            Sleep(400);  // the overlay comes up
            script(*this);
        });
    }
    void Move(int x, int y) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = (x * 65536 + ScreenW() - 1) / ScreenW();
        in.mi.dy = (y * 65536 + ScreenH() - 1) / ScreenH();
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof in);
        Sleep(80);
        POINT p;
        GetCursorPos(&p);
        if (p.x != x || p.y != y) {
            SetCursorPos(x, y);
            Sleep(80);
        }
    }
    void Click(bool right = false) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof in[0]);
        Sleep(120);
    }
    void Key(WORD vk, bool shift = false, bool ctrl = false) {
        std::vector<INPUT> in;
        auto add = [&in](WORD k, bool up) {
            INPUT i = {};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = k;
            i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            in.push_back(i);
        };
        if (ctrl) add(VK_CONTROL, false);
        if (shift) add(VK_SHIFT, false);
        add(vk, false);
        add(vk, true);
        if (shift) add(VK_SHIFT, true);
        if (ctrl) add(VK_CONTROL, true);
        SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
        Sleep(100);
    }
    // Runs f on the test thread (inside its selection loop).
    void OnTestThread(std::function<void()> f) {
        DWORD_PTR r;
        SendMessageTimeoutA(probe_, WM_APP, 0, reinterpret_cast<LPARAM>(&f), SMTO_NORMAL, 5000, &r);
    }

private:
    HWND probe_;
    std::thread thread_;
};

// Ends a selection that the script failed to end, so that no test hangs.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) { SelectionHotkey(27); }

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        klib::SetApplicationObject(&app_);
        ASSERT_TRUE(testutil::OpenTestMainFrame(1));
        klib::SetHotkeyHandler(DispatchCapture);
        saved_ = g_settings;
        g_settings.hideRegionHelp = 0;
        g_settings.includeCursor = 0;
        g_settings.autoScroll = 0;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ProbeProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "GmbxProbe";
        RegisterClassA(&wc);
        probe_ = CreateWindowExA(0, "GmbxProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    void TearDown() override {
        for (HWND w : windows_) DestroyWindow(w);
        DestroyWindow(probe_);
        g_settings = saved_;
        ClearCurrentImage(false);
        testutil::CloseTestMainFrame();
        klib::SetHotkeyHandler(nullptr);
        klib::SetApplicationObject(nullptr);
    }
    // A full-screen window in one colour under everything else.
    HWND Backdrop() {
        // One row short of the screen: some window systems treat full-screen
        // windows like framed ones, which take seconds to go away.
        windows_.push_back(
            testutil::SolidWindow(WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, ScreenW(), ScreenH() - 1, kBackground));
        Pump(300);
        return windows_.back();
    }
    // Runs a capture on this thread while the script plays the user.
    void Run(std::function<void()> capture, Driver::Script script) {
        Driver d(probe_);
        d.Start(script);
        UINT_PTR dog = SetTimer(nullptr, 0, 15000, Watchdog);
        capture();

        KillTimer(nullptr, dog);
    }
    // The current image's pixel (x, y).
    static COLORREF ImagePixel(int x, int y) {
        if (!g_image.pixmap) return CLR_INVALID;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, g_image.pixmap->bitmap);
        COLORREF c = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        return c;
    }
    static int ImageWidth() {
        int w, h;
        CurrentImageSize(&w, &h);
        return w;
    }
    static int ImageHeight() {
        int w, h;
        CurrentImageSize(&w, &h);
        return h;
    }
    static void SetLast(int x, int y, int w, int h) {
        g_settings.lastSX = x;
        g_settings.lastSY = y;
        g_settings.lastWidth = w;
        g_settings.lastHeight = h;
    }
    void ExpectLast(int x, int y, int w, int h) {
        EXPECT_EQ(g_settings.lastSX, x);
        EXPECT_EQ(g_settings.lastSY, y);
        EXPECT_EQ(g_settings.lastWidth, w);
        EXPECT_EQ(g_settings.lastHeight, h);
    }

    klib::k_object app_{"app"};
    WindowSettings saved_;
    HWND probe_ = nullptr;
    std::vector<HWND> windows_;
};

TEST_F(SelectionTest, RegionDraggedWithTheMouseLeavesNoTracesAndNoCursor) {
    Backdrop();
    testutil::TempDir dir;
    g_settings.includeCursor = 1;  // region captures still never show it
    SetCursorPos(40, 40);           // over the help panel: it moves away
    Run([] { DispatchCapture(kModeRegion); },
        [](Driver& d) {
            d.Move(100, 100);
            d.Click();
            d.Move(180, 140);
            d.Move(250, 180);
            d.Click();
        });
    ExpectLast(100, 100, 151, 81);
    ASSERT_EQ(ImageWidth(), 151);
    ASSERT_EQ(ImageHeight(), 81);
    // Nothing of the crosshair, band, label, panel or cursor is in it.
    int wrong = 0;
    for (int y = 0; y < 81; ++y)
        for (int x = 0; x < 151; ++x)
            if (ImagePixel(x, y) != kBackground) ++wrong;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(SelectionOverlay(), nullptr);
}

TEST_F(SelectionTest, RegionSetWithTheKeyboardOnly) {
    Backdrop();
    SetCursorPos(200, 150);
    const int w = ScreenW();
    Run([] { CaptureRegion(); },
        [](Driver& d) {
            d.Key(VK_RETURN);                      // first corner where the pointer is
            d.Key(VK_RIGHT);
            d.Key(VK_RIGHT);
            d.Key(VK_RIGHT);                       // 203
            d.Key(VK_DOWN, true);                  // 160
            d.Key(VK_RIGHT, false, true);          // the last column
            d.Key(VK_TAB);                         // now the first corner moves
            d.Key(VK_LEFT, true);                  // 190
            d.Key(VK_UP);                          // 149
            d.Key(VK_RETURN);
        });
    // Corners (w - 1, 160) and (190, 149).
    ExpectLast(190, 149, w - 190, 12);
}

TEST_F(SelectionTest, SizeLabelAndCancellingInEitherPhase) {
    Backdrop();
    SetLast(1, 2, 3, 4);
    // A picture from before stays when the user cancels.
    SetCurrentPixmap(std::make_unique<Pixmap>(7, 5));
    std::string label1, label2;
    RECT where1 = {}, where2 = {};
    COLORREF labelPixel = 0;
    int secondResult = -1;
    Run([] { CaptureRegion(); },
        [&](Driver& d) {
            d.Move(300, 300);
            d.Click();
            d.OnTestThread([&] {
                // Only one selection at a time: another returns at once.
                POINT other;
                secondResult = SelectFirstCorner(SelectionOverlay(), &other);
                SizeLabelShown(&label1, &where1);
                HDC dc = GetDC(SelectionOverlay());
                labelPixel = GetPixel(dc, where1.left + 1, where1.top + 1);
                ReleaseDC(SelectionOverlay(), dc);
            });
            d.Move(350, 320);
            d.OnTestThread([&] { SizeLabelShown(&label2, &where2); });
            d.Key(VK_ESCAPE);
        });
    // A single pixel: "1x1" beside the point, up and to the left, on white.
    EXPECT_EQ(label1, "1x1");
    EXPECT_EQ(where1.right, 300 - 1);
    EXPECT_EQ(where1.bottom, 300 - 1);
    EXPECT_EQ(labelPixel, RGB(255, 255, 255));
    EXPECT_EQ(label2, "51x21");
    EXPECT_EQ(secondResult, 0);
    ExpectLast(1, 2, 3, 4);
    EXPECT_EQ(ImageWidth(), 7);
    EXPECT_EQ(SelectionOverlay(), nullptr);

    // The phases alone, on one overlay.
    ASSERT_NE(CreateSelectionOverlay(), nullptr);
    int result = 0;
    POINT a = {}, b = {};
    Run([&] { result = SelectFirstCorner(SelectionOverlay(), &a); }, [](Driver& d) { d.Key(VK_ESCAPE); });
    EXPECT_EQ(result, kSelectionCancelled);
    Run([&] { result = SelectFirstCorner(SelectionOverlay(), &a); }, [](Driver& d) { d.Click(true); });
    EXPECT_EQ(result, kButtonRightCode);
    EXPECT_FALSE(SelectionAccepted(result));
    a = {100, 100};
    Run([&] { result = SelectSecondCorner(SelectionOverlay(), &a, &b); },
        [](Driver& d) {
            d.Move(150, 120);
            d.Click(true);
        });
    EXPECT_EQ(result, kButtonRightCode);
    EXPECT_FALSE(SelectionAccepted(result));
    // Enter accepts the crosshair where it is; a left click accepts too.
    SetCursorPos(222, 111);
    Run([&] { result = SelectFirstCorner(SelectionOverlay(), &a); }, [](Driver& d) { d.Key(VK_RETURN); });
    EXPECT_TRUE(SelectionAccepted(result));
    EXPECT_EQ(a.x, 222);
    EXPECT_EQ(a.y, 111);
    DestroySelectionOverlay();
}

TEST_F(SelectionTest, HideRegionHelpShowsNeitherPanelNorMagnifier) {
    Backdrop();
    ASSERT_NE(CreateSelectionOverlay(), nullptr);
    // The panel's corner of the screen, away from the crosshair.
    auto cornerPixels = [](std::vector<COLORREF>* out) {
        HDC dc = GetDC(SelectionOverlay());
        for (int y = 0; y < 300; y += 7)
            for (int x = 0; x < 300; x += 7) out->push_back(GetPixel(dc, x, y));
        ReleaseDC(SelectionOverlay(), dc);
    };
    auto run = [&](std::vector<COLORREF>* phase1, std::vector<COLORREF>* phase2, bool* shown) {
        POINT a = {}, b = {};
        SetCursorPos(700, 600);
        Run([&] { SelectFirstCorner(SelectionOverlay(), &a); },
            [&](Driver& d) {
                d.OnTestThread([&] {
                    *shown = HelpPanelShown(nullptr);
                    cornerPixels(phase1);
                });
                d.Key(VK_F1);  // 0
                d.Key(VK_F1);  // 1
                d.Key(VK_F1);  // 2: the magnifier alone
                d.Click();
            });
        Run([&] { SelectSecondCorner(SelectionOverlay(), &a, &b); },
            [&](Driver& d) {
                d.Move(720, 610);
                d.OnTestThread([&] { cornerPixels(phase2); });
                d.Key(VK_F1);  // back to 3
                d.Key(VK_ESCAPE);
            });
    };
    std::vector<COLORREF> shown1, shown2, hidden1, hidden2;
    bool shown = false, hiddenShown = true;
    run(&shown1, &shown2, &shown);
    EXPECT_TRUE(shown);
    EXPECT_GT(std::count(shown1.begin(), shown1.end(), RGB(255, 255, 255)), 100);
    EXPECT_LT(std::count(shown2.begin(), shown2.end(), kBackground), static_cast<long>(shown2.size()));

    g_settings.hideRegionHelp = 1;
    run(&hidden1, &hidden2, &hiddenShown);
    EXPECT_FALSE(hiddenShown);
    EXPECT_EQ(std::count(hidden1.begin(), hidden1.end(), kBackground), static_cast<long>(hidden1.size()));
    EXPECT_EQ(std::count(hidden2.begin(), hidden2.end(), kBackground), static_cast<long>(hidden2.size()));
    DestroySelectionOverlay();
}

TEST_F(SelectionTest, MinimisedMainWindowStaysMinimisedAfterACancel) {
    g_run.hidden = 0;
    ShowWindow(MainFrame(), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(MainFrame()));
    Run([] { CaptureRegion(); }, [](Driver& d) { d.Click(true); });
    EXPECT_TRUE(IsIconic(MainFrame()));
    EXPECT_TRUE(IsWindowVisible(MainFrame()));
    g_run.hidden = 1;
}

class PickTest : public SelectionTest {
protected:
    void SetUp() override {
        SelectionTest::SetUp();
        // A window with a title bar and a child control, inside the backdrop
        // (a window manager would draw the frame of a top-level window; here
        // the system draws it for this one itself).
        HWND backdrop = Backdrop();
        frame_ = testutil::SolidWindow(WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, 0, 300,
                                       200, 400, 300, kFrameColour, backdrop);
        child_ = testutil::SolidWindow(WS_CHILD, 0, 20, 30, 120, 60, kChildColour, frame_);
        Pump(300);
        GetWindowRect(frame_, &window_);
        GetClientRect(frame_, &client_);
        MapWindowPoints(frame_, nullptr, reinterpret_cast<POINT*>(&client_), 2);
        GetClientRect(child_, &childClient_);
        MapWindowPoints(child_, nullptr, reinterpret_cast<POINT*>(&childClient_), 2);
    }
    // Picks with Space at the point.
    void PickAt(int x, int y) {
        Run([] { CaptureWindow(); },
            [x, y](Driver& d) {
                d.Move(x, y);
                d.Key(VK_SPACE);
            });
    }
    void ExpectLastRect(const RECT& r) { ExpectLast(r.left, r.top, r.right - r.left, r.bottom - r.top); }

    HWND frame_ = nullptr, child_ = nullptr;
    RECT window_ = {}, client_ = {}, childClient_ = {};
};

TEST_F(PickTest, ClientAreaGivesTheClientRectangle) {
    PickAt(client_.right - 30, client_.bottom - 30);
    ExpectLastRect(client_);
    EXPECT_EQ(ImagePixel(5, 5), kFrameColour);
}

TEST_F(PickTest, ChildControlGivesTheDeepestWindow) {
    Run([] { CaptureWindow(); },
        [this](Driver& d) {
            d.Move(childClient_.left + 10, childClient_.top + 10);
            d.Click();
        });
    ExpectLastRect(childClient_);
    EXPECT_EQ(ImagePixel(3, 3), kChildColour);
}

TEST_F(PickTest, FrameGivesTheWholeWindow) {
    ASSERT_GT(client_.top, window_.top);  // there is a title bar
    PickAt((window_.left + window_.right) / 2, window_.top + (client_.top - window_.top) / 2);
    ExpectLastRect(window_);
}

TEST_F(PickTest, EscLeavesTheLastRectangleAsItWas) {
    SetLast(11, 12, 13, 14);
    Run([] { CaptureWindow(); },
        [this](Driver& d) {
            d.Move(client_.left + 50, client_.top + 50);
            d.Key(VK_ESCAPE);
        });
    ExpectLast(11, 12, 13, 14);
    EXPECT_FALSE(HaveImage());
    EXPECT_EQ(SelectionOverlay(), nullptr);
}

TEST_F(PickTest, ScrollableWindowsBecomeTheScrollTarget) {
    // A window with its own vertical scroll bar, scrolled to the top.
    HWND own = testutil::SolidWindow(WS_CHILD | WS_VSCROLL, 0, 20, 110, 150, 120, kChildColour, frame_);
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 0, 0};
    SetScrollInfo(own, SB_VERT, &si, TRUE);
    // A window next to a separate scroll-bar control.
    HWND plain = testutil::SolidWindow(WS_CHILD, 0, 200, 110, 120, 120, kChildColour, frame_);
    const int s = GetSystemMetrics(SM_CXVSCROLL);
    HWND bar = CreateWindowExA(0, "ScrollBar", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 320, 110, s, 120, frame_,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    Pump(200);
    auto centre = [](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    RECT c;
    HWND target = nullptr;
    ASSERT_TRUE(PickCandidate(nullptr, centre(own), true, &c, &target));
    EXPECT_EQ(target, own);
    ASSERT_TRUE(PickCandidate(nullptr, centre(plain), true, &c, &target));
    EXPECT_EQ(target, plain);
    // Without AutoScroll, or scrolled to the end, there is no target.
    ASSERT_TRUE(PickCandidate(nullptr, centre(own), false, &c, &target));
    EXPECT_EQ(target, nullptr);
    si.nPos = 80;
    SetScrollInfo(own, SB_VERT, &si, TRUE);
    ASSERT_TRUE(PickCandidate(nullptr, centre(own), true, &c, &target));
    EXPECT_EQ(target, nullptr);
    ASSERT_TRUE(PickCandidate(nullptr, centre(child_), true, &c, &target));
    EXPECT_EQ(target, nullptr);
}

// A program that is busy under the pointer is asked once per pick: it then
// counts as its frame, and the later moves of the pick do not wait for it.
// A program that is busy under the pointer is waited for once per pick: it
// then counts as its frame, and later moves of the pick do not wait again
// (a hit test that waits takes the whole timeout, a quarter of a second).
TEST_F(PickTest, ABusyWindowIsWaitedForOncePerPick) {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND busy = nullptr;
    std::thread owner([&] {
        busy = testutil::SolidWindow(WS_POPUP, WS_EX_TOPMOST, 700, 560, 200, 150, kChildColour, nullptr);
        SetEvent(created);
        WaitForSingleObject(release, 20000);  // busy: no messages read
        DestroyWindow(busy);
    });
    WaitForSingleObject(created, 5000);
    ASSERT_NE(busy, nullptr);
    RECT whole;
    GetWindowRect(busy, &whole);
    RECT c;
    HWND target = nullptr;
    std::vector<DWORD> took;
    for (POINT p : {POINT{760, 600}, POINT{800, 640}, POINT{850, 650}}) {
        DWORD start = GetTickCount();
        ASSERT_TRUE(PickCandidate(nullptr, p, true, &c, &target));
        took.push_back(GetTickCount() - start);
        EXPECT_TRUE(EqualRect(&c, &whole));
        EXPECT_EQ(target, nullptr);
    }
    SetEvent(release);
    owner.join();
    EndWindowPick(nullptr, nullptr);
    EXPECT_GE(took[0], 200u);
    EXPECT_LT(took[1], 200u);
    EXPECT_LT(took[2], 200u);
    CloseHandle(release);
    CloseHandle(created);
}

class CursorCaptureTest : public PickTest {
protected:
    void SetUp() override {
        PickTest::SetUp();
        std::string file = dir_.File("striped.cur");
        ASSERT_TRUE(testutil::WriteFileBytes(file, testutil::StripedCursorFile()));
        arrow_.Set(file);
        g_settings.includeCursor = 1;
    }
    void TearDown() override {
        FreeCursorScheme();
        PickTest::TearDown();
    }
    // Rows of the striped cursor alternate between black and white.
    static bool Striped(int x, int y) {
        COLORREF a = ImagePixel(x, y), b = ImagePixel(x, y + 1);
        return (a == RGB(0, 0, 0) && b == RGB(255, 255, 255)) || (a == RGB(255, 255, 255) && b == RGB(0, 0, 0));
    }
    testutil::UserArrow arrow_;
    testutil::TempDir dir_;
};

TEST_F(CursorCaptureTest, SchemeArrowIsDrawnInAWindowCapture) {
    // The scheme is read at the capture, not before.
    PickAt(client_.left + 200, client_.top + 150);
    ExpectLastRect(client_);
    EXPECT_TRUE(Striped(200 + 4, 150 + 4));
    EXPECT_TRUE(Striped(200 + 28, 150 + 20));
    EXPECT_EQ(ImagePixel(198, 150), kFrameColour);  // left of the hot spot
    EXPECT_EQ(ImagePixel(200 + 40, 150 + 4), kFrameColour);
}

TEST_F(CursorCaptureTest, CursorAtTheRightEdgeIsClipped) {
    const int cw = client_.right - client_.left;
    PickAt(client_.right - 10, client_.top + 150);
    ExpectLastRect(client_);
    ASSERT_EQ(ImageWidth(), cw);
    EXPECT_TRUE(Striped(cw - 10, 154));
    EXPECT_TRUE(Striped(cw - 1, 154));
    EXPECT_EQ(ImagePixel(cw - 12, 154), kFrameColour);
}

}  // namespace
}  // namespace gmbx
