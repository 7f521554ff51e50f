// The captured image as one packed device-independent bitmap block:
// 40-byte header, colour table, bottom-up rows padded to 4 bytes.
// Portable: no windows.h. What the display reports is reached through the
// host hooks that the Win32 glue installs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "imageio/dibheader.h"

namespace gmbx {

// Services of the platform that a Dib needs.
struct DibHost {
    // The display's current colour count as the device reports it
    // (used by Create when asked for fewer than 1 colour).
    int (*deviceColours)();
    // The application colour table: fills up to max entries and returns the
    // number of colours it holds, 0 while there is no table.
    int (*appColours)(RgbQuad* out, int max);
};

// Installs the host services (null restores the built-in defaults: 256
// device colours, no application colour table).
void SetDibHost(const DibHost* host);
const DibHost& GetDibHost();

// Largest block a Dib accepts (header + table + pixels); larger images are
// refused rather than risking size arithmetic overflow.
// A build may lower it (the fuzzing build does, to keep each run fast).
#ifdef GMBX_MAX_DIB_BLOCK
constexpr int64_t kMaxDibBlock = GMBX_MAX_DIB_BLOCK;
#else
constexpr int64_t kMaxDibBlock = int64_t(1) << 30;
#endif

class Dib {
public:
    Dib() = default;
    Dib(const Dib& other);
    Dib& operator=(const Dib&) = delete;
    ~Dib();

    // The block and the pointers into it; all null when the Dib is empty.
    uint8_t* bih = nullptr;
    RgbQuad* colours = nullptr;
    uint8_t* bits = nullptr;
    int32_t* colourMap = nullptr;  // one application colour number per table entry
    int32_t totalSize = 0;
    int32_t stride = 0;

    bool Empty() const { return bih == nullptr; }
    DibInfoHeader* Header() const { return reinterpret_cast<DibInfoHeader*>(bih); }

    // New zero-filled image; colourCount < 1 asks for the device's colour count.
    bool Create(int width, int height, int colourCount, bool compressed = false);
    // Adopts a heap block (from malloc/calloc/realloc) and derives the pointers.
    bool AttachBlock(uint8_t* block);
    // Frees the block and the colour map; the Dib is empty afterwards.
    void Release();

    int Width() const;
    int Height() const;  // as stored (negative for top-down images)
    int ColourCount() const;
    int BitCount() const;
    void RecomputeStride();
    // Colour table, bits, stride and total size from the header.
    bool RecomputeLayout(int32_t spareBytes = 0);

    // BMP files (bmpfile.cpp).
    bool WriteBMP(const char* path) const;
    // The same bytes WriteBMP would write; out is cleared first.
    bool WriteBMPToMemory(std::vector<uint8_t>& out) const;
};

// Why a loader returned no image. Every loader has the same shape: a new Dib,
// or null with the reason in *why (when given).
enum class LoadError {
    None,
    OpenFailed,     // the file could not be opened or read
    ReadFailed,     // not a file of that kind the reader can read
    ConvertFailed,  // the picture cannot become a Dib (too large, no memory)
};

// BMP files (bmpfile.cpp), and the same reader over a file image in memory.
std::unique_ptr<Dib> LoadBMP(const char* path, LoadError* why = nullptr);
std::unique_ptr<Dib> LoadBMPFromMemory(const uint8_t* data, size_t size, LoadError* why = nullptr);

}  // namespace gmbx
