// The Save As and Open commands of the main window and the Save As dialog,
// which the post-capture step and the automatic-save dialog use as well.
#pragma once
#include <windows.h>

#include <string>

#include "capture/settings.h"

namespace gmbx {

// One run of the Save As dialog on a working copy of save options.
struct SaveAsDialogRequest {
    HWND owner = nullptr;
    SaveOptions options;  // in: the set shown; out: the confirmed set
    std::string path;     // in: the initial name; out: the chosen path
    // Browsing from the automatic-save dialog: the current directory stays,
    // and OK is enabled also without an image.
    bool browse = false;
};

// Shows the Save As dialog; true when the user confirmed (request updated).
bool RunSaveAsDialog(SaveAsDialogRequest& request);

// The Save As command: beeps and does nothing while a capture is in
// progress; otherwise asks for a name (initialName, or the current file name,
// or "snap"), writes the current image and updates the title. True when a
// file was written; *savedPath then holds its full path.
bool SaveAs(const std::string& initialName = std::string(), std::string* savedPath = nullptr);

// The Open command without a path: asks for a file and opens it as the
// current image.
void OpenWithDialog();

}  // namespace gmbx
