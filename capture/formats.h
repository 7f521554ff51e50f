// The table of file formats offered for saving: 22 rows, each with its
// extension, its file-dialog filter pair and one or more variants (format
// code, name, depth mask). The format codes are the imaging add-on's own
// numbers; the program's own writers handle 2 (GIF), 6 (BMP) and 10 (JPEG).
// Portable: no windows.h.
#pragma once
#include <cstdint>

#include "capture/settings.h"

namespace gmbx {

// Bits of a variant's depth mask.
constexpr uint32_t kDepthMask1 = 1;
constexpr uint32_t kDepthMask4 = 2;
constexpr uint32_t kDepthMask8 = 4;
constexpr uint32_t kDepthMask16 = 8;
constexpr uint32_t kDepthMask24 = 16;
constexpr uint32_t kDepthMask32 = 32;
constexpr uint32_t kDepthMaskAppend = 64;   // the format can append pages
constexpr uint32_t kDepthMaskQuality = 128; // the format uses the quality setting

// The depth-mask bit of a colour depth (1, 4, 8, 16, 24, 32); 0 for others.
uint32_t DepthMaskBit(int bitsPerPixel);

struct FormatVariant {
    int32_t code;
    const char* name;  // at most 47 characters; empty for a row's only variant
    uint32_t depthMask;
};

struct FormatRow {
    const char* extension;      // ".bmp"
    const char* filterText;     // "Windows Bitmap (*.bmp,*.dib)"
    const char* filterPattern;  // "*.bmp;*.dib"
    const FormatVariant* variants;
    int variantCount;
};

constexpr int kFormatRowCount = 22;
// Rows offered without the imaging add-on: BMP, GIF and JPEG.
constexpr int kBuiltInFormatRowCount = 3;
constexpr int kFormatRowBmp = 0;
constexpr int kFormatRowGif = 1;
constexpr int kFormatRowJpeg = 2;
constexpr int kFormatRowCmp = 4;
// The ".cmp" format at one bit per pixel: not listed in the table, it
// belongs to row 4 (the save dialogs switch to it for 1-bit images).
constexpr int32_t kFormatCmp1Bit = 26;

// With the add-on bound, the JPEG row offers the add-on's three JFIF
// variants; without it, one variant (code 10) written by the program's own
// JPEG writer. The table starts without the add-on's variants.
void UseAddonFormats(bool on);
bool AddonFormatsInUse();

// Row 0..21 of the table as it stands; null outside that range.
const FormatRow* FormatTableRow(int row);
// The variant of a row; null when either index is out of range.
const FormatVariant* FormatTableVariant(int row, int variant);

// The place of a format code: the first row (in row order) holding a variant
// (in variant order) with that code. False, and both outputs untouched, when
// no variant has the code.
bool FindFormat(int32_t code, int* row, int* variant);

// Re-derives the format row and variant of a set from its format code. An
// unknown code resets the set: bits per pixel 8, row 0, variant 0, format
// code 0, auto-select on. Returns false when the set was reset.
bool DeriveFormatPlace(SaveOptions& options);

}  // namespace gmbx
