// End-to-end: a second start hands its command line to the first over DDE;
// gmbx as a child of another program; ending gmbx by message.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "imageio/dib.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;

std::string WriteTestPicture(const TempDir& dir, const char* name, int w, int h) {
    Dib dib;
    EXPECT_TRUE(dib.Create(w, h, 16777216));
    std::string file = dir.File(name);
    EXPECT_TRUE(dib.WriteBMP(file.c_str()));
    return file;
}

struct FrameCount {
    int n = 0;
};

BOOL CALLBACK CountOne(HWND w, LPARAM lp) {
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "GmbxFrame" && IsWindowVisible(w)) ++reinterpret_cast<FrameCount*>(lp)->n;
    return TRUE;
}

// Visible main windows of every gmbx process.
int CountFrames() {
    FrameCount c;
    EnumWindows(CountOne, reinterpret_cast<LPARAM>(&c));
    return c.n;
}

TEST(Dde, SecondStartHandsItsFileToTheFirstAndActivates) {
    TempDir dir;
    std::string picture = WriteTestPicture(dir, "handed.bmp", 44, 33);
    GmbxProcess first(BuildDir() + "\\gmbx.exe", "-ddesrv", dir.Path().string());
    HWND frame = first.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    PumpFor(500);

    // The second start finds the first, sends "load <full path>" and ends.
    RunResult second = RunGmbx("-ddesrv handed.bmp", 30000, AnswerOk, dir.Path().string());
    EXPECT_FALSE(second.timedOut);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_TRUE(second.boxes.empty());
    EXPECT_TRUE(WaitForTitle(frame, "handed.bmp", 10000)) << WindowText(frame);
    EXPECT_TRUE(WaitForTitle(frame, "44 33)", 5000)) << WindowText(frame);
    EXPECT_EQ(CountFrames(), 1);

    // "activate" restores the minimised first window.
    ShowWindowAsync(frame, SW_MINIMIZE);
    PumpFor(500);
    ASSERT_TRUE(IsIconic(frame));
    second = RunGmbx("-ddesrv", 30000, AnswerOk, dir.Path().string());
    EXPECT_EQ(second.exitCode, 0u);
    DWORD end = GetTickCount() + 10000;
    while (IsIconic(frame) && static_cast<int>(end - GetTickCount()) > 0) PumpFor(50);
    EXPECT_FALSE(IsIconic(frame));

    // Without -ddesrv nothing is handed over: a second window comes up.
    GmbxProcess third(BuildDir() + "\\gmbx.exe", "handed.bmp", dir.Path().string());
    HWND other = third.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, frame);
    PostMessageA(other, WM_CLOSE, 0, 0);
    EXPECT_EQ(third.Wait(20000).exitCode, 0u);

    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = first.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    (void)picture;
}

// Runs the DDE test peer (tests/doubles/ipc_peer) and waits until it is set up.
class Peer {
public:
    explicit Peer(const std::string& args) {
        std::string ready = "GmbxE2EPeer" + std::to_string(GetTickCount());
        event_ = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
        process_ = std::make_unique<GmbxProcess>(BuildDir() + "\\ipc_peer.exe", ready + " " + args);
        DWORD end = GetTickCount() + 10000;
        while (WaitForSingleObject(event_, 0) == WAIT_TIMEOUT && static_cast<int>(end - GetTickCount()) > 0)
            PumpFor(20);
    }
    ~Peer() { CloseHandle(event_); }
    RunResult Wait(DWORD ms) { return process_->Wait(ms); }

private:
    HANDLE event_ = nullptr;
    std::unique_ptr<GmbxProcess> process_;
};

TEST(Dde, ChildReportsStartAndEndToItsParent) {
    TempDir dir;
    Peer parent("server gmbxtestparent");
    // gmbx started as child 3 of that parent; -yipc and what follows are
    // taken off the command line.
    RunResult child = RunGmbx("-snap:w6:h6 -save x.bmp -yipc0 gmbxtestparent 3", 30000, AnswerOk,
                              dir.Path().string());
    EXPECT_EQ(child.exitCode, 0u);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "x.bmp"));
    // The parent ends with 100 + the exit code its child reported.
    RunResult p = parent.Wait(20000);
    EXPECT_FALSE(p.timedOut);
    EXPECT_EQ(p.exitCode, 100u);
}

TEST(Dde, TerminateMessageWithoutNumberEndsWithOne) {
    TempDir dir;
    GmbxProcess server(BuildDir() + "\\gmbx.exe", "-ddesrv", dir.Path().string());
    ASSERT_NE(server.WaitForWindow("GmbxFrame", 20000), nullptr);
    Peer sender("client gmbx gmbx ipm_terminate");
    RunResult r = server.Wait(20000);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1u);
    sender.Wait(10000);
}

}  // namespace
}  // namespace gmbx::e2e
