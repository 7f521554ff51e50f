#include "capture/win/cursorscheme.h"

namespace gmbx {
namespace {

struct SchemeRow {
    LPCSTR id;
    const char* value;
    HCURSOR system;
    HCURSOR file;
};

SchemeRow g_rows[] = {
    {IDC_ARROW, "Arrow", nullptr, nullptr},       {IDC_IBEAM, "IBeam", nullptr, nullptr},
    {IDC_WAIT, "Wait", nullptr, nullptr},         {IDC_CROSS, "Crosshair", nullptr, nullptr},
    {IDC_UPARROW, "UpArrow", nullptr, nullptr},   {IDC_SIZENWSE, "SizeNWSE", nullptr, nullptr},
    {IDC_SIZENESW, "SizeNESW", nullptr, nullptr}, {IDC_SIZEWE, "SizeWE", nullptr, nullptr},
    {IDC_SIZENS, "SizeNS", nullptr, nullptr},     {IDC_SIZEALL, "SizeAll", nullptr, nullptr},
    {IDC_NO, "No", nullptr, nullptr},             {IDC_APPSTARTING, "AppStarting", nullptr, nullptr},
    {IDC_HELP, "Help", nullptr, nullptr},
};

void ClearRow(SchemeRow& r) {
    if (r.file) DestroyCursor(r.file);
    r.file = nullptr;
    r.system = nullptr;
}

}  // namespace

void LoadCursorScheme() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Cursors", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (SchemeRow& r : g_rows) {
        ClearRow(r);
        char path[257] = "";
        DWORD type = 0, size = sizeof path - 1;
        if (RegQueryValueExA(key, r.value, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
            continue;
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        path[size < sizeof path ? size : sizeof path - 1] = '\0';
        if (!path[0]) continue;
        // Scheme paths usually hold %SystemRoot% and the like.
        char expanded[MAX_PATH];
        DWORD n = ExpandEnvironmentStringsA(path, expanded, sizeof expanded);
        HCURSOR loaded = LoadCursorFromFileA(n > 0 && n <= sizeof expanded ? expanded : path);
        if (!loaded) continue;
        r.file = loaded;
        r.system = LoadCursor(nullptr, r.id);
    }
    RegCloseKey(key);
}

void FreeCursorScheme() {
    for (SchemeRow& r : g_rows) ClearRow(r);
}

HCURSOR SchemeCursorFor(HCURSOR systemCursor) {
    if (!systemCursor) return nullptr;
    for (const SchemeRow& r : g_rows)
        if (r.file && r.system == systemCursor) return r.file;
    return systemCursor;
}

}  // namespace gmbx
