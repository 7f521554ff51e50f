// Automatic saving after a capture: the capture written under the next
// numbered name with the quick-save options.
#pragma once
#include <memory>
#include <string>

#include "capture/numbering.h"
#include "imageio/win/pixmap.h"

namespace gmbx {

// Saves the capture under the next automatic name. pixmap: the grab, which
// becomes the current image (null when the current Dib holds the capture).
// Writes with the quick-save options (GIF, JPEG, or else BMP) and puts the
// save options back afterwards; outside a timed capture the settings are
// stored, so that the counter survives; inside one a failed save stops it
// unless the user asked to keep going. True when the file was written.
bool QuickSave(std::unique_ptr<Pixmap> pixmap);

// The next automatic name as a full path, the counter advanced in the
// settings. On failure nothing changes.
NumberedNameError TakeQuickSaveName(std::string* path);
// Tells why no name could be made: a message box, or during a timed capture
// (which nobody watches) a line in the debug window.
void ReportQuickSaveNameFailure(NumberedNameError error);

}  // namespace gmbx
