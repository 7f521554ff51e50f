// A hidden main window built inside a test process, with the resource
// library loaded, for suites that need the program's frame and menus.
#pragma once
#include <windows.h>

#include "capture/hotkeys.h"
#include "capture/settings.h"
#include "capture/win/hotkeys_win.h"
#include "capture/win/mainframe.h"
#include "klib/win/frame.h"

namespace gmbx::testutil {

// False when the resource library or the window cannot be had.
inline bool OpenTestMainFrame(int capturesAllowed) {
    HMODULE res = LoadLibraryA("GmbxRes.dll");
    if (!res) return false;
    klib::SetResourceModule(res);
    ResetHotkeyDefaults(g_hotkeys);
    g_hotkeys.capturesAllowed = capturesAllowed;
    g_run.hidden = 1;
    return CreateMainFrame(false, false);
}

inline void CloseTestMainFrame() {
    UnregisterAllHotkeys();
    DestroyWindow(MainFrame());
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    g_run.hidden = 0;
}

}  // namespace gmbx::testutil
