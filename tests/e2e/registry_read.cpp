#include "tests/e2e/registry_read.h"

#include <vector>

namespace gmbx::e2e {

bool ReadDword(HKEY root, const char* key, const char* name, DWORD* out) {
    DWORD size = sizeof *out;
    return RegGetValueA(root, key, name, RRF_RT_REG_DWORD, nullptr, out, &size) == ERROR_SUCCESS;
}

std::string ReadText(HKEY root, const char* key, const char* name) {
    DWORD size = 0;
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return "";
    std::vector<char> buf(size + 1, '\0');
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, buf.data(), &size) != ERROR_SUCCESS) return "";
    return buf.data();
}

}  // namespace gmbx::e2e
