// Process frame of klib: preparation of the argument vector and of the
// module path. Portable: no windows.h; the Win32 frame feeds it the module
// file name and the C runtime's argument vector and acts on the result
// (debug window, show state, connection to the parent).
#pragma once
#include <string>

namespace klib {

// Show state that -iconic selects (minimised).
constexpr int kIconicShowState = 6;

// Most characters of the module path that the frame keeps.
constexpr size_t kMaxModulePath = 255;

struct PreparedArgs {
    int argc = 0;                 // arguments left, argv[argc] is null
    bool openDebugWindow = false; // an argument beginning with -debugwin was removed
    int showState = 0;            // the start show state, or 6 after -iconic

    // -yipc<d> with d in '0'..'3': the process was started as a child.
    // ipcMode is that digit (-1 when there is none); parentService is the
    // argument after -yipc (null if missing) and childNumber the decimal
    // value of the one after that (0 if missing or no number). The strings
    // stay those of the caller's vector even though they are cut off it.
    bool cutAtYipc = false;       // an argument beginning with -yipc was met
    int ipcMode = -1;
    const char* parentService = nullptr;
    int childNumber = 0;

    // Connect to a parent only with a valid digit and a service name.
    bool HasParent() const { return ipcMode >= 0 && parentService != nullptr; }
};

// Prepares argv in place. argv holds argc entries plus room for the closing
// null (as the C runtime's vector does); argv[0] is already the module path.
//
// 1. From argv[1] on, every argument that begins with "-debugwin" or with
//    "-iconic" is removed and the rest move up; argv[argc] becomes null.
// 2. The first remaining argument that begins with "-yipc" ends the vector:
//    it and everything after it are cut off (the entry becomes null). Only
//    when its sixth character is '0'..'3' are the parent's service name and
//    the child number taken from the two arguments after it.
//
// showCmd is the show command the process was started with.
PreparedArgs PrepareArguments(int argc, char** argv, int showCmd);

// The module path as the frame keeps it: at most 255 characters,
// lower-cased, every '\' turned into '/'.
std::string ModulePathFromSystem(const char* path);

// The last path component without its extension (the text from the first
// '.' on is cut): "c:/tools/gmbx.exe" gives "gmbx".
std::string BaseNameOf(const std::string& modulePath);

}  // namespace klib
