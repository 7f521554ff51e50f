// Answers the message boxes this test process shows, from a second thread,
// and records their texts, so that no test waits on a box.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gmbx::testutil {

class BoxCloser {
public:
    BoxCloser() : thread_([this] { Run(); }) {}
    ~BoxCloser() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

private:
    void Run() {
        while (!stop_) {
            EnumWindows(CloseOne, reinterpret_cast<LPARAM>(this));
            Sleep(50);
        }
    }
    static BOOL CALLBACK CloseOne(HWND w, LPARAM lp) {
                    auto* self = reinterpret_cast<BoxCloser*>(lp);
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    char cls[16] = "";
                    GetClassNameA(w, cls, sizeof cls);
                    if (pid == GetCurrentProcessId() && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(w) &&
                        GetDlgItem(w, 0xFFFF)) {
                        char text[1024] = "";
                        GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
                        {
                            std::lock_guard<std::mutex> lock(self->mutex_);
                            self->texts_.push_back(text);
                        }
                        SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                    }
                    return TRUE;
    }
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

}  // namespace gmbx::testutil
