// Shows the order letter in a rich-edit box.
#pragma once

#include <windows.h>

#include "orderform/letter.h"

namespace tendra {
// The base font of the letter, on screen and on paper.
extern const wchar_t kLetterFontFace[];
constexpr int kLetterFontPoints = 11;
}  // namespace tendra

// Clears the box, fills it with the letter paragraph by paragraph (alignment,
// bullets, bold/italic/underline, size), makes it read-only and puts the caret
// at the start.
void ShowLetter(HWND richEdit, const tendra::Letter& letter);
