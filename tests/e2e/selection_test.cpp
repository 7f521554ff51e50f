// End-to-end: -snap:region and -snap:window with the real gmbx.exe, the
// user's pointer and keys played with SendInput.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imageio/dib.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/e2e/registry_read.h"
#include "tests/testutil/solidwindow.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;

constexpr COLORREF kBackdrop = RGB(70, 120, 220);
constexpr COLORREF kClient = RGB(230, 200, 20);

// A backdrop in one colour with a captioned window inside it, as the user's
// desktop. Without a window manager it is not quite full-screen; with one it
// covers the screen, so that the window manager handles it as it does a
// desktop's windows (a window it does not handle would lie above all).
class Desktop {
public:
    Desktop() {
        int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        backdrop_ = testutil::SolidWindow(WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, w, WindowManagerRuns() ? h : h - 1,
                                          kBackdrop);
        window_ = testutil::SolidWindow(WS_CHILD | WS_CAPTION | WS_SYSMENU, 0, 500, 300, 300, 200, kClient, backdrop_);
        PumpFor(300);
    }
    ~Desktop() { DestroyWindow(backdrop_); }
    HWND Window() const { return window_; }

private:
    HWND backdrop_ = nullptr, window_ = nullptr;
};

// With a window manager the pointer moves and clicks go through the X
// server, so that they reach whatever window is really on top.
void MoveTo(int x, int y) {
    if (WindowManagerRuns()) {
        Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
        PumpFor(120);
        return;
    }
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = (x * 65536 + w - 1) / w;
    in.mi.dy = (y * 65536 + h - 1) / h;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
    PumpFor(120);
    POINT p;
    GetCursorPos(&p);
    if (p.x != x || p.y != y) {
        SetCursorPos(x, y);
        PumpFor(120);
    }
}

void Click() {
    if (WindowManagerRuns()) {
        Xdotool("click 1");
        PumpFor(150);
        return;
    }
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof in[0]);
    PumpFor(150);
}

COLORREF DibPixel(const Dib& dib, int x, int y) {
    const uint8_t* p = dib.bits + size_t(dib.Height() - 1 - y) * dib.stride + x * 3;
    return RGB(p[2], p[1], p[0]);
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

// Waits for the selection overlay and, as a user would, lets it settle
// before moving the pointer: input that comes while the program is still
// putting it up may reach it before the selection listens.
bool WaitForOverlay(GmbxProcess& p) {
    if (!p.WaitForWindow("klib_drag_window", 15000)) return false;
    PumpFor(300);
    return true;
}

TEST(SnapSelection, RegionDraggedWithTheMouseIsSaved) {
    Desktop desktop;
    TempDir dir;
    std::string out = dir.File("region.bmp");
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "-snap:region -save " + Quote(out));
    ASSERT_TRUE(WaitForOverlay(p));
    MoveTo(100, 120);
    Click();
    MoveTo(160, 170);
    MoveTo(229, 199);
    Click();
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty());
    std::unique_ptr<Dib> dibFile = LoadBMP(out.c_str());
    ASSERT_TRUE(dibFile);
    const Dib& dib = *dibFile;
    EXPECT_EQ(dib.Width(), 130);
    EXPECT_EQ(dib.Height(), 80);
    // The screen as it was: no band, label or help panel in it.
    int wrong = 0;
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            if (DibPixel(dib, x, y) != kBackdrop) ++wrong;
    EXPECT_EQ(wrong, 0);
}

// Esc cancels: in either phase of a region drag, and a window pick.
TEST(SnapSelection, CancelledSelectionExitsOneAndWritesNothing) {
    struct Case {
        const char* snap;
        int clicksBefore;
    } cases[] = {{"-snap:region", 0}, {"-snap:region", 1}, {"-snap:window", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.snap) + " after " + std::to_string(c.clicksBefore) + " clicks");
        TempDir dir;
        std::string out = dir.File("cancelled.bmp");
        GmbxProcess p(BuildDir() + "\\gmbx.exe", std::string(c.snap) + " -save " + Quote(out));
        ASSERT_TRUE(WaitForOverlay(p));
        MoveTo(300, 300);
        for (int i = 0; i < c.clicksBefore; ++i) Click();
        MoveTo(340, 330);
        PressKey(VK_ESCAPE);
        RunResult r = p.Wait(20000);
        EXPECT_EQ(r.exitCode, 1u);
        EXPECT_TRUE(r.boxes.empty());
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// The keys of the region drag reach the overlay: Enter fixes the crosshair,
// arrows move the second corner, F1 changes the help panel, Enter ends.
TEST(SnapSelection, RegionSelectedWithTheKeys) {
    Desktop desktop;
    TempDir dir;
    std::string out = dir.File("keys.bmp");
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "-snap:region -save " + Quote(out));
    ASSERT_TRUE(WaitForOverlay(p));
    MoveTo(100, 120);
    for (WORD key : {VK_RETURN, VK_F1, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_F1, VK_RETURN}) {
        PressKey(key);
        PumpFor(150);
    }
    RunResult r = p.Wait(20000);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    std::unique_ptr<Dib> dib = LoadBMP(out.c_str());
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->Width(), 4);
    EXPECT_EQ(dib->Height(), 3);
}

TEST(SnapSelection, PickedWindowGivesItsClientArea) {
    Desktop desktop;
    RECT client;
    GetClientRect(desktop.Window(), &client);
    MapWindowPoints(desktop.Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    TempDir dir;
    std::string out = dir.File("window.bmp");
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "-snap:window -save " + Quote(out));
    ASSERT_TRUE(WaitForOverlay(p));
    MoveTo(client.left + 40, client.top + 30);
    Click();
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    std::unique_ptr<Dib> dibFile = LoadBMP(out.c_str());
    ASSERT_TRUE(dibFile);
    const Dib& dib = *dibFile;
    EXPECT_EQ(dib.Width(), client.right - client.left);
    EXPECT_EQ(dib.Height(), client.bottom - client.top);
    // The blinking outline is gone from the picture.
    EXPECT_EQ(DibPixel(dib, 2, 2), kClient);
    EXPECT_EQ(DibPixel(dib, dib.Width() / 2, dib.Height() / 2), kClient);
}

// The running program's main window once its region hotkey has put up the
// overlay (the main window goes, the overlay comes); null if it did not.
HWND StartRegionWithTheHotkey(GmbxProcess& p) {
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    if (!frame) return nullptr;
    PumpFor(300);
    PressCtrlShift('R');
    return WaitForOverlay(p) ? frame : nullptr;
}

TEST(SnapSelection, RegionHotkeyInTheRunningProgram) {
    Desktop desktop;
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = StartRegionWithTheHotkey(p);
    ASSERT_NE(frame, nullptr);
    MoveTo(200, 150);
    Click();
    MoveTo(299, 199);
    Click();
    EXPECT_TRUE(WaitForTitle(frame, "100 50)", 15000)) << WindowText(frame);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
}

// The window hotkey in the running program: the optional hook library that
// lies beside the program is called around the pick, with its own handle.
TEST(SnapSelection, WindowHotkeyPicksWithTheHookLibraryAround) {
    Desktop desktop;
    RECT client;
    GetClientRect(desktop.Window(), &client);
    MapWindowPoints(desktop.Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    TempDir dir;
    for (const char* file : {"gmbx.exe", "GmbxRes.dll", "Dibkit.dll"})
        ASSERT_TRUE(CopyFileA((BuildDir() + "\\" + file).c_str(), dir.File(file).c_str(), FALSE)) << file;
    ASSERT_TRUE(CopyFileA((BuildDir() + "\\doubles\\OldHook2.dll").c_str(), dir.File("OldHook2.dll").c_str(), FALSE));
    const std::string log = dir.File("hook.log");
    SetEnvironmentVariableA("GMBX_OLDHOOK_LOG", log.c_str());
    GmbxProcess p(dir.File("gmbx.exe"), "", dir.Path().string());
    SetEnvironmentVariableA("GMBX_OLDHOOK_LOG", nullptr);
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    PumpFor(300);
    PressCtrlShift('W');
    ASSERT_TRUE(WaitForOverlay(p));
    MoveTo(client.left + 40, client.top + 30);
    Click();
    const std::string size =
        std::to_string(client.right - client.left) + " " + std::to_string(client.bottom - client.top) + ")";
    EXPECT_TRUE(WaitForTitle(frame, size, 15000)) << WindowText(frame) << " (expected " << size << ")";
    std::vector<uint8_t> calls = testutil::ReadFileBytes(log);
    EXPECT_EQ(std::string(calls.begin(), calls.end()), "install self\nrelease\n");
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
}

// A window of the help viewer's class: WinHelp hands it its commands.
class HelpViewerStandIn {
public:
    HelpViewerStandIn() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MS_WINHELP";
        RegisterClassA(&wc);
        commands_.clear();
        window_ = CreateWindowA("MS_WINHELP", "", 0, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~HelpViewerStandIn() { DestroyWindow(window_); }
    const std::vector<WORD>& Commands() const { return commands_; }

private:
    // What WinHelp sends: the command behind a size word.
    struct Request {
        WORD size, command;
    };
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_COPYDATA) {
            auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
            if (cds->cbData >= sizeof(Request)) commands_.push_back(static_cast<Request*>(cds->lpData)->command);
            return TRUE;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    static std::vector<WORD> commands_;
    HWND window_ = nullptr;
};
std::vector<WORD> HelpViewerStandIn::commands_;

// Closing the window or ending the session while a region is dragged does
// nothing; the real exit writes the settings and closes the help.
TEST(SnapSelection, ExitWaitsForTheSelectionAndClosesTheHelp) {
    const char kWindowKey[] = "SOFTWARE\\Vantrel\\Glimmerbox\\Window";
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    HelpViewerStandIn help;
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = StartRegionWithTheHotkey(p);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    DWORD_PTR agreed = 0;
    EXPECT_TRUE(SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &agreed));
    EXPECT_EQ(agreed, TRUE);
    PumpFor(1000);
    EXPECT_TRUE(p.Running());
    EXPECT_NE(p.WaitForWindow("klib_drag_window", 100), nullptr);
    DWORD width = 0;
    EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "WinWidth", &width));
    EXPECT_TRUE(help.Commands().empty());

    PressKey(VK_ESCAPE);
    for (int i = 0; i < 100 && !IsWindowVisible(frame); ++i) PumpFor(100);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "WinWidth", &width));
    EXPECT_EQ(help.Commands(), std::vector<WORD>{HELP_QUIT});
}

}  // namespace
}  // namespace gmbx::e2e
