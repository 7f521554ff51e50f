// The few file-system operations whose behaviour differs between Windows and
// POSIX systems. Declared here without windows.h; implemented in
// capture/posix/fileplatform.cpp and capture/win/fileplatform.cpp.
#pragma once
#include <cstdio>
#include <string>

namespace gmbx {

// Pushes the file's buffered data and asks the system to put it on disk.
// False when any data could not be written.
bool FlushFileToDisk(std::FILE* file);

// Moves from over to, replacing an existing to in one step: afterwards to is
// either the old file or the new one, never a mixture or nothing.
bool ReplaceFileAtomically(const char* from, const char* to);

// The process's current directory; empty when it cannot be told.
std::string ProcessCurrentDirectory();

// Makes path the process's current directory; false (and nothing changed)
// when the folder does not exist or cannot be entered.
bool ChangeProcessDirectory(const char* path);

}  // namespace gmbx
