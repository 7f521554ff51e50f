#include "capture/hotkeys.h"

#include <cstring>

namespace gmbx {

HotkeyState g_hotkeys;

const StoredRow kStoredOrder[kHotkeyRows] = {
    {"Desktop", kRowDesktop}, {"Win", kRowWindow}, {"AWin", kRowAWin}, {"ACli", kRowACli},
    {"Rect", kRowRect},       {"Repeat", kRowRepeat}, {"Stop", kRowStop}, {"DX", kRowGame},
};

namespace {

void SetDescription(HotkeyEntry& e, const char* text) {
    std::strncpy(e.description, text, sizeof e.description - 1);
    e.description[sizeof e.description - 1] = '\0';
}

}  // namespace

void ResetHotkeyDefaults(HotkeyState& s) {
    struct Row {
        uint32_t mods, key;
        int32_t active;
        const char* desc;
    };
    static const Row kRows[kHotkeyRows] = {
        {kHotkeyModCtrl | kHotkeyModShift, 0x46, 1, "Ctrl+Shift+F"}, {kHotkeyModCtrl | kHotkeyModShift, 0x57, 1, "Ctrl+Shift+W"},
        {kHotkeyModCtrl | kHotkeyModShift, 0x52, 1, "Ctrl+Shift+R"}, {kHotkeyModCtrl | kHotkeyModShift, 0x41, 1, "Ctrl+Shift+A"},
        {kHotkeyModCtrl | kHotkeyModShift, 0x43, 1, "Ctrl+Shift+C"}, {0, 0x7A, 1, "F11"},
        {kHotkeyModShift, 0x7A, 0, "Shift+F11"},               {0, 0x91, 0, "Scroll Lock"},
    };
    for (int i = 0; i < kHotkeyRows; ++i) {
        HotkeyEntry& e = s.defaults[i];
        e = HotkeyEntry{};
        e.id = i;
        e.modifiers = kRows[i].mods;
        e.key = kRows[i].key;
        e.active = kRows[i].active;
        e.name = nullptr;
        SetDescription(e, kRows[i].desc);
    }
    CopyDefaults(s);
}

void SetDefaultDescription(HotkeyState& s, int row, const char* text) {
    if (row < 0 || row >= kHotkeyRows || !text) return;
    SetDescription(s.defaults[row], text);
    CopyDefaults(s);
}

void CopyDefaults(HotkeyState& s) {
    for (int i = 0; i < kHotkeyRows; ++i) s.table[i] = s.defaults[i];
}

std::string HotkeyText(const HotkeyState& s, int row) {
    if (row < 0 || row >= kHotkeyRows) return std::string();
    if (!s.capturesAllowed || !s.table[row].active) return std::string();
    return s.table[row].description;
}

bool StopKeyAvailable(const HotkeyState& s) { return s.capturesAllowed && s.table[kRowStop].key != 0; }

uint32_t ModifiersToHotkeyFlags(uint32_t mods) {
    uint32_t f = 0;
    if (mods & kHotkeyModAlt) f |= kHotkeyfAlt;
    if (mods & kHotkeyModCtrl) f |= kHotkeyfControl;
    if (mods & kHotkeyModShift) f |= kHotkeyfShift;
    return f;
}

uint32_t HotkeyFlagsToModifiers(uint32_t flags) {
    uint32_t m = 0;
    if (flags & kHotkeyfAlt) m |= kHotkeyModAlt;
    if (flags & kHotkeyfControl) m |= kHotkeyModCtrl;
    if (flags & kHotkeyfShift) m |= kHotkeyModShift;
    return m;  // the extended-key flag has no modifier
}

std::string KeyDescription(uint32_t flags, const std::string& ctrl, const std::string& shift,
                           const std::string& alt, const std::string& keyName, const std::string& noKey) {
    if (keyName.empty()) return noKey;
    std::string d;
    if (flags & kHotkeyfControl) d += ctrl;
    if (flags & kHotkeyfShift) d += shift;
    if (flags & kHotkeyfAlt) d += alt;
    d += keyName;
    if (d.size() > 59) d.resize(59);
    return d;
}

}  // namespace gmbx
