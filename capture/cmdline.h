// Command line of gmbx: the option scanner and the parsers of the modifier
// texts that -QuickSave, -snap, -print and -save carry in their own argument.
// Portable: no windows.h. Everything that has an effect outside the scan
// (exporting or importing settings, loading a settings file) goes through
// CmdLineActions, which the program implements.
#pragma once
#include <string>

namespace gmbx {

// Work that must happen while the scan runs, in argument order.
struct CmdLineActions {
    // -dumpopts: export the settings to gmbx.ini; returns the exit code.
    virtual int DumpOptions() = 0;
    // -readopts: import the settings from gmbx.ini; returns the exit code.
    virtual int ReadOptions() = 0;
    // -initfrom:<path>: load that settings file and, if it could be read,
    // switch to settings-file mode. An unreadable file is simply ignored.
    virtual void InitFrom(const char* path) = 0;
    virtual ~CmdLineActions() = default;
};

// -install and -uninstall: only as the whole first argument, and then
// nothing else is scanned.
enum class OneShotCommand { None, Install, Uninstall };

// Which option the capture argument was.
enum class CaptureKind { None, Snap, Open };

// Outcome of ScanCommandLine. Argument positions are indices into argv
// (0 = not given); the pointers point into argv and live as long as it does.
struct CmdLineScan {
    // -install / -uninstall as the first argument: the caller does that work
    // and ends the program; none of the fields below were filled in.
    OneShotCommand oneShot = OneShotCommand::None;

    // -dumpopts / -readopts ended the scan: end the program with exitCode.
    bool exitNow = false;
    int exitCode = 0;

    // AutoSave as it stands after the scan: forced on by the environment
    // (input) or by -QuickSave.
    bool autoSave = false;

    // The last -QuickSave argument (parse it with ParseQuickSave).
    int quickSaveIndex = 0;
    const char* quickSaveArg = nullptr;

    bool hidden = false;               // -hidden, -open:, -snap without AutoSave
    bool addOn = true;                 // cleared by -nopro
    bool fixedTitle = false;           // -fixed_title
    bool keepDirectory = false;        // -nosetdir, -open:, -save, file argument
    bool keepStoredDirectory = false;  // -nosavedir
    bool ddeServer = false;            // -ddesrv

    // Capture argument: the later of -snap... and -open:...
    CaptureKind captureKind = CaptureKind::None;
    int captureIndex = 0;
    const char* captureArg = nullptr;  // the whole argument
    const char* openFile = nullptr;    // -open: only: the text after "-open:"

    // The last -print... argument (parse it with ParsePrint).
    int printIndex = 0;
    const char* printArg = nullptr;

    // The last -save... argument (parse it with ParseSave) and the argument
    // that follows it, which names the file to write (null when -save is the
    // last argument: the default name of the format is used then).
    int saveIndex = 0;
    const char* saveArg = nullptr;
    const char* saveName = nullptr;

    // The first argument that does not begin with '-'; it ended the scan.
    int fileIndex = 0;
    const char* fileArg = nullptr;

    bool HasCapture() const { return captureKind != CaptureKind::None; }
};

// Scans argv[1..argc-1] (argv[0] is the program). autoSaveForced tells
// whether AutoSave is already forced on (the CAPT_AUTO_SAVE environment
// variable) when the scan starts.
//
// Matching is case-sensitive. Options are tried in this order and the first
// that matches takes the argument: -QuickSave (prefix), -hidden, -nopro,
// -fixed_title (exact), -snap, -open:, -print, -save (prefix), -ddesrv,
// -dumpopts, -readopts (exact), -initfrom:, -nosetdir, -nosavedir (prefix).
// Any other argument that begins with '-' is ignored. An option given twice:
// the later one wins.
//
// The file that -save names is the argument after it, but the scan does not
// jump over that argument: it is scanned like any other one. A plain file
// name therefore also ends the scan as the file argument
// ("-save:jpg out.jpg": out.jpg is both the save name and the file
// argument), and an option there ("-save -hidden") is both the save name and
// an option.
CmdLineScan ScanCommandLine(int argc, const char* const* argv,
                            bool autoSaveForced, CmdLineActions& actions);

// -QuickSave,<interval ms>,<start counter>,<max>: pieces split at ','. A
// piece is present when its comma is there, even if the text after it is
// empty (it then reads as 0, like any text that is no number).
struct QuickSaveParams {
    bool hasInterval = false;
    unsigned intervalMs = 0;
    bool hasCounter = false;
    int count = 0;  // QuickSaveCount: the counter, or 1 when it was 0
    int inc = 0;    // QuickSaveInc: 1 with a non-zero counter, else 0
    bool hasMax = false;
    int max = 0;    // QuickSaveMax
};
QuickSaveParams ParseQuickSave(const char* arg);

// -snap modifiers.
enum class SnapKind { Rect, Window, Region, AWin, ACli };
struct SnapParams {
    SnapKind kind = SnapKind::Rect;
    // Rect only: left, top, width, height in screen pixels; a width or
    // height of 0 stands for that of the whole screen.
    int x = 0, y = 0, w = 0, h = 0;
};
// The kind is the first of ":window", ":region", ":awin", ":acli" found
// anywhere in the argument. Otherwise each of ":x", ":y", ":w", ":h" gives its
// value from the first place where it is directly followed by a decimal
// number (an optional sign, then digits); a letter never followed by a number
// gives 0. So "-snap:wide:w100" has a width of 100.
SnapParams ParseSnap(const char* arg);

// -print modifiers, and the values set before they are applied.
struct PrintParams {
    double leftMargin = 0.5, rightMargin = 0.5, topMargin = 0.5, bottomMargin = 0.5;
    bool usePrinterRes = false;
    bool invertBw = false;     // ":inv"
    bool bwOnly = false;       // ":bw"
    bool drawFrame = false;    // ":fr"
    bool landscape = false;    // ":l" (PrnPgOrient 1, else 0 = portrait)
    bool autoFit = false;      // ":af"
    double scale = 100.0;      // ":s" + number, in percent
    bool showDialog = false;   // ":pd"
};
// Every modifier is searched anywhere in the argument; no two of them share
// their first letter, so none can be mistaken for another. The scale is
// taken from the first ":s" directly followed by a number (digits with an
// optional '.' fraction, or '.' and digits); without such a number the scale
// stays 100.
PrintParams ParsePrint(const char* arg);

// -save modifiers.
enum class SaveFormat { ByExtension, Gif, Jpeg };
struct SaveParams {
    bool interlace = false;    // ":i" or ":p"
    bool append = false;       // ":a"
    int quality = 75;          // ":q" + number
    bool autoSelBits = true;   // off when ":c" + number is given
    int bitsPerPixel = 0;      // ":c" + number (0 when not given)
    SaveFormat format = SaveFormat::ByExtension;  // ":gif", else ":jpg"
    bool transparent = false;  // always off from the command line
};
// Every modifier is searched anywhere in the argument. ":gif" and ":jpg"
// contain no ":i", ":p", ":a", ":q" or ":c", and the single-letter modifiers
// are only ever found where a ':' stands right before the letter, so the
// format names and the other modifiers cannot trigger one another. ":q" and
// ":c" count only where directly followed by a decimal number (the first such
// place); a bare ":q" or ":c" leaves the default.
SaveParams ParseSave(const char* arg);

// The extension used to choose the writer: the text from the first '.'
// within the last six characters of the name, lower-cased; ".bmp" when there
// is none.
std::string ExtensionForSave(const char* name);

// "snap.bmp", "snap.gif" or "snap.jpg".
const char* DefaultSaveName(SaveFormat format);

// The context-help file beside the program: argv0 lower-cased, cut at the
// first ".exe", ".hlp" appended, '/' turned into '\'.
std::string HelpFilePath(const char* argv0);

}  // namespace gmbx
