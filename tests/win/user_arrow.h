// The user's "Arrow" in the cursor scheme (HKCU\Control Panel\Cursors) set to
// a cursor file of the test's own for the time of a test, and a striped
// cursor file to put there.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gmbx::testutil {

// A 32 x 32 monochrome cursor file with the given hot spot: rows alternate
// between black and white, four rows each, all opaque.
inline std::vector<uint8_t> StripedCursorFile(uint16_t hotX = 0, uint16_t hotY = 0) {
    std::vector<uint8_t> f;
    auto u16 = [&](uint16_t v) { f.push_back(uint8_t(v)); f.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(uint16_t(v)); u16(uint16_t(v >> 16)); };
    const uint32_t imageBytes = 40 + 8 + 128 + 128;
    u16(0); u16(2); u16(1);                      // cursor directory, one image
    f.push_back(32); f.push_back(32); f.push_back(0); f.push_back(0);
    u16(hotX); u16(hotY); u32(imageBytes); u32(22);
    u32(40); u32(32); u32(64); u16(1); u16(1);  // header: height covers both masks
    u32(0); u32(0); u32(0); u32(0); u32(0); u32(0);
    u32(0x000000); u32(0xFFFFFF);                // black, white
    for (int i = 0; i < 128; ++i) f.push_back(i % 8 < 4 ? 0xFF : 0x00);  // colour mask
    for (int i = 0; i < 128; ++i) f.push_back(0x00);                     // all opaque
    return f;
}

// Remembers the user's "Arrow" and puts it back when it goes.
class UserArrow {
public:
    UserArrow() {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Cursors", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        char old[300] = "";
        DWORD size = sizeof old;
        had_ = RegQueryValueExA(key_, "Arrow", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_ = old;
    }
    ~UserArrow() {
        if (had_) Set(old_);
        else RegDeleteValueA(key_, "Arrow");
        RegCloseKey(key_);
    }
    UserArrow(const UserArrow&) = delete;
    UserArrow& operator=(const UserArrow&) = delete;
    void Set(const std::string& path) {
        RegSetValueExA(key_, "Arrow", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
    }

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string old_;
};

}  // namespace gmbx::testutil
