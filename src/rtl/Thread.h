// The run-time thread: a system thread that runs the virtual body of an
// object, with a terminate flag, free-on-terminate and an end notification
// delivered on the main thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>

#include "rtl/Classes.h"
#include "rtl/WinHandles.h"

class TThread : public TObject {
public:
    // Creates the system thread suspended: the body cannot run before the
    // derived object exists, so the creator starts it with Resume. Raises
    // EThread "Thread creation error: %s" when the system refuses.
    TThread();
    // Waits for a thread that has not finished (after Terminate, resuming it
    // if it never ran), except on the thread itself (free-on-terminate).
    ~TThread() override;

    const char* ClassName() const override { return "TThread"; }

    // ResumeThread; a failure raises EThread "Thread Error: %s (%d)".
    void Resume();
    // SuspendThread; a failure raises EThread like Resume.
    void Suspend();
    bool Suspended() const { return suspended_; }
    bool CreateSuspended() const { return createSuspended_; }

    // Only sets the flag: the body decides whether to look at it. A thread
    // whose flag is set before it first runs skips its body.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

    // Read by the thread once its body has ended: when set, the object
    // deletes itself after the end notification.
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }

    // Set after the end notification has run.
    bool Finished() const { return finished_; }

    // The system thread's exit code.
    DWORD ReturnValue() const { return returnValue_; }

    // Anything that escaped the body: kept, never shown, freed with the object.
    std::exception_ptr FatalException() const { return fatalException_; }

    HANDLE Handle() const { return handle_.Get(); }
    DWORD ThreadID() const { return threadId_; }

    // Waits until the system thread has ended and returns its exit code. On
    // the main thread it serves main-thread requests meanwhile, so that the
    // end notification can run. Not for free-on-terminate threads.
    DWORD WaitFor();

    // Terminate, resume if suspended, WaitFor; nothing when finished or when
    // called on the thread itself. Derived destructors call it first, so that
    // the body never runs on a half-destroyed object.
    void TerminateAndWait();

    // The end notification: delivered on the main thread while the thread waits.
    TNotifyEvent OnTerminate;

protected:
    // The end-notification step: OnTerminate on the main thread.
    virtual void DoTerminate();
    // The body.
    virtual void Execute() = 0;

    void SetReturnValue(DWORD value) { returnValue_ = value; }

private:
    static DWORD WINAPI ThreadProc(void* parameter);
    void Run();

    KernelHandle handle_;
    DWORD threadId_ = 0;
    bool createSuspended_ = true;
    std::atomic<bool> suspended_{true};
    std::atomic<bool> terminated_{false};
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<bool> finished_{false};
    DWORD returnValue_ = 0;
    std::exception_ptr fatalException_;
};
