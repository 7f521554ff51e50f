#include "orderform/win/letterprint.h"

#include <commdlg.h>

#include <map>
#include <memory>

#include "orderform/letterlayout.h"
#include "orderform/win/letterview.h"

namespace tendra {
namespace {

// Fonts of the letter for one device, created on first use, with their
// metrics in that device's units.
class GdiMetrics : public TextMetrics {
public:
    explicit GdiMetrics(HDC dc) : dc_(dc), dpiY_(GetDeviceCaps(dc, LOGPIXELSY)) {
        if (dpiY_ <= 0) dpiY_ = 96;
    }
    ~GdiMetrics() override {
        for (auto& entry : fonts_) DeleteObject(entry.second.font);
    }
    GdiMetrics(const GdiMetrics&) = delete;
    GdiMetrics& operator=(const GdiMetrics&) = delete;

    HFONT Font(const TextStyle& s) { return Get(s).font; }

    int TextWidth(const TextStyle& s, std::wstring_view text) override {
        if (text.empty()) return 0;
        Select(s);
        SIZE size = {};
        if (!GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size)) return 0;
        return size.cx;
    }
    int LineHeight(const TextStyle& s) override { return Get(s).lineHeight; }

    void Select(const TextStyle& s) { SelectObject(dc_, Get(s).font); }

private:
    struct Entry {
        HFONT font = nullptr;
        int lineHeight = 0;
    };
    static int Key(const TextStyle& s) {
        return (s.sizeDelta + 100) << 3 | (s.bold ? 1 : 0) | (s.italic ? 2 : 0) | (s.underline ? 4 : 0);
    }
    const Entry& Get(const TextStyle& s) {
        auto it = fonts_.find(Key(s));
        if (it != fonts_.end()) return it->second;
        LOGFONTW lf = {};
        int points = kLetterFontPoints + s.sizeDelta;
        if (points < 1) points = 1;
        lf.lfHeight = -MulDiv(points, dpiY_, 72);
        lf.lfWeight = s.bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = s.italic;
        lf.lfUnderline = s.underline;
        lf.lfCharSet = EASTEUROPE_CHARSET;
        lf.lfOutPrecision = OUT_TT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
        lstrcpynW(lf.lfFaceName, kLetterFontFace, LF_FACESIZE);
        Entry e;
        e.font = CreateFontIndirectW(&lf);
        if (!e.font) e.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        HGDIOBJ old = SelectObject(dc_, e.font);
        TEXTMETRICW tm = {};
        if (GetTextMetricsW(dc_, &tm))
            e.lineHeight = tm.tmHeight + tm.tmExternalLeading;
        else
            e.lineHeight = MulDiv(points, dpiY_, 72) * 6 / 5;
        SelectObject(dc_, old);
        return fonts_.emplace(Key(s), e).first->second;
    }

    HDC dc_;
    int dpiY_;
    std::map<int, Entry> fonts_;
};

std::vector<LaidPage> LayOut(HDC dc, GdiMetrics& metrics, const Letter& letter, const RECT& area) {
    PageGeometry g;
    g.width = area.right - area.left;
    g.height = area.bottom - area.top;
    int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    if (dpiX <= 0) dpiX = 96;
    g.bulletIndent = dpiX / 2;  // as on screen: the mark a quarter inch in, the text half an inch
    return LayOutLetter(letter, metrics, g);
}

}  // namespace

int CountLetterPages(HDC dc, const Letter& letter, const RECT& area) {
    if (!dc || area.right <= area.left || area.bottom <= area.top) return -1;
    const int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    GdiMetrics metrics(dc);
    const int count = static_cast<int>(LayOut(dc, metrics, letter, area).size());
    RestoreDC(dc, saved);
    return count;
}

int DrawLetterPages(HDC dc, const Letter& letter, const RECT& area, const PageCallbacks& callbacks) {
    if (!dc || area.right <= area.left || area.bottom <= area.top) return -1;
    const int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    int drawn = 0;
    {
        GdiMetrics metrics(dc);
        const std::vector<LaidPage> pages = LayOut(dc, metrics, letter, area);
        int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
        if (dpiX <= 0) dpiX = 96;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const int index = static_cast<int>(i);
            if (callbacks.beginPage && !callbacks.beginPage(callbacks.ctx, index)) {
                drawn = -1;
                break;
            }
            // A printer DC forgets its selections at each new page.
            SetMapMode(dc, MM_TEXT);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(0, 0, 0));
            SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
            for (const LaidLine& line : pages[i].lines) {
                metrics.Select(line.style);
                if (line.bulletMark) {
                    const wchar_t mark = kBulletMark;
                    TextOutW(dc, area.left + dpiX / 4, area.top + line.y, &mark, 1);
                }
                if (!line.text.empty())
                    TextOutW(dc, area.left + line.x, area.top + line.y, line.text.c_str(),
                             static_cast<int>(line.text.size()));
            }
            SelectObject(dc, GetStockObject(SYSTEM_FONT));
            if (callbacks.endPage && !callbacks.endPage(callbacks.ctx, index)) {
                drawn = -1;
                break;
            }
            ++drawn;
        }
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
    }
    RestoreDC(dc, saved);
    return drawn;
}

RECT LetterPrintArea(HDC dc) {
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX) > 0 ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    const int dpiY = GetDeviceCaps(dc, LOGPIXELSY) > 0 ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    const int marginX = MulDiv(dpiX, 200, 254);  // 2 cm
    const int marginY = MulDiv(dpiY, 200, 254);
    const int printableW = GetDeviceCaps(dc, HORZRES);
    const int printableH = GetDeviceCaps(dc, VERTRES);
    int paperW = GetDeviceCaps(dc, PHYSICALWIDTH);
    int paperH = GetDeviceCaps(dc, PHYSICALHEIGHT);
    int offX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    int offY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    if (paperW <= 0 || paperH <= 0) {  // not a printer: the whole surface is the paper
        paperW = printableW;
        paperH = printableH;
        offX = offY = 0;
    }
    // The margins are measured from the paper's edge; the device's origin is
    // the corner of the printable area, and we never draw outside it.
    RECT r;
    r.left = marginX - offX > 0 ? marginX - offX : 0;
    r.top = marginY - offY > 0 ? marginY - offY : 0;
    r.right = paperW - marginX - offX;
    r.bottom = paperH - marginY - offY;
    if (r.right > printableW) r.right = printableW;
    if (r.bottom > printableH) r.bottom = printableH;
    if (r.right <= r.left || r.bottom <= r.top) r = {0, 0, printableW, printableH};
    return r;
}

}  // namespace tendra

namespace {

bool StartPrinterPage(void* ctx, int) { return StartPage(static_cast<HDC>(ctx)) > 0; }
bool EndPrinterPage(void* ctx, int) { return EndPage(static_cast<HDC>(ctx)) > 0; }

}  // namespace

bool PrintLetter(HWND owner, const tendra::Letter& letter, const std::wstring& documentName) {
    PRINTDLGW pd = {};
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = owner;
    pd.Flags = PD_ALLPAGES | PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE | PD_RETURNDC | PD_NOSELECTION |
               PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    pd.nCopies = 1;
    const BOOL confirmed = PrintDlgW(&pd);
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    if (!confirmed || !pd.hDC) {
        if (pd.hDC) DeleteDC(pd.hDC);
        return false;
    }
    HDC dc = pd.hDC;

    DOCINFOW di = {};
    di.cbSize = sizeof(di);
    di.lpszDocName = documentName.c_str();
    bool ok = false;
    if (StartDocW(dc, &di) > 0) {
        tendra::PageCallbacks callbacks;
        callbacks.beginPage = StartPrinterPage;
        callbacks.endPage = EndPrinterPage;
        callbacks.ctx = dc;
        const int pages = tendra::DrawLetterPages(dc, letter, tendra::LetterPrintArea(dc), callbacks);
        if (pages > 0 && EndDoc(dc) > 0)
            ok = true;
        else
            AbortDoc(dc);
    }
    DeleteDC(dc);
    return ok;
}
