#include "capture/clipformat.h"

#include <cstring>

#include "capture/formats.h"
#include "imageio/dibheader.h"

namespace gmbx {

namespace {

// Colour count of a ClipBmpBits value: 0 two colours, 1 sixteen, 2 256,
// anything else true colour.
int32_t ClipColoursForBits(int32_t clipBmpBits) {
    switch (clipBmpBits) {
    case 0: return 2;
    case 1: return 16;
    case 2: return 256;
    default: return 16777216;
    }
}

}  // namespace

ClipPlan PlanClipboardImage(const ClipImageState& s, int32_t clipBmpBits, int32_t clipBmpAutoSel) {
    ClipPlan plan;
    if (!s.havePixmap && !s.haveDib) return plan;
    if (s.haveDib && !s.dibHasTable && clipBmpBits == 2) {
        plan.source = ClipSource::kReduceDib;
    } else if (!s.haveDib && s.displayColours > 256 && clipBmpBits == 2) {
        plan.source = ClipSource::kReducePixmap;
        plan.colours = s.displayColours;
    } else if (s.havePixmap) {
        plan.source = ClipSource::kPixmap;
        plan.colours = clipBmpAutoSel ? s.displayColours : ClipColoursForBits(clipBmpBits);
    } else {
        plan.source = ClipSource::kDibAsIs;
    }
    return plan;
}

namespace {

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
constexpr uint32_t kBitFields = 3;

}  // namespace

bool PrepareClipboardDib(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
    out->clear();
    if (!data || size < 4) return false;
    const uint32_t headerSize = Le32(data);
    int64_t width, height;
    int bits;
    uint32_t compression = 0, clrUsed = 0, sizeImage = 0;
    int64_t entryBytes;
    if (headerSize == kCoreHeaderSize) {
        if (size < kCoreHeaderSize) return false;
        width = Le16(data + 4);
        height = Le16(data + 6);
        bits = Le16(data + 10);
        entryBytes = 3;
    } else if (headerSize >= kInfoHeaderSize) {
        if (size < headerSize) return false;
        width = int32_t(Le32(data + 4));
        height = int32_t(Le32(data + 8));
        bits = Le16(data + 14);
        compression = Le32(data + 16);
        sizeImage = Le32(data + 20);
        clrUsed = Le32(data + 32);
        entryBytes = 4;
    } else {
        return false;
    }
    const int64_t stride = DibStride(width, bits);
    if (width < 1 || height == 0 || stride <= 0) return false;
    const uint32_t entries = DibTableEntries(clrUsed, bits);
    if (entries > kMaxTableEntries) return false;
    if (compression > kBitFields) return false;  // embedded JPEG or PNG and the like
    int64_t masks = 0;
    if (compression == kBitFields) {
        if (bits != 16 && bits != 32) return false;
        // A 40-byte header is followed by the masks; a later header holds
        // them in its own fields from byte 40 on, when it is long enough.
        if (headerSize == kInfoHeaderSize) masks = 12;
        else if (headerSize < kInfoHeaderSize + 12) return false;
    }
    const bool rle = compression == kCompressionRle8 || compression == kCompressionRle4;
    const int64_t rows = height < 0 ? -height : height;
    if (!rle && rows > (int64_t(1) << 40) / stride) return false;
    const int64_t pixels = rle ? int64_t(sizeImage) : stride * rows;
    const int64_t need = int64_t(headerSize) + masks + entryBytes * entries + pixels;
    if (int64_t(size) < need) return false;
    if (compression != kBitFields) {
        if (headerSize != kInfoHeaderSize && headerSize != kCoreHeaderSize) {
            // A later header: the reader takes the first 40 bytes of it.
            out->assign(data, data + kInfoHeaderSize);
            PutLe32(out->data(), kInfoHeaderSize);
            out->insert(out->end(), data + headerSize, data + size);
        } else {
            out->assign(data, data + size);
        }
        return true;
    }
    const uint8_t* m = data + kInfoHeaderSize;  // after the 40-byte header, or its mask fields
    const uint32_t r = Le32(m), g = Le32(m + 4), b = Le32(m + 8);
    const bool plain = bits == 32 ? (r == 0xFF0000 && g == 0xFF00 && b == 0xFF) : (r == 0x7C00 && g == 0x3E0 && b == 0x1F);
    if (!plain) return false;
    out->assign(data, data + kInfoHeaderSize);
    PutLe32(out->data(), kInfoHeaderSize);
    PutLe32(out->data() + 16, kCompressionNone);
    const uint8_t* rest = data + headerSize + masks;
    out->insert(out->end(), rest, data + size);
    return true;
}

int32_t ClipBitsForDisplay(int32_t displayColours) {
    if (displayColours < 16) return 0;
    if (displayColours < 256) return 1;
    if (displayColours == 256) return 2;
    return 3;
}

namespace {
bool Trimmed(char c) { return static_cast<signed char>(c) <= 32; }
}  // namespace

std::string TrimEmailName(const std::string& typed) {
    size_t begin = 0, end = typed.size();
    while (begin < end && Trimmed(typed[begin])) ++begin;
    while (end > begin && Trimmed(typed[end - 1])) --end;
    return typed.substr(begin, end - begin);
}

std::string AttachmentName(const std::string& baseName, const char* extension) {
    std::string name = baseName.empty() ? std::string("SNAP") : baseName;
    if (extension) name += extension;
    return name;
}

const char* ExtensionForFormat(int32_t formatCode) {
    int row = 0, variant = 0;
    if (formatCode == kFormatCmp1Bit) row = kFormatRowCmp;
    else if (!FindFormat(formatCode, &row, &variant)) return "";
    const FormatRow* r = FormatTableRow(row);
    return r && r->extension ? r->extension : "";
}

int32_t QualityFactorFor(int32_t quality, int32_t current) {
    if (quality < 0) return current;
    double f = 258.055556 - 2.55555556 * quality;
    if (f < 2) return 2;
    if (f > 255) return 255;
    return static_cast<int32_t>(f);
}

bool ConfirmEmailOptions(SaveOptions& o, int row, int variant, int32_t quality, bool autoSelBits) {
    const FormatVariant* v = FormatTableVariant(row, variant);
    if (!v) return false;
    o.append = o.interlace = o.transparent = 0;
    o.autoSelBits = autoSelBits ? 1 : 0;
    o.formatRow = row;
    o.variant = variant;
    o.formatCode = v->code;
    o.quality = quality;
    o.qualityFactor = QualityFactorFor(quality, o.qualityFactor);
    if (row == kFormatRowCmp && o.bitsPerPixel == 1) {
        o.formatCode = kFormatCmp1Bit;
        o.qualityFactor = quality > 50 ? 1 : 0;
    }
    return true;
}

}  // namespace gmbx
