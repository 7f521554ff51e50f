// Library windows: Win32 windows that belong to a klib object and turn their
// window messages into events dispatched to it.
//
// | Window message                        | Event (target: the window's object unless said)        |
// |---------------------------------------|--------------------------------------------------------|
// | WM_MOVE                               | kEvMoved x, y; the object's default operation first     |
// | WM_SIZE                               | kEvResize width, height, state; default operation first |
// | WM_ACTIVATE                           | kEvActivate active flag, time                           |
// | WM_PAINT                              | kEvPaint update rectangle, whole flag, paint DC         |
// |                                       | (WM_ERASEBKGND: the system never erases)                |
// | WM_CLOSE, system-menu Close           | kEvClose (WM_CLOSE only without a parent object);       |
// |                                       | the window is not closed by the system                  |
// | WM_MOUSEMOVE                          | kEvMouseMove x, y, time, modifiers; cursor set again    |
// | button down / up / double click       | kEvButtonDown / Up / DoubleClick x, y, time, modifiers, |
// |                                       | button (down only when AcceptsPress says so)            |
// | frame (non-client) button down        | kEvFrameButton screen x, y, time, modifiers, button,    |
// |                                       | hit-test code (when AcceptsPress); taken: no system     |
// |                                       | action                                                  |
// | WM_KEYDOWN, WM_KEYUP                  | kEvKeyDown / Up key code, time, modifiers, to the focus |
// |                                       | object                                                  |
// | WM_SYSCHAR                            | kEvSysChar code, time, modifiers; taken: no system      |
// |                                       | action                                                  |
// | WM_COMMAND from a menu or accelerator | kEvCommand to the enabled command of that id            |
// | WM_COMMAND from a library control     | kEvCommand to the control's object: id, notification    |
// | WM_HSCROLL, WM_VSCROLL                | kEvScroll bar, kind, direction, position, final         |
// | WM_DROPFILES                          | kEvFilesDropped drop handle (finished afterwards)       |
// | WM_GETDLGCODE                         | all keys wanted                                         |
//
// Everything else goes to the system's default procedure (the dialog default
// procedure for library dialogs).
#pragma once
#include <windows.h>

#include "klib/object.h"

namespace klib {

// Window flags.
constexpr unsigned kLibraryDialog = 1;  // dialog default procedure and dialog keys (Tab, Enter...)

// The procedure of library windows. A window class of the library may use it
// directly; windows of such a class are bound to their object with
// AttachWindow or when CreateLibraryWindow makes them.
LRESULT CALLBACK LibraryWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers a window class with LibraryWindowProcedure (double clicks, own
// device context, byte-aligned; window colour background; arrow cursor;
// room for the dialog procedure's window data). True when the class is
// ours, also when it was registered before; false when the name belongs to
// another procedure or registration fails.
// procedure: LibraryWindowProcedure or one that passes on to it (it is added
// to the library's procedures); background: paint the window colour.
bool RegisterLibraryWindowClass(const char* className, HICON icon = nullptr,
                                WNDPROC procedure = LibraryWindowProcedure, bool background = true);

// Creates a window of a library class (registering it first if needed)
// bound to obj. menuOrId is the menu of a top-level window or the id of a
// child window. Null when the window cannot be created.
HWND CreateLibraryWindow(const char* className, k_object* obj, const char* title, DWORD style, DWORD exStyle,
                         int x, int y, int width, int height, HWND parent = nullptr, HMENU menuOrId = nullptr,
                         unsigned flags = 0);

// Binds a window whose procedure is LibraryWindowProcedure to obj (again).
// The binding ends when the window is destroyed or the object is.
void AttachWindow(HWND window, k_object* obj, unsigned flags = 0);

// The object of a library window; null for other windows, for windows whose
// object is gone, and for null.
k_object* ObjectOfWindow(HWND window);
// The first window bound to obj, or null.
HWND WindowOfObject(const k_object* obj);
bool IsLibraryWindow(HWND window);
// A library window made with kLibraryDialog.
bool IsLibraryDialogWindow(HWND window);

// The object that key events go to. Follows the keyboard focus into library
// windows; may be set to any object (null: the window's own object).
void SetFocusObject(k_object* obj);
k_object* FocusObject();

// The cursor a library window sets on every pointer move (null: the class
// cursor).
void SetWindowCursor(HWND window, HCURSOR cursor);

// The modifier state of events from the keyboard state: Shift, Ctrl and Alt
// keys, left, right and middle buttons.
int ModifierState();
// The library key code of a key message (virtual key and key data): Shift
// and Ctrl from the keyboard state, Alt from bit 29 of the key data.
int KeyMessageCode(WPARAM virtualKey, LPARAM keyData);

}  // namespace klib
