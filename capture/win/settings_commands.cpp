// When the settings are read and written.
#include "capture/win/settings_commands.h"

#include <vector>

#include "capture/inifile.h"

namespace gmbx {

namespace {

HotkeyPersistence g_hotkeyPersistence;

IniSettingsStore& SettingsFileStore() {
    static IniSettingsStore store(g_settingsFile);
    return store;
}

// The full path of a file name; the name itself when it cannot be made.
std::string FullPath(const std::string& name) {
    std::vector<char> buf(MAX_PATH + 1);
    DWORD n = GetFullPathNameA(name.c_str(), DWORD(buf.size()), buf.data(), nullptr);
    if (n >= buf.size()) {
        buf.resize(n + 1);
        n = GetFullPathNameA(name.c_str(), DWORD(buf.size()), buf.data(), nullptr);
    }
    if (n == 0 || n >= buf.size()) return name;
    return std::string(buf.data(), n);
}

// The placement as it stands in the Window settings (what was just read).
struct StoredPlacement {
    WindowPoint position;
    WindowExtent size;
    StoredPlacement() {
        position.x = g_settings.winPosX;
        position.y = g_settings.winPosY;
        size.width = g_settings.winWidth;
        size.height = g_settings.winHeight;
    }
};

void ReadGroups(SettingsStore& store) {
    ReadWindowSettings(store);
    if (g_hotkeyPersistence.load) g_hotkeyPersistence.load(store);
    ReadPrintOptions(store, g_printOptions, SystemMeasureUnits());
}

void WriteGroups(SettingsStore& store) {
    StoredPlacement placement;
    WriteWindowSettings(store, &placement.position, &placement.size);
    if (g_hotkeyPersistence.save) g_hotkeyPersistence.save(store);
    SavePrintOptions(store, g_printOptions);
}

}  // namespace

RegistryStore& RegistrySettings() {
    static RegistryStore store;
    return store;
}

SettingsStore& CurrentSettingsStore() {
    if (g_run.settingsFileMode) return SettingsFileStore();
    return RegistrySettings();
}

int32_t SystemMeasureUnits() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return MeasureUnitsFromText(nullptr);
    char text[33] = "";
    DWORD type = 0, size = 32;
    LONG rc = RegQueryValueExA(key, "iMeasure", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return MeasureUnitsFromText(nullptr);
    text[size < 32 ? size : 32] = '\0';
    return MeasureUnitsFromText(text);
}

void SetHotkeyPersistence(HotkeyPersistence persistence) { g_hotkeyPersistence = std::move(persistence); }

SettingsLocations ProgramSettingsLocations() {
    SettingsLocations where;
    where.registry = &RegistrySettings();
    where.settingsFile = FullPath(SettingsFileBeside(g_run.helpPath));
    return where;
}

int ExportSettingsToFile(const SettingsLocations& where) {
    ReadGroups(*where.registry);
    g_settingsFile.Load(where.settingsFile);
    g_run.settingsFileMode = 1;
    WriteGroups(SettingsFileStore());
    if (!g_settingsFile.Write(true)) return 1;
    g_run.settingsFileMode = 0;
    return 0;
}

int ExportSettingsToFile() { return ExportSettingsToFile(ProgramSettingsLocations()); }

int ImportSettingsFromFile(const SettingsLocations& where) {
    if (!g_settingsFile.Load(where.settingsFile)) return 1;
    g_run.settingsFileMode = 1;
    ReadGroups(SettingsFileStore());
    g_settingsFile.Write(false);
    g_run.settingsFileMode = 0;
    WriteGroups(*where.registry);
    return 0;
}

int ImportSettingsFromFile() { return ImportSettingsFromFile(ProgramSettingsLocations()); }

void UseSettingsFile(const char* path) {
    if (path && g_settingsFile.Load(path)) g_run.settingsFileMode = 1;
}

bool ImportSettingsAfterInstall(const SettingsLocations& where) {
    g_run.settingsFileMode = 0;
    if (where.registry->OpenForReading(kWindowGroup)) return false;
    if (!g_settingsFile.Load(where.settingsFile)) return false;
    g_run.settingsFileMode = 1;
    ReadGroups(SettingsFileStore());
    g_settingsFile.Write(false);
    g_run.settingsFileMode = 0;
    WriteGroups(*where.registry);
    return true;
}

bool ImportSettingsAfterInstall() { return ImportSettingsAfterInstall(ProgramSettingsLocations()); }

bool ReadStartupSettings() {
    SettingsStore& store = CurrentSettingsStore();
    bool found = ReadWindowSettings(store);
    LoadPrintOptions(store, g_printOptions, SystemMeasureUnits());
    return found;
}

void WriteSettingsAtExit(HWND frame) {
    SettingsStore& store = CurrentSettingsStore();
    if (g_run.hidden || !frame || !IsWindow(frame)) {
        WriteWindowSettings(store);
    } else {
        if (IsIconic(frame) || IsZoomed(frame)) ShowWindow(frame, SW_RESTORE);
        RECT r;
        if (GetWindowRect(frame, &r)) {
            WindowPoint position;
            position.x = r.left;
            position.y = r.top;
            WindowExtent size;
            size.width = r.right - r.left;
            size.height = r.bottom - r.top;
            WriteWindowSettings(store, &position, &size);
        } else {
            WriteWindowSettings(store);
        }
    }
    SavePrintOptions(store, g_printOptions);
}

void WriteSettingsAtSessionEnd() {
    SettingsStore& store = CurrentSettingsStore();
    WriteWindowSettings(store);
    SavePrintOptions(store, g_printOptions);
}

bool WriteBackSettingsFile() {
    if (!g_run.settingsFileMode) return true;
    return g_settingsFile.Write(true);
}

}  // namespace gmbx
