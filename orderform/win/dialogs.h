// The order form's two small dialogs.
#pragma once
#include <windows.h>

#include <string>

namespace tendra {

// TLicencjaDlg, "Ilość zamawianych licencji": the number of seats (1 to 500,
// starting at 1); 0 when it was cancelled.
int TLicencjaDlg(HWND owner);

// TCEnnikDlg, "Aktualny cennik": shows the downloaded price list.
void TCEnnikDlg(HWND owner, const std::wstring& priceList);

// The picture "OK" of the dialogs' OK buttons (and of BTN_Akcept), or
// "POMOC"; loaded once, with the light grey background turned into the
// button face colour.
HBITMAP ButtonPicture(const wchar_t* name);

}  // namespace tendra
