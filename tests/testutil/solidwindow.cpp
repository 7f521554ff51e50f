#include "tests/testutil/solidwindow.h"

namespace gmbx::testutil {
namespace {

// The colour is the window's user data.
LRESULT CALLBACK SolidProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(w, GWLP_USERDATA)));
        FillRect(dc, &ps.rcPaint, b);
        DeleteObject(b);
        EndPaint(w, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

HWND SolidWindow(DWORD style, DWORD exStyle, int x, int y, int width, int height, COLORREF colour, HWND parent,
                 const char* title) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SolidProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "GmbxSolidTest";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(exStyle, wc.lpszClassName, title, style, x, y, width, height, parent, nullptr,
                                wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    ShowWindow(hwnd, SW_SHOWNA);
    UpdateWindow(hwnd);
    return hwnd;
}

}  // namespace gmbx::testutil
