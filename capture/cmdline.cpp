// Command line of gmbx: option scanner and modifier parsers.
#include "capture/cmdline.h"

#include "klib/decimal.h"

#include <climits>
#include <cstring>

namespace gmbx {

namespace {

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

using klib::ReadSignedDecimal;


// An unsigned decimal fraction at p: digits with an optional '.' and
// fraction digits, or '.' followed by digits. Computed by hand so that the
// locale's decimal point plays no part.
bool ReadFraction(const char* p, double* value) {
    double v = 0.0;
    bool any = false;
    for (; IsDigit(*p); ++p) {
        v = v * 10.0 + (*p - '0');
        any = true;
    }
    if (*p == '.') {
        ++p;
        double scale = 0.1;
        for (; IsDigit(*p); ++p) {
            v += (*p - '0') * scale;
            scale *= 0.1;
            any = true;
        }
    }
    if (!any) return false;
    *value = v;
    return true;
}

bool Contains(const char* text, const char* needle) { return std::strstr(text, needle) != nullptr; }

// The value after the first occurrence of tag that is directly followed by a
// signed decimal number.
bool FindTaggedInt(const char* text, const char* tag, int* value) {
    const size_t len = std::strlen(tag);
    for (const char* p = std::strstr(text, tag); p; p = std::strstr(p + 1, tag)) {
        if (ReadSignedDecimal(p + len, value)) return true;
    }
    *value = 0;
    return false;
}

bool FindTaggedFraction(const char* text, const char* tag, double* value) {
    const size_t len = std::strlen(tag);
    for (const char* p = std::strstr(text, tag); p; p = std::strstr(p + 1, tag)) {
        if (ReadFraction(p + len, value)) return true;
    }
    return false;
}

enum class Opt {
    QuickSave, Hidden, NoPro, FixedTitle, Snap, Open, Print, Save,
    DdeSrv, DumpOpts, ReadOpts, InitFrom, NoSetDir, NoSaveDir,
};

struct OptionRow {
    const char* name;
    bool prefix;
    Opt opt;
};

// The order of this table is the order of the tests: the first row that
// matches takes the argument.
const OptionRow kOptions[] = {
    {"-QuickSave", true, Opt::QuickSave},
    {"-hidden", false, Opt::Hidden},
    {"-nopro", false, Opt::NoPro},
    {"-fixed_title", false, Opt::FixedTitle},
    {"-snap", true, Opt::Snap},
    {"-open:", true, Opt::Open},
    {"-print", true, Opt::Print},
    {"-save", true, Opt::Save},
    {"-ddesrv", false, Opt::DdeSrv},
    {"-dumpopts", false, Opt::DumpOpts},
    {"-readopts", false, Opt::ReadOpts},
    {"-initfrom:", true, Opt::InitFrom},
    {"-nosetdir", true, Opt::NoSetDir},
    {"-nosavedir", true, Opt::NoSaveDir},
};

const OptionRow* MatchOption(const char* arg) {
    for (const OptionRow& row : kOptions) {
        if (row.prefix ? StartsWith(arg, row.name) : std::strcmp(arg, row.name) == 0) return &row;
    }
    return nullptr;
}

}  // namespace

CmdLineScan ScanCommandLine(int argc, const char* const* argv,
                            bool autoSaveForced, CmdLineActions& actions) {
    CmdLineScan r;
    r.autoSave = autoSaveForced;
    if (argc < 2 || !argv) return r;

    if (argv[1] && std::strcmp(argv[1], "-install") == 0) {
        r.oneShot = OneShotCommand::Install;
        return r;
    }
    if (argv[1] && std::strcmp(argv[1], "-uninstall") == 0) {
        r.oneShot = OneShotCommand::Uninstall;
        return r;
    }

    for (int i = 1; i < argc && argv[i]; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-') {
            r.fileIndex = i;
            r.fileArg = arg;
            r.keepDirectory = true;
            break;
        }
        const OptionRow* row = MatchOption(arg);
        if (!row) continue;  // unknown option: ignored
        switch (row->opt) {
        case Opt::QuickSave:
            r.autoSave = true;
            r.quickSaveIndex = i;
            r.quickSaveArg = arg;
            break;
        case Opt::Hidden:
            r.hidden = true;
            break;
        case Opt::NoPro:
            r.addOn = false;
            break;
        case Opt::FixedTitle:
            r.fixedTitle = true;
            break;
        case Opt::Snap:
            r.captureKind = CaptureKind::Snap;
            r.captureIndex = i;
            r.captureArg = arg;
            r.openFile = nullptr;
            // Without automatic saving the program ends after the capture, so
            // the window need never appear; with it, it stays visible.
            if (!r.autoSave) r.hidden = true;
            break;
        case Opt::Open:
            r.captureKind = CaptureKind::Open;
            r.captureIndex = i;
            r.captureArg = arg;
            r.openFile = arg + 6;
            r.keepDirectory = true;
            r.hidden = true;
            break;
        case Opt::Print:
            r.printIndex = i;
            r.printArg = arg;
            break;
        case Opt::Save:
            r.saveIndex = i;
            r.saveArg = arg;
            // The next argument names the file; it is still scanned in turn.
            r.saveName = (i + 1 < argc) ? argv[i + 1] : nullptr;
            r.keepDirectory = true;
            break;
        case Opt::DdeSrv:
            r.ddeServer = true;
            break;
        case Opt::DumpOpts:
            r.exitNow = true;
            r.exitCode = actions.DumpOptions();
            return r;
        case Opt::ReadOpts:
            r.exitNow = true;
            r.exitCode = actions.ReadOptions();
            return r;
        case Opt::InitFrom:
            actions.InitFrom(arg + 10);
            break;
        case Opt::NoSetDir:
            r.keepDirectory = true;
            break;
        case Opt::NoSaveDir:
            r.keepStoredDirectory = true;
            break;
        }
    }
    return r;
}

QuickSaveParams ParseQuickSave(const char* arg) {
    QuickSaveParams q;
    if (!arg) return q;
    // Piece 0 is the option itself; pieces 1..3 follow the commas.
    const char* piece[4] = {arg, nullptr, nullptr, nullptr};
    int pieces = 1;
    for (const char* p = std::strchr(arg, ','); p && pieces < 4; p = std::strchr(p + 1, ',')) {
        piece[pieces++] = p + 1;
    }
    // AtoiLike stops at the next ',' since it is no digit.
    if (pieces > 1) {
        q.hasInterval = true;
        q.intervalMs = unsigned(klib::DecimalOf(piece[1]));
    }
    if (pieces > 2) {
        q.hasCounter = true;
        const int start = klib::DecimalOf(piece[2]);
        if (start != 0) {
            q.count = start;
            q.inc = 1;
        } else {
            q.count = 1;
            q.inc = 0;
        }
    }
    if (pieces > 3) {
        q.hasMax = true;
        q.max = klib::DecimalOf(piece[3]);
    }
    return q;
}

SnapParams ParseSnap(const char* arg) {
    SnapParams s;
    if (!arg) return s;
    if (Contains(arg, ":window")) {
        s.kind = SnapKind::Window;
    } else if (Contains(arg, ":region")) {
        s.kind = SnapKind::Region;
    } else if (Contains(arg, ":awin")) {
        s.kind = SnapKind::AWin;
    } else if (Contains(arg, ":acli")) {
        s.kind = SnapKind::ACli;
    } else {
        FindTaggedInt(arg, ":x", &s.x);
        FindTaggedInt(arg, ":y", &s.y);
        FindTaggedInt(arg, ":w", &s.w);
        FindTaggedInt(arg, ":h", &s.h);
    }
    return s;
}

PrintParams ParsePrint(const char* arg) {
    PrintParams p;
    if (!arg) return p;
    p.invertBw = Contains(arg, ":inv");
    p.bwOnly = Contains(arg, ":bw");
    p.drawFrame = Contains(arg, ":fr");
    p.landscape = Contains(arg, ":l");
    p.autoFit = Contains(arg, ":af");
    FindTaggedFraction(arg, ":s", &p.scale);
    p.showDialog = Contains(arg, ":pd");
    return p;
}

SaveParams ParseSave(const char* arg) {
    SaveParams s;
    if (!arg) return s;
    s.interlace = Contains(arg, ":i") || Contains(arg, ":p");
    s.append = Contains(arg, ":a");
    int value = 0;
    if (FindTaggedInt(arg, ":q", &value)) s.quality = value;
    if (FindTaggedInt(arg, ":c", &value)) {
        s.bitsPerPixel = value;
        s.autoSelBits = false;
    }
    if (Contains(arg, ":gif")) {
        s.format = SaveFormat::Gif;
    } else if (Contains(arg, ":jpg")) {
        s.format = SaveFormat::Jpeg;
    }
    s.transparent = false;
    return s;
}

std::string ExtensionForSave(const char* name) {
    if (!name) return ".bmp";
    const size_t len = std::strlen(name);
    const char* tail = name + (len > 6 ? len - 6 : 0);
    const char* dot = std::strchr(tail, '.');
    if (!dot) return ".bmp";
    std::string ext(dot);
    for (char& c : ext) c = LowerAscii(c);
    return ext;
}

const char* DefaultSaveName(SaveFormat format) {
    switch (format) {
    case SaveFormat::Gif:
        return "snap.gif";
    case SaveFormat::Jpeg:
        return "snap.jpg";
    case SaveFormat::ByExtension:
        break;
    }
    return "snap.bmp";
}

std::string HelpFilePath(const char* argv0) {
    std::string path = argv0 ? argv0 : "";
    for (char& c : path) c = LowerAscii(c);
    const size_t exe = path.find(".exe");
    if (exe != std::string::npos) path.erase(exe);
    path += ".hlp";
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

}  // namespace gmbx
