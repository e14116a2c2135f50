#include "rtl/Synchronize.h"

#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "rtl/SysUtils.h"
#include "rtl/ThreadError.h"
#include "rtl/WinHandles.h"

namespace {

const DWORD kMainThreadId = GetCurrentThreadId();

struct SyncRequest {
    const std::function<void()>* request;
    HANDLE done;  // the caller's own event, signalled when the request has run
    std::exception_ptr error;
};

// The synchronisation queue: one per process, as the delivery is.
struct SyncQueue {
    CriticalSection lock;
    std::vector<SyncRequest*> pending;
    std::function<void()> wake;
    KernelHandle event{CreateEventA(nullptr, TRUE, FALSE, nullptr)};  // manual reset
};

SyncQueue& Queue() {
    static SyncQueue queue;
    return queue;
}

}  // namespace

DWORD MainThreadID() {
    return kMainThreadId;
}

bool IsMainThread() {
    return GetCurrentThreadId() == kMainThreadId;
}

void Synchronize(const std::function<void()>& request) {
    if (IsMainThread()) {
        request();
        return;
    }
    KernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done) {
        RaiseLastThreadError();
    }
    SyncRequest entry{&request, done.Get(), nullptr};
    SyncQueue& queue = Queue();
    {
        CriticalSection::Guard guard(queue.lock);
        queue.pending.push_back(&entry);
        SetEvent(queue.event.Get());
        if (queue.wake) {
            queue.wake();
        }
    }
    WaitForSingleObject(done.Get(), INFINITE);
    if (entry.error) {
        std::rethrow_exception(entry.error);
    }
}

bool CheckSynchronize() {
    if (!IsMainThread()) {
        throw EThread(
            Format("CheckSynchronize called from thread $%lx, which is NOT the main thread",
                   GetCurrentThreadId()));
    }
    std::vector<SyncRequest*> batch;
    SyncQueue& queue = Queue();
    {
        CriticalSection::Guard guard(queue.lock);
        ResetEvent(queue.event.Get());
        batch.swap(queue.pending);
    }
    // Each request runs outside the lock, so it may itself synchronise or
    // show a modal box while other workers queue theirs.
    for (SyncRequest* entry : batch) {
        try {
            (*entry->request)();
        } catch (...) {
            entry->error = std::current_exception();
        }
        SetEvent(entry->done);
    }
    return !batch.empty();
}

HANDLE SyncEvent() {
    return Queue().event.Get();
}

void SignalSyncEvent() {
    SetEvent(Queue().event.Get());
}

void SetWakeMainThread(std::function<void()> wake) {
    SyncQueue& queue = Queue();
    CriticalSection::Guard guard(queue.lock);
    queue.wake = std::move(wake);
}
