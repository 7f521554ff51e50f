// Library windows: binding to objects and the window procedure.
#include "klib/win/window.h"

#include <windowsx.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "klib/command.h"
#include "klib/keycode.h"
#include "klib/win/frame.h"
#include "klib/win/systemlibs.h"

namespace klib {

namespace {

struct WindowRecord {
    k_object* obj = nullptr;
    unsigned flags = 0;
    HCURSOR cursor = nullptr;
};

std::unordered_map<HWND, WindowRecord> g_windows;
std::vector<WNDPROC> g_procedures;   // procedures derived from the library's
k_object* g_focus = nullptr;

// The binding that CreateLibraryWindow hands to WM_NCCREATE; the address is
// passed as the creation parameter, so that the procedure recognises it
// without reading parameters of windows others create.
struct Creation {
    k_object* obj;
    unsigned flags;
} g_creation;

void ObjectGone(k_object* obj) {
    for (auto& w : g_windows)
        if (w.second.obj == obj) w.second.obj = nullptr;
    if (g_focus == obj) g_focus = nullptr;
}

void WatchObjects() { AddObjectGoneHook(ObjectGone); }

WindowRecord* RecordOf(HWND window) {
    auto it = g_windows.find(window);
    return it == g_windows.end() ? nullptr : &it->second;
}

LRESULT DefaultProcedure(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (IsLibraryDialogWindow(w)) return DefDlgProcA(w, msg, wp, lp);
    return DefWindowProcA(w, msg, wp, lp);
}

int ModifiersOfMouse(WPARAM wp) {
    int m = 0;
    if (wp & MK_LBUTTON) m |= kEvModLeft;
    if (wp & MK_RBUTTON) m |= kEvModRight;
    if (wp & MK_MBUTTON) m |= kEvModMiddle;
    if (wp & MK_SHIFT) m |= kEvModShift;
    if (wp & MK_CONTROL) m |= kEvModCtrl;
    if (GetKeyState(VK_MENU) < 0) m |= kEvModAlt;
    return m;
}

int KeyDataAlt(LPARAM lp) { return (lp & (1 << 29)) ? kEvModAlt : 0; }

// Events of pointer messages: position, time, modifiers.
k_event PointerEvent(uint32_t code, k_object* obj, LPARAM lp, WPARAM wp) {
    k_event ev(code, obj);
    ev[kWordX] = GET_X_LPARAM(lp);
    ev[kWordY] = GET_Y_LPARAM(lp);
    ev[kWordTime] = static_cast<intptr_t>(GetMessageTime());
    ev[kWordModifiers] = ModifiersOfMouse(wp);
    return ev;
}

// Button messages: event code and button, or code 0.
struct ButtonMessage {
    uint32_t code;
    int button;
};

ButtonMessage ButtonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN: return {kEvButtonDown, kButtonLeft};
    case WM_RBUTTONDOWN: return {kEvButtonDown, kButtonRight};
    case WM_MBUTTONDOWN: return {kEvButtonDown, kButtonMiddle};
    case WM_LBUTTONUP: return {kEvButtonUp, kButtonLeft};
    case WM_RBUTTONUP: return {kEvButtonUp, kButtonRight};
    case WM_MBUTTONUP: return {kEvButtonUp, kButtonMiddle};
    case WM_LBUTTONDBLCLK: return {kEvDoubleClick, kButtonLeft};
    case WM_RBUTTONDBLCLK: return {kEvDoubleClick, kButtonRight};
    case WM_MBUTTONDBLCLK: return {kEvDoubleClick, kButtonMiddle};
    case WM_NCLBUTTONDOWN: return {kEvFrameButton, kButtonLeft};
    case WM_NCRBUTTONDOWN: return {kEvFrameButton, kButtonRight};
    case WM_NCMBUTTONDOWN: return {kEvFrameButton, kButtonMiddle};
    }
    return {0, 0};
}

// The object of the window's parent, if the window is a child of a library
// window.
k_object* ParentObject(HWND w) {
    if (!(GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD)) return nullptr;
    return ObjectOfWindow(GetParent(w));
}

// A scroll message as a scroll event; false for the end-of-scroll notice.
bool ScrollEvent(HWND w, UINT msg, WPARAM wp, LPARAM lp, k_event* ev) {
    int bar = msg == WM_HSCROLL ? kScrollHorizontal : kScrollVertical;
    int kind = 0, direction = 0, released = 0;
    switch (LOWORD(wp)) {
    case SB_LINEUP: kind = kScrollLine; direction = -1; break;
    case SB_LINEDOWN: kind = kScrollLine; direction = 1; break;
    case SB_PAGEUP: kind = kScrollPage; direction = -1; break;
    case SB_PAGEDOWN: kind = kScrollPage; direction = 1; break;
    case SB_THUMBPOSITION: kind = kScrollThumb; released = 1; break;
    case SB_THUMBTRACK: kind = kScrollThumb; break;
    case SB_TOP: kind = kScrollToEnd; direction = -1; break;
    case SB_BOTTOM: kind = kScrollToEnd; direction = 1; break;
    default: return false;
    }
    // The position is read against the bar's range: 0 at its start.
    HWND control = reinterpret_cast<HWND>(lp);
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    int position = HIWORD(wp);
    if (GetScrollInfo(control ? control : w, control ? SB_CTL : (bar == kScrollHorizontal ? SB_HORZ : SB_VERT),
                      &si))
        position = (kind == kScrollThumb ? si.nTrackPos : si.nPos) - si.nMin;
    (*ev)[kWordArg] = bar;
    (*ev)[kWordArg + 1] = kind;
    (*ev)[kWordArg + 2] = direction;
    (*ev)[kWordArg + 3] = position;
    (*ev)[kWordArg + 4] = released;
    return true;
}

// Dispatches and tells whether somebody took the event.
bool DispatchTaken(const k_event& ev) {
    bool handled = false;
    Dispatch(ev, &handled);
    return handled;
}

bool IsLibraryProcedure(WNDPROC procedure) {
    return procedure == LibraryWindowProcedure ||
           std::find(g_procedures.begin(), g_procedures.end(), procedure) != g_procedures.end();
}

// Library classes may have procedures of their own that hand every message
// they do not answer on to LibraryWindowProcedure.
void AddLibraryProcedure(WNDPROC procedure) {
    if (!IsLibraryProcedure(procedure)) g_procedures.push_back(procedure);
}

}  // namespace

LRESULT CALLBACK LibraryWindowProcedure(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        if (cs->lpCreateParams == &g_creation) AttachWindow(w, g_creation.obj, g_creation.flags);
    }
    if (msg == WM_NCDESTROY) {
        LRESULT r = DefaultProcedure(w, msg, wp, lp);
        g_windows.erase(w);
        return r;
    }
    k_object* obj = ObjectOfWindow(w);
    if (!obj) return DefaultProcedure(w, msg, wp, lp);

    switch (msg) {
    case WM_MOVE:
    case WM_SIZE: {
        k_event ev(msg == WM_MOVE ? kEvMoved : kEvResize, obj);
        if (msg == WM_MOVE) {
            ev[kWordX] = GET_X_LPARAM(lp);
            ev[kWordY] = GET_Y_LPARAM(lp);
        } else {
            ev[kWordX] = LOWORD(lp);
            ev[kWordY] = HIWORD(lp);
            ev[kWordArg + 2] = wp == SIZE_MINIMIZED ? kSizeMinimised : wp == SIZE_MAXIMIZED ? kSizeMaximised
                                                                                            : kSizeNormal;
        }
        obj->DefaultEvent(&ev);
        if (ObjectOfWindow(w) == obj) Dispatch(ev);  // unless the default operation let it go
        break;
    }
    case WM_ACTIVATE: {
        k_event ev(kEvActivate, obj);
        ev[kWordArg] = LOWORD(wp) != WA_INACTIVE;
        ev[kWordTime] = static_cast<intptr_t>(GetMessageTime());
        Dispatch(ev);
        break;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT client;
        GetClientRect(w, &client);
        k_event ev(kEvPaint, obj);
        ev[kWordArg] = ps.rcPaint.left;
        ev[kWordArg + 1] = ps.rcPaint.top;
        ev[kWordArg + 2] = ps.rcPaint.right;
        ev[kWordArg + 3] = ps.rcPaint.bottom;
        ev[kWordWhole] = EqualRect(&ps.rcPaint, &client) ? 1 : 0;
        ev[kWordDc] = reinterpret_cast<intptr_t>(dc);
        Dispatch(ev);
        EndPaint(w, &ps);
        return 0;
    }
    case WM_CLOSE:
        if (!ParentObject(w)) Dispatch(k_event(kEvClose, obj));
        return 0;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_CLOSE) {
            Dispatch(k_event(kEvClose, obj));
            return 0;
        }
        break;
    case WM_QUIT:
        Dispatch(k_event(kEvQuit, nullptr));
        return 0;
    case WM_MOUSEMOVE: {
        WindowRecord* rec = RecordOf(w);
        HCURSOR cursor = rec && rec->cursor ? rec->cursor
                                            : reinterpret_cast<HCURSOR>(GetClassLongPtrA(w, GCLP_HCURSOR));
        if (cursor) SetCursor(cursor);
        Dispatch(PointerEvent(kEvMouseMove, obj, lp, wp));
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        ButtonMessage b = ButtonOf(msg);
        k_event ev = PointerEvent(b.code, obj, lp, wp);
        ev[kWordButton] = b.button;
        if (b.code != kEvButtonDown || obj->AcceptsPress(ev)) Dispatch(ev);
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN: {
        ButtonMessage b = ButtonOf(msg);
        k_event ev(kEvFrameButton, obj);
        ev[kWordX] = GET_X_LPARAM(lp);
        ev[kWordY] = GET_Y_LPARAM(lp);
        ev[kWordTime] = static_cast<intptr_t>(GetMessageTime());
        ev[kWordModifiers] = ModifierState();
        ev[kWordButton] = b.button;
        ev[kWordHitTest] = static_cast<intptr_t>(wp);
        if (obj->AcceptsPress(ev) && DispatchTaken(ev)) return 0;
        break;
    }
    case WM_SETFOCUS:
        g_focus = obj;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        k_object* target = g_focus ? g_focus : obj;
        k_event ev(msg == WM_KEYDOWN ? kEvKeyDown : kEvKeyUp, target);
        ev[kWordKey] = KeyMessageCode(wp, lp);
        ev[kWordTime] = static_cast<intptr_t>(GetMessageTime());
        ev[kWordModifiers] = ModifierState() | KeyDataAlt(lp);
        Dispatch(ev);
        break;
    }
    case WM_SYSCHAR: {
        k_event ev(kEvSysChar, obj);
        int mods = ModifierState() | KeyDataAlt(lp);
        int code = static_cast<int>(wp & 0xFFFF);
        if (mods & kEvModShift) code |= kKeyShift;
        if (mods & kEvModCtrl) code |= kKeyCtrl;
        if (mods & kEvModAlt) code |= kKeyAlt;
        ev[kWordKey] = code;
        ev[kWordTime] = static_cast<intptr_t>(GetMessageTime());
        ev[kWordModifiers] = mods;
        if (DispatchTaken(ev)) return 0;
        break;
    }
    case WM_COMMAND: {
        HWND control = reinterpret_cast<HWND>(lp);
        if (!control) {
            // Menu item or accelerator: the command of that id. Menu ids are
            // 16 bits: the upper half of them also stands for the negative
            // (automatic) command ids.
            int id = LOWORD(wp);
            k_command* cmd = FindCommandById(id);
            if (!cmd && id > 0x7FFF) cmd = FindCommandById(id - 0x10000);
            if (cmd && cmd->Enabled()) {
                cmd->Invoke();
                return 0;
            }
        } else if (k_object* ctl = ObjectOfWindow(control)) {
            k_event ev(kEvCommand, ctl);
            ev[kWordId] = LOWORD(wp);
            ev[kWordArg + 1] = HIWORD(wp);
            Dispatch(ev);
            return 0;
        }
        break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        k_event ev(kEvScroll, obj);
        if (ScrollEvent(w, msg, wp, lp, &ev)) Dispatch(ev);
        return 0;
    }
    case WM_DROPFILES: {
        k_event ev(kEvFilesDropped, obj);
        ev[kWordArg] = static_cast<intptr_t>(wp);
        Dispatch(ev);
        FinishDrop(reinterpret_cast<HDROP>(wp));
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    }
    return DefaultProcedure(w, msg, wp, lp);
}

bool RegisterLibraryWindowClass(const char* className, HICON icon, WNDPROC procedure, bool background) {
    AddLibraryProcedure(procedure);
    HINSTANCE inst = Instance();
    WNDCLASSA existing = {};
    if (GetClassInfoA(inst, className, &existing)) return IsLibraryProcedure(existing.lpfnWndProc);
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_OWNDC | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = DLGWINDOWEXTRA > 38 ? DLGWINDOWEXTRA : 38;
    wc.hInstance = inst;
    wc.hIcon = icon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    if (background) wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc)) return false;
    return true;
}

HWND CreateLibraryWindow(const char* className, k_object* obj, const char* title, DWORD style, DWORD exStyle,
                         int x, int y, int width, int height, HWND parent, HMENU menuOrId, unsigned flags) {
    if (!RegisterLibraryWindowClass(className)) return nullptr;
    Creation saved = g_creation;  // a window created while another is being created
    g_creation = {obj, flags};
    HWND w = CreateWindowExA(exStyle, className, title ? title : "", style, x, y, width, height, parent, menuOrId,
                             Instance(), &g_creation);
    g_creation = saved;
    return w;
}

void AttachWindow(HWND window, k_object* obj, unsigned flags) {
    if (!window) return;
    WatchObjects();
    WindowRecord& rec = g_windows[window];
    rec.obj = obj;
    rec.flags = flags;
}


k_object* ObjectOfWindow(HWND window) {
    WindowRecord* rec = window ? RecordOf(window) : nullptr;
    return rec ? rec->obj : nullptr;
}

HWND WindowOfObject(const k_object* obj) {
    if (!obj) return nullptr;
    for (const auto& w : g_windows)
        if (w.second.obj == obj) return w.first;
    return nullptr;
}

bool IsLibraryWindow(HWND window) { return ObjectOfWindow(window) != nullptr; }

bool IsLibraryDialogWindow(HWND window) {
    WindowRecord* rec = window ? RecordOf(window) : nullptr;
    return rec && (rec->flags & kLibraryDialog);
}

void SetFocusObject(k_object* obj) {
    WatchObjects();
    g_focus = obj;
}

k_object* FocusObject() { return g_focus; }

void SetWindowCursor(HWND window, HCURSOR cursor) {
    if (WindowRecord* rec = RecordOf(window)) rec->cursor = cursor;
}

int ModifierState() {
    int m = 0;
    if (GetKeyState(VK_SHIFT) < 0) m |= kEvModShift;
    if (GetKeyState(VK_CONTROL) < 0) m |= kEvModCtrl;
    if (GetKeyState(VK_MENU) < 0) m |= kEvModAlt;
    if (GetKeyState(VK_LBUTTON) < 0) m |= kEvModLeft;
    if (GetKeyState(VK_RBUTTON) < 0) m |= kEvModRight;
    if (GetKeyState(VK_MBUTTON) < 0) m |= kEvModMiddle;
    return m;
}

int KeyMessageCode(WPARAM virtualKey, LPARAM keyData) {
    return LibraryKeyCode(static_cast<unsigned>(virtualKey), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                          (keyData & (1 << 29)) != 0);
}

}  // namespace klib
