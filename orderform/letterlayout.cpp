#include "orderform/letterlayout.h"

#include <algorithm>

namespace tendra {
namespace {

TextStyle StyleOf(const Paragraph& p) {
    TextStyle s;
    s.bold = p.bold;
    s.italic = p.italic;
    s.underline = p.underline;
    s.sizeDelta = p.sizeDelta;
    return s;
}

// No line of a page holds more characters than this in any legible font; longer
// runs are not measured whole (which would make a huge word cost quadratic time).
constexpr std::size_t kMaxLineChars = 1000;

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

// The hard lines of a paragraph: its text split at "\r\n", "\n" or "\r".
std::vector<std::wstring_view> HardLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::wstring_view TrimRight(std::wstring_view s) {
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Breaks one hard line into pieces no wider than `avail`.
std::vector<std::wstring_view> WrapLine(std::wstring_view line, TextMetrics& m, const TextStyle& style, int avail) {
    std::vector<std::wstring_view> pieces;
    std::size_t pos = 0;
    if (line.empty()) {
        pieces.push_back(line);
        return pieces;
    }
    while (pos < line.size()) {
        // Take whole words (with the spaces before them) while they fit.
        std::size_t end = pos;
        std::size_t scan = pos;
        while (scan < line.size()) {
            const std::size_t limit = std::min(line.size(), pos + kMaxLineChars + 1);
            std::size_t next = scan;
            while (next < limit && IsSpace(line[next])) ++next;
            while (next < limit && !IsSpace(line[next])) ++next;
            if (next - pos > kMaxLineChars) break;
            if (m.TextWidth(style, TrimRight(line.substr(pos, next - pos))) > avail) break;
            end = scan = next;
        }
        if (end == pos) {
            // Not even the first word fits: split it at the last character that fits
            // (at least one character, so that the text always moves on).
            const std::size_t limit = std::min(line.size(), pos + kMaxLineChars);
            std::size_t wordEnd = pos;
            while (wordEnd < limit && IsSpace(line[wordEnd])) ++wordEnd;
            while (wordEnd < limit && !IsSpace(line[wordEnd])) ++wordEnd;
            // Gallop to bracket the answer, then halve: only short prefixes get
            // measured even for a word of many thousand characters.
            const std::size_t most = wordEnd - pos;
            std::size_t lo = 1, hi = 2;
            while (hi <= most && m.TextWidth(style, line.substr(pos, hi)) <= avail) {
                lo = hi;
                hi *= 2;
            }
            hi = std::min(hi - 1, most);  // lo fits (or must be taken), hi + 1 does not
            while (lo < hi) {
                std::size_t mid = (lo + hi + 1) / 2;
                if (m.TextWidth(style, line.substr(pos, mid)) <= avail)
                    lo = mid;
                else
                    hi = mid - 1;
            }
            end = pos + lo;
        }
        std::wstring_view piece = TrimRight(line.substr(pos, end - pos));
        pieces.push_back(piece);
        pos = end;
        while (pos < line.size() && IsSpace(line[pos])) ++pos;  // the spaces at a break vanish
    }
    return pieces;
}

}  // namespace

std::vector<LaidPage> LayOutLetter(const Letter& letter, TextMetrics& m, const PageGeometry& page) {
    std::vector<LaidPage> pages(1);
    int y = 0;
    for (std::size_t index = 0; index < letter.size(); ++index) {
        const Paragraph& p = letter[index];
        const TextStyle style = StyleOf(p);
        const int indent = p.bullet ? std::clamp(page.bulletIndent, 0, std::max(page.width - 1, 0)) : 0;
        const int avail = std::max(page.width - indent, 1);
        const int height = std::max(m.LineHeight(style), 1);
        bool first = true;
        for (std::wstring_view hard : HardLines(p.text)) {
            for (std::wstring_view piece : WrapLine(hard, m, style, avail)) {
                if (y + height > page.height && !pages.back().lines.empty()) {
                    pages.emplace_back();
                    y = 0;
                }
                LaidLine line;
                line.paragraph = index;
                line.text.assign(piece.begin(), piece.end());
                line.style = style;
                line.width = piece.empty() ? 0 : m.TextWidth(style, piece);
                line.height = height;
                line.y = y;
                switch (p.align) {
                case Align::Left: line.x = indent; break;
                case Align::Centre: line.x = indent + std::max((avail - line.width) / 2, 0); break;
                case Align::Right: line.x = indent + std::max(avail - line.width, 0); break;
                }
                line.bulletMark = p.bullet && first;
                first = false;
                pages.back().lines.push_back(std::move(line));
                y += height;
            }
        }
    }
    return pages;
}

}  // namespace tendra
