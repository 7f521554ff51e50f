// Test windows painted in one colour, for captures whose pixels the tests
// know.
#pragma once
#include <windows.h>

namespace gmbx::testutil {

// Shown without activation and painted once before it returns.
HWND SolidWindow(DWORD style, DWORD exStyle, int x, int y, int width, int height, COLORREF colour,
                 HWND parent = nullptr, const char* title = "Test window");

}  // namespace gmbx::testutil
