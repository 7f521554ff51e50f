#include "capture/win/quicksave.h"

#include <windows.h>

#include "capture/settings.h"
#include "capture/settingsio.h"
#include "capture/win/imagefiles.h"
#include "capture/win/mainframe.h"
#include "capture/win/settings_commands.h"
#include "capture/win/timedcapture.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {

namespace {

// The quick-save options stand in for the save options while the automatic
// save writes; the save options come back whatever the result.
class QuickSaveOptionsScope {
public:
    QuickSaveOptionsScope() : saved_(g_settings.save) {
        g_settings.save = g_settings.quickSave;
        g_settings.save.formatCode = BuiltInWriterCode(g_settings.quickSave.formatCode);
    }
    ~QuickSaveOptionsScope() { g_settings.save = saved_; }
    QuickSaveOptionsScope(const QuickSaveOptionsScope&) = delete;
    QuickSaveOptionsScope& operator=(const QuickSaveOptionsScope&) = delete;

private:
    SaveOptions saved_;
};

}  // namespace

NumberedNameError TakeQuickSaveName(std::string* path) {
    path->clear();
    QuickSaveNumbering n = NumberingOf(g_settings);
    // The base as a full path: the limit holds for the name the file gets.
    // (Only the prompted save goes on without a base: the user names the file.)
    if (!n.base.empty()) {
        char full[MAX_PATH];
        DWORD length = GetFullPathNameA(n.base.c_str(), sizeof full, full, nullptr);
        if (length == 0 || length >= sizeof full) return NumberedNameError::TooLong;
        n.base = full;
    }
    const char* extension = BuiltInWriterExtension(g_settings.quickSave.formatCode);
    NumberedNameError error = TakeNumberedName(n, extension, MAX_PATH, path);
    if (error == NumberedNameError::None) g_settings.quickSaveCount = n.count;
    return error;
}

void ReportQuickSaveNameFailure(NumberedNameError error) {
    if (error == NumberedNameError::None) return;
    if (TimedCaptureRunning()) {
        klib::DebugWrite(error == NumberedNameError::PastMaximum
                             ? "Automatic save: number %d is above the highest number %d\n"
                             : "Automatic save: the name is too long (counter %d, highest %d)\n",
                         static_cast<int>(g_settings.quickSaveCount), static_cast<int>(g_settings.quickSaveMax));
        return;
    }
    if (error == NumberedNameError::PastMaximum)
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_QUICKSAVE_PAST_MAX,
                            static_cast<int>(g_settings.quickSaveCount), static_cast<int>(g_settings.quickSaveMax));
    else
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_QUICKSAVE_TOO_LONG, g_settings.quickSaveName.c_str());
}

bool QuickSave(std::unique_ptr<Pixmap> pixmap) {
    NoteAutomaticSave();
    if (pixmap) SetCurrentPixmap(std::move(pixmap));
    ShowCurrentImage();

    std::string path;
    NumberedNameError error = TakeQuickSaveName(&path);
    bool saved = false;
    if (error == NumberedNameError::None) {
        RefreshDisplayColours();
        QuickSaveOptionsScope options;
        // The writers remove a file they could not complete.
        saved = SaveImageFile(path.c_str());
    } else {
        ReportQuickSaveNameFailure(error);
    }
    if (saved) g_image.lastSavedPath = path;

    if (!TimedCaptureRunning()) WriteWindowSettings(CurrentSettingsStore());
    else if (!saved && !KeepGoingAfterFailedSave()) StopTimedCapture();
    return saved;
}

}  // namespace gmbx
