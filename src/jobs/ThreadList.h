// A list of run-time threads with a lock of its own, for lists that the main
// thread and workers walk at the same time.
#pragma once

#include <algorithm>
#include <vector>

#include "rtl/Thread.h"
#include "rtl/WinHandles.h"

class TThreadList {
public:
    TThreadList() = default;
    TThreadList(const TThreadList&) = delete;
    TThreadList& operator=(const TThreadList&) = delete;

    // Adding a thread that is already listed does nothing.
    void Add(TThread* thread) {
        CriticalSection::Guard guard(lock_);
        if (std::find(items_.begin(), items_.end(), thread) == items_.end()) {
            items_.push_back(thread);
        }
    }

    void Remove(TThread* thread) {
        CriticalSection::Guard guard(lock_);
        std::erase(items_, thread);
    }

    int Count() {
        CriticalSection::Guard guard(lock_);
        return static_cast<int>(items_.size());
    }

    bool Contains(TThread* thread) {
        CriticalSection::Guard guard(lock_);
        return std::find(items_.begin(), items_.end(), thread) != items_.end();
    }

    // Calls visit(thread) for each thread in list order, under the lock, until
    // visit returns false. Returns false when a visit stopped the walk.
    template <typename Visit>
    bool ForEach(Visit visit) {
        CriticalSection::Guard guard(lock_);
        for (TThread* thread : items_) {
            if (!visit(thread)) {
                return false;
            }
        }
        return true;
    }

private:
    CriticalSection lock_;
    std::vector<TThread*> items_;
};
