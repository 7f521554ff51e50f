#include "orderform/win/msgboxes.h"

namespace tendra {

void InfoBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon) {
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | icon);
}

int Question(HWND owner, const std::wstring& text, const std::wstring& caption) {
    const wchar_t* t = text.empty() ? L"Czy aby na pewno wykona\u0107 t\u0105 operacj\u0119?" : text.c_str();
    const wchar_t* c = caption.empty() ? L"Konieczne potwierdzenie!" : caption.c_str();
    switch (MessageBoxW(owner, t, c, MB_YESNO | MB_ICONQUESTION)) {
    case IDYES: return 1;
    case IDNO: return 0;
    default: return 255;
    }
}

}  // namespace tendra
