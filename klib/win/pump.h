// The message pump of klib and its run loop.
//
// One pump step takes up a pending inbound message from another program,
// fetches one window message and feeds it to the library: pointer
// enter/leave events, command keys, hotkeys for the capture program, dialog
// keys of library dialogs, and the normal translation and dispatch. The run
// loop calls the registered pump steps (the message pump is one) until the
// queue is idle or until quit. Modal waits run it nested on the same thread.
#pragma once
#include <windows.h>

namespace klib {

// Pump flags.
constexpr int kPumpPeekOnly = 1;    // fetch nothing: report whether a message waits
constexpr int kPumpWait = 2;        // wait when no message waits
constexpr int kPumpBackground = 4;  // the loop runs in the background (for steps that care)

// Pumps one message:
// 1. a pending inbound message is taken up first (the pending-message hook);
// 2. without a message: returns 0, or waits for one with kPumpWait;
// 3. pointer moves: leave and enter events for the library windows the
//    pointer leaves and enters;
// 4. key down (also with Alt): unless the focus is in an edit control, combo
//    box or list box, and when a library window is active or the key-anywhere
//    switch is on, the key's code is looked up in the command keys; an enabled
//    command gets its command event and the key message goes no further;
// 5. hotkeys: the id goes to the hotkey handler, then on to normal dispatch;
// 6. messages of library dialogs (and their child windows) go through the
//    system's dialog keys; the rest is translated and dispatched;
// 7. returns 1 when another message waits, else 0.
// A quit message is dispatched as kEvQuit (without a target); while
// dispatching is off it sets the quit request directly.
// With kPumpPeekOnly: returns 1 when a message waits (after waiting for one
// with kPumpWait), else 0.
int PumpOneMessage(int flags);

// Takes up the pending inbound message of another program; true when there
// was one. Called first by every pump step.
typedef bool (*PendingMessageHook)();
void SetPendingMessageHook(PendingMessageHook hook);

// Receives the ids of hotkey messages (the capture dispatcher).
typedef void (*HotkeyHandler)(unsigned id);
void SetHotkeyHandler(HotkeyHandler handler);

// Command keys work only while a library window is active, unless this is on.
void SetKeyAnywhere(bool on);

// True when the keyboard focus is in an edit control, combo box or list box:
// typing there never triggers command keys.
bool FocusInTextControl();

// Pump steps: called with the pump flags, return non-zero when they did work
// (or, with kPumpPeekOnly, when work waits). PumpOneMessage is registered
// from the start; a step is registered once.
typedef int (*PumpStep)(int flags);
void AddPumpStep(PumpStep step);
void RemovePumpStep(PumpStep step);

// Runs the pump steps.
// Until idle: rounds with flags 0 (4 in the background) while any step did
// work; then every step is asked with flags 1 (5) whether work waits; the
// loop ends when none does and returns true.
// Endless: rounds with flags 2 (6) until the quit request is set; returns
// false.
bool RunLoop(bool untilIdle, bool background);

}  // namespace klib
