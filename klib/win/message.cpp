#include "klib/win/message.h"

#include <cstdarg>
#include <cstdio>

#include "klib/win/frame.h"

namespace klib {
namespace {

HWND g_owner = nullptr;
std::string g_caption;

std::string VFormat(const std::string& format, va_list ap) {
    char buf[2048];
    int n = std::vsnprintf(buf, sizeof buf, format.c_str(), ap);
    if (n < 0) return format;
    return std::string(buf, n < int(sizeof buf) ? n : int(sizeof buf) - 1);
}

}  // namespace

void SetMessageOwner(HWND owner) { g_owner = owner; }
HWND MessageOwner() { return g_owner && IsWindow(g_owner) ? g_owner : nullptr; }
void SetMessageCaption(const std::string& caption) { g_caption = caption; }

std::string FormatResString(UINT id, ...) {
    va_list ap;
    va_start(ap, id);
    std::string s = VFormat(LoadResString(id), ap);
    va_end(ap);
    return s;
}

int TextMessageBox(UINT type, const std::string& text) {
    HWND owner = MessageOwner();
    // A hidden owner would leave the box without a task-bar button.
    if (owner && !IsWindowVisible(owner)) owner = nullptr;
    return MessageBoxA(owner, text.c_str(), g_caption.empty() ? nullptr : g_caption.c_str(),
                       type | (owner ? 0 : MB_TASKMODAL | MB_SETFOREGROUND));
}

int ResMessageBox(UINT type, UINT id, ...) {
    va_list ap;
    va_start(ap, id);
    std::string text = VFormat(LoadResString(id), ap);
    va_end(ap);
    return TextMessageBox(type, text);
}

}  // namespace klib
