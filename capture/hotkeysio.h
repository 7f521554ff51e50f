// Reading and writing the hotkey table (group "Keys") through the settings
// store, on the registry or on gmbx.ini. Portable.
#pragma once
#include "capture/hotkeys.h"
#include "capture/settingsio.h"

namespace gmbx {

// Copies the defaults over the live table, then reads the stored rows, the
// enable flag and the Print Screen flag. A missing group leaves the defaults.
void LoadHotkeysFrom(SettingsStore& store, HotkeyState& s, bool gameCaptureEnabled);
// Writes every row and the two flags; a group that cannot be created is
// left alone.
void SaveHotkeysTo(SettingsStore& store, const HotkeyState& s);

}  // namespace gmbx
