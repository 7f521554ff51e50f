// Line and page breaking of the order letter, independent of any device: the
// caller measures text (TextMetrics) and says how big a page is; the result is
// every line with its position on its page, ready to be drawn.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "orderform/letter.h"

namespace tendra {

struct TextStyle {
    bool bold = false, italic = false, underline = false;
    int sizeDelta = 0;
    bool operator==(const TextStyle& o) const {
        return bold == o.bold && italic == o.italic && underline == o.underline && sizeDelta == o.sizeDelta;
    }
};

// Font metrics as the device sees them, in device units.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual int TextWidth(const TextStyle& style, std::wstring_view text) = 0;
    virtual int LineHeight(const TextStyle& style) = 0;
};

struct PageGeometry {
    int width = 0;          // usable width of a page (inside the margins)
    int height = 0;         // usable height of a page
    int bulletIndent = 0;   // text of bulleted paragraphs starts this far in
};

// The bullet mark drawn before the first line of a bulleted paragraph.
constexpr wchar_t kBulletMark = L'\x2022';

struct LaidLine {
    std::size_t paragraph = 0;   // index into the letter
    std::wstring text;           // without the spaces at the break
    TextStyle style;
    int x = 0, y = 0;            // top-left of the text, relative to the page area
    int width = 0, height = 0;
    bool bulletMark = false;     // draw kBulletMark at x = 0 on this line
};

struct LaidPage {
    std::vector<LaidLine> lines;
};

// Breaks every paragraph into lines that fit the page width (at spaces; a word
// wider than the line is split between characters), and the lines into pages
// (a line is never split; a page holds at least one line). Empty paragraphs
// keep the height of an empty line. Always at least one page.
std::vector<LaidPage> LayOutLetter(const Letter& letter, TextMetrics& metrics, const PageGeometry& page);

}  // namespace tendra
