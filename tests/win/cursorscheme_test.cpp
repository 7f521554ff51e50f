// The user's cursor scheme read from the registry and loaded from its files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "capture/win/cursorscheme.h"
#include "tests/testutil/tempdir.h"
#include "tests/win/user_arrow.h"

namespace gmbx {
namespace {

class CursorSchemeTest : public ::testing::Test {
protected:
    void TearDown() override { FreeCursorScheme(); }
    void SetArrow(const std::string& path) { arrow_.Set(path); }
    testutil::UserArrow arrow_;
    testutil::TempDir dir_;
};

TEST_F(CursorSchemeTest, SchemeArrowStandsForTheSystemArrow) {
    std::string file = dir_.File("arrow.cur");
    ASSERT_TRUE(testutil::WriteFileBytes(file, testutil::StripedCursorFile(5, 7)));
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
