#include "imageio/rle.h"

#include <cstdint>
#include <limits>

namespace gmbx {

namespace {

// Output cursor over the pixel area. Column and row are pixel coordinates;
// writes outside the visible row are dropped.
class Cursor {
public:
    Cursor(uint8_t* pixels, size_t stride, size_t rows, size_t width, int bits)
        : pixels_(pixels), stride_(stride), rows_(rows), bits_(bits) {
        const size_t maxSize = std::numeric_limits<size_t>::max();
        const size_t fits = bits == 8 ? stride : (stride > maxSize / 2 ? maxSize : stride * 2);
        width_ = width < fits ? width : fits;
    }

    bool AtEnd() const { return row_ >= rows_; }

    void Put(uint8_t value) {
        if (row_ < rows_ && x_ < width_) {
            uint8_t* line = pixels_ + row_ * stride_;
            if (bits_ == 8) {
                line[x_] = value;
            } else {
                uint8_t& b = line[x_ / 2];
                b = (x_ % 2 == 0) ? uint8_t((b & 0x0F) | (value & 0x0F) << 4)
                                  : uint8_t((b & 0xF0) | (value & 0x0F));
            }
        }
        Advance(1);
    }

    // Moves right; the column saturates at the width, beyond which nothing
    // is drawn anyway.
    void Advance(size_t n) { x_ = (n >= width_ - x_) ? width_ : x_ + n; }

    void NextRows(size_t n) {
        x_ = 0;
        row_ = (n >= rows_ - row_) ? rows_ : row_ + n;
    }

    void Down(size_t n) { row_ = (n >= rows_ - row_) ? rows_ : row_ + n; }

    // True once no further pixel of the current row can be drawn.
    bool RowFull() const { return x_ >= width_; }

private:
    uint8_t* pixels_;
    size_t stride_;
    size_t rows_;
    size_t width_;
    int bits_;
    size_t x_ = 0;
    size_t row_ = 0;
};

}  // namespace

RleStop RleExpand(const uint8_t* src, size_t srcLen, uint8_t* pixels, size_t stride, size_t rows,
                  size_t width, int bits) {
    if (bits != 8 && bits != 4) return RleStop::BadArguments;
    if (src == nullptr && srcLen != 0) return RleStop::BadArguments;
    if (stride != 0 && rows > std::numeric_limits<size_t>::max() / stride) return RleStop::BadArguments;
    if (stride == 0 || rows == 0) return RleStop::AreaFull;
    if (pixels == nullptr) return RleStop::BadArguments;

    Cursor out(pixels, stride, rows, width, bits);
    size_t i = 0;
    while (!out.AtEnd()) {
        if (srcLen - i < 2) return RleStop::EndOfInput;
        const uint8_t c = src[i];
        const uint8_t d = src[i + 1];
        i += 2;
        if (c > 0) {
            // Encoded run; once the row is full the rest of it is only skipped.
            for (unsigned k = 0; k < c && !out.RowFull(); ++k) {
                out.Put(bits == 8 ? d : uint8_t(k % 2 == 0 ? d >> 4 : d & 0x0F));
            }
            continue;
        }
        switch (d) {
            case 0:  // end of line
                out.NextRows(1);
                if (srcLen - i >= 2 && src[i] == 0 && src[i + 1] == 0) i += 2;
                break;
            case 1:  // end of picture
                return RleStop::EndOfPicture;
            case 2: {  // delta
                if (srcLen - i < 2) return RleStop::EndOfInput;
                const uint8_t dx = src[i];
                const uint8_t dy = src[i + 1];
                i += 2;
                out.Advance(dx);
                out.Down(dy);
                break;
            }
            default: {  // literal run of d pixels
                const size_t literalBytes = bits == 8 ? d : (size_t(d) + 1) / 2;
                for (unsigned k = 0; k < d; ++k) {
                    const size_t at = bits == 8 ? k : k / 2;
                    if (at >= srcLen - i) return RleStop::EndOfInput;
                    const uint8_t b = src[i + at];
                    out.Put(bits == 8 ? b : uint8_t(k % 2 == 0 ? b >> 4 : b & 0x0F));
                }
                const size_t padded = literalBytes + (literalBytes & 1);
                i += padded < srcLen - i ? padded : srcLen - i;
                break;
            }
        }
    }
    return RleStop::AreaFull;
}

}  // namespace gmbx
