// When the settings are read and written: at start-up and exit, in
// settings-file mode, and by the command-line switches that export and
// import them (-dumpopts, -readopts, -initfrom:, and the import that
// follows -install). Three groups are handled together: Window, Keys (the
// hotkeys, through the callbacks set with SetHotkeyPersistence) and Print.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "capture/printoptions.h"
#include "capture/settingsio.h"
#include "capture/win/registry_store.h"

namespace gmbx {

// The registry store of the program's settings (HKEY_CURRENT_USER).
RegistryStore& RegistrySettings();
// The store the settings go to now: the in-memory gmbx.ini
// (g_settingsFile) in settings-file mode, else the registry.
SettingsStore& CurrentSettingsStore();

// The units of the system's measurement setting (HKEY_CURRENT_USER
// "Control Panel\International", value "iMeasure"); 1 when unreadable.
int32_t SystemMeasureUnits();

// Reading and writing the Keys group on a given store. Until they are set,
// the switches below handle the Window and Print groups only.
struct HotkeyPersistence {
    std::function<void(SettingsStore&)> load;
    std::function<void(SettingsStore&)> save;
};
void SetHotkeyPersistence(HotkeyPersistence persistence);

// Where the switches below find the registry settings and gmbx.ini.
struct SettingsLocations {
    SettingsStore* registry = nullptr;
    std::string settingsFile;  // full path of gmbx.ini
};
// The program's own: RegistrySettings(), and gmbx.ini beside the program
// (the folder of g_run.helpPath, made a full path).
SettingsLocations ProgramSettingsLocations();

// -dumpopts: reads the three groups from the registry, loads gmbx.ini (an
// absent file gives an empty copy, and lines the program does not know stay
// where they are), writes the three groups into it (the window placement
// included) and writes the file. Returns the exit code: 1 when the file
// could not be written (settings-file mode stays on then), else 0 with
// settings-file mode off.
int ExportSettingsToFile(const SettingsLocations& where);
int ExportSettingsToFile();

// -readopts: loads gmbx.ini (1 when it cannot be opened), reads the three
// groups from it, drops the copy without writing it, leaves settings-file
// mode and writes the three groups (the window placement included) to the
// registry. Returns 0 then.
int ImportSettingsFromFile(const SettingsLocations& where);
int ImportSettingsFromFile();

// -initfrom:<path>: loads that settings file; when it could be read, the
// run goes on in settings-file mode with it. Otherwise nothing changes.
void UseSettingsFile(const char* path);

// The import after -install: leaves settings-file mode; when gmbx.ini
// exists and the registry has no Window group yet, reads the three groups
// from the file (dropping the copy unwritten) and writes them to the
// registry. True when it imported.
bool ImportSettingsAfterInstall(const SettingsLocations& where);
bool ImportSettingsAfterInstall();

// Start-up, while the main window is built: reads the Window group and the
// print options (once) from the current store. False when the Window group
// does not exist (no settings yet).
bool ReadStartupSettings();

// The exit sequence: writes the Window group to the current store, without
// placement when the hidden flag is set or frame is null, else with the
// frame's placement measured after restoring it from minimised or
// maximised; then the print options.
void WriteSettingsAtExit(HWND frame);

// Windows ends the session: the Window group without placement, and the
// print options.
void WriteSettingsAtSessionEnd();

// The end of a run in settings-file mode: writes the in-memory gmbx.ini
// back to the path it was loaded from. Does nothing (true) outside
// settings-file mode; false when the file could not be written.
bool WriteBackSettingsFile();

}  // namespace gmbx
