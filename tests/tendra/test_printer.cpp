#include "tests/tendra/test_printer.h"

#include <windows.h>
#include <winspool.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace tendra::test {
namespace {

constexpr wchar_t kOutputFile[] = L"tendra-test-printer.ps";

std::wstring TempFolder() {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH, buf);
    if (n == 0 || n > MAX_PATH) return L"C:\\windows\\temp\\";
    return buf;
}

// Wine's own conversion of a Windows path into the Unix one.
std::string UnixPathOf(const std::wstring& windowsPath) {
    using Convert = char*(CDECL*)(LPCWSTR);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto convert = kernel ? reinterpret_cast<Convert>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")))
                          : nullptr;
    if (!convert) return std::string();
    char* unixPath = convert(windowsPath.c_str());
    std::string result = unixPath ? unixPath : "";
    if (unixPath) HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

std::string OutputUnixPath() {
    std::string path = UnixPathOf(TempFolder() + kOutputFile);
    return path.empty() ? std::string("/tmp/tendra-test-printer.ps") : path;
}

std::wstring Widen(const std::string& s) {
    std::wstring w;
    for (unsigned char c : s) w += static_cast<wchar_t>(c);
    return w;
}

// The generic PPD that Wine's spooler carries as a resource; the PostScript
// driver needs one for the printer's paper and resolution.
std::wstring WriteGenericPpd() {
    HMODULE spool = LoadLibraryW(L"winspool.drv");
    if (!spool) return std::wstring();
    HRSRC res = FindResourceW(spool, MAKEINTRESOURCEW(1), L"PPDFILE");
    HGLOBAL data = res ? LoadResource(spool, res) : nullptr;
    const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    DWORD size = res ? SizeofResource(spool, res) : 0;
    if (!bytes || size == 0) return std::wstring();
    for (DWORD i = 0; i < size; ++i)
        if (bytes[i] == 0) {
            size = i;
            break;
        }
    const std::wstring path = TempFolder() + L"tendra_test_printer.ppd";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::wstring();
    DWORD written = 0;
    const BOOL ok = WriteFile(f, bytes, size, &written, nullptr);
    CloseHandle(f);
    return ok && written == size ? path : std::wstring();
}

bool DriverInstalled(const wchar_t* name) {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    if (needed == 0) return false;
    std::vector<BYTE> buf(needed);
    if (!EnumPrinterDriversW(nullptr, nullptr, 1, buf.data(), needed, &needed, &count)) return false;
    auto* info = reinterpret_cast<DRIVER_INFO_1W*>(buf.data());
    for (DWORD i = 0; i < count; ++i)
        if (info[i].pName && lstrcmpiW(info[i].pName, name) == 0) return true;
    return false;
}

bool InstallDriver() {
    if (DriverInstalled(kTestPrinterName)) return true;
    std::wstring ppd = WriteGenericPpd();
    if (ppd.empty()) return false;
    DRIVER_INFO_3W di = {};
    di.cVersion = 3;
    di.pName = const_cast<LPWSTR>(kTestPrinterName);
    di.pDriverPath = const_cast<LPWSTR>(L"wineps.drv");
    di.pDataFile = &ppd[0];
    di.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
    di.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    if (AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY))
        return true;
    return GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED || DriverInstalled(kTestPrinterName);
}

// The port of an installed printer of that name; empty when there is none.
bool InstalledPort(std::wstring* port) {
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(kTestPrinterName), &printer, nullptr)) return false;
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    bool found = false;
    if (needed) {
        std::vector<BYTE> buf(needed);
        if (GetPrinterW(printer, 2, buf.data(), needed, &needed)) {
            auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
            *port = info->pPortName ? info->pPortName : L"";
            found = true;
        }
    }
    ClosePrinter(printer);
    return found;
}

bool DeletePrinterByName() {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<LPWSTR>(kTestPrinterName), &printer, &access)) return false;
    const BOOL ok = DeletePrinter(printer);
    ClosePrinter(printer);
    return ok != FALSE;
}

}  // namespace

std::wstring TestPrinterOutputWindowsPath() {
    std::wstring path = L"Z:" + Widen(OutputUnixPath());
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

bool EnsureTestPrinter(std::wstring* printerName, std::string* outputPath) {
    const std::string unixPath = OutputUnixPath();
    const std::wstring port = Widen(unixPath);  // a port that starts with '/' is a Unix file
    std::wstring current;
    bool ready = InstalledPort(&current) && current == port;
    if (!ready) {
        DeletePrinterByName();
        if (!InstallDriver()) return false;
        PRINTER_INFO_2W pi = {};
        pi.pPrinterName = const_cast<LPWSTR>(kTestPrinterName);
        pi.pPortName = const_cast<LPWSTR>(port.c_str());
        pi.pDriverName = const_cast<LPWSTR>(kTestPrinterName);
        pi.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
        pi.pDatatype = const_cast<LPWSTR>(L"RAW");
        pi.pParameters = const_cast<LPWSTR>(L"");
        pi.pShareName = const_cast<LPWSTR>(L"");
        pi.pSepFile = const_cast<LPWSTR>(L"");
        pi.pComment = const_cast<LPWSTR>(L"Writes PostScript to a file for the tests");
        HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
        if (!printer) return false;
        ClosePrinter(printer);
    }
    if (!SetDefaultPrinterW(kTestPrinterName)) return false;
    if (printerName) *printerName = kTestPrinterName;
    if (outputPath) *outputPath = unixPath;
    return true;
}

bool RemoveTestPrinter() { return DeletePrinterByName(); }

void ClearTestPrinterOutput() { DeleteFileW(TestPrinterOutputWindowsPath().c_str()); }

std::string ReadTestPrinterOutput() {
    HANDLE f = CreateFileW(TestPrinterOutputWindowsPath().c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string data;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof(buf), &got, nullptr) && got > 0) data.append(buf, got);
    CloseHandle(f);
    return data;
}

std::string WaitForTestPrinterOutput(int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::string ps = ReadTestPrinterOutput();
        if (ps.find("%%EOF") != std::string::npos) return ps;
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return std::string();
        Sleep(50);
    }
}

int PostScriptPageCount(const std::string& ps) {
    const std::string trailer = "\n%%Pages: ";
    std::size_t at = ps.rfind(trailer);
    if (at != std::string::npos) {
        std::size_t p = at + trailer.size();
        if (p < ps.size() && ps[p] >= '0' && ps[p] <= '9') {
            int n = 0;
            while (p < ps.size() && ps[p] >= '0' && ps[p] <= '9' && n < 100000) n = n * 10 + (ps[p++] - '0');
            return n;
        }
    }
    int pages = 0;
    for (std::size_t p = ps.find("\n%%Page: "); p != std::string::npos; p = ps.find("\n%%Page: ", p + 1)) ++pages;
    return pages;
}

std::string PostScriptTitle(const std::string& ps) {
    const std::string key = "\n%%Title: ";
    std::size_t at = ps.find(key);
    if (at == std::string::npos) return std::string();
    at += key.size();
    std::size_t end = ps.find_first_of("\r\n", at);
    std::string raw = ps.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (raw.size() < 2 || raw.front() != '(' || raw.back() != ')') return raw;
    // A string literal: the text between the outer parentheses, with its
    // backslash escapes (octal codes for bytes above 127) decoded.
    std::string title;
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 2 >= raw.size()) {
            title += raw[i];
            continue;
        }
        ++i;
        if (raw[i] >= '0' && raw[i] <= '7') {
            int code = 0;
            for (int digits = 0; digits < 3 && i + 1 < raw.size() && raw[i] >= '0' && raw[i] <= '7'; ++digits, ++i)
                code = code * 8 + (raw[i] - '0');
            --i;
            title += static_cast<char>(code);
        } else {
            switch (raw[i]) {
            case 'n': title += '\n'; break;
            case 'r': title += '\r'; break;
            case 't': title += '\t'; break;
            default: title += raw[i]; break;
            }
        }
    }
    return title;
}

}  // namespace tendra::test
