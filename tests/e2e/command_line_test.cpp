// End-to-end: gmbx.exe started from the command line as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "imageio/dib.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;

// The colour the pattern window shows at screen point (x, y).
COLORREF PatternAt(int x, int y) { return RGB((x * 7) & 255, (y * 5) & 255, (x + 3 * y) & 255); }

// A borderless topmost window at (left, top) painting the pattern of its
// screen coordinates, so that any offset error in a grab shows.
class PatternWindow {
public:
    PatternWindow(int left, int top, int width, int height) : left_(left), top_(top) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "GmbxTestPattern";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "GmbxTestPattern", "pattern", WS_POPUP, left, top,
                                width, height, nullptr, nullptr, wc.hInstance, this);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
        SetForegroundWindow(hwnd_);
        PumpFor(300);
    }
    ~PatternWindow() { DestroyWindow(hwnd_); }
    HWND Handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<PatternWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (msg == WM_PAINT && self) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            RECT rc;
            GetClientRect(w, &rc);
            int width = rc.right, height = rc.bottom;
            std::vector<uint8_t> bits(size_t((width * 3 + 3) & ~3) * height);
            int stride = (width * 3 + 3) & ~3;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    COLORREF c = PatternAt(self->left_ + x, self->top_ + y);
                    uint8_t* p = &bits[size_t(height - 1 - y) * stride + x * 3];
                    p[0] = GetBValue(c);
                    p[1] = GetGValue(c);
                    p[2] = GetRValue(c);
                }
            BITMAPINFO bi = {};
            bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
            SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, bits.data(), &bi, DIB_RGB_COLORS);
            EndPaint(w, &ps);
            return 0;
        }
        return DefWindowProcA(w, msg, wp, lp);
    }
    HWND hwnd_ = nullptr;
    int left_, top_;
};

// Pixel (x, y) (top-down) of a 24-bit Dib.
COLORREF DibPixel(const Dib& dib, int x, int y) {
    int rows = dib.Height();
    const uint8_t* p = dib.bits + size_t(rows - 1 - y) * dib.stride + x * 3;
    return RGB(p[2], p[1], p[0]);
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

TEST(CommandLine, SnapRectangleWritesExactlyThosePixels) {
    PatternWindow pattern(0, 0, 200, 120);
    TempDir dir;
    std::string out = dir.File("out.bmp");
    RunResult r = RunGmbx("-snap:x10:y20:w100:h50 -save " + Quote(out));
    ASSERT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut);
    EXPECT_TRUE(r.boxes.empty()) << r.boxes[0].text;
    EXPECT_EQ(r.exitCode, 0u);
    std::unique_ptr<Dib> dibFile = LoadBMP(out.c_str());
    ASSERT_TRUE(dibFile);
    const Dib& dib = *dibFile;
    ASSERT_EQ(dib.Width(), 100);
    ASSERT_EQ(dib.Height(), 50);
    ASSERT_EQ(dib.BitCount(), 24);
    int wrong = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            if (DibPixel(dib, x, y) != PatternAt(10 + x, 20 + y)) ++wrong;
    EXPECT_EQ(wrong, 0);
    // The file-size field matches the file.
    auto bytes = testutil::ReadFileBytes(out);
    ASSERT_GE(bytes.size(), 6u);
    uint32_t field = bytes[2] | bytes[3] << 8 | bytes[4] << 16 | uint32_t(bytes[5]) << 24;
    EXPECT_EQ(field, bytes.size());
}

TEST(CommandLine, PlainSnapGrabsTheWholeScreen) {
    TempDir dir;
    RunResult r = RunGmbx("-snap -save shot.bmp", 30000, AnswerOk, dir.Path().string());
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty());
    std::unique_ptr<Dib> dibFile = LoadBMP(dir.File("shot.bmp").c_str());
    ASSERT_TRUE(dibFile);
    const Dib& dib = *dibFile;
    EXPECT_EQ(dib.Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(dib.Height(), GetSystemMetrics(SM_CYSCREEN));
}

TEST(CommandLine, ColourDepthModifierChoosesTheFileDepth) {
    PatternWindow pattern(0, 0, 80, 60);
    TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        std::string out = dir.File("d" + std::to_string(bits) + ".bmp");
        RunResult r = RunGmbx("-snap:w64:h32 -save:c" + std::to_string(bits) + " " + Quote(out));
        EXPECT_EQ(r.exitCode, 0u) << bits;
        std::unique_ptr<Dib> dibFile = LoadBMP(out.c_str());
        ASSERT_TRUE(dibFile) << bits;
        const Dib& dib = *dibFile;
        EXPECT_EQ(dib.BitCount(), bits);
        EXPECT_EQ(dib.Width(), 64);
        EXPECT_EQ(dib.ColourCount(), bits <= 8 ? 1 << bits : 0);
    }
}

TEST(CommandLine, ActiveWindowCapturesTheForegroundWindow) {
    PatternWindow pattern(30, 40, 90, 70);
    TempDir dir;
    std::string out = dir.File("awin.bmp");
    RunResult r = RunGmbx("-snap:awin -save " + Quote(out));
    EXPECT_EQ(r.exitCode, 0u);
    std::unique_ptr<Dib> dibFile = LoadBMP(out.c_str());
    ASSERT_TRUE(dibFile);
    const Dib& dib = *dibFile;
    EXPECT_EQ(dib.Width(), 90);
    EXPECT_EQ(dib.Height(), 70);
    EXPECT_EQ(DibPixel(dib, 5, 6), PatternAt(35, 46));
}

TEST(CommandLine, OpenThenSaveKeepsThePicture) {
    PatternWindow pattern(0, 0, 120, 80);
    TempDir dir;
    std::string first = dir.File("first.bmp"), second = dir.File("second.bmp");
    ASSERT_EQ(RunGmbx("-snap:w40:h30 -save " + Quote(first)).exitCode, 0u);
    RunResult r = RunGmbx("-open:" + first + " -save " + Quote(second));
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty());
    std::unique_ptr<Dib> aFile = LoadBMP(first.c_str());
    std::unique_ptr<Dib> bFile = LoadBMP(second.c_str());
    ASSERT_TRUE(aFile);
    ASSERT_TRUE(bFile);
    const Dib& a = *aFile;
    const Dib& b = *bFile;
    ASSERT_EQ(b.Width(), 40);
    ASSERT_EQ(b.Height(), 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(DibPixel(a, x, y), DibPixel(b, x, y)) << x << "," << y;
}

TEST(CommandLine, OpenOfAMissingFileTellsTheUserAndExitsOne) {
    TempDir dir;
    std::string missing = dir.File("nothing-here.bmp");
    RunResult r = RunGmbx("-open:" + missing);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1u);
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_NE(r.boxes[0].text.find("nothing-here.bmp"), std::string::npos) << r.boxes[0].text;
}

TEST(CommandLine, UnwritableSaveFailsWithAMessage) {
    RunResult r = RunGmbx("-snap:w10:h10 -save Q:\\no\\such\\folder\\x.bmp");
    EXPECT_EQ(r.exitCode, 1u);
    ASSERT_EQ(r.boxes.size(), 1u);
}

TEST(CommandLine, OptionsOfLaterVersionsSayTheyAreMissing) {
    TempDir dir;
    RunResult r = RunGmbx("-snap:x0:y0:w40:h30 -print -save x.bmp", 30000, AnswerOk, dir.Path().string());
    EXPECT_EQ(r.exitCode, 1u);
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_NE(r.boxes[0].text.find("-print"), std::string::npos) << r.boxes[0].text;
    // What can be done still is: the capture is saved.
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "x.bmp"));
}

TEST(CommandLine, GifSaveAndOpen) {
    PatternWindow pattern(0, 0, 120, 80);
    TempDir dir;
    std::string gif = dir.File("x.gif"), back = dir.File("back.bmp");
    RunResult r = RunGmbx("-snap:w64:h32 -save:gif:i " + Quote(gif));
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
    auto bytes = testutil::ReadFileBytes(gif);
    ASSERT_GE(bytes.size(), 32u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF87a");
    r = RunGmbx("-open:" + gif + " -save " + Quote(back));
    EXPECT_EQ(r.exitCode, 0u);
    std::unique_ptr<Dib> dibFile = LoadBMP(back.c_str());
    ASSERT_TRUE(dibFile);
    const Dib& dib = *dibFile;
    EXPECT_EQ(dib.Width(), 64);
    EXPECT_EQ(dib.Height(), 32);
}

bool HasMarker(const std::vector<uint8_t>& b, uint8_t marker) {
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == marker) return true;
    return false;
}

TEST(CommandLine, JpegSaveWithQualityAndProgressiveAndOpen) {
    PatternWindow pattern(0, 0, 200, 120);
    TempDir dir;
    std::string jpg = dir.File("out.jpg"), prog = dir.File("prog.jpg"), back = dir.File("back.bmp");
    RunResult r = RunGmbx("-snap:x10:y20:w100:h50 -save:jpg:q90 " + Quote(jpg));
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << (r.boxes.empty() ? "" : r.boxes[0].text);
    auto bytes = testutil::ReadFileBytes(jpg);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_TRUE(HasMarker(bytes, 0xC0));  // baseline
    ASSERT_EQ(RunGmbx("-snap:x10:y20:w100:h50 -save:jpg:p " + Quote(prog)).exitCode, 0u);
    EXPECT_TRUE(HasMarker(testutil::ReadFileBytes(prog), 0xC2));  // progressive

    r = RunGmbx("-open:" + jpg + " -save " + Quote(back));
    EXPECT_EQ(r.exitCode, 0u);
    std::unique_ptr<Dib> dibFile = LoadBMP(back.c_str());
    ASSERT_TRUE(dibFile);
    const Dib& dib = *dibFile;
    ASSERT_EQ(dib.Width(), 100);
    ASSERT_EQ(dib.Height(), 50);
    // Lossy, but close to the pattern on average.
    long total = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            COLORREF a = DibPixel(dib, x, y), b = PatternAt(10 + x, 20 + y);
            total += std::abs(int(GetRValue(a)) - int(GetRValue(b))) + std::abs(int(GetGValue(a)) - int(GetGValue(b))) +
                     std::abs(int(GetBValue(a)) - int(GetBValue(b)));
        }
    EXPECT_LT(total / (50 * 100 * 3), 24);
}

TEST(CommandLine, FileArgumentEndsTheScanSoNothingIsCaptured) {
    TempDir dir;
    // "-save x.gif -snap": x.gif ends the option scan, -snap is never seen;
    // without a capture the window comes up and is closed by us.
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "-save x.gif -snap", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    RunResult r = p.Wait(20000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.gif"));
}

TEST(CommandLine, WithoutTheResourceLibraryItSaysSoAndEnds) {
    TempDir dir;
    std::filesystem::copy_file(BuildDir() + "\\gmbx.exe", dir.Path() / "gmbx.exe");
    std::filesystem::copy_file(BuildDir() + "\\Dibkit.dll", dir.Path() / "Dibkit.dll");
    GmbxProcess p(dir.File("gmbx.exe"), "-snap -save x.bmp", dir.Path().string());
    RunResult r = p.Wait(20000);
    EXPECT_FALSE(r.timedOut);
    EXPECT_NE(r.exitCode, 0u);
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0].text, "GmbxRes.dll not found, exiting.");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.bmp"));
}

}  // namespace
}  // namespace gmbx::e2e
