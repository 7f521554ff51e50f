#include "capture/win/saveas.h"

#include <cstdio>
#include <cstring>

#include "capture/win/grabber.h"
#include "capture/win/imagefiles.h"
#include "capture/win/mainframe.h"
#include "capture/win/transparentpick.h"
#include "imageio/win/current.h"
#include "imageio/win/palette.h"
#include "klib/win/frame.h"
#include "klib/win/systemlibs.h"
#include "res/resource.h"

namespace gmbx {

namespace {

constexpr int32_t kTypes[] = {kFormatBmp, kFormatGif, kFormatJpeg};
constexpr const char* kExtensions[] = {"bmp", "gif", "jpg"};

}  // namespace

// The system Save dialog with the three types of the program's own writers.
bool RunSaveAsDialog(SaveAsDialogRequest& request) {
    int type = 1;
    for (int i = 0; i < 3; ++i)
        if (request.options.formatCode == kTypes[i]) type = i + 1;
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s", request.path.c_str());
    if (char* dot = std::strrchr(path, '.')) *dot = '\0';
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner;
    ofn.lpstrFilter = "Windows Bitmap (*.bmp,*.dib)\0*.bmp;*.dib\0GIF (*.gif)\0*.gif\0JPEG (*.jpg, *.jpeg)\0*.jpg;*.jpeg\0";
    ofn.nFilterIndex = type;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrDefExt = kExtensions[type - 1];
    std::string title = klib::LoadResString(IDS_SAVE_TITLE);
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | (request.browse ? OFN_NOCHANGEDIR : 0);
    if (!klib::AskSaveFileName(&ofn)) return false;
    if (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= 3) request.options.formatCode = kTypes[ofn.nFilterIndex - 1];
    request.path = path;
    return true;
}

bool SaveAs(const std::string& initialName, std::string* savedPath) {
    if (CaptureInProgress()) {
        MessageBeep(MB_OK);
        return false;
    }
    if (!HaveImage()) return false;
    SaveAsDialogRequest request;
    request.owner = MainFrame();
    request.options = g_settings.save;
    request.path = !initialName.empty() ? initialName : g_image.fileName.empty() ? "snap" : g_image.fileName;
    if (!RunSaveAsDialog(request)) return false;
    g_settings.save = request.options;
    RefreshDisplayColours();
    if (!SaveImageFile(request.path.c_str(), TransparentChooserForSave())) return false;
    if (savedPath) *savedPath = request.path;
    if (!g_run.fixedTitle) {
        g_image.lastSavedPath = request.path;
        size_t slash = request.path.find_last_of("\\/");
        g_image.fileName = slash == std::string::npos ? request.path : request.path.substr(slash + 1);
        UpdateTitle();
    }
    return true;
}

void OpenWithDialog() {
    char path[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = MainFrame();
    ofn.lpstrFilter = "All supported pictures (bmp,gif,jpeg)\0*.bmp;*.dib;*.gif;*.jpg;*.jpeg\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    std::string title = klib::LoadResString(IDS_OPEN_TITLE);
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!klib::AskOpenFileName(&ofn)) return;
    if (OpenImageFile(path)) ShowCurrentImage();
    else ClearView(false);
}

}  // namespace gmbx
