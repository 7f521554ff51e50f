// libFuzzer entry: the input is read as a BMP or headerless DIB file, and also
// run through the run-length expander with a geometry taken from its first
// bytes. Besides the sanitizers' checks, a loaded image must keep the Dib's
// layout rules and survive a write and re-read unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imageio/dib.h"
#include "imageio/dibheader.h"
#include "imageio/rle.h"

using namespace gmbx;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "bmp_fuzz: %s\n", what);
        std::abort();
    }
}

void CheckLoaded(const Dib& dib) {
    const DibInfoHeader& h = *dib.Header();
    const int64_t entries = DibTableEntries(h);
    const int64_t stride = DibStride(h.width, h.bitCount);
    const int64_t area = stride * DibAbsHeight(h.height);
    Check(h.size == kInfoHeaderSize, "header size");
    Check(h.compression != kCompressionRle8 && h.compression != kCompressionRle4, "still compressed");
    Check(entries <= int64_t(kMaxTableEntries), "table too large");
    Check(dib.stride == stride, "stride");
    Check(int64_t(h.sizeImage) == area, "image size");
    Check(dib.totalSize == int64_t(kInfoHeaderSize) + 4 * entries + area, "total size");
    Check(reinterpret_cast<uint8_t*>(dib.colours) == dib.bih + kInfoHeaderSize, "colour table");
    Check(dib.bits == dib.bih + kInfoHeaderSize + 4 * entries, "bits");
    // Touch both ends of the block so that a short allocation shows.
    volatile uint8_t first = dib.bih[0];
    volatile uint8_t last = dib.bih[dib.totalSize - 1];
    (void)first;
    (void)last;
}

void FuzzReader(const uint8_t* data, size_t size) {
    std::unique_ptr<Dib> loaded = LoadBMPFromMemory(data, size);
    if (!loaded) return;
    const Dib& dib = *loaded;
    CheckLoaded(dib);
    // Copies and re-reads of the (mostly zero) giant images that tiny inputs
    // can declare would only slow the search down.
    if (dib.totalSize > (1 << 16)) return;

    Dib copy(dib);
    Check(!copy.Empty() && copy.totalSize == dib.totalSize, "copy size");
    Check(std::memcmp(copy.bih, dib.bih, size_t(dib.totalSize)) == 0, "copy content");

    std::vector<uint8_t> file;
    Check(dib.WriteBMPToMemory(file), "write");
    Check(file.size() == size_t(dib.totalSize) + 14, "written length");
    std::unique_ptr<Dib> again = LoadBMPFromMemory(file.data(), file.size());
    Check(again != nullptr, "re-read");
    Check(again->totalSize == dib.totalSize, "re-read size");
    Check(std::memcmp(again->bih, dib.bih, size_t(dib.totalSize)) == 0, "re-read content");
}

void FuzzExpander(const uint8_t* data, size_t size) {
    if (size < 4) return;
    const int bits = (data[0] & 1) ? 4 : 8;
    const size_t width = 1 + data[1] % 64;
    const size_t rows = 1 + data[2] % 32;
    // Mostly the proper stride; sometimes one too small for the width.
    size_t stride = size_t(DibStride(int64_t(width), bits));
    if ((data[3] & 7) == 0) stride = stride > 4 ? stride - 4 : 1;
    const size_t bytes = stride * rows;
    // Exactly the area, so that any write past it is caught.
    auto* pixels = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (pixels == nullptr) return;
    // The source is copied to its own allocation for the same reason.
    std::vector<uint8_t> src(data + 4, data + size);
    RleExpand(src.data(), src.size(), pixels, stride, rows, width, bits);
    std::free(pixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzReader(data, size);
    FuzzExpander(data, size);
    return 0;
}
