#include "install/installplan.h"

#include <cctype>

namespace gmbx::install {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool MatchFrom(const char* n, const char* p) {
    // Iterative wildcard match with one back-tracking point per '*'.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*n) {
        if (*p == '*') {
            star = p++;
            resume = n;
        } else if (*p && (*p == '?' || Lower(*p) == Lower(*n))) {
            ++p;
            ++n;
        } else if (star) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

// Text for an echo line: the command processor's operators escaped.
std::string EchoText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%') {
            out += "%%";
            continue;
        }
        if (c == '&' || c == '|' || c == '<' || c == '>' || c == '^') out += '^';
        if (c == '\r' || c == '\n') c = ' ';
        out += c;
    }
    return out;
}

}  // namespace

const std::vector<CopyStep>& CopySteps() {
    static const std::vector<CopyStep> steps = {
        {"file_id.diz", "", false}, {"readme.txt", "", false}, {"OldHook.dll", "", false},
        {"OldHook2.dll", "", false}, {"gmbx.exe", "", true},   {"gmbx.hlp", "", true},
        {"gmbx.cnt", "", true},      {"*.dll", "", true},      {"gmbx.ini", "", false},
        {"*.dll", kAddOnFolder, false},
    };
    return steps;
}

bool NameMatches(const std::string& name, const std::string& pattern) {
    if (name.find_first_of("\\/") != std::string::npos || pattern.find_first_of("\\/") != std::string::npos)
        return false;
    return MatchFrom(name.c_str(), pattern.c_str());
}

bool NeedsQuotes(const std::string& text) {
    return text.find_first_of(" \t&()[]{}^=;!'+,`~|<>") != std::string::npos;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    std::string path = folder;
    if (!name.empty()) {
        if (path.empty() || path.back() != '\\') path += '\\';
        path += name;
    } else if (path.size() > 1 && path.back() == '\\' && path[path.size() - 2] != ':') {
        path.pop_back();
    }
    if (NeedsQuotes(folder) || NeedsQuotes(name)) return "\"" + path + "\"";
    return path;
}

std::string TidyFolder(const std::string& folder) {
    size_t b = folder.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    size_t e = folder.find_last_not_of(" \t");
    std::string out = folder.substr(b, e - b + 1);
    while (out.size() > 1 && (out.back() == '\\' || out.back() == '/') && out[out.size() - 2] != ':') out.pop_back();
    return out;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::string x = TidyFolder(a), y = TidyFolder(b);
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i) {
        char c = x[i] == '/' ? '\\' : Lower(x[i]);
        char d = y[i] == '/' ? '\\' : Lower(y[i]);
        if (c != d) return false;
    }
    return true;
}

std::string DefaultFolder(const std::string& windowsDir, std::string* root) {
    size_t slash = windowsDir.find('\\');
    std::string r = slash == std::string::npos ? windowsDir + "\\" : windowsDir.substr(0, slash + 1);
    if (root) *root = r;
    return r + kDefaultFolderName;
}

std::string BatchEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

std::string UninstallBatchText(const BatchParams& p) {
    std::string out;
    auto line = [&out](const std::string& text) { out += text + "\r\n"; };
    auto path = [&p](const std::string& name) { return BatchEscape(JoinPath(p.folder, name)); };
    auto remove = [&](const std::string& name) {
        line("attrib -r -s -h " + path(name));
        line("del " + path(name));
    };
    line("@echo off");
    // The program must have ended (and said yes) before its files go.
    line((p.windowsNt ? "" : "start /wait ") + path("gmbx.exe") + " -uninstall");
    line("if errorlevel 1 goto finish");
    for (const char* name : {"Glimmer.exe", "setup.bat", "setup.exe", "file_id.diz", "gmbx.exe", "gmbx.hlp", "gmbx.cnt"})
        remove(name);
    line("attrib -r -s -h " + path("gmbx.GID"));
    line("del /a:h " + path("gmbx.GID"));
    line("del " + path("gmbx.GID"));
    for (const char* name : {"gmbx.ini", "readme.txt", "OldHook.dll", "OldHook2.dll", "framegrip.dll", "GmbxRes.dll",
                             "Dibkit.dll"})
        remove(name);
    line("del " + path(std::string(kAddOnFolder) + "\\*.dll"));
    line("rmdir " + path(kAddOnFolder));
    line("rmdir " + path(""));
    std::string ini = BatchEscape(JoinPath(p.windowsDir, "gmbx.INI"));
    line("attrib -r -s -h " + ini);
    line("del " + ini);
    line("cls");
    for (const std::string& e : p.echo) line("echo " + EchoText(e));
    line("echo.");
    line("del " + BatchEscape(JoinPath(p.windowsDir + "\\" + kBatchFileName, "")));
    line(":finish");
    return out;
}

std::vector<std::string> InstallGroupCommands(const std::string& product, const std::string& folder,
                                              const std::string& batchPath, bool windowsNt) {
    const std::string& n = product;
    return {
        "[CreateGroup(" + n + ")]",
        "[ShowGroup(" + n + ",1)]",
        "[ReplaceItem(" + n + ")]",
        "[AddItem(" + JoinPath(folder, "gmbx.exe") + "," + n + ")]",
        "[ReplaceItem(" + n + " Help)]",
        "[AddItem(" + JoinPath(folder, "gmbx.hlp") + "," + n + " Help)]",
        "[ReplaceItem(" + n + " README)]",
        "[AddItem(notepad " + JoinPath(folder, "readme.txt") + "," + n + " README)]",
        "[ReplaceItem(Uninstall " + n + ")]",
        "[AddItem(" + JoinPath(batchPath, "") + ",Uninstall " + n + ",,,,,,," + (windowsNt ? "1" : "0") + ")]",
        "[Reload(" + n + ")]",
    };
}

std::vector<std::string> UninstallGroupCommands(const std::string& product) {
    const std::string& n = product;
    return {
        "[ShowGroup(" + n + ",1)]",          "[DeleteItem(" + n + ")]",
        "[DeleteItem(" + n + " Help)]",      "[DeleteItem(" + n + " README)]",
        "[DeleteItem(Uninstall " + n + ")]", "[DeleteGroup(" + n + ")]",
    };
}

}  // namespace gmbx::install
