// JPEG figure for the benchmark: time of a quality-75 baseline JPEG write of
// a full-screen capture.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "capture/win/grabber.h"
#include "imageio/jpegio.h"
#include "imageio/win/pixmap.h"

namespace gmbx {

// Grabs the screen once, writes it `frames` times as a quality-75 JPEG into
// the temporary folder, prints the time per write and returns it in
// milliseconds (negative when the grab or a write fails).
double BenchJpegSave(int frames) {
    std::unique_ptr<Pixmap> pm(Grab(0, 0, 0, 0, GrabOptions()));
    Dib dib;
    if (!pm || !dib.Create(1, 1, 16777216)) return -1;
    dib.Header()->clrUsed = dib.Header()->clrImportant = 0;
    if (!SetDIBFromPixmap(*pm, dib, PelsPerMeter())) return -1;
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    lstrcatA(path, "gmbx-bench.jpg");
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < frames; ++i) {
        if (!WriteJPEG(dib, path, 75, false)) return -1;
    }
    QueryPerformanceCounter(&b);
    DeleteFileA(path);
    const double ms = double(b.QuadPart - a.QuadPart) * 1000 / f.QuadPart / (frames > 0 ? frames : 1);
    std::printf("JPEG q75 write (%dx%d, %d-bit): %7.2f ms/frame\n", dib.Width(), dib.Height(), dib.BitCount(), ms);
    return ms;
}

}  // namespace gmbx
