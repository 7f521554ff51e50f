// File-system operations on POSIX systems (the native build of the
// portable units).
#include "capture/fileplatform.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace gmbx {

bool FlushFileToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    return fsync(fileno(file)) == 0;
}

bool ReplaceFileAtomically(const char* from, const char* to) { return std::rename(from, to) == 0; }

std::string ProcessCurrentDirectory() {
    std::vector<char> buf(256);
    for (;;) {
        if (getcwd(buf.data(), buf.size())) return std::string(buf.data());
        if (errno != ERANGE || buf.size() > (1u << 20)) return std::string();
        buf.resize(buf.size() * 2);
    }
}

bool ChangeProcessDirectory(const char* path) { return path && *path && chdir(path) == 0; }

}  // namespace gmbx
