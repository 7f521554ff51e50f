// Automatic file names: the numbered name of the next automatic save, the
// numbering learnt back from a name the user saved under, and the rules of
// the automatic-save dialog's fields. Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "capture/settings.h"

namespace gmbx {

// The numbering of automatic saves (the QuickSave... settings).
struct QuickSaveNumbering {
    std::string base;        // QuickSaveName: path without number and extension
    int32_t count = 1;       // QuickSaveCount: the next number
    int32_t max = 100;       // QuickSaveMax: the highest number, 0 = no limit
    bool increment = true;   // QuickSaveInc: a number is added to the name
};
QuickSaveNumbering NumberingOf(const WindowSettings& s);
void StoreNumbering(const QuickSaveNumbering& n, WindowSettings& s);

enum class NumberedNameError {
    None,
    PastMaximum,  // the counter is above the maximum, or could not go on
    TooLong,      // the name would not fit the path limit
};

// The next name: the base, then (with increment) the counter zero-padded to
// as many digits as the maximum has (1 digit when it is 0), then the
// extension; the counter then goes up by one. On failure nothing changes
// and *name is empty. pathLimit counts the terminating zero.
NumberedNameError TakeNumberedName(QuickSaveNumbering& n, const std::string& extension, size_t pathLimit,
                                   std::string* name);

// Learns the numbering from the path the user saved under: the digits
// nearest before the extension of its file-name part give the next count
// (that number + 1) and everything before them the base; without digits the
// base is the path without its extension and the count 1. The folder stays
// part of the base. False, with n unchanged, when the number is too large
// to go on from.
bool LearnNumbering(const std::string& path, QuickSaveNumbering& n);

// The writer an automatic save uses for a format code without the imaging
// add-on: GIF and JPEG by their codes, BMP for anything else.
int32_t BuiltInWriterCode(int32_t formatCode);
// Its file extension (".bmp", ".gif", ".jpg").
const char* BuiltInWriterExtension(int32_t formatCode);

// The name field of the automatic-save dialog: a '.' within the last five
// characters of the file-name part cuts the name there. *extension (when
// given) receives the text cut off, '.' included.
std::string CutNameExtension(const std::string& name, std::string* extension = nullptr);

// The writer's format code an extension names (".bmp", ".dib", ".gif",
// ".jpg", ".jpeg", any case); 0 for any other text.
int32_t FormatCodeOfExtension(const std::string& extension);

// The automatic-save dialog's fields as the user left them.
struct AutoSaveForm {
    std::string name;     // file name, extension included
    std::string count;    // start number
    std::string max;      // highest number (0 = no limit)
    std::string seconds;  // interval of timed captures in seconds (0 = none)
    bool prompt = false;
    bool increment = true;
    bool keepGoing = false;
};
// The fields for the settings as they are: the name with the extension of
// the writer its format uses (empty without a name).
AutoSaveForm AutoSaveFormOf(const WindowSettings& s, uint32_t intervalMs, bool keepGoing);

// What the dialog's OK takes over.
struct AutoSaveChoice {
    std::string name;         // the name field without its extension
    int32_t formatCode = 0;   // the format its extension names, 0 = keep
    bool prompt = false;
    uint32_t intervalMs = 0;  // 0 when the name is empty
    // Taken over only with a name:
    bool numbering = false;
    int32_t count = 1, max = 0;
    bool increment = true, keepGoing = false;
};
enum class AutoSaveFormError { None, Count, Max, CountAboveMax, Interval };
// Reads the fields; the first field in error (count, maximum, interval)
// otherwise. Numbers are whole numbers from 0 up; with increment on and a
// maximum, the start number may not lie above it. The interval is a number
// of seconds ('.' before the fraction, whatever the locale) up to 2147483:
// milliseconds = seconds x 1000 + 0.5, truncated.
AutoSaveFormError ReadAutoSaveForm(const AutoSaveForm& form, AutoSaveChoice* out);

}  // namespace gmbx
