// Message boxes whose texts come from the resource library.
#pragma once
#include <windows.h>

#include <string>

namespace klib {

// Window that owns the program's message boxes (the main window once it
// exists) and the caption they carry.
void SetMessageOwner(HWND owner);
HWND MessageOwner();
void SetMessageCaption(const std::string& caption);

// Shows the resource string id, used as a printf format for the arguments.
int ResMessageBox(UINT type, UINT id, ...);
// Shows a ready text.
int TextMessageBox(UINT type, const std::string& text);
// The resource string id formatted with the arguments.
std::string FormatResString(UINT id, ...);

}  // namespace klib
