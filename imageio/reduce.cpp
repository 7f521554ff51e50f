#include "imageio/reduce.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace gmbx {
namespace {

// The colour of pixel x in a row of a 16-, 24- or 32-bit image as 0x00RRGGBB.
// 16 bits are 5-5-5, each component widened to 8 bits.
inline uint32_t PixelColour(const uint8_t* row, int x, int bits) {
    switch (bits) {
    case 16: {
        const unsigned v = row[2 * x] | unsigned(row[2 * x + 1]) << 8;
        const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return ((r << 3 | r >> 2) << 16) | ((g << 3 | g >> 2) << 8) | (b << 3 | b >> 2);
    }
    case 24: return uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
    default: return uint32_t(row[4 * x + 2]) << 16 | uint32_t(row[4 * x + 1]) << 8 | row[4 * x];
    }
}

// Index of the colours met so far. The result is the same as the linear
// search in the order of first meeting, only faster.
class ColourIndex {
public:
    // The colour's index, a new index for a new colour, or -1 for a 257th.
    int Find(uint32_t c) {
        unsigned h = (c * 2654435761u) >> (32 - kBits);
        while (used_[h]) {
            if (keys_[h] == c) return values_[h];
            h = (h + 1) & (kSlots - 1);
        }
        if (count_ == 256) return -1;
        used_[h] = true;
        keys_[h] = c;
        values_[h] = count_;
        colours_[count_] = c;
        return count_++;
    }
    int Count() const { return count_; }
    uint32_t Colour(int i) const { return colours_[i]; }

private:
    static constexpr int kBits = 10;
    static constexpr unsigned kSlots = 1u << kBits;
    bool used_[kSlots] = {};
    uint32_t keys_[kSlots] = {};
    int values_[kSlots] = {};
    uint32_t colours_[256] = {};
    int count_ = 0;
};

bool DeepColour(const Dib& dib) {
    const int bits = dib.BitCount();
    return (bits == 16 || bits == 24 || bits == 32) && dib.Header()->compression == kCompressionNone;
}

}  // namespace

namespace {

// The exact pass; *tooMany tells a 257th colour from a failure.
std::unique_ptr<Dib> ExactPass(const Dib& dib, bool* tooMany) {
    *tooMany = false;
    if (dib.Empty() || !DeepColour(dib) || dib.bits == nullptr) return nullptr;
    const DibInfoHeader& src = *dib.Header();
    auto out = std::make_unique<Dib>();
    if (!out->Create(src.width, src.height, 256)) return nullptr;
    out->Header()->xPelsPerMeter = src.xPelsPerMeter;
    out->Header()->yPelsPerMeter = src.yPelsPerMeter;

    auto index = std::make_unique<ColourIndex>();
    const int width = src.width;
    const int64_t rows = DibAbsHeight(src.height);
    const int bits = src.bitCount;
    for (int64_t y = 0; y < rows; ++y) {
        const uint8_t* in = dib.bits + y * dib.stride;
        uint8_t* o = out->bits + y * out->stride;
        for (int x = 0; x < width; ++x) {
            const int i = index->Find(PixelColour(in, x, bits));
            if (i < 0) {
                *tooMany = true;
                return nullptr;
            }
            o[x] = uint8_t(i);
        }
    }
    for (int i = 0; i < index->Count(); ++i) {
        const uint32_t c = index->Colour(i);
        out->colours[i] = RgbQuad{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
    }
    return out;
}

}  // namespace

bool HasColourTable(const Dib& dib) {
    return !dib.Empty() && dib.BitCount() <= 8 && dib.colours != nullptr && dib.ColourCount() > 0;
}

std::unique_ptr<Dib> ReduceExact(const Dib& dib) {
    bool tooMany;
    return ExactPass(dib, &tooMany);
}

std::string CreateTempSnapFile(const std::string& dir) {
    std::string prefix = dir.empty() ? std::string() : dir;
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') prefix += '/';
#ifdef _WIN32
    unsigned seed = unsigned(_getpid()) * 7919u + unsigned(std::time(nullptr));
#else
    unsigned seed = unsigned(getpid()) * 7919u + unsigned(std::time(nullptr));
#endif
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 0x10000; ++attempt) {
        const unsigned unique = (seed + ++counter * 40503u) & 0xFFFF;
        if (unique == 0) continue;
        char name[16];
        std::snprintf(name, sizeof name, "snap%X.tmp", unique);
        const std::string path = prefix + name;
#ifdef _WIN32
        const int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            _close(fd);
            return path;
        }
#else
        const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
        if (fd >= 0) {
            close(fd);
            return path;
        }
#endif
        if (errno != EEXIST) return std::string();
    }
    return std::string();
}

std::unique_ptr<Dib> ReduceTo256(const Dib& dib, int mode, const JpegRoundTrip& roundTrip) {
    if (dib.Empty()) return nullptr;
    if (dib.BitCount() <= 8) {
        if (!HasColourTable(dib)) return nullptr;
        auto copy = std::make_unique<Dib>(dib);
        return copy->Empty() ? nullptr : std::move(copy);
    }
    if (!DeepColour(dib)) return nullptr;
    bool tooMany = false;
    if (std::unique_ptr<Dib> exact = ExactPass(dib, &tooMany)) return exact;
    if (!tooMany) return nullptr;

    if (!roundTrip.Usable()) return nullptr;
    const std::string temp = CreateTempSnapFile();
    if (temp.empty()) return nullptr;
    std::unique_ptr<Dib> result;
    if (roundTrip.write(dib, temp.c_str(), 100)) result = roundTrip.load(temp.c_str(), mode);
    std::remove(temp.c_str());
    return result;
}

}  // namespace gmbx
