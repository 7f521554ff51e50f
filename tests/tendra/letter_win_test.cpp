// The order letter on Windows: shown in a real rich-edit box, drawn onto a
// bitmap, and printed through the print dialog onto the test printer.
#include <windows.h>
#include <dlgs.h>
#include <winspool.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <string>
#include <thread>

#include "orderform/letter.h"
#include "orderform/win/letterprint.h"
#include "orderform/win/letterview.h"
#include "tests/tendra/test_printer.h"
#include "tests/testutil/lettertext.h"

namespace {

using tendra::Letter;

const wchar_t kDocumentName[] = L"Zamówienie programu(ów) Kestrin Software)";

tendra::OrderData SampleOrder() {
    tendra::OrderData d;
    d.name = L"Jan Kowalski";
    d.organisation = L"Zakład Usług Żółwik";
    d.street = L"ul. Piękna 12/3";
    d.postcode = L"90-001";
    d.city = L"Łódź";
    d.phone = L"42 123 45 67";
    d.email = L"jan@example.pl";
    d.nip = L"725-000-11-22";
    d.remarks = L"Proszę o fakturę.\r\nDruga linia uwag.";
    d.delivery = L"Internetem, zapłata przelewem (+4zł)";
    d.invoice = 0;
    d.programs = {L"Tamsin - na 12  stanowisk(o)", L"Glimmerbox - na 1  stanowisk(o)"};
    d.date = L"2026-12-07";
    return d;
}

// One top-level window for all tests (destroying an active window is slow
// under Wine), with a rich-edit box filling it.
struct LetterWindow {
    HWND frame = nullptr;
    HWND box = nullptr;
};

LetterWindow& Window() {
    static LetterWindow w = [] {
        LetterWindow lw;
        LoadLibraryW(L"riched20.dll");
        lw.frame = CreateWindowExW(0, L"STATIC", L"Zamówienie", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 820, 1000,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        lw.box = CreateWindowExW(WS_EX_CLIENTEDGE, RICHEDIT_CLASSW, L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 800, 960,
                                 lw.frame, nullptr, GetModuleHandleW(nullptr), nullptr);
        return lw;
    }();
    return w;
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

std::wstring BoxText(HWND box) {
    GETTEXTLENGTHEX len = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT n = SendMessageW(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    const LRESULT got = SendMessageW(box, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                     reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(got));
    return text;
}

struct Formats {
    PARAFORMAT2 para;
    CHARFORMAT2W chars;
};

// The paragraph and character format of the text at [start, start + length).
Formats FormatAt(HWND box, LONG start, LONG length) {
    CHARRANGE r = {start, start + length};
    SendMessageW(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    Formats f = {};
    f.para.cbSize = sizeof(f.para);
    SendMessageW(box, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&f.para));
    f.chars.cbSize = sizeof(f.chars);
    SendMessageW(box, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f.chars));
    return f;
}

TEST(LetterView, FillsTheRichEditBoxWithTextAndFormats) {
    HWND box = Window().box;
    ASSERT_NE(box, nullptr);
    SetWindowTextW(box, L"old text that must go");
    const Letter letter = tendra::BuildOrderLetter(SampleOrder());
    ShowLetter(box, letter);

    // Caret at the start, box read-only.
    CHARRANGE sel = {-1, -1};
    SendMessageW(box, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 0);
    EXPECT_EQ(sel.cpMax, 0);
    EXPECT_NE(GetWindowLongW(box, GWL_STYLE) & ES_READONLY, 0);

    // The remarks' line break becomes a paragraph break, as any other.
    std::wstring want = gmbx::testutil::LetterPlainText(letter, L"\r");
    want.replace(want.find(L"\r\n", want.find(L"Proszę o fakturę.")), 2, L"\r");
    const std::wstring text = BoxText(box);
    ASSERT_EQ(text.substr(0, want.size()), want);
    EXPECT_LE(text.size(), want.size() + 1);

    auto check = [&](const std::wstring& para, WORD align, bool bold, bool italic, bool underline, bool bullet,
                     LONG twips) {
        SCOPED_TRACE(para);
        const std::size_t at = text.find(para);
        ASSERT_NE(at, std::wstring::npos);
        const Formats f = FormatAt(box, static_cast<LONG>(at), static_cast<LONG>(para.size()));
        EXPECT_EQ(f.para.wAlignment, align);
        EXPECT_EQ(f.para.wNumbering == PFN_BULLET, bullet);
        EXPECT_EQ((f.chars.dwEffects & CFE_BOLD) != 0, bold);
        EXPECT_EQ((f.chars.dwEffects & CFE_ITALIC) != 0, italic);
        EXPECT_EQ((f.chars.dwEffects & CFE_UNDERLINE) != 0, underline);
        EXPECT_EQ(f.chars.yHeight, twips);
        EXPECT_EQ(f.chars.bCharSet, EASTEUROPE_CHARSET);
        EXPECT_STREQ(f.chars.szFaceName, tendra::kLetterFontFace);
    };
    const LONG normal = tendra::kLetterFontPoints * 20;
    check(L"Łódź, 2026-12-07", PFA_RIGHT, false, false, false, false, normal);
    check(L"Zamawiający: ", PFA_LEFT, false, false, false, false, normal);
    check(L"Zakład Usług Żółwik", PFA_LEFT, true, false, false, false, normal);
    check(L"Dla: ", PFA_RIGHT, false, false, false, false, normal);
    check(tendra::kSellerLines[1], PFA_RIGHT, true, false, false, false, normal);
    check(L"Zamówienie programów Kestrin Software", PFA_CENTER, true, false, true, false, normal + 80);
    check(L"Na podstawie cennika", PFA_LEFT, false, false, false, false, normal);
    check(L"Tamsin - na 12  stanowisk(o)", PFA_LEFT, false, false, false, true, normal);
    check(L"Glimmerbox - na 1  stanowisk(o)", PFA_LEFT, false, false, false, true, normal);
    check(L"Zamówione programy", PFA_LEFT, false, false, false, false, normal);
    check(std::wstring(58, L'.'), PFA_CENTER, false, false, false, false, normal);
    check(L"Uwagi dotyczące zamówienia:", PFA_LEFT, false, true, false, false, normal);
    check(L"Druga linia uwag.", PFA_LEFT, false, true, false, false, normal);

    // Showing a shorter letter replaces everything.
    Letter small = {tendra::Paragraph()};
    small[0].text = L"x";
    ShowLetter(box, small);
    EXPECT_EQ(BoxText(box).substr(0, 1), L"x");
    EXPECT_LE(BoxText(box).size(), 2u);
    ShowLetter(box, letter);

    // For looking at it by hand: TENDRA_LETTER_SHOW_MS keeps it on screen.
    if (const char* ms = std::getenv("TENDRA_LETTER_SHOW_MS")) Pump(static_cast<DWORD>(std::atoi(ms)));
}

// Draws onto a white bitmap and finds the box around everything drawn.
struct InkBox {
    int pages = 0;
    RECT ink = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    int width = 0, height = 0;
    void* bits = nullptr;
};

bool ClearPage(void* ctx, int) {
    auto* s = static_cast<InkBox*>(ctx);
    std::memset(s->bits, 0xff, static_cast<std::size_t>(s->width) * s->height * 4);
    return true;
}

bool ScanPage(void* ctx, int) {
    auto* s = static_cast<InkBox*>(ctx);
    GdiFlush();
    const auto* px = static_cast<const DWORD*>(s->bits);
    for (int y = 0; y < s->height; ++y)
        for (int x = 0; x < s->width; ++x)
            if ((px[y * s->width + x] & 0xffffff) != 0xffffff) {
                s->ink.left = std::min<LONG>(s->ink.left, x);
                s->ink.right = std::max<LONG>(s->ink.right, x + 1);
                s->ink.top = std::min<LONG>(s->ink.top, y);
                s->ink.bottom = std::max<LONG>(s->ink.bottom, y + 1);
            }
    ++s->pages;
    return true;
}

TEST(LetterPrint, DrawsEveryPageInsideTheArea) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    InkBox state;
    state.width = 794;  // A4 at 96 dpi
    state.height = 1123;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = state.width;
    bi.bmiHeader.biHeight = -state.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &state.bits, nullptr, 0);
    ASSERT_NE(bmp, nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);

    // A bitmap is no printer: the caller gives the area (2 cm margins at 96 dpi).
    const RECT area = {76, 76, state.width - 76, state.height - 76};

    tendra::PageCallbacks cb;
    cb.beginPage = ClearPage;
    cb.endPage = ScanPage;
    cb.ctx = &state;
    const Letter letter = tendra::BuildOrderLetter(SampleOrder());
    const int pages = tendra::DrawLetterPages(dc, letter, area, cb);
    EXPECT_EQ(pages, tendra::CountLetterPages(dc, letter, area));
    EXPECT_EQ(pages, state.pages);
    EXPECT_GE(pages, 1);
    // (a pixel of overhang of italic or bullet glyphs is allowed)
    EXPECT_GE(state.ink.left, area.left - 2);
    EXPECT_GE(state.ink.top, area.top);
    EXPECT_LE(state.ink.right, area.right + 2);
    EXPECT_LE(state.ink.bottom, area.bottom);
    // The right-aligned lines reach the right margin; the left ones start at the left margin.
    EXPECT_GE(state.ink.right, area.right - 4);
    EXPECT_LE(state.ink.left, area.left + 4);

    // A longer letter runs onto more pages and stops when a page cannot be started.
    tendra::OrderData big = SampleOrder();
    big.programs.assign(80, L"Tamsin - na 2  stanowisk(o)");
    const Letter longLetter = tendra::BuildOrderLetter(big);
    EXPECT_GT(tendra::CountLetterPages(dc, longLetter, area), pages);
    cb.beginPage = [](void* ctx, int index) { return index < 1 && ClearPage(ctx, index); };
    EXPECT_EQ(tendra::DrawLetterPages(dc, longLetter, area, cb), -1);
    const RECT empty = {10, 10, 10, 50};
    EXPECT_EQ(tendra::DrawLetterPages(dc, letter, empty, cb), -1);

    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}

// Answers the print dialog from a second thread: presses `button` in the
// first dialog of this process that appears, and notes what it saw.
class DialogAnswerer {
public:
    explicit DialogAnswerer(int button) : button_(button), thread_([this] { Run(); }) {}
    ~DialogAnswerer() {
        stop_ = true;
        thread_.join();
    }
    bool PrintToFileShown() const { return printToFileShown_; }
    // Whether the answered dialog was the print dialog (it has the printer list).
    bool WasPrintDialog() const { return printDialog_; }
    int Answered() const { return answered_; }

private:
    void Run() {
        const DWORD start = GetTickCount();
        while (!stop_ && GetTickCount() - start < 15000) {
            EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
            Sleep(50);
        }
    }
    static BOOL CALLBACK Visit(HWND w, LPARAM lp) {
        auto* self = reinterpret_cast<DialogAnswerer*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        wchar_t cls[16] = L"";
        GetClassNameW(w, cls, 16);
        if (pid != GetCurrentProcessId() || lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(w)) return TRUE;
        self->printDialog_ = GetDlgItem(w, cmb4) != nullptr;
        HWND toFile = GetDlgItem(w, chx1);
        self->printToFileShown_ = toFile && IsWindowVisible(toFile) && IsWindowEnabled(toFile);
        PostMessageW(w, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(w, self->button_)));
        ++self->answered_;
        self->stop_ = true;
        return FALSE;
    }
    int button_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> printToFileShown_{false};
    std::atomic<bool> printDialog_{false};
    std::atomic<int> answered_{0};
    std::thread thread_;
};

class LetterPrintToPrinter : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ready_ = tendra::test::EnsureTestPrinter(&printer_, &output_);
    }
    void SetUp() override {
        ASSERT_TRUE(ready_) << "the test printer could not be installed";
        tendra::test::ClearTestPrinterOutput();
    }
    // Pages of the letter on the test printer, as the layout counts them.
    static int ExpectedPages(const Letter& letter) {
        HDC dc = CreateDCW(L"WINSPOOL", printer_.c_str(), nullptr, nullptr);
        if (!dc) return -1;
        const int pages = tendra::CountLetterPages(dc, letter, tendra::LetterPrintArea(dc));
        DeleteDC(dc);
        return pages;
    }
    static bool ready_;
    static std::wstring printer_;
    static std::string output_;
};
bool LetterPrintToPrinter::ready_ = false;
std::wstring LetterPrintToPrinter::printer_;
std::string LetterPrintToPrinter::output_;

TEST_F(LetterPrintToPrinter, PrintsTheLetterAsANamedDocumentWithTheLaidOutPages) {
    const Letter letter = tendra::BuildOrderLetter(SampleOrder());
    bool printed = false;
    bool toFile = true, printDialog = false;
    {
        DialogAnswerer answer(IDOK);
        printed = PrintLetter(Window().frame, letter, kDocumentName);
        EXPECT_EQ(answer.Answered(), 1);
        printDialog = answer.WasPrintDialog();
        toFile = answer.PrintToFileShown();
    }
    EXPECT_TRUE(printed);
    EXPECT_TRUE(printDialog) << "answered a dialog that is not the print dialog";
    EXPECT_FALSE(toFile) << "printing to a file must not be offered";

    const std::string ps = tendra::test::WaitForTestPrinterOutput(10000);
    ASSERT_FALSE(ps.empty()) << "nothing arrived in " << output_;
    EXPECT_EQ(ps.compare(0, 4, "%!PS"), 0);
    EXPECT_EQ(tendra::test::PostScriptPageCount(ps), ExpectedPages(letter));
    // The driver writes the title in the ANSI code page.
    char ansi[256] = "";
    WideCharToMultiByte(CP_ACP, 0, kDocumentName, -1, ansi, sizeof ansi, nullptr, nullptr);
    EXPECT_EQ(tendra::test::PostScriptTitle(ps), ansi);

    // The margins lie inside what the printer can print.
    HDC dc = CreateDCW(L"WINSPOOL", printer_.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    const RECT area = tendra::LetterPrintArea(dc);
    const int cm2 = MulDiv(GetDeviceCaps(dc, LOGPIXELSX), 200, 254);
    EXPECT_GE(area.left, 0);
    EXPECT_GE(area.top, 0);
    EXPECT_LE(area.right, GetDeviceCaps(dc, HORZRES));
    EXPECT_LE(area.bottom, GetDeviceCaps(dc, VERTRES));
    EXPECT_EQ(area.left + GetDeviceCaps(dc, PHYSICALOFFSETX), std::max(cm2, GetDeviceCaps(dc, PHYSICALOFFSETX)));
    EXPECT_GT(area.right - area.left, GetDeviceCaps(dc, PHYSICALWIDTH) / 2);
    DeleteDC(dc);
}

TEST_F(LetterPrintToPrinter, LongLetterRunsOverSeveralPages) {
    tendra::OrderData d = SampleOrder();
    d.programs.assign(40, L"Tamsin - na 2  stanowisk(o)");
    const Letter letter = tendra::BuildOrderLetter(d);
    const int expected = ExpectedPages(letter);
    EXPECT_GE(expected, 2);
    bool printed = false;
    {
        DialogAnswerer answer(IDOK);
        printed = PrintLetter(Window().frame, letter, kDocumentName);
    }
    ASSERT_TRUE(printed);
    const std::string ps = tendra::test::WaitForTestPrinterOutput(10000);
    ASSERT_FALSE(ps.empty());
    EXPECT_EQ(tendra::test::PostScriptPageCount(ps), expected);
}

TEST_F(LetterPrintToPrinter, CancelledDialogPrintsNothing) {
    const Letter letter = tendra::BuildOrderLetter(SampleOrder());
    bool printed = true;
    {
        DialogAnswerer answer(IDCANCEL);
        printed = PrintLetter(Window().frame, letter, kDocumentName);
        EXPECT_EQ(answer.Answered(), 1);
    }
    EXPECT_FALSE(printed);
    Sleep(300);
    EXPECT_TRUE(tendra::test::ReadTestPrinterOutput().empty());
}

// Without any printer the dialog's warning comes up instead, and nothing is printed.
TEST_F(LetterPrintToPrinter, WarnsWhenThereIsNoPrinter) {
    ASSERT_TRUE(tendra::test::RemoveTestPrinter());
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed > 0) {  // some other printer is installed here: it must not get our page
        ready_ = tendra::test::EnsureTestPrinter(&printer_, &output_);
        GTEST_SKIP() << "other printers are installed";
    }
    const Letter letter = tendra::BuildOrderLetter(SampleOrder());
    bool printed = true, printDialog = true;
    {
        DialogAnswerer answer(IDOK);
        printed = PrintLetter(Window().frame, letter, kDocumentName);
        EXPECT_EQ(answer.Answered(), 1) << "no warning was shown";
        printDialog = answer.WasPrintDialog();
    }
    EXPECT_FALSE(printed);
    EXPECT_FALSE(printDialog) << "the print dialog came up without a printer";
    ready_ = tendra::test::EnsureTestPrinter(&printer_, &output_);
    EXPECT_TRUE(ready_);
    EXPECT_TRUE(tendra::test::ReadTestPrinterOutput().empty());
}

}  // namespace
