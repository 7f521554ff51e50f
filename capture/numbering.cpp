#include "capture/numbering.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "capture/formats.h"
#include "capture/savename.h"

namespace gmbx {

namespace {

int DigitsOf(int32_t value) {
    int64_t v = value < 0 ? -int64_t(value) : int64_t(value);
    int digits = 1;
    while (v >= 10) {
        v /= 10;
        ++digits;
    }
    return digits;
}

std::string Trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// A whole number from 0 to INT32_MAX, digits only (blanks around allowed).
bool ParseWholeNumber(const std::string& text, int32_t* out) {
    std::string t = Trimmed(text);
    if (t.empty()) return false;
    int64_t v = 0;
    for (char c : t) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        v = v * 10 + (c - '0');
        if (v > std::numeric_limits<int32_t>::max()) return false;
    }
    *out = static_cast<int32_t>(v);
    return true;
}

constexpr uint64_t kMaxIntervalSeconds = 2147483;

// The interval field in milliseconds; false for text that is no number of
// seconds, or above the limit.
bool IntervalFromSecondsText(const std::string& text, uint32_t* ms) {
    std::string t = Trimmed(text);
    // Digits with at most one '.', nothing else: no sign, no exponent.
    bool digit = false, point = false;
    for (char c : t) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digit) return false;
    // Whole milliseconds in decimal arithmetic: the first three fraction
    // digits, and the fourth rounds (seconds x 1000 + 0.5, truncated).
    uint64_t whole = 0, fractionMs = 0;
    int fractionDigits = 0;
    bool fraction = false, roundUp = false;
    for (char c : t) {
        if (c == '.') {
            fraction = true;
        } else if (!fraction) {
            whole = whole * 10 + uint64_t(c - '0');
            if (whole > kMaxIntervalSeconds) return false;
        } else if (fractionDigits < 3) {
            fractionMs = fractionMs * 10 + uint64_t(c - '0');
            ++fractionDigits;
        } else if (fractionDigits == 3) {
            roundUp = c >= '5';
            ++fractionDigits;
        }
    }
    for (; fractionDigits < 3; ++fractionDigits) fractionMs *= 10;
    uint64_t total = whole * 1000 + fractionMs + (roundUp ? 1 : 0);
    if (total > kMaxIntervalSeconds * 1000) return false;
    *ms = static_cast<uint32_t>(total);
    return true;
}

// The field's text for an interval: the seconds with the fraction that
// they have ("2.5", "2"), in the form the field reads back.
std::string SecondsTextOfInterval(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%03u", static_cast<unsigned>(ms / 1000), static_cast<unsigned>(ms % 1000));
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

}  // namespace

QuickSaveNumbering NumberingOf(const WindowSettings& s) {
    QuickSaveNumbering n;
    n.base = s.quickSaveName;
    n.count = s.quickSaveCount;
    n.max = s.quickSaveMax;
    n.increment = s.quickSaveInc != 0;
    return n;
}

void StoreNumbering(const QuickSaveNumbering& n, WindowSettings& s) {
    s.quickSaveName = n.base;
    s.quickSaveCount = n.count;
    s.quickSaveMax = n.max;
    s.quickSaveInc = n.increment ? 1 : 0;
}

NumberedNameError TakeNumberedName(QuickSaveNumbering& n, const std::string& extension, size_t pathLimit,
                                   std::string* name) {
    name->clear();
    std::string built = n.base;
    if (n.increment) {
        // A number above the maximum would break the series' order, and a
        // counter at its end could not go on to a new name.
        if ((n.max != 0 && n.count > n.max) || n.count == std::numeric_limits<int32_t>::max())
            return NumberedNameError::PastMaximum;
        char number[16];
        std::snprintf(number, sizeof number, "%0*d", DigitsOf(n.max), static_cast<int>(n.count));
        built += number;
    }
    built += extension;
    if (built.size() + 1 > pathLimit) return NumberedNameError::TooLong;
    if (n.increment) ++n.count;
    *name = built;
    return NumberedNameError::None;
}

bool LearnNumbering(const std::string& path, QuickSaveNumbering& n) {
    const size_t start = FileNameStart(path);
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start) dot = path.size();
    size_t end = dot;  // one past the last digit
    while (end > start && !std::isdigit(static_cast<unsigned char>(path[end - 1]))) --end;
    if (end == start) {
        n.base = path.substr(0, dot);
        n.count = 1;
        return true;
    }
    size_t first = end;
    while (first > start && std::isdigit(static_cast<unsigned char>(path[first - 1]))) --first;
    int64_t number = 0;
    for (size_t i = first; i < end; ++i) {
        number = number * 10 + (path[i] - '0');
        if (number >= std::numeric_limits<int32_t>::max()) return false;
    }
    n.base = path.substr(0, first);
    n.count = static_cast<int32_t>(number + 1);
    return true;
}

int32_t BuiltInWriterCode(int32_t formatCode) {
    return formatCode == kFormatGif || formatCode == kFormatJpeg ? formatCode : kFormatBmp;
}

const char* BuiltInWriterExtension(int32_t formatCode) {
    int row = kFormatRowBmp, variant = 0;
    FindFormat(BuiltInWriterCode(formatCode), &row, &variant);
    return FormatTableRow(row)->extension;
}

std::string CutNameExtension(const std::string& name, std::string* extension) {
    if (extension) extension->clear();
    size_t from = name.size() > 5 ? name.size() - 5 : 0;
    size_t start = FileNameStart(name);
    if (from < start) from = start;
    size_t dot = name.find('.', from);
    if (dot == std::string::npos) return name;
    if (extension) *extension = name.substr(dot);
    return name.substr(0, dot);
}

int32_t FormatCodeOfExtension(const std::string& extension) {
    for (int row = 0; row < kBuiltInFormatRowCount; ++row)
        if (RowHasExtension(row, extension)) return BuiltInWriterCode(FormatTableVariant(row, 0)->code);
    return 0;
}

AutoSaveForm AutoSaveFormOf(const WindowSettings& s, uint32_t intervalMs, bool keepGoing) {
    AutoSaveForm f;
    if (!s.quickSaveName.empty()) f.name = s.quickSaveName + BuiltInWriterExtension(s.quickSave.formatCode);
    f.count = std::to_string(s.quickSaveCount);
    f.max = std::to_string(s.quickSaveMax);
    f.seconds = SecondsTextOfInterval(intervalMs);
    f.prompt = s.quickSavePrompt != 0;
    f.increment = s.quickSaveInc != 0;
    f.keepGoing = keepGoing;
    return f;
}

AutoSaveFormError ReadAutoSaveForm(const AutoSaveForm& form, AutoSaveChoice* out) {
    AutoSaveChoice c;
    std::string extension;
    c.name = CutNameExtension(Trimmed(form.name), &extension);
    c.formatCode = FormatCodeOfExtension(extension);
    c.prompt = form.prompt;
    if (!c.name.empty()) {
        c.numbering = true;
        c.increment = form.increment;
        c.keepGoing = form.keepGoing;
        if (!ParseWholeNumber(form.count, &c.count)) return AutoSaveFormError::Count;
        if (!ParseWholeNumber(form.max, &c.max)) return AutoSaveFormError::Max;
        if (c.increment && c.max != 0 && c.count > c.max) return AutoSaveFormError::CountAboveMax;
        if (!IntervalFromSecondsText(form.seconds, &c.intervalMs)) return AutoSaveFormError::Interval;
    }
    *out = c;
    return AutoSaveFormError::None;
}

}  // namespace gmbx
