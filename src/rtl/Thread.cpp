#include "rtl/Thread.h"

#include "rtl/Synchronize.h"
#include "rtl/SysUtils.h"
#include "rtl/ThreadError.h"

TThread::TThread() {
    handle_.Reset(
        CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &threadId_));
    if (!handle_) {
        throw EThread(Format("Thread creation error: %s", SysErrorMessage(GetLastError()).c_str()));
    }
}

TThread::~TThread() {
    TerminateAndWait();
}

void TThread::Resume() {
    const DWORD previousCount = ResumeThread(handle_.Get());
    if (previousCount == static_cast<DWORD>(-1)) {
        RaiseLastThreadError();
    }
    // 1: this call let it run; 0: somebody else had resumed it by its handle.
    if (previousCount <= 1) {
        suspended_ = false;
    }
}

void TThread::Suspend() {
    suspended_ = true;
    if (SuspendThread(handle_.Get()) == static_cast<DWORD>(-1)) {
        RaiseLastThreadError();
    }
}

DWORD TThread::WaitFor() {
    if (IsMainThread()) {
        // The end notification needs the main thread: serve it while waiting.
        const HANDLE handles[] = {handle_.Get(), SyncEvent()};
        while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            CheckSynchronize();
        }
    } else {
        WaitForSingleObject(handle_.Get(), INFINITE);
    }
    DWORD exitCode = 0;
    GetExitCodeThread(handle_.Get(), &exitCode);
    return exitCode;
}

void TThread::TerminateAndWait() {
    if (!handle_ || finished_ || GetCurrentThreadId() == threadId_) {
        return;
    }
    Terminate();
    // A thread that never ran must run to its end, skipping its body.
    if (suspended_) {
        DWORD previousCount;
        do {
            previousCount = ResumeThread(handle_.Get());
        } while (previousCount > 1 && previousCount != static_cast<DWORD>(-1));
        suspended_ = false;
    }
    try {
        WaitFor();
    } catch (...) {
        // Only CheckSynchronize can raise here, and it runs on the main thread.
    }
}

void TThread::DoTerminate() {
    if (OnTerminate) {
        Synchronize([this] { CallEvent(OnTerminate, this); });
    }
}

DWORD WINAPI TThread::ThreadProc(void* parameter) {
    TThread* thread = static_cast<TThread*>(parameter);
    const bool freeThread = [thread] {
        thread->Run();
        return thread->freeOnTerminate_.load();
    }();
    const DWORD result = thread->returnValue_;
    // An error of the end notification (raised again here by the delivery)
    // must not unwind out of the system's thread start: keep it like one of
    // the body, so that the thread still finishes and frees itself.
    try {
        thread->DoTerminate();
    } catch (...) {
        if (!thread->fatalException_) {
            thread->fatalException_ = std::current_exception();
        }
    }
    thread->finished_ = true;
    SignalSyncEvent();
    if (freeThread) {
        delete thread;
    }
    return result;
}

void TThread::Run() {
    if (terminated_) {
        return;
    }
    try {
        Execute();
    } catch (...) {
        fatalException_ = std::current_exception();
    }
}
