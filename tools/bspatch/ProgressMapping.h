// bspatch's view of the progress channel that its runner created and named
// in the environment (ProgressChannel.h). A channel that cannot be opened,
// or whose block is not of this layout, is no channel: bspatch then reports
// nothing. Windows only (ProgressMappingWin32.cpp): elsewhere nobody asks.
#pragma once

#include "ProgressChannel.h"

namespace bspatch {

class ProgressMapping {
public:
    // Opens the named shared memory; null or empty: none.
    explicit ProgressMapping(const char* name);
    ~ProgressMapping();
    ProgressMapping(const ProgressMapping&) = delete;
    ProgressMapping& operator=(const ProgressMapping&) = delete;

    // The block to report into, or null.
    ProgressBlock* Block() const { return block_; }

private:
    void* mapping_ = nullptr;         // the system's handle, owned
    ProgressBlock* block_ = nullptr;  // a view of it, owned
};

}  // namespace bspatch
