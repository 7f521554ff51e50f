// The image editing commands in the real program: black-and-white swap,
// gamma correction and image resolution, and Undo. The picture is read back
// through Copy and the clipboard.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "imageio/dib.h"
#include "tests/e2e/clipboard_read.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/e2e/registry_read.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;

constexpr UINT kCopy = 0xE122, kUndo = 0xE12B, kSwap = 40066, kGamma = 40067, kResolution = 40072;
constexpr int kApply = 3, kGammaEdit = 1000, kSlider = 1032, kReset = 1033;
constexpr int kHoriz = 1000, kVert = 1005, kApplyToImage = 1007, kStoreAsDefault = 1013;
constexpr UINT kGammaRangeText = 290, kDpiRangeText = 291;

struct Grey {
    uint8_t b, g, r;
};
// One column each, left to right.
constexpr Grey kColumns[] = {{0, 0, 0}, {5, 5, 5}, {6, 5, 5}, {128, 128, 128}, {255, 255, 255}};
constexpr int kWidth = 5, kHeight = 4;

std::string WritePicture(const TempDir& dir) {
    Dib dib;
    EXPECT_TRUE(dib.Create(kWidth, kHeight, 16777216));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = dib.bits + y * dib.stride + x * 3;
            p[0] = kColumns[x].b, p[1] = kColumns[x].g, p[2] = kColumns[x].r;
        }
    std::string path = dir.File("grey.bmp");
    EXPECT_TRUE(dib.WriteBMP(path.c_str()));
    return path;
}

// What the program shows, as Copy puts it on the clipboard: the colours of
// the five columns as "b,g,r b,g,r ...".
std::string CopiedColumns(HWND frame) {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    PostMessageA(frame, WM_COMMAND, kCopy, 0);
    std::unique_ptr<Dib> dib = WaitForClipboardDib(10000);
    if (!dib) return "nothing copied";
    if (dib->BitCount() != 24 || dib->Width() != kWidth) return "not a 24-bit copy";
    std::string s;
    for (int x = 0; x < kWidth; ++x) {
        const uint8_t* p = dib->bits + x * 3;
        s += (x ? " " : "") + std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
    }
    return s;
}

const char kOriginal[] = "0,0,0 5,5,5 6,5,5 128,128,128 255,255,255";
// With gamma 1.7.
const char kCorrected[] = "0,0,0 25,25,25 28,25,25 170,170,170 255,255,255";

class ImageEdit : public ::testing::Test {
protected:
    void SetUp() override {
        picture_ = WritePicture(dir_);
        process_ = std::make_unique<GmbxProcess>(BuildDir() + "\\gmbx.exe", "\"" + picture_ + "\"",
                                                 dir_.Path().string());
        frame_ = process_->WaitForWindow("GmbxFrame", 20000);
        ASSERT_NE(frame_, nullptr);
        ASSERT_TRUE(WaitForTitle(frame_, "5 4)", 10000)) << WindowText(frame_);
        ASSERT_EQ(CopiedColumns(frame_), kOriginal);
    }
    void TearDown() override {
        if (!process_) return;
        PostMessageA(frame_, WM_CLOSE, 0, 0);
        RunResult r = process_->Wait(20000);
        EXPECT_EQ(r.exitCode, 0u);
    }
    // The dialog the command opens.
    HWND Open(UINT command) {
        PostMessageA(frame_, WM_COMMAND, command, 0);
        return process_->WaitForWindow("#32770", 10000);
    }
    static void Click(HWND dlg, int id) {
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    }
    // An edit field's text (asked of the control: GetWindowText does not ask
    // another process's controls).
    static std::string Field(HWND dlg, int id) {
        char text[64] = "";
        SendMessageA(GetDlgItem(dlg, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return text;
    }
    static void Type(HWND dlg, int id, const char* text) {
        SendMessageA(GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // Pumps until the condition holds (answering boxes) or 10 s pass.
    bool Until(const std::function<bool()>& done) {
        for (DWORD end = GetTickCount() + 10000; static_cast<int>(end - GetTickCount()) > 0; PumpFor(50))
            if (done()) return true;
        return false;
    }
    bool Closed(HWND dlg) {
        return Until([&] { return !IsWindow(dlg); });
    }

    TempDir dir_;
    std::string picture_;
    std::unique_ptr<GmbxProcess> process_;
    HWND frame_ = nullptr;
};

TEST_F(ImageEdit, SwapThenUndoExchanges) {
    const char kSwapped[] = "255,255,255 255,255,255 6,5,5 128,128,128 0,0,0";
    PostMessageA(frame_, WM_COMMAND, kSwap, 0);
    EXPECT_EQ(CopiedColumns(frame_), kSwapped);
    PostMessageA(frame_, WM_COMMAND, kUndo, 0);
    EXPECT_EQ(CopiedColumns(frame_), kOriginal);
    // Undo exchanges: the swapped picture comes back.
    PostMessageA(frame_, WM_COMMAND, kUndo, 0);
    EXPECT_EQ(CopiedColumns(frame_), kSwapped);
    EXPECT_TRUE(process_->Boxes().empty());
}

TEST_F(ImageEdit, GammaDialog) {
    HWND dlg = Open(kGamma);
    ASSERT_NE(dlg, nullptr);
    HWND slider = GetDlgItem(dlg, kSlider);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(Field(dlg, kGammaEdit), "1.00");
    // The slider at the top: gamma 2.
    SendMessageA(slider, TBM_SETPOS, TRUE, 0);
    PostMessageA(dlg, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 0), reinterpret_cast<LPARAM>(slider));
    EXPECT_TRUE(Until([&] { return Field(dlg, kGammaEdit) == "2.00"; })) << Field(dlg, kGammaEdit);
    // A typed gamma, applied: the slider follows.
    Type(dlg, kGammaEdit, "1.7");
    Click(dlg, kApply);
    EXPECT_TRUE(Until([&] { return SendMessageA(slider, TBM_GETPOS, 0, 0) == 30; }));
    // Reset: the slider back in the middle.
    Click(dlg, kReset);
    EXPECT_TRUE(Until([&] { return SendMessageA(slider, TBM_GETPOS, 0, 0) == 100; }));
    EXPECT_EQ(Field(dlg, kGammaEdit), "1.00");
    // No gamma: a message, and the dialog stays.
    Type(dlg, kGammaEdit, "20");
    Click(dlg, IDOK);
    ASSERT_TRUE(process_->WaitForBoxes(1, 10000));
    EXPECT_EQ(process_->Boxes().back().text, ResourceText(kGammaRangeText));
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 100);
    // A typed gamma taken by OK without Apply.
    Type(dlg, kGammaEdit, "1.7");
    Click(dlg, IDOK);
    ASSERT_TRUE(Closed(dlg));
    EXPECT_EQ(CopiedColumns(frame_), kCorrected);
    PostMessageA(frame_, WM_COMMAND, kUndo, 0);
    EXPECT_EQ(CopiedColumns(frame_), kOriginal);
}

// Cancel keeps the applied correction shown; the picture as it was before
// comes back with Undo.
TEST_F(ImageEdit, GammaCancelKeepsTheCorrection) {
    HWND dlg = Open(kGamma);
    ASSERT_NE(dlg, nullptr);
    Type(dlg, kGammaEdit, "1.7");
    Click(dlg, kApply);
    EXPECT_TRUE(Until([&] { return SendMessageA(GetDlgItem(dlg, kSlider), TBM_GETPOS, 0, 0) == 30; }));
    Click(dlg, IDCANCEL);
    ASSERT_TRUE(Closed(dlg));
    EXPECT_EQ(CopiedColumns(frame_), kCorrected);
    PostMessageA(frame_, WM_COMMAND, kUndo, 0);
    EXPECT_EQ(CopiedColumns(frame_), kOriginal);
}

TEST_F(ImageEdit, ResolutionDialogSetsTheImage) {
    HWND dlg = Open(kResolution);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kApplyToImage), BST_CHECKED);
    // Out of range: a message, and the dialog stays.
    Type(dlg, kHoriz, "5");
    Click(dlg, IDOK);
    ASSERT_TRUE(process_->WaitForBoxes(1, 10000));
    EXPECT_EQ(process_->Boxes().back().text, ResourceText(kDpiRangeText));
    EXPECT_TRUE(IsWindow(dlg));
    Type(dlg, kHoriz, "96");
    Type(dlg, kVert, "300");
    Click(dlg, IDOK);
    ASSERT_TRUE(Closed(dlg));
    // Shown again from the image: 3780 and 11811 pixels per metre.
    dlg = Open(kResolution);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(Field(dlg, kHoriz), "96.01");
    EXPECT_EQ(Field(dlg, kVert), "300");
    Click(dlg, IDCANCEL);
    EXPECT_TRUE(Closed(dlg));
}

// Kept as the default, the resolution is stored in thousandths of a dot per
// inch when the program ends.
TEST_F(ImageEdit, ResolutionDialogStoresTheDefault) {
    HWND dlg = Open(kResolution);
    ASSERT_NE(dlg, nullptr);
    Type(dlg, kHoriz, "150");
    Type(dlg, kVert, "72.5");
    PostMessageA(GetDlgItem(dlg, kStoreAsDefault), BM_CLICK, 0, 0);
    EXPECT_TRUE(Until([&] { return IsDlgButtonChecked(dlg, kStoreAsDefault) == BST_CHECKED; }));
    Click(dlg, IDOK);
    ASSERT_TRUE(Closed(dlg));
    PostMessageA(frame_, WM_CLOSE, 0, 0);
    RunResult r = process_->Wait(20000);
    process_.reset();
    EXPECT_EQ(r.exitCode, 0u);
    const char kWindowKey[] = "SOFTWARE\\Vantrel\\Glimmerbox\\Window";
    DWORD horiz = 0, vert = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "HorizRes", &horiz));
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kWindowKey, "VertRes", &vert));
    EXPECT_EQ(horiz, 150000u);
    EXPECT_EQ(vert, 72500u);
    // The tests after this one start from the default resolution again.
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kWindowKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "HorizRes");
        RegDeleteValueA(key, "VertRes");
        RegCloseKey(key);
    }
}

}  // namespace
}  // namespace gmbx::e2e
