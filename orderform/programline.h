// Lines of the program list: a bare program name, or the name with its seat
// count ("Tamsin - na 12  stanowisk(o)"); the list as one text, and as the
// bytes of the stored list "info.txt".
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace tendra {

// The program name: the text before the count when the line ends with one
// (" - na ", decimal digits, "  stanowisk(o)"), else the whole line.
std::wstring ProgramName(const std::wstring& line);
// The line for the program of `line` with the given number of seats
// (replacing a count the line already has).
std::wstring WithSeatCount(const std::wstring& line, int seats);

// The lines of a stored or downloaded list: split at CR LF, LF or CR; empty
// lines and NUL characters are dropped.
std::vector<std::wstring> SplitListText(const std::wstring& text);
// The lines joined with CR LF (no line break after the last).
std::wstring JoinListLines(const std::vector<std::wstring>& lines);

// A program list is a few lines; a stored or downloaded list larger than
// this is not read.
constexpr size_t kMaxListBytes = 1 << 20;

// The lines of the stored list: its bytes unscrambled, read as
// Windows-1250 and split as SplitListText does. Any bytes are accepted.
std::vector<std::wstring> ReadStoredList(const std::string& bytes);
// The bytes stored for the lines: joined, in Windows-1250, scrambled.
std::string StoredListBytes(const std::vector<std::wstring>& lines);

}  // namespace tendra
