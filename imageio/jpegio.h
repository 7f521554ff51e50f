// JPEG files: writing a Dib as a baseline or progressive JFIF file and reading
// JPEG files into a Dib, in full colour or reduced to a 256-colour palette by
// the JPEG library's two-pass colour quantizer.
// Portable: no windows.h (only the JPEG library and the Dib).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "imageio/dib.h"

namespace gmbx {

// Receives the texts of the JPEG library's messages: the first warning of an
// image and every fatal error. The program shows them in a message box; the
// default (null hook) writes them to the standard error stream.
using JpegMessageHook = void (*)(const char* text);
void SetJpegMessageHook(JpegMessageHook hook);

// Reading modes of LoadJPEG.
constexpr int kJpegFullColour = 0;  // 24-bit Dib, colours exact
constexpr int kJpegQuantized = 1;   // 8-bit Dib, at most 256 colours, no dithering
constexpr int kJpegDithered = 2;    // 8-bit Dib, at most 256 colours, Floyd-Steinberg dithering
// A one-component (greyscale) file is always read as kJpegQuantized: an 8-bit
// Dib whose table is the grey ramp (i, i, i).

// Scans a progressive file may have before reading stops with an error
// (hostile files can declare thousands of tiny scans).
constexpr int kJpegMaxScans = 1000;

// Writes the Dib as a JFIF file: quality 1-100 (baseline forcing off),
// progressive when asked. 8-bit Dibs are written through their colour table,
// 24-bit ones as they are; 1-, 4-, 16- (5-5-5) and 32-bit Dibs are expanded
// to full colour first. The JFIF density is the Dib's resolution in dots per
// inch, written only when both resolutions are positive (otherwise the
// library's default: no unit, 1:1). Run-length compressed Dibs are refused.
// On any failure after the file was created the file is closed and deleted.
bool WriteJPEG(const Dib& dib, const char* path, int quality, bool progressive);
// The same bytes in memory (out is cleared first).
bool WriteJPEGToMemory(const Dib& dib, std::vector<uint8_t>& out, int quality, bool progressive);

// Reads a JPEG file into a new Dib; null on failure, with the reason in
// *why when given (OpenFailed, or ReadFailed for a file that yields no image).
// Resolution: JFIF dots per inch or per centimetre become pixels per metre.
// The quantizing modes set the Dib's colours important to the number of
// colours produced when below 256 (else 0).
std::unique_ptr<Dib> LoadJPEG(const char* path, int mode, LoadError* why = nullptr);
// The same reader over a file image in memory. maxPixels, when not 0, also
// refuses a file whose frame header declares more than that many pixels
// (width x height), before anything is decompressed.
std::unique_ptr<Dib> LoadJPEGFromMemory(const uint8_t* data, size_t size, int mode, uint64_t maxPixels = 0,
                                        LoadError* why = nullptr);

}  // namespace gmbx
