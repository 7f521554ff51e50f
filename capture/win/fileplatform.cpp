// File-system operations on Windows. Paths are ANSI code-page texts, as in
// the rest of the program.
#include "capture/fileplatform.h"

#include <io.h>
#include <windows.h>

#include <vector>

namespace gmbx {

bool FlushFileToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    return _commit(_fileno(file)) == 0;
}

bool ReplaceFileAtomically(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::string ProcessCurrentDirectory() {
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return std::string();
    std::vector<char> buf(n + 1);
    DWORD got = GetCurrentDirectoryA(DWORD(buf.size()), buf.data());
    if (got == 0 || got >= buf.size()) return std::string();
    return std::string(buf.data(), got);
}

bool ChangeProcessDirectory(const char* path) { return path && *path && SetCurrentDirectoryA(path) != 0; }

}  // namespace gmbx
