// Checks of GmbxRes.dll as the program uses it: texts and their printf
// arguments, the menu layout that the program relies on, accelerators,
// icon, tool bar and the About box. Run under Wine next to GmbxRes.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "res/toolbar.h"

namespace {

class GmbxResTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lib_ = LoadLibraryA("GmbxRes.dll"); }
    static void TearDownTestSuite() {
        if (lib_ != nullptr) FreeLibrary(lib_);
        lib_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(lib_, nullptr) << "GmbxRes.dll not found beside the test"; }

    static std::string Str(UINT id) {
        char buf[1024] = "";
        int n = LoadStringA(lib_, id, buf, sizeof buf);
        return std::string(buf, n > 0 ? size_t(n) : 0);
    }

    static HMODULE lib_;
};
HMODULE GmbxResTest::lib_ = nullptr;

// printf conversions of a text, e.g. "sd" for "%s ... %d"; "%%" is skipped.
std::string Conversions(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') continue;
        ++i;
        if (i < s.size() && s[i] == '%') continue;
        while (i < s.size() && std::string("-+ #0123456789.lh").find(s[i]) != std::string::npos) ++i;
        if (i < s.size()) out += s[i];
    }
    return out;
}

std::string MenuText(HMENU menu, UINT pos) {
    char buf[256] = "";
    GetMenuStringA(menu, pos, buf, sizeof buf, MF_BYPOSITION);
    return buf;
}

std::string WithoutAmpersand(std::string s) {
    std::string out;
    for (char c : s) {
        if (c != '&') out += c;
    }
    return out;
}

// Command ids of a menu and its submenus, with separators as 0 and
// submenus as -1.
void Collect(HMENU menu, std::vector<UINT>* ids) {
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (sub != nullptr) {
            Collect(sub, ids);
        } else {
            ids->push_back(GetMenuItemID(menu, i));
        }
    }
}

// No separator at either end and no two in a row.
bool SeparatorsTidy(HMENU menu) {
    int n = GetMenuItemCount(menu);
    bool lastWasSeparator = true;
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOA mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, i, TRUE, &mi);
        bool sep = (mi.fType & MFT_SEPARATOR) != 0;
        if (sep && lastWasSeparator) return false;
        lastWasSeparator = sep;
    }
    return !lastWasSeparator || n == 0;
}

const UINT kAllCommands[] = {
    ID_CAPTURE_DESKTOP, ID_CAPTURE_WINDOW, ID_CAPTURE_AWIN, ID_CAPTURE_ACLI, ID_CAPTURE_REGION, ID_CAPTURE_REPEAT,
    ID_GAME_CAPTURE,    ID_AUTO_COPY,      ID_AUTO_PRINT,   ID_AUTO_SAVE,    ID_AUTO_SCROLL,    ID_INCLUDE_CURSOR,
    ID_AUTO_RESTORE,    ID_EDIT_CROP,      ID_EDIT_BLANK,   ID_EDIT_BLANK_COLOR, ID_EDIT_RESIZE,  ID_HOTKEYS,
    ID_HIDE_REGION_HELP, ID_TRAY_ICON,     ID_SCROLL_SETTINGS, ID_FULL_SCREEN, ID_PREV_FILE,     ID_NEXT_FILE,
    ID_TOGGLE_MENU_BAR, ID_HELP_INDEX,     ID_HELP_TOPIC,   ID_HELP_TOPIC41, ID_ABOUT,          ID_TRAY_RESTORE,
    ID_EDIT_COLORS,     ID_EDIT_EFFECT,    ID_EDIT_ROTATE,  ID_TWAIN_ACQUIRE, ID_TWAIN_SELECT,  ID_NEED_ADDON,
    ID_PRINT_NOW,       ID_EDIT_ROTATE_DLG, ID_EDIT_BW_SWAP, ID_EDIT_GAMMA_DLG, ID_EDIT_FLIP,   ID_EDIT_MIRROR,
    ID_RESOLUTION,      ID_EDIT_IMAGE_RES, ID_AUTO_CROP_SCALE, ID_FILE_OPEN,  ID_FILE_SAVE_AS,   ID_FILE_PAGE_SETUP,
    ID_FILE_PRINT,      ID_FILE_SEND_MAIL, ID_APP_EXIT,     ID_EDIT_CLEAR,   ID_EDIT_COPY,      ID_EDIT_PASTE,
    ID_EDIT_UNDO,
};

// Commands that the program deletes without the imaging add-on.
const UINT kAddonCommands[] = {ID_EDIT_RESIZE, ID_EDIT_COLORS, ID_EDIT_EFFECT,    ID_EDIT_ROTATE,    ID_TWAIN_ACQUIRE,
                               ID_TWAIN_SELECT, ID_EDIT_ROTATE_DLG, ID_EDIT_FLIP, ID_EDIT_MIRROR};

TEST_F(GmbxResTest, NamesAndFixedTexts) {
    EXPECT_EQ(Str(IDS_DISPLAY_NAME), "Glimmerbox");
    EXPECT_EQ(Str(IDS_APP_TITLE), "Glimmerbox");
    const char* keys[] = {"Ctrl+Shift+F", "Ctrl+Shift+W", "Ctrl+Shift+R", "Ctrl+Shift+A",
                          "Ctrl+Shift+C", "F11",          "Shift+F11",    "Scroll Lock"};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Str(IDS_HOTKEY_DESC_FIRST + i), keys[i]) << i;
    EXPECT_EQ(Str(IDS_PREFIX_SHIFT), "Shift+");
    EXPECT_EQ(Str(IDS_PREFIX_CTRL), "Ctrl+");
    EXPECT_EQ(Str(IDS_PREFIX_ALT), "Alt+");
    EXPECT_FALSE(Str(IDS_NO_KEY).empty());
    EXPECT_EQ(Str(IDS_LIB_FONT_FACE), "MS Sans Serif");
    EXPECT_EQ(Str(IDS_LIB_FONT_CHARSET), "0");
    EXPECT_EQ(Str(IDS_NOT_AVAILABLE), "%s is not available in this version of Glimmerbox.");
    char line[256];
    std::snprintf(line, sizeof line, "%s (%s: %d %d)", "Glimmerbox", Str(IDS_SIZE_LABEL).c_str(), 640, 480);
    EXPECT_STREQ(line, "Glimmerbox (Size: 640 480)");
}

TEST_F(GmbxResTest, EveryTextExistsWithItsArguments) {
    // Id -> the printf conversions it must have (most have none).
    std::map<UINT, std::string> want;
    const UINT plain[] = {14,  15,  16,  17,  18,  19,  20,  21,  24,  28,  35,  39,  40,  41,  42,  43,  44,
                          107, 115, 117, 118, 119, 120, 121, 122, 123, 124, 151, 152, 153, 157, 159, 160, 162,
                          163, 164, 165, 166, 167, 168, 169, 171, 172, 173, 174, 175, 176, 177, 178, 179, 180,
                          181, 182, 183, 184, 185, 186, 187, 188, 189, 191, 193, 194, 197, 198, 199, 200, 203,
                          204, 205, 34610, 34611, 34612, 34613, 34622, 34623, IDS_READY};
    for (UINT id : plain) want[id] = "";
    for (UINT id = 34601; id <= 34608; ++id) want[id] = "";
    for (UINT id = 34614; id <= 34621; ++id) want[id] = "";
    for (UINT id = 34501; id <= IDS_ADDON_ERROR_LAST; ++id) want[id] = "";
    for (UINT id : {22u, 23u, 25u, 156u, 161u, 170u, 195u, 196u, 60000u}) want[id] = "s";
    want[29] = "gs";
    // The automatic-save dialog's refusals and the quick-save failures.
    for (UINT id : {280u, 281u, 282u}) want[id] = "";
    want[283] = "dd";
    want[284] = "s";
    want[206] = "d";
    want[IDS_ADDON_ERROR] = "d";
    // Save As refusals and the mail failure with its reasons.
    for (UINT id : {270u, 271u, 273u}) want[id] = "s";
    want[272] = "d";
    want[263] = "su";
    for (UINT id = 274; id <= 279; ++id) want[id] = "";
    for (const auto& [id, conv] : want) {
        std::string s = Str(id);
        EXPECT_FALSE(s.empty()) << "string " << id;
        EXPECT_EQ(Conversions(s), conv) << "string " << id << ": " << s;
    }
}

TEST_F(GmbxResTest, AddonErrorTextIsOneFormat) {
    char text[512];
    std::string format = Str(IDS_ADDON_ERROR) + Str(IDS_ADDON_ERROR + 2);
    std::snprintf(text, sizeof text, format.c_str(), -2);
    EXPECT_NE(std::string(text).find("-2"), std::string::npos) << text;
}

TEST_F(GmbxResTest, UninstallLinesAreSafeForEcho) {
    for (UINT id : {198u, 199u, 200u}) {
        std::string s = Str(id);
        EXPECT_EQ(s.find_first_of("&|<>^%\"()"), std::string::npos) << s;
    }
    EXPECT_EQ(Str(IDS_DISPLAY_NAME).find('%'), std::string::npos);
}

TEST_F(GmbxResTest, MenuLayoutMeetsTheProgram) {
    HMENU menu = LoadMenuA(lib_, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(menu, nullptr);
    const char* tops[] = {"File", "Edit", "View", "Capture", "Options", "Help"};
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(WithoutAmpersand(MenuText(menu, i)), tops[i]);

    // Every command once.
    std::vector<UINT> ids;
    Collect(menu, &ids);
    std::multiset<UINT> seen(ids.begin(), ids.end());
    for (UINT id : kAllCommands) EXPECT_EQ(seen.count(id), 1u) << "command " << id;

    // The tray menu (fourth) holds the capture commands, which carry a key after a tab.
    HMENU tray = GetSubMenu(menu, 3);
    for (UINT id = ID_CAPTURE_DESKTOP; id <= ID_GAME_CAPTURE; ++id) {
        char text[128] = "";
        ASSERT_GT(GetMenuStringA(tray, id, text, sizeof text, MF_BYCOMMAND), 0) << id;
        EXPECT_NE(std::string(text).find('\t'), std::string::npos) << text;
    }

    // The eleventh item of the fifth menu is the add-on's automatic crop and scale.
    HMENU options = GetSubMenu(menu, 4);
    EXPECT_EQ(GetMenuItemID(options, 10), UINT(ID_AUTO_CROP_SCALE));
    for (UINT id : kAddonCommands) {
        EXPECT_EQ(GetMenuState(options, id, MF_BYCOMMAND), UINT(-1)) << "add-on command " << id << " in menu 5";
    }
    DestroyMenu(menu);
}

TEST_F(GmbxResTest, MenusStayTidyWithAndWithoutTheAddon) {
    for (bool addon : {false, true}) {
        HMENU menu = LoadMenuA(lib_, MAKEINTRESOURCEA(IDR_MAINFRAME));
        ASSERT_NE(menu, nullptr);
        DeleteMenu(menu, ID_TRAY_RESTORE, MF_BYCOMMAND);
        if (addon) {
            DeleteMenu(menu, ID_NEED_ADDON, MF_BYCOMMAND);
        } else {
            for (UINT id : kAddonCommands) EXPECT_TRUE(DeleteMenu(menu, id, MF_BYCOMMAND)) << id;
            EXPECT_TRUE(DeleteMenu(GetSubMenu(menu, 4), 10, MF_BYPOSITION));
            EXPECT_EQ(GetMenuState(menu, ID_AUTO_CROP_SCALE, MF_BYCOMMAND), UINT(-1));
            EXPECT_NE(GetMenuState(menu, ID_NEED_ADDON, MF_BYCOMMAND), UINT(-1));
        }
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            EXPECT_TRUE(SeparatorsTidy(GetSubMenu(menu, i))) << "menu " << i << (addon ? " with" : " without")
                                                             << " the add-on";
        }
        DestroyMenu(menu);
    }
}

TEST_F(GmbxResTest, EveryCommandHasAPromptAndTip) {
    for (UINT id : kAllCommands) {
        std::string s = Str(id);
        size_t nl = s.find('\n');
        EXPECT_NE(nl, std::string::npos) << "command " << id;
        EXPECT_GT(nl, 0u) << "command " << id;
        EXPECT_LT(nl + 1, s.size()) << "command " << id;
    }
}

TEST_F(GmbxResTest, Accelerators) {
    HACCEL acc = LoadAcceleratorsA(lib_, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(acc, nullptr);
    ACCEL table[64];
    int n = CopyAcceleratorTableA(acc, table, 64);
    std::map<std::pair<BYTE, WORD>, WORD> byKey;
    for (int i = 0; i < n; ++i) byKey[{BYTE(table[i].fVirt & ~(FNOINVERT | 0x80)), table[i].key}] = table[i].cmd;
    auto cmd = [&](BYTE mods, WORD key) {
        auto it = byKey.find({BYTE(FVIRTKEY | mods), key});
        return it == byKey.end() ? 0 : it->second;
    };
    EXPECT_EQ(cmd(FCONTROL, 'O'), ID_FILE_OPEN);
    EXPECT_EQ(cmd(FCONTROL, 'S'), ID_FILE_SAVE_AS);
    EXPECT_EQ(cmd(FCONTROL, 'C'), ID_EDIT_COPY);
    EXPECT_EQ(cmd(FCONTROL, 'V'), ID_EDIT_PASTE);
    EXPECT_EQ(cmd(FCONTROL, 'Z'), ID_EDIT_UNDO);
    EXPECT_EQ(cmd(FCONTROL, 'P'), ID_FILE_PRINT);
    EXPECT_EQ(cmd(0, VK_DELETE), ID_EDIT_CLEAR);
    EXPECT_EQ(cmd(0, VK_PRIOR), ID_PREV_FILE);
    EXPECT_EQ(cmd(0, VK_NEXT), ID_NEXT_FILE);
    EXPECT_EQ(cmd(0, VK_F1), ID_HELP_TOPIC);
    DestroyAcceleratorTable(acc);
}

TEST_F(GmbxResTest, IconInBothSizes) {
    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(LoadImageA(lib_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        GetObjectA(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    EXPECT_NE(LoadIconA(lib_, MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
}

TEST_F(GmbxResTest, ToolbarBitmapAndLayout) {
    HBITMAP bmp = LoadBitmapA(lib_, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(bmp, nullptr);
    BITMAP bm = {};
    GetObjectA(bmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, GMBX_TOOLBAR_BUTTON_WIDTH * GMBX_TOOLBAR_IMAGE_COUNT);
    EXPECT_EQ(bm.bmHeight, GMBX_TOOLBAR_BUTTON_HEIGHT);
    DeleteObject(bmp);

    // TOOLBAR resource: WORD version 1, width, height, count, then the ids.
    HRSRC res = FindResourceA(lib_, MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(241));
    ASSERT_NE(res, nullptr);
    const auto* w = static_cast<const WORD*>(LockResource(LoadResource(lib_, res)));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w[0], 1);
    EXPECT_EQ(w[1], GMBX_TOOLBAR_BUTTON_WIDTH);
    EXPECT_EQ(w[2], GMBX_TOOLBAR_BUTTON_HEIGHT);
    const size_t count = sizeof(gmbx::kToolbarLayout) / sizeof(gmbx::kToolbarLayout[0]);
    ASSERT_EQ(w[3], count);
    std::vector<unsigned> images;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(w[4 + i], gmbx::kToolbarLayout[i]) << i;
        if (gmbx::kToolbarLayout[i] != 0) images.push_back(gmbx::kToolbarLayout[i]);
    }
    // The buttons take the bitmap's cells in order.
    ASSERT_EQ(images.size(), size_t(GMBX_TOOLBAR_IMAGE_COUNT));
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i], gmbx::kToolbarImageCommands[i]);
        EXPECT_EQ(gmbx::ToolbarImageOf(images[i]), int(i));
    }
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(GmbxResTest, AboutBoxVersionLine) {
    ASSERT_NE(FindResourceA(lib_, MAKEINTRESOURCEA(IDD_ABOUT), MAKEINTRESOURCEA(5)), nullptr);  // RT_DIALOG
    HWND dlg = CreateDialogParamA(lib_, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, NoDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    char format[128] = "";
    GetDlgItemTextA(dlg, IDC_ABOUT_VERSION, format, sizeof format);
    EXPECT_EQ(Conversions(format), "ddd") << format;
    char line[160];
    std::snprintf(line, sizeof line, format, 3, 30, 1);
    EXPECT_NE(std::string(line).find("3.30.1"), std::string::npos) << line;
    EXPECT_NE(GetDlgItem(dlg, IDOK), nullptr);
    DestroyWindow(dlg);
}

TEST_F(GmbxResTest, VersionResource) {
    EXPECT_NE(FindResourceA(lib_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)), nullptr);  // RT_VERSION
}

}  // namespace
