// libFuzzer target: any bytes as a packed device-independent bitmap that
// another program put on the clipboard, checked against its block and made
// ready for the reader, then read as the paste does. An accepted block must
// hold what its header describes, come back with a 40-byte or core header
// and no colour masks, and a Dib read from it must have the header's size.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "capture/clipformat.h"
#include "imageio/dib.h"
#include "imageio/dibheader.h"

using namespace gmbx;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "clipdib_fuzz: %s\n", what);
        std::abort();
    }
}

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The block on its own allocation of exactly its size, so that a read
    // past it is caught.
    std::vector<uint8_t> block(data, data + size);
    std::vector<uint8_t> ready;
    if (!PrepareClipboardDib(block.empty() ? nullptr : block.data(), block.size(), &ready)) {
        Check(ready.empty(), "a refused block left bytes");
        return 0;
    }
    Check(ready.size() >= kCoreHeaderSize && ready.size() <= size, "prepared size");
    const uint32_t headerSize = Le32(ready.data());
    Check(headerSize == kInfoHeaderSize || headerSize == kCoreHeaderSize, "header size");
    Check(headerSize == kCoreHeaderSize || ready.size() >= kInfoHeaderSize, "short info header");
    if (headerSize == kInfoHeaderSize) {
        Check(Le32(ready.data() + 16) != 3, "colour masks left in");
        Check(std::memcmp(ready.data() + 4, block.data() + 4, 12) == 0, "geometry changed");
    }

    std::unique_ptr<Dib> loaded = LoadBMPFromMemory(ready.data(), ready.size());
    if (!loaded) return 0;
    const Dib& dib = *loaded;
    const DibInfoHeader& h = *dib.Header();
    if (headerSize == kInfoHeaderSize) {
        Check(h.width == int32_t(Le32(block.data() + 4)), "width");
        Check(DibAbsHeight(h.height) == DibAbsHeight(int32_t(Le32(block.data() + 8))), "height");
    }
    Check(dib.totalSize <= kMaxDibBlock, "block limit");
    return 0;
}
