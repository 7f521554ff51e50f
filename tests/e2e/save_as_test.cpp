// End-to-end: File > Save As in the real program, driven through the
// dialog's own controls; the written files are checked by their headers, and
// copies are left in saved-for-identify beside the tests for ImageMagick's
// identify to read after this run (tests/e2e/identify_saved.sh). (Started
// from here as a Unix program, identify leaves Wine unable to see the
// program's end afterwards.)
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imageio/dib.h"
#include "res/resource.h"
#include "tests/e2e/gmbx_runner.h"
#include "tests/testutil/tempdir.h"

namespace gmbx::e2e {
namespace {

using testutil::TempDir;

// What a written file holds, read from its headers: the format ("BMP",
// "GIF", "JPEG"), the colour depth of a BMP, whether a GIF is interlaced or
// a JPEG progressive, and a JPEG's first luminance quantizer (20 for the
// standard tables at quality 40).
struct FileFacts {
    std::string format;
    int bits = 0;
    bool interlaced = false;
    int quantizer = 0;
};

FileFacts Inspect(const std::string& path) {
    FileFacts f;
    std::vector<uint8_t> b = testutil::ReadFileBytes(path);
    auto at = [&b](size_t i) { return i < b.size() ? b[i] : 0; };
    if (b.size() > 30 && b[0] == 'B' && b[1] == 'M') {
        f.format = "BMP";
        f.bits = at(28) | at(29) << 8;
    } else if (b.size() > 13 && std::memcmp(b.data(), "GIF8", 4) == 0) {
        f.format = "GIF";
        size_t i = 13;
        if (at(10) & 0x80) i += 3u << ((at(10) & 7) + 1);
        while (i < b.size() && at(i) == 0x21) {  // extensions before the image
            i += 2;
            while (i < b.size() && at(i)) i += at(i) + 1;
            ++i;
        }
        if (at(i) == 0x2C) f.interlaced = (at(i + 9) & 0x40) != 0;
    } else if (b.size() > 4 && b[0] == 0xFF && b[1] == 0xD8) {
        f.format = "JPEG";
        for (size_t i = 2; i + 4 < b.size() && b[i] == 0xFF;) {
            const uint8_t marker = b[i + 1];
            const size_t length = at(i + 2) << 8 | at(i + 3);
            if (marker == 0xDB && !f.quantizer) f.quantizer = at(i + 5);
            if (marker == 0xC2) f.interlaced = true;
            if (marker == 0xDA) break;  // the scan data follows
            i += 2 + length;
        }
    }
    return f;
}

// A 40x30 true-colour picture in the folder.
std::string WritePicture(const TempDir& dir) {
    Dib dib;
    EXPECT_TRUE(dib.Create(40, 30, 16777216));
    for (int i = 0; i < dib.stride * 30; ++i) dib.bits[i] = static_cast<uint8_t>(i * 7);
    std::string file = dir.File("picture.bmp");
    EXPECT_TRUE(dib.WriteBMP(file.c_str()));
    return file;
}

// A control's text, asked of the control (another process's edit keeps
// its text to itself).
std::string Text(HWND w) {
    char buf[1024] = "";
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// The open Save As dialog: the system's dialog and our controls below it.
struct SaveDialog {
    HWND dlg = nullptr;
    HWND extra = nullptr;

    HWND Item(int id) const { return GetDlgItem(extra, id); }
    HWND NameField() const {
        HWND f = GetDlgItem(dlg, cmb13);
        return f ? f : GetDlgItem(dlg, edt1);
    }
    std::string Name() const { return Text(NameField()); }
    void SetName(const std::string& name) const {
        SendMessageA(NameField(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    void SetType(int row) const {
        SendDlgItemMessageA(dlg, cmb1, CB_SETCURSEL, row, 0);
        // What a choice in the drop-down list sends.
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(GetDlgItem(dlg, cmb1)));
    }
    void Check(int id, bool on) const {
        SendMessageA(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageA(extra, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    bool Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != 0; }
    std::string TypeQuality(const std::string& q) const {
        SendMessageA(Item(IDC_SAVE_QUALITY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(q.c_str()));
        return Text(Item(IDC_SAVE_QUALITY));
    }
    void Ok() const { PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
};

SaveDialog OpenSaveAs(GmbxProcess& p, HWND frame, const BoxAnswer& answer = AnswerOk) {
    PostMessageA(frame, WM_COMMAND, ID_FILE_SAVE_AS, 0);
    SaveDialog d;
    d.dlg = p.WaitForWindow("#32770", 15000, answer);
    if (d.dlg) d.extra = FindWindowExA(d.dlg, nullptr, "#32770", nullptr);
    return d;
}

bool WaitClosed(GmbxProcess& p, HWND dlg, const BoxAnswer& answer = AnswerOk) {
    for (int i = 0; i < 200 && IsWindow(dlg); ++i) p.WaitForBoxes(p.Boxes().size() + 1, 50, answer);
    return !IsWindow(dlg);
}

class SaveAsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        WritePicture(dir_);
        process_ = std::make_unique<GmbxProcess>(BuildDir() + "\\gmbx.exe", "\"" + dir_.File("picture.bmp") + "\"", dir_.Path().string());
        frame_ = process_->WaitForWindow("GmbxFrame", 20000);
        ASSERT_NE(frame_, nullptr);
        ASSERT_TRUE(WaitForTitle(frame_, "picture.bmp", 10000, process_.get())) << WindowText(frame_);
    }
    void TearDown() override {
            if (frame_) PostMessageA(frame_, WM_CLOSE, 0, 0);
        EXPECT_FALSE(process_->Wait(20000).timedOut);
    }
    FileFacts Written(const char* name) const { return Inspect(dir_.File(name)); }
    // A copy of a written file for identify.
    void KeepForIdentify(const char* name) const {
        const std::string folder = BuildDir() + "\\saved-for-identify";
        CreateDirectoryA(folder.c_str(), nullptr);
        EXPECT_TRUE(CopyFileA(dir_.File(name).c_str(), (folder + "\\" + name).c_str(), FALSE)) << name;
    }
    TempDir dir_;
    std::unique_ptr<GmbxProcess> process_;
    HWND frame_ = nullptr;
};

// The type list, the quality field and the interlace box decide what is
// written: a progressive JPEG of quality 40, an interlaced GIF, a 4-bit BMP.
TEST_F(SaveAsDialog, ControlsFollowTheTypeAndDecideTheFile) {
    GmbxProcess& p = *process_;
    SaveDialog d = OpenSaveAs(p, frame_);
    ASSERT_NE(d.extra, nullptr);
    EXPECT_EQ(WindowText(d.dlg), ResourceText(IDS_SAVE_TITLE));
    EXPECT_EQ(d.Name(), "picture.bmp");
    EXPECT_FALSE(d.Enabled(IDC_SAVE_QUALITY));  // BMP: no quality, no interlace, no transparency
    EXPECT_FALSE(d.Enabled(IDC_SAVE_INTERLACE));
    EXPECT_FALSE(d.Enabled(IDC_SAVE_TRANSPARENT));
    EXPECT_FALSE(d.Enabled(IDC_SAVE_BEST_PALETTE));  // add-on only
    EXPECT_FALSE(IsWindowVisible(d.Item(IDC_SAVE_APPEND)));

    d.SetType(2);  // JPEG
    EXPECT_EQ(SendDlgItemMessageA(d.dlg, cmb1, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(d.Name(), "picture.jpg");
    EXPECT_TRUE(d.Enabled(IDC_SAVE_QUALITY));
    EXPECT_TRUE(d.Enabled(IDC_SAVE_INTERLACE));
    EXPECT_EQ(Text(d.Item(IDC_SAVE_INTERLACE)), ResourceText(IDS_PROGRESSIVE));
    EXPECT_TRUE(d.Checked(IDC_SAVE_DEPTH1 + 4));  // 24 bits
    EXPECT_EQ(d.TypeQuality("0"), "75");
    EXPECT_EQ(d.TypeQuality("101"), "75");
    EXPECT_EQ(d.TypeQuality("40"), "40");
    d.Check(IDC_SAVE_INTERLACE, true);
    d.SetName("prog");
    d.Ok();
    ASSERT_TRUE(WaitClosed(p, d.dlg));
    ASSERT_TRUE(WaitForTitle(frame_, "prog.jpg", 10000, &p)) << WindowText(frame_);
    FileFacts jpeg = Written("prog.jpg");
    EXPECT_EQ(jpeg.format, "JPEG");
    EXPECT_TRUE(jpeg.interlaced);  // progressive
    EXPECT_EQ(jpeg.quantizer, 20);  // quality 40

    d = OpenSaveAs(p, frame_);
    ASSERT_NE(d.extra, nullptr);
    EXPECT_EQ(d.Name(), "prog.jpg");
    d.SetType(1);  // GIF
    EXPECT_EQ(d.Name(), "prog.gif");
    EXPECT_EQ(Text(d.Item(IDC_SAVE_INTERLACE)), ResourceText(IDS_INTERLACED));
    EXPECT_TRUE(d.Checked(IDC_SAVE_INTERLACE));  // kept from the last save
    EXPECT_TRUE(d.Enabled(IDC_SAVE_TRANSPARENT));
    EXPECT_FALSE(d.Enabled(IDC_SAVE_QUALITY));
    d.Ok();
    ASSERT_TRUE(WaitClosed(p, d.dlg));
    ASSERT_TRUE(WaitForTitle(frame_, "prog.gif", 10000, &p)) << WindowText(frame_);
    FileFacts gif = Written("prog.gif");
    EXPECT_EQ(gif.format, "GIF");
    EXPECT_TRUE(gif.interlaced);

    d = OpenSaveAs(p, frame_);
    ASSERT_NE(d.extra, nullptr);
    d.SetType(0);  // BMP
    EXPECT_TRUE(d.Checked(IDC_SAVE_AUTOSEL));
    EXPECT_FALSE(d.Enabled(IDC_SAVE_DEPTH1 + 1));
    d.Check(IDC_SAVE_AUTOSEL, false);
    EXPECT_TRUE(d.Enabled(IDC_SAVE_DEPTH1 + 1));   // 4 bits
    EXPECT_FALSE(d.Enabled(IDC_SAVE_DEPTH1 + 3));  // no 16 bits in a BMP
    d.Check(IDC_SAVE_DEPTH1 + 1, true);
    d.SetName("deep");
    d.Ok();
    ASSERT_TRUE(WaitClosed(p, d.dlg));
    ASSERT_TRUE(WaitForTitle(frame_, "deep.bmp", 10000, &p)) << WindowText(frame_);
    FileFacts bmp = Written("deep.bmp");
    EXPECT_EQ(bmp.format, "BMP");
    EXPECT_EQ(bmp.bits, 4);
    EXPECT_TRUE(p.Boxes().empty());
    for (const char* name : {"prog.jpg", "prog.gif", "deep.bmp"}) KeepForIdentify(name);
}

// A typed extension wins over the chosen type; replacing a file is asked
// first (No keeps the dialog open); a read-only file is refused.
TEST_F(SaveAsDialog, TypedExtensionDecidesAndReplacingIsAsked) {
    GmbxProcess& p = *process_;
    SaveDialog d = OpenSaveAs(p, frame_);
    ASSERT_NE(d.extra, nullptr);
    d.SetType(2);  // JPEG chosen...
    d.SetName("shot.bmp");  // ...but a BMP name typed
    d.Ok();
    ASSERT_TRUE(WaitClosed(p, d.dlg));
    ASSERT_TRUE(WaitForTitle(frame_, "shot.bmp", 10000, &p)) << WindowText(frame_);
    EXPECT_EQ(Written("shot.bmp").format, "BMP");

    int asked = 0;
    BoxAnswer noThenYes = [&asked](const MessageBoxSeen&) { return ++asked == 1 ? IDNO : IDYES; };
    d = OpenSaveAs(p, frame_, noThenYes);
    ASSERT_NE(d.extra, nullptr);
    d.SetName("shot.bmp");
    d.Ok();
    ASSERT_TRUE(p.WaitForBoxes(1, 10000, noThenYes));
    PumpFor(300);
    EXPECT_TRUE(IsWindow(d.dlg));  // No: still choosing
    d.Ok();
    ASSERT_TRUE(WaitClosed(p, d.dlg, noThenYes));
    ASSERT_EQ(p.Boxes().size(), 2u);
    char question[600];
    std::snprintf(question, sizeof question, ResourceText(IDS_ASK_REPLACE).c_str(), dir_.File("shot.bmp").c_str());
    for (const MessageBoxSeen& box : p.Boxes()) {
        EXPECT_EQ(box.text, question);
        EXPECT_EQ(box.caption, ResourceText(IDS_SAVE_TITLE));
    }

    // Names that cannot be written are refused with a message; the dialog
    // stays open and no file is left.
    const std::string noFolder = dir_.File("nowhere\\x.bmp");
    const std::string tooLong = dir_.File(std::string(300, 'a') + ".bmp");
    for (const std::string& bad : {noFolder, tooLong}) {
        const size_t seen = p.Boxes().size();
        d = OpenSaveAs(p, frame_);
        ASSERT_NE(d.extra, nullptr);
        d.SetName(bad);
        d.Ok();
        EXPECT_TRUE(p.WaitForBoxes(seen + 1, 10000)) << bad.size();
        PumpFor(300);
        ASSERT_TRUE(IsWindow(d.dlg));
        PostMessageA(d.dlg, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitClosed(p, d.dlg));
    }
    EXPECT_EQ(GetFileAttributesA(dir_.File("nowhere").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(p.Boxes().back().text.find("too long"), std::string::npos) << p.Boxes().back().text;

    const std::string locked = dir_.File("locked.gif");
    {
        std::FILE* f = std::fopen(locked.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("keep", f);
        std::fclose(f);
    }
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    d = OpenSaveAs(p, frame_);
    ASSERT_NE(d.extra, nullptr);
    d.SetName("locked.gif");
    d.Ok();
    ASSERT_TRUE(p.WaitForBoxes(5, 10000));
    EXPECT_NE(p.Boxes().back().text.find("read-only"), std::string::npos) << p.Boxes().back().text;
    PumpFor(300);
    ASSERT_TRUE(IsWindow(d.dlg));
    PostMessageA(d.dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitClosed(p, d.dlg));
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    char kept[8] = "";
    if (std::FILE* f = std::fopen(locked.c_str(), "rb")) {
        std::fread(kept, 1, sizeof kept - 1, f);
        std::fclose(f);
    }
    EXPECT_STREQ(kept, "keep");
}

// Without a picture there is nothing to save: the dialog opens on "snap"
// with its OK button disabled.
TEST(SaveAsWithoutPicture, OkIsDisabled) {
    TempDir dir;
    GmbxProcess p(BuildDir() + "\\gmbx.exe", "", dir.Path().string());
    HWND frame = p.WaitForWindow("GmbxFrame", 20000);
    ASSERT_NE(frame, nullptr);
    SaveDialog d = OpenSaveAs(p, frame);
    ASSERT_NE(d.extra, nullptr);
    EXPECT_EQ(d.Name(), "snap.bmp");
    PumpFor(200);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.dlg, IDOK)));
    d.Ok();  // even a forced OK writes nothing
    PumpFor(300);
    EXPECT_TRUE(IsWindow(d.dlg));
    PostMessageA(d.dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitClosed(p, d.dlg));
    EXPECT_EQ(GetFileAttributesA(dir.File("snap.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(p.Wait(20000).timedOut);
    EXPECT_TRUE(p.Boxes().empty());
}

}  // namespace
}  // namespace gmbx::e2e
