#include "capture/win/hotkeys_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "capture/hotkeys.h"
#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "capture/win/mainframe.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {
namespace {

HotkeyIo g_load = nullptr;
HotkeyIo g_save = nullptr;

// Names in the failure list: the system-menu texts of the rows.
const UINT kRowNames[kHotkeyRows] = {IDS_SYS_DESKTOP, IDS_SYS_WINDOW, IDS_SYS_REGION, IDS_SYS_AWIN,
                                     IDS_SYS_ACLI,    IDS_SYS_REPEAT, 0,              0};

std::string RowName(int row) {
    std::string s = kRowNames[row] ? klib::LoadResString(kRowNames[row]) : std::string();
    std::string out;
    for (char c : s)
        if (c != '&') out += c;
    return out;
}

void RebuildSystemMenu(HWND frame) {
    GetSystemMenu(frame, TRUE);  // back to the system's own menu
    HMENU sys = GetSystemMenu(frame, FALSE);
    if (!sys) return;
    struct Item {
        UINT cmd, text;
        int row;
    };
    static const Item kItems[] = {
        {0xE110, IDS_SYS_DESKTOP, kRowDesktop}, {0xE120, IDS_SYS_WINDOW, kRowWindow},
        {0xE130, IDS_SYS_AWIN, kRowAWin},       {0xE140, IDS_SYS_ACLI, kRowACli},
        {0xE150, IDS_SYS_REGION, kRowRect},     {0xE160, IDS_SYS_REPEAT, kRowRepeat},
        {0, 0, -1},                             {0xE180, IDS_SYS_MENUBAR, -1},
        {0, 0, -1},
    };
    for (const Item& it : kItems) {
        if (!it.cmd) {
            InsertMenuA(sys, SC_CLOSE, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string label = klib::LoadResString(it.text);
        if (it.row >= 0 && g_hotkeys.table[it.row].active) label += "\t " + HotkeyText(g_hotkeys, it.row);
        InsertMenuA(sys, SC_CLOSE, MF_BYCOMMAND | MF_STRING, it.cmd, label.c_str());
    }
}

void RewriteCaptureMenu(HMENU menu) {
    if (!menu) return;
    struct Item {
        UINT id;
        int row;
    };
    static const Item kItems[] = {{ID_CAPTURE_DESKTOP, kRowDesktop}, {ID_CAPTURE_WINDOW, kRowWindow},
                                  {ID_CAPTURE_AWIN, kRowAWin},       {ID_CAPTURE_ACLI, kRowACli},
                                  {ID_CAPTURE_REGION, kRowRect},     {ID_CAPTURE_REPEAT, kRowRepeat},
                                  {ID_GAME_CAPTURE, kRowGame}};
    for (const Item& it : kItems) {
        char text[121] = "";
        if (!GetMenuStringA(menu, it.id, text, sizeof text, MF_BYCOMMAND)) continue;
        if (char* tab = std::strchr(text, '\t')) *tab = '\0';
        std::string label = text;
        if (g_hotkeys.table[it.row].active) label += "\t" + HotkeyText(g_hotkeys, it.row);
        UINT check = it.id == ID_GAME_CAPTURE && g_hotkeys.table[kRowGame].active ? MF_CHECKED : MF_UNCHECKED;
        ModifyMenuA(menu, it.id, MF_BYCOMMAND | MF_STRING | check, it.id, label.c_str());
    }
}

}  // namespace

void SetHotkeyIo(HotkeyIo load, HotkeyIo save) {
    g_load = load;
    g_save = save;
}

void LoadHotkeys() {
    CopyDefaults(g_hotkeys);
    if (g_load) g_load();
    g_hotkeys.table[kRowGame].active = g_settings.GameCaptureEnabled() ? 1 : 0;
}

void SaveHotkeys() {
    if (g_save) g_save();
}

std::string HotkeyFailureText(const std::string& failedLines) {
    char buf[2048];
    std::snprintf(buf, sizeof buf, "%s%s\n%s%s", klib::LoadResString(IDS_HOTKEY_FAILED).c_str(), ":",
                  failedLines.c_str(), klib::LoadResString(IDS_HOTKEY_FAILED_TAIL).c_str());
    return buf;
}

void UnregisterAllHotkeys() {
    HWND frame = MainFrame();
    for (int id = 0; id < kHotkeyRows; ++id) UnregisterHotKey(frame, id);
    UnregisterHotKey(frame, IDHOT_SNAPDESKTOP);
    UnregisterHotKey(frame, IDHOT_SNAPWINDOW);
}

void ApplyHotkeys(bool reload) {
    HWND frame = MainFrame();
    if (reload) LoadHotkeys();
    if (g_hotkeys.capturesAllowed && frame) {
        int failures = 0;
        std::string list;
        for (int row = kRowDesktop; row <= kRowRepeat; ++row) {
            HotkeyEntry& e = g_hotkeys.table[row];
            e.active = 1;
            if (!e.key) continue;
            UnregisterHotKey(frame, row);
            if (!RegisterHotKey(frame, row, e.modifiers, e.key)) {
                ++failures;
                char line[200];
                std::snprintf(line, sizeof line, "\t\"%s\" -- \"%s\"\n", RowName(row).c_str(), e.description);
                if (list.size() + std::strlen(line) < 1024) list += line;
                e.active = 0;
            }
        }
        if (!g_hotkeys.table[kRowGame].active && g_hotkeys.handlePrintScreen) {
            UnregisterHotKey(frame, IDHOT_SNAPDESKTOP);
            UnregisterHotKey(frame, IDHOT_SNAPWINDOW);
            if (!RegisterHotKey(frame, IDHOT_SNAPDESKTOP, 0, VK_SNAPSHOT))
                klib::DebugWrite("Cound not register IDHOT_SNAPDESKTOP\n");
            if (!RegisterHotKey(frame, IDHOT_SNAPWINDOW, MOD_ALT, VK_SNAPSHOT))
                klib::DebugWrite("Cound not register IDHOT_SNAPWINDOW\n");
        }
        // The stop key is held for as long as timed capture is on.
        if (g_settings.autoSave && g_run.timedInterval) RegisterStopKey(true);
        if (failures >= 1 && failures <= 5)
            MessageBoxA(nullptr, HotkeyFailureText(list).c_str(), nullptr,
                        MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    }
    if (frame) {
        RebuildSystemMenu(frame);
        RewriteCaptureMenu(MainMenu());
    }
    RefreshMenuChecks();
    if (!reload) SaveHotkeys();
}

bool RegisterStopKey(bool on) {
    HWND frame = MainFrame();
    HotkeyEntry& e = g_hotkeys.table[kRowStop];
    e.active = 0;
    if (!frame) return false;
    UnregisterHotKey(frame, kRowStop);
    if (!on || !StopKeyAvailable(g_hotkeys)) return false;
    if (!RegisterHotKey(frame, kRowStop, e.modifiers, e.key)) {
        klib::DebugWrite("Could not register the stop key %s\n", e.description);
        return false;
    }
    e.active = 1;
    return true;
}

// ---------------------------------------------------------------- dialogs

namespace {

struct EditState {
    int row;
    LPARAM keystroke;  // lParam of the last key press, 0 when none
    uint32_t key, flags;
    WNDPROC oldProc;
};
EditState* g_edit = nullptr;

// Records the key presses that reach the hot-key control (their scan-code
// word names the key).
LRESULT CALLBACK HotkeyControlProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && wp != VK_RETURN && g_edit) g_edit->keystroke = lp;
    return CallWindowProcA(g_edit ? g_edit->oldProc : DefWindowProcA, w, msg, wp, lp);
}

INT_PTR CALLBACK EditProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        const HotkeyEntry& e = g_hotkeys.table[g_edit->row];
        SetDlgItemTextA(d, IDC_HOTKEY_PROMPT, klib::LoadResString(IDS_HOTKEY_PROMPT_FIRST + g_edit->row).c_str());
        HWND ctl = GetDlgItem(d, IDC_HOTKEY_CONTROL);
        SendMessageA(ctl, HKM_SETHOTKEY, MAKEWORD(e.key & 0xFF, ModifiersToHotkeyFlags(e.modifiers)), 0);
        g_edit->oldProc =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrA(ctl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HotkeyControlProc)));
        SetFocus(ctl);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            if (!g_edit->keystroke) {
                EndDialog(d, IDCANCEL);
                return TRUE;
            }
            LRESULT hk = SendDlgItemMessageA(d, IDC_HOTKEY_CONTROL, HKM_GETHOTKEY, 0, 0);
            g_edit->key = LOBYTE(LOWORD(hk));
            g_edit->flags = HIBYTE(LOWORD(hk));
            if (!g_edit->key) g_edit->keystroke = 0;
            EndDialog(d, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(d, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// Working state of the hotkey dialog.
struct ListState {
    HotkeyEntry saved[kHotkeyRows];
    int32_t savedAllowed, savedPrtSc;
    int32_t enableCopy;
    bool applied;
};
ListState* g_list = nullptr;

void ShowRows(HWND d) {
    for (int row = 0; row < kHotkeyRows; ++row)
        SetDlgItemTextA(d, IDC_HOTKEY_ROW_FIRST + row, g_hotkeys.table[row].description);
}

std::string KeyNameOf(LPARAM keystroke) {
    char name[20] = "";
    if (keystroke) GetKeyNameTextA(static_cast<LONG>(keystroke), name, sizeof name);
    return name;
}

void EditRow(HWND d, int row) {
    EditState st = {row, 0, 0, 0, nullptr};
    g_edit = &st;
    INT_PTR r = DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_HOTKEY_EDIT), d, EditProc, 0);
    g_edit = nullptr;
    if (r != IDOK) return;
    HotkeyEntry& e = g_hotkeys.table[row];
    e.key = st.key;
    e.modifiers = HotkeyFlagsToModifiers(st.flags);
    std::string desc = KeyDescription(st.flags, klib::LoadResString(IDS_PREFIX_CTRL),
                                      klib::LoadResString(IDS_PREFIX_SHIFT), klib::LoadResString(IDS_PREFIX_ALT),
                                      st.keystroke ? KeyNameOf(st.keystroke) : std::string(),
                                      klib::LoadResString(IDS_NO_KEY));
    std::snprintf(e.description, sizeof e.description, "%s", desc.c_str());
    ShowRows(d);
}

void ApplyFromDialog(HWND d) {
    g_hotkeys.capturesAllowed = IsDlgButtonChecked(d, IDC_HOTKEYS_ENABLE) == BST_CHECKED;
    g_hotkeys.handlePrintScreen = IsDlgButtonChecked(d, IDC_HOTKEYS_PRTSC) == BST_CHECKED;
    g_list->enableCopy = g_hotkeys.capturesAllowed;
    g_list->applied = true;
    ApplyHotkeys(false);
    EndDialog(d, IDOK);
}

INT_PTR CALLBACK ListProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        // The flag as it was before the dialog disabled the main window.
        CheckDlgButton(d, IDC_HOTKEYS_ENABLE, g_list->savedAllowed ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(d, IDC_HOTKEYS_PRTSC, g_hotkeys.handlePrintScreen ? BST_CHECKED : BST_UNCHECKED);
        ShowRows(d);
        return TRUE;
    case WM_CLOSE:
        ApplyFromDialog(d);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id >= IDC_HOTKEY_ROW_FIRST && id < IDC_HOTKEY_ROW_FIRST + kHotkeyRows) {
            EditRow(d, id - IDC_HOTKEY_ROW_FIRST);
        } else if (id == IDC_HOTKEYS_DEFAULTS) {
            CopyDefaults(g_hotkeys);
            ShowRows(d);
        } else if (id == IDC_HOTKEYS_CLEAR) {
            std::string none = klib::LoadResString(IDS_NO_KEY);
            for (auto& e : g_hotkeys.table) {
                e.modifiers = 0;
                e.key = 0;
                std::snprintf(e.description, sizeof e.description, "%s", none.c_str());
            }
            ShowRows(d);
        } else if (id == IDC_HOTKEYS_UNDO) {
            for (int i = 0; i < kHotkeyRows; ++i) g_hotkeys.table[i] = g_list->saved[i];
            ShowRows(d);
        } else if (id == IDC_HOTKEYS_HELP) {
            WinHelpA(d, g_run.helpPath.c_str(), HELP_CONTEXT, 15);
        } else if (id == IDC_HOTKEYS_APPLY) {
            ApplyFromDialog(d);
        } else if (id == IDCANCEL) {
            EndDialog(d, IDCANCEL);
        } else {
            break;
        }
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

void ShowHotkeyDialog() {
    ListState st = {};
    for (int i = 0; i < kHotkeyRows; ++i) st.saved[i] = g_hotkeys.table[i];
    st.savedAllowed = g_hotkeys.capturesAllowed;
    st.savedPrtSc = g_hotkeys.handlePrintScreen;
    st.enableCopy = g_hotkeys.capturesAllowed;
    g_list = &st;
    // No hotkey works while the dialog is open.
    UnregisterAllHotkeys();
    DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_HOTKEYS), MainFrame(), ListProc, 0);
    g_list = nullptr;
    if (!st.applied) {
        // Cancel puts back the keys as they were when the dialog opened and
        // registers them again, so that cancelling never leaves the
        // program without its hotkeys.
        for (int i = 0; i < kHotkeyRows; ++i) g_hotkeys.table[i] = st.saved[i];
        g_hotkeys.handlePrintScreen = st.savedPrtSc;
        g_hotkeys.capturesAllowed = st.savedAllowed;
        ApplyHotkeys(false);
    }
    g_hotkeys.capturesAllowed = st.enableCopy;
}

}  // namespace gmbx
