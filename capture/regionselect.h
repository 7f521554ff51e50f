// The arithmetic of region selection on the full-screen overlay: where the
// size label goes, what the selection keys do to the points, where the help
// panel sits and how large it and its magnifier are, and the rectangle a
// finished selection stands for. No drawing here: the Win32 side draws what
// these functions place.
#pragma once
#include <string>

namespace gmbx {

struct SelPoint {
    int x = 0, y = 0;
};
inline bool operator==(SelPoint a, SelPoint b) { return a.x == b.x && a.y == b.y; }

// Right and bottom are exclusive.
struct SelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(SelPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};
inline bool operator==(const SelRect& a, const SelRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The text of the size label: "%dx%d" with both corners counted in.
std::string SizeLabelText(SelPoint fixed, SelPoint moving);

// Top-left corner of a label of labelW x labelH for the rubber band between
// the two points on an overlay of overlayW x overlayH: centred in the band
// when it fits with 24 pixels to spare in either direction; otherwise left
// of the band (or right of it when that leaves the overlay) and above it (or
// below); finally moved to lie wholly on the overlay.
SelPoint PlaceSizeLabel(SelPoint fixed, SelPoint moving, int labelW, int labelH, int overlayW, int overlayH);

// The rectangle a selection stands for: corners ordered, the far corner
// inclusive.
SelRect SelectedRect(SelPoint a, SelPoint b);

// Selection state the keys work on.
struct SelectionKeys {
    bool secondPhase = false;  // rubber band (else crosshair)
    SelPoint fixed, moving;
    bool lockX = false, lockY = false;
    bool showSize = true;  // the size label
    int helpMode = 3;      // bit 0 help text, bit 1 magnifier
};

enum class KeyAction {
    None,          // not a selection key
    Moved,         // the moving point changed: move the pointer there, redraw
    Swapped,       // the corners were exchanged: redraw
    Accept,        // end the phase, result 1
    Cancel,        // end the phase, result 2
    ToggleCursor,  // hide or show the mouse cursor
    ToggleLabel,   // showSize flipped: redraw
    LockChanged,   // an axis lock changed
    NextHelpMode,  // helpMode advanced: redraw the panel
};

// Applies a library key code (with its Shift and Ctrl bits) to the state of
// a selection on an overlay of overlayW x overlayH. Arrows step 1 pixel, 10
// with Shift, to the edge with Ctrl; the moving point is always kept on the
// overlay.
KeyAction ApplySelectionKey(int keyCode, int overlayW, int overlayH, SelectionKeys* s);

// Help panel modes: 3, 0, 1, 2, 3, ...
inline int NextHelpMode(int mode) { return (mode + 1) & 3; }
constexpr int kHelpText = 1;
constexpr int kHelpMagnifier = 2;
// The square around the moving point that the magnifier shows.
constexpr int kMagnifiedSquare = 32;

struct HelpPanelLayout {
    int width = 0, height = 0;  // 0 x 0: nothing shown
    SelRect magnifier;          // in panel coordinates; empty without the magnifier
    int textLines = 0;          // lines of text room (0 without the text)
};

// The panel for a mode and phase, with the width of the letter "A" and the
// height of a text line of its font.
HelpPanelLayout LayOutHelpPanel(int mode, bool secondPhase, int letterWidth, int lineHeight);

// Where the panel goes on the screen: the top-left corner; the right edge
// when the cursor is within the panel's width from the left; the bottom
// edge when it is within its height from the top.
SelPoint PlaceHelpPanel(SelPoint cursor, int panelW, int panelH, int screenW, int screenH);

// The screen square the magnifier shows: 32 x 32 centred on the point.
SelRect MagnifiedSource(SelPoint p);

// Whether scroll information says there is more to scroll down: position
// below maximum - page (a page of 0 counts as 1).
bool ScrollInfoScrollable(int position, int maximum, int page);

}  // namespace gmbx
