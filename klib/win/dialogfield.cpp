#include "klib/win/dialogfield.h"

namespace klib {

std::string DialogItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(item);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(item, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void SelectDialogItem(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    SetFocus(item);
    SendMessageA(item, EM_SETSEL, 0, -1);
}

}  // namespace klib
