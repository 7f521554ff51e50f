#include "orderform/win/letterview.h"

#include <richedit.h>

#include <string>

namespace tendra {
const wchar_t kLetterFontFace[] = L"Times New Roman";
}

namespace {

using tendra::Align;
using tendra::Paragraph;

// The character format of a paragraph (null: the letter's base format). Every
// run carries the face and the Central European charset, since the box's own
// default font is no use for the letter.
CHARFORMAT2W CharFormatOf(const Paragraph* p) {
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SIZE | CFM_FACE | CFM_CHARSET |
                CFM_COLOR | CFM_UNDERLINETYPE;
    cf.dwEffects = 0;
    if (p && p->bold) cf.dwEffects |= CFE_BOLD;
    if (p && p->italic) cf.dwEffects |= CFE_ITALIC;
    if (p && p->underline) cf.dwEffects |= CFE_UNDERLINE;
    cf.bUnderlineType = (p && p->underline) ? CFU_UNDERLINE : CFU_UNDERLINENONE;
    cf.crTextColor = RGB(0, 0, 0);
    const int points = tendra::kLetterFontPoints + (p ? p->sizeDelta : 0);
    cf.yHeight = (points > 1 ? points : 1) * 20;  // twips
    cf.bCharSet = EASTEUROPE_CHARSET;
    cf.bPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
    lstrcpynW(cf.szFaceName, tendra::kLetterFontFace, LF_FACESIZE);
    return cf;
}

PARAFORMAT2 ParaFormatOf(const Paragraph& p) {
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_ALIGNMENT | PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT;
    switch (p.align) {
    case Align::Left: pf.wAlignment = PFA_LEFT; break;
    case Align::Centre: pf.wAlignment = PFA_CENTER; break;
    case Align::Right: pf.wAlignment = PFA_RIGHT; break;
    }
    if (p.bullet) {
        pf.wNumbering = PFN_BULLET;
        pf.dxStartIndent = 360;  // twips: the bullet a quarter inch in,
        pf.dxOffset = 360;       // the text another quarter inch
    }
    return pf;
}

// Puts the caret at the end of the text and returns its position.
LONG MoveToEnd(HWND box) {
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    CHARRANGE r = {};
    SendMessageW(box, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r.cpMax;
}

// Appends `text` at the end in the format `cf`.
void AppendText(HWND box, const std::wstring& text, CHARFORMAT2W& cf) {
    const LONG start = MoveToEnd(box);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    CHARRANGE r = {start, MoveToEnd(box)};
    SendMessageW(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageW(box, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

}  // namespace

void ShowLetter(HWND box, const tendra::Letter& letter) {
    if (!box) return;
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, EM_SETREADONLY, FALSE, 0);
    SendMessageW(box, EM_EXLIMITTEXT, 0, 0x7fffffff);
    SetWindowTextW(box, L"");
    // A little white space between the frame and the text, as on paper.
    RECT format = {};
    GetClientRect(box, &format);
    if (format.right - format.left > 40 && format.bottom - format.top > 20) {
        InflateRect(&format, -8, -4);
        SendMessageW(box, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
    }

    CHARFORMAT2W base = CharFormatOf(nullptr);
    SendMessageW(box, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&base));
    SendMessageW(box, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&base));

    // A paragraph mark takes the format of the paragraph it ends, so that an
    // empty paragraph is as high as its own font.
    bool first = true;
    CHARFORMAT2W previous = base;
    for (const Paragraph& p : letter) {
        CHARFORMAT2W cf = CharFormatOf(&p);
        PARAFORMAT2 pf = ParaFormatOf(p);
        // A line break typed into a field (the remarks) starts another
        // paragraph of the same format.
        std::size_t start = 0;
        for (;;) {
            std::size_t stop = p.text.find_first_of(L"\r\n", start);
            std::wstring line = p.text.substr(start, stop == std::wstring::npos ? std::wstring::npos : stop - start);
            if (!first) AppendText(box, L"\r", previous);
            first = false;
            MoveToEnd(box);
            SendMessageW(box, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
            if (!line.empty()) AppendText(box, line, cf);
            previous = cf;
            if (stop == std::wstring::npos) break;
            start = stop + ((p.text[stop] == L'\r' && stop + 1 < p.text.size() && p.text[stop + 1] == L'\n') ? 2 : 1);
        }
    }

    SendMessageW(box, EM_SETSEL, 0, 0);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    SendMessageW(box, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(box, EM_SETMODIFY, FALSE, 0);
    SendMessageW(box, EM_SETREADONLY, TRUE, 0);
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}
