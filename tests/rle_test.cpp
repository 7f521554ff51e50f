#include "imageio/rle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace gmbx {
namespace {

// A pixel area with guard bytes on both sides, to see writes outside it.
class Area {
public:
    Area(size_t stride, size_t rows) : stride_(stride), rows_(rows), mem_(kGuard * 2 + stride * rows, 0xEE) {
        std::fill(mem_.begin() + kGuard, mem_.end() - kGuard, 0);
    }
    uint8_t* Pixels() { return mem_.data() + kGuard; }
    std::vector<uint8_t> Row(size_t r) const {
        auto first = mem_.begin() + std::ptrdiff_t(kGuard + r * stride_);
        return std::vector<uint8_t>(first, first + std::ptrdiff_t(stride_));
    }
    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i) {
            if (mem_[i] != 0xEE || mem_[mem_.size() - 1 - i] != 0xEE) return false;
        }
        return true;
    }
    RleStop Expand(const std::vector<uint8_t>& src, size_t width, int bits) {
        return RleExpand(src.data(), src.size(), Pixels(), stride_, rows_, width, bits);
    }

private:
    static constexpr size_t kGuard = 64;
    size_t stride_;
    size_t rows_;
    std::vector<uint8_t> mem_;
};

using Bytes = std::vector<uint8_t>;

TEST(Rle8, SecondEndOfLineIsSwallowed) {
    Area a(4, 2);
    EXPECT_EQ(a.Expand({0x03, 0x41, 0x00, 0x00, 0x00, 0x00, 0x02, 0x42, 0x00, 0x01}, 4, 8), RleStop::EndOfPicture);
    EXPECT_EQ(a.Row(0), (Bytes{0x41, 0x41, 0x41, 0x00}));
    EXPECT_EQ(a.Row(1), (Bytes{0x42, 0x42, 0x00, 0x00}));
}

TEST(Rle8, OnlyOneExtraEndOfLineIsSwallowed) {
    Area a(4, 3);
    a.Expand({0x01, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x33, 0x00, 0x01}, 4, 8);
    EXPECT_EQ(a.Row(0), (Bytes{0x11, 0, 0, 0}));
    EXPECT_EQ(a.Row(1), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(a.Row(2), (Bytes{0x33, 0, 0, 0}));
}

TEST(Rle8, EndOfPictureIgnoresTheRest) {
    Area a(4, 1);
    EXPECT_EQ(a.Expand({0x01, 0x07, 0x00, 0x01, 0x03, 0x09}, 4, 8), RleStop::EndOfPicture);
    EXPECT_EQ(a.Row(0), (Bytes{0x07, 0, 0, 0}));
}

TEST(Rle8, OddLiteralRunSkipsItsPadByte) {
    Area a(8, 1);
    // 3 literal bytes, one pad byte (0xFF, must not show), then a run of 2.
    EXPECT_EQ(a.Expand({0x00, 0x03, 0x11, 0x22, 0x33, 0xFF, 0x02, 0x44, 0x00, 0x01}, 6, 8), RleStop::EndOfPicture);
    EXPECT_EQ(a.Row(0), (Bytes{0x11, 0x22, 0x33, 0x44, 0x44, 0x00, 0x00, 0x00}));
}

TEST(Rle8, DeltaMovesRightAndDown) {
    Area a(4, 3);
    a.Expand({0x00, 0x02, 0x02, 0x01, 0x01, 0x05, 0x00, 0x00, 0x01, 0x06, 0x00, 0x01}, 4, 8);
    EXPECT_EQ(a.Row(0), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(a.Row(1), (Bytes{0, 0, 0x05, 0}));
    EXPECT_EQ(a.Row(2), (Bytes{0x06, 0, 0, 0}));
}

TEST(Rle8, RunPastRowEndIsClippedToTheRow) {
    // Width 3 in a 4-byte stride: the padding byte stays 0 and nothing spills
    // into the next row.
    Area a(4, 2);
    a.Expand({0x06, 0x77, 0x00, 0x00, 0x02, 0x55, 0x00, 0x01}, 3, 8);
    EXPECT_EQ(a.Row(0), (Bytes{0x77, 0x77, 0x77, 0x00}));
    EXPECT_EQ(a.Row(1), (Bytes{0x55, 0x55, 0x00, 0x00}));
}

TEST(Rle8, LiteralRunPastRowEndIsClippedAndConsumed) {
    Area a(4, 2);
    // 5 literal bytes on a 2-pixel row, padded to 6; the run after the end of
    // line must still be found.
    a.Expand({0x00, 0x05, 1, 2, 3, 4, 5, 0, 0x00, 0x00, 0x01, 0x09, 0x00, 0x01}, 2, 8);
    EXPECT_EQ(a.Row(0), (Bytes{1, 2, 0, 0}));
    EXPECT_EQ(a.Row(1), (Bytes{9, 0, 0, 0}));
}

TEST(Rle8, DeltaBelowTheImageStops) {
    Area a(4, 2);
    EXPECT_EQ(a.Expand({0x00, 0x02, 0x00, 0xFF, 0x04, 0x66}, 4, 8), RleStop::AreaFull);
    EXPECT_EQ(a.Row(0), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(a.Row(1), (Bytes{0, 0, 0, 0}));
    EXPECT_TRUE(a.GuardsIntact());
}

TEST(Rle8, EndOfLineOnLastRowFillsTheArea) {
    Area a(4, 1);
    EXPECT_EQ(a.Expand({0x01, 0x01, 0x00, 0x00, 0x04, 0x02}, 4, 8), RleStop::AreaFull);
    EXPECT_EQ(a.Row(0), (Bytes{1, 0, 0, 0}));
    EXPECT_TRUE(a.GuardsIntact());
}

TEST(Rle8, TruncatedLiteralRunKeepsWhatIsThere) {
    Area a(8, 1);
    EXPECT_EQ(a.Expand({0x00, 0x05, 0x01, 0x02}, 8, 8), RleStop::EndOfInput);
    EXPECT_EQ(a.Row(0), (Bytes{1, 2, 0, 0, 0, 0, 0, 0}));
}

TEST(Rle8, TruncatedPairAndDeltaStop) {
    Area a(4, 2);
    EXPECT_EQ(a.Expand({0x02, 0x03, 0x04}, 4, 8), RleStop::EndOfInput);
    EXPECT_EQ(a.Row(0), (Bytes{3, 3, 0, 0}));
    Area b(4, 2);
    EXPECT_EQ(b.Expand({0x00, 0x02, 0x01}, 4, 8), RleStop::EndOfInput);
    Area c(4, 2);
    EXPECT_EQ(c.Expand({}, 4, 8), RleStop::EndOfInput);
}

TEST(Rle8, WidthWiderThanStrideIsLimitedToStride) {
    Area a(4, 2);
    a.Expand({0x0A, 0x33, 0x00, 0x00, 0x00, 0x0A, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0x00, 0x01}, 10, 8);
    EXPECT_EQ(a.Row(0), (Bytes{0x33, 0x33, 0x33, 0x33}));
    EXPECT_EQ(a.Row(1), (Bytes{1, 2, 3, 4}));
    EXPECT_TRUE(a.GuardsIntact());
}

TEST(Rle4, RunAlternatesHighAndLowNibble) {
    Area a(4, 1);
    a.Expand({0x05, 0xAB, 0x00, 0x01}, 6, 4);
    EXPECT_EQ(a.Row(0), (Bytes{0xAB, 0xAB, 0xA0, 0x00}));
}

TEST(Rle4, EachRunStartsWithTheHighNibble) {
    Area a(4, 1);
    a.Expand({0x03, 0x12, 0x02, 0x34, 0x00, 0x01}, 8, 4);
    // Pixels 1 2 1 | 3 4
    EXPECT_EQ(a.Row(0), (Bytes{0x12, 0x13, 0x40, 0x00}));
}

TEST(Rle4, DeltaThenLiteralRunLandsOnOddPixel) {
    Area a(4, 2);
    // Pixels 1 2 on row 0, then delta (1 right, 1 down) to column 3 of row 1,
    // then literal pixels 3 4 5 (two bytes, already even).
    EXPECT_EQ(a.Expand({0x02, 0x12, 0x00, 0x02, 0x01, 0x01, 0x00, 0x03, 0x34, 0x50, 0x00, 0x01}, 8, 4),
              RleStop::EndOfPicture);
    EXPECT_EQ(a.Row(0), (Bytes{0x12, 0x00, 0x00, 0x00}));
    EXPECT_EQ(a.Row(1), (Bytes{0x00, 0x03, 0x45, 0x00}));
}

TEST(Rle4, LiteralRunOfThreeBytesIsPaddedToFour) {
    Area a(4, 2);
    // 5 pixels = 3 bytes + 1 pad; then end of line and a run on row 1.
    a.Expand({0x00, 0x05, 0x12, 0x34, 0x50, 0xFF, 0x00, 0x00, 0x02, 0x77, 0x00, 0x01}, 8, 4);
    EXPECT_EQ(a.Row(0), (Bytes{0x12, 0x34, 0x50, 0x00}));
    EXPECT_EQ(a.Row(1), (Bytes{0x77, 0x00, 0x00, 0x00}));
}

TEST(Rle4, OddWidthRowKeepsLowNibbleOfLastByteClear) {
    Area a(4, 1);
    a.Expand({0x08, 0xFF, 0x00, 0x01}, 3, 4);
    EXPECT_EQ(a.Row(0), (Bytes{0xFF, 0xF0, 0x00, 0x00}));
}

TEST(Rle, UnsupportedBitsWriteNothing) {
    Area a(4, 1);
    EXPECT_EQ(a.Expand({0x04, 0x11, 0x00, 0x01}, 4, 24), RleStop::BadArguments);
    EXPECT_EQ(a.Row(0), (Bytes{0, 0, 0, 0}));
}

TEST(Rle, EmptyAreaReadsNothing) {
    const Bytes src{0x04, 0x11};
    EXPECT_EQ(RleExpand(src.data(), src.size(), nullptr, 0, 5, 4, 8), RleStop::AreaFull);
    EXPECT_EQ(RleExpand(src.data(), src.size(), nullptr, 4, 0, 4, 8), RleStop::AreaFull);
}

// Arbitrary data over arbitrary small areas: the guards around the area must
// survive (the sanitizers watch the source reads).
TEST(Rle, RandomDataStaysInsideTheArea) {
    std::mt19937 rng(12345);
    for (int iter = 0; iter < 3000; ++iter) {
        const int bits = (iter & 1) ? 8 : 4;
        const size_t width = 1 + rng() % 20;
        const size_t rows = 1 + rng() % 6;
        const size_t stride = (bits == 8 ? (width + 3) / 4 * 4 : ((width + 1) / 2 + 3) / 4 * 4);
        Bytes src(rng() % 64);
        for (auto& b : src) {
            // Bias towards escapes so deltas and literal runs occur often.
            const uint32_t r = rng() % 8;
            b = r < 3 ? 0 : r < 5 ? uint8_t(rng() % 4) : uint8_t(rng());
        }
        Area a(stride, rows);
        const RleStop stop = a.Expand(src, width, bits);
        EXPECT_NE(stop, RleStop::BadArguments);
        ASSERT_TRUE(a.GuardsIntact()) << "iteration " << iter;
        // Padding bytes beyond the row width are never touched.
        for (size_t r = 0; r < rows; ++r) {
            const Bytes row = a.Row(r);
            const size_t used = bits == 8 ? width : (width + 1) / 2;
            for (size_t i = used; i < stride; ++i) ASSERT_EQ(row[i], 0) << "iteration " << iter;
            if (bits == 4 && width % 2 == 1) {
                ASSERT_EQ(row[used - 1] & 0x0F, 0) << "iteration " << iter;
            }
        }
    }
}

}  // namespace
}  // namespace gmbx
