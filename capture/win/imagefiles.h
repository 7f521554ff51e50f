// The program's image file commands: writing the current image as BMP, GIF
// or JPEG, the save dispatcher, and opening image files as the current image.
// These decide what the user is told: the readers and writers below them only
// return their errors.
#pragma once
#include <functional>
#include <memory>

#include "imageio/dib.h"
#include "imageio/win/pixmap.h"

struct gdImageStruct;

namespace gmbx {

// The resolution the settings give new images made from the screen.
PelsPerMeter SettingsResolution();

// Shows the image routines' messages in message boxes: the JPEG library's
// (first warning, fatal errors; not while a capture is in progress) and a
// pixmap that could not be made.
void InstallImageMessageBoxes();

// Chooses the transparent colour once the image has been made into a GIF
// palette image: returns the palette index (GdPaletteIndexAt of the picked
// point), -1 for none, or kGifSaveCancelled to end the save without a file.
using GifTransparentChooser = std::function<int(const gdImageStruct* im)>;
constexpr int kGifSaveCancelled = -2;

// Writes the current image (view pixmap or current Dib) as a BMP file at the
// depth the save options ask for. Reports failures to the user.
bool SaveBMP(const char* path);

// Writes the current image (view pixmap or current Dib) as a GIF file:
// images below 8 bits or only on screen are converted at the display's colour
// count first, then reduced to at most 256 colours. Interlaced when the save
// options ask for it. transparentIndex is a palette index of the written
// image (-1 none); a chooser, when given, decides instead. Failures are
// reported to the user; a file that could not be written completely is
// deleted.
bool SaveGIF(const char* path, int transparentIndex = -1, const GifTransparentChooser& chooser = {});

// Writes the current image as a JPEG file with the save options' quality and
// interlace (progressive) setting. Without a current Dib, or with one of fewer
// than 8 bits, the view is converted to a 24-bit Dib first. Failures are
// reported to the user (nothing to save; the file could not be written, in
// which case no partial file is left); a failed conversion fails silently.
bool SaveJPEG(const char* path);

// Writes the current image with the writer of the save options' format code
// (GIF, JPEG or BMP); false for other codes. A GIF asks the chooser for its
// transparent colour.
bool SaveImageFile(const char* path, const GifTransparentChooser& chooser = {});

// Reads a JPEG file for the Open command: full holds the full-colour image
// (the current Dib to be); on displays of 256 colours or fewer, shown holds a
// dithered palette copy for the view, otherwise shown stays null and full is
// shown. False when the file yields no image (the library's message has been
// shown; a file that cannot be opened gets only a line on the error stream).
bool ReadJpegForView(const char* path, std::unique_ptr<Dib>& full, std::unique_ptr<Dib>& shown);

// Opens an image file as the current image and shows it. False when no image
// results (the user has been told why).
bool OpenImageFile(const char* path);

}  // namespace gmbx
