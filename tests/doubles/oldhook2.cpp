// Stands in for the optional system-message-hook library that gmbx.exe loads
// by name and calls around a window pick. Each call is appended as a line to
// the file named by GMBX_OLDHOOK_LOG: "install self" (or "install other" when
// the module handle passed is not this library's) and "release".
#include <windows.h>

namespace {

HMODULE g_self = nullptr;

void Log(const char* line) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("GMBX_OLDHOOK_LOG", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, line, lstrlenA(line), &written, nullptr);
    CloseHandle(f);
}

}  // namespace

extern "C" __declspec(dllexport) void WINAPI InstallSysMsgHook(HMODULE module) {
    Log(module == g_self ? "install self\n" : "install other\n");
}

extern "C" __declspec(dllexport) void WINAPI ReleaseSysMsgHook() { Log("release\n"); }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}
