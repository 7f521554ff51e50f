// libFuzzer target: any bytes as gmbx.ini, then every read the program does
// on it (the window group, the print options, the hotkeys), and a write back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "capture/hotkeysio.h"
#include "capture/inifile.h"
#include "capture/printoptions.h"
#include "capture/settingsio.h"

using namespace gmbx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/gmbx-ini-fuzz-" + std::to_string(getpid()) + ".ini";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    IniFile ini;
    ini.Load(path);
    IniSettingsStore store(ini);
    WindowSettings settings;
    RunFlags run;
    run.keepDirectory = 1;  // never change the fuzzer's directory
    DirectoryAccess dir{[] { return std::string("/"); }, [](const std::string&) { return false; }};
    ReadWindowSettings(store, settings, run, dir);
    PrintOptions print;
    ReadPrintOptions(store, print, 1);
    HotkeyState keys;
    ResetHotkeyDefaults(keys);
    LoadHotkeysFrom(store, keys, false);
    char buf[8];
    uint32_t type = 0, length = sizeof buf;
    ini.GetValue("QuickSaveName", &type, buf, &length);
    WriteWindowSettings(store, nullptr, nullptr, settings, run, dir);
    ini.Write(true);
    std::remove(path.c_str());
    return 0;
}
