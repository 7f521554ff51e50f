// The eight capture hotkeys: table, defaults, stored names and the texts
// shown beside the capture commands. Portable: no windows.h.
#pragma once
#include <cstdint>
#include <string>

namespace gmbx {

// Modifier bits as the window system's hotkey registration takes them.
constexpr uint32_t kHotkeyModAlt = 1, kHotkeyModCtrl = 2, kHotkeyModShift = 4;
// Modifier bits of the standard hot-key control.
constexpr uint32_t kHotkeyfShift = 1, kHotkeyfControl = 2, kHotkeyfAlt = 4, kHotkeyfExt = 8;

constexpr int kHotkeyRows = 8;
enum HotkeyRow { kRowDesktop, kRowWindow, kRowRect, kRowAWin, kRowACli, kRowRepeat, kRowStop, kRowGame };

struct HotkeyEntry {
    int32_t id;
    uint32_t modifiers;
    uint32_t key;  // virtual-key code, 0 = none
    int32_t active;
    const char* name;
    char description[60];
};

struct HotkeyState {
    HotkeyEntry table[kHotkeyRows];
    HotkeyEntry defaults[kHotkeyRows];
    int32_t capturesAllowed = 1;  // stored inverted as "Disable All Keys"
    int32_t handlePrintScreen = 0;
};
extern HotkeyState g_hotkeys;

// The built-in defaults (descriptions as given by the resource library at
// start-up replace the built-in ones).
void ResetHotkeyDefaults(HotkeyState& s);
// Sets a row's default description (text cut to 59 characters) and copies
// the defaults over the live table.
void SetDefaultDescription(HotkeyState& s, int row, const char* text);
void CopyDefaults(HotkeyState& s);

// Registry value prefixes in stored order (Desktop, Win, AWin, ACli, Rect,
// Repeat, Stop, DX) and the table row each stands for.
struct StoredRow {
    const char* prefix;
    int row;
};
extern const StoredRow kStoredOrder[kHotkeyRows];

// The row's description when hotkeys are enabled and the row is active,
// else an empty text.
std::string HotkeyText(const HotkeyState& s, int row);

// The stop key (row 6) can stop a timed capture: it has a key and hotkeys
// are enabled.
bool StopKeyAvailable(const HotkeyState& s);

// Conversions between the registration modifiers and the hot-key control's.
uint32_t ModifiersToHotkeyFlags(uint32_t mods);
uint32_t HotkeyFlagsToModifiers(uint32_t flags);

// "Ctrl+Shift+Alt+Key" from the prefixes and the key's name, always in that
// order; the no-key text when there is no key name.
std::string KeyDescription(uint32_t flags, const std::string& ctrl, const std::string& shift,
                           const std::string& alt, const std::string& keyName, const std::string& noKey);

}  // namespace gmbx
