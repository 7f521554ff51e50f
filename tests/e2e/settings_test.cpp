// End-to-end: settings kept between runs, exported to and imported from
// gmbx.ini beside the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "res/resource.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/e2e/registry_read.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;

const char kWindowKey[] = "SOFTWARE\\Vantrel\\Glimmerbox\\Window";

std::string FileText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A copy of the program in its own folder, so that gmbx.ini beside it is
// the test's own.
struct ProgramCopy {
    TempDir dir;
    ProgramCopy() {
        for (const char* f : {"gmbx.exe", "GmbxRes.dll", "Dibkit.dll"})
            std::filesystem::copy_file(BuildDir() + "\\" + f, dir.Path() / f);
    }
    std::string Exe() const { return dir.File("gmbx.exe"); }
    RunResult Run(const std::string& args) {
        GmbxProcess p(Exe(), args, dir.Path().string());
        return p.Wait(30000);
    }
};

TEST(Settings, AToggleSurvivesTheRunAndTravelsThroughGmbxIni) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    ProgramCopy prog;
    {
        GmbxProcess p(prog.Exe(), "", prog.dir.Path().string());
        HWND frame = p.WaitForWindow("GmbxFrame", 20000);
        ASSERT_NE(frame, nullptr);
        PostMessageA(frame, WM_COMMAND, ID_INCLUDE_CURSOR, 0);
        PostMessageA(frame, WM_CLOSE, 0, 0);
        RunResult r = p.Wait(20000);
        EXPECT_EQ(r.exitCode, 0u);
    }
    DWORD v = 0;
    ASSERT_TRUE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "IncludeCursor", &v));
    EXPECT_EQ(v, 1u);
    ASSERT_TRUE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "WinWidth", &v));
    EXPECT_GT(v, 0u);

    // Export: every group lands in gmbx.ini beside the program.
    RunResult r = prog.Run("-dumpopts");
    EXPECT_EQ(r.exitCode, 0u);
    std::string ini = FileText(prog.dir.Path() / "gmbx.ini");
    EXPECT_NE(ini.find("\"IncludeCursor\"  1\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\"QuickSaveName\"  \"snap\"\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\"Desktop Desc\"  \"Ctrl+Shift+F\"\r\n"), std::string::npos);

    // Import: an edited file replaces the stored values; unknown lines are
    // harmless.
    std::ofstream(prog.dir.Path() / "gmbx.ini", std::ios::binary)
        << "\"quicksavename\"  \"shot\"\r\n  \"IncludeCursor\"  1\r\n\"Unknown\"  5\r\n\"IncludeCursor\"  0\r\n";
    r = prog.Run("-readopts");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWindowKey, "QuickSaveName"), "shot");
    ASSERT_TRUE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "IncludeCursor", &v));
    EXPECT_EQ(v, 0u);
    EXPECT_TRUE(r.boxes.empty());
}

// What Wine's own registry tool reports for a value.
std::string RegQuery(const char* key, const char* value) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE rd, wr;
    if (!CreatePipe(&rd, &wr, &sa, 0)) return "";
    SetHandleInformation(rd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = wr;
    si.hStdError = wr;
    std::string cmd = std::string("reg.exe query \"HKCU\\") + key + "\" /v \"" + value + "\"";
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        CloseHandle(rd);
        CloseHandle(wr);
        return "";
    }
    CloseHandle(wr);
    std::string out;
    char buf[512];
    DWORD n;
    while (ReadFile(rd, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(rd);
    return out;
}

TEST(Settings, RegistryToolSeesTheNamesAndTypes) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    ProgramCopy prog;
    std::ofstream(prog.dir.Path() / "gmbx.ini", std::ios::binary)
        << "\"QuickSaveName\"  \"shot\"\r\n\"AutoCopy\"  1\r\n\"Desktop Key\"  71\r\n";
    ASSERT_EQ(prog.Run("-readopts").exitCode, 0u);
    std::string q = RegQuery(kWindowKey, "QuickSaveName");
    EXPECT_NE(q.find("REG_SZ"), std::string::npos) << q;
    EXPECT_NE(q.find("shot"), std::string::npos) << q;
    q = RegQuery(kWindowKey, "AutoCopy");
    EXPECT_NE(q.find("REG_DWORD"), std::string::npos) << q;
    EXPECT_NE(q.find("0x1"), std::string::npos) << q;
    q = RegQuery("SOFTWARE\\Vantrel\\Glimmerbox\\Keys", "Desktop Key");
    EXPECT_NE(q.find("0x47"), std::string::npos) << q;
    q = RegQuery("SOFTWARE\\Vantrel\\Glimmerbox\\Keys", "Disable All Keys");
    EXPECT_NE(q.find("REG_DWORD"), std::string::npos) << q;
}

TEST(Settings, InitfromWithAMissingFileStaysWithTheRegistry) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    ProgramCopy prog;
    GmbxProcess p(prog.Exe(), "-initfrom:" + prog.dir.File("missing.ini"), prog.dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.Wait(20000).exitCode, 0u);
    EXPECT_FALSE(std::filesystem::exists(prog.dir.Path() / "missing.ini"));
    DWORD v;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "AutoRestore", &v));
}

TEST(Settings, ReadoptsWithoutAFileFails) {
    ProgramCopy prog;
    RunResult r = prog.Run("-readopts");
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1u);
}

TEST(Settings, InitfromRunsOnTheGivenFileAndWritesItBack) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox");
    ProgramCopy prog;
    std::filesystem::path file = prog.dir.Path() / "mine.ini";
    std::ofstream(file, std::ios::binary) << "\"Comment\"  \"kept\"\r\n\"AutoRestore\"  0\r\n";
    GmbxProcess p(prog.Exe(), "-initfrom:" + file.string(), prog.dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_INCLUDE_CURSOR, 0);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    std::string text = FileText(file);
    // The user's own line keeps its place at the top; the toggle is saved.
    EXPECT_EQ(text.rfind("\"Comment\"  \"kept\"\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("\"AutoRestore\"  0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"IncludeCursor\"  1\r\n"), std::string::npos) << text;
    // Nothing went to the registry.
    DWORD v;
    EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "IncludeCursor", &v));
}

}  // namespace
}  // namespace gmbx::e2e
