#include "capture/win/imageedit.h"

#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <memory>
#include <string>

#include "capture/editvalues.h"
#include "capture/settings.h"
#include "capture/win/imagefiles.h"
#include "capture/win/mainframe.h"
#include "imageio/gamma.h"
#include "imageio/imageedit.h"
#include "imageio/win/current.h"
#include "klib/win/dialogfield.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {

namespace {

std::unique_ptr<Dib> g_undo;

void NoMemory() { klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_EDIT_NO_MEMORY); }

// The current image as a Dib: the current Dib, or one made from the view's
// pixmap (which then becomes the current Dib). Null without an image or when
// the Dib cannot be made.
Dib* CurrentImageAsDib() {
    if (g_image.dib && !g_image.dib->Empty()) return g_image.dib.get();
    if (!g_image.pixmap) return nullptr;
    std::unique_ptr<Dib> dib = ConvertCurrentImage(RefreshDisplayColours(), SettingsResolution());
    if (!dib) return nullptr;
    SetCurrentDib(std::move(dib));
    return g_image.dib.get();
}

std::unique_ptr<Dib> CopyOf(const Dib& dib) {
    auto copy = std::make_unique<Dib>(dib);
    if (copy->Empty()) return nullptr;
    return copy;
}

// Shows dib as the current image, with a palette of its own and a view pixmap
// drawn from it; the file names stay. The Dib it replaces (null when there was
// none) goes to *replaced. False, with dib and the current image untouched,
// when no pixmap can be made.
bool ShowAsNewImage(std::unique_ptr<Dib>& dib, std::unique_ptr<Dib>* replaced) {
    PaletteHandle palette;
    std::unique_ptr<Pixmap> shown = PixmapFromDib(*dib, &palette);
    if (!shown) return false;
    *replaced = std::move(g_image.dib);
    ClearCurrentImage(true);
    SetCurrentPalette(std::move(palette));
    SetCurrentPixmap(std::move(shown));
    SetCurrentDib(std::move(dib));
    ShowCurrentImage();
    return true;
}

// A field that must hold a number from lo to hi; shows the message and puts
// the caret into the field when it does not.
bool ReadField(HWND d, int id, double lo, double hi, UINT message, double* out) {
    if (ParseNumberInRange(klib::DialogItemText(d, id), lo, hi, out)) return true;
    klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, message);
    klib::SelectDialogItem(d, id);
    return false;
}

// The gamma dialog works on a copy of the image as it was when it opened.
struct GammaDialog {
    std::unique_ptr<Dib> untouched;
    double gamma = 1.0;   // the gamma of what is shown
    bool changed = false;  // a corrected image is shown
};

void SetSlider(HWND d, int position) {
    SendDlgItemMessageA(d, IDC_GAMMA_SLIDER, TBM_SETPOS, TRUE, position);
}

// Shows a copy of the untouched image with the gamma (1 for the untouched
// image itself).
bool ShowCorrected(GammaDialog& g, double gamma) {
    std::unique_ptr<Dib> copy = CopyOf(*g.untouched);
    if (!copy) {
        NoMemory();
        return false;
    }
    if (gamma != 1.0) {
        GammaTable table;
        table.Build(gamma);
        ApplyGamma(*copy, table);
    }
    std::unique_ptr<Dib> replaced;
    if (!ShowAsNewImage(copy, &replaced)) return false;
    g.gamma = gamma;
    return true;
}

// Applies the gamma in the edit field; false (nothing changed) when the
// field holds no gamma or the image cannot be made.
bool ApplyTypedGamma(HWND d, GammaDialog& g) {
    double gamma;
    if (!ReadField(d, IDC_GAMMA_EDIT, kGammaMin, kGammaMax, IDS_GAMMA_RANGE, &gamma)) return false;
    if (!ShowCorrected(g, gamma)) return false;
    g.changed = true;
    SetSlider(d, SliderOfGamma(gamma));
    return true;
}

INT_PTR CALLBACK GammaProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
    auto* g = reinterpret_cast<GammaDialog*>(GetWindowLongPtrA(d, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(d, DWLP_USER, lp);
        SendDlgItemMessageA(d, IDC_GAMMA_SLIDER, TBM_SETRANGE, FALSE, MAKELONG(0, kGammaSliderMax));
        SendDlgItemMessageA(d, IDC_GAMMA_SLIDER, TBM_SETPAGESIZE, 0, 10);
        SendDlgItemMessageA(d, IDC_GAMMA_SLIDER, TBM_SETTIC, 0, kGammaSliderMax / 2);
        SetSlider(d, kGammaSliderMax / 2);
        SendDlgItemMessageA(d, IDC_GAMMA_EDIT, EM_LIMITTEXT, 16, 0);
        SetDlgItemTextA(d, IDC_GAMMA_EDIT, GammaText(1.0).c_str());
        return TRUE;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lp) == GetDlgItem(d, IDC_GAMMA_SLIDER) && LOWORD(wp) != TB_ENDTRACK) {
            int position = static_cast<int>(SendDlgItemMessageA(d, IDC_GAMMA_SLIDER, TBM_GETPOS, 0, 0));
            SetDlgItemTextA(d, IDC_GAMMA_EDIT, GammaText(GammaOfSlider(position)).c_str());
            ApplyTypedGamma(d, *g);
        }
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_GAMMA_APPLY: ApplyTypedGamma(d, *g); return TRUE;
        case IDC_GAMMA_RESET:
            if (ShowCorrected(*g, 1.0)) {
                g->changed = false;
                SetDlgItemTextA(d, IDC_GAMMA_EDIT, GammaText(1.0).c_str());
                SetSlider(d, kGammaSliderMax / 2);
            }
            return TRUE;
        case IDOK: {
            // A gamma typed but not yet applied is applied now.
            double typed;
            if (!ReadField(d, IDC_GAMMA_EDIT, kGammaMin, kGammaMax, IDS_GAMMA_RANGE, &typed)) return TRUE;
            if (GammaText(typed) != GammaText(g->gamma) && !ApplyTypedGamma(d, *g)) return TRUE;
            EndDialog(d, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(d, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

struct ResolutionDialog {
    bool image = false;
    double horiz = 0, vert = 0;
};

INT_PTR CALLBACK ResolutionProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
    auto* r = reinterpret_cast<ResolutionDialog*>(GetWindowLongPtrA(d, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(d, DWLP_USER, lp);
        r = reinterpret_cast<ResolutionDialog*>(lp);
        double horiz = g_settings.horizRes * 0.001, vert = g_settings.vertRes * 0.001;
        if (g_image.dib && !g_image.dib->Empty()) {
            const DibInfoHeader& h = *g_image.dib->Header();
            if (h.xPelsPerMeter > 0) horiz = DpiOfPelsPerMeter(h.xPelsPerMeter);
            if (h.yPelsPerMeter > 0) vert = DpiOfPelsPerMeter(h.yPelsPerMeter);
        }
        SetDlgItemTextA(d, IDC_RES_HORIZ, DpiText(horiz).c_str());
        SetDlgItemTextA(d, IDC_RES_VERT, DpiText(vert).c_str());
        SendDlgItemMessageA(d, IDC_RES_HORIZ, EM_LIMITTEXT, 16, 0);
        SendDlgItemMessageA(d, IDC_RES_VERT, EM_LIMITTEXT, 16, 0);
        CheckDlgButton(d, IDC_RES_APPLY, r->image ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(d, IDC_RES_APPLY), r->image);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            if (!ReadField(d, IDC_RES_HORIZ, kDpiMin, kDpiMax, IDS_DPI_RANGE, &r->horiz) ||
                !ReadField(d, IDC_RES_VERT, kDpiMin, kDpiMax, IDS_DPI_RANGE, &r->vert))
                return TRUE;
            r->image = IsDlgButtonChecked(d, IDC_RES_APPLY) == BST_CHECKED;
            if (IsDlgButtonChecked(d, IDC_RES_DEFAULT) == BST_CHECKED) {
                g_settings.horizRes = static_cast<int32_t>(std::lround(r->horiz * 1000));
                g_settings.vertRes = static_cast<int32_t>(std::lround(r->vert * 1000));
            }
            EndDialog(d, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(d, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

bool HaveUndoImage() { return g_undo != nullptr; }

void ClearUndoImage() { g_undo = nullptr; }

void SwapBlackWhiteCommand() {
    if (!HaveImage()) return;
    Dib* current = CurrentImageAsDib();
    std::unique_ptr<Dib> copy = current ? CopyOf(*current) : nullptr;
    if (!copy) {
        NoMemory();
        return;
    }
    if (!SwapBlackWhite(*copy)) return;  // a layout it cannot change
    std::unique_ptr<Dib> replaced;
    if (ShowAsNewImage(copy, &replaced)) g_undo = std::move(replaced);
}

void GammaDialogCommand() {
    if (!HaveImage()) return;
    GammaDialog g;
    Dib* current = CurrentImageAsDib();
    if (current) g.untouched = CopyOf(*current);
    if (!g.untouched) {
        NoMemory();
        return;
    }
    DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_GAMMA), MainFrame(), GammaProc,
                    reinterpret_cast<LPARAM>(&g));
    // OK or Cancel: the last applied correction stays shown, and the image as
    // it was before can be had back with Undo.
    if (g.changed) g_undo = std::move(g.untouched);
}

void ImageResolutionCommand() {
    ResolutionDialog r;
    r.image = HaveImage();
    if (DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_IMAGE_RES), MainFrame(), ResolutionProc,
                        reinterpret_cast<LPARAM>(&r)) != IDOK ||
        !r.image)
        return;
    Dib* current = CurrentImageAsDib();
    if (!current) {
        NoMemory();
        return;
    }
    current->Header()->xPelsPerMeter = PelsPerMeterOfDpi(r.horiz);
    current->Header()->yPelsPerMeter = PelsPerMeterOfDpi(r.vert);
}

void UndoCommand() {
    if (!g_undo) return;
    if (HaveImage() && !CurrentImageAsDib()) {
        NoMemory();
        return;
    }
    std::unique_ptr<Dib> undo = std::move(g_undo);
    std::unique_ptr<Dib> replaced;
    if (ShowAsNewImage(undo, &replaced)) g_undo = std::move(replaced);
    else g_undo = std::move(undo);
}

}  // namespace gmbx
