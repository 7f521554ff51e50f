#include "tests/e2e/gmbx_runner.h"

#include <cstring>

namespace gmbx::e2e {
namespace {

struct BoxSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK FindBoxes(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (pid == c->pid && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(w)) c->found.push_back(w);
    return TRUE;
}

struct WindowSearch {
    DWORD pid;
    const char* cls;
    bool shownOnly;
    HWND found;
};

BOOL CALLBACK FindWindowOfClass(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (pid == c->pid && std::strcmp(cls, c->cls) == 0 && (!c->shownOnly || IsWindowVisible(w))) {
        c->found = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int AnswerOk(const MessageBoxSeen&) { return IDOK; }

std::string BuildDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n);
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

std::string ResourceText(UINT id) {
    static HMODULE res = LoadLibraryExA((BuildDir() + "\\GmbxRes.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char buf[1024] = "";
    int n = res ? LoadStringA(res, id, buf, sizeof buf) : 0;
    return std::string(buf, n > 0 ? size_t(n) : 0);
}

std::string WindowText(HWND w) {
    char buf[1024] = "";
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

std::string WindowTextUtf8(HWND w) {
    if (!w) return std::string();
    wchar_t buf[2048] = L"";
    int n = GetWindowTextW(w, buf, 2048);
    if (n <= 0) return std::string();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, buf, n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buf, n, &out[0], bytes, nullptr, nullptr);
    return out;
}

bool WaitForTitle(HWND w, const std::string& part, DWORD timeoutMs, GmbxProcess* process) {
    DWORD end = GetTickCount() + timeoutMs;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        if (WindowText(w).find(part) != std::string::npos) return true;
        if (process) process->WaitForBoxes(process->Boxes().size() + 1, 50);
        PumpFor(50);
    }
    return false;
}

bool WindowManagerRuns() {
    char value[8] = "";
    return GetEnvironmentVariableA("GMBX_WINDOW_MANAGER", value, sizeof value) > 0 && value[0] == '1';
}

bool Xdotool(const std::string& args) {
    std::string cmd = "Z:\\usr\\bin\\xdotool " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    bool done = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return done;
}

// The X names of the keys the tests press through the X server.
const char* XKeyName(WORD vk) {
    static const struct {
        WORD vk;
        const char* name;
    } kNames[] = {{VK_ESCAPE, "Escape"}, {VK_RETURN, "Return"}, {VK_F1, "F1"},    {VK_LEFT, "Left"},
                  {VK_RIGHT, "Right"},   {VK_UP, "Up"},         {VK_DOWN, "Down"}, {VK_SPACE, "space"}};
    for (const auto& k : kNames)
        if (k.vk == vk) return k.name;
    return nullptr;
}

void PressKey(WORD key, std::initializer_list<WORD> modifiers) {
    const char* xName = XKeyName(key);
    if (modifiers.size() == 0 && xName && WindowManagerRuns()) {
        Xdotool(std::string("key ") + xName);
        PumpFor(150);
        return;
    }
    std::vector<INPUT> in(2 * (modifiers.size() + 1));
    size_t i = 0;
    for (WORD m : modifiers) in[i++].ki.wVk = m;
    in[i++].ki.wVk = key;
    for (size_t j = 0; j < i; ++j) {
        in[in.size() - 1 - j].ki.wVk = in[j].ki.wVk;
        in[in.size() - 1 - j].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    for (INPUT& k : in) k.type = INPUT_KEYBOARD;
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void PressCtrlShift(WORD key) { PressKey(key, {VK_CONTROL, VK_SHIFT}); }

void PumpFor(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD now = GetTickCount();
        if (static_cast<int>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

GmbxProcess::GmbxProcess(const std::string& exe, const std::string& args, const std::string& cwd) {
    std::string cmd = "\"" + exe + "\"";
    if (!args.empty()) cmd += " " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string dir = cwd.empty() ? BuildDir() : cwd;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_))
        pi_ = {};
}

GmbxProcess::~GmbxProcess() {
    if (pi_.hProcess) {
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
}

bool GmbxProcess::AnswerBoxes(const BoxAnswer& answer) {
    BoxSearch ctx{pi_.dwProcessId, {}};
    EnumWindows(FindBoxes, reinterpret_cast<LPARAM>(&ctx));
    for (HWND box : ctx.found) {
        MessageBoxSeen seen;
        // The message text of a message box is its static control 0xFFFF.
        seen.text = WindowTextUtf8(GetDlgItem(box, 0xFFFF));
        seen.caption = WindowTextUtf8(box);
        // Only real message boxes: dialogs of the program are left alone.
        if (!GetDlgItem(box, 0xFFFF)) continue;
        boxes_.push_back(seen);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer(seen), BN_CLICKED), 0);
        // Give it time to go before it could be seen twice.
        for (int i = 0; i < 50 && IsWindow(box) && IsWindowVisible(box); ++i) PumpFor(20);
    }
    return !ctx.found.empty();
}

RunResult GmbxProcess::Wait(DWORD timeoutMs, const BoxAnswer& answer) {
    RunResult r;
    r.started = Started();
    if (!r.started) return r;
    DWORD end = GetTickCount() + timeoutMs;
    for (;;) {
        DWORD w = MsgWaitForMultipleObjects(1, &pi_.hProcess, FALSE, 50, QS_ALLINPUT);
        if (w == WAIT_OBJECT_0) break;
        PumpFor(0);
        AnswerBoxes(answer);
        if (static_cast<int>(end - GetTickCount()) <= 0) {
            r.timedOut = true;
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 5000);
            break;
        }
    }
    GetExitCodeProcess(pi_.hProcess, &r.exitCode);
    r.boxes = boxes_;
    return r;
}

HWND GmbxProcess::WaitForWindow(const char* className, DWORD timeoutMs, const BoxAnswer& answer) {
    DWORD end = GetTickCount() + timeoutMs;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        if (HWND found = WindowOf(className, true)) return found;
        AnswerBoxes(answer);
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
        PumpFor(50);
    }
    return nullptr;
}

HWND GmbxProcess::WindowOf(const char* className, bool shownOnly) const {
    WindowSearch ctx{pi_.dwProcessId, className, shownOnly, nullptr};
    EnumWindows(FindWindowOfClass, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

bool GmbxProcess::WaitForBoxes(size_t count, DWORD timeoutMs, const BoxAnswer& answer) {
    DWORD end = GetTickCount() + timeoutMs;
    while (boxes_.size() < count && static_cast<int>(end - GetTickCount()) > 0) {
        AnswerBoxes(answer);
        PumpFor(50);
    }
    return boxes_.size() >= count;
}

RunResult RunGmbx(const std::string& args, DWORD timeoutMs, const BoxAnswer& answer, const std::string& cwd) {
    GmbxProcess p(BuildDir() + "\\gmbx.exe", args, cwd);
    return p.Wait(timeoutMs, answer);
}

}  // namespace gmbx::e2e
