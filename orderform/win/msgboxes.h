// The order form's two message boxes.
#pragma once
#include <windows.h>

#include <string>

namespace tendra {

// Icon flags of InfoBox.
constexpr UINT kInfoIcon = MB_ICONINFORMATION;  // 64
constexpr UINT kWarningIcon = MB_ICONWARNING;   // 48
constexpr UINT kErrorIcon = MB_ICONERROR;       // 16

// An information box with an OK button.
void InfoBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon);
// A yes/no question: 1 for Yes, 0 for No, 255 for anything else. Empty text
// and caption ask the general confirmation question.
int Question(HWND owner, const std::wstring& text = std::wstring(), const std::wstring& caption = std::wstring());

}  // namespace tendra
