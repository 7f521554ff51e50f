// The scrambling of the stored program list "info.txt": a rolling
// substitution of the printable ASCII bytes; every other byte (line breaks,
// Polish letters of Windows-1250) is kept as it is.
#pragma once
#include <string>

namespace tendra {

std::string Scramble(const std::string& plain);
// The inverse of Scramble; any bytes are accepted (the result of a damaged
// file is garbage of the same length, never an error).
std::string Unscramble(const std::string& data);

}  // namespace tendra
