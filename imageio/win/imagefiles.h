// Writing and reading image files for the current image.
#pragma once
#include <string>

#include "imageio/win/gifsave.h"

namespace gmbx {

// Writes the current image (view pixmap or current Dib) as a BMP file at the
// depth the save options ask for. Reports failures to the user.
bool SaveBMP(const char* path);

// Writes the current image with the writer of the save options' format code
// (GIF, JPEG or BMP); false for other codes. A GIF asks the chooser for its
// transparent colour.
bool SaveImageFile(const char* path, const GifTransparentChooser& chooser = {});

// Opens an image file as the current image and shows it. False when no image
// results (the user has been told why).
bool OpenImageFile(const char* path);

}  // namespace gmbx
