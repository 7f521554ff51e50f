#include "klib/win/dragwindow.h"

#include <unordered_map>

#include "klib/win/frame.h"
#include "klib/win/window.h"

namespace klib {

namespace {

struct Background {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
};

std::unordered_map<HWND, Background> g_backgrounds;
const char* const kLookThrough = "klib_look_through";

void FreeBackground(HWND w) {
    auto it = g_backgrounds.find(w);
    if (it == g_backgrounds.end()) return;
    SelectObject(it->second.dc, it->second.old);
    DeleteObject(it->second.bitmap);
    DeleteDC(it->second.dc);
    g_backgrounds.erase(it);
}

LRESULT CALLBACK DragWindowProcedure(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCHITTEST:
        // Looked through while disabled: the lookup of the window under the
        // pointer passes it over.
        if (!IsWindowEnabled(w) || GetPropA(w, kLookThrough)) return HTTRANSPARENT;
        return HTCLIENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCDESTROY:
        RemovePropA(w, kLookThrough);
        FreeBackground(w);
        break;
    case WM_PAINT:
        // Without a paint handler on its object the window shows the screen
        // as it was.
        if (!ObjectOfWindow(w) || !(ObjectOfWindow(w)->HandlerMask() & kEvPaint)) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            PaintDragBackground(w, dc, ps.rcPaint);
            EndPaint(w, &ps);
            return 0;
        }
        break;
    }
    return LibraryWindowProcedure(w, msg, wp, lp);
}

bool RegisterDragClass() {
    // No background: the window paints the screen picture itself.
    return RegisterLibraryWindowClass(kDragWindowClass, nullptr, DragWindowProcedure, false);
}

}  // namespace

HWND CreateDragWindow(k_object* obj, const RECT& area) {
    if (!RegisterDragClass()) return nullptr;
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return nullptr;
    // The picture of the screen that the window shows.
    Background bg;
    HDC screen = GetDC(nullptr);
    bg.dc = CreateCompatibleDC(screen);
    bg.bitmap = CreateCompatibleBitmap(screen, width, height);
    if (!bg.dc || !bg.bitmap) {
        if (bg.bitmap) DeleteObject(bg.bitmap);
        if (bg.dc) DeleteDC(bg.dc);
        ReleaseDC(nullptr, screen);
        return nullptr;
    }
    bg.old = SelectObject(bg.dc, bg.bitmap);
    BitBlt(bg.dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);

    // Not a tool window: window managers do not give the keyboard focus to
    // one that keeps out of the task bar, and under Wine only the window
    // manager gives it to a window it handles (this full-screen one).
    HWND w = CreateWindowExA(WS_EX_TOPMOST, kDragWindowClass, "", WS_POPUP, area.left, area.top,
                             width, height, nullptr, nullptr, Instance(), nullptr);
    if (!w) {
        SelectObject(bg.dc, bg.old);
        DeleteObject(bg.bitmap);
        DeleteDC(bg.dc);
        return nullptr;
    }
    g_backgrounds[w] = bg;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)) != DragWindowProcedure)
        SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DragWindowProcedure));
    AttachWindow(w, obj);
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(w, SW_SHOWNA);
    UpdateWindow(w);
    SetCapture(w);
    return w;
}

void SetLookThrough(HWND window, bool on) {
    if (on) SetPropA(window, kLookThrough, reinterpret_cast<HANDLE>(1));
    else RemovePropA(window, kLookThrough);
}

void FlushDragWindow() {
    GdiFlush();
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 60) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, 0);
}

void PaintDragBackground(HWND window, HDC dc, const RECT& r) {
    HDC src = DragBackgroundDC(window);
    if (!src) return;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, src, r.left, r.top, SRCCOPY);
}

HDC DragBackgroundDC(HWND window) {
    auto it = g_backgrounds.find(window);
    return it == g_backgrounds.end() ? nullptr : it->second.dc;
}

}  // namespace klib
