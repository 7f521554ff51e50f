// The stored print options (group "Print"): fifteen values, read once per
// process and written at the end of a run. Margins and the scale are stored
// in thousandths.
// Portable: no windows.h.
#pragma once
#include <cstdint>

#include "capture/settingsio.h"

namespace gmbx {

struct PrintOptions {
    int32_t loaded = 0;         // set once the options were read
    int32_t invert = 0;         // PrnInvertBw: invert black, white and greys
    int32_t bwOnly = 0;         // PrnBwOnly: pure black and white by threshold
    int32_t frame = 0;          // PrnDrawFrame: a frame round the image on each page
    int32_t center = 0;         // PrnCenterImage: centre the image in the printable area
    int32_t units = 1;          // PrnUnits: 0 centimetres, 1 millimetres, 2 inches
    double leftMargin = 0.0;    // PrnLeftMarg, in units
    double rightMargin = 0.0;   // PrnRightMarg
    double topMargin = 0.0;     // PrnTopMarg
    double bottomMargin = 0.0;  // PrnBotMarg
    int32_t orientation = 0;    // PrnPgOrient: 0 portrait, 1 landscape, 2 automatic
    int32_t autoFit = 0;        // PrnAutoFit: largest size that fits the printable area
    double scale = 100.0;       // PrnScale: percent when autoFit is off
    int32_t usePrinterRes = 0;  // PrnUsePrnRes: one image pixel = one printer pixel
    int32_t blackLevel = 50;    // PrnBlackLevel: threshold for bwOnly, percent
    int32_t fitTooLarge = 0;    // PrnAFitTooLarge: shrink an image larger than the page

    // Millimetres per margin unit: 10 for 0, 1 for 1, 25.4 for any other.
    double MillimetresPerUnit() const;
};

extern PrintOptions g_printOptions;

// The units that the system's measurement setting ("iMeasure", a number as
// text) gives before the stored PrnUnits is read: its integer value, or 1
// when the setting could not be read (text null).
int32_t MeasureUnitsFromText(const char* text);

// Sets units to measureUnits, then reads the fifteen values that the store
// holds (PrnInvertBw, PrnBwOnly, PrnBlackLevel, PrnDrawFrame,
// PrnCenterImage, PrnUnits, PrnLeftMarg, PrnRightMarg, PrnTopMarg,
// PrnBotMarg, PrnPgOrient, PrnAutoFit, PrnAFitTooLarge, PrnScale,
// PrnUsePrnRes; an absent value leaves its field) and sets loaded. False,
// with loaded unchanged and nothing but units read, when the group does not
// exist.
bool ReadPrintOptions(SettingsStore& store, PrintOptions& options, int32_t measureUnits);

// ReadPrintOptions once per process: does nothing (and returns true) when
// options.loaded is set.
bool LoadPrintOptions(SettingsStore& store, PrintOptions& options, int32_t measureUnits);

// Writes the fifteen values in the same order; margins and scale as the
// integer part of value × 1000 + 0.1. When the group cannot be created,
// "Error %d creating registry key, print options not saved." goes to
// standard output and false is returned.
bool SavePrintOptions(SettingsStore& store, const PrintOptions& options);

// The stored form of a margin or the scale, and back.
int32_t ThousandthsFromValue(double value);
double ValueFromThousandths(int32_t stored);

}  // namespace gmbx
