// Lines of the program list: a bare program name, or the name with its seat
// count ("Tamsin - na 12  stanowisk(o)"); and the list as one text.
#pragma once
#include <string>
#include <vector>

namespace tendra {

// The program name: the text before " - na " when the line has a count,
// else the whole line.
std::wstring ProgramName(const std::wstring& line);
// The line for the program of `line` with the given number of seats
// (replacing a count the line already has).
std::wstring WithSeatCount(const std::wstring& line, int seats);

// The lines of a stored or downloaded list: split at CR LF, LF or CR; empty
// lines and NUL characters are dropped.
std::vector<std::wstring> SplitListText(const std::wstring& text);
// The lines joined with CR LF (no line break after the last).
std::wstring JoinListLines(const std::vector<std::wstring>& lines);

}  // namespace tendra
