#include "capture/win/transparentpick.h"

#include <atomic>
#include <string>

#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "capture/win/mainframe.h"
#include "gd.h"
#include "imageio/gifio.h"
#include "imageio/win/current.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {
namespace {

std::atomic<bool> g_waiting{false};

constexpr UINT_PTR kBlinkTimer = 0x7472;  // "tr"
constexpr UINT kBlinkMs = 750;
constexpr INT_PTR kAccept = 1;
constexpr INT_PTR kPickAgain = 11;
constexpr INT_PTR kCancel = -1;

enum class Wait { Point, Cancel, Quit };

// Waits in the view for a click (the clicked point) or Space (the point under
// the pointer); Escape cancels. Point in view client coordinates.
Wait WaitForPoint(HWND frame, HWND view, POINT* at) {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    EnableWindow(frame, FALSE);
    // The view keeps the pointer while the frame is disabled, and shows the
    // pick cursor (no WM_SETCURSOR reaches it while it holds the capture).
    SetCapture(view);
    SetCursor(LoadCursor(nullptr, IDC_CROSS));

    char saved[600] = "";
    GetWindowTextA(frame, saved, sizeof saved);
    const std::string prompt = klib::LoadResString(IDS_PICK_TRANSPARENT);
    bool shown = true;
    SetWindowTextA(frame, prompt.c_str());
    const UINT_PTR timer = SetTimer(view, kBlinkTimer, kBlinkMs, nullptr);
    const bool escKey = RegisterHotKey(view, kHotkeyEscape, 0, VK_ESCAPE) != 0;
    const bool spaceKey = RegisterHotKey(view, kHotkeySpace, 0, VK_SPACE) != 0;
    g_waiting = true;

    Wait result = Wait::Cancel;
    auto pointerPoint = [&] {
        GetCursorPos(at);
        ScreenToClient(view, at);
        result = Wait::Point;
    };
    MSG msg;
    for (;;) {
        if (!IsWindow(view) || !IsWindow(frame)) break;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            result = Wait::Quit;
            break;
        }
        if (got < 0) break;
        if (msg.hwnd == view && msg.message == WM_TIMER && msg.wParam == kBlinkTimer) {
            shown = !shown;
            SetWindowTextA(frame, shown ? prompt.c_str() : "");
            continue;
        }
        if (msg.message == WM_HOTKEY && msg.hwnd == view) {
            if (msg.wParam == kHotkeyEscape) break;
            if (msg.wParam == kHotkeySpace) {
                pointerPoint();
                break;
            }
            continue;
        }
        // The keys also count when they arrive as plain key strokes (the
        // system-wide keys may be held by another program).
        if (msg.message == WM_KEYDOWN && (msg.hwnd == view || msg.hwnd == frame || IsChild(frame, msg.hwnd))) {
            if (msg.wParam == VK_ESCAPE) break;
            if (msg.wParam == VK_SPACE) {
                pointerPoint();
                break;
            }
            continue;
        }
        if (msg.hwnd == view && msg.message == WM_LBUTTONDOWN) {
            at->x = static_cast<short>(LOWORD(msg.lParam));
            at->y = static_cast<short>(HIWORD(msg.lParam));
            result = Wait::Point;
            break;
        }
        // Other input of our windows is swallowed while the pick waits.
        if (msg.hwnd && (msg.hwnd == frame || IsChild(frame, msg.hwnd)) &&
            ((msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
             (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    g_waiting = false;
    if (escKey) UnregisterHotKey(view, kHotkeyEscape);
    if (spaceKey) UnregisterHotKey(view, kHotkeySpace);
    if (timer) KillTimer(view, kBlinkTimer);
    if (IsWindow(frame)) SetWindowTextA(frame, saved);
    if (GetCapture() == view) ReleaseCapture();
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    if (IsWindow(frame)) EnableWindow(frame, TRUE);
    return result;
}

struct BoxData {
    COLORREF colour;
};

void SetItemFromResource(HWND d, int item, UINT id) {
    const std::string text = klib::LoadResString(id);
    if (!text.empty()) SetDlgItemTextA(d, item, text.c_str());
}

INT_PTR CALLBACK TransparentBoxProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(d, DWLP_USER, lp);
        const std::string title = klib::LoadResString(IDS_TRANSP_TITLE);
        if (!title.empty()) SetWindowTextA(d, title.c_str());
        SetItemFromResource(d, IDC_TRBK_TEXT, IDS_TRANSP_QUESTION);
        SetItemFromResource(d, IDC_TRBK_USE, IDS_TRANSP_ACCEPT);
        SetItemFromResource(d, IDC_TRBK_AGAIN, IDS_TRANSP_AGAIN);
        SetItemFromResource(d, IDC_TRBK_CANCEL, IDS_TRANSP_CANCEL);
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        auto* data = reinterpret_cast<BoxData*>(GetWindowLongPtrA(d, DWLP_USER));
        if (wp != IDC_TRBK_COLOUR || !item || !data) return FALSE;
        HBRUSH fill = CreateSolidBrush(data->colour);
        HGDIOBJ oldBrush = SelectObject(item->hDC, fill);
        HGDIOBJ oldPen = SelectObject(item->hDC, GetStockObject(BLACK_PEN));
        const RECT& r = item->rcItem;
        Rectangle(item->hDC, r.left, r.top, r.right, r.bottom);
        SelectObject(item->hDC, oldPen);
        SelectObject(item->hDC, oldBrush);
        DeleteObject(fill);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDC_TRBK_USE: EndDialog(d, kAccept); return TRUE;
        case IDC_TRBK_AGAIN: EndDialog(d, kPickAgain); return TRUE;
        case IDCANCEL:
        case IDC_TRBK_CANCEL: EndDialog(d, kCancel); return TRUE;
        }
        break;
    }
    return FALSE;
}

COLORREF PaletteColour(const gdImageStruct* im, int index) {
    return RGB(im->red[index], im->green[index], im->blue[index]);
}

}  // namespace

bool TransparentPickActive() { return g_waiting; }

int PickTransparentColour(const gdImageStruct* im) {
    HWND frame = MainFrame();
    HWND view = ImageView();
    if (!im || CaptureInProgress() || !frame || !view || !IsWindow(view)) return -1;
    for (;;) {
        POINT at = {};
        const Wait wait = WaitForPoint(frame, view, &at);
        if (wait != Wait::Point) return kGifSaveCancelled;
        // The view's bars hold its scroll position (image pixels at its
        // top-left corner).
        const int x = at.x + GetScrollPos(view, SB_HORZ);
        const int y = at.y + GetScrollPos(view, SB_VERT);
        const int index = GdPaletteIndexAt(im, x, y);
        if (index < 0) {
            klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_PICK_OUTSIDE);
            continue;
        }
        BoxData data = {PaletteColour(im, index)};
        const INT_PTR answer = DialogBoxParamA(klib::ResourceModule(), "trbk", frame, TransparentBoxProc,
                                               reinterpret_cast<LPARAM>(&data));
        if (answer == kCancel) return kGifSaveCancelled;
        if (answer == kPickAgain) continue;
        return index;
    }
}

GifTransparentChooser TransparentChooserForSave() {
    if (!g_settings.save.transparent || CaptureInProgress()) return {};
    return [](const gdImageStruct* im) { return PickTransparentColour(im); };
}

}  // namespace gmbx
