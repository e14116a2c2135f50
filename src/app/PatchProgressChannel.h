// The tool's side of the progress channel of one patch run: a block of
// shared memory, made before the job starts its script and named in the
// tool's environment, which the script and bspatch.exe inherit; bspatch.exe
// keeps it current. Releasing it takes the name out of the environment.
#pragma once

#include <windows.h>

#include <optional>

#include "ProgressChannel.h"
#include "rtl/WinHandles.h"

class PatchProgressChannel {
public:
    // A channel named after this process and `run`; an empty one, with the
    // name taken out of the environment, when the system makes none.
    explicit PatchProgressChannel(unsigned run);
    ~PatchProgressChannel();
    PatchProgressChannel(const PatchProgressChannel&) = delete;
    PatchProgressChannel& operator=(const PatchProgressChannel&) = delete;

    // bspatch.exe's last report; nothing before the first or without a channel.
    std::optional<bspatch::ProgressReport> Read() const;

private:
    KernelHandle mapping_;
    bspatch::ProgressBlock* block_ = nullptr;  // a view of the mapping, owned
};
