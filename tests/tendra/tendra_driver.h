// Plays the user of a real tendra.exe: a copy of the program in its own
// folder (so that its "info.txt" belongs to one test), its requests sent to
// a test server, its controls read and clicked from outside, its message
// boxes answered.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/gmbx_runner.h"

namespace tendra::e2e {

using gmbx::e2e::BoxAnswer;
using gmbx::e2e::MessageBoxSeen;

// Answers every box with Yes (an OK box closes with it too), or with No.
int AnswerYes(const MessageBoxSeen&);
int AnswerNo(const MessageBoxSeen&);

std::string Utf8(const std::wstring& text);

// The stored customer data (registry key of the program).
void ClearCustomerKey();
void SetCustomerValue(const wchar_t* name, const std::wstring& value);
void SetCustomerDword(const wchar_t* name, DWORD value);
bool CustomerKeyExists();
std::wstring CustomerValue(const wchar_t* name);

class TendraApp {
public:
    // Copies tendra.exe from the build folder into `folder` and starts it
    // there with TENDRA_SERVER set to `server` (when not empty).
    TendraApp(const std::string& folder, const std::string& server);
    ~TendraApp();

    // The main window once it is shown (null on time-out).
    HWND Main() const { return main_; }
    bool Running() const { return process_->Running(); }
    HWND Control(int id) const;
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text);
    // A button press as the user makes it (nothing for a disabled button).
    void Click(int id);
    // A menu command of the main window.
    void Command(int id);
    bool Visible(int id) const;
    bool Enabled(int id) const;

    // Keyboard: makes the main window the foreground window, so that keys
    // pressed with gmbx::e2e::PressKey reach it (false when it did not become
    // one); the id of the control with the keyboard focus (0: none, -1: a
    // window that is no control of ours); waits until the control with the
    // id has the focus and returns the id that has it then.
    bool Activate();
    int FocusId() const;
    int WaitForFocus(int id, DWORD timeoutMs = 5000);

    // LST_Programy: its lines and check marks; a click on the check box of a
    // line.
    std::vector<std::wstring> ProgramLines() const;
    bool Checked(int index) const;
    void ClickCheckBox(int index);

    // A dialog of the program (not a message box) with the given caption.
    HWND WaitForDialog(const std::wstring& caption, DWORD timeoutMs = 10000);
    // Waits until `count` more message boxes were answered; their texts.
    std::vector<MessageBoxSeen> Boxes(size_t count, const BoxAnswer& answer, DWORD timeoutMs = 15000);
    // Lets the program work for a while, answering boxes with No.
    void Idle(DWORD ms);
    // Waits (answering boxes with No) until the page with the given id is
    // shown; false on time-out.
    bool WaitForPage(int pageId, DWORD timeoutMs = 5000);
    // Waits until the window is gone (then lets the program catch up).
    void WaitGone(HWND window, DWORD timeoutMs = 5000);
    // Closes the window (answering the closing question); true when the
    // program ended within the time.
    bool Close(bool confirm, DWORD timeoutMs = 20000);
    size_t BoxCount() const { return process_->Boxes().size(); }

private:
    std::unique_ptr<gmbx::e2e::GmbxProcess> process_;
    HWND main_ = nullptr;
};

}  // namespace tendra::e2e
