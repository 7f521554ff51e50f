// GIF figures for the benchmark: time of a GIF save of a full-screen capture
// (reduction to 256 colours, GIF encoding and the file write) and of the
// reduction to 256 colours alone.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "capture/win/grabber.h"
#include "imageio/gifio.h"
#include "imageio/reduce.h"
#include "imageio/win/pixmap.h"

namespace gmbx {
namespace {

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& freq) {
    return double(to.QuadPart - from.QuadPart) * 1000 / freq.QuadPart;
}

// A full-screen capture as a 24-bit Dib; false when the grab fails.
bool GrabScreen24(Dib& dib) {
    std::unique_ptr<Pixmap> pm(Grab(0, 0, 0, 0, GrabOptions()));
    if (!pm || !dib.Create(1, 1, 16777216)) return false;
    dib.Header()->clrUsed = dib.Header()->clrImportant = 0;
    return SetDIBFromPixmap(*pm, dib, PelsPerMeter()) && dib.BitCount() == 24;
}

// Overwrites a 24-bit Dib with a gradient of far more than 256 colours.
void FillGradient(Dib& dib) {
    const int w = dib.Width(), h = dib.Height();
    for (int y = 0; y < h; ++y) {
        uint8_t* row = dib.bits + size_t(y) * dib.stride;
        for (int x = 0; x < w; ++x) {
            row[x * 3 + 0] = uint8_t(x * 255 / (w > 1 ? w - 1 : 1));
            row[x * 3 + 1] = uint8_t(y * 255 / (h > 1 ? h - 1 : 1));
            row[x * 3 + 2] = uint8_t((x + y) * 7);
        }
    }
}

bool HasMoreThan256Colours(const Dib& dib) {
    std::unique_ptr<Dib> exact(ReduceExact(dib));
    return !exact;
}

}  // namespace

// Grabs the screen once as a 24-bit Dib and saves it `frames` times as a GIF
// file in the temporary folder (ReduceTo256, DibToGdImage, WriteGIFFile);
// prints the time per save and returns it in milliseconds (negative when the
// grab or a save fails).
double BenchGifSave(int frames) {
    Dib dib;
    if (!GrabScreen24(dib)) {
        std::printf("GIF save: grab failed\n");
        return -1;
    }
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    lstrcatA(path, "gmbx-bench.gif");
    double reduceMs = 0, encodeMs = 0;
    LARGE_INTEGER f, a, b, c;
    QueryPerformanceFrequency(&f);
    bool ok = true;
    for (int i = 0; i < frames && ok; ++i) {
        QueryPerformanceCounter(&a);
        std::unique_ptr<Dib> reduced = ReduceTo256(dib);
        QueryPerformanceCounter(&b);
        ok = reduced != nullptr;
        if (ok) {
            GdImagePtr im = DibToGdImage(*reduced);
            ok = im && WriteGIFFile(im.get(), path, GifWriteOptions()) == GifWriteResult::Ok;
        }
        QueryPerformanceCounter(&c);
        reduceMs += Ms(a, b, f);
        encodeMs += Ms(b, c, f);
    }
    DeleteFileA(path);
    if (!ok) {
        std::printf("GIF save failed\n");
        return -1;
    }
    const int n = frames > 0 ? frames : 1;
    const double ms = (reduceMs + encodeMs) / n;
    std::printf("GIF save (%dx%d, 24-bit): %7.2f ms/frame (reduce %.2f, encode and write %.2f)\n", dib.Width(),
                dib.Height(), ms, reduceMs / n, encodeMs / n);
    return ms;
}

// Reduces a full-screen 24-bit capture with more than 256 colours (a
// gradient when the screen has fewer) to 256 colours `frames` times; prints
// the time per reduction and returns it in milliseconds (negative on
// failure).
double BenchReduceTo256(int frames) {
    Dib dib;
    if (!GrabScreen24(dib)) {
        std::printf("reduce to 256: grab failed\n");
        return -1;
    }
    const bool screen = HasMoreThan256Colours(dib);
    if (!screen) FillGradient(dib);
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < frames; ++i) {
        if (!ReduceTo256(dib)) {
            std::printf("reduce to 256 failed\n");
            return -1;
        }
    }
    QueryPerformanceCounter(&b);
    const double ms = Ms(a, b, f) / (frames > 0 ? frames : 1);
    std::printf("reduce to 256 (%dx%d, %s): %7.2f ms/frame\n", dib.Width(), dib.Height(),
                screen ? "screen" : "gradient", ms);
    return ms;
}

}  // namespace gmbx
