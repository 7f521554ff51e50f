// End-to-end: the main window with an opened file and a capture from its
// menu.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "imageio/dib.h"
#include "res/resource.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;

std::string SizeText(int w, int h) { return std::to_string(w) + " " + std::to_string(h) + ")"; }

// A 40x30 picture in the folder.
std::string WritePicture(const TempDir& dir) {
    Dib dib;
    EXPECT_TRUE(dib.Create(40, 30, 16777216));
    for (int i = 0; i < 40 * 3; ++i) dib.bits[i] = static_cast<uint8_t>(i * 2);
    std::string file = dir.File("picture.bmp");
    EXPECT_TRUE(dib.WriteBMP(file.c_str()));
    return file;
}

// The main window of gmbx.exe started on that 40x30 picture, once the
// picture shows; null when it does not.
HWND WaitForPicture(GmbxProcess& p) {
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    if (frame && !WaitForTitle(frame, SizeText(40, 30), 10000, &p)) {
        ADD_FAILURE() << WindowText(frame);
        return nullptr;
    }
    return frame;
}

// The window of that class the process shows, if any.
bool Shows(const GmbxProcess& p, const char* cls) {
    HWND w = FindWindowA(cls, nullptr);
    DWORD pid = 0;
    if (w) GetWindowThreadProcessId(w, &pid);
    return w && pid == p.Pid() && IsWindowVisible(w);
}

TEST(MainWindow, ShowsAnOpenedFileAndADesktopCapture) {
    TempDir dir;
    std::string file = WritePicture(dir);

    GmbxProcess p(BuildDir() + "\\gmbx.exe", "\"" + file + "\"", dir.Path().string());
    HWND frame = WaitForPicture(p);
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(WindowText(frame).find("picture.bmp"), std::string::npos) << WindowText(frame);
    EXPECT_NE(GetMenu(frame), nullptr);

    // Capture the desktop from the menu: the window hides, then comes back
    // with the whole screen in it.
    // The pointer stays off the window, or the title shows its position.
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    SetCursorPos(sw - 1, sh - 1);
    PostMessageA(frame, WM_COMMAND, ID_CAPTURE_DESKTOP, 0);
    EXPECT_TRUE(WaitForTitle(frame, SizeText(sw, sh), 15000, &p)) << WindowText(frame);
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_EQ(WindowText(frame).find("picture.bmp"), std::string::npos) << WindowText(frame);

    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty());
}

// File > Open and File > Save As show the system's file dialogs: a picture
// chosen in the one opens, a name given in the other is written.
TEST(MainWindow, OpenAndSaveAsGoThroughTheFileDialogs) {
    TempDir dir;
    std::string file = WritePicture(dir);
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    // The name typed into the dialog's file name field, then OK.
    auto answerDialog = [&p](const std::string& name) {
        HWND dialog = p.WaitForWindow("#32770", 15000);
        if (!dialog) return false;
        HWND field = GetDlgItem(dialog, 1152);  // the file name edit
        if (!field) field = GetDlgItem(dialog, 1148);  // or its combo box
        if (!field) return false;
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return true;
    };
    PostMessageA(frame, WM_COMMAND, ID_FILE_OPEN, 0);
    ASSERT_TRUE(answerDialog(file));
    ASSERT_TRUE(WaitForTitle(frame, "picture.bmp", 10000, &p)) << WindowText(frame);

    const std::string copy = dir.File("copy.bmp");
    PostMessageA(frame, WM_COMMAND, ID_FILE_SAVE_AS, 0);
    ASSERT_TRUE(answerDialog(copy));
    EXPECT_TRUE(WaitForTitle(frame, "copy.bmp", 10000, &p)) << WindowText(frame);
    std::unique_ptr<Dib> written = LoadBMP(copy.c_str());
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Width(), 40);
    EXPECT_EQ(std::abs(written->Height()), 30);

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(p.Wait(20000).timedOut);
}

// Del is Edit > Clear; the system menu's item with the same number
// captures a window.
TEST(MainWindow, DeleteClearsThePictureAndTheSystemMenuPicksAWindow) {
    TempDir dir;
    std::string file = WritePicture(dir);
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "\"" + file + "\"", dir.Path().string());
    HWND frame = WaitForPicture(p);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_KEYDOWN, VK_DELETE, 0x01530001);
    PostMessageA(frame, WM_KEYUP, VK_DELETE, 0xC1530001);
    PumpFor(1500);
    EXPECT_FALSE(Shows(p, "klib_drag_window"));
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_EQ(WindowText(frame), "Glimmerbox");
    PressKey(VK_ESCAPE);  // ends a pick that should not have started

    // The system menu's window capture: the pick starts; Esc cancels it.
    ASSERT_TRUE(WaitForTitle(frame, "Glimmerbox", 10000, &p));
    PostMessageA(frame, WM_SYSCOMMAND, 0xE120, 0);
    EXPECT_NE(p.WaitForWindow("klib_drag_window", 15000), nullptr);
    PumpFor(300);
    PressKey(VK_ESCAPE);
    for (int i = 0; i < 100 && !IsWindowVisible(frame); ++i) PumpFor(100);
    EXPECT_TRUE(IsWindowVisible(frame));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
}

// Commands answered with a message: the add-on's tools without the add-on.
TEST(MainWindow, CommandsAnsweredWithAMessage) {
    struct Case {
        UINT command;
        UINT text;
    } cases[] = {{ID_NEED_ADDON, IDS_NO_ADDON}};
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    for (const Case& c : cases) {
        size_t seen = p.Boxes().size();
        PostMessageA(frame, WM_COMMAND, c.command, 0);
        ASSERT_TRUE(p.WaitForBoxes(seen + 1, 10000)) << c.command;
        EXPECT_EQ(p.Boxes()[seen].text, ResourceText(c.text)) << c.command;
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.Wait(20000).exitCode, 0u);
}

// The tray setting while there is no tray icon: minimising and Copy (with
// minimise-on-copy) leave the window minimised, not hidden, and closing
// closes.
TEST(MainWindow, TraySettingWithoutAnIconNeverHidesTheWindow) {
    for (DWORD tray : {1u, 2u}) {
        SCOPED_TRACE(tray);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox\\Window", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        DWORD one = 1;
        RegSetValueExA(key, "WantTrayIcon", 0, REG_DWORD, reinterpret_cast<BYTE*>(&tray), sizeof tray);
        RegSetValueExA(key, "ClipMinOnCopy", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
        RegCloseKey(key);
        TempDir dir;
        std::string file = WritePicture(dir);
        GmbxProcess p(BuildDir() + "\\gmbx.exe", "\"" + file + "\"", dir.Path().string());
        HWND frame = WaitForPicture(p);
        ASSERT_NE(frame, nullptr);
        for (auto minimise : {std::make_pair(WM_SYSCOMMAND, WPARAM(SC_MINIMIZE)),
                              std::make_pair(WM_COMMAND, WPARAM(ID_EDIT_COPY))}) {
            PostMessageA(frame, minimise.first, minimise.second, 0);
            for (int i = 0; i < 50 && !IsIconic(frame); ++i) PumpFor(100);
            PumpFor(300);
            EXPECT_TRUE(IsIconic(frame)) << minimise.second;
            EXPECT_TRUE(IsWindowVisible(frame)) << minimise.second;
            PostMessageA(frame, WM_SYSCOMMAND, SC_RESTORE, 0);
            for (int i = 0; i < 50 && IsIconic(frame); ++i) PumpFor(100);
        }
        PostMessageA(frame, WM_CLOSE, 0, 0);
        RunResult r = p.Wait(20000);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0u);
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    }
}

// The status bar reads "Ready", and the prompt of the menu item that is
// highlighted while a menu is open.
TEST(MainWindow, StatusBarShowsTheMenuPrompts) {
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    HWND status = FindWindowExA(frame, nullptr, "msctls_statusbar32", nullptr);
    ASSERT_NE(status, nullptr);
    auto text = [status] {
        char buf[256] = "";
        SendMessageTimeoutA(status, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                            nullptr);
        return std::string(buf);
    };
    auto prompt = [](UINT id) {
        std::string s = ResourceText(id);
        return s.substr(0, s.find('\n'));
    };
    EXPECT_EQ(text(), "Ready");
    // Alt+E opens the Edit menu on its first item; Down goes to the next.
    PostMessageA(frame, WM_SYSCOMMAND, SC_KEYMENU, 'e');
    for (int i = 0; i < 50 && text() != prompt(ID_EDIT_UNDO); ++i) PumpFor(100);
    EXPECT_EQ(text(), prompt(ID_EDIT_UNDO));
    PostMessageA(frame, WM_KEYDOWN, VK_DOWN, 0);
    for (int i = 0; i < 50 && text() != prompt(ID_EDIT_COPY); ++i) PumpFor(100);
    EXPECT_EQ(text(), prompt(ID_EDIT_COPY));
    PostMessageA(frame, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(frame, WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 50 && text() != "Ready"; ++i) PumpFor(100);
    EXPECT_EQ(text(), "Ready");
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.Wait(20000).exitCode, 0u);
}

// Pixels of a screen rectangle that have the colour.
int CountOnScreen(const RECT& r, COLORREF colour) {
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bm);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    int n = 0;
    const auto* px = static_cast<const uint32_t*>(bits);
    const uint32_t want = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int i = 0; i < w * h; ++i)
        if ((px[i] & 0xFFFFFF) == want) ++n;
    SelectObject(mem, old);
    DeleteObject(bm);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return n;
}

// The tool bar: Save, Copy and Print follow whether there is a picture at
// once; it is drawn in the button face, its icons without their cell
// background; the window is wholly painted again after minimise and restore.
TEST(MainWindow, ToolBarFollowsThePictureAndIsPaintedWhole) {
    TempDir dir;
    std::string file = WritePicture(dir);
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    HWND toolbar = FindWindowExA(frame, nullptr, "ToolbarWindow32", nullptr);
    ASSERT_NE(toolbar, nullptr);
    auto enabled = [toolbar] {
        std::string states;
        for (UINT id : {ID_FILE_SAVE_AS, ID_EDIT_COPY, ID_FILE_PRINT})
            states += SendMessageA(toolbar, TB_ISBUTTONENABLED, id, 0) ? '1' : '0';
        return states;
    };
    PumpFor(500);
    EXPECT_EQ(enabled(), "000");
    // A picture from the clipboard, then Clear.
    std::unique_ptr<Dib> dib = LoadBMP(file.c_str());
    ASSERT_TRUE(dib);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(dib->totalSize));
    std::memcpy(GlobalLock(block), dib->bih, static_cast<size_t>(dib->totalSize));
    GlobalUnlock(block);
    SetClipboardData(CF_DIB, block);
    CloseClipboard();
    PostMessageA(frame, WM_COMMAND, ID_EDIT_PASTE, 0);
    ASSERT_TRUE(WaitForTitle(frame, SizeText(40, 30), 10000, &p)) << WindowText(frame);
    EXPECT_EQ(enabled(), "111");
    PostMessageA(frame, WM_COMMAND, ID_EDIT_CLEAR, 0);
    for (int i = 0; i < 50 && WindowText(frame) != "Glimmerbox"; ++i) PumpFor(100);
    EXPECT_EQ(enabled(), "000");

    // Nothing black in the client area, no cell background in the tool bar,
    // also after a minimise and restore.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        if (round == 1) {
            PostMessageA(frame, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            for (int i = 0; i < 50 && !IsIconic(frame); ++i) PumpFor(100);
            PostMessageA(frame, WM_SYSCOMMAND, SC_RESTORE, 0);
            for (int i = 0; i < 50 && IsIconic(frame); ++i) PumpFor(100);
        }
        // The pointer off the window: no button is hot.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        PumpFor(700);
        RECT client;
        GetClientRect(frame, &client);
        MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&client), 2);
        RECT bar;
        GetWindowRect(toolbar, &bar);
        RECT icons = bar;
        icons.right = icons.left + 360;  // the buttons
        RECT rest = client;
        rest.left = icons.right;
        EXPECT_EQ(CountOnScreen(rest, RGB(0, 0, 0)), 0);
        RECT below = client, status;
        GetWindowRect(FindWindowExA(frame, nullptr, "msctls_statusbar32", nullptr), &status);
        below.top = bar.bottom;
        below.bottom = status.top;  // its text is black
        EXPECT_EQ(CountOnScreen(below, RGB(0, 0, 0)), 0);
        if (GetSysColor(COLOR_BTNFACE) != RGB(192, 192, 192)) {
            EXPECT_EQ(CountOnScreen(icons, RGB(192, 192, 192)), 0);
        }
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.Wait(20000).exitCode, 0u);
}

TEST(MainWindow, HiddenRunNeverShowsTheWindow) {
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "-hidden");
    EXPECT_EQ(p.WaitForWindow("GmbxFrame", 3000), nullptr);
    // Still running, invisible: end it through its frame.
    HWND frame = FindWindowA("GmbxFrame", nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(IsWindowVisible(frame));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
}

}  // namespace
}  // namespace gmbx::e2e

namespace gmbx::e2e {
namespace {

HWND FindChildOfClass(HWND parent, const char* cls) { return FindWindowExA(parent, nullptr, cls, nullptr); }

TEST(DebugWindow, ShowsDiagnosticsAndTheExitCodeAndWaitsToBeClosed) {
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "-debugwin -snap:w8:h8 -save x.bmp", dir.Path().string());
    HWND debug = p.WaitForWindow("Dgmbx", 20000);
    ASSERT_NE(debug, nullptr);
    EXPECT_EQ(WindowText(debug), "Gmbx32 Debug");
    HWND edit = FindChildOfClass(debug, "Edit");
    ASSERT_NE(edit, nullptr);
    // The program has done its work and now waits for the window to close.
    std::string text;
    for (int i = 0; i < 200 && text.find("exited") == std::string::npos; ++i) {
        PumpFor(50);
        char buf[4096] = "";
        SendMessageA(edit, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        text = buf;
    }
    EXPECT_NE(text.find("Static Colors\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("gmbx.exe exited, code = 0\r\n"), std::string::npos) << text;
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "x.bmp"));
    PumpFor(300);
    EXPECT_TRUE(p.Running());
    PostMessageA(debug, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
}

}  // namespace
}  // namespace gmbx::e2e

namespace gmbx::e2e {
namespace {

TEST(Hotkeys, CtrlShiftFCapturesTheDesktop) {
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    SetCursorPos(sw - 1, sh - 1);
    PumpFor(300);
    PressCtrlShift('F');
    EXPECT_TRUE(WaitForTitle(frame, SizeText(sw, sh), 15000, &p)) << WindowText(frame);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
}

}  // namespace
}  // namespace gmbx::e2e

namespace gmbx::e2e {
namespace {

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND PlainWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "GmbxTestKeyHolder";
    RegisterClassA(&wc);
    return CreateWindowA("GmbxTestKeyHolder", "", 0, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
}

TEST(Hotkeys, AKeyAnotherProgramHoldsIsReported) {
    HWND holder = PlainWindow();
    ASSERT_TRUE(RegisterHotKey(holder, 1, MOD_CONTROL | MOD_SHIFT, 'W'));
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(p.WaitForBoxes(1, 10000));
    EXPECT_NE(p.Boxes()[0].text.find("\"Ctrl+Shift+W\""), std::string::npos) << p.Boxes()[0].text;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.Wait(20000).exitCode, 0u);
    UnregisterHotKey(holder, 1);
    DestroyWindow(holder);
}

TEST(Hotkeys, DisabledInTheRegistryTheKeysDoNothing) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox\\Keys", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD one = 1;
    RegSetValueExA(key, "Disable All Keys", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    std::string before = WindowText(frame);
    PressCtrlShift('F');
    PumpFor(2500);
    EXPECT_EQ(WindowText(frame), before);
    EXPECT_TRUE(IsWindowVisible(frame));
    // Nothing held: this process can take the key itself.
    HWND holder = PlainWindow();
    EXPECT_TRUE(RegisterHotKey(holder, 2, MOD_CONTROL | MOD_SHIFT, 'F'));
    UnregisterHotKey(holder, 2);
    DestroyWindow(holder);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.Wait(20000).exitCode, 0u);
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
}

}  // namespace
}  // namespace gmbx::e2e
