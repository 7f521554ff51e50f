#include "imageio/jpegio.h"
#include "imageio/reduce.h"

namespace gmbx {
namespace {

JpegRoundTrip& DefaultSlot() {
    static JpegRoundTrip slot = JpegFileRoundTrip();
    return slot;
}

}  // namespace

JpegRoundTrip JpegFileRoundTrip() {
    JpegRoundTrip t;
    t.write = [](const Dib& dib, const char* path, int quality) { return WriteJPEG(dib, path, quality, false); };
    t.load = [](const char* path, int mode) { return LoadJPEG(path, mode); };
    return t;
}

void SetDefaultJpegRoundTrip(const JpegRoundTrip& roundTrip) {
    DefaultSlot() = roundTrip.Usable() ? roundTrip : JpegFileRoundTrip();
}

const JpegRoundTrip& DefaultJpegRoundTrip() { return DefaultSlot(); }

}  // namespace gmbx
