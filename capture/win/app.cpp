// gmbx: start-up of the capture program and its command-line interpreter.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "capture/cmdline.h"
#include "capture/hotkeys.h"
#include "capture/hotkeysio.h"
#include "capture/formats.h"
#include "capture/numbering.h"
#include "capture/settings.h"
#include "capture/win/cursorscheme.h"
#include "capture/win/grabber.h"
#include "capture/win/hotkeys_win.h"
#include "capture/win/imagefiles.h"
#include "capture/win/mainframe.h"
#include "capture/win/settings_commands.h"
#include "capture/win/timedcapture.h"
#include "imageio/win/current.h"
#include "install/win/installer.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/command.h"
#include "klib/object.h"
#include "klib/win/dde.h"
#include "klib/win/frame.h"
#include "klib/win/pump.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {
namespace {

// Optional system-message hook library used around window picks.
HMODULE g_oldHook = nullptr;

class Actions : public CmdLineActions {
public:
    int DumpOptions() override { return ExportSettingsToFile(); }
    int ReadOptions() override { return ImportSettingsFromFile(); }
    void InitFrom(const char* path) override { UseSettingsFile(path); }
};

// The Keys group goes through the same store as the other settings.
void ConnectHotkeyStore() {
    SetHotkeyPersistence({[](SettingsStore& store) { LoadHotkeysFrom(store, g_hotkeys, g_settings.GameCaptureEnabled()); },
                          [](SettingsStore& store) { SaveHotkeysTo(store, g_hotkeys); }});
    SetHotkeyIo([] { LoadHotkeysFrom(CurrentSettingsStore(), g_hotkeys, g_settings.GameCaptureEnabled()); },
                [] { SaveHotkeysTo(CurrentSettingsStore(), g_hotkeys); });
}

// The application object of the library: the top of event dispatch.
klib::k_object* g_application = nullptr;

// "load <path>" from another instance: open the file as File Open does,
// then restore the main window and bring it to the front.
int LoadCommand(klib::k_event* ev, intptr_t) {
    const char* path = ev->Text();
    if (!path || !*path) return 1;
    if (OpenImageFile(path)) ShowCurrentImage();
    else ClearView(false);
    ActivateMainWindow();
    return 1;
}

// "activate": restore the main window and bring it to the front.
int ActivateCommand(klib::k_event*, intptr_t) {
    ActivateMainWindow();
    return 1;
}

// Text commands that arrive over DDE name commands of the registry.
bool RunNamedCommand(const char* word, const char* args) {
    klib::k_command* cmd = klib::FindCommandByName(word);
    if (!cmd) return false;
    cmd->Invoke(args);
    return true;
}

// Hands the command line to the instance already running. True when it
// took it.
bool HandOver(const std::string& file) {
    int slot = klib::Connect(klib::BaseName().c_str(), klib::BaseName().c_str(), 0);
    if (!slot) return false;
    int sent = file.empty() ? klib::Send(slot, "activate") : klib::Send(slot, "load %s", file.c_str());
    klib::Disconnect(slot);
    return sent != 0;
}

// The file argument with wild cards resolved to the first match, as a full
// path; empty when nothing matches.
std::string ResolveFileArgument(const char* arg) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(arg, &fd);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    FindClose(h);
    std::string path(arg);
    size_t slash = path.find_last_of("\\/:");
    path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + fd.cFileName;
    char full[MAX_PATH + 1];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n > MAX_PATH - 1) return std::string();
    return full;
}

void ApplySaveParams(const SaveParams& p, SaveOptions& so) {
    so.interlace = p.interlace;
    so.append = p.append;
    so.quality = p.quality;
    so.autoSelBits = p.autoSelBits;
    if (!p.autoSelBits) so.bitsPerPixel = p.bitsPerPixel;
    so.transparent = 0;
}

// The writer -save's format names; `otherwise` for a name without one.
int32_t WriterCodeOf(SaveFormat format, int32_t otherwise) {
    return format == SaveFormat::Gif ? kFormatGif : format == SaveFormat::Jpeg ? kFormatJpeg : otherwise;
}

// In timed-capture mode -save writes nothing at once: its name (without
// an extension) becomes the name of the automatic saves, and its modifiers
// and format go to their options.
void SaveForTimedCapture(const CmdLineScan& scan, const SaveParams& p) {
    ApplySaveParams(p, g_settings.quickSave);
    std::string extension;
    g_settings.quickSaveName = CutNameExtension(scan.saveName ? scan.saveName : "snap", &extension);
    // The format: ":gif" or ":jpg", else the extension of one of the
    // program's writers, else as it was.
    int32_t code = WriterCodeOf(p.format, FormatCodeOfExtension(extension));
    if (code) {
        g_settings.quickSave.formatCode = code;
        DeriveFormatPlace(g_settings.quickSave);
    }
}

// Writes the command-line capture. True when the file was written.
bool SaveFromCommandLine(const CmdLineScan& scan) {
    SaveParams p = ParseSave(scan.saveArg);
    if (TimedCaptureMode()) {
        SaveForTimedCapture(scan, p);
        return true;
    }
    ApplySaveParams(p, g_settings.save);
    std::string name = scan.saveName ? scan.saveName : DefaultSaveName(p.format);
    // Without the imaging add-on every name that is not GIF or JPEG is
    // written as BMP.
    g_settings.save.formatCode = WriterCodeOf(p.format, kFormatBmp);
    RefreshDisplayColours();
    return SaveImageFile(name.c_str());
}

// The capture a -snap argument asks for. False when it cannot run (a
// cancelled or unavailable selection).
bool SnapFromCommandLine(const char* arg) {
    SnapParams sp = ParseSnap(arg);
    int x = sp.x, y = sp.y, w = sp.w, h = sp.h;
    switch (sp.kind) {
    case SnapKind::Window:
    case SnapKind::Region:
    case SnapKind::AWin:
    case SnapKind::ACli: {
        int mode = sp.kind == SnapKind::Window   ? kModeWindow
                   : sp.kind == SnapKind::Region ? kModeRegion
                   : sp.kind == SnapKind::AWin   ? kModeActiveWindow
                                                 : kModeActiveClient;
        RECT r;
        if (!CommandLineSelection(mode, &r)) return false;
        x = r.left;
        y = r.top;
        w = r.right - r.left;
        h = r.bottom - r.top;
        break;
    }
    case SnapKind::Rect: break;
    }
    g_settings.includeCursor = 0;
    RefreshDisplayColours();
    ClearCurrentImage(false);
    // Command-line captures never show the cursor.
    GrabOptions options = GrabOptionsFromSettings();
    options.includeCursor = false;
    std::unique_ptr<Pixmap> pm = Grab(x, y, w, h, options);
    EndCommandLineSelection();
    if (pm) SetCurrentPixmap(std::move(pm));
    if (!HaveImage()) return false;
    ShowCurrentImage();
    return true;
}

void LoadOldHook() {
    g_oldHook = LoadLibraryA("OldHook2.dll");
    if (!g_oldHook) return;
    SetSysMsgHook(reinterpret_cast<SysMsgHookInstall>(GetProcAddress(g_oldHook, "InstallSysMsgHook")),
                  reinterpret_cast<SysMsgHookRelease>(GetProcAddress(g_oldHook, "ReleaseSysMsgHook")), g_oldHook);
}

// The folder the program runs from.
std::string ProgramFolder() {
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n < sizeof path ? n : 0);
    size_t slash = p.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

int RunCommandLine(int argc, char** argv) {
    g_run.helpPath = HelpFilePath(argv[0]);
    g_settings.quickSaveName = "snap";
    if (std::getenv("CAPT_AUTO_SAVE")) {
        g_settings.autoSave = 1;
        g_run.autoSaveForced = 1;
    }
    ConnectHotkeyStore();
    Actions actions;
    CmdLineScan scan = ScanCommandLine(argc, argv, g_run.autoSaveForced != 0, actions);
    if (scan.oneShot == OneShotCommand::Install) {
        // A cancelled or failed installation still imports the settings
        // but ends with 1, so that a calling script can tell.
        int installed = install::InstallProgram(ProgramFolder());
        ImportSettingsAfterInstall();
        return installed ? 0 : 1;
    }
    if (scan.oneShot == OneShotCommand::Uninstall) {
        // 1 tells the uninstall batch file that the user declined.
        if (klib::ResMessageBox(MB_YESNO | MB_ICONQUESTION, IDS_CONFIRM_UNINSTALL) != IDYES) return 1;
        install::UninstallProgram();
        return 0;
    }
    if (scan.exitNow) return scan.exitCode;

    g_run.hidden = scan.hidden;
    g_run.addon = scan.addOn;
    g_run.fixedTitle = scan.fixedTitle;
    g_run.keepDirectory = scan.keepDirectory;
    g_run.keepStoredDirectory = scan.keepStoredDirectory;
    if (scan.autoSave) {
        g_settings.autoSave = 1;
        g_run.autoSaveForced = 1;
    }
    // One instance: with -ddesrv the first one serves, later ones hand over.
    bool otherInstance = false;
    if (scan.ddeServer) {
        klib::StartMessageService(klib::BaseName().c_str());
        otherInstance = klib::MessageServiceStarted() && !klib::MessageServiceRegistered();
    }
    if (!otherInstance) {
        klib::CreateCommand("load", 0, LoadCommand);
        klib::CreateCommand("activate", 0, ActivateCommand);
    }

    std::string fileToOpen;
    if (scan.fileArg) fileToOpen = ResolveFileArgument(scan.fileArg);
    if (!scan.HasCapture() && otherInstance && HandOver(fileToOpen)) return 0;

    // A hidden one-shot capture never shows the main window: it is not made.
    const bool windowless = scan.HasCapture() && g_run.hidden && !scan.quickSaveArg;
    if (!CreateMainFrame(scan.HasCapture(), windowless)) return 1;

    if (scan.quickSaveArg) {
        QuickSaveParams q = ParseQuickSave(scan.quickSaveArg);
        if (q.hasInterval) g_run.timedInterval = q.intervalMs;
        if (q.hasCounter) {
            g_settings.quickSaveCount = q.count;
            g_settings.quickSaveInc = q.inc;
        }
        if (q.hasMax) g_settings.quickSaveMax = q.max;
    }

    if (scan.HasCapture()) {
        if (scan.captureKind == CaptureKind::Open) {
            if (!OpenImageFile(scan.openFile)) return 1;
            ShowCurrentImage();
        } else if (!SnapFromCommandLine(scan.captureArg)) {
            return 1;
        }
        int code = 0;
        if (scan.printArg) {
            NotAvailable("Printing (-print)");
            code = 1;
        }
        // A file that could not be written is a failed run, not a success.
        if (scan.saveArg && !SaveFromCommandLine(scan)) code = 1;
        if (!scan.quickSaveArg) return code;
    }
    if (!fileToOpen.empty()) {
        if (OpenImageFile(fileToOpen.c_str())) ShowCurrentImage();
        else ClearView(false);
    }
    LoadOldHook();
    LoadCursorScheme();
    // Timed-capture mode: the image shown becomes the last capture, and the
    // series starts at the first idle moment.
    if (TimedCaptureMode()) AfterCapture(nullptr);
    RunMessageLoop();
    WriteBackSettingsFile();
    FreeCursorScheme();
    SetSysMsgHook(nullptr, nullptr, nullptr);
    if (g_oldHook) FreeLibrary(g_oldHook);
    return 0;
}

}  // namespace
}  // namespace gmbx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    using namespace gmbx;
    HMODULE resources = LoadLibraryA("GmbxRes.dll");
    if (!resources) {
        MessageBoxA(nullptr, "GmbxRes.dll not found, exiting.", nullptr, MB_OK | MB_ICONSTOP);
        return 1;
    }
    klib::SetResourceModule(resources);
    // Message boxes carry the application title.
    klib::SetMessageCaption(klib::LoadResString(IDS_APP_TITLE));
    // The hotkey table with its descriptions from the resource library.
    ResetHotkeyDefaults(g_hotkeys);
    for (int row = 0; row < kHotkeyRows; ++row)
        SetDefaultDescription(g_hotkeys, row, klib::LoadResString(IDS_HOTKEY_DESC_FIRST + row).c_str());
    g_hotkeys.capturesAllowed = 1;
    g_hotkeys.handlePrintScreen = 1;

    int argc = __argc;
    char** argv = __argv;
    klib::LibraryResources libraryResources;
    libraryResources.icon = IDR_MAINFRAME;
    libraryResources.fontFace = IDS_LIB_FONT_FACE;
    libraryResources.fontCharset = IDS_LIB_FONT_CHARSET;
    if (!klib::PrepareProcess(instance, showCommand, &argc, &argv, libraryResources)) return 1;
    InstallWin32DibHost();
    InstallImageMessageBoxes();
    CreateAppColourTable();
    g_application = new klib::k_object("gmbx");
    klib::SetApplicationObject(g_application);
    klib::SetNamedCommandSink(RunNamedCommand);
    klib::SetPendingMessageHook(klib::ProcessPendingMessage);
    klib::SetHotkeyHandler(DispatchCapture);
    int code = RunCommandLine(argc, argv);
    ClearCurrentImage(false);
    DestroyAppColourTable();
    klib::ExitProcessWith(code);
}
