// Prints the order letter with our own layout (the rich-edit box cannot be
// relied on to render onto a printer).
#pragma once

#include <windows.h>

#include <string>

#include "orderform/letter.h"

// Shows the print dialog (all pages, no print-to-file, warning when there is no
// printer); on OK prints the letter as a document of the given name and returns
// true; false when the dialog was cancelled or printing failed.
bool PrintLetter(HWND owner, const tendra::Letter& letter, const std::wstring& documentName);

namespace tendra {

// Lays the letter out for the device `dc` (fonts scaled to its resolution) in
// the rectangle `area` (device units) and draws it page by page. Before each
// page `beginPage(index)` runs and after it `endPage(index)`; when either
// returns false drawing stops. Returns the number of pages drawn, or -1 on a
// failure. With null callbacks everything is drawn onto the same surface
// (only useful for a single page).
struct PageCallbacks {
    bool (*beginPage)(void* ctx, int index) = nullptr;
    bool (*endPage)(void* ctx, int index) = nullptr;
    void* ctx = nullptr;
};
int DrawLetterPages(HDC dc, const Letter& letter, const RECT& area, const PageCallbacks& callbacks);

// Number of pages the letter takes on `dc` in `area`.
int CountLetterPages(HDC dc, const Letter& letter, const RECT& area);

// The printable rectangle of a printer DC with our margins (2 cm, never
// outside the physically printable area), in device units.
RECT LetterPrintArea(HDC printerDc);

}  // namespace tendra
