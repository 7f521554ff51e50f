// The floor of any GUI program under Wine: connect to the display through
// user32 (GetDC of the screen) and exit. The start-up benchmark compares the
// capture program's whole-process times with this one.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HDC dc = GetDC(nullptr);
    ReleaseDC(nullptr, dc);
    return dc ? 0 : 1;
}
