// End-to-end: automatic saving after a capture under numbered names, the
// timed capture from the command line and its stop by a hotkey, and the
// automatic-save dialog of Options, Save after Capture.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imageio/gifio.h"
#include "res/resource.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/e2e/registry_read.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;
namespace fs = std::filesystem;

const char kWindowKey[] = "SOFTWARE\\Vantrel\\Glimmerbox\\Window";

// Stored settings the program reads at start.
class WindowSettingsWriter {
public:
    WindowSettingsWriter() {
        RegCreateKeyExA(HKEY_CURRENT_USER, kWindowKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~WindowSettingsWriter() { RegCloseKey(key_); }
    void Dword(const char* name, DWORD v) {
        RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    }
    void Text(const char* name, const std::string& v) {
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), DWORD(v.size() + 1));
    }

private:
    HKEY key_ = nullptr;
};

// Automatic saving on, as GIF under base, with a small last rectangle for
// the repeat key (F11) to capture.
void StoreAutoSave(const std::string& base, DWORD count, DWORD increment) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    WindowSettingsWriter w;
    w.Dword("AutoSave", 1);
    w.Text("QuickSaveName", base);
    w.Dword("QuickSaveCount", count);
    w.Dword("QuickSaveMax", 100);
    w.Dword("QuickSaveInc", increment);
    w.Dword("QSaveFormat", 2);
    w.Dword("LastSX", 0);
    w.Dword("LastSY", 0);
    w.Dword("LastWidth", 50);
    w.Dword("LastHeight", 40);
}

DWORD StoredDword(const char* name) {
    DWORD v = 0xFFFFFFFF;
    ReadDword(HKEY_CURRENT_USER, kWindowKey, name, &v);
    return v;
}

// The files in the folder whose names begin with prefix, sorted by name.
std::vector<fs::path> FilesStartingWith(const fs::path& dir, const std::string& prefix) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind(prefix, 0) == 0) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

// Waits, answering boxes, until the file exists (and its writer is done
// with it) or the time is up.
bool WaitForFile(GmbxProcess& p, const fs::path& file, DWORD timeoutMs) {
    DWORD end = GetTickCount() + timeoutMs;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        if (fs::exists(file)) {
            PumpFor(300);
            return true;
        }
        p.WaitForBoxes(p.Boxes().size() + 1, 100);
    }
    return false;
}

bool IsGifOfSize(const fs::path& file, int width, int height) {
    std::unique_ptr<Dib> dib = LoadGIF(file.string().c_str());
    return dib && dib->Width() == width && (dib->Height() == height || dib->Height() == -height);
}

// F11 repeats the last rectangle; automatic saving writes it.
// F11 repeats the last rectangle; automatic saving writes it. The first key
// of a run may come before the program has registered its keys, and the
// program shows nothing that tells when it has: a key that brought nothing
// within seconds (a capture takes about one) is pressed again.
void CaptureWithRepeatKey(GmbxProcess& p, HWND frame, const fs::path& expected, bool first = false) {
    for (int attempt = 0; attempt < (first ? 4 : 1); ++attempt) {
        PressKey(VK_F11);
        if (WaitForFile(p, expected, first ? 5000 : 15000)) break;
    }
    EXPECT_TRUE(fs::exists(expected)) << expected;
    // The capture has ended once the window shows it.
    EXPECT_TRUE(WaitForTitle(frame, "50 40)", 10000, &p)) << WindowText(frame);
}

TEST(AutoSave, HotkeyCapturesTakeTheNextNumbersAlsoAfterARestart) {
    TempDir dir;
    StoreAutoSave(dir.File("cap"), 7, 1);
    for (int run = 0; run < 2; ++run) {
        GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
        HWND frame = p.WaitForWindow("GmbxFrame", 20000);
        ASSERT_NE(frame, nullptr);
        if (run == 0) {
            CaptureWithRepeatKey(p, frame, dir.Path() / "cap007.gif", true);
            CaptureWithRepeatKey(p, frame, dir.Path() / "cap008.gif");
        } else {
            CaptureWithRepeatKey(p, frame, dir.Path() / "cap009.gif", true);
        }
        PostMessageA(frame, WM_CLOSE, 0, 0);
        RunResult r = p.Wait(20000);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
    }
    EXPECT_EQ(FilesStartingWith(dir.Path(), "cap").size(), 3u);
    EXPECT_TRUE(IsGifOfSize(dir.Path() / "cap007.gif", 50, 40));
    EXPECT_EQ(StoredDword("QuickSaveCount"), 10u);
}

TEST(AutoSave, WithoutNumbersEveryCaptureOverwritesTheOneFile) {
    TempDir dir;
    StoreAutoSave(dir.File("cap"), 7, 0);
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    fs::path file = dir.Path() / "cap.gif";
    CaptureWithRepeatKey(p, frame, file, true);
    // Back-dated, so that the next write shows.
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
    auto before = fs::last_write_time(file);
    PressKey(VK_F11);
    DWORD end = GetTickCount() + 15000;
    while (fs::last_write_time(file) == before && static_cast<int>(end - GetTickCount()) > 0)
        p.WaitForBoxes(p.Boxes().size() + 1, 100);
    EXPECT_NE(fs::last_write_time(file), before);
    EXPECT_EQ(FilesStartingWith(dir.Path(), "cap").size(), 1u);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.Wait(20000).exitCode, 0u);
    EXPECT_EQ(StoredDword("QuickSaveCount"), 7u);
}

// The text of a control of the program (another process: asked by message).
std::string ControlText(HWND control) {
    char text[512] = "";
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// The Save As dialog of the process once it shows its file name field;
// null when it does not come.
HWND WaitForSaveAs(GmbxProcess& p, HWND* field, DWORD timeoutMs = 15000) {
    HWND dialog = p.WaitForWindow("#32770", timeoutMs);
    *field = dialog ? GetDlgItem(dialog, 1152) : nullptr;  // the file name edit
    if (dialog && !*field) *field = GetDlgItem(dialog, 1148);  // or its combo box
    return *field ? dialog : nullptr;
}

TEST(AutoSave, PromptedSaveLearnsTheNumberingFromTheChosenName) {
    TempDir dir;
    StoreAutoSave(dir.File("cap"), 7, 1);
    WindowSettingsWriter().Dword("QuickSavePrompt", 1);
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    // The dialog proposes the next numbered name; the user saves elsewhere.
    HWND dialog = nullptr, field = nullptr;
    for (int attempt = 0; attempt < 4 && !dialog; ++attempt) {
        PressKey(VK_F11);  // again if the keys were not registered yet
        dialog = WaitForSaveAs(p, &field, 5000);
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(ControlText(field).find("cap007"), std::string::npos) << ControlText(field);
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dir.File("shot12.bmp").c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForFile(p, dir.Path() / "shot12.bmp", 10000));
    // The next capture proposes the number after the chosen one; Cancel
    // gives that number back.
    PressKey(VK_F11);
    dialog = WaitForSaveAs(p, &field);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(ControlText(field).find("shot013"), std::string::npos) << ControlText(field);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(dialog); ++i) PumpFor(50);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWindowKey, "QuickSaveName"), dir.File("shot"));
    EXPECT_EQ(StoredDword("QuickSaveCount"), 13u);
    // Nothing was saved under the automatic name.
    EXPECT_TRUE(FilesStartingWith(dir.Path(), "cap").empty());
}

TEST(AutoSave, TimedCaptureWritesItsSeriesInOrderAndEnds) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    TempDir dir;
    // The name after -save is the last argument: it ends the option scan.
    RunResult r = RunGmbx("-QuickSave,1000,1,3 -snap:x0:y0:w50:h40 -hidden -save:gif \"" + dir.File("tc") + "\"", 60000,
                          AnswerOk, dir.Path().string());
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
    std::vector<fs::path> files = FilesStartingWith(dir.Path(), "tc");
    ASSERT_EQ(files.size(), 3u);
    const char* names[] = {"tc1.gif", "tc2.gif", "tc3.gif"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(files[i].filename().string(), names[i]);
        EXPECT_TRUE(IsGifOfSize(files[i], 50, 40)) << files[i];
    }
    EXPECT_LT(fs::last_write_time(files[0]), fs::last_write_time(files[1]));
    EXPECT_LT(fs::last_write_time(files[1]), fs::last_write_time(files[2]));
    EXPECT_EQ(StoredDword("QuickSaveCount"), 4u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWindowKey, "QuickSaveName"), dir.File("tc"));
}

TEST(AutoSave, WhatCannotBeSavedIsReportedAndLeavesNoFile) {
    // A counter above the highest number names no file: the capture says so.
    TempDir dir;
    StoreAutoSave(dir.File("cap"), 101, 1);
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    const std::string pastMax = ResourceText(IDS_QUICKSAVE_PAST_MAX);
    ASSERT_NE(pastMax.find("%d"), std::string::npos);
    std::string expected = pastMax.substr(0, pastMax.find("%d")) + "101";
    for (int attempt = 0; attempt < 4 && p.Boxes().empty(); ++attempt) {
        PressKey(VK_F11);  // again if the keys were not registered yet
        p.WaitForBoxes(1, 5000);
    }
    ASSERT_EQ(p.Boxes().size(), 1u);
    EXPECT_EQ(p.Boxes()[0].text.rfind(expected, 0), 0u) << p.Boxes()[0].text;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.Wait(20000).exitCode, 0u);
    EXPECT_TRUE(FilesStartingWith(dir.Path(), "cap").empty());
    EXPECT_EQ(StoredDword("QuickSaveCount"), 101u);

    // A timed capture whose file cannot be written stops at the first
    // failure, after the writer's message; a hidden run then ends.
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    RunResult r = RunGmbx("-QuickSave,500,1,0 -snap:x0:y0:w50:h40 -hidden -save:gif Q:\\no\\such\\folder\\x", 60000,
                          AnswerOk, dir.Path().string());
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.boxes.size(), 1u);

    // The environment switches automatic saving on for a command-line
    // capture; the relative name is the working folder's.
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    SetEnvironmentVariableA("CAPT_AUTO_SAVE", "1");
    r = RunGmbx("-snap:x0:y0:w20:h10 -hidden", 30000, AnswerOk, dir.Path().string());
    SetEnvironmentVariableA("CAPT_AUTO_SAVE", nullptr);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
    EXPECT_TRUE(fs::exists(dir.Path() / "snap001.bmp"));
}

// The main window of the process, shown or not.
HWND FrameOf(const GmbxProcess& p) { return p.WindowOf("GmbxFrame", false); }

TEST(AutoSave, AnyHotkeyStopsAnEndlessSeriesAndBringsTheWindowBack) {
    struct Case {
        const char* what;
        WORD key;
        std::initializer_list<WORD> modifiers;
    };
    const Case cases[] = {{"the stop key", VK_F11, {VK_SHIFT}}, {"a capture key", 'F', {VK_CONTROL, VK_SHIFT}}};
    for (const Case& c : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
        TempDir dir;
        const std::string args = "-QuickSave,500,1,0 -snap:x0:y0:w50:h40 -save:gif \"" + dir.File("run") + "\"";
        GmbxProcess p(BuildDir() + "\\gmbx.exe", args, dir.Path().string());
        ASSERT_TRUE(WaitForFile(p, dir.Path() / "run2.gif", 20000)) << c.what;
        HWND frame = FrameOf(p);
        ASSERT_NE(frame, nullptr);
        PressKey(c.key, c.modifiers);
        DWORD end = GetTickCount() + 10000;
        while (!(IsWindowVisible(frame) && !IsIconic(frame)) && static_cast<int>(end - GetTickCount()) > 0)
            p.WaitForBoxes(p.Boxes().size() + 1, 100);
        EXPECT_TRUE(IsWindowVisible(frame) && !IsIconic(frame)) << c.what;
        EXPECT_TRUE(WaitForTitle(frame, "50 40)", 5000, &p)) << c.what << ": " << WindowText(frame);
        size_t saved = FilesStartingWith(dir.Path(), "run").size();
        PumpFor(1500);
        EXPECT_EQ(FilesStartingWith(dir.Path(), "run").size(), saved) << c.what;
        PostMessageA(frame, WM_CLOSE, 0, 0);
        RunResult r = p.Wait(20000);
        EXPECT_EQ(r.exitCode, 0u) << c.what;
        EXPECT_TRUE(r.boxes.empty()) << c.what << ": " << (r.boxes.empty() ? "" : r.boxes[0].text);
        EXPECT_EQ(StoredDword("AutoSave"), 0u) << c.what;
    }
}

// The automatic-save dialog of the process; null when it does not show.
HWND WaitForAutoSaveDialog(GmbxProcess& p) {
    DWORD end = GetTickCount() + 10000;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        HWND d = FindWindowA("#32770", "Save after Capture");
        DWORD pid = 0;
        if (d) GetWindowThreadProcessId(d, &pid);
        if (d && pid == p.Pid() && IsWindowVisible(d)) return d;
        p.WaitForBoxes(p.Boxes().size() + 1, 100);
    }
    return nullptr;
}

TEST(AutoSave, DialogTakesItsFieldsAndTellsHowToStopATimedCapture) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_AUTO_SAVE, 0);
    HWND d = WaitForAutoSaveDialog(p);
    ASSERT_NE(d, nullptr);
    // The stored name with the extension of its writer (BMP by default).
    EXPECT_EQ(ControlText(GetDlgItem(d, IDC_AUTOSAVE_NAME)), "snap.bmp");
    SetDlgItemTextA(d, IDC_AUTOSAVE_NAME, (dir.File("shot") + ".jpg").c_str());
    SetDlgItemTextA(d, IDC_AUTOSAVE_COUNT, "5");
    SetDlgItemTextA(d, IDC_AUTOSAVE_MAX, "50");
    SetDlgItemTextA(d, IDC_AUTOSAVE_SECONDS, "1,5");
    PostMessageA(d, WM_COMMAND, IDOK, 0);
    // A comma is no decimal point here: the dialog says so and stays.
    ASSERT_TRUE(p.WaitForBoxes(1, 10000));
    EXPECT_EQ(p.Boxes()[0].text, ResourceText(IDS_AUTOSAVE_BAD_SECONDS));
    EXPECT_TRUE(IsWindow(d));
    SetDlgItemTextA(d, IDC_AUTOSAVE_SECONDS, "2.5");
    PostMessageA(d, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(p.WaitForBoxes(2, 10000));
    EXPECT_NE(p.Boxes()[1].text.find("interval of 2.5 s"), std::string::npos) << p.Boxes()[1].text;
    EXPECT_NE(p.Boxes()[1].text.find("Shift+F11"), std::string::npos) << p.Boxes()[1].text;
    // The settings are stored before the message.
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWindowKey, "QuickSaveName"), dir.File("shot"));
    EXPECT_EQ(StoredDword("QSaveFormat"), 10u);
    EXPECT_EQ(StoredDword("QuickSaveCount"), 5u);
    EXPECT_EQ(StoredDword("QuickSaveMax"), 50u);
    EXPECT_EQ(StoredDword("AutoSave"), 1u);

    // Off, on again, and Cancel: automatic saving ends up off.
    PostMessageA(frame, WM_COMMAND, ID_AUTO_SAVE, 0);
    PostMessageA(frame, WM_COMMAND, ID_AUTO_SAVE, 0);
    d = WaitForAutoSaveDialog(p);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(ControlText(GetDlgItem(d, IDC_AUTOSAVE_NAME)), dir.File("shot") + ".jpg");
    EXPECT_EQ(ControlText(GetDlgItem(d, IDC_AUTOSAVE_SECONDS)), "2.5");
    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(d); ++i) PumpFor(50);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.boxes.size(), 2u);
    EXPECT_EQ(StoredDword("AutoSave"), 0u);
}

}  // namespace
}  // namespace gmbx::e2e
