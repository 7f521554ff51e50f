#include "imageio/dibheader.h"

#include <limits>

namespace gmbx {

namespace {

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

uint16_t Saturate16(uint32_t v) { return v > 0xFFFFu ? uint16_t(0xFFFF) : uint16_t(v); }

// Entry count and bytes per entry of a raw header (see DibNumColoursOf).
void TableOfRawHeader(const void* header, uint32_t* entries, uint32_t* entryBytes) {
    const auto* p = static_cast<const uint8_t*>(header);
    // Byte-wise reads: the header may be unaligned, and it is little-endian.
    const uint32_t size = ReadLe32(p);
    if (size == kCoreHeaderSize) {
        // uint32 size, uint16 width, height, planes, bit count: no colours-used field.
        *entries = DibTableEntries(0, ReadLe16(p + 10));
        *entryBytes = 3;
    } else {
        // Info header: bit count at 14, colours used at 32.
        *entries = DibTableEntries(ReadLe32(p + 32), ReadLe16(p + 14));
        *entryBytes = 4;
    }
}

}  // namespace

int64_t DibStride(int64_t width, int bitCount) {
    // Widths this large cannot describe a real image and would overflow below.
    if (width < 0 || width > std::numeric_limits<int64_t>::max() / 64) return -1;
    int64_t bytes;
    switch (bitCount) {
        case 1: bytes = (width + 7) / 8; break;
        case 4: bytes = (width + 1) / 2; break;
        case 8: bytes = width; break;
        case 16: bytes = 2 * width; break;
        case 24: bytes = 3 * width; break;
        case 32: bytes = 4 * width; break;
        default: return -1;
    }
    return (bytes + 3) / 4 * 4;
}

uint32_t DibTableEntries(uint32_t clrUsed, int bitCount) {
    if (clrUsed != 0) return clrUsed;
    switch (bitCount) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

int64_t DibImageSize(const DibInfoHeader& h) {
    const int64_t stride = DibStride(h.width, h.bitCount);
    if (stride < 0) return -1;
    if (h.compression != kCompressionNone && h.sizeImage != 0) return int64_t(h.sizeImage);
    const int64_t rows = DibAbsHeight(h.height);
    if (stride != 0 && rows > std::numeric_limits<int64_t>::max() / stride) return -1;
    return stride * rows;
}

int32_t PelsPerMeterFromThousandths(int32_t thousandthsDpi) {
    // 1 inch = 0.0254 m; thousandths of a dot per inch -> dots per metre.
    return static_cast<int32_t>(thousandthsDpi * 0.03937007874015748 + 0.5);
}

// Counts that do not fit into 16 bits saturate at 0xFFFF, so a caller that
// skips the table never skips too little.
uint16_t DibNumColoursOf(const void* header) {
    if (header == nullptr) return 0;
    uint32_t entries = 0, entryBytes = 0;
    TableOfRawHeader(header, &entries, &entryBytes);
    return Saturate16(entries);
}

uint16_t DibPaletteBytesOf(const void* header) {
    if (header == nullptr) return 0;
    uint32_t entries = 0, entryBytes = 0;
    TableOfRawHeader(header, &entries, &entryBytes);
    const uint64_t bytes = uint64_t(entries) * entryBytes;
    return bytes > 0xFFFFu ? uint16_t(0xFFFF) : uint16_t(bytes);
}

}  // namespace gmbx
