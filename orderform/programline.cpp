#include "orderform/programline.h"

namespace tendra {
namespace {

const wchar_t kSeatMarker[] = L" - na ";
const wchar_t kSeatSuffix[] = L"  stanowisk(o)";

}  // namespace

std::wstring ProgramName(const std::wstring& line) {
    size_t at = line.find(kSeatMarker);
    return at == std::wstring::npos ? line : line.substr(0, at);
}

std::wstring WithSeatCount(const std::wstring& line, int seats) {
    return ProgramName(line) + kSeatMarker + std::to_wstring(seats) + kSeatSuffix;
}

std::vector<std::wstring> SplitListText(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring current;
    auto flush = [&] {
        if (!current.empty()) lines.push_back(current);
        current.clear();
    };
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n')
            flush();
        else if (c != L'\0')
            current.push_back(c);
    }
    flush();
    return lines;
}

std::wstring JoinListLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += L"\r\n";
        text += lines[i];
    }
    return text;
}

}  // namespace tendra
