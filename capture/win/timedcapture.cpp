#include "capture/win/timedcapture.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "capture/win/hotkeys_win.h"
#include "capture/win/mainframe.h"
#include "capture/win/settings_commands.h"
#include "res/resource.h"

namespace gmbx {

namespace {

struct TimedState {
    bool armed = false;
    bool running = false;
    bool saved = false;   // an automatic save happened in this run
    DWORD lastSave = 0;   // tick count of its start
    bool keepGoing = false;
};
TimedState g_timed;

// Takes one hotkey message, if any, to the capture dispatcher (which stops
// the timed capture). Other messages wait for the end of the timed capture.
void TakeHotkey() {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) DispatchCapture(static_cast<UINT>(msg.wParam));
}

// Waits until the interval since the last save has passed, taking hotkeys
// meanwhile. False when AutoSave went off.
bool WaitForNextCapture() {
    for (;;) {
        if (!g_settings.autoSave) return false;
        int32_t remaining = 0;
        if (g_timed.saved) {
            uint32_t interval = std::min<uint32_t>(g_run.timedInterval, 0x7FFFFFFF);
            remaining = static_cast<int32_t>(g_timed.lastSave + interval - 1 - GetTickCount());
        }
        if (remaining <= 0) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<int32_t>(remaining, 1000)),
                                  QS_HOTKEY);
        TakeHotkey();
    }
}

// A hidden run has no window to come back to: it ends.
void EndHiddenRun() {
    HWND frame = MainFrame();
    if (g_run.hidden && frame) PostMessageA(frame, WM_COMMAND, ID_APP_EXIT, 0);
}

// The series has its highest number: automatic saving ends and the last
// capture goes through the post-capture step, which shows it.
void EndSeries() {
    TurnAutoSaveOff();
    AfterCapture(nullptr);
    EndHiddenRun();
}

void Run() {
    g_timed.running = true;
    g_timed.saved = false;
    RegisterStopKey(true);
    ClearView(false);
    while (WaitForNextCapture()) {
        CaptureRepeat();  // saves the capture (QuickSave)
        if (!g_settings.autoSave) break;  // a failed save stopped it
        if (g_settings.quickSaveMax != 0 && g_settings.quickSaveCount > g_settings.quickSaveMax) {
            EndSeries();
            break;
        }
        TakeHotkey();
    }
    g_timed.running = false;
    WriteWindowSettings(CurrentSettingsStore());
}

}  // namespace

bool TimedCaptureMode() { return g_settings.autoSave && g_run.timedInterval != 0; }
bool TimedCaptureRunning() { return g_timed.running; }

void ArmTimedCapture() {
    if (!g_timed.running) g_timed.armed = true;
}

void DisarmTimedCapture() { g_timed.armed = false; }

bool RunArmedTimedCapture() {
    if (!g_timed.armed) return false;
    g_timed.armed = false;
    if (TimedCaptureMode()) Run();
    return true;
}

void StopTimedCapture() {
    TurnAutoSaveOff();
    // The last capture stays, with the name of the file it was saved to.
    ShowCurrentImage();
    HWND frame = MainFrame();
    if (frame && !g_run.hidden) {
        ShowWindow(frame, SW_RESTORE);
        ShowWindow(frame, SW_SHOW);
        SetForegroundWindow(frame);
        if (HWND view = ImageView()) SetFocus(view);
    }
    EndHiddenRun();
}

void TurnAutoSaveOff() {
    g_settings.autoSave = 0;
    RegisterStopKey(false);
    RefreshMenuChecks();
}

void NoteAutomaticSave() {
    g_timed.saved = true;
    g_timed.lastSave = GetTickCount();
}

bool KeepGoingAfterFailedSave() { return g_timed.keepGoing; }
void SetKeepGoingAfterFailedSave(bool on) { g_timed.keepGoing = on; }

}  // namespace gmbx
