// Reading and writing the stored settings: the gmbx.ini store and the
// Window group.
#include "capture/settingsio.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "capture/fileplatform.h"
#include "capture/formats.h"

namespace gmbx {

const char kWindowGroup[] = "Window";
const char kKeysGroup[] = "Keys";
const char kPrintGroup[] = "Print";

IniFile g_settingsFile;

namespace {

class IniValues : public ValueStore {
public:
    explicit IniValues(IniFile& file) : file_(file) {}

    bool GetDword(const char* name, uint32_t* value) override {
        uint32_t type = 0, v = 0, length = 4;
        if (file_.GetValue(name, &type, &v, &length) != kValueOk || type != kValueDword) return false;
        *value = v;
        return true;
    }
    bool GetText(const char* name, std::string* value, size_t bufferSize) override {
        uint32_t type = 0, length = 0;
        if (bufferSize == 0 || file_.GetValue(name, &type, nullptr, &length) != kValueOk || type != kValueText)
            return false;
        std::vector<char> buf(bufferSize);
        length = uint32_t(bufferSize);
        if (file_.GetValue(name, &type, buf.data(), &length) != kValueOk) return false;
        *value = std::string(buf.data());
        return true;
    }
    bool PutDword(const char* name, uint32_t value) override {
        return file_.PutValue(name, kValueDword, &value, 4) == kValueOk;
    }
    bool PutText(const char* name, const std::string& value, bool withZero) override {
        return file_.PutValue(name, kValueText, value.c_str(), uint32_t(value.size() + (withZero ? 1 : 0))) ==
               kValueOk;
    }

private:
    IniFile& file_;
};

// The Window group in its stored order, for a reader and a writer alike.
template <class V>
void VisitSaveOptions(V& v, const std::string& prefix, SaveOptions& o) {
    v.Int((prefix + "Append").c_str(), o.append);
    v.Int((prefix + "Interlace").c_str(), o.interlace);
    v.Int((prefix + "Transp").c_str(), o.transparent);
    v.Int((prefix + "AutoSelBits").c_str(), o.autoSelBits);
    v.Int((prefix + "Quality").c_str(), o.quality);
    v.Int((prefix + "QFactor").c_str(), o.qualityFactor);
    v.Int((prefix + "BitsPerPixel").c_str(), o.bitsPerPixel);
    v.Int((prefix + "Flags").c_str(), o.flags);
    v.Int((prefix + "Format").c_str(), o.formatCode);
}

template <class V>
void VisitWindowGroup(V& v, WindowSettings& s) {
    v.Position(s.winPosX, s.winPosY);
    v.Size(s.winWidth, s.winHeight);
    v.Int("AutoRestore", s.autoRestore);
    v.Int("IncludeCursor", s.includeCursor);
    v.Flag("AutoScroll", s.autoScroll);
    v.Flag("AutoCopy", s.autoCopy);
    v.Flag("AutoPrint", s.autoPrint);
    v.AutoSave(s.autoSave);
    VisitSaveOptions(v, "Save", s.save);
    VisitSaveOptions(v, "QSave", s.quickSave);
    VisitSaveOptions(v, "ESave", s.emailSave);
    v.Int("ClipBmpBits", s.clipBmpBits);
    v.Int("ClipBmpAutoSel", s.clipBmpAutoSel);
    v.Int("ClipBmpFormat", s.clipBmpFormat);
    v.Int("ClipMinOnCopy", s.clipMinOnCopy);
    v.Int("HideRegionHelp", s.hideRegionHelp);
    v.Int("WantTrayIcon", s.wantTrayIcon);
    v.Int("QuickSaveCount", s.quickSaveCount);
    v.Int("QuickSaveMax", s.quickSaveMax);
    v.Text("QuickSaveName", s.quickSaveName, kQuickSaveNameMax);
    v.Int("QuickSaveInc", s.quickSaveInc);
    v.Int("QuickSavePrompt", s.quickSavePrompt);
    v.Int("ScrollUpdateTime", s.scrollUpdateTime);
    v.Text("DefEmailName", s.defEmailName, kDefEmailNameMax);
    v.Unsigned("CropOutColor", s.cropOutColor);
    v.Int("LastSX", s.lastSX);
    v.Int("LastSY", s.lastSY);
    v.Int("LastWidth", s.lastWidth);
    v.Int("LastHeight", s.lastHeight);
    v.Int("EnableDX", s.enableDX);
    v.Int("EnableDXOV", s.enableDXOV);
    v.Int("EnableGlide", s.enableGlide);
    v.Int("DXPostProcess", s.dxPostProcess);
    v.Int("DXCardType", s.dxCardType);
    v.Int("DXOVFormat", s.dxOVFormat);
    for (int i = 0; i < 3; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "DXGammaCorrect%1d", i);
        v.Real(name, s.dxGamma[i], "%f", kGammaTextMax);
    }
    v.Int("HorizRes", s.horizRes);
    v.Int("VertRes", s.vertRes);
    v.Int("QCrop", s.qCrop);
    v.Int("QScale", s.qScale);
    v.Int("QScaleAspect", s.qScaleAspect);
    v.Int("QScaleInterpol", s.qScaleInterpol);
    v.Real("QScaleWidth", s.qScaleWidth, "%g", kQScaleTextMax);
    v.Real("QScaleHeight", s.qScaleHeight, "%g", kQScaleTextMax);
    v.Int("QSclWPix", s.qSclWPix);
    v.Int("QSclHPix", s.qSclHPix);
    v.Int("QCropLeft", s.qCropLeft);
    v.Int("QCropTop", s.qCropTop);
    v.Int("QCropWidth", s.qCropWidth);
    v.Int("QCropHeight", s.qCropHeight);
    v.CurrentDir(s.currentDir);
}

struct GroupReader {
    ValueStore& values;
    const RunFlags& run;
    bool haveDirectory = false;

    void Int(const char* name, int32_t& field) {
        uint32_t v;
        if (values.GetDword(name, &v)) field = int32_t(v);
    }
    void Unsigned(const char* name, uint32_t& field) { values.GetDword(name, &field); }
    // One byte wide in memory: only the lowest byte of the stored DWORD counts.
    void Flag(const char* name, uint8_t& field) {
        uint32_t v;
        if (values.GetDword(name, &v)) field = uint8_t(v & 0xFF);
    }
    void Position(int32_t& x, int32_t& y) {
        Int("WinPosX", x);
        Int("WinPosY", y);
    }
    void Size(int32_t& w, int32_t& h) {
        Int("WinWidth", w);
        Int("WinHeight", h);
    }
    void AutoSave(int32_t& field) {
        if (!run.autoSaveForced) Int("AutoSave", field);
    }
    void Text(const char* name, std::string& field, size_t maxChars) { values.GetText(name, &field, maxChars + 1); }
    void Real(const char* name, double& field, const char*, size_t maxChars) {
        std::string text;
        if (values.GetText(name, &text, maxChars + 1)) field = std::strtod(text.c_str(), nullptr);
    }
    void CurrentDir(std::string& field) { haveDirectory = values.GetText("CurrentDir", &field, kCurrentDirMax + 1); }
};

struct GroupWriter {
    ValueStore& values;
    const RunFlags& run;
    const DirectoryAccess& dir;
    const WindowPoint* position;
    const WindowExtent* size;

    void Int(const char* name, int32_t field) { values.PutDword(name, uint32_t(field)); }
    void Unsigned(const char* name, uint32_t field) { values.PutDword(name, field); }
    void Flag(const char* name, uint8_t field) { values.PutDword(name, field); }
    void Position(int32_t& x, int32_t& y) {
        if (!position) return;
        x = position->x;
        y = position->y;
        Int("WinPosX", x);
        Int("WinPosY", y);
    }
    void Size(int32_t& w, int32_t& h) {
        if (!size) return;
        w = size->width;
        h = size->height;
        Int("WinWidth", w);
        Int("WinHeight", h);
    }
    void AutoSave(int32_t field) { Int("AutoSave", field); }
    void Text(const char* name, const std::string& field, size_t) { values.PutText(name, field); }
    void Real(const char* name, double field, const char* format, size_t) {
        char buf[512];
        std::snprintf(buf, sizeof buf, format, field);
        values.PutText(name, buf);
    }
    void CurrentDir(std::string& field) {
        if (run.keepStoredDirectory || !dir.current) return;
        std::string cwd = dir.current();
        // A folder that could not be read back is not stored.
        if (cwd.empty() || cwd.size() > kCurrentDirMax) return;
        field = cwd;
        values.PutText("CurrentDir", field);
    }
};

}  // namespace

std::unique_ptr<ValueStore> IniSettingsStore::OpenForReading(const char*) {
    return std::make_unique<IniValues>(file_);
}

std::unique_ptr<ValueStore> IniSettingsStore::OpenForWriting(const char*, long* error) {
    if (error) *error = 0;
    return std::make_unique<IniValues>(file_);
}

DirectoryAccess ProcessDirectoryAccess() {
    DirectoryAccess d;
    d.current = [] { return ProcessCurrentDirectory(); };
    d.change = [](const std::string& path) { return ChangeProcessDirectory(path.c_str()); };
    return d;
}

bool ReadWindowSettings(SettingsStore& store, WindowSettings& s, const RunFlags& run, const DirectoryAccess& dir) {
    std::unique_ptr<ValueStore> values = store.OpenForReading(kWindowGroup);
    if (!values) return false;
    GroupReader reader{*values, run};
    VisitWindowGroup(reader, s);
    DeriveFormatPlace(s.save);
    DeriveFormatPlace(s.quickSave);
    DeriveFormatPlace(s.emailSave);
    s.gameCaptureEnabled = s.GameCaptureEnabled() ? 1 : 0;
    if (reader.haveDirectory && !run.keepDirectory && !s.currentDir.empty() && dir.change) dir.change(s.currentDir);
    return true;
}

bool ReadWindowSettings(SettingsStore& store) {
    return ReadWindowSettings(store, g_settings, g_run, ProcessDirectoryAccess());
}

bool WriteWindowSettings(SettingsStore& store, const WindowPoint* position, const WindowExtent* size,
                         WindowSettings& s, const RunFlags& run, const DirectoryAccess& dir) {
    std::unique_ptr<ValueStore> values = store.OpenForWriting(kWindowGroup);
    if (!values) return false;
    GroupWriter writer{*values, run, dir, position, size};
    VisitWindowGroup(writer, s);
    return true;
}

bool WriteWindowSettings(SettingsStore& store, const WindowPoint* position, const WindowExtent* size) {
    return WriteWindowSettings(store, position, size, g_settings, g_run, ProcessDirectoryAccess());
}

}  // namespace gmbx
