// Copy, Paste and Send by E-mail in the real program: the clipboard read and
// filled by this test, the messaging library's stand-in put beside a copy of
// the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imageio/dib.h"
#include "tests/e2e/clipboard_read.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;

constexpr UINT kCopy = 0xE122, kPaste = 0xE125, kSendMail = 0xE10C;
constexpr int kEmailName = 1305, kEmailType = 1300;

// A 40x20 true-colour picture: left half red, right half blue.
std::string WritePicture(const TempDir& dir) {
    Dib dib;
    EXPECT_TRUE(dib.Create(40, 20, 16777216));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            uint8_t* p = dib.bits + y * dib.stride + x * 3;
            p[0] = x < 20 ? 0 : 255;
            p[2] = x < 20 ? 255 : 0;
        }
    std::string path = dir.File("pic.bmp");
    EXPECT_TRUE(dib.WriteBMP(path.c_str()));
    return path;
}

void EmptyTheClipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

TEST(ClipboardInProgram, CopyThenPaste) {
    TempDir dir;
    std::string picture = WritePicture(dir);
    EmptyTheClipboard();
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "\"" + picture + "\"", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitForTitle(frame, "40 20)", 10000)) << WindowText(frame);
    PostMessageA(frame, WM_COMMAND, kCopy, 0);
    std::unique_ptr<Dib> copiedFile = WaitForClipboardDib(10000);
    ASSERT_TRUE(copiedFile);
    const Dib& copied = *copiedFile;
    EXPECT_EQ(copied.Width(), 40);
    EXPECT_EQ(copied.Height(), 20);
    EXPECT_GE(copied.BitCount(), 16);  // the display's depth by default
    if (copied.BitCount() == 24) {
        const uint8_t* row = copied.bits + 5 * copied.stride;
        EXPECT_EQ(row[3 * 2 + 2], 255);   // red at the left
        EXPECT_EQ(row[3 * 30 + 0], 255);  // blue at the right
    }
    // A 3x2 picture from "another program".
    std::vector<uint8_t> block(40 + 2 * 12, 0);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    h->biSize = 40;
    h->biWidth = 3;
    h->biHeight = 2;
    h->biPlanes = 1;
    h->biBitCount = 24;
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, block.size());
    std::memcpy(GlobalLock(g), block.data(), block.size());
    GlobalUnlock(g);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_DIB, g);
    CloseClipboard();
    PostMessageA(frame, WM_COMMAND, kPaste, 0);
    EXPECT_TRUE(WaitForTitle(frame, "3 2)", 10000)) << WindowText(frame);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
}

constexpr const char* kAppOverrides = "Software\\Wine\\AppDefaults\\gmbx.exe\\DllOverrides";

class NativeMapiForGmbx {
public:
    NativeMapiForGmbx() {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kAppOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            static const char kValue[] = "native,builtin";
            RegSetValueExA(key, "mapi32", 0, REG_SZ, reinterpret_cast<const BYTE*>(kValue), sizeof kValue);
            RegCloseKey(key);
        }
    }
    ~NativeMapiForGmbx() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\gmbx.exe"); }
};

TEST(MailInProgram, AttachmentGoesToTheMessagingLibrary) {
    TempDir dir;
    std::string picture = WritePicture(dir);
    for (const char* file : {"gmbx.exe", "GmbxRes.dll", "Dibkit.dll"})
        ASSERT_TRUE(CopyFileA((BuildDir() + "\\" + file).c_str(), dir.File(file).c_str(), FALSE)) << file;
    ASSERT_TRUE(CopyFileA((BuildDir() + "\\doubles\\MAPI32.DLL").c_str(), dir.File("MAPI32.DLL").c_str(), FALSE));
    const std::string log = dir.File("mapi.log");
    // Wine takes its own library of that name unless told otherwise, for
    // this program only and only while the test runs.
    NativeMapiForGmbx native;
    SetEnvironmentVariableA("GMBX_FAKEMAPI_LOG", log.c_str());
    GmbxProcess p(dir.File("gmbx.exe"), "\"" + picture + "\"", dir.Path().string());
    SetEnvironmentVariableA("GMBX_FAKEMAPI_LOG", nullptr);
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitForTitle(frame, "40 20)", 10000)) << WindowText(frame);
    PostMessageA(frame, WM_COMMAND, kSendMail, 0);
    HWND dlg = p.WaitForWindow("#32770", 10000);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(WindowText(dlg), "Send by E-mail");
    SetDlgItemTextA(dlg, kEmailName, "report");
    SendDlgItemMessageA(dlg, kEmailType, CB_SETCURSEL, 0, 0);  // BMP
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(kEmailType, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dlg, kEmailType)));
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    std::map<std::string, std::string> fields;
    for (DWORD end = GetTickCount() + 10000; fields.empty() && static_cast<int>(end - GetTickCount()) > 0;
         PumpFor(100)) {
        std::ifstream in(log);
        std::string line;
        while (std::getline(in, line))
            if (line.find('=') != std::string::npos) fields[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        if (!fields.count("size")) fields.clear();
    }
    EXPECT_EQ(fields["names"], "report.bmp");
    std::vector<uint8_t> data = testutil::ReadFileBytes(log + ".data");
    std::unique_ptr<Dib> sentFile = LoadBMPFromMemory(data.data(), data.size());
    ASSERT_TRUE(sentFile);
    const Dib& sent = *sentFile;
    EXPECT_EQ(sent.Width(), 40);
    EXPECT_EQ(sent.Height(), 20);
    PumpFor(300);
    EXPECT_EQ(GetFileAttributesA(fields["paths"].c_str()), INVALID_FILE_ATTRIBUTES);  // deleted after sending
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
}

}  // namespace
}  // namespace gmbx::e2e
