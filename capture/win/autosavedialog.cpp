#include "capture/win/autosavedialog.h"

#include <windows.h>

#include <string>

#include "capture/formats.h"
#include "capture/hotkeys.h"
#include "capture/numbering.h"
#include "capture/settings.h"
#include "capture/settingsio.h"
#include "capture/win/hotkeys_win.h"
#include "capture/win/mainframe.h"
#include "capture/win/saveas.h"
#include "capture/win/settings_commands.h"
#include "capture/win/timedcapture.h"
#include "klib/win/dialogfield.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {

namespace {

// The quick-save options the dialog works on until OK.
struct DialogState {
    SaveOptions working;
};
DialogState* g_dialog = nullptr;

bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

void Fill(HWND d, const AutoSaveForm& f) {
    SetDlgItemTextA(d, IDC_AUTOSAVE_NAME, f.name.c_str());
    SetDlgItemTextA(d, IDC_AUTOSAVE_COUNT, f.count.c_str());
    SetDlgItemTextA(d, IDC_AUTOSAVE_MAX, f.max.c_str());
    SetDlgItemTextA(d, IDC_AUTOSAVE_SECONDS, f.seconds.c_str());
    CheckDlgButton(d, IDC_AUTOSAVE_PROMPT, f.prompt ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(d, IDC_AUTOSAVE_NUMBER, f.increment ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(d, IDC_AUTOSAVE_KEEPGOING, f.keepGoing ? BST_CHECKED : BST_UNCHECKED);
}

AutoSaveForm Read(HWND d) {
    AutoSaveForm f;
    f.name = klib::DialogItemText(d, IDC_AUTOSAVE_NAME);
    f.count = klib::DialogItemText(d, IDC_AUTOSAVE_COUNT);
    f.max = klib::DialogItemText(d, IDC_AUTOSAVE_MAX);
    f.seconds = klib::DialogItemText(d, IDC_AUTOSAVE_SECONDS);
    f.prompt = Checked(d, IDC_AUTOSAVE_PROMPT);
    f.increment = Checked(d, IDC_AUTOSAVE_NUMBER);
    f.keepGoing = Checked(d, IDC_AUTOSAVE_KEEPGOING);
    return f;
}

// Browse: the Save As dialog on the working copy; its type decides the
// format, and a name ending in '.' gets the type's extension.
void Browse(HWND d) {
    SaveAsDialogRequest request;
    request.owner = d;
    request.options = g_dialog->working;
    request.path = klib::DialogItemText(d, IDC_AUTOSAVE_NAME);
    request.browse = true;
    if (!RunSaveAsDialog(request)) return;
    g_dialog->working = request.options;
    DeriveFormatPlace(g_dialog->working);
    std::string path = request.path;
    if (!path.empty() && path.back() == '.') path += BuiltInWriterExtension(g_dialog->working.formatCode) + 1;
    SetDlgItemTextA(d, IDC_AUTOSAVE_NAME, path.c_str());
}

// The field in error and what to tell about it.
void ShowFieldError(HWND d, AutoSaveFormError error) {
    int field = IDC_AUTOSAVE_SECONDS;
    UINT text = IDS_AUTOSAVE_BAD_SECONDS;
    switch (error) {
    case AutoSaveFormError::Count: field = IDC_AUTOSAVE_COUNT, text = IDS_AUTOSAVE_BAD_NUMBER; break;
    case AutoSaveFormError::Max: field = IDC_AUTOSAVE_MAX, text = IDS_AUTOSAVE_BAD_NUMBER; break;
    case AutoSaveFormError::CountAboveMax: field = IDC_AUTOSAVE_COUNT, text = IDS_AUTOSAVE_COUNT_ABOVE_MAX; break;
    default: break;
    }
    MessageBoxA(d, klib::LoadResString(text).c_str(), klib::LoadResString(IDS_APP_TITLE).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    klib::SelectDialogItem(d, field);
}

// OK: the fields become the settings. False (the dialog stays) when a
// field holds no usable value.
bool Apply(HWND d) {
    AutoSaveChoice c;
    AutoSaveFormError error = ReadAutoSaveForm(Read(d), &c);
    if (error != AutoSaveFormError::None) {
        ShowFieldError(d, error);
        return false;
    }
    WindowSettings& s = g_settings;
    s.quickSave = g_dialog->working;
    // A name typed with the extension of one of the writers chooses it.
    if (c.formatCode && BuiltInWriterCode(s.quickSave.formatCode) != c.formatCode) {
        s.quickSave.formatCode = c.formatCode;
        DeriveFormatPlace(s.quickSave);
    }
    g_run.timedInterval = c.intervalMs;
    s.quickSaveName = c.name;
    s.quickSavePrompt = c.prompt ? 1 : 0;
    if (c.numbering) {
        s.quickSaveInc = c.increment ? 1 : 0;
        s.quickSaveCount = c.count;
        s.quickSaveMax = c.max;
        SetKeepGoingAfterFailedSave(c.keepGoing);
    }
    return true;
}

INT_PTR CALLBACK AutoSaveProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        Fill(d, AutoSaveFormOf(g_settings, g_run.timedInterval, KeepGoingAfterFailedSave()));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_AUTOSAVE_BROWSE: Browse(d); return TRUE;
        case IDOK:
            if (Apply(d)) EndDialog(d, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(d, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

void ShowAutoSaveDialog() {
    DialogState state;
    state.working = g_settings.quickSave;
    g_dialog = &state;
    INT_PTR result =
        DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_AUTO_SAVE), MainFrame(), AutoSaveProc, 0);
    g_dialog = nullptr;
    if (result != IDOK) {
        TurnAutoSaveOff();
        return;
    }
    // A new series starts with the next capture.
    DisarmTimedCapture();
    WriteWindowSettings(CurrentSettingsStore());
    RefreshMenuChecks();
    RegisterStopKey(TimedCaptureMode());
    if (TimedCaptureMode())
        klib::ResMessageBox(MB_OK | MB_ICONINFORMATION, IDS_TIMED_CAPTURE_ON, g_run.timedInterval * 0.001,
                            g_hotkeys.table[kRowStop].description);
}

void AutoSaveCommand() {
    if (GetKeyState(VK_SHIFT) >= 0 && g_settings.autoSave) {
        TurnAutoSaveOff();
        return;
    }
    g_settings.autoSave = 1;
    RefreshMenuChecks();
    if (StopKeyAvailable(g_hotkeys)) {
        ShowAutoSaveDialog();
        return;
    }
    // Without a stop key nothing could end a timed capture: automatic
    // saving goes on without one.
    g_run.timedInterval = 0;
    klib::ResMessageBox(MB_OK | MB_ICONINFORMATION, IDS_NEED_STOP_KEY);
}

}  // namespace gmbx
