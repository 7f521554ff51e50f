#include "orderform/win/dialogs.h"

#include <commctrl.h>

#include "orderform/customer.h"
#include "orderform/res/resource.h"

namespace tendra {
namespace {

constexpr int kMinSeats = 1;
constexpr int kMaxSeats = 500;

struct PriceListArgs {
    const std::wstring* text;
    HFONT font;
};

void SetOkPicture(HWND dlg) {
    if (HBITMAP bmp = ButtonPicture(L"OK"))
        SendDlgItemMessageW(dlg, IDOK, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
}

INT_PTR CALLBACK LicencjaProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageW(dlg, IDC_LIC_SPIN, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dlg, IDC_LIC_COUNT)), 0);
        SendDlgItemMessageW(dlg, IDC_LIC_SPIN, UDM_SETRANGE32, kMinSeats, kMaxSeats);
        SendDlgItemMessageW(dlg, IDC_LIC_SPIN, UDM_SETPOS32, 0, kMinSeats);
        SendDlgItemMessageW(dlg, IDC_LIC_COUNT, EM_LIMITTEXT, 3, 0);
        SetOkPicture(dlg);
        SetFocus(GetDlgItem(dlg, IDC_LIC_COUNT));
        SendDlgItemMessageW(dlg, IDC_LIC_COUNT, EM_SETSEL, 0, -1);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            wchar_t text[16] = L"";
            GetDlgItemTextW(dlg, IDC_LIC_COUNT, text, 16);
            // A typed number outside the range is brought into it.
            int seats = ParseStoredNumber(text, kMinSeats);
            if (seats < kMinSeats) seats = kMinSeats;
            if (seats > kMaxSeats) seats = kMaxSeats;
            EndDialog(dlg, seats);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK CennikProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* args = reinterpret_cast<PriceListArgs*>(lp);
        if (args->font) SendDlgItemMessageW(dlg, IDC_MEM_CENNIK, WM_SETFONT, reinterpret_cast<WPARAM>(args->font), FALSE);
        // The edit box needs CR LF between lines.
        std::wstring text;
        for (size_t i = 0; i < args->text->size(); ++i) {
            wchar_t c = (*args->text)[i];
            if (c == L'\n' && (i == 0 || (*args->text)[i - 1] != L'\r')) text += L'\r';
            if (c == L'\r' && (i + 1 >= args->text->size() || (*args->text)[i + 1] != L'\n')) {
                text += L"\r\n";
                continue;
            }
            text += c;
        }
        SendDlgItemMessageW(dlg, IDC_MEM_CENNIK, EM_LIMITTEXT, 0, 0);
        SetDlgItemTextW(dlg, IDC_MEM_CENNIK, text.c_str());
        SetOkPicture(dlg);
        SetFocus(GetDlgItem(dlg, IDOK));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

int TLicencjaDlg(HWND owner) {
    INT_PTR r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LICENCJA), owner, LicencjaProc, 0);
    return r > 0 ? static_cast<int>(r) : 0;
}

void TCEnnikDlg(HWND owner, const std::wstring& priceList) {
    HDC dc = GetDC(owner);
    int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(owner, dc);
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
    PriceListArgs args{&priceList, font};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CENNIK), owner, CennikProc,
                    reinterpret_cast<LPARAM>(&args));
    if (font) DeleteObject(font);
}

HBITMAP ButtonPicture(const wchar_t* name) {
    static HBITMAP ok = nullptr, help = nullptr;
    HBITMAP& slot = lstrcmpW(name, L"OK") == 0 ? ok : help;
    if (!slot)
        slot = static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    return slot;
}

}  // namespace tendra
