// Registration of the capture hotkeys with the window system, the key texts
// in the menus, and the hotkey dialogs.
#pragma once
#include <windows.h>

#include <string>

namespace gmbx {

// Registers rows 0-5 (and the Print Screen takeover), tells the user about
// keys other programs hold, rebuilds the system menu and the capture menu
// texts. With reload the table is read from the store first; without it the
// table is saved afterwards.
void ApplyHotkeys(bool reload);

// Unregisters every key the program may hold (rows 0-7, the Print Screen
// ids -2 and -1).
void UnregisterAllHotkeys();

// The stop key (row 6) is registered only while timed capture is on; its
// row is active while it is registered. False when it could not be
// registered (no key, hotkeys disabled, or another program holds it).
bool RegisterStopKey(bool on);

// Options > Hotkeys.
void ShowHotkeyDialog();

// The failure box text for the given list of failed rows (portable format).
std::string HotkeyFailureText(const std::string& failedLines);

// Reading and writing the table (the "Keys" group); the settings store sets
// these up so that they work on the registry or on gmbx.ini.
using HotkeyIo = void (*)();
void SetHotkeyIo(HotkeyIo load, HotkeyIo save);
void LoadHotkeys();
void SaveHotkeys();

}  // namespace gmbx
