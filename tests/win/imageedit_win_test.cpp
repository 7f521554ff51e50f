// The image editing commands in a main window built in the test process:
// which of them the menu offers, and the undo image they leave.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "capture/win/imageedit.h"
#include "capture/win/imagefiles.h"
#include "imageio/win/current.h"
#include "res/resource.h"
#include "tests/testutil/tempdir.h"
#include "tests/win/main_frame_fixture.h"

namespace gmbx {
namespace {

bool MenuEnabled(UINT id) {
    SendMessageA(MainFrame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(MainMenu(), 1)), 1);
    return !(GetMenuState(MainMenu(), id, MF_BYCOMMAND) & MF_GRAYED);
}

void Command(UINT id) { SendMessageA(MainFrame(), WM_COMMAND, id, 0); }

// A 2x2 true-colour picture, all black.
std::unique_ptr<Dib> BlackPicture() {
    auto dib = std::make_unique<Dib>();
    EXPECT_TRUE(dib->Create(2, 2, 16777216));
    return dib;
}

TEST(ImageEditCommands, OfferedWithAnImageUndoWithAnUndoImage) {
    ASSERT_TRUE(testutil::OpenTestMainFrame(1));
    ClearView(false);
    ClearUndoImage();
    const UINT kEdits[] = {ID_EDIT_BW_SWAP, ID_EDIT_GAMMA_DLG, ID_EDIT_IMAGE_RES};
    for (UINT id : kEdits) EXPECT_FALSE(MenuEnabled(id)) << id;
    EXPECT_FALSE(MenuEnabled(ID_EDIT_UNDO));
    // Reached without the menu (a shortcut key), the swap does nothing.
    Command(ID_EDIT_BW_SWAP);
    EXPECT_FALSE(HaveImage());
    EXPECT_FALSE(HaveUndoImage());

    SetCurrentDib(BlackPicture());
    ShowCurrentImage();
    for (UINT id : kEdits) EXPECT_TRUE(MenuEnabled(id)) << id;
    EXPECT_FALSE(MenuEnabled(ID_EDIT_UNDO));
    Command(ID_EDIT_BW_SWAP);
    ASSERT_TRUE(g_image.dib && g_image.pixmap);
    EXPECT_EQ(g_image.dib->bits[0], 255);
    EXPECT_TRUE(MenuEnabled(ID_EDIT_UNDO));
    Command(ID_EDIT_UNDO);
    ASSERT_TRUE(g_image.dib);
    EXPECT_EQ(g_image.dib->bits[0], 0);
    EXPECT_TRUE(MenuEnabled(ID_EDIT_UNDO));  // the swapped picture is now the undo image

    // An opened file replaces the picture: nothing to undo any more.
    testutil::TempDir dir;
    std::string path = dir.File("black.bmp");
    ASSERT_TRUE(BlackPicture()->WriteBMP(path.c_str()));
    ASSERT_TRUE(OpenImageFile(path.c_str()));
    EXPECT_FALSE(HaveUndoImage());
    EXPECT_FALSE(MenuEnabled(ID_EDIT_UNDO));

    ClearView(false);
    testutil::CloseTestMainFrame();
}

}  // namespace
}  // namespace gmbx
