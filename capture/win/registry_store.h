// The settings in the registry: one key per group under
// HKEY_CURRENT_USER\SOFTWARE\Vantrel\Glimmerbox. A group is opened
// read-only for reading and created (with full access) for writing. Texts
// are REG_SZ values written without their terminating zero (unless asked
// for) and cut at the returned length when read.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "capture/settingsio.h"

namespace gmbx {

// The key of the program's settings below HKEY_CURRENT_USER.
extern const char kSettingsRegistryPath[];  // "SOFTWARE\\Vantrel\\Glimmerbox"

class RegistryStore : public SettingsStore {
public:
    explicit RegistryStore(std::string path = kSettingsRegistryPath, HKEY hive = HKEY_CURRENT_USER)
        : path_(std::move(path)), hive_(hive) {}

    std::unique_ptr<ValueStore> OpenForReading(const char* group) override;
    std::unique_ptr<ValueStore> OpenForWriting(const char* group, long* error = nullptr) override;

    const std::string& Path() const { return path_; }
    std::string GroupPath(const char* group) const { return path_ + "\\" + group; }

private:
    std::string path_;
    HKEY hive_;
};

}  // namespace gmbx
