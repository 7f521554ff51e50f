#include "orderform/scrambler.h"

#include <array>
#include <cstdint>

namespace tendra {
namespace {

// The substitution of the 96 codes (byte - 32) and its inverse.
constexpr std::array<uint8_t, 96> kTable = {
    54, 9,  70, 66, 27, 58, 37, 44, 11, 28, 69, 56, 94, 67, 22, 53, 50, 8,  43, 2,  35, 95, 12, 59,
    15, 34, 87, 65, 83, 20, 21, 31, 78, 5,  45, 4,  90, 24, 0,  32, 7,  23, 14, 76, 47, 84, 36, 49,
    57, 6,  61, 93, 85, 73, 63, 41, 80, 88, 17, 46, 64, 81, 52, 72, 74, 33, 62, 60, 48, 30, 71, 26,
    16, 55, 51, 25, 1,  29, 79, 68, 91, 40, 75, 77, 86, 3,  10, 38, 39, 42, 82, 92, 18, 89, 13, 19,
};

constexpr std::array<uint8_t, 96> Inverse(const std::array<uint8_t, 96>& t) {
    std::array<uint8_t, 96> u{};
    for (size_t i = 0; i < t.size(); ++i) u[t[i]] = static_cast<uint8_t>(i);
    return u;
}
constexpr std::array<uint8_t, 96> kInverse = Inverse(kTable);

bool Coded(unsigned char b) { return b >= 32 && b <= 127; }

// The rolling value before a coded byte at counter n.
uint32_t Roll(uint32_t r, uint32_t n) {
    if (n % 4 != 0) r = (r << 3) | (r >> 29);
    return r & ~uint32_t{0xE0};
}

}  // namespace

std::string Scramble(const std::string& plain) {
    std::string out = plain;
    auto n = static_cast<uint32_t>(plain.size());
    uint32_t r = n;
    for (size_t i = 0; i < out.size(); ++i, --n) {
        auto b = static_cast<unsigned char>(out[i]);
        if (!Coded(b)) continue;
        r = Roll(r, n);
        uint32_t o = kTable[b - 32] ^ (r & 31);
        out[i] = static_cast<char>(o + 32);
        r = r + n + o;
    }
    return out;
}

std::string Unscramble(const std::string& data) {
    std::string out = data;
    auto n = static_cast<uint32_t>(data.size());
    uint32_t r = n;
    for (size_t i = 0; i < out.size(); ++i, --n) {
        auto b = static_cast<unsigned char>(out[i]);
        if (!Coded(b)) continue;
        r = Roll(r, n);
        uint32_t o = b - 32u;
        out[i] = static_cast<char>(kInverse[(r & 31) ^ o] + 32);
        r = r + n + o;
    }
    return out;
}

}  // namespace tendra
