// Choices of the clipboard copy (which image, at which colour count, in which
// clipboard formats) and the naming of mailed attachments.
// Portable: no windows.h.
#pragma once
#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

#include "capture/settings.h"

namespace gmbx {

// Where the copied image comes from.
enum class ClipSource {
    kNothing,          // neither a view pixmap nor a current Dib
    kReduceDib,        // the current true-colour Dib reduced to 256 colours
    kReducePixmap,     // the pixmap at the display's count, then reduced
    kPixmap,           // the pixmap converted at `colours`
    kDibAsIs,          // the current Dib unchanged
};

struct ClipImageState {
    bool havePixmap = false;
    bool haveDib = false;
    bool dibHasTable = false;  // the current Dib has a colour table
    int32_t displayColours = 0;
};

struct ClipPlan {
    ClipSource source = ClipSource::kNothing;
    int32_t colours = 0;  // for kPixmap and kReducePixmap
};

ClipPlan PlanClipboardImage(const ClipImageState& state, int32_t clipBmpBits, int32_t clipBmpAutoSel);

// Which formats ClipBmpFormat asks for: 0 both, 1 the device-independent
// bitmap only, 2 the device bitmap (and palette) only. Other values count
// as 0.
inline bool ClipWantsDib(int32_t clipBmpFormat) { return clipBmpFormat != 2; }
inline bool ClipWantsBitmap(int32_t clipBmpFormat) { return clipBmpFormat != 1; }

// A packed device-independent bitmap from the clipboard, made ready for the
// program's reader: false unless the block holds the whole header, colour
// table (or colour masks) and pixel rows it describes. A 16- or 32-bit image
// with colour masks is accepted when the masks are the plain ones (5-5-5 or
// 8-8-8) and comes back in `out` without them; any other block comes back
// unchanged.
bool PrepareClipboardDib(const uint8_t* data, size_t size, std::vector<uint8_t>* out);

// The depth radio of the clipboard options (0-3) matching a display
// colour count.
int32_t ClipBitsForDisplay(int32_t displayColours);

// The attachment base name as typed: blanks, control characters and bytes
// from 128 up removed at both ends.
std::string TrimEmailName(const std::string& typed);

// Attachment name: the base name ("SNAP" when it is empty) plus the
// extension.
std::string AttachmentName(const std::string& baseName, const char* extension);

// The extension of a save format code ("" for an unknown code).
const char* ExtensionForFormat(int32_t formatCode);

// The add-on's compression factor for a JPEG-style quality: 258.055556 -
// 2.55555556 x quality, truncated and kept within 2..255; a negative quality
// leaves `current` as it is.
int32_t QualityFactorFor(int32_t quality, int32_t current);

// The e-mail dialog's OK: the working copy takes the chosen table row and
// variant, the quality and auto-select; append, interlace and transparent
// are cleared. A ".cmp" image at one bit per pixel gets its own format code
// and a factor of 1 above quality 50, else 0. False for a row or variant
// outside the table (the copy is left as it was).
bool ConfirmEmailOptions(SaveOptions& copy, int row, int variant, int32_t quality, bool autoSelBits);

}  // namespace gmbx
