// Windows-1250 (Central European) text: the byte form of what the order form
// stores in "info.txt", posts to the order servers and downloads.
#pragma once
#include <string>

namespace tendra {

// UTF-16 to Windows-1250; a character the code page lacks becomes '?'.
std::string ToCp1250(const std::wstring& text);
// Windows-1250 to UTF-16; every byte has a character (the five unassigned
// bytes map to the C1 control of the same number, as Windows does).
std::wstring FromCp1250(const std::string& bytes);

}  // namespace tendra
