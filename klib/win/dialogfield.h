// Fields of the program's dialogs: their text, and pointing the user at one
// that holds a value the dialog cannot take.
#pragma once
#include <windows.h>

#include <string>

namespace klib {

// The whole text of dialog item id.
std::string DialogItemText(HWND dialog, int id);

// Gives dialog item id the keyboard focus with all its text selected, so
// that the user can type the value again.
void SelectDialogItem(HWND dialog, int id);

}  // namespace klib
