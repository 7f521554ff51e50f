// The main window built in the test process: its tool bar.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/win/main_frame_fixture.h"

namespace gmbx {
namespace {

// Without the imaging add-on its buttons go; the separators that stood
// around them must not pile up or end the bar.
TEST(MainFrameToolBar, NoSeparatorNextToAnotherOrAtAnEnd) {
    ASSERT_TRUE(testutil::OpenTestMainFrame(1));
    HWND toolbar = FindWindowExA(MainFrame(), nullptr, TOOLBARCLASSNAMEA, nullptr);
    ASSERT_NE(toolbar, nullptr);
    int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    ASSERT_GT(count, 0);
    std::string kinds;  // 's' separator, 'b' button
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
        kinds += (b.fsStyle & TBSTYLE_SEP) ? 's' : 'b';
    }
    EXPECT_EQ(kinds.find("ss"), std::string::npos) << kinds;
    EXPECT_EQ(kinds.front(), 'b') << kinds;
    EXPECT_EQ(kinds.back(), 'b') << kinds;
    testutil::CloseTestMainFrame();
}

}  // namespace
}  // namespace gmbx
