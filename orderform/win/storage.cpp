#include "orderform/win/storage.h"

#include "orderform/customer.h"
#include "orderform/programline.h"

namespace tendra {
namespace {

// Longest stored customer value read back (characters).
constexpr DWORD kMaxValueChars = 4096;

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// The folder of the running program, with a trailing backslash.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return L".\\";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
}

}  // namespace

std::wstring ProgramListPath() { return ProgramFolder() + L"info.txt"; }

bool LoadProgramList(const std::wstring& path, std::vector<std::wstring>& lines) {
    Handle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f.ok()) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart > static_cast<LONGLONG>(kMaxListBytes)) return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(f.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size()))
        return false;
    std::vector<std::wstring> read = ReadStoredList(bytes);
    if (read.empty()) return false;
    lines = read;
    return true;
}

bool SaveProgramList(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::string bytes = StoredListBytes(lines);
    std::wstring temp = path + L".new";
    bool written = false;
    {
        Handle f(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f.ok()) return false;
        DWORD n = 0;
        written = bytes.empty() ||
                  (WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size());
    }
    if (!written) {
        DeleteFileW(temp.c_str());
        return false;
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

std::map<std::wstring, std::wstring> ReadCustomerValues() {
    std::map<std::wstring, std::wstring> values;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCustomerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = 256;
        DWORD type = 0;
        std::wstring data(kMaxValueChars + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        LONG rc = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &bytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;  // too long or not text
        data.resize(bytes / sizeof(wchar_t));
        size_t nul = data.find(L'\0');
        if (nul != std::wstring::npos) data.resize(nul);
        values[std::wstring(name, nameLen)] = data;
    }
    RegCloseKey(key);
    return values;
}

bool WriteCustomerValues(const std::map<std::wstring, std::wstring>& values) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kCustomerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const auto& v : values) {
        DWORD bytes = static_cast<DWORD>((v.second.size() + 1) * sizeof(wchar_t));
        ok &= RegSetValueExW(key, v.first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.second.c_str()),
                             bytes) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

}  // namespace tendra
