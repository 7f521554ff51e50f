#include "capture/win/clipboard.h"
#include "capture/win/imageedit.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "capture/clipformat.h"
#include "capture/settings.h"
#include "capture/win/grabber.h"
#include "capture/win/imagefiles.h"
#include "capture/win/mainframe.h"
#include "imageio/reduce.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "platform/dibkit/dibkit.h"
#include "res/resource.h"

namespace gmbx {

namespace {

void ClipMessage(UINT id) {
    if (!CaptureInProgress()) klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, id);
}

bool HasTable(const Dib& dib) { return !dib.Empty() && dib.BitCount() <= 8; }

// The image to copy; *temporary owns it when it is not the current Dib.
Dib* ChooseClipImage(std::unique_ptr<Dib>* temporary) {
    Dib* current = g_image.dib && !g_image.dib->Empty() ? g_image.dib.get() : nullptr;
    ClipImageState state;
    state.havePixmap = g_image.pixmap != nullptr;
    state.haveDib = current != nullptr;
    state.dibHasTable = current && HasTable(*current);
    state.displayColours = g_displayColours;
    ClipPlan plan = PlanClipboardImage(state, g_settings.clipBmpBits, g_settings.clipBmpAutoSel);
    switch (plan.source) {
    case ClipSource::kReduceDib:
        *temporary = ReduceTo256(*current, kReduceJpegMode);
        return temporary->get();
    case ClipSource::kReducePixmap: {
        std::unique_ptr<Dib> full = ConvertCurrentImage(plan.colours, SettingsResolution());
        if (!full) return nullptr;
        // A converted image that has a colour table already is copied as it is.
        *temporary = HasColourTable(*full) ? std::move(full) : ReduceTo256(*full, kReduceJpegMode);
        return temporary->get();
    }
    case ClipSource::kPixmap: *temporary = ConvertCurrentImage(plan.colours, SettingsResolution()); return temporary->get();
    case ClipSource::kDibAsIs: return current;
    case ClipSource::kNothing: break;
    }
    return nullptr;
}

}  // namespace

void CopyToClipboard(bool fromCommand) {
    if (!g_image.pixmap && !(g_image.dib && !g_image.dib->Empty())) return;
    RefreshDisplayColours();
    if (!OpenClipboard(ImageView())) {
        ClipMessage(IDS_CLIP_OPEN_FAILED);
        return;
    }
    if (!EmptyClipboard()) {
        CloseClipboard();
        ClipMessage(IDS_CLIP_EMPTY_FAILED);
        return;
    }
    std::unique_ptr<Dib> temporary;
    Dib* image = ChooseClipImage(&temporary);
    if (!image || image->Empty() || image->totalSize <= 0) {
        CloseClipboard();
        return;
    }
    if (g_image.dib && !g_image.dib->Empty() && image != g_image.dib.get()) {
        image->Header()->xPelsPerMeter = g_image.dib->Header()->xPelsPerMeter;
        image->Header()->yPelsPerMeter = g_image.dib->Header()->yPelsPerMeter;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(image->totalSize));
    void* data = block ? GlobalLock(block) : nullptr;
    if (!data) {
        if (block) GlobalFree(block);
        CloseClipboard();
        ClipMessage(IDS_CLIP_NO_MEMORY);
        return;
    }
    std::memcpy(data, image->bih, static_cast<size_t>(image->totalSize));
    GlobalUnlock(block);

    const int32_t format = g_settings.clipBmpFormat;
    if (ClipWantsBitmap(format)) {
        HPALETTE palette = nullptr;
        HBITMAP bitmap = DIBToBitmap(block, &palette);
        if (bitmap && !SetClipboardData(CF_BITMAP, bitmap)) DeleteObject(bitmap);
        if (palette) {
            if (!(HasTable(*image) && SetClipboardData(CF_PALETTE, palette))) DeleteObject(palette);
        }
    }
    if (!ClipWantsDib(format)) {
        GlobalFree(block);
    } else if (!SetClipboardData(CF_DIB, block)) {
        GlobalFree(block);
        ClipMessage(IDS_CLIP_DIB_REFUSED);
    }
    temporary.reset();
    CloseClipboard();

    if (fromCommand && g_settings.clipMinOnCopy && MainFrame())
        ShowWindow(MainFrame(), TrayIconShown() ? SW_HIDE : SW_MINIMIZE);
}

void PasteFromClipboard() {
    if (!OpenClipboard(ImageView())) {
        ClipMessage(IDS_CLIP_OPEN_FAILED);
        return;
    }
    HGLOBAL made = nullptr;
    HANDLE handle = GetClipboardData(CF_DIB);
    if (!handle) {
        auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        if (bitmap) {
            auto palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
            if (!palette) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
            made = BitmapToDIB(bitmap, palette);
            handle = made;
        }
    }
    // The block comes from another program: read it only within its size.
    std::unique_ptr<Dib> dib;
    if (handle) {
        const void* data = GlobalLock(handle);
        SIZE_T size = GlobalSize(handle);
        std::vector<uint8_t> ready;
        if (data && PrepareClipboardDib(static_cast<const uint8_t*>(data), size, &ready))
            dib = LoadBMPFromMemory(ready.data(), ready.size());
        GlobalUnlock(handle);
    }
    CloseClipboard();
    if (made) GlobalFree(made);
    if (!handle) {
        ClipMessage(IDS_PASTE_NOTHING);
        return;
    }
    PaletteHandle palette;
    std::unique_ptr<Pixmap> shown = dib ? PixmapFromDib(*dib, &palette) : nullptr;
    if (!shown) {
        ClipMessage(IDS_PASTE_UNREADABLE);
        return;
    }
    // The previous image goes only now that the new one exists.
    ClearUndoImage();
    if (HaveImage()) ClearCurrentImage(false);
    SetCurrentPalette(std::move(palette));
    SetCurrentPixmap(std::move(shown));
    ShowCurrentImage();
}

namespace {

int DisplayDepthRadio() { return IDC_CLIP_BITS2 + ClipBitsForDisplay(g_displayColours); }

void EnableDepthRadios(HWND dlg, bool on) {
    for (int id = IDC_CLIP_BITS2; id <= IDC_CLIP_BITS24; ++id) EnableWindow(GetDlgItem(dlg, id), on);
}

// The depth radios as the auto-select box says: cleared, disabled and the
// display's radio checked when it is on; enabled when it is off.
void ApplyAutoSelect(HWND dlg) {
    EnableWindow(GetDlgItem(dlg, IDC_CLIP_AUTOSEL), TRUE);
    if (IsDlgButtonChecked(dlg, IDC_CLIP_AUTOSEL) == BST_CHECKED) {
        CheckRadioButton(dlg, IDC_CLIP_BITS2, IDC_CLIP_BITS24, DisplayDepthRadio());
        EnableDepthRadios(dlg, false);
    } else {
        EnableDepthRadios(dlg, true);
    }
}

void BitmapOnly(HWND dlg) {
    EnableWindow(GetDlgItem(dlg, IDC_CLIP_AUTOSEL), FALSE);
    EnableDepthRadios(dlg, false);
}

INT_PTR CALLBACK ClipOptionsProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        RefreshDisplayColours();
        int format = g_settings.clipBmpFormat;
        if (format < 0 || format > 2) format = 0;
        CheckRadioButton(dlg, IDC_CLIP_BOTH, IDC_CLIP_BITMAP, IDC_CLIP_BOTH + format);
        CheckDlgButton(dlg, IDC_CLIP_MINIMIZE, g_settings.clipMinOnCopy ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dlg, IDC_CLIP_AUTOSEL, g_settings.clipBmpAutoSel ? BST_CHECKED : BST_UNCHECKED);
        if (format == 2) {
            CheckRadioButton(dlg, IDC_CLIP_BITS2, IDC_CLIP_BITS24, DisplayDepthRadio());
            BitmapOnly(dlg);
        } else if (g_settings.clipBmpAutoSel) {
            ApplyAutoSelect(dlg);
        } else {
            int bits = g_settings.clipBmpBits;
            CheckRadioButton(dlg, IDC_CLIP_BITS2, IDC_CLIP_BITS24, IDC_CLIP_BITS2 + (bits < 0 || bits > 3 ? 3 : bits));
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_CLIP_BITMAP: BitmapOnly(dlg); return TRUE;
        case IDC_CLIP_BOTH:
        case IDC_CLIP_DIB:
        case IDC_CLIP_AUTOSEL: ApplyAutoSelect(dlg); return TRUE;
        case IDC_CLIP_HELP: WinHelpA(dlg, g_run.helpPath.c_str(), HELP_CONTEXT, 30); return TRUE;
        case IDOK:
            g_settings.clipBmpAutoSel = IsDlgButtonChecked(dlg, IDC_CLIP_AUTOSEL) == BST_CHECKED;
            for (int id = IDC_CLIP_BITS2; id <= IDC_CLIP_BITS24; ++id)
                if (IsDlgButtonChecked(dlg, id) == BST_CHECKED) {
                    g_settings.clipBmpBits = id - IDC_CLIP_BITS2;
                    break;
                }
            for (int id = IDC_CLIP_BOTH; id <= IDC_CLIP_BITMAP; ++id)
                if (IsDlgButtonChecked(dlg, id) == BST_CHECKED) g_settings.clipBmpFormat = id - IDC_CLIP_BOTH;
            g_settings.clipMinOnCopy = IsDlgButtonChecked(dlg, IDC_CLIP_MINIMIZE) == BST_CHECKED;
            EndDialog(dlg, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

bool ShowClipboardOptions() {
    return DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_CLIP_OPTIONS), MainFrame(), ClipOptionsProc,
                           0) == IDOK;
}

}  // namespace gmbx
