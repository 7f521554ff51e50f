// Time per frame of a full-screen grab into a Dib and of a BMP write.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "imageio/win/current.h"
#include "imageio/win/pixmap.h"

using namespace gmbx;

namespace gmbx {
double BenchJpegSave(int frames);
double BenchGifSave(int frames);
double BenchReduceTo256(int frames);
}

int main() {
    InstallWin32DibHost();
    RefreshDisplayColours();
    const int frames = 20;
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    lstrcatA(path, "gmbx-bench.bmp");

    double grabMs = 0, convertMs = 0, writeMs = 0;
    LARGE_INTEGER f, a, b, c, d;
    QueryPerformanceFrequency(&f);
    int w = 0, h = 0;
    for (int i = 0; i < frames; ++i) {
        QueryPerformanceCounter(&a);
        std::unique_ptr<Pixmap> pm(Grab(0, 0, 0, 0, GrabOptions()));
        QueryPerformanceCounter(&b);
        Dib dib;
        dib.Create(1, 1, g_displayColours);
        dib.Header()->clrUsed = dib.Header()->clrImportant = 0;
        if (!pm || !SetDIBFromPixmap(*pm, dib, PelsPerMeter())) {
            std::printf("grab failed\n");
            return 1;
        }
        QueryPerformanceCounter(&c);
        dib.WriteBMP(path);
        QueryPerformanceCounter(&d);
        w = dib.Width();
        h = dib.Height();
        grabMs += double(b.QuadPart - a.QuadPart) * 1000 / f.QuadPart;
        convertMs += double(c.QuadPart - b.QuadPart) * 1000 / f.QuadPart;
        writeMs += double(d.QuadPart - c.QuadPart) * 1000 / f.QuadPart;
    }
    DeleteFileA(path);
    ClearCurrentImage(false);
    std::printf("full-screen %dx%d, %d frames\n", w, h, frames);
    std::printf("grab to pixmap:      %7.2f ms/frame\n", grabMs / frames);
    std::printf("pixmap to Dib:       %7.2f ms/frame\n", convertMs / frames);
    std::printf("grab to Dib (total): %7.2f ms/frame\n", (grabMs + convertMs) / frames);
    std::printf("BMP write:           %7.2f ms/frame\n", writeMs / frames);
    BenchJpegSave(frames);
    BenchGifSave(frames);
    BenchReduceTo256(frames);
    return 0;
}
