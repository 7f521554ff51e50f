#include "capture/hotkeysio.h"

#include <cstdio>
#include <cstring>

namespace gmbx {

void LoadHotkeysFrom(SettingsStore& store, HotkeyState& s, bool gameCaptureEnabled) {
    CopyDefaults(s);
    std::unique_ptr<ValueStore> keys = store.OpenForReading(kKeysGroup);
    if (!keys) return;
    char name[32];
    for (const StoredRow& sr : kStoredOrder) {
        HotkeyEntry& e = s.table[sr.row];
        std::snprintf(name, sizeof name, "%s Key", sr.prefix);
        keys->GetDword(name, &e.key);
        std::snprintf(name, sizeof name, "%s Mod", sr.prefix);
        keys->GetDword(name, &e.modifiers);
        std::snprintf(name, sizeof name, "%s Desc", sr.prefix);
        std::string desc;
        // At most 60 bytes with the zero: a longer description is not read.
        if (keys->GetText(name, &desc, sizeof e.description)) {
            std::strncpy(e.description, desc.c_str(), sizeof e.description - 1);
            e.description[sizeof e.description - 1] = '\0';
        }
    }
    s.table[kRowGame].active = gameCaptureEnabled ? 1 : 0;
    uint32_t disabled = 0;
    keys->GetDword("Disable All Keys", &disabled);
    s.capturesAllowed = disabled == 0 ? 1 : 0;
    uint32_t prtsc = static_cast<uint32_t>(s.handlePrintScreen);
    if (keys->GetDword("HandlePrnScr", &prtsc)) s.handlePrintScreen = static_cast<int32_t>(prtsc);
}

void SaveHotkeysTo(SettingsStore& store, const HotkeyState& s) {
    std::unique_ptr<ValueStore> keys = store.OpenForWriting(kKeysGroup);
    if (!keys) return;
    char name[32];
    for (const StoredRow& sr : kStoredOrder) {
        const HotkeyEntry& e = s.table[sr.row];
        std::snprintf(name, sizeof name, "%s Key", sr.prefix);
        keys->PutDword(name, e.key);
        std::snprintf(name, sizeof name, "%s Mod", sr.prefix);
        keys->PutDword(name, e.modifiers);
        std::snprintf(name, sizeof name, "%s Desc", sr.prefix);
        keys->PutText(name, e.description, true);
    }
    keys->PutDword("Disable All Keys", s.capturesAllowed ? 0 : 1);
    keys->PutDword("HandlePrnScr", static_cast<uint32_t>(s.handlePrintScreen));
}

}  // namespace gmbx
