// The Win32 services behind the portable Dib: the device's colour count and
// the application colour table.
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/gdi.h"

namespace gmbx {
namespace {

int DeviceColours() {
    klib::WindowDc screen;
    HDC dc = screen.get();
    int colours;
    if ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) && GetDeviceCaps(dc, SIZEPALETTE) > 16)
        colours = GetDeviceCaps(dc, SIZEPALETTE) - GetDeviceCaps(dc, NUMRESERVED);
    else
        colours = GetDeviceCaps(dc, NUMCOLORS);
    int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    // A device with more colours than a table can hold reports -1.
    if (colours < 1) colours = ColourCountForBits(bits);
    return colours;
}

const DibHost kHost = {DeviceColours, AppColours};

}  // namespace

void InstallWin32DibHost() { SetDibHost(&kHost); }

}  // namespace gmbx
