// End-to-end: gmbx.exe -install copies itself from the folder it runs in to
// the folder the user names, registers itself, writes the uninstall batch
// file and the program group; -uninstall removes group and keys again.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/e2e/registry_read.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

namespace fs = std::filesystem;
using testutil::TempDir;

const char kVersionKey[] = "SOFTWARE\\Vantrel\\Glimmerbox\\Version";
const char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gmbx.exe";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Glimmerbox";
const char kOtherProduct[] = "SOFTWARE\\Vantrel\\OtherProduct";

bool KeyExists(HKEY root, const char* path) {
    HKEY k;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::string FileText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string WindowsDir() {
    char dir[MAX_PATH] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

fs::path GroupFolder() {
    char dir[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, dir);
    return fs::path(dir) / "Glimmerbox";
}

void RemoveEverythingInstalled() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vantrel");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kAppPathKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteFileA((WindowsDir() + "\\UnGMBX.bat").c_str());
    std::error_code ec;
    fs::remove_all(GroupFolder(), ec);
}

// Folder windows that the Program Manager opened for the group.
BOOL CALLBACK CloseGroupWindow(HWND w, LPARAM own) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    std::string title = WindowText(w);
    // The shell's folder window shows the desktop once the group is gone.
    if (pid != static_cast<DWORD>(own) && IsWindowVisible(w) && std::string(cls) == "ExplorerWClass" &&
        (title == "Glimmerbox" || title == "Desktop"))
        PostMessageA(w, WM_CLOSE, 0, 0);
    return TRUE;
}
// The shell programs that serve the Program Manager conversation and show
// the group. They inherit the test's output handles from the program, so one
// left running would keep whoever reads the test's output waiting: at the
// end of each test, any shell program started since this test executable
// began is ended.
void EndShellProgramsStartedByTheTests() {
    static const FILETIME since = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        return created;
    }();
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 e = {};
    e.dwSize = sizeof e;
    for (BOOL more = Process32First(snap, &e); more; more = Process32Next(snap, &e)) {
        if (lstrcmpiA(e.szExeFile, "explorer.exe") != 0) continue;
        HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                               e.th32ProcessID);
        if (!h) continue;
        FILETIME created, exited, kernel, user;
        if (GetProcessTimes(h, &created, &exited, &kernel, &user) && CompareFileTime(&created, &since) >= 0 &&
            WaitForSingleObject(h, 2000) == WAIT_TIMEOUT)
            TerminateProcess(h, 0);
        CloseHandle(h);
    }
    CloseHandle(snap);
}

void CloseGroupWindows() {
    PumpFor(300);
    EnumWindows(CloseGroupWindow, static_cast<LPARAM>(GetCurrentProcessId()));
}

struct DialogSearch {
    DWORD pid;
    HWND found;
};
BOOL CALLBACK FindFolderDialog(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<DialogSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == s->pid && IsWindowVisible(w) && GetDlgItem(w, IDC_INSTALL_FOLDER)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForFolderDialog(GmbxProcess& p, DWORD timeoutMs) {
    DWORD end = GetTickCount() + timeoutMs;
    while (static_cast<int>(end - GetTickCount()) > 0 && p.Running()) {
        DialogSearch s{p.Pid(), nullptr};
        EnumWindows(FindFolderDialog, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        PumpFor(50);
    }
    return nullptr;
}

// A distribution folder: the program with its libraries and the files that
// travel with it.
struct Source {
    TempDir dir;
    explicit Source(bool complete = true) {
        for (const char* f : {"gmbx.exe", "GmbxRes.dll", "Dibkit.dll"})
            fs::copy_file(BuildDir() + "\\" + f, dir.Path() / f);
        if (!complete) return;
        for (const char* f : {"OldHook2.dll", "gmbx.hlp", "gmbx.cnt", "readme.txt", "file_id.diz", "notalib.dllbak"})
            std::ofstream(dir.Path() / f) << f;
        std::ofstream(dir.Path() / "gmbx.ini", std::ios::binary) << "\"QuickSaveName\"  \"installed\"\r\n";
        fs::create_directory(dir.Path() / "Pixmill");
        std::ofstream(dir.Path() / "Pixmill" / "addon.dll") << "addon";
    }
    std::string Exe() const { return dir.File("gmbx.exe"); }
};

// Runs -install from the source, answers the folder question with the
// folder given, then answers message boxes until the program ends.
RunResult RunInstallFrom(const fs::path& source, const std::string& folder, std::string* proposed = nullptr) {
    GmbxProcess p((source / "gmbx.exe").string(), "-install", source.string());
    HWND dlg = WaitForFolderDialog(p, 20000);
    EXPECT_TRUE(dlg != nullptr) << "no folder question";
    if (dlg) {
        if (proposed) {
            // Another process's edit text comes only through WM_GETTEXT.
            char text[300] = "";
            SendMessageTimeoutA(GetDlgItem(dlg, IDC_INSTALL_FOLDER), WM_GETTEXT, sizeof text,
                                reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
            *proposed = text;
        }
        SetDlgItemTextA(dlg, IDC_INSTALL_FOLDER, folder.c_str());
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    RunResult r = p.Wait(30000);
    CloseGroupWindows();
    return r;
}
RunResult RunInstall(const Source& src, const std::string& folder, std::string* proposed = nullptr) {
    return RunInstallFrom(src.dir.Path(), folder, proposed);
}

RunResult RunUninstall(const std::string& exe, int answer) {
    GmbxProcess p(exe, "-uninstall", fs::path(exe).parent_path().string());
    RunResult r = p.Wait(30000, [answer](const MessageBoxSeen&) { return answer; });
    CloseGroupWindows();
    return r;
}

class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveEverythingInstalled();
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    }
    void TearDown() override {
        CloseGroupWindows();
        EndShellProgramsStartedByTheTests();
        RemoveEverythingInstalled();
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
        RegDeleteTreeA(HKEY_CURRENT_USER, kOtherProduct);
    }
};

TEST_F(Installation, CopiesRegistersGroupsAndUninstallsOnlyWhenTheUserAgrees) {
    Source src;
    TempDir target;
    const std::string folder = (target.Path() / "Glimmer Box").string();  // not there yet; has a blank
    std::string proposed;
    RunResult r = RunInstall(src, folder, &proposed);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << r.boxes[0].text;
    std::string windows = WindowsDir();
    EXPECT_EQ(proposed, windows.substr(0, windows.find('\\') + 1) + "GlimmerDX");

    // The files, and only those the patterns mean.
    for (const char* f : {"gmbx.exe", "GmbxRes.dll", "Dibkit.dll", "OldHook2.dll", "gmbx.hlp", "gmbx.cnt",
                          "readme.txt", "file_id.diz", "Pixmill\\addon.dll"})
        EXPECT_TRUE(fs::exists(fs::path(folder) / f)) << f;
    EXPECT_FALSE(fs::exists(fs::path(folder) / "notalib.dllbak"));
    EXPECT_TRUE(fs::exists(fs::path(folder) / "gmbx.ini"));
    // The settings file beside the program went into the empty registry.
    char quickSaveName[64] = "";
    DWORD size = sizeof quickSaveName;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox\\Window", "QuickSaveName", RRF_RT_REG_SZ,
                           nullptr, quickSaveName, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(quickSaveName, "installed");
    EXPECT_EQ(FileText(fs::path(folder) / "readme.txt"), "readme.txt");

    DWORD major = 0, minor = 0;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kVersionKey, "MajorVersion", &major));
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kVersionKey, "MinorVersion", &minor));
    EXPECT_EQ(major, 3u);
    EXPECT_EQ(minor, 30u);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kVersionKey, "MyDir"), folder);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kAppPathKey, nullptr), "\"" + folder + "\\gmbx.exe\"");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Glimmerbox");
    const std::string batch = windows + "\\UnGMBX.bat";
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), batch);

    // The batch file: the program first, every path of the folder quoted.
    std::string text = FileText(batch);
    EXPECT_EQ(text.rfind("@echo off\r\n\"" + folder + "\\gmbx.exe\" -uninstall\r\nif errorlevel 1 goto finish\r\n", 0),
              0u)
        << text;
    EXPECT_NE(text.find("\r\ndel \"" + folder + "\\Dibkit.dll\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nrmdir \"" + folder + "\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\ndel " + windows + "\\gmbx.INI\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\necho Glimmerbox has been removed from this computer.\r\n"), std::string::npos);
    const std::string tail = "\r\ndel " + batch + "\r\n:finish\r\n";
    EXPECT_TRUE(text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0) << text;

    // The Program Manager group (links made by the shell).
    EXPECT_TRUE(fs::exists(GroupFolder() / "Glimmerbox.lnk"));
    EXPECT_TRUE(fs::exists(GroupFolder() / "Uninstall Glimmerbox.lnk"));

    // Declined: exit code 1 (the batch file stops there), nothing removed.
    const std::string installed = (fs::path(folder) / "gmbx.exe").string();
    r = RunUninstall(installed, IDNO);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1u);
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0].text.rfind("Remove Glimmerbox from this computer?", 0), 0u);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kVersionKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(fs::exists(GroupFolder() / "Glimmerbox.lnk"));

    // Agreed: group and keys go; the maker's key with them when it is empty
    // (and only then); the files stay for the batch file.
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kOtherProduct, "Probe", REG_DWORD, &major, sizeof major),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox\\Window", "Probe", REG_DWORD,
                              &major, sizeof major),
              ERROR_SUCCESS);
    r = RunUninstall(installed, IDYES);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vantrel"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPathKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kOtherProduct));
    EXPECT_FALSE(fs::exists(GroupFolder() / "Glimmerbox.lnk"));
    EXPECT_TRUE(fs::exists(installed));
}

// The command processor runs the uninstall batch file; the program it
// starts asks, and the test answers that box.
BOOL CALLBACK AnswerUninstallBox(HWND w, LPARAM answer) {
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    HWND text = GetDlgItem(w, 0xFFFF);
    if (std::string(cls) == "#32770" && text && IsWindowVisible(w) &&
        WindowText(text).rfind("Remove Glimmerbox", 0) == 0)
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(static_cast<int>(answer), BN_CLICKED), 0);
    return TRUE;
}

bool RunBatch(const std::string& batch, int answer) {
    std::string cmd = "cmd.exe /c " + batch;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return false;
    bool ended = false;
    for (DWORD end = GetTickCount() + 30000; static_cast<int>(end - GetTickCount()) > 0;) {
        if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        EnumWindows(AnswerUninstallBox, answer);
    }
    if (!ended) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseGroupWindows();
    return ended;
}

TEST_F(Installation, TheBatchFileRemovesTheFilesOnlyAfterTheProgramAgreed) {
    Source src;
    TempDir target;
    const std::string folder = (target.Path() / "Glimmer Box").string();
    RunResult r = RunInstall(src, folder);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(r.exitCode, 0u);
    const std::string batch = WindowsDir() + "\\UnGMBX.bat";
    const fs::path exe = fs::path(folder) / "gmbx.exe";

    ASSERT_TRUE(RunBatch(batch, IDNO));
    EXPECT_TRUE(fs::exists(exe));
    EXPECT_TRUE(fs::exists(fs::path(folder) / "Pixmill" / "addon.dll"));
    EXPECT_TRUE(fs::exists(batch));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    ASSERT_TRUE(RunBatch(batch, IDYES));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(fs::exists(GroupFolder() / "Glimmerbox.lnk"));
    EXPECT_FALSE(fs::exists(exe));
    EXPECT_FALSE(fs::exists(fs::path(folder) / "GmbxRes.dll"));
    EXPECT_FALSE(fs::exists(fs::path(folder) / "Pixmill"));
    EXPECT_FALSE(fs::exists(fs::path(folder)));
    EXPECT_FALSE(fs::exists(batch));
}

TEST_F(Installation, IntoItsOwnFolderOrWithMissingFilesWritesNoProgramKeys) {
    // Its own folder: nothing copied, no Version/App Paths, the rest made.
    Source src;
    RunResult r = RunInstall(src, src.dir.Path().string());
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVersionKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPathKey));
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Glimmerbox");
    EXPECT_TRUE(fs::exists(WindowsDir() + "\\UnGMBX.bat"));
    RemoveEverythingInstalled();

    // Only three key files arrive: the error box, and still no program keys.
    Source bare(false);
    TempDir target;
    r = RunInstall(bare, target.Path().string());
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0].text, "Some program files could not be copied. The installation may be incomplete.");
    EXPECT_EQ(r.boxes[0].caption, "Install Glimmerbox");
    EXPECT_TRUE(fs::exists(target.Path() / "gmbx.exe"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVersionKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(Installation, AFolderThatCannotBeMadeKeepsTheQuestionOpenAndCancelEndsWithOne) {
    Source src(false);
    TempDir target;
    std::ofstream(target.Path() / "afile") << "x";
    const std::string bad = (target.Path() / "afile" / "sub").string();
    GmbxProcess p(src.Exe(), "-install", src.dir.Path().string());
    HWND dlg = WaitForFolderDialog(p, 20000);
    ASSERT_TRUE(dlg != nullptr);
    SetDlgItemTextA(dlg, IDC_INSTALL_FOLDER, bad.c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(p.WaitForBoxes(1, 10000));
    EXPECT_EQ(p.Boxes()[0].text, "The folder " + bad + " could not be created.");
    PumpFor(200);
    EXPECT_TRUE(IsWindow(dlg));
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    RunResult r = p.Wait(20000);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(fs::exists(WindowsDir() + "\\UnGMBX.bat"));
}

// The download: the zip unpacked into an empty folder (by the test run's
// packaging step, beside the build) installs from there, and the installed
// program runs.
TEST_F(Installation, TheDownloadInstallsFromTheFolderItIsUnpackedTo) {
    const fs::path unpacked = fs::path(BuildDir()) / "package-test";
    ASSERT_TRUE(fs::exists(unpacked / "gmbx.exe")) << "the package was not unpacked to " << unpacked;
    std::vector<std::string> shipped;
    for (const auto& e : fs::directory_iterator(unpacked))
        if (e.is_regular_file()) shipped.push_back(e.path().filename().string());
    for (const char* f : {"gmbx.exe", "GmbxRes.dll", "Dibkit.dll", "readme.txt", "file_id.diz"})
        EXPECT_NE(std::find(shipped.begin(), shipped.end(), f), shipped.end()) << f << " is not in the package";
    EXPECT_TRUE(fs::exists(unpacked / "tendra" / "tendra.exe"));

    TempDir target;
    const std::string folder = (target.Path() / "Glimmerbox").string();
    RunResult r = RunInstallFrom(unpacked, folder);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    // Until the help files are delivered the program counts too few of its
    // key files and says so once; the installation goes on.
    const bool complete = fs::exists(unpacked / "gmbx.hlp") && fs::exists(unpacked / "gmbx.cnt");
    if (complete) {
        EXPECT_TRUE(r.boxes.empty()) << r.boxes[0].text;
    } else {
        ASSERT_EQ(r.boxes.size(), 1u);
        EXPECT_EQ(r.boxes[0].text, "Some program files could not be copied. The installation may be incomplete.");
    }
    for (const auto& f : shipped) EXPECT_TRUE(fs::exists(fs::path(folder) / f)) << f;
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), WindowsDir() + "\\UnGMBX.bat");

    // The installed copy works on its own.
    TempDir work;
    GmbxProcess snap((fs::path(folder) / "gmbx.exe").string(), "-snap:x0:y0:w16:h8 -save shot.bmp",
                     work.Path().string());
    RunResult s = snap.Wait(30000);
    ASSERT_FALSE(s.timedOut);
    EXPECT_EQ(s.exitCode, 0u);
    EXPECT_TRUE(fs::exists(work.Path() / "shot.bmp"));
}

}  // namespace
}  // namespace gmbx::e2e
