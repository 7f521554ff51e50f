#include "tests/tendra/tendra_driver.h"

#include "orderform/customer.h"
#include "orderform/res/resource.h"

namespace tendra::e2e {
namespace {

using gmbx::e2e::PumpFor;

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    if (GetDlgCtrlID(w) == s->id) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

struct DialogSearch {
    DWORD pid;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<DialogSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[64] = L"", text[256] = L"";
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, text, 256);
    if (pid == s->pid && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(w) && *s->caption == text) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int AnswerYes(const MessageBoxSeen&) { return IDYES; }
int AnswerNo(const MessageBoxSeen&) { return IDNO; }

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &s[0], n, nullptr, nullptr);
    return s;
}

void ClearCustomerKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kCustomerKey); }

void SetCustomerValue(const wchar_t* name, const std::wstring& value) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kCustomerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)) return;
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void SetCustomerDword(const wchar_t* name, DWORD value) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kCustomerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)) return;
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

bool CustomerKeyExists() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCustomerKey, 0, KEY_READ, &key)) return false;
    RegCloseKey(key);
    return true;
}

std::wstring CustomerValue(const wchar_t* name) {
    wchar_t buf[1024] = L"";
    DWORD bytes = sizeof buf - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kCustomerKey, name, RRF_RT_REG_SZ, nullptr, buf, &bytes)) return L"<none>";
    return buf;
}

// Without a window manager (Xvfb), Wine waits up to 2 s for one each time
// a managed window (every message box) goes away. Wine's per-program
// setting turns that off for tendra.exe only.
void UnmanagedWindows() {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\tendra.exe\\X11 Driver", 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr))
        return;
    RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
    RegCloseKey(key);
}

TendraApp::TendraApp(const std::string& folder, const std::string& server) {
    UnmanagedWindows();
    std::string exe = folder + "\\tendra.exe";
    CopyFileA((gmbx::e2e::BuildDir() + "\\tendra.exe").c_str(), exe.c_str(), FALSE);
    SetEnvironmentVariableA("TENDRA_SERVER", server.empty() ? nullptr : server.c_str());
    process_ = std::make_unique<gmbx::e2e::GmbxProcess>(exe, "", folder);
    SetEnvironmentVariableA("TENDRA_SERVER", nullptr);
    main_ = process_->WaitForWindow("TKS_Zamawiacz", 20000, AnswerNo);
}

TendraApp::~TendraApp() = default;

HWND TendraApp::Control(int id) const {
    ChildSearch s{id, nullptr};
    if (main_) EnumChildWindows(main_, FindChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::wstring TendraApp::Text(int id) const {
    HWND w = Control(id);
    if (!w) return L"<missing>";
    DWORD_PTR len = 0;
    SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len);
    std::wstring text(len + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 5000, &got);
    text.resize(got);
    return text;
}

void TendraApp::SetText(int id, const std::wstring& text) {
    DWORD_PTR r;
    SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &r);
}

void TendraApp::Click(int id) { PostMessageW(Control(id), BM_CLICK, 0, 0); }

void TendraApp::Command(int id) { PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

bool TendraApp::Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
bool TendraApp::Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

bool TendraApp::Activate() {
    if (!main_) return false;
    SetForegroundWindow(main_);
    DWORD end = GetTickCount() + 5000;
    while (GetForegroundWindow() != main_ || FocusId() == 0) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Idle(20);
    }
    return true;
}

int TendraApp::FocusId() const {
    GUITHREADINFO info = {sizeof info};
    if (!main_ || !GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info) || !info.hwndFocus) return 0;
    return IsChild(main_, info.hwndFocus) ? GetDlgCtrlID(info.hwndFocus) : -1;
}

int TendraApp::WaitForFocus(int id, DWORD timeoutMs) {
    DWORD end = GetTickCount() + timeoutMs;
    while (FocusId() != id && static_cast<int>(end - GetTickCount()) > 0) Idle(20);
    return FocusId();
}

std::vector<std::wstring> TendraApp::ProgramLines() const {
    HWND list = Control(IDC_LST_PROGRAMY);
    std::vector<std::wstring> lines;
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int len = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
        std::wstring text(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(len > 0 ? static_cast<size_t>(len) : 0);
        lines.push_back(text);
    }
    return lines;
}

bool TendraApp::Checked(int index) const {
    return SendMessageW(Control(IDC_LST_PROGRAMY), LB_GETITEMDATA, index, 0) == 1;
}

void TendraApp::ClickCheckBox(int index) {
    HWND list = Control(IDC_LST_PROGRAMY);
    int h = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    LPARAM at = MAKELPARAM(h / 2 + 1, (index - top) * h + h / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
}

HWND TendraApp::WaitForDialog(const std::wstring& caption, DWORD timeoutMs) {
    DWORD end = GetTickCount() + timeoutMs;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        DialogSearch s{process_->Pid(), &caption, nullptr};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        PumpFor(30);
    }
    return nullptr;
}

std::vector<MessageBoxSeen> TendraApp::Boxes(size_t count, const BoxAnswer& answer, DWORD timeoutMs) {
    size_t before = process_->Boxes().size();
    process_->WaitForBoxes(before + count, timeoutMs, answer);
    const auto& all = process_->Boxes();
    return std::vector<MessageBoxSeen>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
}

void TendraApp::Idle(DWORD ms) { process_->WaitForBoxes(process_->Boxes().size() + 1000, ms, AnswerNo); }

bool TendraApp::WaitForPage(int pageId, DWORD timeoutMs) {
    DWORD end = GetTickCount() + timeoutMs;
    while (!Visible(pageId)) {
        if (static_cast<int>(end - GetTickCount()) <= 0 || !Running()) return false;
        Idle(50);
    }
    return true;
}

void TendraApp::WaitGone(HWND window, DWORD timeoutMs) {
    DWORD end = GetTickCount() + timeoutMs;
    while (IsWindow(window) && static_cast<int>(end - GetTickCount()) > 0) PumpFor(20);
    Idle(100);
}

bool TendraApp::Close(bool confirm, DWORD timeoutMs) {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    Boxes(1, confirm ? AnswerYes : AnswerNo);
    if (!confirm) return false;
    return !process_->Wait(timeoutMs, AnswerNo).timedOut;
}

}  // namespace tendra::e2e
