#include "capture/win/grabber.h"
#include "capture/win/imageedit.h"

#include "capture/win/clipboard.h"

#include <memory>
#include <vector>

#include "capture/hotkeys.h"
#include "capture/numbering.h"
#include "capture/settings.h"
#include "capture/win/cursorscheme.h"
#include "capture/win/imagefiles.h"
#include "capture/regionselect.h"
#include "capture/win/mainframe.h"
#include "capture/win/quicksave.h"
#include "capture/win/saveas.h"
#include "capture/win/selection.h"
#include "capture/win/settings_commands.h"
#include "capture/win/timedcapture.h"
#include "capture/win/windowpick.h"
#include "capture/win/transparentpick.h"
#include "imageio/capturepalette.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "klib/object.h"
#include "klib/win/dragwindow.h"
#include "klib/win/frame.h"
#include "klib/win/gdi.h"
#include "klib/win/message.h"
#include "klib/win/window.h"
#include "res/resource.h"

namespace gmbx {

namespace {

bool g_dispatching = false;
bool g_captureInProgress = false;

// The optional system-message hook around window picks.
SysMsgHookInstall g_installSysMsgHook = nullptr;
SysMsgHookRelease g_releaseSysMsgHook = nullptr;
HMODULE g_sysMsgHookModule = nullptr;

RECT ScreenRect() {
    RECT r;
    GetWindowRect(GetDesktopWindow(), &r);
    return r;
}

void ClipToScreen(RECT* r) {
    RECT s = ScreenRect();
    if (r->left < 0) r->left = 0;
    if (r->top < 0) r->top = 0;
    if (r->right > s.right) r->right = s.right;
    if (r->bottom > s.bottom) r->bottom = s.bottom;
}

// Hides the main window before a capture: desktop-style captures also
// minimise it. Waits for the screen to repaint without it.
void HideMainWindow(bool minimise) {
    HWND frame = MainFrame();
    if (g_run.hidden || !frame) return;
    ShowWindow(frame, SW_HIDE);
    if (minimise) {
        ShowWindow(frame, SW_MINIMIZE);
        ShowWindow(frame, SW_HIDE);
    }
    Sleep(1000);
}

// The cursor to draw into the grab and its drawing position, when the
// capture includes the cursor.
struct GrabCursor {
    HCURSOR cursor = nullptr;
    POINT at = {};
};

GrabCursor ReadCursor() {
    GrabCursor c;
    POINT pos;
    if (!GetCursorPos(&pos)) return c;
    HWND under = WindowFromPoint(pos);
    DWORD me = GetCurrentThreadId();
    DWORD owner = under ? GetWindowThreadProcessId(under, nullptr) : 0;
    // The current cursor is per-thread input state: read it attached.
    bool attached = owner && owner != me && AttachThreadInput(me, owner, TRUE);
    c.cursor = GetCursor();
    if (attached) AttachThreadInput(me, owner, FALSE);
    // The user's scheme draws its own shape for the standard cursors.
    c.cursor = SchemeCursorFor(c.cursor);
    if (!c.cursor) return c;
    ICONINFO ii = {};
    if (GetIconInfo(c.cursor, &ii)) {
        // The bitmaps the query hands over are not needed.
        klib::GdiObject<HBITMAP> mask(ii.hbmMask), colour(ii.hbmColor);
        pos.x -= static_cast<LONG>(ii.xHotspot);
        pos.y -= static_cast<LONG>(ii.yHotspot);
    }
    c.at = pos;
    return c;
}

// A logical palette copied from the screen's system palette; the number of
// entries the screen reports (none on true-colour screens).
PaletteHandle CapturePalette(bool* noStatic) {
    std::vector<BYTE> mem(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
    lp->palVersion = 0x300;
    UINT count;
    {
        klib::WindowDc screen;
        count = GetSystemPaletteEntries(screen.get(), 0, 256, lp->palPalEntry);
        *noStatic = GetSystemPaletteUse(screen.get()) == SYSPAL_NOSTATIC;
    }
    if (count > 256) count = 0;
    lp->palNumEntries = static_cast<WORD>(count);
    klib::DebugWrite(*noStatic ? "No Static colors in the system palette!\n" : "Regular Static Colors\n");
    uint8_t flags[256];
    CapturePaletteFlags(flags, count, *noStatic);
    for (UINT i = 0; i < count; ++i) lp->palPalEntry[i].peFlags = flags[i];
    // A screen without a palette: the stock palette stands for it.
    if (count == 0) return StockPalette();
    return PaletteHandle(CreatePalette(lp));
}

// Converts the pixmap into the current Dib at the display's colour count.
bool MakeCurrentDib(Pixmap& pm) {
    auto dib = std::make_unique<Dib>();
    if (!dib->Create(1, 1, g_displayColours)) return false;
    dib->Header()->clrUsed = 0;
    dib->Header()->clrImportant = 0;
    pm.palette = g_image.palette.get();
    bool ok = SetDIBFromPixmap(pm, *dib, SettingsResolution());
    pm.palette = nullptr;
    if (!ok) return false;
    SetCurrentDib(std::move(dib));
    return true;
}

// Runs a capture mode: clears the current image, captures, hands over.
template <typename Capture>
void RunMode(Capture capture) {
    CaptureInProgressScope capturing;
    ClearView(false);
    AfterCapture(capture());
}

// The rectangle of a selection (modes 1 to 4), steps shared by the
// interactive captures and the command line. Modes 1 and 2 leave the
// overlay up (the grab copies what it shows, which is the screen as it was);
// the caller destroys it. False when the selection was cancelled or the
// overlay could not be made (*noOverlay then).
bool SelectRect(int mode, RECT* out, bool* noOverlay) {
    *noOverlay = false;
    RECT r;
    if (mode == kModeActiveWindow || mode == kModeActiveClient) {
        if (!ActiveWindowRect(mode, &r)) return false;
        *out = r;
        return true;
    }
    HWND overlay = CreateSelectionOverlay();
    if (!overlay) {
        *noOverlay = true;
        return false;
    }
    klib::k_object* obj = SelectionOverlayObject();
    if (mode == kModeRegion) {
        klib::SetWindowCursor(overlay, LoadCursor(nullptr, IDC_CROSS));
        SetCursor(LoadCursor(nullptr, IDC_CROSS));
        POINT a, b;
        if (!SelectionAccepted(SelectFirstCorner(overlay, &a))) return false;
        if (!SelectionAccepted(SelectSecondCorner(overlay, &a, &b))) return false;
        SelRect sel = SelectedRect({a.x, a.y}, {b.x, b.y});
        POINT corners[2] = {{sel.left, sel.top}, {sel.right, sel.bottom}};
        MapWindowPoints(overlay, nullptr, corners, 2);
        r = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    } else {
        StartWindowPick(overlay, obj);
        if (g_installSysMsgHook) g_installSysMsgHook(g_sysMsgHookModule);
        POINT p;
        HWND under = nullptr;
        int result = PickWait(overlay, &p, &under);
        if (SelectionAccepted(result)) Sleep(200);
        if (g_releaseSysMsgHook) g_releaseSysMsgHook();
        bool any = EndWindowPick(obj, &r);
        klib::FlushDragWindow();
        if (!SelectionAccepted(result) || !any) {
            ClearPickScrollTarget();
            return false;
        }
        ClipToScreen(&r);
        if (r.right <= r.left || r.bottom <= r.top) return false;
    }
    *out = r;
    return true;
}

// Brings a scroll target's window forward before its first page is grabbed.
void BringScrollTargetForward(HWND target) {
    DestroySelectionOverlay();
    HWND top = GetAncestor(target, GA_ROOT);
    if (!top) top = target;
    SetForegroundWindow(top);
    UpdateWindow(top);
    UpdateWindow(target);
    Sleep(500);
}

// Capture with selection (modes 1 to 4), with or without hiding the main
// window first. *cancelled when the user cancelled the selection.
std::unique_ptr<Pixmap> CaptureWithSelection(int mode, bool hide, bool* cancelled) {
    *cancelled = false;
    // A scheme changed while the program runs is used from the next capture.
    if (g_settings.includeCursor) LoadCursorScheme();
    HWND frame = MainFrame();
    HWND foregroundBefore = GetForegroundWindow();
    int allowed = g_hotkeys.capturesAllowed;
    g_hotkeys.capturesAllowed = 0;
    ClearPickScrollTarget();
    RefreshDisplayColours();
    bool wasMinimised = frame && IsIconic(frame);
    if (hide && !wasMinimised) HideMainWindow(false);

    std::unique_ptr<Pixmap> pm;
    RECT r;
    bool noOverlay = false;
    if (SelectRect(mode, &r, &noOverlay)) {
        // The previous image goes only once there is a new one to take its place.
        ClearView(false);
        HWND target = mode == kModeWindow ? PickScrollTarget() : nullptr;
        if (target) BringScrollTargetForward(target);
        GrabOptions options = GrabOptionsFromSettings();
        // A scrolling capture is saved once, at its end.
        const bool saveAtEnd = target && options.autoSave;
        if (target) options.autoCrop = options.autoScale = options.autoSave = false;
        // Region captures never show the cursor.
        if (mode == kModeRegion) options.includeCursor = false;
        pm = Grab(r.left, r.top, r.right - r.left, r.bottom - r.top, options);
        // The scroll target would now be captured page by page; this version
        // keeps the first page.
        if (saveAtEnd) {
            QuickSave(std::move(pm));
            pm = nullptr;
        }
    } else if (noOverlay) {
        if (frame && !g_run.hidden) {
            ShowWindow(frame, SW_RESTORE);
            ShowWindow(frame, SW_SHOW);
        }
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NO_OVERLAY);
        *cancelled = true;
    } else {
        *cancelled = true;
    }

    if (HWND overlay = SelectionOverlay()) klib::SetWindowCursor(overlay, LoadCursor(nullptr, IDC_ARROW));
    DestroySelectionOverlay();
    if (foregroundBefore && IsWindow(foregroundBefore) && (!g_settings.autoRestore || g_run.hidden))
        SetForegroundWindow(foregroundBefore);
    ClearPickScrollTarget();
    if (*cancelled && wasMinimised && !g_run.hidden && !g_run.timedInterval && frame)
        ShowWindow(frame, SW_SHOWMINNOACTIVE);
    g_hotkeys.capturesAllowed = allowed;
    return pm;
}

// A mode with selection: the current image stays when the user cancels.
void RunSelectionMode(int mode, bool hide) {
    CaptureInProgressScope capturing;
    if (mode == kModeActiveWindow || mode == kModeActiveClient) ClearView(false);
    bool cancelled = false;
    std::unique_ptr<Pixmap> pm = CaptureWithSelection(mode, hide, &cancelled);
    if (cancelled) {
        // A main window that was minimised stays so.
        HWND frame = MainFrame();
        if (!(frame && IsIconic(frame))) RestoreMainWindow();
        ShowCurrentImage();
        return;
    }
    AfterCapture(std::move(pm));
}

// The prompted automatic save: Save As with the next numbered name; the
// numbering is then learnt from the name the user chose, and a cancelled
// save gives its number back.
void PromptedSave() {
    std::string name;
    NumberedNameError error = TakeQuickSaveName(&name);
    if (error != NumberedNameError::None) {
        ReportQuickSaveNameFailure(error);
        return;
    }
    const std::string shownName = g_image.fileName;
    std::string savedPath;
    bool saved;
    {
        CaptureInProgressScope asking(false);
        saved = SaveAs(name, &savedPath);
    }
    if (saved) {
        QuickSaveNumbering n = NumberingOf(g_settings);
        if (LearnNumbering(savedPath, n)) StoreNumbering(n, g_settings);
        // The title keeps the name it showed.
        g_image.fileName = shownName;
        UpdateTitle();
    } else if (g_settings.quickSaveInc) {
        --g_settings.quickSaveCount;
    }
    WriteWindowSettings(CurrentSettingsStore());
}

}  // namespace

CaptureInProgressScope::CaptureInProgressScope(bool inProgress) : previous_(g_captureInProgress) {
    g_captureInProgress = inProgress;
}
CaptureInProgressScope::~CaptureInProgressScope() { g_captureInProgress = previous_; }
bool CaptureInProgress() { return g_captureInProgress; }

GrabOptions GrabOptionsFromSettings() {
    GrabOptions o;
    o.includeCursor = g_settings.includeCursor != 0;
    o.autoCrop = g_settings.qCrop != 0;
    o.autoScale = g_settings.qScale != 0;
    // Inside a timed capture nobody could answer a prompt: its captures are
    // saved without one.
    const bool timed = TimedCaptureRunning();
    o.autoSave = g_settings.autoSave && !g_settings.quickSaveName.empty() && (!g_settings.quickSavePrompt || timed) &&
                 (!g_run.timedInterval || timed);
    return o;
}

bool ActiveWindowRect(int mode, RECT* out) {
    HWND fg = GetForegroundWindow();
    if (!fg) return false;
    RECT r;
    if (mode == kModeActiveClient) {
        if (!GetClientRect(fg, &r)) return false;
        MapWindowPoints(fg, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else if (!GetWindowRect(fg, &r)) {
        return false;
    }
    ClipToScreen(&r);
    if (r.right <= r.left || r.bottom <= r.top) return false;
    *out = r;
    return true;
}

std::unique_ptr<Pixmap> Grab(int x, int y, int width, int height, const GrabOptions& options) {
    CaptureInProgressScope capturing;
    ClearUndoImage();
    SetCurrentDib(nullptr);
    g_image.dibOnly = false;
    g_image.lastSavedPath.clear();

    GrabCursor cursor;
    if (options.includeCursor) cursor = ReadCursor();

    if (x < 0) x = g_settings.lastSX;
    if (y < 0) y = g_settings.lastSY;
    if (width < 0) width = g_settings.lastWidth;
    if (height < 0) height = g_settings.lastHeight;
    RECT screen = ScreenRect();
    if (width == 0) width = screen.right - screen.left;
    if (height == 0) height = screen.bottom - screen.top;
    g_settings.lastSX = x;
    g_settings.lastSY = y;
    g_settings.lastWidth = width;
    g_settings.lastHeight = height;

    bool noStatic = false;
    PaletteHandle captured = CapturePalette(&noStatic);
    if (!captured) return nullptr;
    HPALETTE palette = captured.get();
    SetCurrentPalette(std::move(captured));

    auto pm = std::make_unique<Pixmap>(width, height);
    if (!pm->Valid()) return nullptr;
    pm->palette = palette;
    HDC dc = pm->BeginDraw();
    if (noStatic) SetSystemPaletteUse(dc, SYSPAL_NOSTATIC);
    BitBlt(dc, 0, 0, width, height, klib::WindowDc().get(), x, y, SRCCOPY);
    if (cursor.cursor) {
        SetMapMode(dc, MM_TEXT);
        DrawIcon(dc, cursor.at.x - x, cursor.at.y - y, cursor.cursor);
    }
    pm->EndDraw();
    pm->palette = nullptr;  // it stays the current palette

    if (noStatic || options.autoCrop || options.autoScale) {
        // Automatic crop and scale work on the Dib; they need the imaging
        // add-on, without which the Dib stays as grabbed.
        bool dib = MakeCurrentDib(*pm);
        pm = nullptr;
        if (!dib) return nullptr;
        g_image.dibOnly = true;
    }
    if (options.autoSave) {
        DestroySelectionOverlay();
        QuickSave(std::move(pm));
        return nullptr;
    }
    return pm;
}

void AfterCapture(std::unique_ptr<Pixmap> pixmap) {
    const bool grabbed = pixmap != nullptr;
    if (grabbed) SetCurrentPixmap(std::move(pixmap));
    if (!grabbed && g_image.dib && !g_image.pixmap) {
        // Shown from the Dib: a display pixmap of it.
        PaletteHandle palette;
        std::unique_ptr<Pixmap> shown = PixmapFromDib(*g_image.dib, &palette);
        if (shown) {
            SetCurrentPalette(std::move(palette));
            SetCurrentPixmap(std::move(shown));
        }
    }
    if (TimedCaptureMode()) {
        // The capture stays as the last one; the series goes on from the
        // idle step.
        ArmTimedCapture();
        return;
    }
    RestoreMainWindow();
    ShowCurrentImage();
    if (g_settings.autoCopy) CopyToClipboard(false);
    if (g_settings.autoSave && g_settings.quickSavePrompt) PromptedSave();
    if (g_settings.autoPrint) NotAvailable("Printing");
}

void CaptureDesktop(bool hide) {
    RunMode([hide] {
        if (hide) HideMainWindow(true);
        return Grab(0, 0, 0, 0, GrabOptionsFromSettings());
    });
}

void CaptureRepeat() {
    RunMode([] {
        HWND frame = MainFrame();
        if (!(frame && IsIconic(frame))) HideMainWindow(true);
        return Grab(-1, -1, -1, -1, GrabOptionsFromSettings());
    });
}

void CaptureActiveWindow(bool hide) { RunSelectionMode(kModeActiveWindow, hide); }
void CaptureActiveClient() { RunSelectionMode(kModeActiveClient, true); }
void CaptureWindow() { RunSelectionMode(kModeWindow, true); }
void CaptureRegion() { RunSelectionMode(kModeRegion, true); }

bool CommandLineSelection(int mode, RECT* out) {
    int allowed = g_hotkeys.capturesAllowed;
    g_hotkeys.capturesAllowed = 0;
    bool noOverlay = false;
    bool ok = SelectRect(mode, out, &noOverlay);
    ClearPickScrollTarget();
    g_hotkeys.capturesAllowed = allowed;
    if (noOverlay) klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_NO_OVERLAY);
    if (!ok) DestroySelectionOverlay();
    return ok;
}

void EndCommandLineSelection() { DestroySelectionOverlay(); }

void SetSysMsgHook(SysMsgHookInstall install, SysMsgHookRelease release, HMODULE module) {
    g_installSysMsgHook = install;
    g_releaseSysMsgHook = release;
    g_sysMsgHookModule = module;
}

void DispatchCapture(UINT id) {
    int mode = static_cast<int>(id);
    if (mode == kHotkeyEscape || mode == kHotkeySpace) {
        // They end the wait of a running selection, whatever else is blocked.
        SelectionHotkey(id);
        return;
    }
    if (g_dispatching || !g_hotkeys.capturesAllowed || klib::InsideDispatch()) return;
    g_dispatching = true;
    // While a timed capture runs, any hotkey stops it and captures nothing.
    if (TimedCaptureRunning()) {
        StopTimedCapture();
        g_dispatching = false;
        return;
    }
    switch (mode) {
    case kModeDesktop: CaptureDesktop(true); break;
    case kModeWindow: CaptureWindow(); break;
    case kModeRegion: CaptureRegion(); break;
    case kModeActiveWindow: CaptureActiveWindow(true); break;
    case kModeActiveClient: CaptureActiveClient(); break;
    case kModeRepeat: CaptureRepeat(); break;
    case kModeActiveWindowNoHide: CaptureActiveWindow(false); break;
    case kModeDesktopNoHide:
        if (!(g_settings.GameCaptureEnabled() && GetForegroundWindow() != MainFrame())) CaptureDesktop(false);
        break;
    default: break;
    }
    g_dispatching = false;
}

}  // namespace gmbx
