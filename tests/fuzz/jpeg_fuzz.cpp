// libFuzzer target for the JPEG reader: the size checks, the error manager's
// jump back and the conversion into a Dib. As in the JPEG library's own
// fuzzers, frames of more than 2^20 pixels are refused once the header is
// read: decoding them would only slow the search down. The reading mode
// (full colour, quantized, dithered) is the input's length modulo 3, so that
// each input is decoded once and all three modes are reached. Only a full
// colour read of a colour file gives 24 bits; every other read 8.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imageio/jpegio.h"

namespace {
constexpr uint64_t kMaxPixels = uint64_t(1) << 20;
void Quiet(const char*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gmbx::SetJpegMessageHook(Quiet);
    const int mode = int(size % 3);
    std::unique_ptr<gmbx::Dib> dib(gmbx::LoadJPEGFromMemory(data, size, mode, kMaxPixels));
    if (dib && (dib->Width() < 1 || dib->Height() == 0 ||
                uint64_t(dib->Width()) * uint64_t(gmbx::DibAbsHeight(dib->Height())) > kMaxPixels ||
                (dib->BitCount() != 8 && (mode != gmbx::kJpegFullColour || dib->BitCount() != 24))))
        __builtin_trap();
    return 0;
}
