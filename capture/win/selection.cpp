#include "capture/win/selection.h"

#include <algorithm>
#include <memory>
#include <string>

#include "capture/regionselect.h"
#include "capture/settings.h"
#include "klib/win/dragwindow.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "klib/win/pump.h"
#include "klib/win/window.h"
#include "res/resource.h"

namespace gmbx {

namespace {

// Kept for the whole run: the size label switch and the help panel mode.
bool g_showSize = true;
int g_helpMode = 3;

HWND g_overlay = nullptr;
std::unique_ptr<klib::k_object> g_overlayObject;
bool g_running = false;
bool g_outlineShown = false;
RECT g_outline = {};

// A screen area saved before something is drawn over it.
struct SavedArea {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    RECT r = {};
    bool shown = false;

    void Save(HDC from, const RECT& area) {
        Free();
        r = area;
        dc = CreateCompatibleDC(from);
        bitmap = CreateCompatibleBitmap(from, r.right - r.left, r.bottom - r.top);
        if (!dc || !bitmap) {
            Free();
            return;
        }
        old = SelectObject(dc, bitmap);
        BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, from, r.left, r.top, SRCCOPY);
        shown = true;
    }
    void Restore(HDC to) {
        if (shown && dc) BitBlt(to, r.left, r.top, r.right - r.left, r.bottom - r.top, dc, 0, 0, SRCCOPY);
        shown = false;
    }
    void Free() {
        if (dc) {
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        if (bitmap) DeleteObject(bitmap);
        dc = nullptr;
        bitmap = nullptr;
        shown = false;
    }
    ~SavedArea() { Free(); }
};

// One running selection (a phase or a pick wait).
struct Selection {
    HWND overlay = nullptr;
    klib::k_object* obj = nullptr;
    bool pick = false;
    int width = 0, height = 0;
    SelectionKeys keys;
    int result = 0;
    bool cursorVisible = true;
    POINT pickPoint = {};

    // What is drawn now (so that it is erased exactly).
    bool figureDrawn = false;
    SelPoint drawnFixed, drawnMoving;
    SavedArea label;
    std::string labelText;
    SavedArea panel;
    int panelMode = 0;

    HFONT font = nullptr;
    int letterWidth = 8, lineHeight = 16;
};

Selection* g_sel = nullptr;

HDC OverlayDC(HWND w) { return GetDC(w); }

void MeasureFont(Selection& s) {
    s.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HDC dc = OverlayDC(s.overlay);
    HGDIOBJ old = SelectObject(dc, s.font);
    SIZE a;
    if (GetTextExtentPoint32A(dc, "A", 1, &a)) s.letterWidth = a.cx;
    TEXTMETRICA tm;
    if (GetTextMetricsA(dc, &tm)) s.lineHeight = tm.tmHeight + tm.tmExternalLeading;
    SelectObject(dc, old);
    ReleaseDC(s.overlay, dc);
}

// ---- the crosshair, the rubber band and the size label ----

void XorLines(HDC dc, const Selection& s, SelPoint fixed, SelPoint moving) {
    int oldRop = SetROP2(dc, R2_XORPEN);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    if (!s.keys.secondPhase) {
        MoveToEx(dc, moving.x, 0, nullptr);
        LineTo(dc, moving.x, s.height);
        MoveToEx(dc, 0, moving.y, nullptr);
        LineTo(dc, s.width, moving.y);
    } else {
        POINT pts[5] = {{fixed.x, fixed.y}, {moving.x, fixed.y}, {moving.x, moving.y}, {fixed.x, moving.y},
                        {fixed.x, fixed.y}};
        Polyline(dc, pts, 5);
    }
    SelectObject(dc, oldPen);
    SetROP2(dc, oldRop);
}

void DrawLabelText(HDC dc, const Selection& s) {
    HGDIOBJ oldFont = SelectObject(dc, s.font);
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
    const RECT& r = s.label.r;
    ExtTextOutA(dc, r.left + 2, r.top + 1, ETO_OPAQUE, &r, s.labelText.c_str(),
                static_cast<UINT>(s.labelText.size()), nullptr);
    SetBkColor(dc, oldBk);
    SetTextColor(dc, oldText);
    SelectObject(dc, oldFont);
}

void DrawFigure(HDC dc, Selection& s) {
    s.drawnFixed = s.keys.fixed;
    s.drawnMoving = s.keys.moving;
    XorLines(dc, s, s.drawnFixed, s.drawnMoving);
    s.figureDrawn = true;
    if (!s.keys.secondPhase || !s.keys.showSize) return;
    s.labelText = SizeLabelText(s.keys.fixed, s.keys.moving);
    HGDIOBJ oldFont = SelectObject(dc, s.font);
    SIZE ext = {};
    GetTextExtentPoint32A(dc, s.labelText.c_str(), static_cast<int>(s.labelText.size()), &ext);
    SelectObject(dc, oldFont);
    int w = ext.cx + 4, h = ext.cy + 2;
    SelPoint at = PlaceSizeLabel(s.keys.fixed, s.keys.moving, w, h, s.width, s.height);
    RECT r = {at.x, at.y, at.x + w, at.y + h};
    s.label.Save(dc, r);
    DrawLabelText(dc, s);
}

void EraseFigure(HDC dc, Selection& s) {
    if (!s.figureDrawn) return;
    s.label.Restore(dc);
    XorLines(dc, s, s.drawnFixed, s.drawnMoving);
    s.figureDrawn = false;
}

// ---- the help panel ----

int ActivePanelMode() { return g_settings.hideRegionHelp ? 0 : g_helpMode & 3; }

void DrawPanelContents(HDC dc, const Selection& s) {
    const RECT& at = s.panel.r;
    int w = at.right - at.left, h = at.bottom - at.top;
    HelpPanelLayout layout = LayOutHelpPanel(s.panelMode, s.keys.secondPhase, s.letterWidth, s.lineHeight);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bm = CreateCompatibleBitmap(dc, w, h);
    if (!mem || !bm) {
        if (bm) DeleteObject(bm);
        if (mem) DeleteDC(mem);
        return;
    }
    HGDIOBJ oldBm = SelectObject(mem, bm);
    RECT all = {0, 0, w, h};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT frame = {2, 2, w - 2, h - 2};
    FrameRect(mem, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (layout.textLines) {
        HGDIOBJ oldFont = SelectObject(mem, s.font);
        SetBkMode(mem, TRANSPARENT);
        SetTextColor(mem, RGB(0, 0, 0));
        int lines[14];
        int n = 0;
        for (int id = IDS_REGION_HELP_FIRST; id <= IDS_REGION_HELP_LAST; ++id) lines[n++] = id;
        if (s.keys.secondPhase) {
            lines[n++] = 0;
            lines[n++] = IDS_REGION_HELP2_FIRST;
            lines[n++] = IDS_REGION_HELP2_SECOND;
            lines[n++] = IDS_REGION_HELP2_THIRD;
        }
        int y = s.lineHeight / 2;
        for (int i = 0; i < n; ++i, y += s.lineHeight) {
            if (!lines[i]) continue;
            std::string text = klib::LoadResString(lines[i]);
            TextOutA(mem, s.letterWidth, y, text.c_str(), static_cast<int>(text.size()));
        }
        SelectObject(mem, oldFont);
    }
    if (layout.magnifier.Width() > 0) {
        const SelRect& m = layout.magnifier;
        RECT mr = {m.left, m.top, m.right, m.bottom};
        FillRect(mem, &mr, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        // The square around the moving point, as much of it as lies on the
        // screen, from the picture under the overlay.
        SelRect src = MagnifiedSource(s.keys.moving);
        SelRect on = src;
        on.left = std::max(on.left, 0);
        on.top = std::max(on.top, 0);
        on.right = std::min(on.right, s.width);
        on.bottom = std::min(on.bottom, s.height);
        HDC bg = klib::DragBackgroundDC(s.overlay);
        int scale = m.Width() / kMagnifiedSquare;
        if (bg && on.Width() > 0 && on.Height() > 0) {
            SetStretchBltMode(mem, COLORONCOLOR);
            StretchBlt(mem, m.left + (on.left - src.left) * scale, m.top + (on.top - src.top) * scale,
                       on.Width() * scale, on.Height() * scale, bg, on.left, on.top, on.Width(), on.Height(),
                       SRCCOPY);
        }
        // The pixel under the point, marked in the middle.
        RECT centre = {m.left + 16 * scale - 1, m.top + 16 * scale - 1, m.left + 17 * scale + 1,
                       m.top + 17 * scale + 1};
        FrameRect(mem, &centre, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (s.panelMode == 3) {
            RECT around = {mr.left - 1, mr.top - 1, mr.right + 1, mr.bottom + 1};
            FrameRect(mem, &around, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
    }
    BitBlt(dc, at.left, at.top, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBm);
    DeleteObject(bm);
    DeleteDC(mem);
}

void HidePanel(HDC dc, Selection& s) { s.panel.Restore(dc); }

void ShowPanel(HDC dc, Selection& s) {
    s.panelMode = ActivePanelMode();
    HelpPanelLayout layout = LayOutHelpPanel(s.panelMode, s.keys.secondPhase, s.letterWidth, s.lineHeight);
    if (layout.width <= 0) return;
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(s.overlay, &cursor);
    SelPoint at = PlaceHelpPanel({cursor.x, cursor.y}, layout.width, layout.height, s.width, s.height);
    RECT r = {at.x, at.y, at.x + layout.width, at.y + layout.height};
    s.panel.Save(dc, r);
    if (s.panel.shown) DrawPanelContents(dc, s);
}

// After a move: the panel moves away when the cursor came onto it; the
// magnifier follows the moving point. The figure must be erased.
void UpdatePanel(HDC dc, Selection& s) {
    if (!s.panel.shown) {
        ShowPanel(dc, s);
        return;
    }
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(s.overlay, &cursor);
    if (PtInRect(&s.panel.r, cursor)) {
        HidePanel(dc, s);
        ShowPanel(dc, s);
    } else if (s.panelMode & kHelpMagnifier) {
        DrawPanelContents(dc, s);
    }
}

// ---- events of the overlay ----

void Redraw(Selection& s, bool panelToo) {
    HDC dc = OverlayDC(s.overlay);
    EraseFigure(dc, s);
    if (panelToo) {
        HidePanel(dc, s);
        ShowPanel(dc, s);
    } else {
        UpdatePanel(dc, s);
    }
    DrawFigure(dc, s);
    ReleaseDC(s.overlay, dc);
}

int OnPaint(klib::k_event* ev, intptr_t) {
    HWND w = klib::WindowOfObject(ev->Target());
    HDC dc = reinterpret_cast<HDC>((*ev)[klib::kWordDc]);
    if (!w || !dc) return 1;
    RECT r = {static_cast<LONG>((*ev)[klib::kWordArg]), static_cast<LONG>((*ev)[klib::kWordArg + 1]),
              static_cast<LONG>((*ev)[klib::kWordArg + 2]), static_cast<LONG>((*ev)[klib::kWordArg + 3])};
    klib::PaintDragBackground(w, dc, r);
    // What was drawn over the picture is drawn again, in the same order; the
    // saved areas under it stay as they are.
    if (g_sel && g_sel->overlay == w) {
        Selection& s = *g_sel;
        if (s.panel.shown) DrawPanelContents(dc, s);
        if (s.figureDrawn) {
            XorLines(dc, s, s.drawnFixed, s.drawnMoving);
            if (s.label.shown) DrawLabelText(dc, s);
        }
    }
    if (g_outlineShown) {
        RECT o = g_outline;
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&o), 2);
        for (const RECT& strip : {RECT{o.left, o.top, o.right, o.top + 5}, RECT{o.left, o.bottom - 5, o.right, o.bottom},
                                  RECT{o.left, o.top + 5, o.left + 5, o.bottom - 5},
                                  RECT{o.right - 5, o.top + 5, o.right, o.bottom - 5}})
            if (strip.right > strip.left && strip.bottom > strip.top)
                PatBlt(dc, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, DSTINVERT);
    }
    return 1;
}

int OnMouseMove(klib::k_event* ev, intptr_t) {
    if (!g_sel || g_sel->pick || g_sel->result) return 0;
    Selection& s = *g_sel;
    if (!s.keys.lockX) s.keys.moving.x = static_cast<int>((*ev)[klib::kWordX]);
    if (!s.keys.lockY) s.keys.moving.y = static_cast<int>((*ev)[klib::kWordY]);
    s.keys.moving.x = std::max(0, std::min(s.keys.moving.x, s.width - 1));
    s.keys.moving.y = std::max(0, std::min(s.keys.moving.y, s.height - 1));
    Redraw(s, false);
    return 1;
}

int OnButton(klib::k_event* ev, intptr_t) {
    if (!g_sel || g_sel->result) return 0;
    Selection& s = *g_sel;
    s.result = static_cast<int>((*ev)[klib::kWordButton]);
    POINT p = {static_cast<LONG>((*ev)[klib::kWordX]), static_cast<LONG>((*ev)[klib::kWordY])};
    if (s.pick) {
        ClientToScreen(s.overlay, &p);
        s.pickPoint = p;
    } else {
        if (!s.keys.lockX) s.keys.moving.x = std::max(0, std::min<int>(p.x, s.width - 1));
        if (!s.keys.lockY) s.keys.moving.y = std::max(0, std::min<int>(p.y, s.height - 1));
    }
    return 1;
}

void MovePointerTo(const Selection& s, SelPoint p) {
    POINT sp = {p.x, p.y};
    ClientToScreen(s.overlay, &sp);
    SetCursorPos(sp.x, sp.y);
}

int OnKey(klib::k_event* ev, intptr_t) {
    if (!g_sel || g_sel->pick || g_sel->result) return 0;
    Selection& s = *g_sel;
    s.keys.showSize = g_showSize;
    s.keys.helpMode = g_helpMode;
    KeyAction a = ApplySelectionKey(static_cast<int>((*ev)[klib::kWordKey]), s.width, s.height, &s.keys);
    switch (a) {
    case KeyAction::None: return 0;
    case KeyAction::Moved:
        MovePointerTo(s, s.keys.moving);
        Redraw(s, false);
        break;
    case KeyAction::Swapped:
        MovePointerTo(s, s.keys.moving);
        Redraw(s, false);
        break;
    case KeyAction::Accept: s.result = 1; break;
    case KeyAction::Cancel: s.result = kSelectionCancelled; break;
    case KeyAction::ToggleCursor:
        s.cursorVisible = !s.cursorVisible;
        ShowCursor(s.cursorVisible ? TRUE : FALSE);
        break;
    case KeyAction::ToggleLabel:
        g_showSize = s.keys.showSize;
        // Erased with the old setting, drawn with the new.
        {
            HDC dc = OverlayDC(s.overlay);
            EraseFigure(dc, s);
            DrawFigure(dc, s);
            ReleaseDC(s.overlay, dc);
        }
        break;
    case KeyAction::LockChanged: break;
    case KeyAction::NextHelpMode:
        g_helpMode = s.keys.helpMode;
        Redraw(s, true);
        break;
    }
    return 1;
}

// ---- the phases and the wait ----

struct Running {
    explicit Running(Selection& s) {
        g_running = true;
        g_sel = &s;
    }
    ~Running() {
        g_sel = nullptr;
        g_running = false;
    }
};

void WaitForResult(Selection& s) {
    while (!s.result && !klib::QuitRequested()) klib::PumpOneMessage(klib::kPumpWait);
}

// Phase set-up and the loop common to both phases.
int RunPhase(HWND overlay, bool second, SelPoint start, SelPoint* fixedOut, SelPoint* movingOut) {
    if (g_running || !overlay || !IsWindow(overlay)) return 0;
    Selection s;
    s.overlay = overlay;
    s.obj = klib::ObjectOfWindow(overlay);
    if (!s.obj) return 0;
    Running running(s);
    RECT client;
    GetClientRect(overlay, &client);
    s.width = client.right;
    s.height = client.bottom;
    s.keys.secondPhase = second;
    s.keys.showSize = g_showSize;
    s.keys.helpMode = g_helpMode;
    if (second) {
        s.keys.fixed = s.keys.moving = start;
    } else {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(overlay, &p);
        s.keys.moving = {std::max(0, std::min<int>(p.x, s.width - 1)), std::max(0, std::min<int>(p.y, s.height - 1))};
    }
    MeasureFont(s);

    klib::k_object* focusBefore = klib::FocusObject();
    SetForegroundWindow(overlay);
    SetFocus(overlay);
    klib::SetFocusObject(s.obj);
    if (GetCapture() != overlay) SetCapture(overlay);
    // Esc also as a hotkey, in case the keys go elsewhere.
    bool escHotkey = RegisterHotKey(overlay, 27, 0, VK_ESCAPE) != 0;
    s.obj->AddHandler(OnMouseMove, klib::kEvMouseMove);
    s.obj->AddHandler(OnButton, klib::kEvButtonDown);
    s.obj->AddHandler(OnKey, klib::kEvKeyDown);

    {
        HDC dc = OverlayDC(overlay);
        ShowPanel(dc, s);
        DrawFigure(dc, s);
        ReleaseDC(overlay, dc);
    }
    WaitForResult(s);

    s.obj->RemoveHandlers(klib::kEvMouseMove | klib::kEvButtonDown | klib::kEvKeyDown);
    if (escHotkey) UnregisterHotKey(overlay, 27);
    {
        HDC dc = OverlayDC(overlay);
        EraseFigure(dc, s);
        HidePanel(dc, s);
        ReleaseDC(overlay, dc);
    }
    klib::FlushDragWindow();
    klib::SetFocusObject(focusBefore);
    if (!s.cursorVisible) ShowCursor(TRUE);
    *movingOut = s.keys.moving;
    if (fixedOut) *fixedOut = s.keys.fixed;
    return s.result;
}

}  // namespace

HWND CreateSelectionOverlay() {
    DestroySelectionOverlay();
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    g_overlayObject = std::make_unique<klib::k_object>("drag_window");
    g_overlayObject->AddHandler(OnPaint, klib::kEvPaint);
    g_overlay = klib::CreateDragWindow(g_overlayObject.get(), screen);
    if (!g_overlay) g_overlayObject.reset();
    return g_overlay;
}

HWND SelectionOverlay() { return g_overlay && IsWindow(g_overlay) ? g_overlay : nullptr; }
klib::k_object* SelectionOverlayObject() { return g_overlayObject.get(); }

void DestroySelectionOverlay() {
    if (g_overlay) {
        if (GetCapture() == g_overlay) ReleaseCapture();
        if (IsWindow(g_overlay)) DestroyWindow(g_overlay);
    }
    g_overlay = nullptr;
    g_outlineShown = false;
    g_overlayObject.reset();
}

int SelectFirstCorner(HWND overlay, POINT* corner) {
    SelPoint moving;
    int result = RunPhase(overlay, false, {}, nullptr, &moving);
    if (result) *corner = {moving.x, moving.y};
    return result;
}

int SelectSecondCorner(HWND overlay, POINT* first, POINT* second) {
    SelPoint fixed, moving;
    int result = RunPhase(overlay, true, {first->x, first->y}, &fixed, &moving);
    if (result) {
        *first = {fixed.x, fixed.y};
        *second = {moving.x, moving.y};
    }
    return result;
}

int PickWait(HWND overlay, POINT* point, HWND* under, bool noSpace) {
    if (g_running || !overlay || !IsWindow(overlay)) return 0;
    klib::k_object* obj = klib::ObjectOfWindow(overlay);
    if (!obj) return 0;
    Selection s;
    s.overlay = overlay;
    s.obj = obj;
    s.pick = true;
    Running running(s);
    bool esc = RegisterHotKey(overlay, 27, 0, VK_ESCAPE) != 0;
    bool space = !noSpace && RegisterHotKey(overlay, 32, 0, VK_SPACE) != 0;
    obj->AddHandler(OnButton, klib::kEvButtonDown | klib::kEvDoubleClick);
    WaitForResult(s);
    obj->RemoveHandlers(klib::kEvButtonDown | klib::kEvDoubleClick);
    if (esc) UnregisterHotKey(overlay, 27);
    if (space) UnregisterHotKey(overlay, 32);
    if (s.result) {
        *point = s.pickPoint;
        if (under) *under = WindowUnderOverlay(overlay, s.pickPoint);
    }
    return s.result;
}

void SelectionHotkey(unsigned id) {
    if (!g_sel || g_sel->result) return;
    if (id == 27) {
        g_sel->result = kSelectionCancelled;
    } else if (id == 32 && g_sel->pick) {
        GetCursorPos(&g_sel->pickPoint);
        g_sel->result = 1;
    }
}

bool SelectionRunning() { return g_running; }

bool SizeLabelShown(std::string* text, RECT* where) {
    if (!g_sel || g_sel->pick || !g_sel->label.shown) return false;
    if (text) *text = g_sel->labelText;
    if (where) *where = g_sel->label.r;
    return true;
}

bool HelpPanelShown(RECT* where) {
    if (!g_sel || g_sel->pick || !g_sel->panel.shown) return false;
    if (where) *where = g_sel->panel.r;
    return true;
}

HWND WindowUnderOverlay(HWND overlay, POINT p) {
    // The overlay is passed over for the lookup: it answers the hit test as
    // transparent meanwhile. (Disabling it instead does not work everywhere:
    // the lookup may stop at a disabled window and return it.)
    if (overlay) klib::SetLookThrough(overlay, true);
    HWND w = WindowFromPoint(p);
    if (overlay) klib::SetLookThrough(overlay, false);
    if (w == overlay) return nullptr;
    return w;
}

void InvertOutline(HWND overlay, const RECT& r) {
    if (!overlay) return;
    RECT o = r;
    MapWindowPoints(nullptr, overlay, reinterpret_cast<POINT*>(&o), 2);
    HDC dc = GetDC(overlay);
    for (const RECT& strip : {RECT{o.left, o.top, o.right, o.top + 5}, RECT{o.left, o.bottom - 5, o.right, o.bottom},
                              RECT{o.left, o.top + 5, o.left + 5, o.bottom - 5},
                              RECT{o.right - 5, o.top + 5, o.right, o.bottom - 5}})
        if (strip.right > strip.left && strip.bottom > strip.top)
            PatBlt(dc, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, DSTINVERT);
    ReleaseDC(overlay, dc);
}

void SetOutlineShown(const RECT* r) {
    g_outlineShown = r != nullptr;
    if (r) g_outline = *r;
}

}  // namespace gmbx
