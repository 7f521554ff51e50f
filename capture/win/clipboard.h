// The clipboard: copying the current image (as a device-independent bitmap,
// a device bitmap with its palette, or both) and pasting a bitmap into the
// view.
#pragma once

namespace gmbx {

// Copies the current image as the clipboard settings ask. fromCommand: the
// Copy command (it may minimize the window); false for the automatic copy.
void CopyToClipboard(bool fromCommand);

// Replaces the current image with the bitmap on the clipboard.
void PasteFromClipboard();

// The clipboard options dialog; true when it was confirmed (the settings
// then hold its choices).
bool ShowClipboardOptions();

}  // namespace gmbx
