// Process-wide settings of the capture program with their defaults: the
// window-and-capture group and the three save-option sets.
// Portable: no windows.h.
#pragma once
#include <cstdint>
#include <string>

namespace gmbx {

// Options of one file-save set (save, quick save, e-mail).
struct SaveOptions {
    int32_t append = 0;
    int32_t interlace = 0;
    int32_t transparent = 0;
    int32_t autoSelBits = 1;
    int32_t formatCode = 0;
    int32_t formatRow = 0;  // derived from formatCode
    int32_t variant = 0;    // derived from formatCode
    int32_t quality = 75;
    int32_t qualityFactor = 2;
    int32_t bitsPerPixel = 8;
    int32_t flags = 2;
};

// File format codes of the program's own writers.
constexpr int32_t kFormatGif = 2;
constexpr int32_t kFormatBmp = 6;
constexpr int32_t kFormatJpeg = 10;

struct WindowSettings {
    int32_t winPosX = -1, winPosY = -1, winWidth = -1, winHeight = -1;
    int32_t autoRestore = 1;
    int32_t includeCursor = 0;
    uint8_t autoScroll = 0, autoCopy = 0, autoPrint = 0;
    int32_t autoSave = 0;
    SaveOptions save, quickSave, emailSave;
    int32_t clipBmpBits = 1, clipBmpAutoSel = 1, clipBmpFormat = 0, clipMinOnCopy = 0;
    int32_t hideRegionHelp = 0;
    int32_t wantTrayIcon = 0;
    int32_t quickSaveCount = 1, quickSaveMax = 100;
    std::string quickSaveName = "snap";
    int32_t quickSaveInc = 1, quickSavePrompt = 0;
    int32_t scrollUpdateTime = 20;
    std::string defEmailName = "SNAP";
    uint32_t cropOutColor = 0xFFFFFF;
    int32_t lastSX = 0, lastSY = 0, lastWidth = 0, lastHeight = 0;
    int32_t enableDX = 0, enableDXOV = 0, enableGlide = 0;
    int32_t dxPostProcess = 1, dxCardType = 0, dxOVFormat = 0;
    double dxGamma[3] = {1.0, 1.7, 1.3};
    int32_t horizRes = 96000, vertRes = 96000;
    int32_t qCrop = 0, qScale = 0, qScaleAspect = 1, qScaleInterpol = 1;
    double qScaleWidth = 1, qScaleHeight = 1;
    int32_t qSclWPix = 0, qSclHPix = 0;
    int32_t qCropLeft = 0, qCropTop = 0, qCropWidth = 0, qCropHeight = 0;
    std::string currentDir;
    // Not stored: the game-capture-enabled flag, recomputed from EnableDX,
    // EnableDXOV and EnableGlide whenever the group is read.
    int32_t gameCaptureEnabled = 0;

    bool GameCaptureEnabled() const { return enableDX || enableDXOV || enableGlide; }
};

// Start-up state of one run (not stored).
struct RunFlags {
    int hidden = 0;          // the main window is never shown
    int addon = 1;           // the imaging add-on may be used
    uint8_t fixedTitle = 0;  // the title never shows the image size
    int keepDirectory = 0;   // do not restore the stored current directory
    int keepStoredDirectory = 0;  // do not write the current directory back
    uint8_t settingsFileMode = 0;
    int autoSaveForced = 0;  // AutoSave forced on by the environment or -QuickSave
    uint32_t timedInterval = 0;  // milliseconds between timed captures
    std::string helpPath;
};

extern WindowSettings g_settings;
extern RunFlags g_run;

}  // namespace gmbx
