// Selections on the full-screen overlay: the two phases of a region drag
// (crosshair, then rubber band with its size label), the help panel with the
// magnifier, and the modal wait of a window pick.
#pragma once
#include <windows.h>

#include <string>

#include "klib/object.h"

namespace gmbx {

// Result codes of the phases and of the pick wait: the mouse button that
// ended them, 1 for Enter or Space, 2 for Esc (cancel). 0 when nothing ran
// (another selection was running, or the program was told to quit).
constexpr int kSelectionCancelled = 2;
inline bool SelectionAccepted(int result) { return result != 0 && result != kSelectionCancelled; }

// The overlay: a drag window of the in-house library as large as the screen,
// topmost, shown without activation, with the mouse captured. Null when it
// cannot be made. One overlay at a time; making a new one destroys the old.
HWND CreateSelectionOverlay();
HWND SelectionOverlay();
klib::k_object* SelectionOverlayObject();
void DestroySelectionOverlay();

// Phase 1: the crosshair fixes the first corner (overlay coordinates).
int SelectFirstCorner(HWND overlay, POINT* corner);
// Phase 2: the rubber band from the first corner; returns both corners (the
// first may have been swapped with the second by Tab or Home).
int SelectSecondCorner(HWND overlay, POINT* first, POINT* second);

// The wait of a window pick: Esc (hotkey 27) and, unless noSpace, Space
// (hotkey 32) are registered on the window for the time of the wait, which
// ends on a button press or double click on it, or on either hotkey. Returns
// the result, the point (screen coordinates) and the window under it.
int PickWait(HWND overlay, POINT* point, HWND* under, bool noSpace = false);

// Hotkeys 27 and 32, from the capture dispatcher: they end a running wait
// (Esc also ends a region phase).
void SelectionHotkey(unsigned id);

// True while a phase or a pick wait runs.
bool SelectionRunning();

// What a running phase shows now (overlay coordinates): the size label with
// its text, and the help panel. False when it is not shown.
bool SizeLabelShown(std::string* text, RECT* where);
bool HelpPanelShown(RECT* where);

// The window under a screen point, the overlay passed over: the deepest
// child there. Null when there is none.
HWND WindowUnderOverlay(HWND overlay, POINT screenPoint);

// Draws or erases (it inverts) the 5-pixel outline of a rectangle (screen
// coordinates) on the overlay.
void InvertOutline(HWND overlay, const RECT& r);
// Told when the overlay is repainted, so that a drawn outline is drawn again.
void SetOutlineShown(const RECT* r);

}  // namespace gmbx
