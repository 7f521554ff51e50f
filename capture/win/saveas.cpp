#include "capture/win/saveas.h"

#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture/clipformat.h"
#include "capture/formats.h"
#include "capture/savename.h"
#include "capture/win/grabber.h"
#include "capture/win/imagefiles.h"
#include "capture/win/mainframe.h"
#include "capture/win/transparentpick.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "imageio/win/pixmap.h"
#include "klib/win/frame.h"
#include "klib/win/message.h"
#include "klib/win/systemlibs.h"
#include "res/resource.h"

namespace gmbx {

namespace {

// Room for names longer than a path may be, so that the dialog hands them
// to us and we can say what is wrong with them.
constexpr DWORD kNameBuffer = 2048;

// The depths of the radio buttons IDC_SAVE_DEPTH1..IDC_SAVE_DEPTH32.
constexpr int kDepthOfButton[] = {1, 4, 8, 16, 24, 32};

int OfferedRows() { return AddonFormatsInUse() ? kFormatRowCount : kBuiltInFormatRowCount; }

// The filter list of the offered rows: text, pattern, text, pattern, ...
std::vector<char> FilterList() {
    std::vector<char> out;
    for (int row = 0; row < OfferedRows(); ++row) {
        const FormatRow* r = FormatTableRow(row);
        for (const char* s : {r->filterText, r->filterPattern}) {
            out.insert(out.end(), s, s + std::strlen(s));
            out.push_back('\0');
        }
    }
    out.push_back('\0');
    return out;
}

// A set's row and variant as the dialog can show them.
void PlaceInOfferedRows(SaveOptions& o) {
    DeriveFormatPlace(o);
    if (o.formatRow >= OfferedRows() || !FormatTableVariant(o.formatRow, o.variant)) o.formatRow = o.variant = 0;
}

// The colour depth of the picture as it stands: its Dib's, or the display's.
int ImageBits() {
    if (g_image.dib && !g_image.dib->Empty()) return g_image.dib->BitCount();
    return DisplayBitsPerPixel();
}

struct SaveDialog {
    SaveAsDialogRequest* request = nullptr;
    SaveOptions copy;
    HWND child = nullptr;   // our template's dialog
    HWND parent = nullptr;  // the system's file dialog
    bool settingQuality = false;
    std::string path;       // the name confirmed by OK
    WNDPROC parentProc = nullptr;  // the system dialog's own procedure
};

constexpr char kDialogProp[] = "GmbxSaveDialog";

const FormatVariant* CurrentVariant(const SaveDialog& d) {
    const FormatVariant* v = FormatTableVariant(d.copy.formatRow, d.copy.variant);
    return v ? v : FormatTableVariant(d.copy.formatRow, 0);
}

// The depth the radio buttons show.
int ShownDepth(const SaveDialog& d) {
    const FormatVariant* v = CurrentVariant(d);
    if (d.copy.formatRow == kFormatRowJpeg) return 24;
    int wanted = d.copy.autoSelBits ? ImageBits() : d.copy.bitsPerPixel;
    return FitDepthToMask(wanted, v ? v->depthMask : 0);
}

void Enable(HWND dlg, int id, bool on) { EnableWindow(GetDlgItem(dlg, id), on ? TRUE : FALSE); }

void ShowQuality(SaveDialog& d, bool edit) {
    SetScrollPos(GetDlgItem(d.child, IDC_SAVE_QSCROLL), SB_CTL, d.copy.quality, TRUE);
    if (edit) {
        d.settingQuality = true;
        SetDlgItemInt(d.child, IDC_SAVE_QUALITY, static_cast<UINT>(d.copy.quality), FALSE);
        d.settingQuality = false;
    }
}

void FillVariants(SaveDialog& d) {
    HWND list = GetDlgItem(d.child, IDC_SAVE_VARIANT);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    const FormatRow* r = FormatTableRow(d.copy.formatRow);
    for (int i = 0; i < r->variantCount; ++i)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(VariantCaption(d.copy.formatRow, i).c_str()));
    if (d.copy.variant < 0 || d.copy.variant >= r->variantCount) d.copy.variant = 0;
    SendMessageA(list, CB_SETCURSEL, d.copy.variant, 0);
    EnableWindow(list, r->variantCount > 1);
}

// Brings every control in line with the working copy's type and variant.
void ShowControls(SaveDialog& d) {
    HWND c = d.child;
    const FormatVariant* v = CurrentVariant(d);
    const uint32_t mask = v ? v->depthMask : 0;
    const int depth = ShownDepth(d);
    const bool autoSel = d.copy.autoSelBits != 0;
    const bool addon = AddonFormatsInUse();
    for (int i = 0; i < 6; ++i) {
        Enable(c, IDC_SAVE_DEPTH1 + i, !autoSel && (mask & DepthMaskBit(kDepthOfButton[i])));
        CheckDlgButton(c, IDC_SAVE_DEPTH1 + i, kDepthOfButton[i] == depth ? BST_CHECKED : BST_UNCHECKED);
    }
    CheckDlgButton(c, IDC_SAVE_AUTOSEL, autoSel ? BST_CHECKED : BST_UNCHECKED);
    const bool reduction = addon && !autoSel && depth > 0 && depth <= 8;
    for (int id : {IDC_SAVE_BEST_PALETTE, IDC_SAVE_DITHER}) {
        ShowWindow(GetDlgItem(c, id), addon ? SW_SHOW : SW_HIDE);
        Enable(c, id, reduction);
    }
    CheckDlgButton(c, IDC_SAVE_BEST_PALETTE, (d.copy.flags & 2) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(c, IDC_SAVE_DITHER, !(d.copy.flags & 2) && (d.copy.flags & 8) ? BST_CHECKED : BST_UNCHECKED);

    if (!(mask & kDepthMaskAppend)) d.copy.append = 0;
    ShowWindow(GetDlgItem(c, IDC_SAVE_APPEND), addon ? SW_SHOW : SW_HIDE);
    Enable(c, IDC_SAVE_APPEND, addon && (mask & kDepthMaskAppend));
    CheckDlgButton(c, IDC_SAVE_APPEND, d.copy.append ? BST_CHECKED : BST_UNCHECKED);

    const int row = d.copy.formatRow;
    if (row == kFormatRowGif)
        SetDlgItemTextA(c, IDC_SAVE_INTERLACE, klib::LoadResString(IDS_INTERLACED).c_str());
    else if (row == kFormatRowJpeg || row == kFormatRowCmp)
        SetDlgItemTextA(c, IDC_SAVE_INTERLACE, klib::LoadResString(IDS_PROGRESSIVE).c_str());
    Enable(c, IDC_SAVE_INTERLACE, row == kFormatRowGif || row == kFormatRowJpeg || row == kFormatRowCmp);
    CheckDlgButton(c, IDC_SAVE_INTERLACE, d.copy.interlace ? BST_CHECKED : BST_UNCHECKED);
    Enable(c, IDC_SAVE_TRANSPARENT, row == kFormatRowGif);
    CheckDlgButton(c, IDC_SAVE_TRANSPARENT, d.copy.transparent ? BST_CHECKED : BST_UNCHECKED);

    const bool quality = (mask & kDepthMaskQuality) != 0;
    Enable(c, IDC_SAVE_QUALITY_LABEL, quality);
    Enable(c, IDC_SAVE_QUALITY, quality);
    Enable(c, IDC_SAVE_QSCROLL, quality);
}

// The file-name field of the system dialog (an edit, or a combo box with one).
HWND NameField(HWND parent) {
    HWND f = GetDlgItem(parent, cmb13);
    return f ? f : GetDlgItem(parent, edt1);
}

void TypeChanged(SaveDialog& d, int row) {
    if (row < 0 || row >= OfferedRows() || row == d.copy.formatRow) return;
    d.copy.formatRow = row;
    d.copy.variant = 0;
    FillVariants(d);
    ShowControls(d);
    HWND field = NameField(d.parent);
    char name[kNameBuffer] = "";
    GetWindowTextA(field, name, sizeof name);
    if (*name) SetWindowTextA(field, ReplaceExtension(name, FirstPatternExtension(row)).c_str());
}

// The quality field takes only whole numbers from 1 to 100: anything else
// is undone with a beep. An empty field is left for the user to type into.
void QualityEdited(SaveDialog& d) {
    if (d.settingQuality) return;
    char text[16] = "";
    GetDlgItemTextA(d.child, IDC_SAVE_QUALITY, text, sizeof text);
    if (!*text) return;
    char* end = nullptr;
    long q = std::strtol(text, &end, 10);
    if (*end || q < 1 || q > 100) {
        MessageBeep(MB_OK);
        ShowQuality(d, true);
        SendDlgItemMessageA(d.child, IDC_SAVE_QUALITY, EM_SETSEL, 0, -1);
        return;
    }
    d.copy.quality = static_cast<int32_t>(q);
    ShowQuality(d, false);
}

void QualityScrolled(SaveDialog& d, WPARAM wp) {
    int q = d.copy.quality;
    switch (LOWORD(wp)) {
    case SB_LINELEFT: q -= 1; break;
    case SB_LINERIGHT: q += 1; break;
    case SB_PAGELEFT: q -= 10; break;
    case SB_PAGERIGHT: q += 10; break;
    case SB_LEFT: q = 1; break;
    case SB_RIGHT: q = 100; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: q = HIWORD(wp); break;
    default: return;
    }
    d.copy.quality = q < 1 ? 1 : q > 100 ? 100 : q;
    ShowQuality(d, true);
}

// Tells why a name cannot be taken, over the file dialog; 1 keeps it open.
int Refuse(const SaveDialog& d, const std::string& text) {
    MessageBoxA(d.parent, text.c_str(), klib::LoadResString(IDS_SAVE_TITLE).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return 1;
}

// OK of the file dialog: the final name and type, the checks of that name,
// the question before replacing a file. Non-zero keeps the dialog open.
int ConfirmName(SaveDialog& d, const OPENFILENAMEA* ofn) {
    if (!d.request->browse && !HaveImage()) return 1;
    std::string typed = ofn && ofn->lpstrFile ? ofn->lpstrFile : "";
    if (typed.empty()) {
        char buf[kNameBuffer] = "";
        if (SendMessageA(d.parent, CDM_GETFILEPATH, sizeof buf, reinterpret_cast<LPARAM>(buf)) > 0) typed = buf;
    }
    if (typed.empty()) return 1;
    SaveNameChoice choice = ChooseSaveName(typed, d.copy.formatRow, OfferedRows());
    if (choice.row != d.copy.formatRow) {
        // The typed extension decides the type; the list follows.
        d.copy.formatRow = choice.row;
        d.copy.variant = 0;
        SendDlgItemMessageA(d.parent, cmb1, CB_SETCURSEL, choice.row, 0);
        FillVariants(d);
        ShowControls(d);
    }
    const std::string& path = choice.name;
    if (path.size() >= MAX_PATH) return Refuse(d, klib::FormatResString(IDS_SAVE_TOO_LONG, MAX_PATH - 1));
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0) {
        std::string folder = path.substr(0, slash);
        if (folder.size() == 2 && folder[1] == ':') folder += '\\';
        DWORD a = GetFileAttributesA(folder.c_str());
        if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY))
            return Refuse(d, klib::FormatResString(IDS_SAVE_NO_FOLDER, folder.c_str()));
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return Refuse(d, klib::FormatResString(IDS_SAVE_IS_FOLDER, path.c_str()));
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return Refuse(d, klib::FormatResString(IDS_SAVE_READ_ONLY, path.c_str()));
        if (!d.copy.append) {
            std::string question = klib::FormatResString(IDS_ASK_REPLACE, path.c_str());
            if (MessageBoxA(d.parent, question.c_str(), klib::LoadResString(IDS_SAVE_TITLE).c_str(),
                            MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
                return 1;
        }
    }
    d.path = path;
    return 0;
}

// The working copy as the confirmed set.
void TakeControls(SaveDialog& d) {
    SaveOptions& o = d.copy;
    const FormatVariant* v = CurrentVariant(d);
    o.formatCode = v->code;
    o.autoSelBits = IsDlgButtonChecked(d.child, IDC_SAVE_AUTOSEL) == BST_CHECKED;
    if (!o.autoSelBits) {
        for (int i = 0; i < 6; ++i)
            if (IsDlgButtonChecked(d.child, IDC_SAVE_DEPTH1 + i) == BST_CHECKED) o.bitsPerPixel = kDepthOfButton[i];
    }
    o.interlace = IsDlgButtonChecked(d.child, IDC_SAVE_INTERLACE) == BST_CHECKED;
    o.transparent = o.formatRow == kFormatRowGif && IsDlgButtonChecked(d.child, IDC_SAVE_TRANSPARENT) == BST_CHECKED;
    o.append = IsDlgButtonChecked(d.child, IDC_SAVE_APPEND) == BST_CHECKED;
    o.qualityFactor = QualityFactorFor(o.quality, o.qualityFactor);
    if (o.formatRow == kFormatRowCmp && o.bitsPerPixel == 1) {
        o.formatCode = kFormatCmp1Bit;
        o.qualityFactor = o.quality > 50 ? 1 : 0;
    }
}

void Clicked(SaveDialog& d, int id) {
    SaveOptions& o = d.copy;
    switch (id) {
    case IDC_SAVE_AUTOSEL:
        o.autoSelBits = IsDlgButtonChecked(d.child, id) == BST_CHECKED;
        if (o.autoSelBits) o.flags = (o.flags | 2) & ~8;
        break;
    case IDC_SAVE_BEST_PALETTE:
        o.flags = IsDlgButtonChecked(d.child, id) == BST_CHECKED ? (o.flags | 2) & ~8 : o.flags & ~2;
        break;
    case IDC_SAVE_DITHER:
        o.flags = IsDlgButtonChecked(d.child, id) == BST_CHECKED ? (o.flags | 8) & ~2 : o.flags & ~8;
        break;
    case IDC_SAVE_INTERLACE: o.interlace = IsDlgButtonChecked(d.child, id) == BST_CHECKED; return;
    case IDC_SAVE_TRANSPARENT: o.transparent = IsDlgButtonChecked(d.child, id) == BST_CHECKED; return;
    case IDC_SAVE_APPEND: o.append = IsDlgButtonChecked(d.child, id) == BST_CHECKED; return;
    default:
        if (id >= IDC_SAVE_DEPTH1 && id <= IDC_SAVE_DEPTH32) o.bitsPerPixel = kDepthOfButton[id - IDC_SAVE_DEPTH1];
        else return;
    }
    ShowControls(d);
}

// True when the name in the field, in the folder shown, makes a path
// longer than a path may be.
bool NameTooLong(const SaveDialog& d) {
    char name[kNameBuffer] = "";
    GetWindowTextA(NameField(d.parent), name, sizeof name);
    size_t length = std::strlen(name);
    const bool absolute = name[0] == '\\' || name[0] == '/' || (name[0] && name[1] == ':');
    if (!absolute) {
        char folder[kNameBuffer] = "";
        if (SendMessageA(d.parent, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder)) > 0)
            length += std::strlen(folder) + 1;
    }
    return length >= MAX_PATH;
}

// The system dialog's procedure, wrapped: a name too long for a path is
// refused before the dialog itself handles it.
LRESULT CALLBACK ParentProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* d = static_cast<SaveDialog*>(GetPropA(w, kDialogProp));
    if (!d) return DefWindowProcA(w, msg, wp, lp);
    const WNDPROC proc = d->parentProc;
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK && NameTooLong(*d)) {
        Refuse(*d, klib::FormatResString(IDS_SAVE_TOO_LONG, MAX_PATH - 1));
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        RemovePropA(w, kDialogProp);
    }
    return CallWindowProcA(proc, w, msg, wp, lp);
}

UINT_PTR CALLBACK SaveHook(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* d = reinterpret_cast<SaveDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lp);
        d = reinterpret_cast<SaveDialog*>(ofn->lCustData);
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
        d->child = dlg;
        d->parent = GetParent(dlg);
        SendDlgItemMessageA(dlg, IDC_SAVE_QUALITY, EM_LIMITTEXT, 3, 0);
        SendDlgItemMessageA(dlg, IDC_SAVE_VARIANT, CB_SETDROPPEDWIDTH, 240, 0);  // the add-on's long names
        SetScrollRange(GetDlgItem(dlg, IDC_SAVE_QSCROLL), SB_CTL, 1, 100, FALSE);
        if (d->copy.quality < 1 || d->copy.quality > 100) d->copy.quality = 75;
        ShowQuality(*d, true);
        SetDlgItemTextA(dlg, IDC_SAVE_INTERLACE, klib::LoadResString(IDS_INTERLACED).c_str());
        FillVariants(*d);
        ShowControls(*d);
        return TRUE;
    }
    case WM_NOTIFY: {
        if (!d) break;
        auto* n = reinterpret_cast<OFNOTIFYA*>(lp);
        switch (n->hdr.code) {
        case CDN_INITDONE:
            if (!d->request->browse && !HaveImage()) EnableWindow(GetDlgItem(d->parent, IDOK), FALSE);
            if (!d->parentProc && SetPropA(d->parent, kDialogProp, d))
                d->parentProc = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrA(d->parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ParentProc)));
            break;
        case CDN_TYPECHANGE: TypeChanged(*d, static_cast<int>(n->lpOFN->nFilterIndex) - 1); break;
        case CDN_FILEOK: {
            int keepOpen = ConfirmName(*d, n->lpOFN);
            if (!keepOpen) TakeControls(*d);
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, keepOpen);
            return TRUE;
        }
        }
        break;
    }
    case WM_HSCROLL:
        if (d && reinterpret_cast<HWND>(lp) == GetDlgItem(dlg, IDC_SAVE_QSCROLL)) QualityScrolled(*d, wp);
        return TRUE;
    case WM_COMMAND:
        if (!d) break;
        if (LOWORD(wp) == IDC_SAVE_QUALITY && HIWORD(wp) == EN_CHANGE) QualityEdited(*d);
        else if (LOWORD(wp) == IDC_SAVE_VARIANT && HIWORD(wp) == CBN_SELCHANGE) {
            int v = static_cast<int>(SendDlgItemMessageA(dlg, IDC_SAVE_VARIANT, CB_GETCURSEL, 0, 0));
            d->copy.variant = v < 0 ? 0 : v;
            ShowControls(*d);
        } else if (HIWORD(wp) == BN_CLICKED) {
            Clicked(*d, LOWORD(wp));
        }
        break;
    }
    return 0;
}

}  // namespace

bool RunSaveAsDialog(SaveAsDialogRequest& request) {
    SaveDialog d;
    d.request = &request;
    d.copy = request.options;
    PlaceInOfferedRows(d.copy);

    std::vector<char> name(kNameBuffer, '\0');
    std::snprintf(name.data(), name.size(), "%s", request.path.c_str());
    const std::vector<char> filters = FilterList();
    const std::string title = klib::LoadResString(IDS_SAVE_TITLE);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner;
    ofn.hInstance = klib::ResourceModule();
    ofn.lpstrFilter = filters.data();
    ofn.nFilterIndex = static_cast<DWORD>(d.copy.formatRow + 1);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = kNameBuffer;
    // A bare name goes beside the last saved or opened file, else into the
    // current folder (not wherever the system's dialog was last used).
    char folder[MAX_PATH] = "";
    if (request.path.find_first_of("\\/") == std::string::npos) {
        const std::string& last = g_image.lastSavedPath;
        const size_t slash = last.find_last_of("\\/");
        if (slash != std::string::npos && slash < sizeof folder) std::snprintf(folder, sizeof folder, "%.*s", int(slash), last.c_str());
        else GetCurrentDirectoryA(sizeof folder, folder);
        ofn.lpstrInitialDir = folder;
    }
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The name is checked here (OK of the dialog), not by creating the file.
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOTESTFILECREATE |
                (request.browse ? OFN_NOCHANGEDIR : 0);
    ofn.lpfnHook = SaveHook;
    ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_SAVE_EXTRA);
    ofn.lCustData = reinterpret_cast<LPARAM>(&d);
    if (!klib::AskSaveFileName(&ofn) || d.path.empty()) return false;
    request.options = d.copy;
    request.path = d.path;
    return true;
}

bool SaveAs(const std::string& initialName, std::string* savedPath) {
    if (CaptureInProgress()) {
        MessageBeep(MB_OK);
        return false;
    }
    SaveAsDialogRequest request;
    request.owner = MainFrame();
    request.options = g_settings.save;
    PlaceInOfferedRows(request.options);
    const std::string extension = FormatTableRow(request.options.formatRow)->extension;
    std::string name = !initialName.empty() ? initialName : g_image.fileName;
    if (name.empty()) name = "snap" + extension;
    RefreshDisplayColours();
    request.path = ReplaceExtension(name, extension);
    if (!RunSaveAsDialog(request)) return false;
    g_settings.save = request.options;
    // The dialog has given the name an extension of its type already.
    if (!SaveImageFile(request.path.c_str(), TransparentChooserForSave())) return false;
    if (savedPath) *savedPath = request.path;
    if (!g_run.fixedTitle) {
        g_image.lastSavedPath = request.path;
        g_image.fileName = request.path.substr(FileNameStart(request.path));
        UpdateTitle();
    }
    return true;
}

void OpenWithDialog() {
    char path[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = MainFrame();
    ofn.hInstance = klib::ResourceModule();
    ofn.lpstrFilter = "All supported pictures (bmp,gif,jpeg)\0*.bmp;*.dib;*.gif;*.jpg;*.jpeg\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    std::string title = klib::LoadResString(IDS_OPEN_TITLE);
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The template's page field belongs to the imaging add-on and stays hidden.
    ofn.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_OPEN_EXTRA);
    if (!klib::AskOpenFileName(&ofn)) return;
    if (OpenImageFile(path)) ShowCurrentImage();
    else ClearView(false);
}

}  // namespace gmbx
