// The main window's tool bar: which command each image of the tool bar
// bitmap (BITMAP IDR_MAINFRAME in GmbxRes.dll) stands for, and the order in
// which the buttons are laid out. C++ only; resource.h has the ids.
#pragma once
#include <cstddef>

#include "res/resource.h"

namespace gmbx {

// Commands of the bitmap's 16 x 15 cells, left to right: cell i shows
// kToolbarImageCommands[i].
inline constexpr unsigned kToolbarImageCommands[] = {
    ID_FILE_OPEN,       ID_FILE_SAVE_AS,    ID_EDIT_COPY,    ID_FILE_PRINT,
    ID_CAPTURE_DESKTOP, ID_CAPTURE_WINDOW,  ID_CAPTURE_REGION, ID_CAPTURE_AWIN,
    ID_CAPTURE_ACLI,    ID_CAPTURE_REPEAT,  ID_INCLUDE_CURSOR, ID_EDIT_RESIZE,
    ID_TWAIN_ACQUIRE,   ID_ABOUT,
};
static_assert(sizeof(kToolbarImageCommands) / sizeof(kToolbarImageCommands[0]) == GMBX_TOOLBAR_IMAGE_COUNT,
              "one command per bitmap cell");

// Button layout of the tool bar; 0 is a separator. The TOOLBAR resource
// IDR_MAINFRAME holds the same layout.
inline constexpr unsigned kToolbarLayout[] = {
    ID_FILE_OPEN, ID_FILE_SAVE_AS, 0,
    ID_EDIT_COPY, ID_FILE_PRINT, 0,
    ID_CAPTURE_DESKTOP, ID_CAPTURE_WINDOW, ID_CAPTURE_REGION, ID_CAPTURE_AWIN, ID_CAPTURE_ACLI,
    ID_CAPTURE_REPEAT, 0,
    ID_INCLUDE_CURSOR, 0,
    ID_EDIT_RESIZE, ID_TWAIN_ACQUIRE, 0,
    ID_ABOUT,
};

// Cell of the bitmap that shows a command, or -1 when it has none.
constexpr int ToolbarImageOf(unsigned command) {
    for (std::size_t i = 0; i < sizeof(kToolbarImageCommands) / sizeof(kToolbarImageCommands[0]); ++i) {
        if (kToolbarImageCommands[i] == command) return int(i);
    }
    return -1;
}

}  // namespace gmbx
