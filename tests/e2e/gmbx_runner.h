// Starts the real gmbx.exe and plays the user: answers its message boxes
// (recording their texts), finds its windows, and never waits forever.
#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace gmbx::e2e {

// Texts are UTF-8 (plain ASCII texts are the same bytes).
struct MessageBoxSeen {
    std::string text;
    std::string caption;
};

// Which button to press for a message box (IDOK, IDYES, IDNO, ...).
using BoxAnswer = std::function<int(const MessageBoxSeen&)>;
int AnswerOk(const MessageBoxSeen&);

struct RunResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    std::vector<MessageBoxSeen> boxes;
};

// Folder of the test executable (gmbx.exe and its DLLs are built beside it).
std::string BuildDir();

// A running gmbx.exe.
class GmbxProcess {
public:
    // exe: full path of the program; args: the command line after it;
    // cwd: working folder (empty: the build folder).
    GmbxProcess(const std::string& exe, const std::string& args, const std::string& cwd = "");
    ~GmbxProcess();
    bool Started() const { return pi_.hProcess != nullptr; }
    DWORD Pid() const { return pi_.dwProcessId; }
    bool Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    // Pumps this thread's messages, answers boxes, until the process ends
    // or the time is up (then it is killed).
    RunResult Wait(DWORD timeoutMs, const BoxAnswer& answer = AnswerOk);
    // Waits until a visible top-level window of the given class belongs to
    // the process; answers message boxes meanwhile. Null on time-out.
    HWND WaitForWindow(const char* className, DWORD timeoutMs, const BoxAnswer& answer = AnswerOk);
    // A top-level window of the given class that belongs to the process
    // (shown or, with shownOnly false, also hidden); null when there is none.
    HWND WindowOf(const char* className, bool shownOnly = true) const;
    // Answers message boxes until count of them have been seen or the time
    // is up; true when they were.
    bool WaitForBoxes(size_t count, DWORD timeoutMs, const BoxAnswer& answer = AnswerOk);
    const std::vector<MessageBoxSeen>& Boxes() const { return boxes_; }

private:
    bool AnswerBoxes(const BoxAnswer& answer);
    PROCESS_INFORMATION pi_ = {};
    std::vector<MessageBoxSeen> boxes_;
};

// Runs gmbx.exe from the build folder to its end.
RunResult RunGmbx(const std::string& args, DWORD timeoutMs = 30000, const BoxAnswer& answer = AnswerOk,
                  const std::string& cwd = "");

// Pumps this thread's messages for the given time.
void PumpFor(DWORD ms);

// Waits until the window's title contains the text; with a process, its
// message boxes are answered meanwhile.
bool WaitForTitle(HWND w, const std::string& part, DWORD timeoutMs, GmbxProcess* process = nullptr);

// key pressed and released with SendInput while the modifier keys (VK_MENU,
// VK_SHIFT, VK_CONTROL...) are held. With a window manager, a key without
// modifiers goes through the X server instead (so that it reaches only a
// window that really has the keyboard focus).
void PressKey(WORD key, std::initializer_list<WORD> modifiers = {});
// Ctrl+Shift+key.
void PressCtrlShift(WORD key);
// True when a window manager runs on the display (the tests were started
// through scripts/with-window-manager).
bool WindowManagerRuns();

// Runs xdotool with the arguments and waits for it: input that goes through
// the X server to the window that has the X focus, as a user's does.
bool Xdotool(const std::string& args);

// A string of the resource library beside the program.
std::string ResourceText(UINT id);

// The text of a window (title).
std::string WindowText(HWND w);
// The same, read as UTF-16 and returned as UTF-8.
std::string WindowTextUtf8(HWND w);

}  // namespace gmbx::e2e
