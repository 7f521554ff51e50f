// Library windows, the message pump and the run loop of klib, under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "klib/command.h"
#include "klib/keycode.h"
#include "klib/object.h"
#include "klib/win/gdi.h"
#include "klib/win/pump.h"
#include "klib/win/window.h"

namespace klib {
namespace {

constexpr char kTestClass[] = "klib_test_window";
constexpr char kPlainClass[] = "klib_test_plain";

// An object that records the events it gets (through a handler for all
// codes) and the calls of its default operation.
class Probe : public k_object {
public:
    explicit Probe(const char* name = "probe") : k_object(name) {
        AddHandler(Record, kAllEvents, reinterpret_cast<intptr_t>(this));
    }
    int DefaultEvent(k_event* ev) override {
        defaults.push_back(ev->Code());
        order.push_back("default");
        return 0;
    }
    bool AcceptsPress(const k_event& ev) override { return acceptPress; }

    // The last event with that code, or null.
    const k_event* Last(uint32_t code) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
            if (it->Code() == code) return &*it;
        return nullptr;
    }
    int Count(uint32_t code) const {
        int n = 0;
        for (const k_event& ev : events) n += ev.Code() == code;
        return n;
    }
    void Clear() {
        events.clear();
        defaults.clear();
        order.clear();
    }

    std::vector<k_event> events;
    std::vector<uint32_t> defaults;
    std::vector<std::string> order;
    bool acceptPress = true;
    int take = 0;

private:
    static int Record(k_event* ev, intptr_t user) {
        Probe* self = reinterpret_cast<Probe*>(user);
        self->events.push_back(*ev);
        self->order.push_back("handler");
        return self->take;
    }
};

// A plain (non-library) window that counts the messages it gets.
std::vector<UINT> g_plainMessages;

LRESULT CALLBACK PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_HOTKEY || msg >= WM_USER) g_plainMessages.push_back(msg);
    return DefWindowProcA(w, msg, wp, lp);
}

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Top-level test windows are shown without activating them (and activated
// by SetActiveWindow or SetFocus where a test needs it): Wine then does not
// wait for the display when they are hidden again.
void Destroy(HWND w) {
    ShowWindow(w, SW_HIDE);
    DestroyWindow(w);
}

void SetKeyDown(int vk, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

class KlibWin : public ::testing::Test {
protected:
    void SetUp() override {
        ClearQuitRequest();
        SetApplicationObject(&app_);
        SetFocusObject(nullptr);
        SetKeyAnywhere(false);
        SetHotkeyHandler(nullptr);
        SetPendingMessageHook(nullptr);
        SetKeyDown(VK_SHIFT, false);
        SetKeyDown(VK_CONTROL, false);
        w_ = CreateLibraryWindow(kTestClass, &probe_, "klib test", WS_POPUP | WS_HSCROLL, 0, 10, 10,
                                 300, 200);
        ASSERT_NE(w_, nullptr);
        Drain();
        probe_.Clear();
        app_.Clear();
    }
    void TearDown() override {
        if (IsWindow(w_)) Destroy(w_);
        Drain();
        SetApplicationObject(nullptr);
        SetFocusObject(nullptr);
        ClearQuitRequest();
        SetKeyDown(VK_SHIFT, false);
        SetKeyDown(VK_CONTROL, false);
    }

    HWND Child(k_object* obj, int id, DWORD style = WS_CHILD | WS_VISIBLE, unsigned flags = 0) {
        return CreateLibraryWindow(kTestClass, obj, "", style, 0, 0, 0, 50, 50, w_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), flags);
    }

    Probe app_{"app"};
    Probe probe_;
    HWND w_ = nullptr;
};

// --- Library windows ------------------------------------------------------

TEST_F(KlibWin, WindowIsBoundToItsObject) {
    EXPECT_EQ(ObjectOfWindow(w_), &probe_);
    EXPECT_EQ(WindowOfObject(&probe_), w_);
    EXPECT_TRUE(IsLibraryWindow(w_));
    EXPECT_FALSE(IsLibraryDialogWindow(w_));
    EXPECT_EQ(ObjectOfWindow(nullptr), nullptr);
    EXPECT_EQ(ObjectOfWindow(GetDesktopWindow()), nullptr);
    char cls[64] = "";
    GetClassNameA(w_, cls, sizeof cls);
    EXPECT_STREQ(cls, kTestClass);
    DestroyWindow(w_);
    EXPECT_EQ(ObjectOfWindow(w_), nullptr);
    EXPECT_EQ(WindowOfObject(&probe_), nullptr);
}

TEST_F(KlibWin, ClassesOfOtherProceduresAreRefused) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kPlainClass;
    RegisterClassA(&wc);
    EXPECT_FALSE(RegisterLibraryWindowClass(kPlainClass));
    EXPECT_EQ(CreateLibraryWindow(kPlainClass, &probe_, "", WS_OVERLAPPED, 0, 0, 0, 10, 10), nullptr);
    EXPECT_TRUE(RegisterLibraryWindowClass(kTestClass));
    EXPECT_TRUE(RegisterLibraryWindowClass("ScrnCap"));
    EXPECT_TRUE(RegisterLibraryWindowClass("klib_drag_window"));
}

TEST_F(KlibWin, ObjectDestroyedBeforeItsWindow) {
    auto* obj = new Probe("short");
    HWND w = CreateLibraryWindow("klib_drag_window", obj, "", WS_POPUP, 0, 0, 0, 20, 20);
    ASSERT_EQ(ObjectOfWindow(w), obj);
    delete obj;
    EXPECT_EQ(ObjectOfWindow(w), nullptr);
    // The window goes on without an object.
    SendMessageA(w, WM_SIZE, 0, MAKELPARAM(5, 5));
    SendMessageA(w, WM_KEYDOWN, 'A', 0);
    Destroy(w);
}

TEST_F(KlibWin, MoveAndSizeGoToTheDefaultOperationFirst) {
    SendMessageA(w_, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(200, 100));
    const k_event* ev = probe_.Last(kEvResize);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ(ev->Target(), &probe_);
    EXPECT_EQ((*ev)[3], 200);
    EXPECT_EQ((*ev)[4], 100);
    EXPECT_EQ((*ev)[5], kSizeMaximised);
    ASSERT_GE(probe_.order.size(), 2u);
    EXPECT_EQ(probe_.order[0], "default");
    EXPECT_EQ(probe_.order[1], "handler");

    probe_.Clear();
    SendMessageA(w_, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    EXPECT_EQ((*probe_.Last(kEvResize))[5], kSizeMinimised);

    probe_.Clear();
    SendMessageA(w_, WM_MOVE, 0, MAKELPARAM(-5, 7));
    ev = probe_.Last(kEvMoved);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], -5);
    EXPECT_EQ((*ev)[4], 7);
    EXPECT_EQ(probe_.order.front(), "default");
}

TEST_F(KlibWin, ActivateEvent) {
    SendMessageA(w_, WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_NE(probe_.Last(kEvActivate), nullptr);
    EXPECT_EQ((*probe_.Last(kEvActivate))[3], 1);
    SendMessageA(w_, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ((*probe_.Last(kEvActivate))[3], 0);
}

TEST_F(KlibWin, CloseIsAnEventAndTheWindowStays) {
    SendMessageA(w_, WM_CLOSE, 0, 0);
    EXPECT_EQ(probe_.Count(kEvClose), 1);
    EXPECT_TRUE(IsWindow(w_));
    SendMessageA(w_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(probe_.Count(kEvClose), 2);
    EXPECT_TRUE(IsWindow(w_));

    // A child of a library window gets no close event for WM_CLOSE, but does
    // for the system-menu Close.
    Probe child("child");
    HWND c = Child(&child, 5);
    SendMessageA(c, WM_CLOSE, 0, 0);
    EXPECT_EQ(child.Count(kEvClose), 0);
    EXPECT_TRUE(IsWindow(c));
    SendMessageA(c, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(child.Count(kEvClose), 1);
}

TEST_F(KlibWin, ButtonEvents) {
    SendMessageA(w_, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20));
    const k_event* ev = probe_.Last(kEvButtonDown);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], 10);
    EXPECT_EQ((*ev)[4], 20);
    EXPECT_EQ((*ev)[6], kEvModLeft | kEvModShift);
    EXPECT_EQ((*ev)[7], kButtonLeft);

    SendMessageA(w_, WM_RBUTTONUP, MK_CONTROL, MAKELPARAM(3, 4));
    ev = probe_.Last(kEvButtonUp);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[6], kEvModCtrl);
    EXPECT_EQ((*ev)[7], kButtonRight);

    SendMessageA(w_, WM_MBUTTONDBLCLK, MK_MBUTTON, MAKELPARAM(1, 2));
    ev = probe_.Last(kEvDoubleClick);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[6], kEvModMiddle);
    EXPECT_EQ((*ev)[7], kButtonMiddle);

    // Presses the object does not accept are not dispatched; releases are.
    probe_.Clear();
    probe_.acceptPress = false;
    SendMessageA(w_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageA(w_, WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(1, 1));
    SendMessageA(w_, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(probe_.Count(kEvButtonDown), 0);
    EXPECT_EQ(probe_.Count(kEvFrameButton), 0);
    EXPECT_EQ(probe_.Count(kEvButtonUp), 1);
}

TEST_F(KlibWin, FrameButtonAndPointerMove) {
    SendMessageA(w_, WM_NCRBUTTONDOWN, HTNOWHERE, MAKELPARAM(40, 50));
    const k_event* ev = probe_.Last(kEvFrameButton);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], 40);
    EXPECT_EQ((*ev)[4], 50);
    EXPECT_EQ((*ev)[7], kButtonRight);
    EXPECT_EQ((*ev)[8], HTNOWHERE);

    SendMessageA(w_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-2, 30));
    ev = probe_.Last(kEvMouseMove);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], -2);
    EXPECT_EQ((*ev)[4], 30);
    EXPECT_EQ((*ev)[6] & kEvModLeft, kEvModLeft);

    // The window's own cursor is set on every move.
    HCURSOR cross = LoadCursor(nullptr, IDC_CROSS);
    SetWindowCursor(w_, cross);
    SendMessageA(w_, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(GetCursor(), cross);
    SetWindowCursor(w_, nullptr);
    SendMessageA(w_, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}

TEST_F(KlibWin, KeysGoToTheFocusObject) {
    SendMessageA(w_, WM_KEYDOWN, 'A', 0);
    const k_event* ev = probe_.Last(kEvKeyDown);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], 'a');
    EXPECT_EQ(ev->Target(), &probe_);

    SetKeyDown(VK_CONTROL, true);
    SendMessageA(w_, WM_KEYUP, VK_F5, 0);
    SetKeyDown(VK_CONTROL, false);
    ev = probe_.Last(kEvKeyUp);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], 0x50000 | kKeyCtrl);
    EXPECT_EQ((*ev)[6] & kEvModCtrl, kEvModCtrl);

    Probe focus("focus");
    SetFocusObject(&focus);
    SendMessageA(w_, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_NE(focus.Last(kEvKeyDown), nullptr);
    EXPECT_EQ((*focus.Last(kEvKeyDown))[3], 13);
    EXPECT_EQ(focus.Last(kEvKeyDown)->Target(), &focus);
}

TEST_F(KlibWin, FocusObjectGoneFallsBackToTheWindow) {
    auto* focus = new Probe("focus");
    SetFocusObject(focus);
    delete focus;
    EXPECT_EQ(FocusObject(), nullptr);
    SendMessageA(w_, WM_KEYDOWN, 'B', 0);
    EXPECT_EQ(probe_.Count(kEvKeyDown), 1);
}

TEST_F(KlibWin, SystemCharacter) {
    SendMessageA(w_, WM_SYSCHAR, 'x', 1 << 29);
    const k_event* ev = probe_.Last(kEvSysChar);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], 'x' | kKeyAlt);
    EXPECT_EQ((*ev)[6] & kEvModAlt, kEvModAlt);
}

TEST_F(KlibWin, ScrollEvents) {
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 10, 110, 11, 30, 0};
    SetScrollInfo(w_, SB_HORZ, &si, FALSE);
    SendMessageA(w_, WM_HSCROLL, SB_LINEDOWN, 0);
    const k_event* ev = probe_.Last(kEvScroll);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], kScrollHorizontal);
    EXPECT_EQ((*ev)[4], kScrollLine);
    EXPECT_EQ((*ev)[5], 1);
    EXPECT_EQ((*ev)[6], 20);  // against the range: 30 - 10

    SendMessageA(w_, WM_HSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ((*probe_.Last(kEvScroll))[4], kScrollPage);
    EXPECT_EQ((*probe_.Last(kEvScroll))[5], -1);

    SendMessageA(w_, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ((*probe_.Last(kEvScroll))[3], kScrollVertical);
    EXPECT_EQ((*probe_.Last(kEvScroll))[4], kScrollToEnd);
    EXPECT_EQ((*probe_.Last(kEvScroll))[5], 1);

    SendMessageA(w_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
    ev = probe_.Last(kEvScroll);
    EXPECT_EQ((*ev)[4], kScrollThumb);
    EXPECT_EQ((*ev)[5], 0);
    EXPECT_EQ((*ev)[6], 20);
    EXPECT_EQ((*ev)[7], 1);

    int before = probe_.Count(kEvScroll);
    SendMessageA(w_, WM_HSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(probe_.Count(kEvScroll), before);
}

TEST_F(KlibWin, DroppedFiles) {
    const char name[] = "c:\\shot.bmp\0";
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + sizeof name + 1);
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), name, sizeof name);
    GlobalUnlock(mem);
    SendMessageA(w_, WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);
    const k_event* ev = probe_.Last(kEvFilesDropped);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], reinterpret_cast<intptr_t>(mem));
}

// Paint handlers get a device context to paint into.
bool g_paintDcUsable = false;
int PaintSomething(k_event* ev, intptr_t) {
    HDC dc = reinterpret_cast<HDC>((*ev)[kWordDc]);
    g_paintDcUsable = dc && GetDeviceCaps(dc, HORZRES) > 0;
    return 0;
}

TEST_F(KlibWin, PaintCarriesTheUpdateRectangle) {
    ShowWindow(w_, SW_SHOWNOACTIVATE);
    Drain();
    probe_.AddHandler(PaintSomething, kEvPaint, 0);
    probe_.Clear();
    g_paintDcUsable = false;
    RECT part = {5, 6, 25, 26};
    InvalidateRect(w_, &part, TRUE);
    UpdateWindow(w_);
    const k_event* ev = probe_.Last(kEvPaint);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ((*ev)[3], 5);
    EXPECT_EQ((*ev)[4], 6);
    EXPECT_EQ((*ev)[5], 25);
    EXPECT_EQ((*ev)[6], 26);
    EXPECT_EQ((*ev)[7], 0);
    EXPECT_NE((*ev)[8], 0);
    EXPECT_TRUE(g_paintDcUsable);
    InvalidateRect(w_, nullptr, TRUE);
    UpdateWindow(w_);
    EXPECT_EQ((*probe_.Last(kEvPaint))[7], 1);
    EXPECT_EQ(probe_.Count(kEvPaint), 2);
    EXPECT_EQ(GetUpdateRect(w_, nullptr, FALSE), FALSE);

    EXPECT_EQ(SendMessageA(w_, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(SendMessageA(w_, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
}

int g_menuCommands = 0;
int CountCommand(k_event* ev, intptr_t) {
    ++g_menuCommands;
    return 1;
}

TEST_F(KlibWin, MenuCommandsAndControlNotifications) {
    g_menuCommands = 0;
    k_command cmd("snap_desktop", 4101, CountCommand);
    SendMessageA(w_, WM_COMMAND, MAKEWPARAM(4101, 0), 0);
    EXPECT_EQ(g_menuCommands, 1);
    cmd.Enable(false);
    SendMessageA(w_, WM_COMMAND, MAKEWPARAM(4101, 0), 0);
    EXPECT_EQ(g_menuCommands, 1);
    // Menu ids are 16 bits: 0xFFFB is the command -5.
    k_command negative("negative", -5, CountCommand);
    SendMessageA(w_, WM_COMMAND, MAKEWPARAM(0xFFFB, 0), 0);
    EXPECT_EQ(g_menuCommands, 2);

    Probe control("control");
    HWND c = Child(&control, 77);
    SendMessageA(w_, WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), reinterpret_cast<LPARAM>(c));
    const k_event* ev = control.Last(kEvCommand);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ(ev->Target(), &control);
    EXPECT_EQ((*ev)[3], 77);
    EXPECT_EQ((*ev)[4], BN_CLICKED);
}

TEST_F(KlibWin, DisabledWindowObjectGetsOnlyPaintAndResize) {
    ShowWindow(w_, SW_SHOWNOACTIVATE);
    Drain();
    probe_.Clear();
    probe_.Enable(false);
    SendMessageA(w_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(w_, WM_KEYDOWN, 'A', 0);
    SendMessageA(w_, WM_MOUSEMOVE, 0, 0);
    SendMessageA(w_, WM_CLOSE, 0, 0);
    SendMessageA(w_, WM_MOVE, 0, MAKELPARAM(1, 1));
    SendMessageA(w_, WM_SIZE, 0, MAKELPARAM(100, 90));
    InvalidateRect(w_, nullptr, TRUE);
    UpdateWindow(w_);
    std::vector<uint32_t> codes;
    for (const k_event& ev : probe_.events) codes.push_back(ev.Code());
    EXPECT_EQ(codes, (std::vector<uint32_t>{kEvResize, kEvPaint}));
    EXPECT_EQ(app_.Count(kEvButtonDown), 0);
    probe_.Enable(true);
}

// Nesting: a key handler that sends another message to the window.
int g_depths[2];
int NestingKey(k_event* ev, intptr_t user) {
    g_depths[0] = DispatchDepth();
    SendMessageA(reinterpret_cast<HWND>(user), WM_SIZE, 0, MAKELPARAM(9, 9));
    return 1;
}
int NestingSize(k_event*, intptr_t) {
    g_depths[1] = DispatchDepth();
    return 1;
}

TEST_F(KlibWin, NestedDispatchIsCounted) {
    Probe nest("nest");
    nest.AddHandler(NestingKey, kEvKeyDown, 0);
    HWND w = CreateLibraryWindow(kTestClass, &nest, "", WS_POPUP, 0, 0, 0, 10, 10);
    nest.RemoveHandlers(kAllEvents);
    nest.AddHandler(NestingKey, kEvKeyDown, reinterpret_cast<intptr_t>(w));
    nest.AddHandler(NestingSize, kEvResize, 0);
    g_depths[0] = g_depths[1] = -1;
    SendMessageA(w, WM_KEYDOWN, 'K', 0);
    EXPECT_EQ(g_depths[0], 1);
    EXPECT_EQ(g_depths[1], 2);
    EXPECT_FALSE(InsideDispatch());
    Destroy(w);
}

// --- The pump -------------------------------------------------------------

struct CommandLog {
    int runs = 0;
    intptr_t id = 0;
};

int RunCommand(k_event* ev, intptr_t user) {
    auto* log = reinterpret_cast<CommandLog*>(user);
    ++log->runs;
    log->id = (*ev)[kWordId];
    return 1;
}

TEST_F(KlibWin, PumpWithoutMessagesReturnsAtOnce) {
    Drain();
    EXPECT_EQ(PumpOneMessage(0), 0);
    EXPECT_EQ(PumpOneMessage(kPumpPeekOnly), 0);
    PostMessageA(w_, WM_USER + 1, 0, 0);
    EXPECT_EQ(PumpOneMessage(kPumpPeekOnly), 1);
    EXPECT_EQ(PumpOneMessage(kPumpPeekOnly), 1);  // nothing was fetched
    PostMessageA(w_, WM_USER + 2, 0, 0);
    EXPECT_EQ(PumpOneMessage(0), 1);  // one more waits
    EXPECT_EQ(PumpOneMessage(0), 0);
    EXPECT_EQ(PumpOneMessage(kPumpPeekOnly), 0);
}

TEST_F(KlibWin, PumpWaitsForAMessage) {
    Drain();
    DWORD thread = GetCurrentThreadId();
    std::thread poster([thread] {
        Sleep(100);
        PostThreadMessageA(thread, WM_USER + 5, 0, 0);
    });
    DWORD start = GetTickCount();
    EXPECT_EQ(PumpOneMessage(kPumpWait), 0);
    EXPECT_GE(GetTickCount() - start, 50u);
    poster.join();

    std::thread poster2([thread] {
        Sleep(100);
        PostThreadMessageA(thread, WM_USER + 6, 0, 0);
    });
    EXPECT_EQ(PumpOneMessage(kPumpPeekOnly | kPumpWait), 1);
    poster2.join();
    Drain();
}

TEST_F(KlibWin, CommandKeyRunsTheCommandInsteadOfTheKey) {
    CommandLog log;
    k_command cmd("grab", 4200, RunCommand, reinterpret_cast<intptr_t>(&log), "Grab", 'g');
    SetKeyAnywhere(true);
    PostMessageA(w_, WM_KEYDOWN, 'G', 0);
    EXPECT_EQ(PumpOneMessage(0), 0);
    EXPECT_EQ(log.runs, 1);
    EXPECT_EQ(log.id, 4200);
    EXPECT_EQ(probe_.Count(kEvKeyDown), 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE));  // not translated

    // Ctrl+Shift+G is another key code.
    SetKeyDown(VK_CONTROL, true);
    SetKeyDown(VK_SHIFT, true);
    k_command ctrlShift("grab_all", 4201, RunCommand, reinterpret_cast<intptr_t>(&log), nullptr,
                        'G' | kKeyShift | kKeyCtrl);
    PostMessageA(w_, WM_KEYDOWN, 'G', 0);
    PumpOneMessage(0);
    SetKeyDown(VK_CONTROL, false);
    SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(log.runs, 2);
    EXPECT_EQ(log.id, 4201);

    // Alt comes from the key data of the message.
    k_command alt("grab_alt", 4202, RunCommand, reinterpret_cast<intptr_t>(&log), nullptr, 'g' | kKeyAlt);
    PostMessageA(w_, WM_SYSKEYDOWN, 'G', 1 << 29);
    PumpOneMessage(0);
    EXPECT_EQ(log.id, 4202);
    Drain();
}

TEST_F(KlibWin, DisabledCommandKeyGoesOnToNormalDispatch) {
    CommandLog log;
    k_command cmd("grab", 4210, RunCommand, reinterpret_cast<intptr_t>(&log), nullptr, 'g');
    cmd.Enable(false);
    SetKeyAnywhere(true);
    PostMessageA(w_, WM_KEYDOWN, 'G', 0);
    PumpOneMessage(0);
    Drain();
    EXPECT_EQ(log.runs, 0);
    ASSERT_NE(probe_.Last(kEvKeyDown), nullptr);
    EXPECT_EQ((*probe_.Last(kEvKeyDown))[3], 'g');
}

TEST_F(KlibWin, KeyWithoutCommandGoesOnToNormalDispatch) {
    SetKeyAnywhere(true);
    PostMessageA(w_, WM_KEYDOWN, VK_F7, 0);
    PumpOneMessage(0);
    ASSERT_NE(probe_.Last(kEvKeyDown), nullptr);
    EXPECT_EQ((*probe_.Last(kEvKeyDown))[3], 7 * 0x10000);
}

TEST_F(KlibWin, CommandKeysNeedAnActiveLibraryWindow) {
    CommandLog log;
    k_command cmd("grab", 4220, RunCommand, reinterpret_cast<intptr_t>(&log), nullptr, 'g');
    ShowWindow(w_, SW_SHOWNOACTIVATE);
    SetActiveWindow(w_);
    Drain();
    ASSERT_EQ(GetActiveWindow(), w_);
    PostMessageA(w_, WM_KEYDOWN, 'G', 0);
    RunLoop(true, false);
    EXPECT_EQ(log.runs, 1);

    // A plain window active: the key is an ordinary key.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kPlainClass;
    RegisterClassA(&wc);
    HWND plain = CreateWindowA(kPlainClass, "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ShowWindow(plain, SW_SHOWNOACTIVATE);
    SetActiveWindow(plain);
    Drain();
    ASSERT_EQ(GetActiveWindow(), plain);
    PostMessageA(w_, WM_KEYDOWN, 'G', 0);
    RunLoop(true, false);
    EXPECT_EQ(log.runs, 1);
    EXPECT_EQ(probe_.Count(kEvKeyDown), 1);
    SetKeyAnywhere(true);
    PostMessageA(w_, WM_KEYDOWN, 'G', 0);
    RunLoop(true, false);
    EXPECT_EQ(log.runs, 2);
    Destroy(plain);
}

TEST_F(KlibWin, TypingIntoAnEditNeverTriggersACommandKey) {
    CommandLog log;
    k_command cmd("grab", 4230, RunCommand, reinterpret_cast<intptr_t>(&log), nullptr, 'g');
    SetKeyAnywhere(true);
    ShowWindow(w_, SW_SHOWNOACTIVATE);
    HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, w_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetFocus(edit);
    Drain();
    ASSERT_EQ(GetFocus(), edit);
    EXPECT_TRUE(FocusInTextControl());
    PostMessageA(edit, WM_KEYDOWN, 'G', 0);
    RunLoop(true, false);
    EXPECT_EQ(log.runs, 0);
    char text[16] = "";
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "g");

    // A list box or combo box is the same; any other control is not.
    HWND list = CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE, 0, 30, 100, 40, w_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetFocus(list);
    EXPECT_TRUE(FocusInTextControl());
    HWND combo = CreateWindowA("COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 0, 80, 100, 80, w_,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    SetFocus(combo);
    EXPECT_TRUE(FocusInTextControl());
    HWND button = CreateWindowA("BUTTON", "b", WS_CHILD | WS_VISIBLE, 0, 170, 100, 20, w_, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SetFocus(button);
    EXPECT_FALSE(FocusInTextControl());
    PostMessageA(button, WM_KEYDOWN, 'G', 0);
    PumpOneMessage(0);
    EXPECT_EQ(log.runs, 1);
    Drain();
}

std::vector<unsigned> g_hotkeys;
void OnHotkey(unsigned id) { g_hotkeys.push_back(id); }

TEST_F(KlibWin, HotkeysGoToTheHandlerAndOnToTheWindow) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kPlainClass;
    RegisterClassA(&wc);
    HWND plain = CreateWindowA(kPlainClass, "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    g_hotkeys.clear();
    g_plainMessages.clear();
    SetHotkeyHandler(OnHotkey);
    PostMessageA(plain, WM_HOTKEY, 3, MAKELPARAM(MOD_CONTROL, VK_F9));
    PostMessageA(plain, WM_HOTKEY, static_cast<WPARAM>(-2), MAKELPARAM(0, VK_SNAPSHOT));
    RunLoop(true, false);
    EXPECT_EQ(g_hotkeys, (std::vector<unsigned>{3u, static_cast<unsigned>(-2)}));
    EXPECT_EQ(g_plainMessages, (std::vector<UINT>{WM_HOTKEY, WM_HOTKEY}));
    Destroy(plain);
}

TEST_F(KlibWin, PointerEntersAndLeavesLibraryWindows) {
    Probe other("other");
    HWND w2 = CreateLibraryWindow(kTestClass, &other, "", WS_POPUP, 0, 0, 0, 10, 10);
    // Start with the pointer over no window.
    PostMessageA(nullptr, WM_MOUSEMOVE, 0, 0);
    RunLoop(true, false);
    probe_.Clear();
    PostMessageA(w_, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    PostMessageA(w_, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    RunLoop(true, false);
    EXPECT_EQ(probe_.Count(kEvEnter), 1);
    EXPECT_EQ(probe_.Count(kEvLeave), 0);
    EXPECT_EQ(probe_.Count(kEvMouseMove), 2);
    EXPECT_EQ(probe_.Last(kEvEnter)->Target(), &probe_);
    EXPECT_EQ((*probe_.Last(kEvEnter))[3], reinterpret_cast<intptr_t>(&probe_));

    PostMessageA(w2, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    RunLoop(true, false);
    EXPECT_EQ(probe_.Count(kEvLeave), 1);
    EXPECT_EQ(other.Count(kEvEnter), 1);

    // A move over the frame leaves the window under the pointer.
    PostMessageA(w2, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(1, 1));
    RunLoop(true, false);
    EXPECT_EQ(other.Count(kEvLeave), 1);
    EXPECT_EQ(other.Count(kEvEnter), 1);
    PostMessageA(w2, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    RunLoop(true, false);
    EXPECT_EQ(other.Count(kEvEnter), 2);
    // Leaving towards a plain window.
    PostMessageA(nullptr, WM_MOUSEMOVE, 0, 0);
    RunLoop(true, false);
    EXPECT_EQ(other.Count(kEvLeave), 2);
    Destroy(w2);
}

std::vector<std::string> g_sequence;
bool g_pendingMessage = false;
bool TakePending() {
    g_sequence.push_back("pending");
    bool had = g_pendingMessage;
    g_pendingMessage = false;
    return had;
}
int SequenceKey(k_event*, intptr_t) {
    g_sequence.push_back("key");
    return 1;
}

TEST_F(KlibWin, PendingInboundMessageIsTakenUpFirst) {
    g_sequence.clear();
    g_pendingMessage = true;
    SetPendingMessageHook(TakePending);
    probe_.AddHandler(SequenceKey, kEvKeyDown, 0);
    PostMessageA(w_, WM_KEYDOWN, 'Q', 0);
    PumpOneMessage(0);
    EXPECT_EQ(g_sequence, (std::vector<std::string>{"pending", "key"}));
    EXPECT_EQ(PumpOneMessage(0), 0);
    EXPECT_EQ(g_sequence.size(), 3u);
    SetPendingMessageHook(nullptr);
}

TEST_F(KlibWin, LibraryDialogTakesDialogKeys) {
    Probe dlg("dialog");
    HWND d = CreateLibraryWindow(kTestClass, &dlg, "dialog", WS_POPUP, 0, 0, 0, 200, 100, nullptr, nullptr,
                                 kLibraryDialog);
    ASSERT_NE(d, nullptr);
    ShowWindow(d, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsLibraryDialogWindow(d));
    HWND e1 = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 100, 20, d,
                            reinterpret_cast<HMENU>(1), GetModuleHandleA(nullptr), nullptr);
    HWND e2 = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 30, 100, 20, d,
                            reinterpret_cast<HMENU>(2), GetModuleHandleA(nullptr), nullptr);
    SetFocus(e1);
    Drain();
    ASSERT_EQ(GetFocus(), e1);
    PostMessageA(e1, WM_KEYDOWN, VK_TAB, 0);
    RunLoop(true, false);
    EXPECT_EQ(GetFocus(), e2);

    // The same keys in a plain library window are just keys.
    HWND e3 = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 100, 20, w_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    HWND e4 = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 30, 100, 20, w_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    ShowWindow(w_, SW_SHOWNOACTIVATE);
    SetFocus(e3);
    Drain();
    ASSERT_EQ(GetFocus(), e3);
    PostMessageA(e3, WM_KEYDOWN, VK_TAB, 0);
    RunLoop(true, false);
    EXPECT_EQ(GetFocus(), e3);
    DestroyWindow(e4);
    Destroy(d);
}

// --- The run loop ---------------------------------------------------------

std::vector<int> g_stepFlags;
int RecordingStep(int flags) {
    g_stepFlags.push_back(flags);
    return 0;
}

TEST_F(KlibWin, RunUntilIdle) {
    Drain();
    g_stepFlags.clear();
    AddPumpStep(RecordingStep);
    AddPumpStep(RecordingStep);  // once only
    for (int i = 0; i < 3; ++i) PostMessageA(w_, WM_KEYDOWN, 'A' + i, 0);
    EXPECT_TRUE(RunLoop(true, false));
    EXPECT_EQ(probe_.Count(kEvKeyDown), 3);
    // Rounds with 0 while the pump found more waiting, then the idle question
    // (asked again whenever a message came meanwhile).
    ASSERT_GE(g_stepFlags.size(), 4u);
    EXPECT_EQ(g_stepFlags[0], 0);
    EXPECT_EQ(g_stepFlags[1], 0);
    EXPECT_EQ(g_stepFlags.back(), 1);
    for (int f : g_stepFlags) EXPECT_TRUE(f == 0 || f == 1) << f;

    g_stepFlags.clear();
    PostMessageA(w_, WM_KEYDOWN, 'D', 0);
    EXPECT_TRUE(RunLoop(true, true));
    EXPECT_EQ(probe_.Count(kEvKeyDown), 4);
    // The key's translation posts a character message: more than one round.
    ASSERT_GE(g_stepFlags.size(), 2u);
    EXPECT_EQ(g_stepFlags.front(), 4);
    EXPECT_EQ(g_stepFlags.back(), 5);
    for (int f : g_stepFlags) EXPECT_TRUE(f == 4 || f == 5) << f;
    RemovePumpStep(RecordingStep);
}

int g_busy = 0;
int BusyStep(int flags) {
    if (flags & kPumpPeekOnly) return 0;
    return g_busy > 0 ? g_busy-- : 0;
}

TEST_F(KlibWin, RunUntilIdleGoesOnWhileAStepWorks) {
    Drain();
    g_busy = 5;
    AddPumpStep(BusyStep);
    EXPECT_TRUE(RunLoop(true, false));
    EXPECT_EQ(g_busy, 0);
    RemovePumpStep(BusyStep);
}

int g_quitVetoes = 0;
int VetoQuit(k_event*, intptr_t) {
    if (g_quitVetoes == 0) return 0;
    --g_quitVetoes;
    PostQuitMessage(0);
    return 1;
}

TEST_F(KlibWin, EndlessLoopRunsUntilQuit) {
    Drain();
    g_stepFlags.clear();
    AddPumpStep(RecordingStep);
    PostMessageA(w_, WM_KEYDOWN, 'E', 0);
    PostQuitMessage(0);
    EXPECT_FALSE(RunLoop(false, false));
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(probe_.Count(kEvKeyDown), 1);
    ASSERT_FALSE(g_stepFlags.empty());
    for (int f : g_stepFlags) EXPECT_EQ(f, 2);
    EXPECT_EQ(app_.Count(kEvQuit), 1);
    EXPECT_EQ(app_.Last(kEvQuit)->Target(), nullptr);

    // A handler that takes the quit event keeps the loop running.
    ClearQuitRequest();
    g_stepFlags.clear();
    g_quitVetoes = 2;
    app_.AddHandler(VetoQuit, kEvQuit, 0);
    PostQuitMessage(0);
    EXPECT_FALSE(RunLoop(false, true));
    EXPECT_EQ(g_quitVetoes, 0);
    EXPECT_EQ(app_.Count(kEvQuit), 2);  // the vetoed ones went no further than the veto
    for (int f : g_stepFlags) EXPECT_EQ(f, 6);
    RemovePumpStep(RecordingStep);
}

TEST_F(KlibWin, QuitWhileDispatchingIsOff) {
    Drain();
    SetApplicationObject(nullptr);
    PostQuitMessage(0);
    EXPECT_FALSE(RunLoop(false, false));
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(app_.Count(kEvQuit), 0);
}

// --- Owning wrappers ---------------------------------------------------------

TEST(KlibGdi, WrappersReleaseWhatTheyOwn) {
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 1, nullptr);
    ASSERT_NE(bitmap, nullptr);
    {
        GdiObject<HBITMAP> owned(bitmap);
        EXPECT_EQ(GetObjectType(owned.get()), DWORD(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(bitmap), 0u);  // deleted with its owner
    WindowDc screen;
    ASSERT_NE(screen.get(), nullptr);
    EXPECT_GT(GetDeviceCaps(screen.get(), BITSPIXEL), 0);
}

}  // namespace
}  // namespace klib
