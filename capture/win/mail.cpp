#include "capture/win/mail.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "capture/clipformat.h"
#include "capture/formats.h"
#include "capture/savename.h"
#include "capture/settings.h"
#include "capture/win/mainframe.h"
#include "imageio/win/current.h"
#include "capture/win/imagefiles.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "res/resource.h"

namespace gmbx {

namespace {

typedef ULONG(WINAPI* SendDocumentsProc)(ULONG_PTR, LPSTR, LPSTR, LPSTR, ULONG);
constexpr ULONG kMapiUserAbort = 1;

enum class Binding { kNotTried, kAvailable, kMissing };
Binding g_binding = Binding::kNotTried;
HMODULE g_mapi = nullptr;
SendDocumentsProc g_sendDocuments = nullptr;
std::string g_libraryName = "MAPI32.DLL";

bool BindMessaging() {
    if (g_binding == Binding::kNotTried) {
        g_binding = Binding::kMissing;
        HMODULE lib = LoadLibraryA(g_libraryName.c_str());
        if (reinterpret_cast<ULONG_PTR>(lib) > 32) {
            auto send = reinterpret_cast<SendDocumentsProc>(
                reinterpret_cast<void*>(GetProcAddress(lib, "MAPISendDocuments")));
            if (GetProcAddress(lib, "MAPISendMail") && send) {
                g_mapi = lib;
                g_sendDocuments = send;
                g_binding = Binding::kAvailable;
            } else {
                FreeLibrary(lib);
            }
        }
    }
    return g_binding == Binding::kAvailable;
}

// The dialog's working copy.
struct EmailDialogState {
    SaveOptions copy;
    std::string name;
};

int RowCount() { return AddonFormatsInUse() ? kFormatRowCount : kBuiltInFormatRowCount; }

void FillVariants(HWND dlg, int row, int select) {
    HWND list = GetDlgItem(dlg, IDC_EMAIL_VARIANT);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    const FormatRow* r = FormatTableRow(row);
    int count = r ? r->variantCount : 0;
    for (int i = 0; i < count; ++i)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(VariantCaption(row, i).c_str()));
    if (select < 0 || select >= count) select = 0;
    SendMessageA(list, CB_SETCURSEL, select, 0);
    EnableWindow(list, count > 1);
}

// The quality controls are for the formats that use the quality setting.
void ShowQualityControls(HWND dlg) {
    int row = static_cast<int>(SendDlgItemMessageA(dlg, IDC_EMAIL_TYPE, CB_GETCURSEL, 0, 0));
    int variant = static_cast<int>(SendDlgItemMessageA(dlg, IDC_EMAIL_VARIANT, CB_GETCURSEL, 0, 0));
    const FormatVariant* v = FormatTableVariant(row, variant < 0 ? 0 : variant);
    const BOOL on = v && (v->depthMask & kDepthMaskQuality) ? TRUE : FALSE;
    for (int id : {IDC_EMAIL_LABEL4, IDC_EMAIL_QUALITY, IDC_EMAIL_QSCROLL}) EnableWindow(GetDlgItem(dlg, id), on);
}

// What a failed mail call means, in words; 0 for the user's own cancel,
// which needs no message.
UINT MailFailureReason(ULONG code) {
    switch (code) {
    case kMapiUserAbort: return 0;
    case 3: return IDS_MAIL_LOGON;            // log-on failed or was cancelled
    case 5: return IDS_MAIL_MEMORY;
    case 11: case 12: case 13: return IDS_MAIL_ATTACHMENT;  // attachment not found, unreadable
    case 26: return IDS_MAIL_NOT_SUPPORTED;   // no mail client behind the interface
    default: return IDS_MAIL_OTHER;
    }
}

void SetQuality(HWND dlg, int quality, bool edit) {
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    SetScrollPos(GetDlgItem(dlg, IDC_EMAIL_QSCROLL), SB_CTL, quality, TRUE);
    if (edit) SetDlgItemInt(dlg, IDC_EMAIL_QUALITY, static_cast<UINT>(quality), FALSE);
}

int DialogQuality(HWND dlg) {
    BOOL ok = FALSE;
    UINT q = GetDlgItemInt(dlg, IDC_EMAIL_QUALITY, &ok, FALSE);
    if (!ok || q < 1) return 1;
    return q > 100 ? 100 : static_cast<int>(q);
}

INT_PTR CALLBACK EmailDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<EmailDialogState*>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<EmailDialogState*>(lp);
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        SendDlgItemMessageA(dlg, IDC_EMAIL_NAME, EM_LIMITTEXT, 63, 0);
        SetDlgItemTextA(dlg, IDC_EMAIL_NAME, state->name.c_str());
        HWND types = GetDlgItem(dlg, IDC_EMAIL_TYPE);
        for (int i = 0; i < RowCount(); ++i)
            SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FormatTableRow(i)->filterText));
        int row = state->copy.formatRow, variant = state->copy.variant;
        if (!FindFormat(state->copy.formatCode, &row, &variant) || row >= RowCount()) row = variant = 0;
        SendMessageA(types, CB_SETCURSEL, row, 0);
        FillVariants(dlg, row, variant);
        ShowQualityControls(dlg);
        SetScrollRange(GetDlgItem(dlg, IDC_EMAIL_QSCROLL), SB_CTL, 1, 100, FALSE);
        SetQuality(dlg, state->copy.quality, true);
        CheckDlgButton(dlg, IDC_EMAIL_AUTOSEL, state->copy.autoSelBits ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    case WM_HSCROLL: {
        if (reinterpret_cast<HWND>(lp) != GetDlgItem(dlg, IDC_EMAIL_QSCROLL)) break;
        int q = DialogQuality(dlg);
        switch (LOWORD(wp)) {
        case SB_LINELEFT: --q; break;
        case SB_LINERIGHT: ++q; break;
        case SB_PAGELEFT: q -= 10; break;
        case SB_PAGERIGHT: q += 10; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: q = HIWORD(wp); break;
        default: return TRUE;
        }
        SetQuality(dlg, q, true);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_EMAIL_TYPE:
            if (HIWORD(wp) == CBN_SELCHANGE) {
                FillVariants(dlg, static_cast<int>(SendDlgItemMessageA(dlg, IDC_EMAIL_TYPE, CB_GETCURSEL, 0, 0)), 0);
                ShowQualityControls(dlg);
            }
            return TRUE;
        case IDC_EMAIL_VARIANT:
            if (HIWORD(wp) == CBN_SELCHANGE) ShowQualityControls(dlg);
            return TRUE;
        case IDC_EMAIL_QUALITY:
            if (HIWORD(wp) == EN_CHANGE) SetQuality(dlg, DialogQuality(dlg), false);
            return TRUE;
        case IDOK: {
            char name[64] = "";
            GetDlgItemTextA(dlg, IDC_EMAIL_NAME, name, sizeof name);
            int row = static_cast<int>(SendDlgItemMessageA(dlg, IDC_EMAIL_TYPE, CB_GETCURSEL, 0, 0));
            int variant = static_cast<int>(SendDlgItemMessageA(dlg, IDC_EMAIL_VARIANT, CB_GETCURSEL, 0, 0));
            if (!ConfirmEmailOptions(state->copy, row, variant < 0 ? 0 : variant, DialogQuality(dlg),
                                     IsDlgButtonChecked(dlg, IDC_EMAIL_AUTOSEL) == BST_CHECKED))
                return TRUE;
            state->name = TrimEmailName(name);
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

// Writes the current image with the e-mail options in place of the save
// options. A format without a writer of ours is said so here; the writers
// report their own failures.
bool WriteAttachment(const char* path) {
    const int32_t code = g_settings.emailSave.formatCode;
    if (code != kFormatGif && code != kFormatBmp && code != kFormatJpeg) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_MAIL_NO_ATTACHMENT);
        return false;
    }
    SaveOptions keep = g_settings.save;
    g_settings.save = g_settings.emailSave;
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    bool ok = false;
    switch (g_settings.emailSave.formatCode) {
    case kFormatGif: ok = SaveGIF(path); break;
    case kFormatBmp: ok = SaveBMP(path); break;
    case kFormatJpeg: ok = SaveJPEG(path); break;
    default: break;  // no writer of ours for the add-on's formats
    }
    SetCursor(old);
    g_settings.save = keep;
    return ok;
}

}  // namespace

void SetMessagingLibrary(const char* name) {
    if (g_mapi) FreeLibrary(g_mapi);
    g_mapi = nullptr;
    g_sendDocuments = nullptr;
    g_binding = Binding::kNotTried;
    g_libraryName = name ? name : "MAPI32.DLL";
}

void MailImage() {
    if (!HaveImage()) return;
    EmailDialogState state;
    state.copy = g_settings.emailSave;
    state.name = g_settings.defEmailName;
    if (DialogBoxParamA(klib::ResourceModule(), MAKEINTRESOURCEA(IDD_EMAIL), MainFrame(), EmailDialogProc,
                        reinterpret_cast<LPARAM>(&state)) != IDOK)
        return;
    g_settings.defEmailName = state.name;
    g_settings.emailSave = state.copy;
    const std::string attachment =
        AttachmentName(g_settings.defEmailName, ExtensionForFormat(g_settings.emailSave.formatCode));

    char dir[MAX_PATH] = "", path[MAX_PATH] = "";
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n >= sizeof dir || !GetTempFileNameA(dir, "gbx", 0, path)) {
        klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_WRITE_FAILED, dir);
        return;
    }
    if (WriteAttachment(path)) {
        if (!BindMessaging()) {
            klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_MAIL_NO_LIBRARY);
        } else {
            char separator[] = ";";
            std::string names = attachment;
            ULONG result = g_sendDocuments(reinterpret_cast<ULONG_PTR>(MainFrame()), separator, path, &names[0], 0);
            const UINT reason = result != 0 ? MailFailureReason(result) : 0;
            if (reason)
                klib::ResMessageBox(MB_OK | MB_ICONEXCLAMATION, IDS_MAIL_FAILED, klib::LoadResString(reason).c_str(),
                                    static_cast<unsigned long>(result));
        }
    }
    DeleteFileA(path);
}

}  // namespace gmbx
