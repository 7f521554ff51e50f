// The user's cursor scheme read from the registry and loaded from its files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "capture/win/cursorscheme.h"
#include "tests/testutil/tempdir.h"

namespace gmbx {
namespace {

// A 32 x 32 monochrome cursor file with the given hot spot.
std::vector<uint8_t> CursorFile(uint16_t hotX, uint16_t hotY) {
    std::vector<uint8_t> f;
    auto u16 = [&](uint16_t v) { f.push_back(uint8_t(v)); f.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(uint16_t(v)); u16(uint16_t(v >> 16)); };
    const uint32_t imageBytes = 40 + 8 + 128 + 128;
    u16(0); u16(2); u16(1);                      // cursor directory, one image
    f.push_back(32); f.push_back(32); f.push_back(0); f.push_back(0);
    u16(hotX); u16(hotY); u32(imageBytes); u32(22);
    u32(40); u32(32); u32(64); u16(1); u16(1);  // header: height covers both masks
    u32(0); u32(0); u32(0); u32(0); u32(0); u32(0);
    u32(0x000000); u32(0xFFFFFF);                // black, white
    for (int i = 0; i < 128; ++i) f.push_back(i % 8 < 4 ? 0xFF : 0x00);  // colour mask
    for (int i = 0; i < 128; ++i) f.push_back(0x00);                     // all opaque
    return f;
}

class CursorSchemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Cursors", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        char old[300] = "";
        DWORD size = sizeof old;
        hadArrow_ = RegQueryValueExA(key_, "Arrow", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
                    ERROR_SUCCESS;
        oldArrow_ = old;
    }
    void TearDown() override {
        FreeCursorScheme();
        if (hadArrow_)
            RegSetValueExA(key_, "Arrow", 0, REG_SZ, reinterpret_cast<const BYTE*>(oldArrow_.c_str()),
                           static_cast<DWORD>(oldArrow_.size() + 1));
        else
            RegDeleteValueA(key_, "Arrow");
        RegCloseKey(key_);
    }
    void SetArrow(const std::string& path) {
        RegSetValueExA(key_, "Arrow", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
    }
    HKEY key_ = nullptr;
    bool hadArrow_ = false;
    std::string oldArrow_;
    testutil::TempDir dir_;
};

TEST_F(CursorSchemeTest, SchemeArrowStandsForTheSystemArrow) {
    std::string file = dir_.File("arrow.cur");
    ASSERT_TRUE(testutil::WriteFileBytes(file, CursorFile(5, 7)));
    SetArrow(file);
    LoadCursorScheme();
    HCURSOR system = LoadCursor(nullptr, IDC_ARROW);
    HCURSOR drawn = SchemeCursorFor(system);
    ASSERT_NE(drawn, nullptr);
    EXPECT_NE(drawn, system);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(drawn, &ii));
    EXPECT_EQ(ii.xHotspot, 5u);
    EXPECT_EQ(ii.yHotspot, 7u);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    // Cursors without a scheme file are drawn as they are.
    HCURSOR beam = LoadCursor(nullptr, IDC_IBEAM);
    EXPECT_EQ(SchemeCursorFor(beam), beam);
    EXPECT_EQ(SchemeCursorFor(nullptr), nullptr);
    FreeCursorScheme();
    EXPECT_EQ(SchemeCursorFor(system), system);
}

TEST_F(CursorSchemeTest, AFileThatCannotBeLoadedKeepsTheStandardShape) {
    SetArrow(dir_.File("missing.cur"));
    LoadCursorScheme();
    HCURSOR system = LoadCursor(nullptr, IDC_ARROW);
    EXPECT_EQ(SchemeCursorFor(system), system);
    std::string bad = dir_.File("bad.cur");
    ASSERT_TRUE(testutil::WriteFileBytes(bad, {1, 2, 3}));
    SetArrow(bad);
    LoadCursorScheme();
    EXPECT_EQ(SchemeCursorFor(system), system);
}

}  // namespace
}  // namespace gmbx
