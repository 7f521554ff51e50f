// Reading and writing the stored settings. Every group of values (Window,
// Keys, Print) goes through the same primitives: a SettingsStore opens a
// group, and the group's ValueStore gets and puts named DWORD and text
// values. Two stores exist: the registry (capture/win/registry_store.h) and,
// in settings-file mode, the in-memory gmbx.ini (IniSettingsStore).
// Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "capture/inifile.h"
#include "capture/settings.h"

namespace gmbx {

// The values of one group.
class ValueStore {
public:
    virtual ~ValueStore() = default;
    // False, and *value unchanged, when the value is absent or not a DWORD.
    virtual bool GetDword(const char* name, uint32_t* value) = 0;
    // bufferSize counts the terminating zero: a stored text of bufferSize
    // characters or more is skipped. False, and *value unchanged, when the
    // value is absent, not a text, or too long.
    virtual bool GetText(const char* name, std::string* value, size_t bufferSize) = 0;
    virtual bool PutDword(const char* name, uint32_t value) = 0;
    // Texts are stored without their terminating zero, unless withZero is
    // set (the hotkey descriptions are stored with it).
    virtual bool PutText(const char* name, const std::string& value, bool withZero = false) = 0;
};

// Where the groups are kept.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The group for reading; null when it does not exist.
    virtual std::unique_ptr<ValueStore> OpenForReading(const char* group) = 0;
    // The group for writing, created if missing; null when it cannot be
    // created, with the system's error code in *error when error is given.
    virtual std::unique_ptr<ValueStore> OpenForWriting(const char* group, long* error = nullptr) = 0;
};

// Names of the groups (registry keys).
extern const char kWindowGroup[];  // "Window"
extern const char kKeysGroup[];    // "Keys"
extern const char kPrintGroup[];   // "Print"

// The in-memory gmbx.ini as a store. The file has no groups: all of them
// share its one list of names, and opening never fails.
class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(IniFile& file) : file_(file) {}
    std::unique_ptr<ValueStore> OpenForReading(const char* group) override;
    std::unique_ptr<ValueStore> OpenForWriting(const char* group, long* error = nullptr) override;

private:
    IniFile& file_;
};

// The process's settings file: loaded by -initfrom:, -dumpopts, -readopts
// and -install, and written back at the end of a run in settings-file mode
// (RunFlags::settingsFileMode).
extern IniFile g_settingsFile;

// Access to the current directory, which the Window group stores as
// CurrentDir. The default is the process's own current directory.
struct DirectoryAccess {
    std::function<std::string()> current;             // empty when unknown
    std::function<bool(const std::string&)> change;  // false when the folder does not exist
};
DirectoryAccess ProcessDirectoryAccess();

// Text limits of the Window group, in characters.
constexpr size_t kQuickSaveNameMax = 255;
constexpr size_t kDefEmailNameMax = 63;
constexpr size_t kGammaTextMax = 31;
constexpr size_t kQScaleTextMax = 63;
constexpr size_t kCurrentDirMax = 259;

// Reads every value of the Window group that the store holds into s (a
// value that is absent leaves the field as it is). AutoSave is not read
// while run.autoSaveForced is set. Then the three save-option sets get their
// format row and variant from their format codes (DeriveFormatPlace), the
// game-capture flag is recomputed, and a stored CurrentDir becomes the
// current directory unless run.keepDirectory is set (a folder that no longer
// exists leaves it unchanged). False, with nothing read, when the group does
// not exist.
bool ReadWindowSettings(SettingsStore& store, WindowSettings& s, const RunFlags& run, const DirectoryAccess& dir);
// The same on g_settings, g_run and the process's current directory.
bool ReadWindowSettings(SettingsStore& store);

struct WindowPoint {
    int32_t x = 0, y = 0;
};
struct WindowExtent {
    int32_t width = 0, height = 0;
};

// Writes the Window group in its order: WinPosX/WinPosY only with a
// position, WinWidth/WinHeight only with a size (both are also kept in s),
// CurrentDir (the current directory, also kept in s) unless
// run.keepStoredDirectory is set. False, with nothing written, when the
// group cannot be created.
bool WriteWindowSettings(SettingsStore& store, const WindowPoint* position, const WindowExtent* size,
                         WindowSettings& s, const RunFlags& run, const DirectoryAccess& dir);
// The same on g_settings, g_run and the process's current directory.
bool WriteWindowSettings(SettingsStore& store, const WindowPoint* position = nullptr,
                         const WindowExtent* size = nullptr);

}  // namespace gmbx
