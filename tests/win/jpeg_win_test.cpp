// Saving the current image as JPEG and opening JPEG files, under Wine; how
// every writer replaces an existing file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "capture/win/imagefiles.h"
#include "imageio/jpegio.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/message.h"
#include "res/resource.h"
#include "tests/testutil/tempdir.h"
#include "tests/win/box_closer.h"

namespace gmbx {
namespace {

class JpegWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallWin32DibHost();
        CreateAppColourTable();
        RefreshDisplayColours();
        InstallImageMessageBoxes();
        saved_ = g_settings.save;
    }
    void TearDown() override {
        ClearCurrentImage(false);
        g_settings.save = saved_;
        SetJpegMessageHook(nullptr);
    }
    testutil::TempDir dir;
    testutil::BoxCloser boxes;  // no test waits on a box

private:
    SaveOptions saved_;
};

std::unique_ptr<Dib> Gradient(int w, int h) {
    auto dib = std::make_unique<Dib>();
    EXPECT_TRUE(dib->Create(w, h, 16777216));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = dib->bits + size_t(h - 1 - y) * dib->stride + x * 3;
            p[0] = uint8_t(x * 4);
            p[1] = uint8_t(y * 4);
            p[2] = 200;
        }
    return dib;
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const auto& t : texts) all += "[" + t + "] ";
    return all;
}

bool HasMarker(const std::vector<uint8_t>& b, uint8_t code) {
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == code) return true;
    return false;
}

TEST_F(JpegWinTest, NothingToSave) {
    EXPECT_FALSE(SaveJPEG(dir.File("none.jpg").c_str()));
    Sleep(200);
    const auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], klib::FormatResString(IDS_NOTHING_TO_SAVE));
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.jpg")));
}

TEST_F(JpegWinTest, InterlaceChoosesProgressive) {
    SetCurrentDib(Gradient(64, 48));
    const std::string base = dir.File("base.jpg"), prog = dir.File("prog.jpg");
    g_settings.save.quality = 75;
    g_settings.save.interlace = 0;
    ASSERT_TRUE(SaveJPEG(base.c_str()));
    EXPECT_EQ(g_image.lastSavedPath, base);
    g_settings.save.interlace = 1;
    ASSERT_TRUE(SaveJPEG(prog.c_str()));
    const auto b = testutil::ReadFileBytes(base), p = testutil::ReadFileBytes(prog);
    EXPECT_TRUE(HasMarker(b, 0xC0));
    EXPECT_FALSE(HasMarker(b, 0xC2));
    EXPECT_TRUE(HasMarker(p, 0xC2));
    std::unique_ptr<Dib> back(LoadJPEG(prog.c_str(), kJpegFullColour));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Width(), 64);
    EXPECT_EQ(back->Height(), 48);
}

TEST_F(JpegWinTest, QualityFromTheSaveOptions) {
    SetCurrentDib(Gradient(128, 128));
    const std::string low = dir.File("q30.jpg"), high = dir.File("q95.jpg");
    g_settings.save.quality = 30;
    ASSERT_TRUE(SaveJPEG(low.c_str()));
    g_settings.save.quality = 95;
    ASSERT_TRUE(SaveJPEG(high.c_str()));
    EXPECT_LT(std::filesystem::file_size(low), std::filesystem::file_size(high));
    EXPECT_TRUE(boxes.Texts().empty()) << Joined(boxes.Texts());
}

// A 4-bit current Dib goes through the view conversion to full colour.
TEST_F(JpegWinTest, LowDepthDibIsConvertedFirst) {
    auto dib = std::make_unique<Dib>();
    ASSERT_TRUE(dib->Create(32, 16, 16));
    ASSERT_EQ(dib->BitCount(), 4);
    dib->colours[3] = RgbQuad{0, 0, 255, 0};  // red
    std::memset(dib->bits, 0x33, size_t(dib->stride) * 16);
    SetCurrentDib(std::move(dib));
    const std::string path = dir.File("four.jpg");
    ASSERT_TRUE(SaveJPEG(path.c_str()));
    std::unique_ptr<Dib> back(LoadJPEG(path.c_str(), kJpegFullColour));
    ASSERT_TRUE(back);
    const uint8_t* p = back->bits + size_t(back->stride) * 8 + 3 * 16;
    EXPECT_GT(p[2], 200);
    EXPECT_LT(p[1], 60);
    EXPECT_LT(p[0], 60);
}

TEST_F(JpegWinTest, WriteFailureIsReportedAndLeavesNoFile) {
    SetCurrentDib(Gradient(16, 16));
    const std::string path = (dir.Path() / "missing" / "x.jpg").string();
    EXPECT_FALSE(SaveJPEG(path.c_str()));
    Sleep(200);
    const auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], klib::FormatResString(IDS_JPEG_WRITE_FAILED));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Each writer replaces an existing file only with a complete new one: a write
// that fails (here its temporary file cannot be made) leaves the old file as
// it was, and nothing is left beside it either way.
TEST_F(JpegWinTest, AFailedWriteLeavesTheExistingFileAsItWas) {
    struct Case {
        int32_t format;
        const char* name;
    };
    for (Case c : {Case{kFormatBmp, "x.bmp"}, Case{kFormatGif, "x.gif"}, Case{kFormatJpeg, "x.jpg"}}) {
        SCOPED_TRACE(c.name);
        SetCurrentDib(Gradient(16, 16));
        g_settings.save.formatCode = c.format;
        const std::string path = dir.File(c.name);
        const std::string old = "the old file";
        ASSERT_TRUE(testutil::WriteFileBytes(path, std::vector<uint8_t>(old.begin(), old.end())));
        const std::filesystem::path blocked = path + ".gmbx-new";
        std::filesystem::create_directory(blocked);
        EXPECT_FALSE(SaveImageFile(path.c_str()));
        EXPECT_EQ(std::filesystem::file_size(path), old.size());
        std::filesystem::remove(blocked);
        EXPECT_TRUE(SaveImageFile(path.c_str()));
        EXPECT_GT(std::filesystem::file_size(path), old.size());
        EXPECT_FALSE(std::filesystem::exists(blocked));
        std::filesystem::remove(path);
    }
    EXPECT_EQ(boxes.Texts().size(), 3u) << Joined(boxes.Texts());
}

TEST_F(JpegWinTest, LibraryMessagesAppearInABox) {
    const std::string path = dir.File("bad.jpg");
    ASSERT_TRUE(testutil::WriteFileBytes(path, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0x12, 0x34}));
    std::unique_ptr<Dib> full, shown;
    EXPECT_FALSE(ReadJpegForView(path.c_str(), full, shown));
    EXPECT_FALSE(full);
    EXPECT_FALSE(shown);
    Sleep(200);
    // The first warning (the data ends early) and the error (no image).
    EXPECT_EQ(boxes.Texts().size(), 2u) << Joined(boxes.Texts());
    // Held back during a capture.
    {
        CaptureInProgressScope capturing;
        EXPECT_FALSE(ReadJpegForView(path.c_str(), full, shown));
    }
    Sleep(200);
    EXPECT_EQ(boxes.Texts().size(), 2u) << Joined(boxes.Texts());
}

TEST_F(JpegWinTest, OpenReadsFullColourAndAViewCopyOnPaletteDisplays) {
    const std::string path = dir.File("open.jpg");
    auto src = Gradient(40, 20);
    ASSERT_TRUE(WriteJPEG(*src, path.c_str(), 90, false));
    std::unique_ptr<Dib> full, shown;
    ASSERT_TRUE(ReadJpegForView(path.c_str(), full, shown));
    ASSERT_TRUE(full);
    EXPECT_EQ(full->BitCount(), 24);
    if (g_displayColours <= 256) {
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->BitCount(), 8);
    } else {
        EXPECT_FALSE(shown);
    }
}

}  // namespace
}  // namespace gmbx
