// Shared pieces of the process tests: the helper program beside the test
// program and the events of its wait mode.
#pragma once

#include <windows.h>

#include <string>

#include "rtl/PathUtils.h"
#include "rtl/WinHandles.h"

// The folder of the running test program, with its trailing backslash.
inline std::string TestProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return ExtractFilePath(std::string(path, length));
}

inline std::string HelperPath() {
    return TestProgramFolder() + "process_helper.exe";
}

// The wait mode's events, named after the test and the process.
class HelperEvents {
public:
    explicit HelperEvents(const std::string& name)
        : name_(name + "-" + std::to_string(GetCurrentProcessId())),
          ready_(CreateEventA(nullptr, TRUE, FALSE, (name_ + ".ready").c_str())),
          stop_(CreateEventA(nullptr, TRUE, FALSE, (name_ + ".stop").c_str())),
          done_(CreateEventA(nullptr, TRUE, FALSE, (name_ + ".done").c_str())) {}
    ~HelperEvents() { Stop(); }

    // The helper's arguments: wait for stop, at most 30 s.
    std::string WaitArguments() const { return "wait " + name_ + " 30000"; }
    bool Ready(DWORD timeoutMs = 10000) const { return Signalled(ready_, timeoutMs); }
    bool Done(DWORD timeoutMs = 10000) const { return Signalled(done_, timeoutMs); }
    void Stop() { SetEvent(stop_.Get()); }

private:
    static bool Signalled(const KernelHandle& event, DWORD timeoutMs) {
        return WaitForSingleObject(event.Get(), timeoutMs) == WAIT_OBJECT_0;
    }

    std::string name_;
    KernelHandle ready_;
    KernelHandle stop_;
    KernelHandle done_;
};
