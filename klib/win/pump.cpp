// The message pump of klib and its run loop.
#include "klib/win/pump.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "klib/command.h"
#include "klib/object.h"
#include "klib/win/window.h"

namespace klib {

namespace {

PendingMessageHook g_pendingHook = nullptr;
HotkeyHandler g_hotkeyHandler = nullptr;
bool g_keyAnywhere = false;
HWND g_underPointer = nullptr;  // the window of the latest client-area pointer move
std::vector<PumpStep> g_steps = {PumpOneMessage};

bool Waiting() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

void DispatchTo(uint32_t code, k_object* obj) {
    k_event ev(code, obj);
    ev[kWordArg] = reinterpret_cast<intptr_t>(obj);
    Dispatch(ev);
}

// Leave and enter events for a pointer move.
void TrackPointer(const MSG& msg) {
    bool client = msg.message == WM_MOUSEMOVE;
    if (client && msg.hwnd == g_underPointer) return;
    if (g_underPointer) {
        HWND left = g_underPointer;
        g_underPointer = nullptr;
        if (k_object* obj = ObjectOfWindow(left)) DispatchTo(kEvLeave, obj);
    }
    if (client) {
        g_underPointer = msg.hwnd;
        if (k_object* obj = ObjectOfWindow(msg.hwnd)) DispatchTo(kEvEnter, obj);
    }
}

// The command a key-down message invokes, or null.
k_command* CommandOfKey(const MSG& msg) {
    if (FocusInTextControl()) return nullptr;
    if (!g_keyAnywhere && !IsLibraryWindow(GetActiveWindow())) return nullptr;
    k_command* cmd = FindCommandByKey(KeyMessageCode(msg.wParam, msg.lParam));
    return cmd && cmd->Enabled() ? cmd : nullptr;
}

// The library dialog a message belongs to: its window or that window's parent.
HWND DialogOf(HWND w) {
    if (IsLibraryDialogWindow(w)) return w;
    HWND parent = w ? GetParent(w) : nullptr;
    return IsLibraryDialogWindow(parent) ? parent : nullptr;
}

// Edit controls (rich edit ones too, whose class names carry a version),
// combo boxes and list boxes.
bool IsTextControl(HWND w) {
    static const char* const kClasses[] = {"Edit", "ComboBox", "ComboBoxEx32", "ComboLBox", "ListBox"};
    char cls[64] = "";
    if (!GetClassNameA(w, cls, sizeof cls)) return false;
    if (_strnicmp(cls, "RichEdit", 8) == 0) return true;
    for (const char* name : kClasses)
        if (_stricmp(cls, name) == 0) return true;
    return false;
}

}  // namespace

bool FocusInTextControl() {
    HWND focus = GetFocus();
    return focus && IsTextControl(focus);
}

int PumpOneMessage(int flags) {
    if (flags & kPumpPeekOnly) {
        if ((flags & kPumpWait) && !Waiting()) WaitMessage();
        return Waiting() ? 1 : 0;
    }
    if (g_pendingHook) g_pendingHook();

    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!(flags & kPumpWait)) return 0;
        if (GetMessageA(&msg, nullptr, 0, 0) == -1) return 0;
    }

    switch (msg.message) {
    case WM_QUIT:
        if (!Dispatch(k_event(kEvQuit, nullptr))) RequestQuit();
        return Waiting() ? 1 : 0;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        TrackPointer(msg);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (k_command* cmd = CommandOfKey(msg)) {
            cmd->Invoke();
            return Waiting() ? 1 : 0;
        }
        break;
    case WM_HOTKEY:
        if (g_hotkeyHandler) g_hotkeyHandler(static_cast<unsigned>(msg.wParam));
        break;
    }

    HWND dialog = DialogOf(msg.hwnd);
    if (!dialog || !IsDialogMessageA(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return Waiting() ? 1 : 0;
}

void SetPendingMessageHook(PendingMessageHook hook) { g_pendingHook = hook; }
void SetHotkeyHandler(HotkeyHandler handler) { g_hotkeyHandler = handler; }
void SetKeyAnywhere(bool on) { g_keyAnywhere = on; }

void AddPumpStep(PumpStep step) {
    if (step && std::find(g_steps.begin(), g_steps.end(), step) == g_steps.end()) g_steps.push_back(step);
}

void RemovePumpStep(PumpStep step) { g_steps.erase(std::remove(g_steps.begin(), g_steps.end(), step), g_steps.end()); }

bool RunLoop(bool untilIdle, bool background) {
    int base = background ? kPumpBackground : 0;
    if (untilIdle) {
        for (;;) {
            // Steps may add or remove steps: each round works on a copy.
            std::vector<PumpStep> steps = g_steps;
            bool work = false;
            for (PumpStep step : steps)
                if (step(base)) work = true;
            if (work) continue;
            bool waiting = false;
            for (PumpStep step : std::vector<PumpStep>(g_steps))
                if (step(base | kPumpPeekOnly)) waiting = true;
            if (!waiting) return true;
        }
    }
    while (!QuitRequested()) {
        std::vector<PumpStep> steps = g_steps;
        for (PumpStep step : steps) {
            step(base | kPumpWait);
            if (QuitRequested()) break;
        }
    }
    return false;
}

}  // namespace klib
