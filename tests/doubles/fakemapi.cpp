// Stands in for the simple messaging library (built as MAPI32.DLL). Each
// MAPISendDocuments call writes to the file named by GMBX_FAKEMAPI_LOG the
// lines "separator=...", "paths=...", "names=...", "parent=window|none" and
// "size=N" (the first attachment's size), and copies that attachment to the
// log's name plus ".data". GMBX_FAKEMAPI_RESULT, when set, is the number the
// call returns (1 is the user's abort); 0 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Env(const char* name) {
    char value[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(name, value, MAX_PATH);
    return n && n < MAX_PATH ? std::string(value) : std::string();
}

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendDocuments(ULONG_PTR parent, LPSTR separator, LPSTR paths,
                                                                 LPSTR names, ULONG) {
    std::string log = Env("GMBX_FAKEMAPI_LOG");
    if (!log.empty()) {
        std::string first = paths ? paths : "";
        if (separator && *separator) first = first.substr(0, first.find(separator[0]));
        long size = -1;
        if (FILE* in = std::fopen(first.c_str(), "rb")) {
            if (FILE* copy = std::fopen((log + ".data").c_str(), "wb")) {
                char buf[4096];
                size_t n;
                size = 0;
                while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) {
                    std::fwrite(buf, 1, n, copy);
                    size += static_cast<long>(n);
                }
                std::fclose(copy);
            }
            std::fclose(in);
        }
        if (FILE* f = std::fopen(log.c_str(), "w")) {
            std::fprintf(f, "separator=%s\npaths=%s\nnames=%s\nparent=%s\nsize=%ld\n", separator ? separator : "",
                         paths ? paths : "", names ? names : "", IsWindow(reinterpret_cast<HWND>(parent)) ? "window" : "none",
                         size);
            std::fclose(f);
        }
    }
    std::string result = Env("GMBX_FAKEMAPI_RESULT");
    return result.empty() ? 0 : static_cast<ULONG>(std::strtoul(result.c_str(), nullptr, 10));
}

// Present so that the library counts as complete; the program never calls it.
extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(ULONG_PTR, ULONG_PTR, void*, ULONG, ULONG) { return 2; }
