// The drag window of klib: a library window without background or frame,
// laid over an area of the screen (the whole screen for captures) on which
// the user marks points and rectangles. It shows the picture of the screen
// taken when it was made, takes the mouse and reports keys and pointer
// events to its object like every library window. While it is disabled, or
// told to be looked through, it is transparent to the window-from-point
// lookup, so that the windows under it can be found.
#pragma once
#include <windows.h>

#include "klib/object.h"

namespace klib {

constexpr const char* kDragWindowClass = "klib_drag_window";

// Makes a topmost drag window over the rectangle (screen coordinates), bound
// to obj, shows it without activating it, paints it and takes the mouse.
// Null when it cannot be made.
HWND CreateDragWindow(k_object* obj, const RECT& area);

// While on, the window answers hit tests with "transparent": the lookup of
// the window under a point passes it over (also where disabling it would
// not be enough, as the lookup may stop at a disabled window).
void SetLookThrough(HWND window, bool on);

// Waits a moment in the system's message wait, so that what was drawn on
// the window reaches the screen before the screen is read (some window
// systems show window drawing only when the program goes idle).
void FlushDragWindow();

// Paints the given rectangle of the drag window (client coordinates) from
// the picture of the screen beneath it; dc is the window's device context.
void PaintDragBackground(HWND window, HDC dc, const RECT& r);
// The memory device context that holds that picture (null for other windows).
HDC DragBackgroundDC(HWND window);

}  // namespace klib
