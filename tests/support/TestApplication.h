// The application object that the framework reports errors through and
// whose window wakes the main thread for the workers' requests, made once
// per test program; and the main thread's wait that serves those requests.
#pragma once

#include <windows.h>

#include <functional>

#include "rtl/Application.h"
#include "rtl/Synchronize.h"
#include "support/WindowDriver.h"

namespace support {

inline TApplication& EnsureApplication() {
    if (Application == nullptr) {
        Application = new TApplication;
        Application->Initialize();
        Application->SetTitle("Brivok Test");
    }
    return *Application;
}

// On the main thread: runs the requests that workers queued (Synchronize)
// and handles messages until `done` holds or the deadline passes. True
// when it held.
[[nodiscard]] inline bool ServeUntil(const std::function<bool()>& done,
                                     DWORD timeoutMs = kDefaultTimeoutMs) {
    return WaitFor(
        [&] {
            CheckSynchronize();
            return done();
        },
        timeoutMs);
}

}  // namespace support
