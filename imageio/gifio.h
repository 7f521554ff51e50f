// GIF files: moving pixels between a Dib and a gd palette image, and the GIF
// reader and writer around the gd library. Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "imageio/dib.h"
#include "imageio/reduce.h"

struct gdImageStruct;

namespace gmbx {

struct GdImageDeleter {
    void operator()(gdImageStruct* im) const;
};
using GdImagePtr = std::unique_ptr<gdImageStruct, GdImageDeleter>;

// A gd palette image of the Dib: the Dib is reduced to 256 colours first
// (ReduceTo256 in the program's mode; 1- and 4-bit and run-length encoded
// images are read as 8-bit indices). The lowest index that occurs gets the
// first gd colour; each higher occurring index reuses the gd colour of the
// same red, green and blue, else gets a new one, else (256 in use) the closest
// one. Duplicate table entries thus share one colour and unused entries are
// dropped. Rows are turned top-down. Null on failure.
GdImagePtr DibToGdImage(Dib& dib, const JpegRoundTrip& roundTrip);
inline GdImagePtr DibToGdImage(Dib& dib) { return DibToGdImage(dib, DefaultJpegRoundTrip()); }

// A new bottom-up 8-bit Dib of a gd palette image: 256 table entries, entry i
// the gd colour i for each allocated colour (others black), colours important
// the gd colour count when below 256, else 0. Null for a true-colour image or
// on failure.
std::unique_ptr<Dib> GdImageToDib(const gdImageStruct* im);

// Palette index of the gd image's pixel, -1 outside the image.
int GdPaletteIndexAt(const gdImageStruct* im, int x, int y);

struct GifWriteOptions {
    bool interlace = false;
    int transparentIndex = -1;  // a palette index of the image, or -1 for none
};

// The GIF file bytes: GIF89a with a graphic-control extension when the
// transparent index names one of the image's colours, GIF87a otherwise;
// interlaced row order when asked. Sets the image's interlace flag and
// transparent index. False on failure (out is then empty).
bool EncodeGIF(gdImageStruct* im, const GifWriteOptions& options, std::vector<uint8_t>& out);

enum class GifWriteResult {
    Ok,
    CreateFailed,  // the file could not be opened for writing
    EncodeFailed,  // the library produced no data (the file is deleted)
    WriteFailed,   // writing or closing failed (the file is deleted)
};
GifWriteResult WriteGIFFile(gdImageStruct* im, const char* path, const GifWriteOptions& options);

// Reads the first picture of a GIF file image in memory; a new 8-bit Dib, or
// null with the reason in *why (when given): ReadFailed for data the library
// cannot read, ConvertFailed for a picture that cannot become a Dib (too
// large, true colour, no memory). Pictures whose logical screen a Dib cannot
// hold are refused before the library allocates anything.
std::unique_ptr<Dib> LoadGIFFromMemory(const uint8_t* data, size_t size, LoadError* why = nullptr);
std::unique_ptr<Dib> LoadGIF(const char* path, LoadError* why = nullptr);

}  // namespace gmbx
