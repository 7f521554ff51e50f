// libFuzzer target for the JPEG reader in its three modes: the size checks,
// the error manager's jump back and the conversion into a Dib.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imageio/jpegio.h"

namespace {
void Quiet(const char*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gmbx::SetJpegMessageHook(Quiet);
    for (int mode = 0; mode < 3; ++mode) {
        std::unique_ptr<gmbx::Dib> dib(gmbx::LoadJPEGFromMemory(data, size, mode));
        if (dib && (dib->Width() < 1 || dib->Height() == 0)) __builtin_trap();
    }
    return 0;
}
