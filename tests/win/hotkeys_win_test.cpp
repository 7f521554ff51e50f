// Hotkey registration and the menus that show the keys, on a main window
// built inside the test process.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <thread>

#include "capture/hotkeys.h"
#include "capture/settings.h"
#include "capture/win/hotkeys_win.h"
#include "capture/win/mainframe.h"
#include "klib/win/frame.h"
#include "res/resource.h"
#include "tests/win/box_closer.h"
#include "tests/win/main_frame_fixture.h"

namespace gmbx {
namespace {

std::string MenuText(HMENU menu, UINT id) {
    char buf[200] = "";
    GetMenuStringA(menu, id, buf, sizeof buf, MF_BYCOMMAND);
    return buf;
}

class HotkeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(testutil::OpenTestMainFrame(1));
    }
    static void TearDownTestSuite() { testutil::CloseTestMainFrame(); }
    void SetUp() override {
        CopyDefaults(g_hotkeys);
        g_hotkeys.capturesAllowed = 1;
        g_hotkeys.handlePrintScreen = 0;
        ApplyHotkeys(false);
    }
};

TEST_F(HotkeysTest, MenusShowTheKeysOfActiveRows) {
    HMENU menu = MainMenu();
    EXPECT_EQ(MenuText(menu, ID_CAPTURE_DESKTOP).substr(MenuText(menu, ID_CAPTURE_DESKTOP).find('\t')),
              "\tCtrl+Shift+F");
    std::string region = MenuText(menu, ID_CAPTURE_REGION);
    EXPECT_EQ(region.substr(region.find('\t') + 1), "Ctrl+Shift+R");
    // The game key is inactive without game capture: no key text, unchecked.
    EXPECT_EQ(MenuText(menu, ID_GAME_CAPTURE).find('\t'), std::string::npos);
    EXPECT_FALSE(GetMenuState(menu, ID_GAME_CAPTURE, MF_BYCOMMAND) & MF_CHECKED);

    HMENU sys = GetSystemMenu(MainFrame(), FALSE);
    std::string desktop = MenuText(sys, 0xE110);
    EXPECT_NE(desktop.find("\t Ctrl+Shift+F"), std::string::npos) << desktop;
    EXPECT_NE(MenuText(sys, 0xE180), "");
    // The capture items stand before Close.
    int count = GetMenuItemCount(sys);
    int close = -1, first = -1;
    for (int i = 0; i < count; ++i) {
        UINT id = GetMenuItemID(sys, i);
        if (id == SC_CLOSE) close = i;
        if (id == 0xE110) first = i;
    }
    EXPECT_LT(first, close);
}

TEST_F(HotkeysTest, KeyHeldElsewhereIsListedAndLosesItsText) {
    // Another window of this process holds Ctrl+Shift+W first.
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    UnregisterAllHotkeys();
    ASSERT_TRUE(RegisterHotKey(other, 77, kHotkeyModCtrl | kHotkeyModShift, 'W'));
    testutil::BoxCloser boxes;
    ApplyHotkeys(false);
    auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("\"Ctrl+Shift+W\""), std::string::npos) << texts[0];
    EXPECT_EQ(g_hotkeys.table[kRowWindow].active, 0);
    EXPECT_EQ(g_hotkeys.table[kRowDesktop].active, 1);
    EXPECT_EQ(MenuText(MainMenu(), ID_CAPTURE_WINDOW).find('\t'), std::string::npos);
    UnregisterHotKey(other, 77);
    DestroyWindow(other);
}

TEST_F(HotkeysTest, DisabledHotkeysRegisterNothingAndShowNoKeys) {
    UnregisterAllHotkeys();
    g_hotkeys.capturesAllowed = 0;
    ApplyHotkeys(false);
    // Nothing held: another window can take every key.
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(RegisterHotKey(other, 1, kHotkeyModCtrl | kHotkeyModShift, 'F'));
    UnregisterHotKey(other, 1);
    DestroyWindow(other);
    std::string desktop = MenuText(MainMenu(), ID_CAPTURE_DESKTOP);
    EXPECT_EQ(desktop.substr(desktop.find('\t') + 1), "");
}

TEST_F(HotkeysTest, ClearedKeysRegisterNothingAndShowNoBox) {
    for (auto& e : g_hotkeys.table) {
        e.key = 0;
        e.modifiers = 0;
    }
    testutil::BoxCloser boxes;
    ApplyHotkeys(false);
    EXPECT_TRUE(boxes.Texts().empty());
    for (int row = 0; row <= kRowRepeat; ++row) EXPECT_EQ(g_hotkeys.table[row].active, 1);
}

TEST_F(HotkeysTest, SixFailuresShowNoBoxFiveShowOne) {
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    UnregisterAllHotkeys();
    for (int row = 0; row <= kRowRepeat; ++row)
        ASSERT_TRUE(RegisterHotKey(other, 100 + row, g_hotkeys.table[row].modifiers, g_hotkeys.table[row].key));
    {
        testutil::BoxCloser boxes;
        ApplyHotkeys(false);
        Sleep(200);
        EXPECT_TRUE(boxes.Texts().empty());
    }
    UnregisterHotKey(other, 100 + kRowRepeat);
    {
        testutil::BoxCloser boxes;
        ApplyHotkeys(false);
        auto texts = boxes.Texts();
        ASSERT_EQ(texts.size(), 1u);
        size_t lines = 0;
        for (char c : texts[0]) lines += c == '\t';
        EXPECT_EQ(lines, 5u);
    }
    for (int row = 0; row <= kRowRepeat; ++row) UnregisterHotKey(other, 100 + row);
    DestroyWindow(other);
}

}  // namespace
}  // namespace gmbx

namespace gmbx {
namespace {

// Finds a visible dialog of this process with the given title.
HWND FindDialog(const char* title, DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        HWND w = FindWindowA("#32770", title);
        if (w && IsWindowVisible(w)) return w;
        Sleep(30);
    }
    return nullptr;
}

std::string ItemText(HWND d, int id) {
    char buf[100] = "";
    GetDlgItemTextA(d, id, buf, sizeof buf);
    return buf;
}

void Click(HWND d, int id) { SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(d, id)); }

TEST_F(HotkeysTest, DialogEditsClearsUndoesAndApplies) {
    std::string noKey = klib::LoadResString(IDS_NO_KEY);
    std::string seen[4];
    std::thread user([&] {
        HWND d = FindDialog("Hotkeys", 10000);
        if (!d) return;
        seen[0] = ItemText(d, IDC_HOTKEY_ROW_FIRST + kRowWindow);
        Click(d, IDC_HOTKEYS_CLEAR);
        seen[1] = ItemText(d, IDC_HOTKEY_ROW_FIRST + kRowWindow);
        Click(d, IDC_HOTKEYS_UNDO);
        seen[2] = ItemText(d, IDC_HOTKEY_ROW_FIRST + kRowWindow);
        // Change the window row to Ctrl+Alt+Q in the edit box.
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_HOTKEY_ROW_FIRST + kRowWindow, BN_CLICKED), 0);
        HWND e = FindDialog("Change Hotkey", 10000);
        if (!e) return;
        HWND ctl = GetDlgItem(e, IDC_HOTKEY_CONTROL);
        LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA('Q', MAPVK_VK_TO_VSC)) << 16 | 1;
        SendMessageA(ctl, WM_KEYDOWN, 'Q', scan);
        SendMessageA(ctl, HKM_SETHOTKEY, MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
        Click(e, IDOK);
        for (int i = 0; i < 100 && IsWindow(e); ++i) Sleep(20);
        seen[3] = ItemText(d, IDC_HOTKEY_ROW_FIRST + kRowWindow);
        Click(d, IDC_HOTKEYS_APPLY);
    });
    ShowHotkeyDialog();
    user.join();
    EXPECT_EQ(seen[0], "Ctrl+Shift+W");
    EXPECT_EQ(seen[1], noKey);
    EXPECT_EQ(seen[2], "Ctrl+Shift+W");
    EXPECT_EQ(seen[3], "Ctrl+Alt+Q");
    EXPECT_EQ(g_hotkeys.table[kRowWindow].key, static_cast<uint32_t>('Q'));
    EXPECT_EQ(g_hotkeys.table[kRowWindow].modifiers, kHotkeyModCtrl | kHotkeyModAlt);
    EXPECT_EQ(g_hotkeys.capturesAllowed, 1);
    // The new key is in force.
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(RegisterHotKey(other, 5, MOD_CONTROL | MOD_ALT, 'Q'));
    DestroyWindow(other);
}

TEST_F(HotkeysTest, CancelPutsTheKeysBackAndRegistersThemAgain) {
    std::thread user([&] {
        HWND d = FindDialog("Hotkeys", 10000);
        if (!d) return;
        Click(d, IDC_HOTKEYS_CLEAR);
        Click(d, IDCANCEL);
    });
    ShowHotkeyDialog();
    user.join();
    EXPECT_STREQ(g_hotkeys.table[kRowDesktop].description, "Ctrl+Shift+F");
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(RegisterHotKey(other, 6, MOD_CONTROL | MOD_SHIFT, 'F'));
    DestroyWindow(other);
}

}  // namespace
}  // namespace gmbx

namespace gmbx {
namespace {

// Whether another window can take the key (it is not held by the program).
bool KeyIsFree(UINT mods, UINT vk) {
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    bool free = RegisterHotKey(other, 9, mods, vk) != 0;
    if (free) UnregisterHotKey(other, 9);
    DestroyWindow(other);
    return free;
}

TEST_F(HotkeysTest, PrintScreenIsTakenOnlyWithTheFlagAndNoGameKey) {
    UnregisterAllHotkeys();
    g_hotkeys.handlePrintScreen = 1;
    ApplyHotkeys(false);
    EXPECT_FALSE(KeyIsFree(0, VK_SNAPSHOT));
    EXPECT_FALSE(KeyIsFree(MOD_ALT, VK_SNAPSHOT));

    UnregisterAllHotkeys();
    g_hotkeys.table[kRowGame].active = 1;  // game capture answers Print Screen itself
    ApplyHotkeys(false);
    EXPECT_TRUE(KeyIsFree(0, VK_SNAPSHOT));
    EXPECT_TRUE(GetMenuState(MainMenu(), ID_GAME_CAPTURE, MF_BYCOMMAND) & MF_CHECKED);

    UnregisterAllHotkeys();
    g_hotkeys.table[kRowGame].active = 0;
    g_hotkeys.handlePrintScreen = 0;
    ApplyHotkeys(false);
    EXPECT_TRUE(KeyIsFree(0, VK_SNAPSHOT));
}

}  // namespace
}  // namespace gmbx
