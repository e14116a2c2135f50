// A patch run's progress on the tool's task-bar button, through the shell's
// task-bar list: the share while it is known, moving while it is not, the
// error state for a failed run, nothing once cleared. Where the shell has no
// such list (Wine may not), nothing happens.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <cstdint>
#include <functional>

#include "rtl/ComApartment.h"
#include "rtl/ComPtr.h"

class TaskBarProgress {
public:
    // Makes the list the calls go to; empty where there is none.
    using Factory = std::function<ComPtr<ITaskbarList3>()>;
    // The shell's, ready for use.
    static ComPtr<ITaskbarList3> ShellTaskBarList();

    // For the button of `window`; the list is made at the first call.
    explicit TaskBarProgress(HWND window, Factory factory = ShellTaskBarList);

    void Indeterminate();
    void Share(uint64_t done, uint64_t total);
    void Error();
    void Clear();

private:
    void SetState(TBPFLAG state);
    ITaskbarList3* List();

    ComApartment apartment_;  // first: the list is released while it lasts
    HWND window_;
    Factory factory_;
    ComPtr<ITaskbarList3> list_;
    bool made_ = false;
    TBPFLAG state_ = TBPF_NOPROGRESS;
    uint64_t done_ = 0;
    uint64_t total_ = 0;
};
