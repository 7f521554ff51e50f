#include "capture/regionselect.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "klib/keycode.h"

namespace gmbx {

std::string SizeLabelText(SelPoint fixed, SelPoint moving) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%dx%d", std::abs(moving.x - fixed.x) + 1, std::abs(moving.y - fixed.y) + 1);
    return buf;
}

SelPoint PlaceSizeLabel(SelPoint fixed, SelPoint moving, int labelW, int labelH, int overlayW, int overlayH) {
    int left = std::min(fixed.x, moving.x), right = std::max(fixed.x, moving.x);
    int top = std::min(fixed.y, moving.y), bottom = std::max(fixed.y, moving.y);
    SelPoint at;
    if (labelW < right - left - 24 || labelH < bottom - top - 24) {
        at.x = left + (right - left - labelW) / 2;
        at.y = top + (bottom - top - labelH) / 2;
    } else {
        // Beside the band: its right edge one pixel left of the band, or
        // just right of it; its bottom one pixel above, or just below.
        at.x = left - 1 - labelW;
        if (at.x < 0) at.x = right + 1;
        at.y = top - 1 - labelH;
        if (at.y < 0) at.y = bottom + 1;
    }
    at.x = std::max(0, std::min(at.x, overlayW - labelW));
    at.y = std::max(0, std::min(at.y, overlayH - labelH));
    return at;
}

SelRect SelectedRect(SelPoint a, SelPoint b) {
    SelRect r;
    r.left = std::min(a.x, b.x);
    r.top = std::min(a.y, b.y);
    r.right = std::max(a.x, b.x) + 1;
    r.bottom = std::max(a.y, b.y) + 1;
    return r;
}

KeyAction ApplySelectionKey(int keyCode, int overlayW, int overlayH, SelectionKeys* s) {
    const bool shift = (keyCode & klib::kKeyShift) != 0;
    const bool ctrl = (keyCode & klib::kKeyCtrl) != 0;
    const int key = keyCode & 0xFFFFFF;
    const int step = shift ? 10 : 1;
    SelPoint& m = s->moving;
    switch (key) {
    case klib::kKeyArrowLeft: m.x = ctrl ? 0 : m.x - step; break;
    case klib::kKeyArrowRight: m.x = ctrl ? overlayW - 1 : m.x + step; break;
    case klib::kKeyArrowUp: m.y = ctrl ? 0 : m.y - step; break;
    case klib::kKeyArrowDown: m.y = ctrl ? overlayH - 1 : m.y + step; break;
    case 9:
    case klib::kKeyHome:
        if (!s->secondPhase) return KeyAction::None;
        std::swap(s->fixed, s->moving);
        return KeyAction::Swapped;
    case 13: return KeyAction::Accept;
    case 27: return KeyAction::Cancel;
    case '+':
    case klib::kKeyInsert: return KeyAction::ToggleCursor;
    case '=':
        // '+' on the main keyboard is Shift and the '=' key.
        if (!shift) return KeyAction::None;
        return KeyAction::ToggleCursor;
    case '-':
        s->showSize = !s->showSize;
        return KeyAction::ToggleLabel;
    case 'x':
    case 'X':
        s->lockY = !s->lockY;
        s->lockX = false;
        return KeyAction::LockChanged;
    case 'y':
    case 'Y':
        s->lockX = !s->lockX;
        s->lockY = false;
        return KeyAction::LockChanged;
    case klib::kKeyF1:
        s->helpMode = NextHelpMode(s->helpMode);
        return KeyAction::NextHelpMode;
    default: return KeyAction::None;
    }
    m.x = std::max(0, std::min(m.x, overlayW - 1));
    m.y = std::max(0, std::min(m.y, overlayH - 1));
    return KeyAction::Moved;
}

HelpPanelLayout LayOutHelpPanel(int mode, bool secondPhase, int letterWidth, int lineHeight) {
    HelpPanelLayout p;
    mode &= 3;
    if (mode == 0) return p;
    const int magSize = mode == 2 ? 128 : 96;
    const int strip = magSize + 6;
    if (mode & kHelpText) {
        p.textLines = secondPhase ? 14 : 10;
        p.width = 36 * letterWidth;
        p.height = p.textLines * lineHeight + ((mode & kHelpMagnifier) ? strip : 0);
    } else {
        p.width = p.height = strip;
    }
    if (mode & kHelpMagnifier) {
        p.magnifier.left = (p.width - magSize) / 2;
        p.magnifier.top = p.height - strip + (strip - magSize) / 2;
        p.magnifier.right = p.magnifier.left + magSize;
        p.magnifier.bottom = p.magnifier.top + magSize;
    }
    return p;
}

SelPoint PlaceHelpPanel(SelPoint cursor, int panelW, int panelH, int screenW, int screenH) {
    SelPoint at;
    if (cursor.x < panelW) at.x = screenW - panelW;
    if (cursor.y < panelH) at.y = screenH - panelH;
    return at;
}

SelRect MagnifiedSource(SelPoint p) {
    SelRect r;
    r.left = p.x - kMagnifiedSquare / 2;
    r.top = p.y - kMagnifiedSquare / 2;
    r.right = r.left + kMagnifiedSquare;
    r.bottom = r.top + kMagnifiedSquare;
    return r;
}

bool ScrollInfoScrollable(int position, int maximum, int page) {
    if (page == 0) page = 1;
    return position < maximum - page;
}

}  // namespace gmbx
