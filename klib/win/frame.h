// The in-house library's process frame: preparation of the process (module
// path, argument vector, library window class, shared drawing objects), the
// debug window, and the orderly exit.
#pragma once
#include <windows.h>

#include <string>

namespace klib {

// The module that supplies resources (menus, dialogs, strings, icons); the
// program's own module until the application sets its resource library.
void SetResourceModule(HMODULE module);
HMODULE ResourceModule();
// A string of the resource module ("" when missing).
std::string LoadResString(UINT id);

// Resources of the resource module the library uses (0: none): the icon of
// the library window class, and the strings with the face name ("none" for
// the system's default) and the character set of the library's font.
struct LibraryResources {
    UINT icon = 0;
    UINT fontFace = 0;
    UINT fontCharset = 0;
};

// Prepares the process. argv[0] is replaced by the module path; debug and
// iconic switches are taken out. False when the window class cannot be
// registered.
bool PrepareProcess(HINSTANCE instance, int showCommand, int* argc, char*** argv,
                    const LibraryResources& resources = LibraryResources());

const std::string& BaseName();  // file name without extension
int InitialShowState();
HINSTANCE Instance();

// Shared drawing objects, created by PrepareProcess.
struct SharedObjects {
    HBRUSH faceBrush = nullptr;
    HPEN blackPen = nullptr;     // stock
    HBRUSH whiteBrush = nullptr; // stock
    HPEN blackPen2 = nullptr, highlightPen2 = nullptr, shadowPen2 = nullptr, shadowPen4 = nullptr;
    HFONT font = nullptr;
    HDC memDc = nullptr;  // memory device context for drawing into pixmaps
    HCURSOR sizeCursor = nullptr;
};
const SharedObjects& Shared();

// Debug window: exists only when the program was started with -debugwin.
bool OpenDebugWindow();
bool DebugWindowOpen();
// Appends formatted text; "\n" becomes "\r\n". Returns the number of
// characters written, or -1 without a debug window. Text beyond 511
// characters is cut.
int DebugWrite(const char* format, ...);

// Ends the process in order: tells the debug window the exit code and waits
// until the user closes it, releases the library's objects, and exits.
[[noreturn]] void ExitProcessWith(int code);

}  // namespace klib
