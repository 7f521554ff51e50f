// The registry store and the settings switches, under Wine. Every test works
// below a key of its own (HKEY_CURRENT_USER\SOFTWARE\GlimmerboxTest-...),
// which is deleted afterwards; the program's real settings are not touched.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/formats.h"
#include "capture/printoptions.h"
#include "capture/settingsio.h"
#include "capture/win/registry_store.h"
#include "capture/win/settings_commands.h"
#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

namespace fs = std::filesystem;
using testutil::TempDir;

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = testutil::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool WriteText(const std::string& path, const std::string& text) {
    return testutil::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string TestRoot() {
    static int serial = 0;
    return "SOFTWARE\\GlimmerboxTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
}

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The raw registry value: type and bytes.
struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::vector<uint8_t> bytes;
};
RawValue ReadRaw(const std::string& keyPath, const char* name) {
    RawValue raw;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return raw;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &raw.type, nullptr, &size) == ERROR_SUCCESS) {
        raw.bytes.resize(size + 1);
        DWORD got = size + 1;
        if (RegQueryValueExA(key, name, nullptr, &raw.type, raw.bytes.data(), &got) == ERROR_SUCCESS) {
            raw.found = true;
            raw.bytes.resize(got);
        }
    }
    RegCloseKey(key);
    return raw;
}

// The size of a value's data as stored, asked through the wide API, which
// returns it unconverted.
DWORD StoredWideSize(const std::string& keyPath, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return DWORD(-1);
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? size : DWORD(-1);
}

void WriteRaw(const std::string& keyPath, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

// A private registry root, and the process-wide settings put back as they
// were (the current directory included) when the test ends.
class SettingsRegistryTest : public ::testing::Test {
protected:
    std::string root = TestRoot();
    RegistryStore store{root};
    TempDir dir;
    WindowSettings savedSettings = g_settings;
    RunFlags savedRun = g_run;
    PrintOptions savedPrint = g_printOptions;
    std::string savedCwd = fs::current_path().string();

    void SetUp() override {
        ASSERT_FALSE(KeyExists(root));
        UseAddonFormats(false);
        g_settings = WindowSettings();
        g_run = RunFlags();
        g_printOptions = PrintOptions();
        g_settingsFile.Write(false);
        SetHotkeyPersistence(HotkeyPersistence());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
        EXPECT_FALSE(KeyExists(root));
        SetCurrentDirectoryA(savedCwd.c_str());
        g_settings = savedSettings;
        g_run = savedRun;
        g_printOptions = savedPrint;
        g_settingsFile.Write(false);
        SetHotkeyPersistence(HotkeyPersistence());
    }

    std::string Group(const char* g) const { return root + "\\" + g; }
    SettingsLocations Where() {
        SettingsLocations where;
        where.registry = &store;
        where.settingsFile = dir.File("gmbx.ini");
        return where;
    }
};

TEST_F(SettingsRegistryTest, AMissingGroupCannotBeOpenedForReading) {
    EXPECT_EQ(store.OpenForReading(kWindowGroup), nullptr);
    EXPECT_FALSE(KeyExists(root));
    EXPECT_FALSE(ReadWindowSettings(store));
}

TEST_F(SettingsRegistryTest, WritingCreatesTheGroupKey) {
    long error = -1;
    auto values = store.OpenForWriting(kPrintGroup, &error);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(KeyExists(Group(kPrintGroup)));
    EXPECT_NE(store.OpenForReading(kPrintGroup), nullptr);
}

TEST_F(SettingsRegistryTest, AKeyThatCannotBeCreatedReportsTheError) {
    RegistryStore broken(root, reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234)));
    long error = 0;
    EXPECT_EQ(broken.OpenForWriting(kWindowGroup, &error), nullptr);
    EXPECT_NE(error, 0);
    EXPECT_FALSE(WriteWindowSettings(broken));
}

TEST_F(SettingsRegistryTest, DwordsAreRegDwordValues) {
    {
        auto w = store.OpenForWriting(kWindowGroup);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->PutDword("WinPosX", uint32_t(-5)));
        EXPECT_TRUE(w->PutDword("CropOutColor", 0xFFFFFF));
    }
    RawValue raw = ReadRaw(Group(kWindowGroup), "WinPosX");
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.type, DWORD(REG_DWORD));
    ASSERT_EQ(raw.bytes.size(), 4u);
    auto r = store.OpenForReading(kWindowGroup);
    ASSERT_TRUE(r);
    uint32_t v = 0;
    EXPECT_TRUE(r->GetDword("WinPosX", &v));
    EXPECT_EQ(int32_t(v), -5);
    EXPECT_TRUE(r->GetDword("CropOutColor", &v));
    EXPECT_EQ(v, 0xFFFFFFu);
    v = 77;
    EXPECT_FALSE(r->GetDword("Missing", &v));
    EXPECT_EQ(v, 77u);
}

TEST_F(SettingsRegistryTest, TextsAreWrittenWithoutTheirZeroUnlessAsked) {
    {
        auto w = store.OpenForWriting(kKeysGroup);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->PutText("QuickSaveName", "shot"));
        EXPECT_TRUE(w->PutText("Desktop Desc", "Ctrl+Shift+F", true));
        EXPECT_TRUE(w->PutText("Empty", ""));
    }
    RawValue plain = ReadRaw(Group(kKeysGroup), "QuickSaveName");
    ASSERT_TRUE(plain.found);
    EXPECT_EQ(plain.type, DWORD(REG_SZ));
    EXPECT_EQ(std::string(plain.bytes.begin(), plain.bytes.begin() + 4), "shot");
    // The stored size, in the registry's own (UTF-16) form. (Wine adds a
    // zero to texts stored without one, so their size is not checked here.)
    EXPECT_EQ(StoredWideSize(Group(kKeysGroup), L"Desktop Desc"), 13 * sizeof(wchar_t));

    auto r = store.OpenForReading(kKeysGroup);
    ASSERT_TRUE(r);
    std::string text;
    EXPECT_TRUE(r->GetText("QuickSaveName", &text, 256));
    EXPECT_EQ(text, "shot");
    EXPECT_TRUE(r->GetText("Desktop Desc", &text, 60));
    EXPECT_EQ(text, "Ctrl+Shift+F");
    EXPECT_TRUE(r->GetText("Desktop Desc", &text, 13));  // 12 characters and the stored zero
    EXPECT_EQ(text, "Ctrl+Shift+F");
    text = "x";
    EXPECT_TRUE(r->GetText("Empty", &text, 8));
    EXPECT_EQ(text, "");
}

TEST_F(SettingsRegistryTest, ATextLongerThanTheBufferIsSkipped) {
    std::string t255(255, 'a'), t256(256, 'b');
    {
        auto w = store.OpenForWriting(kWindowGroup);
        ASSERT_TRUE(w);
        w->PutText("Fits", t255);
        w->PutText("TooLong", t256);
        w->PutText("WayTooLong", std::string(1000, 'c'));
        w->PutText("ZeroTooLong", t255, true);
    }
    auto r = store.OpenForReading(kWindowGroup);
    ASSERT_TRUE(r);
    std::string text = "kept";
    EXPECT_TRUE(r->GetText("Fits", &text, 256));
    EXPECT_EQ(text, t255);
    text = "kept";
    EXPECT_FALSE(r->GetText("TooLong", &text, 256));
    EXPECT_FALSE(r->GetText("WayTooLong", &text, 256));
    EXPECT_FALSE(r->GetText("Fits", &text, 255));
    EXPECT_TRUE(r->GetText("ZeroTooLong", &text, 256));
    EXPECT_EQ(text, t255);
    EXPECT_FALSE(r->GetText("ZeroTooLong", &text, 255));
    EXPECT_EQ(text, t255);
}

TEST_F(SettingsRegistryTest, AValueOfTheWrongTypeIsSkipped) {
    const char text[] = "12";
    DWORD number = 12;
    WriteRaw(Group(kWindowGroup), "WinPosX", REG_SZ, text, 2);
    WriteRaw(Group(kWindowGroup), "QuickSaveName", REG_DWORD, &number, 4);
    WriteRaw(Group(kWindowGroup), "WinPosY", REG_BINARY, &number, 4);
    ASSERT_TRUE(ReadWindowSettings(store));
    EXPECT_EQ(g_settings.winPosX, -1);
    EXPECT_EQ(g_settings.winPosY, -1);
    EXPECT_EQ(g_settings.quickSaveName, "snap");
}

TEST_F(SettingsRegistryTest, OneByteFlagsAndTheFormatResetThroughTheRegistry) {
    DWORD big = 0x100, code = 999;
    WriteRaw(Group(kWindowGroup), "AutoCopy", REG_DWORD, &big, 4);
    WriteRaw(Group(kWindowGroup), "SaveFormat", REG_DWORD, &code, 4);
    g_settings.autoCopy = 1;
    g_settings.save.bitsPerPixel = 24;
    ASSERT_TRUE(ReadWindowSettings(store));
    EXPECT_EQ(g_settings.autoCopy, 0);
    EXPECT_EQ(g_settings.save.formatCode, 0);
    EXPECT_EQ(g_settings.save.bitsPerPixel, 8);
}

TEST_F(SettingsRegistryTest, WindowGroupRoundTripsThroughTheRegistry) {
    g_settings.quickSaveName = "C:\\shots\\cap";
    g_settings.defEmailName = "mail";
    g_settings.dxGamma[1] = 2.5;
    g_settings.qScaleHeight = 0.5;
    g_settings.save.formatCode = kFormatJpeg;
    g_settings.lastWidth = 321;
    g_settings.autoPrint = 1;
    g_run.keepStoredDirectory = 0;
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().string().c_str()));
    WindowPoint pos{15, 25};
    WindowExtent size{500, 400};
    ASSERT_TRUE(WriteWindowSettings(store, &pos, &size));

    RawValue gamma = ReadRaw(Group(kWindowGroup), "DXGammaCorrect1");
    ASSERT_TRUE(gamma.found);
    EXPECT_EQ(gamma.type, DWORD(REG_SZ));
    EXPECT_EQ(std::string(gamma.bytes.begin(), gamma.bytes.begin() + 8), "2.500000");

    ASSERT_TRUE(SetCurrentDirectoryA(savedCwd.c_str()));
    g_settings = WindowSettings();
    ASSERT_TRUE(ReadWindowSettings(store));
    EXPECT_EQ(g_settings.winPosX, 15);
    EXPECT_EQ(g_settings.winPosY, 25);
    EXPECT_EQ(g_settings.winWidth, 500);
    EXPECT_EQ(g_settings.winHeight, 400);
    EXPECT_EQ(g_settings.quickSaveName, "C:\\shots\\cap");
    EXPECT_EQ(g_settings.defEmailName, "mail");
    EXPECT_DOUBLE_EQ(g_settings.dxGamma[1], 2.5);
    EXPECT_DOUBLE_EQ(g_settings.qScaleHeight, 0.5);
    EXPECT_EQ(g_settings.save.formatCode, kFormatJpeg);
    EXPECT_EQ(g_settings.save.formatRow, kFormatRowJpeg);
    EXPECT_EQ(g_settings.lastWidth, 321);
    EXPECT_EQ(g_settings.autoPrint, 1);
    // The stored directory became the current one again.
    EXPECT_TRUE(fs::equivalent(fs::current_path(), dir.Path()));
}

TEST_F(SettingsRegistryTest, PrintOptionsRoundTripThroughTheRegistry) {
    g_printOptions.leftMargin = 1.2345;
    g_printOptions.scale = 80;
    g_printOptions.orientation = 2;
    ASSERT_TRUE(SavePrintOptions(store, g_printOptions));
    RawValue margin = ReadRaw(Group(kPrintGroup), "PrnLeftMarg");
    ASSERT_TRUE(margin.found);
    EXPECT_EQ(margin.type, DWORD(REG_DWORD));
    DWORD stored = 0;
    std::memcpy(&stored, margin.bytes.data(), 4);
    EXPECT_EQ(stored, 1234u);

    PrintOptions back;
    ASSERT_TRUE(LoadPrintOptions(store, back, SystemMeasureUnits()));
    EXPECT_EQ(back.loaded, 1);
    EXPECT_DOUBLE_EQ(back.leftMargin, 1.234);
    EXPECT_DOUBLE_EQ(back.scale, 80.0);
    EXPECT_EQ(back.orientation, 2);
}

TEST_F(SettingsRegistryTest, MeasureUnitsFollowTheSystemSetting) {
    int32_t units = SystemMeasureUnits();
    HKEY key = nullptr;
    char text[33] = "";
    DWORD size = 32;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, KEY_READ, &key) == ERROR_SUCCESS &&
        RegQueryValueExA(key, "iMeasure", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) ==
            ERROR_SUCCESS) {
        EXPECT_EQ(units, std::atoi(text));
    } else {
        EXPECT_EQ(units, 1);
    }
    if (key) RegCloseKey(key);
}

TEST_F(SettingsRegistryTest, CurrentStoreFollowsSettingsFileMode) {
    g_run.settingsFileMode = 0;
    EXPECT_EQ(&CurrentSettingsStore(), static_cast<SettingsStore*>(&RegistrySettings()));
    EXPECT_EQ(RegistrySettings().Path(), "SOFTWARE\\Vantrel\\Glimmerbox");
    g_run.settingsFileMode = 1;
    EXPECT_NE(&CurrentSettingsStore(), static_cast<SettingsStore*>(&RegistrySettings()));
    g_run.settingsFileMode = 0;
}

TEST_F(SettingsRegistryTest, DumpWritesTheRegistrySettingsIntoTheFile) {
    {
        auto w = store.OpenForWriting(kWindowGroup);
        w->PutText("QuickSaveName", "fromreg");
        w->PutDword("WinPosX", 40);
        auto p = store.OpenForWriting(kPrintGroup);
        p->PutDword("PrnScale", 50000);
    }
    SettingsLocations where = Where();
    ASSERT_TRUE(WriteText(where.settingsFile, "\"Mine\"  \"keep\"\r\n\"QuickSaveName\"  \"old\"\r\n"));
    EXPECT_EQ(ExportSettingsToFile(where), 0);
    EXPECT_EQ(g_run.settingsFileMode, 0);
    EXPECT_TRUE(g_settingsFile.Pairs().empty());

    std::string text = ReadText(where.settingsFile);
    EXPECT_EQ(text.rfind("\"Mine\"  \"keep\"\r\n\"QuickSaveName\"  \"fromreg\"\r\n\"WinPosX\"  40\r\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("\"PrnScale\"  50000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"DXGammaCorrect0\"  \"1.000000\"\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(where.settingsFile + ".tmp"));
    // Nothing is written to the registry.
    EXPECT_FALSE(KeyExists(Group(kKeysGroup)));
}

TEST_F(SettingsRegistryTest, DumpWithoutAFileCreatesIt) {
    SettingsLocations where = Where();
    EXPECT_EQ(ExportSettingsToFile(where), 0);
    std::string text = ReadText(where.settingsFile);
    EXPECT_EQ(text.rfind("\"WinPosX\"  -1\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("\"QuickSaveName\"  \"snap\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"PrnBlackLevel\"  50\r\n"), std::string::npos);
    EXPECT_FALSE(KeyExists(root));
}

TEST_F(SettingsRegistryTest, DumpThatCannotWriteTheFileFails) {
    SettingsLocations where = Where();
    where.settingsFile = (dir.Path() / "missing folder" / "gmbx.ini").string();
    EXPECT_EQ(ExportSettingsToFile(where), 1);
    EXPECT_FALSE(fs::exists(where.settingsFile));
}

TEST_F(SettingsRegistryTest, ReadOptsWithoutAFileFails) {
    EXPECT_EQ(ImportSettingsFromFile(Where()), 1);
    EXPECT_FALSE(KeyExists(root));
    EXPECT_EQ(g_run.settingsFileMode, 0);
}

TEST_F(SettingsRegistryTest, ReadOptsWritesTheFileSettingsToTheRegistry) {
    SettingsLocations where = Where();
    const std::string file = "\"QuickSaveName\"  \"fromfile\"\r\n\"WinPosX\"  33\r\n\"Unknown\"  1\r\n"
                             "\"PrnTopMarg\"  2500\r\n\"SaveFormat\"  2\r\n";
    ASSERT_TRUE(WriteText(where.settingsFile, file));
    EXPECT_EQ(ImportSettingsFromFile(where), 0);
    EXPECT_EQ(g_run.settingsFileMode, 0);
    EXPECT_EQ(ReadText(where.settingsFile), file);  // dropped, not written

    g_settings = WindowSettings();
    g_printOptions = PrintOptions();
    ASSERT_TRUE(ReadWindowSettings(store));
    EXPECT_EQ(g_settings.quickSaveName, "fromfile");
    EXPECT_EQ(g_settings.winPosX, 33);
    EXPECT_EQ(g_settings.save.formatCode, kFormatGif);
    ASSERT_TRUE(ReadPrintOptions(store, g_printOptions, 1));
    EXPECT_DOUBLE_EQ(g_printOptions.topMargin, 2.5);
    EXPECT_FALSE(ReadRaw(Group(kWindowGroup), "Unknown").found);
}

TEST_F(SettingsRegistryTest, InitFromEntersSettingsFileModeOnlyForAReadableFile) {
    UseSettingsFile(dir.File("none.ini").c_str());
    EXPECT_EQ(g_run.settingsFileMode, 0);

    std::string path = dir.File("other.ini");
    ASSERT_TRUE(WriteText(path, "\"QuickSaveName\"  \"init\"\r\n"));
    UseSettingsFile(path.c_str());
    EXPECT_EQ(g_run.settingsFileMode, 1);
    EXPECT_TRUE(ReadStartupSettings());
    EXPECT_EQ(g_settings.quickSaveName, "init");
    EXPECT_EQ(g_printOptions.loaded, 1);

    // The end of the run writes the groups back to that file.
    g_settings.quickSaveName = "changed";
    WriteSettingsAtExit(nullptr);
    EXPECT_TRUE(WriteBackSettingsFile());
    std::string text = ReadText(path);
    EXPECT_EQ(text.rfind("\"QuickSaveName\"  \"changed\"\r\n", 0), 0u) << text;
    EXPECT_EQ(text.find("WinPosX"), std::string::npos);  // written without placement
    EXPECT_NE(text.find("\"PrnScale\"  100000\r\n"), std::string::npos);
    g_run.settingsFileMode = 0;
}

TEST_F(SettingsRegistryTest, WriteBackDoesNothingOutsideSettingsFileMode) {
    std::string path = dir.File("gmbx.ini");
    ASSERT_TRUE(WriteText(path, "\"A\"  1\r\n"));
    ASSERT_TRUE(g_settingsFile.Load(path));
    g_settingsFile.Put("A", "2");
    g_run.settingsFileMode = 0;
    EXPECT_TRUE(WriteBackSettingsFile());
    EXPECT_EQ(ReadText(path), "\"A\"  1\r\n");
}

TEST_F(SettingsRegistryTest, InstallImportsOnlyIntoAnEmptyRegistry) {
    SettingsLocations where = Where();
    // No gmbx.ini: nothing happens.
    EXPECT_FALSE(ImportSettingsAfterInstall(where));
    EXPECT_FALSE(KeyExists(root));

    ASSERT_TRUE(WriteText(where.settingsFile, "\"QuickSaveName\"  \"installed\"\r\n\"PrnBwOnly\"  1\r\n"));
    g_run.settingsFileMode = 1;
    EXPECT_TRUE(ImportSettingsAfterInstall(where));
    EXPECT_EQ(g_run.settingsFileMode, 0);
    ASSERT_TRUE(ReadWindowSettings(store));
    EXPECT_EQ(g_settings.quickSaveName, "installed");
    PrintOptions p;
    ASSERT_TRUE(ReadPrintOptions(store, p, 1));
    EXPECT_EQ(p.bwOnly, 1);

    // With a Window group in place the file is not imported again.
    ASSERT_TRUE(WriteText(where.settingsFile, "\"QuickSaveName\"  \"second\"\r\n"));
    EXPECT_FALSE(ImportSettingsAfterInstall(where));
    g_settings = WindowSettings();
    ASSERT_TRUE(ReadWindowSettings(store));
    EXPECT_EQ(g_settings.quickSaveName, "installed");
}

TEST_F(SettingsRegistryTest, HotkeyCallbacksSeeTheSameStoresAsTheOtherGroups) {
    std::vector<std::string> calls;
    HotkeyPersistence hp;
    hp.load = [&](SettingsStore& s) {
        calls.push_back(&s == &store ? "load registry" : "load file");
        auto keys = s.OpenForReading(kKeysGroup);
        uint32_t v = 0;
        if (keys && keys->GetDword("Desktop Key", &v)) calls.push_back("key " + std::to_string(v));
    };
    hp.save = [&](SettingsStore& s) {
        calls.push_back(&s == &store ? "save registry" : "save file");
        auto keys = s.OpenForWriting(kKeysGroup);
        if (keys) keys->PutDword("Desktop Key", 0x46);
    };
    SetHotkeyPersistence(hp);

    SettingsLocations where = Where();
    ASSERT_TRUE(WriteText(where.settingsFile, "\"Desktop Key\"  87\r\n"));
    EXPECT_EQ(ImportSettingsFromFile(where), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"load file", "key 87", "save registry"}));
    RawValue key = ReadRaw(Group(kKeysGroup), "Desktop Key");
    EXPECT_TRUE(key.found);

    calls.clear();
    EXPECT_EQ(ExportSettingsToFile(where), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"load registry", "key 70", "save file"}));
    EXPECT_NE(ReadText(where.settingsFile).find("\"Desktop Key\"  70\r\n"), std::string::npos);
}

}  // namespace
}  // namespace gmbx
