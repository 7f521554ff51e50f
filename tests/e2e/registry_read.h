// Reading registry values in the end-to-end tests.
#pragma once
#include <windows.h>

#include <string>

namespace gmbx::e2e {

// A DWORD value; false when it is missing or of another type.
bool ReadDword(HKEY root, const char* key, const char* name, DWORD* out);
// A text value; empty when it is missing or of another type.
std::string ReadText(HKEY root, const char* key, const char* name);

}  // namespace gmbx::e2e
