// Layout and arithmetic of packed device-independent bitmaps.
// Portable: no windows.h. Shared by gmbx, Dibkit.dll and framegrip.
#pragma once
#include <cstddef>
#include <cstdint>

namespace gmbx {

// Same layout as BITMAPINFOHEADER.
struct DibInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};
static_assert(sizeof(DibInfoHeader) == 40, "info header must be 40 bytes");

// Same layout as RGBQUAD.
struct RgbQuad {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};
static_assert(sizeof(RgbQuad) == 4, "colour-table entry must be 4 bytes");

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kMaxTableEntries = 256;

// Bytes per row for the bit count, padded to a multiple of 4.
// Returns -1 for a negative width or an unsupported bit count.
int64_t DibStride(int64_t width, int bitCount);

// |height| without overflow for INT32_MIN.
inline int64_t DibAbsHeight(int32_t height) { return height < 0 ? -int64_t(height) : int64_t(height); }

// Colour-table entry count: colours used if non-zero, else 2/16/256 for
// 1/4/8 bits and 0 above 8 bits.
uint32_t DibTableEntries(uint32_t clrUsed, int bitCount);
inline uint32_t DibTableEntries(const DibInfoHeader& h) { return DibTableEntries(h.clrUsed, h.bitCount); }

// Pixel data size: the stored size for a compressed image that gives one,
// otherwise stride x |height|. -1 when the header's numbers are unusable.
int64_t DibImageSize(const DibInfoHeader& h);

// Resolution setting in thousandths of a dot per inch to pixels per metre
// (96000 -> 3780).
int32_t PelsPerMeterFromThousandths(int32_t thousandthsDpi);

// For a raw header that is either a 40-byte info header or a 12-byte core
// header (told apart by its first 32-bit field): colour-table entries and
// colour-table bytes (4 per entry after an info header, 3 after a core header).
uint16_t DibNumColoursOf(const void* header);
uint16_t DibPaletteBytesOf(const void* header);

}  // namespace gmbx
