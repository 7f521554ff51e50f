// The screen grabber: the capture dispatcher, the capture modes, the grab of
// a screen rectangle with the screen's palette, and the post-capture step.
#pragma once
#include <windows.h>

#include <memory>

#include "imageio/win/pixmap.h"

namespace gmbx {

// Capture modes (hotkey ids and menu commands map onto them).
enum CaptureMode {
    kModeDesktop = 0,
    kModeWindow = 1,
    kModeRegion = 2,
    kModeActiveWindow = 3,
    kModeActiveClient = 4,
    kModeRepeat = 5,
    kModeStop = 6,
    kModeActiveWindowNoHide = -1,
    kModeDesktopNoHide = -2,
    kHotkeyEscape = 27,
    kHotkeySpace = 32,
};

// Set while a capture and its automatic follow-ups (saving, printing) run:
// error boxes of the image routines are held back and nothing asks for a
// transparent colour. Scoped: nests, and restores the previous state.
// With false it lifts the state for a step the user takes part in (the Save
// As dialog of the post-capture step).
class CaptureInProgressScope {
public:
    explicit CaptureInProgressScope(bool inProgress = true);
    ~CaptureInProgressScope();
    CaptureInProgressScope(const CaptureInProgressScope&) = delete;
    CaptureInProgressScope& operator=(const CaptureInProgressScope&) = delete;

private:
    bool previous_;
};
// True inside a CaptureInProgressScope.
bool CaptureInProgress();

// Entry for hotkey ids (with the busy and captures-allowed checks).
void DispatchCapture(UINT id);

// The mode routines, also called directly by the menu commands.
void CaptureDesktop(bool hide = true);
void CaptureRepeat();
void CaptureActiveWindow(bool hide);
void CaptureActiveClient();
void CaptureWindow();
void CaptureRegion();

// What a grab does besides copying the pixels.
struct GrabOptions {
    bool includeCursor = false;  // draw the mouse cursor where it is
    bool autoCrop = false;       // automatic crop and scale (they work on
    bool autoScale = false;      // the Dib: the grab becomes the current Dib)
    bool autoSave = false;       // save under the next automatic name (QuickSave)
};
// The options the settings ask for. Automatic saving: AutoSave on, a
// QuickSaveName, and either a capture of a running timed capture or, outside
// timed-capture mode, one that does not prompt for the name.
GrabOptions GrabOptionsFromSettings();

// Copies the screen rectangle; negative fields take the last rectangle's,
// a zero width or height the whole screen's. Returns the pixmap, or null
// when the result became the current image (a Dib, or a capture saved
// automatically) or nothing could be grabbed.
std::unique_ptr<Pixmap> Grab(int x, int y, int width, int height, const GrabOptions& options);

// The rectangle a command-line capture asks for, without hiding: the
// foreground window (mode 3) or its client area (mode 4), clipped to the
// screen. False when there is nothing to capture.
bool ActiveWindowRect(int mode, RECT* out);

// The selection of a command-line capture (modes 1 to 4), without hiding,
// scrolling or saving: the rectangle in screen coordinates, or false when
// the user cancelled. After a true result the overlay of modes 1 and 2 is
// still up; EndCommandLineSelection takes it down after the grab.
bool CommandLineSelection(int mode, RECT* out);
void EndCommandLineSelection();

// The optional system-message hook library's entries, called around window
// picks (null: none).
typedef void(WINAPI* SysMsgHookInstall)(HMODULE);
typedef void(WINAPI* SysMsgHookRelease)();
void SetSysMsgHook(SysMsgHookInstall install, SysMsgHookRelease release, HMODULE module);

// Post-capture step: makes the pixmap (when there is one) the current one.
// In timed-capture mode that is all, and the timed capture is armed;
// otherwise it shows the main window and the image, then the automatic
// actions: copy, save under a name the user confirms (QuickSavePrompt; the
// numbering is learnt from the name chosen), print.
void AfterCapture(std::unique_ptr<Pixmap> pixmap);

}  // namespace gmbx
