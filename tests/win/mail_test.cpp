// The Send command with the messaging library's stand-in (doubles/MAPI32.DLL
// beside the test program, loaded from a copy), the e-mail dialog answered
// from a second thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "capture/settings.h"
#include "capture/win/mail.h"
#include "capture/win/mainframe.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/frame.h"
#include "res/resource.h"
#include "tests/testutil/tempdir.h"
#include "tests/win/box_closer.h"
#include "tests/win/main_frame_fixture.h"

namespace gmbx {
namespace {

std::string BesideTestProgram(const char* relative) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of("\\/") + 1) + relative;
}

std::string ResText(UINT id) {
    char buf[512] = "";
    LoadStringA(klib::ResourceModule(), id, buf, sizeof buf);
    return buf;
}

// Fills in the e-mail dialog when it appears and presses OK (or Cancel).
class EmailDialogAnswer {
public:
    EmailDialogAnswer(std::string name, int typeRow, bool ok)
        : name_(std::move(name)), row_(typeRow), ok_(ok), thread_([this] { Run(); }) {}
    ~EmailDialogAnswer() {
        stop_ = true;
        thread_.join();
    }
    bool Answered() const { return answered_; }
    int QualityShown() const { return quality_; }
    // Whether the quality field was enabled for the chosen type.
    bool QualityEnabled() const { return qualityEnabled_; }

private:
    void Run() {
        for (int i = 0; i < 200 && !stop_ && !answered_; ++i) {
            HWND dlg = FindWindowA("#32770", "Send by E-mail");
            DWORD pid = 0;
            if (dlg) GetWindowThreadProcessId(dlg, &pid);
            if (dlg && pid == GetCurrentProcessId() && IsWindowVisible(dlg)) {
                SetDlgItemTextA(dlg, IDC_EMAIL_NAME, name_.c_str());
                quality_ = static_cast<int>(GetDlgItemInt(dlg, IDC_EMAIL_QUALITY, nullptr, FALSE));
                SendDlgItemMessageA(dlg, IDC_EMAIL_TYPE, CB_SETCURSEL, row_, 0);
                SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_EMAIL_TYPE, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_EMAIL_TYPE)));
                qualityEnabled_ = IsWindowEnabled(GetDlgItem(dlg, IDC_EMAIL_QUALITY)) &&
                                  IsWindowEnabled(GetDlgItem(dlg, IDC_EMAIL_QSCROLL));
                SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(ok_ ? IDOK : IDCANCEL, BN_CLICKED), 0);
                answered_ = true;
            }
            Sleep(50);
        }
    }
    std::string name_;
    int row_;
    bool ok_;
    std::atomic<bool> stop_{false}, answered_{false}, qualityEnabled_{false};
    std::atomic<int> quality_{0};
    std::thread thread_;
};

std::map<std::string, std::string> ReadLog(const std::string& path) {
    std::map<std::string, std::string> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

class MailTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InstallWin32DibHost();
        CreateAppColourTable();
        ASSERT_TRUE(testutil::OpenTestMainFrame(1));
    }
    static void TearDownTestSuite() {
        SetMessagingLibrary(nullptr);
        testutil::CloseTestMainFrame();
    }
    void SetUp() override {
        saved_ = g_settings;
        log_ = dir_.File("mapi.log");
        SetEnvironmentVariableA("GMBX_FAKEMAPI_LOG", log_.c_str());
        SetEnvironmentVariableA("GMBX_FAKEMAPI_RESULT", nullptr);
        // Wine prefers its own library of that name, even by path: the
        // stand-in is loaded under another name.
        std::string fake = dir_.File("fakemapi.dll");
        ASSERT_TRUE(CopyFileA(BesideTestProgram("doubles\\MAPI32.DLL").c_str(), fake.c_str(), FALSE));
        SetMessagingLibrary(fake.c_str());
        RefreshDisplayColours();
        auto dib = std::make_unique<Dib>();
        ASSERT_TRUE(dib->Create(24, 10, 16777216));
        for (int i = 0; i < dib->stride * 10; ++i) dib->bits[i] = static_cast<uint8_t>(i * 7);
        PaletteHandle palette;
        std::unique_ptr<Pixmap> pm = PixmapFromDib(*dib, &palette);
        ASSERT_TRUE(pm);
        SetCurrentPalette(std::move(palette));
        SetCurrentPixmap(std::move(pm));
    }
    void TearDown() override {
        SetMessagingLibrary(nullptr);  // lets the copy go with the folder
        SetEnvironmentVariableA("GMBX_FAKEMAPI_LOG", nullptr);
        SetEnvironmentVariableA("GMBX_FAKEMAPI_RESULT", nullptr);
        ClearCurrentImage(false);
        g_settings = saved_;
    }
    testutil::TempDir dir_;
    std::string log_;
    WindowSettings saved_;
};

TEST_F(MailTest, SendsTheImageAsANamedAttachment) {
    testutil::BoxCloser boxes;
    g_settings.emailSave.quality = 42;
    {
        EmailDialogAnswer answer("  holiday \t", 1, true);  // GIF
        MailImage();
        EXPECT_TRUE(answer.Answered());
        EXPECT_EQ(answer.QualityShown(), 42);
    }
    EXPECT_TRUE(boxes.Texts().empty());
    auto log = ReadLog(log_);
    EXPECT_EQ(log["names"], "holiday.gif");
    EXPECT_EQ(log["separator"], ";");
    EXPECT_EQ(log["parent"], "window");
    EXPECT_EQ(g_settings.defEmailName, "holiday");
    EXPECT_EQ(g_settings.emailSave.formatCode, kFormatGif);
    EXPECT_EQ(g_settings.emailSave.qualityFactor, 150);  // from quality 42
    // A temporary "gbx" file, deleted after the call.
    std::string path = log["paths"];
    std::string base = path.substr(path.find_last_of("\\/") + 1);
    EXPECT_EQ(base.substr(0, 3), "gbx");
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    auto data = testutil::ReadFileBytes(log_ + ".data");
    ASSERT_GT(data.size(), 6u);
    EXPECT_EQ(std::string(data.begin(), data.begin() + 4), "GIF8");
    EXPECT_EQ(data[6] | data[7] << 8, 24);  // width in the screen descriptor
}

TEST_F(MailTest, BlankNameBecomesSnapAndBmpIsReadable) {
    testutil::BoxCloser boxes;
    g_settings.save.formatCode = kFormatGif;
    {
        EmailDialogAnswer answer("   ", 0, true);  // BMP
        MailImage();
    }
    auto log = ReadLog(log_);
    EXPECT_EQ(log["names"], "SNAP.bmp");
    auto data = testutil::ReadFileBytes(log_ + ".data");
    std::unique_ptr<Dib> back = LoadBMPFromMemory(data.data(), data.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Width(), 24);
    EXPECT_EQ(back->Height(), 10);
    EXPECT_EQ(std::stoul(log["size"]), data.size());
    // The save options are back as they were.
    EXPECT_EQ(g_settings.save.formatCode, kFormatGif);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(MailTest, CancelSendsNothing) {
    std::string before = g_settings.defEmailName;
    {
        EmailDialogAnswer answer("other", 2, false);
        MailImage();
        EXPECT_TRUE(answer.Answered());
    }
    EXPECT_EQ(GetFileAttributesA(log_.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(g_settings.defEmailName, before);
}

TEST_F(MailTest, FailuresOfTheMailCallAreReported) {
    testutil::BoxCloser boxes;
    SetEnvironmentVariableA("GMBX_FAKEMAPI_RESULT", "1");  // the user closed the compose window
    {
        EmailDialogAnswer answer("a", 2, true);  // JPEG
        MailImage();
    }
    EXPECT_EQ(ReadLog(log_)["names"], "a.jpg");
    Sleep(200);
    EXPECT_TRUE(boxes.Texts().empty());
    // Other results are said in words, with the code as a detail.
    const struct {
        const char* code;
        UINT reason;
    } results[] = {{"2", IDS_MAIL_OTHER}, {"26", IDS_MAIL_NOT_SUPPORTED}, {"3", IDS_MAIL_LOGON}};
    for (const auto& r : results) {
        SetEnvironmentVariableA("GMBX_FAKEMAPI_RESULT", r.code);
        {
            EmailDialogAnswer answer("a", 2, true);
            MailImage();
            EXPECT_TRUE(answer.QualityEnabled());  // JPEG uses the quality
        }
        Sleep(300);
    }
    auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NE(texts[i].find(ResText(results[i].reason)), std::string::npos) << texts[i];
        EXPECT_NE(texts[i].find("code " + std::string(results[i].code) + "."), std::string::npos) << texts[i];
        EXPECT_EQ(texts[i].find("(error"), std::string::npos) << texts[i];
    }
    std::string path = ReadLog(log_)["paths"];
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MailTest, MissingLibraryIsReported) {
    testutil::BoxCloser boxes;
    SetMessagingLibrary(dir_.File("nowhere\\MAPI32.DLL").c_str());
    {
        EmailDialogAnswer answer("a", 0, true);
        MailImage();
        EXPECT_FALSE(answer.QualityEnabled());  // BMP has no quality
    }
    Sleep(300);
    auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], ResText(IDS_MAIL_NO_LIBRARY));
    EXPECT_EQ(GetFileAttributesA(log_.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace gmbx
