// libFuzzer target for the GIF reader: the header checks, the gd decoder and
// the conversion into a Dib.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imageio/gifio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gmbx::LoadError why;
    std::unique_ptr<gmbx::Dib> dib(gmbx::LoadGIFFromMemory(data, size, &why));
    if (dib && (dib->BitCount() != 8 || dib->Width() < 1 || dib->Height() < 1)) __builtin_trap();
    return 0;
}
