// Texts of windows and of the program's resource script, as UTF-16.
#pragma once
#include <windows.h>

#include <string>

namespace tendra {

std::wstring TextOf(HWND window);

// A text of the program's STRINGTABLE (IDS_...); empty when it has none.
std::wstring LoadText(UINT id);

}  // namespace tendra
