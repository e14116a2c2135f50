// Test helpers: serve main-thread requests until a condition holds, and
// answer the message box that another thread expects to appear.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "rtl/Application.h"
#include "rtl/Synchronize.h"

// The application object, created once for the test program: its window
// receives the wake-ups of the main-thread delivery.
inline void EnsureApplication() {
    if (Application == nullptr) {
        Application = new TApplication;
        Application->Initialize();
    }
}

// Runs queued main-thread requests and messages until done() holds or the
// deadline passes; returns done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) {
            return done();
        }
        const HANDLE event = SyncEvent();
        MsgWaitForMultipleObjects(1, &event, FALSE, 10, QS_ALLINPUT);
        CheckSynchronize();
        Application->ProcessMessages();
    }
    return true;
}

// Watches, on a thread of its own, for a top-level dialog with `caption`,
// records its text and owner, and presses its OK button.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(std::string caption, DWORD timeoutMs = 10000)
        : caption_(std::move(caption)), watcher_([this, timeoutMs] { Watch(timeoutMs); }) {}
    ~MessageBoxAnswerer() { Join(); }

    void Join() {
        stop_ = true;
        if (watcher_.joinable()) {
            watcher_.join();
        }
    }
    bool Seen() const { return seen_; }
    const std::string& Text() const { return text_; }
    HWND Owner() const { return owner_; }

private:
    void Watch(DWORD timeoutMs) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            if (HWND box = FindWindowA("#32770", caption_.c_str())) {
                char text[1024] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                text_ = text;
                owner_ = GetWindow(box, GW_OWNER);
                seen_ = true;
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
                return;
            }
            if (stop_) {
                return;
            }
            Sleep(10);
        }
    }

    std::string caption_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::string text_;
    HWND owner_ = nullptr;
    std::thread watcher_;
};
