// Process frame of klib: argument vector and module path.
#include "klib/args.h"

#include "klib/decimal.h"

#include <climits>
#include <cstring>

namespace klib {

namespace {

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

PreparedArgs PrepareArguments(int argc, char** argv, int showCmd) {
    PreparedArgs r;
    r.showState = showCmd;
    if (!argv || argc < 1) {
        if (argv) argv[0] = nullptr;
        r.argc = 0;
        return r;
    }

    // Drop the frame's own switches, keeping the order of the others.
    int kept = 1;
    for (int i = 1; i < argc && argv[i]; ++i) {
        char* arg = argv[i];
        if (StartsWith(arg, "-debugwin")) {
            r.openDebugWindow = true;
            continue;
        }
        if (StartsWith(arg, "-iconic")) {
            r.showState = kIconicShowState;
            continue;
        }
        argv[kept++] = arg;
    }
    argv[kept] = nullptr;
    r.argc = kept;

    // A child started by a parent program: -yipc<d> <parent service> <number>.
    for (int i = 1; i < r.argc; ++i) {
        const char* arg = argv[i];
        if (!StartsWith(arg, "-yipc")) continue;
        r.cutAtYipc = true;
        const char digit = arg[5];
        if (digit >= '0' && digit <= '3') {
            r.ipcMode = digit - '0';
            r.parentService = (i + 1 < r.argc) ? argv[i + 1] : nullptr;
            r.childNumber = (i + 2 < r.argc) ? DecimalOf(argv[i + 2]) : 0;
        }
        argv[i] = nullptr;
        r.argc = i;
        break;
    }
    return r;
}

std::string ModulePathFromSystem(const char* path) {
    std::string out;
    if (!path) return out;
    for (const char* p = path; *p && out.size() < kMaxModulePath; ++p) {
        char c = *p;
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c == '\\') c = '/';
        out += c;
    }
    return out;
}

std::string BaseNameOf(const std::string& modulePath) {
    const size_t slash = modulePath.find_last_of("/\\");
    std::string base = (slash == std::string::npos) ? modulePath : modulePath.substr(slash + 1);
    const size_t dot = base.find('.');
    if (dot != std::string::npos) base.erase(dot);
    return base;
}

}  // namespace klib
