// Writing and reading image files for the current image.
#pragma once
#include <string>

namespace gmbx {

// Writes the current image (view pixmap or current Dib) as a BMP file at the
// depth the save options ask for. Reports failures to the user.
bool SaveBMP(const char* path);

// Writes the current image with the writer of the save options' format code
// (GIF, JPEG or BMP); false for other codes.
bool SaveImageFile(const char* path);

// Opens an image file as the current image and shows it. False when no image
// results (the user has been told why).
bool OpenImageFile(const char* path);

}  // namespace gmbx
