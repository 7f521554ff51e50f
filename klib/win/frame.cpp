#include "klib/win/frame.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "klib/args.h"
#include "klib/win/dde.h"
#include "klib/win/window.h"

namespace klib {
namespace {

HMODULE g_resources = nullptr;
HINSTANCE g_instance = nullptr;
std::string g_modulePath;
std::string g_baseName;
int g_showState = SW_SHOWNORMAL;
SharedObjects g_shared;
std::vector<char*> g_argv;            // the prepared vector (null-terminated)
std::vector<std::string> g_argStore;  // owns the texts g_argv points to
bool g_classRegistered = false;

HWND g_debugWindow = nullptr;
HWND g_debugEdit = nullptr;
std::string g_debugClass;

LRESULT CALLBACK DebugWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        if (g_debugEdit) MoveWindow(g_debugEdit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_CLOSE:
        g_debugWindow = nullptr;
        g_debugEdit = nullptr;
        break;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

bool RegisterLibraryClass(UINT icon) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_OWNDC | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = LibraryWindowProcedure;
    wc.cbWndExtra = 38;
    wc.hInstance = g_instance;
    if (icon) wc.hIcon = LoadIconA(g_resources ? g_resources : g_instance, MAKEINTRESOURCEA(icon));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = g_baseName.c_str();
    g_classRegistered = RegisterClassA(&wc) != 0;
    g_shared.sizeCursor = LoadCursor(nullptr, IDC_SIZEALL);
    return g_classRegistered;
}

bool g_sharedMade = false;
LibraryResources g_libraryResources;

void CreateSharedObjects() {
    const LibraryResources& resources = g_libraryResources;
    SharedObjects& s = g_shared;
    s.faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    s.blackPen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    s.whiteBrush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    s.blackPen2 = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    s.highlightPen2 = CreatePen(PS_SOLID, 2, GetSysColor(COLOR_BTNHIGHLIGHT));
    s.shadowPen2 = CreatePen(PS_SOLID, 2, GetSysColor(COLOR_BTNSHADOW));
    s.shadowPen4 = CreatePen(PS_SOLID, 4, GetSysColor(COLOR_BTNSHADOW));
    std::string face = resources.fontFace ? LoadResString(resources.fontFace) : std::string();
    if (face == "none") face.clear();
    int charset = resources.fontCharset ? std::atoi(LoadResString(resources.fontCharset).c_str()) : 0;
    s.font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, static_cast<BYTE>(charset),
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                         face.c_str());
    s.memDc = CreateCompatibleDC(nullptr);
    if (s.memDc) {
        SelectObject(s.memDc, s.whiteBrush);
        SelectObject(s.memDc, s.blackPen);
        if (s.font) SelectObject(s.memDc, s.font);
    }
}

void ReleaseSharedObjects() {
    SharedObjects& s = g_shared;
    if (s.memDc) DeleteDC(s.memDc);
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(s.faceBrush), static_cast<HGDIOBJ>(s.blackPen2),
                      static_cast<HGDIOBJ>(s.highlightPen2), static_cast<HGDIOBJ>(s.shadowPen2),
                      static_cast<HGDIOBJ>(s.shadowPen4), static_cast<HGDIOBJ>(s.font)})
        if (o) DeleteObject(o);
    s = SharedObjects();
    g_sharedMade = false;
}

}  // namespace

void SetResourceModule(HMODULE module) { g_resources = module; }
HMODULE ResourceModule() { return g_resources ? g_resources : GetModuleHandleA(nullptr); }

std::string LoadResString(UINT id) {
    char buf[1024];
    int n = LoadStringA(ResourceModule(), id, buf, sizeof buf);
    return n > 0 ? std::string(buf, n) : std::string();
}

bool PrepareProcess(HINSTANCE instance, int showCommand, int* argc, char*** argv,
                    const LibraryResources& resources) {
    g_instance = instance;
    g_showState = showCommand;
    g_libraryResources = resources;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    g_modulePath = ModulePathFromSystem(path);
    g_baseName = BaseNameOf(g_modulePath);

    if (!RegisterLibraryClass(resources.icon)) return false;

    g_argStore.assign(*argv, *argv + *argc);
    g_argStore[0] = g_modulePath;
    g_argv.clear();
    for (auto& a : g_argStore) g_argv.push_back(&a[0]);
    g_argv.push_back(nullptr);
    PreparedArgs prepared = PrepareArguments(*argc, g_argv.data(), showCommand);
    g_showState = prepared.showState;
    if (prepared.openDebugWindow) OpenDebugWindow();
    *argc = prepared.argc;
    *argv = g_argv.data();
    // Started as a child: tell the parent we are here.
    if (prepared.HasParent()) ConnectAsChild(prepared.parentService, prepared.childNumber, prepared.ipcMode);

    return true;
}

const std::string& BaseName() { return g_baseName; }
int InitialShowState() { return g_showState; }
HINSTANCE Instance() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }
// Made when first asked for: a run that draws nothing never pays for them.
const SharedObjects& Shared() {
    if (!g_sharedMade) {
        g_sharedMade = true;
        CreateSharedObjects();
    }
    return g_shared;
}

bool OpenDebugWindow() {
    if (g_debugWindow) return true;
    HINSTANCE inst = Instance();
    g_debugClass = "D" + (g_baseName.empty() ? std::string("gmbx") : g_baseName);
    WNDCLASSA wc = {};
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = DebugWindowProc;
    wc.cbWndExtra = 4;
    wc.hInstance = inst;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    wc.lpszClassName = g_debugClass.c_str();
    RegisterClassA(&wc);
    g_debugWindow = CreateWindowA(g_debugClass.c_str(), "Gmbx32 Debug", WS_OVERLAPPEDWINDOW,
                                  0, 0, 640, 480, nullptr, nullptr, inst, nullptr);
    if (!g_debugWindow) return false;
    RECT rc;
    GetClientRect(g_debugWindow, &rc);
    g_debugEdit = CreateWindowA("EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
                                0, 0, rc.right, rc.bottom, g_debugWindow, nullptr, inst, nullptr);
    if (!g_debugEdit) {
        DestroyWindow(g_debugWindow);
        g_debugWindow = nullptr;
        return false;
    }
    ShowWindow(g_debugWindow, SW_SHOWNORMAL);
    UpdateWindow(g_debugWindow);
    return true;
}

bool DebugWindowOpen() { return g_debugEdit != nullptr; }

int DebugWrite(const char* format, ...) {
    if (!g_debugEdit) return -1;
    char text[512];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    if (n < 0) return -1;
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') out += '\r';
        out += *p;
    }
    int end = GetWindowTextLengthA(g_debugEdit);
    SendMessageA(g_debugEdit, EM_SETSEL, end, end);
    SendMessageA(g_debugEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(out.c_str()));
    return static_cast<int>(std::strlen(text));
}

void ExitProcessWith(int code) {
    std::fflush(nullptr);
    _fcloseall();
    if (g_debugEdit) {
        DebugWrite("%s exited, code = %d\n", g_modulePath.c_str(), code);
        MSG msg;
        while (g_debugWindow && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    ReleaseSharedObjects();
    if (g_classRegistered) UnregisterClassA(g_baseName.c_str(), Instance());
    NotifyParentTerminated(code);
    StopMessageService();
    std::exit(code);
}

}  // namespace klib
