#include "tests/e2e/clipboard_read.h"

#include "tests/e2e/gmbx_runner.h"

namespace gmbx::e2e {

std::unique_ptr<Dib> WaitForClipboardDib(DWORD ms) {
    for (DWORD end = GetTickCount() + ms; static_cast<int>(end - GetTickCount()) > 0; PumpFor(100)) {
        if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(nullptr)) continue;
        std::unique_ptr<Dib> dib;
        if (HANDLE h = GetClipboardData(CF_DIB)) {
            const void* p = GlobalLock(h);
            if (p) dib = LoadBMPFromMemory(static_cast<const uint8_t*>(p), GlobalSize(h));
            GlobalUnlock(h);
        }
        CloseClipboard();
        if (dib) return dib;
    }
    return nullptr;
}

}  // namespace gmbx::e2e
