// JPEG files for the current image: the Save command's writer, the reader of
// the Open command, and message boxes for the JPEG library's messages.
#pragma once
#include <memory>

#include "imageio/dib.h"
#include "imageio/jpegio.h"

namespace gmbx {

// Writes the current image as a JPEG file with the save options' quality and
// interlace (progressive) setting. Without a current Dib, or with one of fewer
// than 8 bits, the view is converted to a 24-bit Dib first. Failures are
// reported to the user (nothing to save; the file could not be written, in
// which case no partial file is left); a failed conversion fails silently.
bool SaveJPEG(const char* path);

// Reads a JPEG file for the Open command: full holds the full-colour image
// (the current Dib to be); on displays of 256 colours or fewer, shown holds a
// dithered palette copy for the view, otherwise shown stays null and full is
// shown. False when the file yields no image (the library's message has been
// shown; a file that cannot be opened gets only a line on the error stream).
bool ReadJpegForView(const char* path, std::unique_ptr<Dib>& full, std::unique_ptr<Dib>& shown);

}  // namespace gmbx
