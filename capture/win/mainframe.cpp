#include "capture/win/mainframe.h"

#include "capture/win/clipboard.h"
#include "capture/win/mail.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "capture/settings.h"
#include "capture/hotkeys.h"
#include "capture/win/autosavedialog.h"
#include "capture/win/grabber.h"
#include "capture/win/hotkeys_win.h"
#include "capture/win/imageedit.h"
#include "capture/win/imagefiles.h"
#include "capture/win/saveas.h"
#include "capture/win/selection.h"
#include "capture/win/settings_commands.h"
#include "capture/win/timedcapture.h"
#include "capture/win/transparentpick.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "klib/win/dde.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "klib/win/systemlibs.h"
#include "res/resource.h"
#include "res/toolbar.h"

namespace gmbx {
namespace {

const char kFrameClass[] = "GmbxFrame";
const char kViewClass[] = "GmbxImageView";
// Context help request of the framework (F1 on a command).
constexpr UINT kWmCommandHelp = 0x0365;

HWND g_frame = nullptr;
HWND g_view = nullptr;
HWND g_toolbar = nullptr;
HWND g_status = nullptr;
HIMAGELIST g_toolbarImages = nullptr;
HMENU g_menu = nullptr;
HACCEL g_accel = nullptr;
std::string g_displayName;
// True while the message loop translates an accelerator. An accelerator
// whose command id is also an item of the system menu arrives as a system
// command (Clear shares its id with the window capture there): it is the
// accelerator's command all the same.
bool g_translatingAccelerator = false;

// Scroll position of the view (image pixels at the view's top-left).
int g_scrollX = 0, g_scrollY = 0;

// ---------------------------------------------------------------- titles

std::string BaseTitle() {
    std::string t = g_displayName;
    if (!g_image.fileName.empty()) t += " - " + g_image.fileName;
    return t;
}

void SetTitleText(const std::string& text) {
    if (g_frame) SetWindowTextA(g_frame, text.c_str());
}

// The title is the program's own: it begins with the display name (a pick
// of the transparent colour shows its own).
bool TitleIsOurs() {
    char title[600] = "";
    GetWindowTextA(g_frame, title, sizeof title);
    return std::string(title).find(g_displayName) != std::string::npos;
}

// ---------------------------------------------------------------- view

void ViewOffsets(int* ox, int* oy) {
    // A smaller image sits at offset 0 (centred only in full-screen view).
    *ox = -g_scrollX;
    *oy = -g_scrollY;
}

void LayoutScrollBars() {
    if (!g_view) return;
    RECT rc;
    GetClientRect(g_view, &rc);
    int w, h;
    CurrentImageSize(&w, &h);
    SCROLLINFO si = {sizeof si};
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    int viewW = rc.right, viewH = rc.bottom;
    if (w > viewW) {
        if (g_scrollX > w - viewW) g_scrollX = w - viewW;
    } else {
        g_scrollX = 0;
    }
    if (h > viewH) {
        if (g_scrollY > h - viewH) g_scrollY = h - viewH;
    } else {
        g_scrollY = 0;
    }
    si.nMin = 0;
    si.nMax = w > viewW ? w - 1 : 0;
    si.nPage = w > viewW ? viewW : 0;
    si.nPos = g_scrollX;
    ShowScrollBar(g_view, SB_HORZ, w > viewW);
    SetScrollInfo(g_view, SB_HORZ, &si, TRUE);
    si.nMax = h > viewH ? h - 1 : 0;
    si.nPage = h > viewH ? viewH : 0;
    si.nPos = g_scrollY;
    ShowScrollBar(g_view, SB_VERT, h > viewH);
    SetScrollInfo(g_view, SB_VERT, &si, TRUE);
}

void PaintView(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT rc;
    GetClientRect(w, &rc);
    HBRUSH bg = GetSysColorBrush(COLOR_APPWORKSPACE);
    Pixmap* pm = g_image.pixmap.get();
    if (pm && pm->Valid()) {
        int ox, oy;
        ViewOffsets(&ox, &oy);
        HPALETTE pal = g_image.palette.get();
        HPALETTE oldPal = nullptr;
        if (pal) {
            oldPal = SelectPalette(dc, pal, FALSE);
            RealizePalette(dc);
        }
        HDC src = pm->BeginDraw();
        BitBlt(dc, ox, oy, pm->width, pm->height, src, 0, 0, SRCCOPY);
        pm->EndDraw();
        if (oldPal) SelectPalette(dc, oldPal, FALSE);
        // Background right of and below the image.
        RECT r = {ox + pm->width, 0, rc.right, rc.bottom};
        if (r.left < r.right) FillRect(dc, &r, bg);
        r = {0, oy + pm->height, rc.right, rc.bottom};
        if (r.top < r.bottom) FillRect(dc, &r, bg);
    } else {
        FillRect(dc, &rc, bg);
    }
    EndPaint(w, &ps);
}

void ScrollView(int bar, int code) {
    RECT rc;
    GetClientRect(g_view, &rc);
    int w, h;
    CurrentImageSize(&w, &h);
    int& pos = bar == SB_HORZ ? g_scrollX : g_scrollY;
    int page = bar == SB_HORZ ? rc.right : rc.bottom;
    int limit = (bar == SB_HORZ ? w : h) - page;
    if (limit < 0) limit = 0;
    SCROLLINFO si = {sizeof si, SIF_TRACKPOS};
    GetScrollInfo(g_view, bar, &si);
    int next = pos;
    switch (code) {
    case SB_LINEUP: next -= 16; break;
    case SB_LINEDOWN: next += 16; break;
    case SB_PAGEUP: next -= page; break;
    case SB_PAGEDOWN: next += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = si.nTrackPos; break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = limit; break;
    default: return;
    }
    if (next < 0) next = 0;
    if (next > limit) next = limit;
    if (next == pos) return;
    int delta = pos - next;
    pos = next;
    SetScrollPos(g_view, bar, pos, TRUE);
    ScrollWindowEx(g_view, bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0, nullptr, nullptr, nullptr,
                   nullptr, SW_INVALIDATE);
    UpdateWindow(g_view);
}

void PointerTitle(int x, int y) {
    int w, h;
    CurrentImageSize(&w, &h);
    if (!HaveImage() || g_run.fixedTitle) return;
    int ix = x + g_scrollX, iy = y + g_scrollY;
    if (ix < 0 || iy < 0 || ix >= w || iy >= h) {
        UpdateTitle();
        return;
    }
    char buf[600];
    std::snprintf(buf, sizeof buf, "%s (%d %d) %s", BaseTitle().c_str(), ix, iy,
                  klib::LoadResString(IDS_POINTER_LABEL).c_str());
    SetTitleText(buf);
}

LRESULT CALLBACK ViewProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: PaintView(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
        if (IsIconic(g_frame) && TrayIconShown()) {
            ShowWindow(g_frame, SW_HIDE);
            return 0;
        }
        LayoutScrollBars();
        return 0;
    case WM_HSCROLL: ScrollView(SB_HORZ, LOWORD(wp)); return 0;
    case WM_VSCROLL: ScrollView(SB_VERT, LOWORD(wp)); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PointerTitle(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: UpdateTitle(); return 0;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wp);
        char path[MAX_PATH];
        // Ignored while the title is not ours (a selection shows its own).
        if (TitleIsOurs() && klib::DroppedFile(drop, 0, path, sizeof path)) {
            if (OpenImageFile(path)) ShowCurrentImage();
            else ClearView(false);
        }
        klib::FinishDrop(drop);
        return 0;
    }
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wp) == w) return 0;
        [[fallthrough]];
    case WM_QUERYNEWPALETTE:
        InvalidateRect(w, nullptr, FALSE);
        return TRUE;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// ---------------------------------------------------------------- frame

void CheckItem(UINT id, bool on) {
    if (g_menu) CheckMenuItem(g_menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void RefreshToggleChecksNow() {
    CheckItem(ID_AUTO_COPY, g_settings.autoCopy);
    CheckItem(ID_AUTO_PRINT, g_settings.autoPrint);
    CheckItem(ID_AUTO_SAVE, g_settings.autoSave);
    CheckItem(ID_AUTO_SCROLL, g_settings.autoScroll);
    CheckItem(ID_INCLUDE_CURSOR, g_settings.includeCursor);
    CheckItem(ID_AUTO_RESTORE, g_settings.autoRestore);
    CheckItem(ID_HIDE_REGION_HELP, g_settings.hideRegionHelp);
    CheckItem(ID_TRAY_ICON, g_settings.wantTrayIcon != 0);
    CheckItem(ID_AUTO_CROP_SCALE, g_settings.qCrop || g_settings.qScale);
    if (g_toolbar)
        SendMessageA(g_toolbar, TB_CHECKBUTTON, ID_INCLUDE_CURSOR, MAKELONG(g_settings.includeCursor != 0, 0));
}

// Removes separators that no button stands between any more (after buttons
// were removed), and any at either end.
void DropLoneSeparators() {
    bool previousSeparator = true;  // the start counts as one
    for (int i = 0; i < static_cast<int>(SendMessageA(g_toolbar, TB_BUTTONCOUNT, 0, 0));) {
        TBBUTTON b = {};
        SendMessageA(g_toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
        bool separator = (b.fsStyle & TBSTYLE_SEP) != 0;
        int count = static_cast<int>(SendMessageA(g_toolbar, TB_BUTTONCOUNT, 0, 0));
        if (separator && (previousSeparator || i == count - 1)) {
            SendMessageA(g_toolbar, TB_DELETEBUTTON, i, 0);
            continue;
        }
        previousSeparator = separator;
        ++i;
    }
}

// Items that exist only with the imaging add-on.
void AdaptMenusToAddon() {
    if (!g_menu) return;
    if (g_run.addon) {
        DeleteMenu(g_menu, ID_NEED_ADDON, MF_BYCOMMAND);
        return;
    }
    HMENU fifth = GetSubMenu(g_menu, 4);
    if (fifth && GetMenuItemCount(fifth) > 10) DeleteMenu(fifth, 10, MF_BYPOSITION);
    for (UINT id : {ID_EDIT_RESIZE, ID_EDIT_COLORS, ID_EDIT_EFFECT, ID_EDIT_ROTATE, ID_TWAIN_ACQUIRE,
                    ID_TWAIN_SELECT, ID_EDIT_ROTATE_DLG, ID_EDIT_FLIP, ID_EDIT_MIRROR})
        DeleteMenu(g_menu, id, MF_BYCOMMAND);
    if (g_toolbar) {
        for (UINT id : {ID_EDIT_RESIZE, ID_TWAIN_ACQUIRE}) {
            LRESULT index = SendMessageA(g_toolbar, TB_COMMANDTOINDEX, id, 0);
            if (index >= 0) SendMessageA(g_toolbar, TB_DELETEBUTTON, index, 0);
        }
        DropLoneSeparators();
    }
}

// The buttons that need an image follow whether there is one.
void UpdateToolbarStates() {
    if (!g_toolbar) return;
    bool image = HaveImage();
    for (UINT id : {ID_FILE_SAVE_AS, ID_FILE_PRINT, ID_EDIT_COPY})
        SendMessageA(g_toolbar, TB_ENABLEBUTTON, id, MAKELONG(image, 0));
}

void CreateBars(HWND frame) {
    g_toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                                WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | CCS_TOP, 0, 0, 0, 0,
                                frame, reinterpret_cast<HMENU>(ID_TOOLBAR), klib::Instance(), nullptr);
    g_status = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                               frame, reinterpret_cast<HMENU>(ID_STATUSBAR), klib::Instance(), nullptr);
    if (!g_toolbar || !g_status) return;
    SendMessageA(g_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The cells' light grey background shows the button face.
    g_toolbarImages = klib::LoadImageList(klib::ResourceModule(), MAKEINTRESOURCEA(IDR_MAINFRAME), 16,
                                          RGB(192, 192, 192), LR_CREATEDIBSECTION);
    SendMessageA(g_toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_toolbarImages));
    constexpr size_t kCount = sizeof(kToolbarLayout) / sizeof(kToolbarLayout[0]);
    TBBUTTON buttons[kCount] = {};
    for (size_t i = 0; i < kCount; ++i) {
        unsigned id = kToolbarLayout[i];
        if (id == 0) {
            buttons[i].fsStyle = TBSTYLE_SEP;
            continue;
        }
        buttons[i].iBitmap = ToolbarImageOf(id);
        buttons[i].idCommand = static_cast<int>(id);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = id == ID_INCLUDE_CURSOR ? TBSTYLE_CHECK : TBSTYLE_BUTTON;
    }
    SendMessageA(g_toolbar, TB_ADDBUTTONS, kCount, reinterpret_cast<LPARAM>(buttons));
    SendMessageA(g_toolbar, TB_AUTOSIZE, 0, 0);
}

void LayoutFrame() {
    if (!g_frame) return;
    RECT rc;
    GetClientRect(g_frame, &rc);
    int top = 0, bottom = rc.bottom;
    if (g_toolbar && IsWindowVisible(g_toolbar)) {
        SendMessageA(g_toolbar, TB_AUTOSIZE, 0, 0);
        RECT tr;
        GetWindowRect(g_toolbar, &tr);
        top = tr.bottom - tr.top;
    }
    if (g_status && IsWindowVisible(g_status)) {
        SendMessageA(g_status, WM_SIZE, 0, 0);
        RECT sr;
        GetWindowRect(g_status, &sr);
        bottom -= sr.bottom - sr.top;
    }
    if (g_view) MoveWindow(g_view, 0, top, rc.right, bottom > top ? bottom - top : 0, TRUE);
}

INT_PTR CALLBACK AboutProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) {
        // The version line's own text is the format for the version numbers.
        char format[256] = {}, text[300];
        GetDlgItemTextA(d, IDC_ABOUT_VERSION, format, sizeof format);
        std::snprintf(text, sizeof text - 32, format, 3, 30, 1);
        std::string line = std::string(text) + " (for Intel processors)";
        SetDlgItemTextA(d, IDC_ABOUT_VERSION, line.c_str());
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        EndDialog(d, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

void ShowAbout() {
    DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_ABOUT), g_frame, AboutProc, 0);
}

// The program may end (or the session end be answered with the settings
// written) only while no selection runs and the title is its own.
bool MayEnd() { return g_frame && !SelectionRunning() && TitleIsOurs(); }

void ExitSequence() {
    if (!MayEnd()) return;
    klib::AcceptDroppedFiles(g_view, false);
    ClearCurrentImage(false);
    WriteSettingsAtExit(g_frame);
    WinHelpA(g_frame, g_run.helpPath.c_str(), HELP_QUIT, 0);
    DestroyWindow(g_view);
    g_view = nullptr;
    klib::SetMessageOwner(nullptr);
    DestroyWindow(g_frame);
}

std::string MenuText(UINT id) {
    char text[128] = "";
    if (g_menu) GetMenuStringA(g_menu, id, text, sizeof text, MF_BYCOMMAND);
    std::string s;
    for (const char* p = text; *p && *p != '\t'; ++p)
        if (*p != '&') s += *p;
    return s.empty() ? std::string("This command") : s;
}

void OnCommand(UINT id) {
    switch (id) {
    case ID_CAPTURE_DESKTOP: CaptureDesktop(true); break;
    case ID_CAPTURE_WINDOW: CaptureWindow(); break;
    case ID_CAPTURE_AWIN: CaptureActiveWindow(true); break;
    case ID_CAPTURE_ACLI: CaptureActiveClient(); break;
    case ID_CAPTURE_REGION: CaptureRegion(); break;
    case ID_CAPTURE_REPEAT: CaptureRepeat(); break;
    case ID_AUTO_COPY: g_settings.autoCopy = !g_settings.autoCopy; break;
    case ID_AUTO_SAVE: AutoSaveCommand(); break;
    case ID_AUTO_SCROLL: g_settings.autoScroll = !g_settings.autoScroll; break;
    case ID_INCLUDE_CURSOR: g_settings.includeCursor = !g_settings.includeCursor; break;
    case ID_AUTO_RESTORE: g_settings.autoRestore = !g_settings.autoRestore; break;
    case ID_HIDE_REGION_HELP: g_settings.hideRegionHelp = !g_settings.hideRegionHelp; break;
    case ID_FILE_OPEN: OpenWithDialog(); break;
    case ID_FILE_SAVE_AS: SaveAs(); break;
    case ID_EDIT_CLEAR: ClearView(false); break;
    case ID_EDIT_COPY: CopyToClipboard(true); break;
    case ID_EDIT_PASTE: PasteFromClipboard(); break;
    case ID_EDIT_UNDO: UndoCommand(); break;
    case ID_EDIT_BW_SWAP: SwapBlackWhiteCommand(); break;
    case ID_EDIT_GAMMA_DLG: GammaDialogCommand(); break;
    case ID_EDIT_IMAGE_RES: ImageResolutionCommand(); break;
    case ID_FILE_SEND_MAIL: MailImage(); break;
    case ID_ABOUT:
    case ID_APP_ABOUT: ShowAbout(); break;
    case ID_APP_EXIT: ExitSequence(); break;
    case ID_HOTKEYS: ShowHotkeyDialog(); break;
    case ID_TRAY_RESTORE:
        ShowWindow(g_frame, SW_RESTORE);
        SetForegroundWindow(g_frame);
        break;
    case ID_NEED_ADDON: klib::ResMessageBox(MB_OK | MB_ICONINFORMATION, IDS_NO_ADDON); break;
    case ID_TOGGLE_MENU_BAR:
        SetMenu(g_frame, GetMenu(g_frame) ? nullptr : g_menu);
        break;
    default: NotAvailable(MenuText(id).c_str()); break;
    }
    RefreshToggleChecksNow();
}

// The capture items that the hotkeys add to the system menu, and the
// commands they stand for.
UINT CommandOfSystemItem(UINT sysCommand) {
    static const UINT kItems[][2] = {{0xE110, ID_CAPTURE_DESKTOP}, {0xE120, ID_CAPTURE_WINDOW},
                                     {0xE130, ID_CAPTURE_AWIN},    {0xE140, ID_CAPTURE_ACLI},
                                     {0xE150, ID_CAPTURE_REGION},  {0xE160, ID_CAPTURE_REPEAT},
                                     {0xE170, ID_GAME_CAPTURE},    {0xE180, ID_TOGGLE_MENU_BAR}};
    for (const auto& item : kItems)
        if (item[0] == sysCommand) return item[1];
    return 0;
}

void SetStatusText(const std::string& text) {
    if (g_status) SendMessageA(g_status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The status-bar prompt of a highlighted menu item: the first line of the
// resource string with the command's number (empty for submenus).
std::string MenuPrompt(UINT item, UINT flags) {
    if (flags & (MF_POPUP | MF_SEPARATOR)) return std::string();
    UINT command = flags & MF_SYSMENU ? CommandOfSystemItem(item & 0xFFF0) : item;
    if (!command) return std::string();
    std::string text = klib::LoadResString(command);
    return text.substr(0, text.find('\n'));
}

void UpdateMenuStates() {
    bool image = HaveImage();
    for (UINT id : {ID_FILE_SAVE_AS, ID_FILE_PRINT, ID_PRINT_NOW, ID_FILE_SEND_MAIL, ID_EDIT_CLEAR, ID_EDIT_COPY,
                    ID_FULL_SCREEN, ID_EDIT_BW_SWAP, ID_EDIT_GAMMA_DLG, ID_EDIT_IMAGE_RES})
        EnableMenuItem(g_menu, id, MF_BYCOMMAND | (image ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(g_menu, ID_EDIT_UNDO, MF_BYCOMMAND | (HaveUndoImage() ? MF_ENABLED : MF_GRAYED));
    bool named = !g_image.lastSavedPath.empty();
    EnableMenuItem(g_menu, ID_PREV_FILE, MF_BYCOMMAND | (named ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(g_menu, ID_NEXT_FILE, MF_BYCOMMAND | (named ? MF_ENABLED : MF_GRAYED));
}

LRESULT CALLBACK FrameProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        g_frame = w;
        CreateBars(w);
        if (!g_toolbar || !g_status) return -1;
        SetStatusText(klib::LoadResString(IDS_READY));
        DeleteMenu(g_menu, ID_TRAY_RESTORE, MF_BYCOMMAND);
        AdaptMenusToAddon();
        RefreshToggleChecksNow();
        UpdateToolbarStates();
        return 0;
    case WM_CLOSE:
        if (TrayIconShown() && g_settings.wantTrayIcon == 1) {
            ShowWindow(w, SW_MINIMIZE);
            return 0;
        }
        ExitSequence();
        return 0;
    case WM_DESTROY:
        if (w == g_frame) {
            g_frame = nullptr;
            klib::DestroyImageList(g_toolbarImages);
            g_toolbarImages = nullptr;
            PostQuitMessage(0);
        }
        return 0;
    case WM_SIZE:
        if (wp == SIZE_MINIMIZED && TrayIconShown()) {
            ShowWindow(w, SW_HIDE);
            return 0;
        }
        LayoutFrame();
        return 0;
    case WM_MOVE: {
        RECT r;
        if (!IsIconic(w) && GetWindowRect(w, &r)) {
            g_settings.winPosX = r.left;
            g_settings.winPosY = r.top;
        }
        return 0;
    }
    case WM_ERASEBKGND: {
        // The view covers the rest; the flat tool bar is drawn over this.
        RECT r;
        GetClipBox(reinterpret_cast<HDC>(wp), &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_PALETTECHANGED:
    case WM_QUERYNEWPALETTE:
        if (g_view) return SendMessageA(g_view, msg, wp, lp);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && g_image.dibOnly && g_image.dib && !g_image.pixmap) {
            PaletteHandle palette;
            std::unique_ptr<Pixmap> shown = PixmapFromDib(*g_image.dib, &palette);
            if (shown) {
                SetCurrentPalette(std::move(palette));
                SetCurrentPixmap(std::move(shown));
            }
            g_image.dibOnly = false;
            ShowCurrentImage();
        }
        break;
    case WM_ENABLE: {
        // While a modal dialog disables the frame, no capture may start.
        static int savedAllowed = 1;
        if (!wp) {
            savedAllowed = g_hotkeys.capturesAllowed;
            g_hotkeys.capturesAllowed = 0;
        } else {
            g_hotkeys.capturesAllowed = savedAllowed;
        }
        break;
    }
    case WM_QUERYENDSESSION:
        if (MayEnd()) WriteSettingsAtSessionEnd();
        return TRUE;
    case WM_HOTKEY:
        if (IsWindowEnabled(w)) DispatchCapture(static_cast<UINT>(wp));
        return 0;
    case WM_INITMENUPOPUP: UpdateMenuStates(); break;
    case WM_MENUSELECT:
        if (HIWORD(wp) == 0xFFFF && !lp) SetStatusText(klib::LoadResString(IDS_READY));
        else SetStatusText(MenuPrompt(LOWORD(wp), HIWORD(wp)));
        return 0;
    case WM_EXITMENULOOP: SetStatusText(klib::LoadResString(IDS_READY)); break;
    case WM_SYSCOMMAND: {
        if (g_translatingAccelerator) {
            OnCommand(LOWORD(wp));
            return 0;
        }
        UINT cmd = static_cast<UINT>(wp) & 0xFFF0;
        if (UINT command = CommandOfSystemItem(cmd)) {
            OnCommand(command);
            return 0;
        }
        if (cmd == SC_CLOSE && TrayIconShown() && g_settings.wantTrayIcon == 1) {
            ShowWindow(w, SW_MINIMIZE);
            return 0;
        }
        break;
    }
    case WM_COMMAND:
        if (lp == 0 || reinterpret_cast<HWND>(lp) == g_toolbar) {
            OnCommand(LOWORD(wp));
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        if (nm->code == TTN_GETDISPINFOA) {
            auto* di = reinterpret_cast<NMTTDISPINFOA*>(lp);
            static char tip[128];
            std::snprintf(tip, sizeof tip, "%s", MenuText(static_cast<UINT>(nm->idFrom)).c_str());
            di->lpszText = tip;
            return 0;
        }
        break;
    }
    case kWmCommandHelp: return FALSE;  // help goes through its own command
    }
    return DefWindowProcA(w, msg, wp, lp);
}

bool RegisterClasses() {
    static bool done = false;
    if (done) return true;
    HINSTANCE inst = klib::Instance();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(klib::ResourceModule(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kFrameClass;
    if (!RegisterClassA(&wc)) return false;
    wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ViewProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kViewClass;
    if (!RegisterClassA(&wc)) return false;
    done = true;
    return true;
}

}  // namespace

HWND MainFrame() { return g_frame; }
HWND ImageView() { return g_view; }
HACCEL MainAccelerators() { return g_accel; }
HMENU MainMenu() { return g_menu; }
void RefreshMenuChecks() { RefreshToggleChecksNow(); }
const std::string& DisplayName() { return g_displayName; }
bool TrayIconShown() { return false; }

void NotAvailable(const char* what) { klib::ResMessageBox(MB_OK | MB_ICONINFORMATION, IDS_NOT_AVAILABLE, what); }

bool CreateMainFrame(bool captureArgument, bool windowless) {
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    ReadStartupSettings();
    if (captureArgument) g_settings.wantTrayIcon = 0;
    WindowSettings& s = g_settings;
    if (s.winPosX < 0 || s.winPosY < 0 || s.winPosX + s.winWidth > screen.right ||
        s.winPosY + s.winHeight > screen.bottom)
        s.winPosX = s.winPosY = s.winWidth = s.winHeight = -1;
    // The imaging add-on is not bound by this version.
    g_run.addon = 0;
    g_displayName = klib::LoadResString(IDS_DISPLAY_NAME);
    if (g_displayName.empty()) g_displayName = "Glimmerbox";

    if (windowless) return true;

    // The bars and the dialogs of the main window use the common controls.
    klib::InitControls(ICC_BAR_CLASSES | ICC_HOTKEY_CLASS | ICC_WIN95_CLASSES);
    if (!RegisterClasses()) return false;
    g_menu = LoadMenuA(klib::ResourceModule(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    g_accel = LoadAcceleratorsA(klib::ResourceModule(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    HWND frame = CreateWindowExA(0, kFrameClass, g_displayName.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, g_menu,
                                 klib::Instance(), nullptr);
    if (!frame) return false;
    g_frame = frame;
    RECT rc;
    GetClientRect(frame, &rc);
    g_view = CreateWindowExA(0, kViewClass, nullptr, WS_CHILD | WS_HSCROLL | WS_VSCROLL | WS_CLIPSIBLINGS, 0, 0,
                             rc.right, rc.bottom, frame, nullptr, klib::Instance(), nullptr);
    if (!g_view) return false;
    LayoutFrame();
    if (s.winWidth > 0 && s.winHeight > 0)
        SetWindowPos(frame, nullptr, s.winPosX, s.winPosY, s.winWidth, s.winHeight,
                     SWP_NOZORDER | (g_run.hidden ? SWP_NOACTIVATE : 0));
    klib::AcceptDroppedFiles(g_view, true);
    klib::SetMessageOwner(frame);
    if (!g_run.hidden) {
        ShowWindow(g_view, SW_SHOW);
        ShowWindow(frame, klib::InitialShowState());
        UpdateWindow(frame);
    } else {
        ShowWindow(g_view, SW_SHOW);
    }
    UpdateTitle();
    ApplyHotkeys(true);
    return true;
}

void UpdateTitle() {
    int w, h;
    CurrentImageSize(&w, &h);
    if (!HaveImage() || g_run.fixedTitle) {
        SetTitleText(g_run.fixedTitle ? g_displayName : BaseTitle());
        return;
    }
    char buf[600];
    std::snprintf(buf, sizeof buf, "%s (%s: %d %d)", BaseTitle().c_str(),
                  klib::LoadResString(IDS_SIZE_LABEL).c_str(), w, h);
    SetTitleText(buf);
}

void ShowCurrentImage() {
    UpdateToolbarStates();
    g_scrollX = g_scrollY = 0;
    LayoutScrollBars();
    if (g_view) {
        InvalidateRect(g_view, nullptr, TRUE);
        UpdateWindow(g_view);
    }
    UpdateTitle();
}

void ClearView(bool keepNames) {
    ClearCurrentImage(keepNames);
    ShowCurrentImage();
}

void ActivateMainWindow() {
    if (!g_frame || g_run.hidden) return;
    ShowWindow(g_frame, SW_RESTORE);
    SetForegroundWindow(g_frame);
}

void RestoreMainWindow() {
    if (g_run.hidden || !g_frame) return;
    if (g_settings.autoRestore) {
        ShowWindow(g_frame, SW_RESTORE);
        SetWindowPos(g_frame, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        SetForegroundWindow(g_frame);
        UpdateWindow(g_frame);
    } else if (!TrayIconShown()) {
        ShowWindow(g_frame, SW_SHOWNA);
    }
}

int RunMessageLoop() {
    MSG msg;
    for (;;) {
        while (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            // Idle step: run an armed timed capture, take up a message
            // another program sent over DDE, then wait for input.
            if (RunArmedTimedCapture()) continue;
            if (klib::ProcessPendingMessage()) continue;
            WaitMessage();
        }
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
        if (g_frame && g_accel) {
            g_translatingAccelerator = true;
            bool translated = TranslateAcceleratorA(g_frame, g_accel, &msg) != 0;
            g_translatingAccelerator = false;
            if (translated) continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace gmbx
