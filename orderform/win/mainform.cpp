#include "orderform/win/mainform.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <cstdlib>
#include <map>

#include "orderform/customer.h"
#include "orderform/programline.h"
#include "orderform/res/resource.h"
#include "orderform/win/dialogs.h"
#include "orderform/win/letterprint.h"
#include "orderform/win/letterview.h"
#include "orderform/win/msgboxes.h"
#include "orderform/win/wintext.h"
#include "orderform/win/storage.h"

namespace tendra {

namespace {

const wchar_t kMainWindowClass[] = L"TKS_Zamawiacz";
const wchar_t kPageClass[] = L"TendraPage";

// Posted to the main window with the index of a program line that was just
// checked: asks for its seat count.
constexpr UINT WM_APP_SEATS = WM_APP + 1;

// Client size of the main window and the height of its button row.
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPageHeight = 432;

// The items of LST_Dostawa and EDT_Rachunek: texts from their first one on.
constexpr int kDeliveryItems = 4;
constexpr int kInvoiceItems = 2;

// Used until a stored or downloaded list replaces it.
const wchar_t* const kBuiltInPrograms[] = {
    L"Orvel 2000 PRO",
    L"Orvel aktualizacja (upgrade) do 2000 PRO",
    L"Brixo",
    L"Tamsin",
    L"Glimmerbox",
};

struct FormField {
    int id;
    UINT label;
    DWORD helpContext;
    const wchar_t* stored;
};
const FormField kFields[] = {
    {IDC_EDT_NAZWISKO, IDS_LBL_NAZWISKO, 40, stored::kName},
    {IDC_EDT_ORGANIZACJA, IDS_LBL_ORGANIZACJA, 50, stored::kOrganisation},
    {IDC_EDT_ULICA, IDS_LBL_ULICA, 60, stored::kStreet},
    {IDC_EDT_KOD, IDS_LBL_KOD, 70, stored::kPostcode},
    {IDC_EDT_MIASTO, IDS_LBL_MIASTO, 70, stored::kCity},
    {IDC_EDT_NIP, IDS_LBL_NIP, 80, stored::kNip},
    {IDC_EDT_TELEFON, IDS_LBL_TELEFON, 90, stored::kPhone},
    {IDC_EDT_EMAIL, IDS_LBL_EMAIL, 100, stored::kEmail},
    {IDC_EDT_UWAGI, IDS_LBL_UWAGI, 120, stored::kRemarks},
};

// Pages pass their controls' notifications and focus moves (the rich-edit
// box asks its parent to move on for Tab) on to the main window. Escape in
// the rich-edit box asks its parent to close: a page never does.
LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_NEXTDLGCTL:
        return SendMessageW(GetParent(hwnd), msg, wp, lp);
    case WM_CLOSE:
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// LST_Programy: a list box that draws a check box in front of each line
// (the item data is the check mark). A click on the box, a double click or
// the space bar toggles it.
constexpr UINT_PTR kCheckListSubclass = 1;

void ToggleCheck(HWND list, int index) {
    if (index < 0 || index >= static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0))) return;
    bool checked = SendMessageW(list, LB_GETITEMDATA, index, 0) == 0;
    SendMessageW(list, LB_SETITEMDATA, index, checked ? 1 : 0);
    RECT r;
    if (SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR) InvalidateRect(list, &r, FALSE);
    if (checked) PostMessageW(GetAncestor(list, GA_ROOT), WM_APP_SEATS, index, 0);
}

LRESULT CALLBACK CheckListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lp);
        LRESULT result = DefSubclassProc(list, msg, wp, lp);
        int x = GET_X_LPARAM(lp);
        int boxWidth = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)) + 2;
        int scroll = GetScrollPos(list, SB_HORZ);
        if (HIWORD(hit) == 0 && (msg == WM_LBUTTONDBLCLK || x + scroll < boxWidth)) ToggleCheck(list, LOWORD(hit));
        return result;
    }
    case WM_CHAR:
        if (wp == L' ') {
            ToggleCheck(list, static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(list, CheckListProc, kCheckListSubclass);
        break;
    }
    return DefSubclassProc(list, msg, wp, lp);
}

// EDT_Uwagi takes several lines, but Tab still moves on to the next field.
constexpr UINT_PTR kRemarksSubclass = 2;

LRESULT CALLBACK RemarksProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_GETDLGCODE) {
        LRESULT code = DefSubclassProc(edit, msg, wp, lp);
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        if (m && m->message == WM_KEYDOWN && m->wParam == VK_TAB)
            code &= ~static_cast<LRESULT>(DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
        return code;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(edit, RemarksProc, kRemarksSubclass);
    return DefSubclassProc(edit, msg, wp, lp);
}

void DrawCheckItem(const DRAWITEMSTRUCT* d) {
    if (d->itemID == static_cast<UINT>(-1)) return;
    bool selected = (d->itemState & ODS_SELECTED) != 0;
    FillRect(d->hDC, &d->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    int h = d->rcItem.bottom - d->rcItem.top;
    RECT box = {d->rcItem.left + 2, d->rcItem.top + 1, d->rcItem.left + h, d->rcItem.bottom - 1};
    DrawFrameControl(d->hDC, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (d->itemData ? DFCS_CHECKED : 0));
    int len = static_cast<int>(SendMessageW(d->hwndItem, LB_GETTEXTLEN, d->itemID, 0));
    std::wstring text(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
    if (len > 0) SendMessageW(d->hwndItem, LB_GETTEXT, d->itemID, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(len > 0 ? static_cast<size_t>(len) : 0);
    RECT tr = d->rcItem;
    tr.left += h + 4;
    SetBkMode(d->hDC, TRANSPARENT);
    SetTextColor(d->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(d->hDC, text.c_str(), static_cast<int>(text.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &d->rcItem);
}

}  // namespace

TKS_Zamawiacz::TKS_Zamawiacz(HINSTANCE instance) : instance_(instance) {
    char server[512];
    DWORD n = GetEnvironmentVariableA("TENDRA_SERVER", server, sizeof server);
    endpoints_ = MakeEndpoints(n > 0 && n < sizeof server ? std::string(server, n) : std::string());
    httpc_.ProxyPort = "80";
    httpc_.NoCache = true;
    httpc_.ContentTypePost = "application/x-www-form-urlencoded";
    httpc_.MultiThreaded = false;
    httpc_.OnDocData = [this](const char* data, size_t len) { httpcDocData(data, len); };
    httpc_.OnDocEnd = [this] { httpcDocEnd(); };
    httpc_.OnRequestDone = [](HttpRequestType, int) {};
    // Keyboard navigation keeps working while a request runs.
    httpc_.MessageFilter = [this](MSG& msg) { return hwnd_ && IsWindow(hwnd_) && IsDialogMessageW(hwnd_, &msg); };
}

TKS_Zamawiacz::~TKS_Zamawiacz() {
    if (serverMenu_) DestroyMenu(serverMenu_);
    for (HFONT f : {font_, boldFont_, titleFont_})
        if (f) DeleteObject(f);
}

bool TKS_Zamawiacz::Create(int show) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    richEditLib_ = LoadLibraryW(L"Msftedit.dll");

    WNDCLASSEXW wc = {sizeof wc};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_TENDRA));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TENDRA), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExW(&wc);
    WNDCLASSEXW pc = {sizeof pc};
    pc.lpfnWndProc = PageProc;
    pc.hInstance = instance_;
    pc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    pc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    pc.lpszClassName = kPageClass;
    RegisterClassExW(&pc);

    // Context help ("?" in the title bar) rules out the minimise and
    // maximise boxes.
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTEXTHELP | WS_EX_CONTROLPARENT;
    RECT r = {0, 0, kWidth, kHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    hwnd_ = CreateWindowExW(exStyle, kMainWindowClass, LoadText(IDS_CAPTION).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, instance_, this);
    if (!hwnd_) return false;
    ShowWindow(hwnd_, show);
    UpdateWindow(hwnd_);
    return true;
}

int TKS_Zamawiacz::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK TKS_Zamawiacz::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TKS_Zamawiacz* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<TKS_Zamawiacz*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<TKS_Zamawiacz*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return self->Handle(msg, wp, lp);
    } catch (const std::exception& e) {
        self->DefaultErrorHandler(e);
        return 0;
    }
}

LRESULT TKS_Zamawiacz::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        FormCreate();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_BTN_DALEJ: BTN_DalejClick(); return 0;
        case IDC_BTN_WSTECZ: BTN_WsteczClick(); return 0;
        case IDC_BTN_AKCEPT: BTN_AkceptClick(); return 0;
        case IDC_BTN_POMOC: BTN_PomocClick(); return 0;
        case IDC_TOOLBARBUTTON971: ToolbarButton971Click(); return 0;
        case IDC_BTN_LOAD_PRODUCTS: BTN_Load_ProductsClick(); return 0;
        case IDC_BTN_CENNIK: BTN_CennikClick(); return 0;
        case IDM_PMNU_DRUK: PMNU_DrukClick(); return 0;
        case IDM_PMNU_INET1: PMNU_Inet1Click(1); return 0;
        case IDM_PPMNU_INET2: PMNU_Inet1Click(2); return 0;
        case IDM_PMNU_SKLEP: PMNU_SklepClick(); return 0;
        case IDOK: {
            // Enter: presses the focused button, elsewhere means "Dalej".
            HWND focus = GetFocus();
            wchar_t cls[16] = L"";
            if (focus) GetClassNameW(focus, cls, 16);
            LONG_PTR type = focus ? (GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK) : -1;
            if (lstrcmpiW(cls, L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
                SendMessageW(focus, BM_CLICK, 0, 0);
            else if (IsWindowEnabled(Item(IDC_BTN_DALEJ)))
                BTN_DalejClick();
            return 0;
        }
        }
        break;
    case WM_DRAWITEM: {
        auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (d->CtlID == IDC_LST_PROGRAMY) {
            DrawCheckItem(d);
            return TRUE;
        }
        break;
    }
    case WM_MEASUREITEM: {
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (m->CtlID == IDC_LST_PROGRAMY) {
            HDC dc = GetDC(hwnd_);
            HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
            TEXTMETRICW tm;
            GetTextMetricsW(dc, &tm);
            SelectObject(dc, old);
            ReleaseDC(hwnd_, dc);
            m->itemHeight = tm.tmHeight + 4;
            return TRUE;
        }
        break;
    }
    case WM_NEXTDLGCTL:
        NextDlgCtl(wp, lp);
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: the control that had the focus gets it back
        // when a message box or dialog of ours closes.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
            SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_APP_SEATS:
        LST_ProgramyClickCheck(static_cast<int>(wp));
        return 0;
    case WM_HELP:
        ContextHelp(reinterpret_cast<const HELPINFO*>(lp));
        return TRUE;
    case WM_CLOSE:
        if (FormCloseQuery()) {
            if (requestRunning_)
                closeAfterRequest_ = true;  // the request's handler closes the window when it returns
            else
                DestroyWindow(hwnd_);
        }
        return 0;
    case WM_DESTROY:
        if (helpUsed_) WinHelpA(hwnd_, HelpFile().c_str(), HELP_QUIT, 0);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

// ---------------------------------------------------------------------------
// Building the window.

HWND TKS_Zamawiacz::Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                          int h, int id, DWORD exStyle) {
    HWND c = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return c;
}

HWND TKS_Zamawiacz::Child(HWND parent, const wchar_t* cls, UINT text, DWORD style, int x, int y, int w, int h, int id,
                          DWORD exStyle) {
    return Child(parent, cls, LoadText(text).c_str(), style, x, y, w, h, id, exStyle);
}

HWND TKS_Zamawiacz::Label(HWND parent, const wchar_t* text, int x, int y, int w, int h, DWORD style) {
    return Child(parent, L"STATIC", text, style, x, y, w, h, IDC_LABEL_FIRST + nextLabelId_++);
}

HWND TKS_Zamawiacz::Label(HWND parent, UINT text, int x, int y, int w, int h, DWORD style) {
    return Label(parent, LoadText(text).c_str(), x, y, w, h, style);
}

void TKS_Zamawiacz::NextDlgCtl(WPARAM wp, LPARAM lp) {
    HWND to = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(hwnd_, GetFocus(), wp != 0);
    if (!to || !IsChild(hwnd_, to)) return;
    // An edit box taken with the keyboard has its text selected.
    if (SendMessageW(to, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(to, EM_SETSEL, 0, -1);
    SetFocus(to);
}

HWND TKS_Zamawiacz::Item(int id) const {
    for (HWND page : pages_)
        if (HWND c = GetDlgItem(page, id)) return c;
    return GetDlgItem(hwnd_, id);
}

void TKS_Zamawiacz::AddHint(HWND control, UINT textId) {
    std::wstring text = LoadText(textId);  // the tool tip keeps a copy
    TOOLINFOW ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = GetParent(control);
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = &text[0];
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void TKS_Zamawiacz::FormCreate() {
    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    LOGFONTW lf = ncm.lfMessageFont;
    lf.lfCharSet = DEFAULT_CHARSET;
    font_ = CreateFontIndirectW(&lf);
    lf.lfWeight = FW_BOLD;
    boldFont_ = CreateFontIndirectW(&lf);
    lf.lfHeight = lf.lfHeight * 3 / 2;
    titleFont_ = CreateFontIndirectW(&lf);

    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_,
                               nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);

    const int pageIds[3] = {IDC_TAB_1, IDC_TAB_2, IDC_TAB_3};
    for (int i = 0; i < 3; ++i)
        pages_[i] = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, kWidth,
                                    kPageHeight, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(pageIds[i])),
                                    instance_, nullptr);
    CreatePage1();
    CreatePage2();
    CreatePage3();

    // The button row.
    int y = kPageHeight + 8;
    HWND help = Child(hwnd_, L"BUTTON", IDS_BTN_POMOC, WS_TABSTOP | BS_PUSHBUTTON, 10, y, 100, 32, IDC_BTN_POMOC);
    Child(hwnd_, L"BUTTON", IDS_BTN_WSTECZ, WS_TABSTOP | BS_PUSHBUTTON, 290, y, 100, 32, IDC_BTN_WSTECZ);
    Child(hwnd_, L"BUTTON", IDS_BTN_DALEJ, WS_TABSTOP | BS_PUSHBUTTON, 400, y, 100, 32, IDC_BTN_DALEJ);
    HWND accept = Child(hwnd_, L"BUTTON", IDS_BTN_AKCEPT, WS_TABSTOP | BS_PUSHBUTTON, 510, y, 120, 32, IDC_BTN_AKCEPT);
    if (HBITMAP b = ButtonPicture(L"POMOC")) SendMessageW(help, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(b));
    if (HBITMAP b = ButtonPicture(L"OK")) SendMessageW(accept, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(b));

    serverMenu_ = CreatePopupMenu();
    AppendMenuW(serverMenu_, MF_STRING, IDM_PMNU_DRUK, LoadText(IDS_PMNU_DRUK).c_str());
    AppendMenuW(serverMenu_, MF_STRING, IDM_PMNU_INET1, LoadText(IDS_PMNU_INET1).c_str());
    AppendMenuW(serverMenu_, MF_STRING, IDM_PPMNU_INET2, LoadText(IDS_PPMNU_INET2).c_str());
    AppendMenuW(serverMenu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(serverMenu_, MF_STRING, IDM_PMNU_SKLEP, LoadText(IDS_PMNU_SKLEP).c_str());

    LoadStoredData();
    ShowPage(0);
}

void TKS_Zamawiacz::CreatePage1() {
    HWND p = pages_[0];
    HWND title = Label(p, IDS_APP_TITLE, 20, 20, 600, 32);
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    std::wstring text = LoadText(IDS_WELCOME);
    for (const wchar_t* line : kSellerLines) text += std::wstring(line) + L"\r\n";
    text += LoadText(IDS_WELCOME_EMAIL);
    Label(p, text.c_str(), 20, 70, 600, 340);
}

void TKS_Zamawiacz::CreatePage2() {
    HWND p = pages_[1];
    Child(p, L"BUTTON", IDS_GRP_DANE, BS_GROUPBOX, 10, 6, 296, 318, IDC_GRP_DANE);
    int y = 28;
    for (const FormField& f : kFields) {
        bool remarks = f.id == IDC_EDT_UWAGI;
        Label(p, f.label, 18, y + 3, 124, 18, SS_LEFTNOWORDWRAP);
        DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
        if (remarks) style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
        HWND e = Child(p, L"EDIT", L"", style, 144, y, 154, remarks ? 60 : 22, f.id, WS_EX_CLIENTEDGE);
        SetWindowContextHelpId(e, f.helpContext);
        if (remarks) SetWindowSubclass(e, RemarksProc, kRemarksSubclass, 0);
        y += 29;
    }

    // Tab order: the customer's data, invoice and delivery, programs.
    Label(p, IDS_LBL_RACHUNEK, 10, 334, 200, 18);
    HWND invoice = Child(p, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 10, 352, 200, 200,
                         IDC_EDT_RACHUNEK);
    for (int i = 0; i < kInvoiceItems; ++i)
        SendMessageW(invoice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(IDS_INVOICE_FIRST + i).c_str()));
    SetWindowContextHelpId(invoice, 30);
    Label(p, IDS_LBL_DOSTAWA, 220, 334, 410, 18);
    HWND delivery = Child(p, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 220, 352, 410, 200,
                          IDC_LST_DOSTAWA);
    for (int i = 0; i < kDeliveryItems; ++i)
        SendMessageW(delivery, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(IDS_DELIVERY_FIRST + i).c_str()));
    SetWindowContextHelpId(delivery, 160);

    Label(p, IDS_LBL_PROGRAMY, 316, 8, 314, 18);
    HWND list = Child(p, L"LISTBOX", L"",
                      WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                          LBS_NOINTEGRALHEIGHT,
                      316, 26, 314, 226, IDC_LST_PROGRAMY, WS_EX_CLIENTEDGE);
    SetWindowSubclass(list, CheckListProc, kCheckListSubclass, 0);
    SetWindowContextHelpId(list, 150);
    SetProgramLines(std::vector<std::wstring>(std::begin(kBuiltInPrograms), std::end(kBuiltInPrograms)));
    HWND load = Child(p, L"BUTTON", IDS_BTN_LOAD_PRODUCTS, WS_TABSTOP | BS_PUSHBUTTON, 316, 260, 314, 28,
                      IDC_BTN_LOAD_PRODUCTS);
    HWND prices = Child(p, L"BUTTON", IDS_BTN_CENNIK, WS_TABSTOP | BS_PUSHBUTTON, 316, 296, 314, 28, IDC_BTN_CENNIK);
    AddHint(load, IDS_HINT_LOAD_PRODUCTS);
    AddHint(prices, IDS_HINT_CENNIK);

    Child(p, L"BUTTON", IDS_TOOLBARBUTTON971, WS_TABSTOP | BS_PUSHBUTTON, 10, 390, 620, 30, IDC_TOOLBARBUTTON971);

    // Kept for the stored data only; the user never sees them.
    HWND proforma = CreateWindowExW(0, L"BUTTON", LoadText(IDS_CHK_PROFORMA).c_str(), WS_CHILD | BS_AUTOCHECKBOX, 0,
                                    0, 300, 20, p, reinterpret_cast<HMENU>(IDC_CHK_PROFORMA), instance_, nullptr);
    HWND upow = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 20, 20, p,
                                reinterpret_cast<HMENU>(IDC_CHK_UPOW), instance_, nullptr);
    CreateWindowExW(0, L"STATIC", LoadText(IDS_LBL_UPOWAZNIENIE).c_str(), WS_CHILD, 0, 0, 286, 20, p,
                    reinterpret_cast<HMENU>(IDC_LBL_UPOWAZNIENIE), instance_, nullptr);
    SetWindowContextHelpId(upow, 175);
    SetWindowContextHelpId(proforma, 180);
}

void TKS_Zamawiacz::CreatePage3() {
    HWND p = pages_[2];
    Label(p, IDS_SUMMARY, 10, 6, 620, 34);
    const DWORD memoStyle = WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    HWND memo = Child(p, MSFTEDIT_CLASS, L"", memoStyle, 10, 44, 620, 290, IDC_MEM_TENDRA, WS_EX_CLIENTEDGE);
    if (!memo && LoadLibraryW(L"riched20.dll"))
        memo = Child(p, RICHEDIT_CLASSW, L"", memoStyle, 10, 44, 620, 290, IDC_MEM_TENDRA, WS_EX_CLIENTEDGE);
    if (memo) SetWindowContextHelpId(memo, 130);

    Child(p, L"BUTTON", IDS_GRP_PROXY, BS_GROUPBOX, 10, 340, 620, 84, IDC_GRP_PROXY);
    Child(p, L"BUTTON", IDS_CHK_PROXY, WS_TABSTOP | BS_AUTOCHECKBOX, 22, 362, 180, 20, IDC_CHK_PROXY);
    Label(p, IDS_LBL_PROXY, 210, 364, 50, 18);
    Child(p, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, 262, 361, 200, 22, IDC_EDT_PROXY, WS_EX_CLIENTEDGE);
    Label(p, IDS_LBL_PORT, 478, 364, 40, 18);
    HWND port = Child(p, L"EDIT", L"80", WS_TABSTOP | ES_NUMBER, 520, 361, 70, 22, IDC_EDT_PORT, WS_EX_CLIENTEDGE);
    HWND spin = Child(p, UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0,
                      0, 0, IDC_SPN_PORT);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(port), 0);
    SendMessageW(spin, UDM_SETRANGE32, 0, 9000);
    UDACCEL accel = {0, 10};
    SendMessageW(spin, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    SendMessageW(spin, UDM_SETPOS32, 0, 80);
    HWND nocache = Child(p, L"BUTTON", IDS_CHK_NOCACHE, WS_TABSTOP | BS_AUTOCHECKBOX, 22, 394, 400, 20, IDC_CHK_NOCACHE);
    SendMessageW(nocache, BM_SETCHECK, BST_CHECKED, 0);
}

// ---------------------------------------------------------------------------
// Pages.

void TKS_Zamawiacz::BTN_DalejClick() {
    if (page_ == 0) {
        ShowPage(1);
    } else if (page_ == 1) {
        if (ValidateForm()) ShowPage(2);
    }
}

void TKS_Zamawiacz::BTN_WsteczClick() {
    if (page_ > 0) ShowPage(page_ - 1);
}

void TKS_Zamawiacz::ShowPage(int page) {
    bool intoForm = page == 1 && page_ == 0;
    page_ = page;
    // The buttons and the letter are ready before the page appears.
    NextButton();
    for (int i = 0; i < 3; ++i)
        if (i != page) ShowWindow(pages_[i], SW_HIDE);
    ShowWindow(pages_[page], SW_SHOW);
    // Keep the keyboard focus on a control that can still take it.
    HWND focus = GetFocus();
    if (intoForm && IsWindowVisible(hwnd_))
        SetFocus(Item(IDC_EDT_NAZWISKO));
    else if (!focus || !IsWindowEnabled(focus) || !IsWindowVisible(focus))
        SetFocus(Item(page_ == 2 ? IDC_BTN_AKCEPT : IDC_BTN_DALEJ));
}

void TKS_Zamawiacz::NextButton() {
    HWND next = Item(IDC_BTN_DALEJ);
    HWND back = Item(IDC_BTN_WSTECZ);
    HWND accept = Item(IDC_BTN_AKCEPT);
    if (page_ == 2) {
        letter_ = BuildOrderLetter(CollectOrderData());
        ShowLetter(Item(IDC_MEM_TENDRA), letter_);
        ShowWindow(accept, SW_SHOW);
    } else {
        ShowWindow(accept, SW_HIDE);
    }
    EnableWindow(next, page_ != 2);
    EnableWindow(back, page_ != 0);
}

bool TKS_Zamawiacz::ValidateForm() {
    struct Check {
        int id;
        UINT message;
    };
    const Check checks[] = {
        {IDC_EDT_NAZWISKO, IDS_NEED_NAME}, {IDC_EDT_KOD, IDS_NEED_POSTCODE}, {IDC_EDT_ULICA, IDS_NEED_ADDRESS},
        {IDC_EDT_MIASTO, IDS_NEED_ADDRESS}, {IDC_EDT_EMAIL, IDS_NEED_EMAIL},
    };
    for (const Check& c : checks) {
        if (GetWindowTextLengthW(Item(c.id)) == 0) {
            InfoBox(hwnd_, LoadText(c.message), LoadText(IDS_CAPTION_INFO), kInfoIcon);
            SetFocus(Item(c.id));
            return false;
        }
    }
    if (CheckedPrograms().empty()) {
        InfoBox(hwnd_, LoadText(IDS_NEED_PROGRAM), LoadText(IDS_CAPTION_INFO), kInfoIcon);
        SetFocus(Item(IDC_LST_PROGRAMY));
        return false;
    }
    return true;
}

OrderData TKS_Zamawiacz::CollectOrderData() {
    OrderData d;
    d.name = TextOf(Item(IDC_EDT_NAZWISKO));
    d.organisation = TextOf(Item(IDC_EDT_ORGANIZACJA));
    d.street = TextOf(Item(IDC_EDT_ULICA));
    d.postcode = TextOf(Item(IDC_EDT_KOD));
    d.city = TextOf(Item(IDC_EDT_MIASTO));
    d.nip = TextOf(Item(IDC_EDT_NIP));
    d.phone = TextOf(Item(IDC_EDT_TELEFON));
    d.email = TextOf(Item(IDC_EDT_EMAIL));
    d.remarks = TextOf(Item(IDC_EDT_UWAGI));
    d.delivery = TextOf(Item(IDC_LST_DOSTAWA));
    LRESULT invoice = SendMessageW(Item(IDC_EDT_RACHUNEK), CB_GETCURSEL, 0, 0);
    d.invoice = invoice == 1 ? 1 : 0;
    d.programs = CheckedPrograms();
    wchar_t date[128] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128);
    d.date = date;
    return d;
}

// ---------------------------------------------------------------------------
// The program list.

std::vector<std::wstring> TKS_Zamawiacz::ProgramLines() const {
    HWND list = Item(IDC_LST_PROGRAMY);
    std::vector<std::wstring> lines;
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int len = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
        if (len < 0) continue;
        std::wstring text(static_cast<size_t>(len) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(len));
        lines.push_back(text);
    }
    return lines;
}

std::vector<std::wstring> TKS_Zamawiacz::CheckedPrograms() const {
    HWND list = Item(IDC_LST_PROGRAMY);
    std::vector<std::wstring> lines = ProgramLines(), checked;
    for (size_t i = 0; i < lines.size(); ++i)
        if (SendMessageW(list, LB_GETITEMDATA, i, 0) == 1) checked.push_back(lines[i]);
    return checked;
}

void TKS_Zamawiacz::SetProgramLines(const std::vector<std::wstring>& lines) {
    HWND list = Item(IDC_LST_PROGRAMY);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& line : lines) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    UpdateProgramListExtent(lines);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void TKS_Zamawiacz::UpdateProgramListExtent(const std::vector<std::wstring>& lines) {
    HWND list = Item(IDC_LST_PROGRAMY);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, font_);
    int widest = 0;
    for (const std::wstring& line : lines) {
        SIZE size;
        if (GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size) && size.cx > widest)
            widest = size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    // The check box in front of the text and the margins of DrawCheckItem.
    int itemHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    SendMessageW(list, LB_SETHORIZONTALEXTENT, widest + itemHeight + 12, 0);
}

void TKS_Zamawiacz::ShowProgramCheckmark(int index, bool checked) {
    HWND list = Item(IDC_LST_PROGRAMY);
    SendMessageW(list, LB_SETITEMDATA, index, checked ? 1 : 0);
    InvalidateRect(list, nullptr, FALSE);
}

void TKS_Zamawiacz::LST_ProgramyClickCheck(int index) {
    HWND list = Item(IDC_LST_PROGRAMY);
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    if (index < 0 || index >= count || SendMessageW(list, LB_GETITEMDATA, index, 0) != 1) return;
    int seats = TLicencjaDlg(hwnd_);
    if (seats <= 0) return;  // cancelled: the line stays as it was, checked
    std::vector<std::wstring> lines = ProgramLines();
    if (index >= static_cast<int>(lines.size())) return;
    std::wstring line = WithSeatCount(lines[index], seats);
    int selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    SendMessageW(list, LB_DELETESTRING, index, 0);
    SendMessageW(list, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(line.c_str()));
    lines[index] = line;
    UpdateProgramListExtent(lines);
    ShowProgramCheckmark(index, true);
    SendMessageW(list, LB_SETCURSEL, selected, 0);
}

// ---------------------------------------------------------------------------
// Storage.

void TKS_Zamawiacz::LoadStoredData() {
    std::map<std::wstring, std::wstring> v = ReadCustomerValues();
    auto value = [&](const wchar_t* name) {
        auto it = v.find(name);
        return it == v.end() ? std::wstring() : it->second;
    };
    SendMessageW(Item(IDC_LST_DOSTAWA), CB_SETCURSEL, ParseStoredIndex(value(stored::kDelivery), kDefaultDelivery, 4), 0);
    SendMessageW(Item(IDC_EDT_RACHUNEK), CB_SETCURSEL, ParseStoredIndex(value(stored::kInvoice), kDefaultInvoice, 2), 0);
    SendMessageW(Item(IDC_CHK_PROFORMA), BM_SETCHECK, ParseStoredFlag(value(stored::kProforma), false), 0);
    SendMessageW(Item(IDC_CHK_UPOW), BM_SETCHECK, ParseStoredFlag(value(stored::kProforma), true), 0);
    for (const FormField& f : kFields) SetWindowTextW(Item(f.id), value(f.stored).c_str());

    std::vector<std::wstring> lines;
    if (LoadProgramList(ProgramListPath(), lines)) SetProgramLines(lines);
}

void TKS_Zamawiacz::SaveStoredData() {
    SaveProgramList(ProgramListPath(), ProgramLines());
    std::map<std::wstring, std::wstring> v;
    v[stored::kDelivery] = std::to_wstring(SendMessageW(Item(IDC_LST_DOSTAWA), CB_GETCURSEL, 0, 0));
    v[stored::kInvoice] = std::to_wstring(SendMessageW(Item(IDC_EDT_RACHUNEK), CB_GETCURSEL, 0, 0));
    // Both hidden boxes share one value; the second one written stays.
    v[stored::kProforma] =
        SendMessageW(Item(IDC_CHK_UPOW), BM_GETCHECK, 0, 0) == BST_CHECKED ? L"1" : L"0";
    for (const FormField& f : kFields) v[f.stored] = TextOf(Item(f.id));
    WriteCustomerValues(v);
}

bool TKS_Zamawiacz::FormCloseQuery() {
    if (Question(hwnd_, LoadText(IDS_ASK_CLOSE), LoadText(IDS_CAPTION_INFO)) != 1) return false;
    SaveStoredData();
    httpc_.Abort();
    return true;
}

// ---------------------------------------------------------------------------
// Printing and help.

void TKS_Zamawiacz::BTN_AkceptClick() {
    HWND button = Item(IDC_BTN_AKCEPT);
    RECT r;
    GetWindowRect(button, &r);
    TrackPopupMenu(serverMenu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, r.left, r.bottom, 0, hwnd_, nullptr);
}

void TKS_Zamawiacz::PMNU_DrukClick() {
    if (Question(hwnd_, LoadText(IDS_ASK_PRINT), LoadText(IDS_CAPTION_INFO)) != 1) {
        InfoBox(hwnd_, LoadText(IDS_NOT_PRINTED), LoadText(IDS_CAPTION_WARNING), kWarningIcon);
        return;
    }
    if (!PrintLetter(hwnd_, letter_, LoadText(IDS_PRINT_DOCUMENT))) return;
    if (Question(hwnd_, LoadText(IDS_PRINTED_ASK_CLOSE), LoadText(IDS_CAPTION_INFO_DONE)) == 1)
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

std::string TKS_Zamawiacz::HelpFile() const {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n < MAX_PATH ? n : 0);
    size_t slash = p.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : p.substr(0, slash + 1)) + "verad.hlp";
}

bool TKS_Zamawiacz::HelpFileMissing() {
    if (GetFileAttributesA(HelpFile().c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    InfoBox(hwnd_, LoadText(IDS_NO_HELP_FILE), LoadText(IDS_CAPTION_INFO), kWarningIcon);
    return true;
}

void TKS_Zamawiacz::BTN_PomocClick() {
    if (HelpFileMissing()) return;
    helpUsed_ = true;
    WinHelpA(hwnd_, HelpFile().c_str(), HELP_FINDER, 0);
}

void TKS_Zamawiacz::ToolbarButton971Click() { Pomocy(210); }

void TKS_Zamawiacz::Pomocy(DWORD topic) {
    if (HelpFileMissing()) return;
    helpUsed_ = true;
    WinHelpA(hwnd_, (HelpFile() + ">right").c_str(), HELP_CONTEXT, topic);
}

void TKS_Zamawiacz::ContextHelp(const HELPINFO* info) {
    if (!info || info->iContextType != HELPINFO_WINDOW || info->dwContextId == 0) return;
    if (HelpFileMissing()) return;
    helpUsed_ = true;
    WinHelpA(hwnd_, HelpFile().c_str(), HELP_CONTEXTPOPUP, info->dwContextId);
}

// ---------------------------------------------------------------------------

int RunTendra(HINSTANCE instance, int show) {
    TKS_Zamawiacz form(instance);
    if (!form.Create(show)) return 1;
    return form.Run();
}

}  // namespace tendra
