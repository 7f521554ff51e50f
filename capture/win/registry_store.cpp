// The settings in the registry.
#include "capture/win/registry_store.h"

#include <vector>

namespace gmbx {

const char kSettingsRegistryPath[] = "SOFTWARE\\Vantrel\\Glimmerbox";

namespace {

class RegistryValues : public ValueStore {
public:
    explicit RegistryValues(HKEY key) : key_(key) {}
    ~RegistryValues() override { RegCloseKey(key_); }
    RegistryValues(const RegistryValues&) = delete;
    RegistryValues& operator=(const RegistryValues&) = delete;

    bool GetDword(const char* name, uint32_t* value) override {
        DWORD type = 0, v = 0, size = sizeof v;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS)
            return false;
        if (type != REG_DWORD || size != sizeof v) return false;
        *value = v;
        return true;
    }

    bool GetText(const char* name, std::string* value, size_t bufferSize) override {
        if (bufferSize == 0) return false;
        std::vector<char> buf(bufferSize);
        DWORD type = 0, size = DWORD(bufferSize);
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) !=
            ERROR_SUCCESS)
            return false;
        if (type != REG_SZ || size > bufferSize) return false;
        // Stored without its zero, a text that fills the whole buffer has no
        // room left for one: it is longer than the buffer allows.
        if (size == bufferSize && buf[size - 1] != '\0') return false;
        std::string text(buf.data(), size);
        size_t zero = text.find('\0');
        if (zero != std::string::npos) text.resize(zero);
        *value = text;
        return true;
    }

    bool PutDword(const char* name, uint32_t value) override {
        DWORD v = value;
        return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
               ERROR_SUCCESS;
    }

    bool PutText(const char* name, const std::string& value, bool withZero) override {
        DWORD size = DWORD(value.size() + (withZero ? 1 : 0));
        return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), size) ==
               ERROR_SUCCESS;
    }

private:
    HKEY key_;
};

}  // namespace

std::unique_ptr<ValueStore> RegistryStore::OpenForReading(const char* group) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive_, GroupPath(group).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return std::make_unique<RegistryValues>(key);
}

std::unique_ptr<ValueStore> RegistryStore::OpenForWriting(const char* group, long* error) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    char keyClass[] = "REG_SZ";
    LONG rc = RegCreateKeyExA(hive_, GroupPath(group).c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition);
    if (error) *error = rc;
    if (rc != ERROR_SUCCESS) return nullptr;
    return std::make_unique<RegistryValues>(key);
}

}  // namespace gmbx
