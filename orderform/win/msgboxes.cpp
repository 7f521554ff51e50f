#include "orderform/win/msgboxes.h"

#include "orderform/res/resource.h"
#include "orderform/win/wintext.h"

namespace tendra {

void InfoBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon) {
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | icon);
}

int Question(HWND owner, const std::wstring& text, const std::wstring& caption) {
    std::wstring t = text.empty() ? LoadText(IDS_CONFIRM) : text;
    std::wstring c = caption.empty() ? LoadText(IDS_CAPTION_CONFIRM) : caption;
    switch (MessageBoxW(owner, t.c_str(), c.c_str(), MB_YESNO | MB_ICONQUESTION)) {
    case IDYES: return 1;
    case IDNO: return 0;
    default: return 255;
    }
}

}  // namespace tendra
