#include "install/win/installer.h"

#include <ddeml.h>

#include <cstdio>
#include <vector>

#include "install/installplan.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx::install {

const char kVersionKey[] = "SOFTWARE\\Vantrel\\Glimmerbox\\Version";
const char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gmbx.exe";
const char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

namespace {

constexpr size_t kFolderBytes = 256;

bool IsWindowsNt() { return (GetVersion() & 0x80000000u) == 0; }

std::string WindowsDirectory() {
    char dir[MAX_PATH] = "";
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return "C:\\WINDOWS";
    return TidyFolder(dir);
}

bool FolderExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder and any missing parents.
bool MakeFolder(const std::string& path) {
    if (path.empty()) return false;
    if (FolderExists(path)) return true;
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':') {
        if (!MakeFolder(path.substr(0, slash))) return false;
    }
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// A file can be made in the folder and removed again.
bool FolderWritable(const std::string& folder) {
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "VAN", 0, name)) return false;
    HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE;
    if (ok) CloseHandle(h);
    DeleteFileA(name);
    return ok;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return path;
    return TidyFolder(full);
}

struct FolderDialog {
    std::string proposed;
    std::string chosen;
};

void CentreOnScreen(HWND dlg) {
    RECT r;
    GetWindowRect(dlg, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(dlg, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
}

void FolderError(HWND dlg, UINT id, const std::string& folder) {
    std::string text = klib::FormatResString(id, folder.c_str());
    std::string caption = klib::LoadResString(IDS_INSTALL_TITLE);
    MessageBoxA(dlg, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

INT_PTR CALLBACK FolderDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<FolderDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<FolderDialog*>(lp);
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        SetWindowTextA(dlg, klib::LoadResString(IDS_INSTALL_TITLE).c_str());
        HWND edit = GetDlgItem(dlg, IDC_INSTALL_FOLDER);
        SendMessageA(edit, EM_LIMITTEXT, kFolderBytes - 1, 0);
        SetWindowTextA(edit, state->proposed.c_str());
        CentreOnScreen(dlg);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            char text[kFolderBytes] = "";
            GetDlgItemTextA(dlg, IDC_INSTALL_FOLDER, text, sizeof text);
            std::string folder = TidyFolder(text);
            if (!folder.empty()) folder = FullPath(folder);
            if (folder.empty() || !MakeFolder(folder)) {
                FolderError(dlg, IDS_INSTALL_MKDIR_FAILED, folder.empty() ? std::string(text) : folder);
                return TRUE;
            }
            if (!FolderWritable(folder)) {
                FolderError(dlg, IDS_INSTALL_NOT_WRITABLE, folder);
                return TRUE;
            }
            state->chosen = folder;
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

HKEY CreateKey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    char cls[] = "REG_SZ";
    if (RegCreateKeyExA(root, path.c_str(), 0, cls, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void SetText(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()), static_cast<DWORD>(value.size()));
}

void SetDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteProgramKeys(const std::string& folder) {
    if (HKEY k = CreateKey(HKEY_LOCAL_MACHINE, kVersionKey)) {
        SetDword(k, "MajorVersion", kMajorVersion);
        SetDword(k, "MinorVersion", kMinorVersion);
        SetText(k, "MyDir", folder);
        RegCloseKey(k);
    }
    if (HKEY k = CreateKey(HKEY_LOCAL_MACHINE, kAppPathKey)) {
        SetText(k, nullptr, JoinPath(folder, "gmbx.exe"));
        RegCloseKey(k);
    }
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(h);
    return ok;
}

HDDEDATA CALLBACK ClientOnlyCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

bool StartClientDde(DWORD* instance) {
    *instance = 0;
    return DdeInitializeA(instance, ClientOnlyCallback, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR;
}

// With full access only; missing keys are skipped.
void DeleteSubKey(HKEY root, const std::string& path, const char* sub) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    RegDeleteKeyA(k, sub);
    RegCloseKey(k);
}

// Deletes the product's key under the maker's, and the maker's key when
// nothing else is left under it.
void DeleteProductKey(HKEY root, const std::string& product) {
    HKEY maker = nullptr;
    if (RegOpenKeyExA(root, "SOFTWARE\\Vantrel", 0, KEY_ALL_ACCESS, &maker) != ERROR_SUCCESS) return;
    RegDeleteKeyA(maker, product.c_str());
    DWORD subKeys = 1, values = 0;
    LONG info = RegQueryInfoKeyA(maker, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr);
    RegCloseKey(maker);
    if (info == ERROR_SUCCESS && subKeys == 0) DeleteSubKey(root, "SOFTWARE", "Vantrel");
}

}  // namespace

bool ProgmanExecute(DWORD instance, const std::string& command) {
    HSZ service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    if (!service) return false;
    bool ok = false;
    if (HCONV conv = DdeConnect(instance, service, service, nullptr)) {
        std::vector<char> data(command.begin(), command.end());
        data.push_back('\0');
        DWORD result = 0;
        ok = DdeClientTransaction(reinterpret_cast<LPBYTE>(data.data()), static_cast<DWORD>(data.size()), conv,
                                  nullptr, CF_TEXT, XTYP_EXECUTE, 1000, &result) != nullptr;
        DdeDisconnect(conv);
    }
    DdeFreeStringHandle(instance, service);
    return ok;
}

int CopyMatchingFiles(const std::string& pattern, const std::string& source, const std::string& target) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((source + "\\" + pattern).c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && NameMatches(fd.cFileName, pattern))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    if (names.empty()) return 0;
    if (!MakeFolder(target)) return 0;
    int copied = 0;
    for (const std::string& name : names) {
        if (!CopyFileA((source + "\\" + name).c_str(), (target + "\\" + name).c_str(), FALSE)) break;
        ++copied;
    }
    return copied;
}

std::string AskInstallFolder(const std::string& proposed) {
    FolderDialog state{proposed, {}};
    INT_PTR r = DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_INSTALL_FOLDER), nullptr,
                                FolderDialogProc, reinterpret_cast<LPARAM>(&state));
    return r == IDOK ? state.chosen : std::string();
}

int InstallProgram(const std::string& sourceFolder) {
    const std::string windowsDir = WindowsDirectory();
    std::string root;
    const std::string proposed = DefaultFolder(windowsDir, &root);
    SetCurrentDirectoryA(root.c_str());
    const std::string folder = AskInstallFolder(proposed);
    if (folder.empty()) return 0;

    if (!SameFolder(folder, sourceFolder)) {
        int keyFiles = 0;
        for (const CopyStep& step : CopySteps()) {
            std::string from = sourceFolder, to = folder;
            if (*step.subFolder) {
                from += std::string("\\") + step.subFolder;
                to += std::string("\\") + step.subFolder;
            }
            int n = CopyMatchingFiles(step.pattern, TidyFolder(from), TidyFolder(to));
            if (step.keyFile) keyFiles += n;
        }
        if (keyFiles >= kMinimumKeyFiles) {
            WriteProgramKeys(folder);
        } else {
            std::string caption = klib::LoadResString(IDS_INSTALL_TITLE);
            MessageBoxA(nullptr, klib::LoadResString(IDS_INSTALL_COPY_FAILED).c_str(), caption.c_str(),
                        MB_OK | MB_ICONERROR);
        }
    }

    // The uninstall batch file.
    DeleteFileA((windowsDir + "\\gmbx.INI").c_str());
    BatchParams batch;
    batch.folder = folder;
    batch.windowsDir = windowsDir;
    batch.windowsNt = IsWindowsNt();
    for (int i = 0; i < 3; ++i) batch.echo[i] = klib::LoadResString(IDS_UNINSTALL_ECHO1 + i);
    const std::string batchPath = windowsDir + "\\" + kBatchFileName;
    WriteWholeFile(batchPath, UninstallBatchText(batch));

    const std::string product = klib::LoadResString(IDS_DISPLAY_NAME);
    if (HKEY k = CreateKey(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "\\" + product)) {
        SetText(k, "DisplayName", product);
        SetText(k, "UninstallString", JoinPath(batchPath, ""));
        RegCloseKey(k);
    }

    DWORD dde = 0;
    if (!StartClientDde(&dde)) return 0;
    for (const std::string& command : InstallGroupCommands(product, folder, batchPath, batch.windowsNt))
        ProgmanExecute(dde, command);
    DdeUninitialize(dde);
    return 1;
}

int UninstallProgram() {
    const std::string product = klib::LoadResString(IDS_DISPLAY_NAME);
    int result = 1;
    DWORD dde = 0;
    if (StartClientDde(&dde)) {
        for (const std::string& command : UninstallGroupCommands(product)) ProgmanExecute(dde, command);
        DdeUninitialize(dde);
    } else {
        result = 0;
    }
    const std::string own = "SOFTWARE\\Vantrel\\" + product;
    DeleteSubKey(HKEY_LOCAL_MACHINE, own, "Version");
    DeleteProductKey(HKEY_LOCAL_MACHINE, product);
    for (const char* bar : {"Window-Bar0", "Window-Bar1", "Window-Bar2", "Window-Summary"})
        DeleteSubKey(HKEY_CURRENT_USER, own + "\\gmbx.INI", bar);
    for (const char* group : {"gmbx.INI", "Keys", "Print", "Window"}) DeleteSubKey(HKEY_CURRENT_USER, own, group);
    DeleteProductKey(HKEY_CURRENT_USER, product);
    DeleteSubKey(HKEY_LOCAL_MACHINE, kUninstallRoot, product.c_str());
    DeleteSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", "gmbx.exe");
    return result;
}

}  // namespace gmbx::install
