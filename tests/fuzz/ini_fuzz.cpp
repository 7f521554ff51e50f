// libFuzzer target: any bytes as gmbx.ini, read from memory. The pairs must
// survive a write and a re-read; then every read the program does on the file
// (the window group, the print options, the hotkeys), and for half of the
// inputs the program's own write of the window group and the round trip once
// more.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <string>

#include "capture/hotkeysio.h"
#include "capture/inifile.h"
#include "capture/printoptions.h"
#include "capture/settingsio.h"

using namespace gmbx;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "ini_fuzz: %s\n", what);
        std::abort();
    }
}

// Writes the list and reads it back. A pair whose line fits within
// kIniMaxLine comes back as it was; a longer line is cut there, so its pair
// comes back with the start of its value, or not at all when even the name's
// closing quote is cut off.
void CheckRoundTrip(const IniFile& ini) {
    const std::string text = ini.Text();
    IniFile again;
    again.LoadFromMemory(text.data(), text.size());
    auto back = again.Pairs().begin();
    const auto end = again.Pairs().end();
    for (const IniFile::Pair& p : ini.Pairs()) {
        const size_t line = p.name.size() + p.value.size() + 5;  // quotes, two blanks, CR
        if (line <= kIniMaxLine) {
            Check(back != end && back->name == p.name && back->value == p.value, "pair changed in a round trip");
            ++back;
        } else if (p.name.size() + 2 <= kIniMaxLine) {
            Check(back != end && back->name == p.name && p.value.compare(0, back->value.size(), back->value) == 0,
                  "long line not cut to the start of its value");
            ++back;
        }
    }
    Check(back == end, "pairs added in a round trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile ini;
    ini.LoadFromMemory(reinterpret_cast<const char*>(data), size);
    for (const IniFile::Pair& p : ini.Pairs())
        Check(p.name.size() + 2 <= kIniMaxLine && p.value.size() + p.name.size() + 2 <= kIniMaxLine,
              "line longer than the limit");
    CheckRoundTrip(ini);

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
    const long got = ini.GetValue("QuickSaveName", &type, buf, &length);
    Check(got != kValueOk || length <= sizeof buf, "value longer than its buffer");
    // The program's write of the window group (some 150 puts, each a search
    // of the list) costs more than all the rest together: inputs of odd
    // length take it, which halves its share of the time.
    if (size & 1) {
        WriteWindowSettings(store, nullptr, nullptr, settings, run, dir);
        CheckRoundTrip(ini);
    }
    return 0;
}
