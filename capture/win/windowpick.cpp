#include "capture/win/windowpick.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "capture/regionselect.h"
#include "capture/settings.h"
#include "capture/win/selection.h"
#include "klib/win/window.h"

namespace gmbx {

namespace {

constexpr UINT_PTR kBlinkTimer = 0x4B42;

HWND g_scrollTarget = nullptr;
POINT g_scrollClick = {-1, -1};  // for windows that draw their own scroll bar

// The highlight, when there is one.
RECT g_highlight = {};
bool g_have = false;
bool g_drawn = false;  // the outline is on the screen
HWND g_blinkOverlay = nullptr;

// Windows that did not answer a hit test during this pick: each is waited
// for once, so that a busy program under the pointer cannot make every
// move of the pick wait again.
std::vector<HWND> g_silent;

void CALLBACK BlinkTick(HWND w, UINT, UINT_PTR id, DWORD) {
    if (!g_have || !g_blinkOverlay) return;
    InvertOutline(g_blinkOverlay, g_highlight);
    g_drawn = !g_drawn;
    SetOutlineShown(g_drawn ? &g_highlight : nullptr);
    SetTimer(w, id, 500, BlinkTick);
}

LRESULT HitTest(HWND w, POINT p) {
    // A window that does not answer is treated as its frame.
    if (std::find(g_silent.begin(), g_silent.end(), w) != g_silent.end()) return HTNOWHERE;
    DWORD_PTR code = HTNOWHERE;
    if (!SendMessageTimeoutA(w, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, 250, &code)) {
        g_silent.push_back(w);
        return HTNOWHERE;
    }
    return static_cast<LRESULT>(code);
}

bool ClassIs(HWND w, const char* name) {
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    return _stricmp(cls, name) == 0;
}

// Whether the window (client rectangle c in screen coordinates) can scroll
// further; may narrow c by a scroll bar inside it.
bool Scrollable(HWND overlay, HWND w, RECT* c) {
    const int s = GetSystemMetrics(SM_CXVSCROLL);
    const int midY = (c->top + c->bottom) / 2;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    bool read = false;
    if (HitTest(w, {c->right + s / 2, midY}) == HTVSCROLL || HitTest(w, {c->right + s / 2 - 8, midY}) == HTVSCROLL) {
        read = GetScrollInfo(w, SB_VERT, &si) != 0;
    } else if (ClassIs(w, "Internet Explorer_Server")) {
        RECT cr;
        GetClientRect(w, &cr);
        g_scrollClick = {cr.right - s / 2, cr.bottom - s / 2};
        c->right -= s + 2;
        si.nPos = 0;
        si.nMax = 2;
        si.nPage = 1;
        read = true;
    } else {
        HWND bar = WindowUnderOverlay(overlay, {c->right + s / 2, midY});
        bool inside = false;
        if (!bar || bar == w || !ClassIs(bar, "ScrollBar")) {
            bar = WindowUnderOverlay(overlay, {c->right + s / 2 - s, midY});
            inside = true;
        }
        if (bar && bar != w && ClassIs(bar, "ScrollBar")) {
            read = GetScrollInfo(bar, SB_CTL, &si) != 0;
            if (inside) c->right -= s;
        }
    }
    return read && ScrollInfoScrollable(si.nPos, si.nMax, static_cast<int>(si.nPage));
}

int OnPickMove(klib::k_event* ev, intptr_t user) {
    HWND overlay = reinterpret_cast<HWND>(user);
    POINT p = {static_cast<LONG>((*ev)[klib::kWordX]), static_cast<LONG>((*ev)[klib::kWordY])};
    ClientToScreen(overlay, &p);
    RECT candidate;
    HWND target = nullptr;
    if (!PickCandidate(overlay, p, g_settings.autoScroll != 0, &candidate, &target)) return 1;
    g_scrollTarget = target;
    HCURSOR cursor = LoadCursor(nullptr, target ? IDC_SIZENS : IDC_ARROW);
    klib::SetWindowCursor(overlay, cursor);
    SetCursor(cursor);
    BlinkHighlight(overlay, candidate);
    return 1;
}

}  // namespace

bool PickCandidate(HWND overlay, POINT p, bool autoScroll, RECT* candidate, HWND* scrollTarget) {
    *scrollTarget = nullptr;
    HWND w = WindowUnderOverlay(overlay, p);
    if (!w) return false;
    if (HitTest(w, p) == HTCLIENT) {
        RECT c;
        GetClientRect(w, &c);
        MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&c), 2);
        if (autoScroll && Scrollable(overlay, w, &c)) *scrollTarget = w;
        *candidate = c;
    } else {
        GetWindowRect(w, candidate);
    }
    return true;
}

void StartWindowPick(HWND overlay, klib::k_object* obj) {
    g_scrollTarget = nullptr;
    g_scrollClick = {-1, -1};
    obj->AddHandler(OnPickMove, klib::kEvMouseMove, reinterpret_cast<intptr_t>(overlay));
    // The window under the pointer now, before it moves.
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(overlay, &p);
    klib::k_event ev(klib::kEvMouseMove, obj);
    ev[klib::kWordX] = p.x;
    ev[klib::kWordY] = p.y;
    OnPickMove(&ev, reinterpret_cast<intptr_t>(overlay));
}

bool EndWindowPick(klib::k_object* obj, RECT* last) {
    if (obj) obj->RemoveHandlers(klib::kEvMouseMove);
    g_silent.clear();
    return StopBlinker(last);
}

HWND PickScrollTarget() { return g_scrollTarget; }
void ClearPickScrollTarget() {
    g_scrollTarget = nullptr;
    g_scrollClick = {-1, -1};
}

void BlinkHighlight(HWND overlay, const RECT& r) {
    if (g_have && EqualRect(&g_highlight, &r) && overlay == g_blinkOverlay) return;
    if (g_blinkOverlay) KillTimer(g_blinkOverlay, kBlinkTimer);
    if (g_drawn && g_blinkOverlay) InvertOutline(g_blinkOverlay, g_highlight);
    g_blinkOverlay = overlay;
    g_highlight = r;
    g_have = true;
    InvertOutline(overlay, g_highlight);
    g_drawn = true;
    SetOutlineShown(&g_highlight);
    SetTimer(overlay, kBlinkTimer, 500, BlinkTick);
}

bool StopBlinker(RECT* last) {
    if (g_blinkOverlay) {
        KillTimer(g_blinkOverlay, kBlinkTimer);
        if (g_drawn) InvertOutline(g_blinkOverlay, g_highlight);
    }
    g_drawn = false;
    SetOutlineShown(nullptr);
    g_blinkOverlay = nullptr;
    bool any = g_have;
    if (any && last) *last = g_highlight;
    g_have = false;
    return any;
}

}  // namespace gmbx
