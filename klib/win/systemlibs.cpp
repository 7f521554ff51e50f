#include "klib/win/systemlibs.h"

namespace klib {

namespace {

// The function `name` of the system library `dll`, loaded on first use (and
// kept for the rest of the run); null when it cannot be had.
template <typename Function>
Function Bind(const char* dll, const char* name) {
    HMODULE module = LoadLibraryA(dll);
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

#define KLIB_BOUND(dll, function) \
    static const auto bound = Bind<decltype(&::function)>(dll, #function)

}  // namespace

bool InitControls(DWORD classes) {
    KLIB_BOUND("comctl32.dll", InitCommonControlsEx);
    INITCOMMONCONTROLSEX icc = {sizeof icc, classes};
    return bound && bound(&icc);
}

HIMAGELIST LoadImageList(HINSTANCE module, const char* name, int width, COLORREF mask, UINT flags) {
    KLIB_BOUND("comctl32.dll", ImageList_LoadImageA);
    return bound ? bound(module, name, width, 0, mask, IMAGE_BITMAP, flags) : nullptr;
}

void DestroyImageList(HIMAGELIST list) {
    KLIB_BOUND("comctl32.dll", ImageList_Destroy);
    if (bound && list) bound(list);
}

bool AskOpenFileName(OPENFILENAMEA* ofn) {
    KLIB_BOUND("comdlg32.dll", GetOpenFileNameA);
    return bound && bound(ofn);
}

bool AskSaveFileName(OPENFILENAMEA* ofn) {
    KLIB_BOUND("comdlg32.dll", GetSaveFileNameA);
    return bound && bound(ofn);
}

void AcceptDroppedFiles(HWND window, bool accept) {
    KLIB_BOUND("shell32.dll", DragAcceptFiles);
    if (bound) bound(window, accept);
}

UINT DroppedFile(HDROP drop, UINT index, char* path, UINT size) {
    KLIB_BOUND("shell32.dll", DragQueryFileA);
    return bound ? bound(drop, index, path, size) : 0;
}

void FinishDrop(HDROP drop) {
    KLIB_BOUND("shell32.dll", DragFinish);
    if (bound) bound(drop);
}

}  // namespace klib
