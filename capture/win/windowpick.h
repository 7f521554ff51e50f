// The window pick on the overlay: the pointer-move handler that finds the
// window under the pointer, the blinking outline around it, and the test of
// whether that window can scroll.
#pragma once
#include <windows.h>

#include "klib/object.h"

namespace gmbx {

// Installs the pointer-move handler on the overlay's object and takes the
// window under the current pointer position at once.
void StartWindowPick(HWND overlay, klib::k_object* obj);
// Removes the handler and stops the blinker. Returns false when no window
// was ever highlighted; else the last highlight rectangle (screen
// coordinates).
bool EndWindowPick(klib::k_object* obj, RECT* last);

// The candidate rectangle for the window under a screen point: its client
// rectangle for a point over its client area, else its whole window
// rectangle. With autoScroll, a scrollable client area sets scrollTarget
// (and may narrow the rectangle by its scroll bar). False when there is no
// window there.
bool PickCandidate(HWND overlay, POINT p, bool autoScroll, RECT* candidate, HWND* scrollTarget);

// The scroll target the pick found (null for none), and the point to click
// in windows that draw their own scroll bar.
HWND PickScrollTarget();
void ClearPickScrollTarget();

// The highlight blinker: a new rectangle is outlined at once and blinks
// every 500 ms; the same rectangle again changes nothing.
void BlinkHighlight(HWND overlay, const RECT& r);
// Stops the blinker, erases the outline; false when nothing was highlighted.
bool StopBlinker(RECT* last);

}  // namespace gmbx
