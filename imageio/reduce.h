// Reduction of any image to one with a colour table of at most 256 colours.
// Portable: the JPEG coder is reached through injected functions.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "imageio/dib.h"

namespace gmbx {

// The JPEG round trip that quantizes images with more than 256 colours.
struct JpegRoundTrip {
    // Writes the image as a baseline (non-progressive) JPEG file at the
    // quality (0-100); false on failure.
    std::function<bool(const Dib& dib, const char* path, int quality)> write;
    // Reads a JPEG file in the given reading mode; a new Dib or null.
    std::function<std::unique_ptr<Dib>(const char* path, int mode)> load;

    bool Usable() const { return write && load; }
};

// The round trip through the program's JPEG files (WriteJPEG non-progressive,
// LoadJPEG), in reducejpeg.cpp.
JpegRoundTrip JpegFileRoundTrip();
// The round trip used when none is passed: JpegFileRoundTrip unless replaced
// (an empty one restores it).
void SetDefaultJpegRoundTrip(const JpegRoundTrip& roundTrip);
const JpegRoundTrip& DefaultJpegRoundTrip();

// The reading mode the program always asks for.
constexpr int kReduceJpegMode = 2;

// Whether the Dib has a colour table (1, 4 or 8 bits with entries): such an
// image needs no reduction.
bool HasColourTable(const Dib& dib);

// A new Dib with a colour table for `dib`:
// - a copy of `dib` when it already has one (1, 4 or 8 bits; callers that
//   can use the image as it is check HasColourTable first);
// - otherwise (16, 24 or 32 bits) a new 8-bit Dib: the exact colours in the
//   order first met (rows in storage order, bottom row first for bottom-up
//   images, pixels left to right) when there are at most 256; otherwise the
//   image written to a new temporary file "snap....tmp" in the current
//   directory as a quality-100 JPEG and read back in `mode`. The file is
//   deleted on every path once created.
// Null on failure (empty Dib, no memory, failed round trip).
std::unique_ptr<Dib> ReduceTo256(const Dib& dib, int mode, const JpegRoundTrip& roundTrip);
inline std::unique_ptr<Dib> ReduceTo256(const Dib& dib, int mode = kReduceJpegMode) {
    return ReduceTo256(dib, mode, DefaultJpegRoundTrip());
}

// Only the exact pass: a new 8-bit Dib, or null when the image has more than
// 256 colours, has a colour table already, or on failure.
std::unique_ptr<Dib> ReduceExact(const Dib& dib);

// Creates a new empty file "snapXXXX.tmp" (XXXX hexadecimal) in `dir` (the
// current directory when empty) that did not exist before; its path, or an
// empty string on failure.
std::string CreateTempSnapFile(const std::string& dir = std::string());

}  // namespace gmbx
