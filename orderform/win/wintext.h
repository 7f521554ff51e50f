// Text of a window or control as UTF-16.
#pragma once
#include <windows.h>

#include <string>

namespace tendra {

std::wstring TextOf(HWND window);

}  // namespace tendra
