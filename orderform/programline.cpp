#include "orderform/programline.h"

#include "orderform/cp1250.h"
#include "orderform/scrambler.h"

namespace tendra {
namespace {

const wchar_t kSeatMarker[] = L" - na ";
const wchar_t kSeatSuffix[] = L"  stanowisk(o)";

}  // namespace

std::wstring ProgramName(const std::wstring& line) {
    const std::wstring suffix = kSeatSuffix, marker = kSeatMarker;
    if (line.size() < suffix.size() || line.compare(line.size() - suffix.size(), suffix.size(), suffix) != 0)
        return line;
    const size_t end = line.size() - suffix.size();
    size_t digits = end;
    while (digits > 0 && line[digits - 1] >= L'0' && line[digits - 1] <= L'9') --digits;
    if (digits == end || digits < marker.size() ||
        line.compare(digits - marker.size(), marker.size(), marker) != 0)
        return line;
    return line.substr(0, digits - marker.size());
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

std::vector<std::wstring> ReadStoredList(const std::string& bytes) {
    return SplitListText(FromCp1250(Unscramble(bytes)));
}

std::string StoredListBytes(const std::vector<std::wstring>& lines) {
    return Scramble(ToCp1250(JoinListLines(lines)));
}

}  // namespace tendra
