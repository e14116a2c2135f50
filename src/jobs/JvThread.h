// The thread job component: each Execute runs the OnExecute handler on a new
// worker thread and reports the job's end on the main thread (OnFinish, and
// OnFinishAll when the last running job has ended).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "jobs/ThreadList.h"
#include "rtl/Classes.h"
#include "rtl/JvComponent.h"
#include "rtl/Thread.h"

class TJvThread;

// A progress dialog for the jobs of a TJvThread. Abstract: a concrete dialog
// creates the form; this base keeps a reference to it and closes it.
class TJvCustomThreadDialog : public TJvComponent {
public:
    using TJvComponent::TJvComponent;
    const char* ClassName() const override { return "TJvCustomThreadDialog"; }

    // Creates the dialog form for `thread`'s jobs and returns it (kept as the
    // current form).
    TComponent* CreateThreadDialogForm(TJvThread* thread);

    // Closes the current form unless this dialog is itself being destroyed,
    // then lets the application handle what the close left in the queue.
    void CloseThreadForm();

    TComponent* ThreadStatusForm() const { return form_; }

protected:
    virtual TComponent* CreateDialogForm(TJvThread* thread) = 0;
    virtual void CloseDialogForm(TComponent* form) = 0;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TComponent* form_ = nullptr;  // owned by whoever the concrete dialog chose
};

// The worker of one job.
class TJvBaseThread : public TThread {
public:
    TJvBaseThread(TJvThread* sender, TJvNotifyParamsEvent handler, void* params);
    ~TJvBaseThread() override;

    const char* ClassName() const override { return "TJvBaseThread"; }

    // The Exception the job handler raised, while its report is shown.
    std::exception_ptr CaughtException() const { return exception_; }
    void* ExceptionAddress() const { return exceptionAddress_; }

protected:
    // Calls the job handler; an Exception it raises is reported on the main
    // thread (the box waits for OK) and dropped; anything else escapes to the
    // thread's fatal-exception slot.
    void Execute() override;

private:
    void ReportException();

    TJvNotifyParamsEvent handler_;
    void* params_;
    TJvThread* sender_;
    std::exception_ptr exception_;
    void* exceptionAddress_ = nullptr;
};

class TJvThread : public TJvComponent {
public:
    explicit TJvThread(TComponent* owner);
    // Terminates the jobs, then waits for every running job while serving
    // main-thread requests, so that their OnFinish and OnFinishAll run.
    ~TJvThread() override;

    const char* ClassName() const override { return "TJvThread"; }

    // Starts one job on a new worker thread and returns its system thread id;
    // 0 (nothing happens) when Exclusive and a job runs, or without OnExecute.
    // Call it on the main thread.
    DWORD Execute(void* P);
    // Execute, then waits until no job of this component runs. On the main
    // thread the wait serves main-thread requests (the end of a job is
    // counted there); elsewhere it only sleeps.
    void ExecuteAndWait(void* P);
    bool OneThreadIsRunning() const { return RunningCount() > 0; }

    // Operations on a worker by its system thread handle.
    int GetPriority(HANDLE thread) const;
    void SetPriority(HANDLE thread, std::int8_t priority);
    void QuitThread(HANDLE thread);
    void Suspend(HANDLE thread);
    void Resume(HANDLE thread);

    // Sets the terminate flag of every listed worker and resumes the
    // suspended ones, which then skip the job handler. A running handler is
    // not interrupted.
    void Terminate();
    // True when every listed worker has its terminate flag set (or none is).
    bool Terminated();

    // Jobs started and not yet ended; changed only on the main thread.
    int RunningCount() const { return runningCount_; }
    TThreadList& Threads() { return threads_; }

    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool value) { exclusive_ = value; }
    bool RunOnCreate() const { return runOnCreate_; }
    void SetRunOnCreate(bool value) { runOnCreate_ = value; }
    // Copied into each new worker. Workers started with it false are freed by
    // the component: at the next Execute after they ended, or at destruction.
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }

    TJvCustomThreadDialog* ThreadDialog() const { return threadDialog_; }
    void SetThreadDialog(TJvCustomThreadDialog* dialog);
    TComponent* DialogForm() const { return dialogForm_; }

    TNotifyEvent OnBegin;            // Sender null, on the thread calling Execute
    TJvNotifyParamsEvent OnExecute;  // Sender this, Params P, on the worker
    TNotifyEvent OnFinish;           // Sender null, on the main thread, per job
    TNotifyEvent OnFinishAll;        // Sender null, on the main thread, count 0

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    // The end of a job, on the main thread while its worker waits.
    void ThreadEnded(TObject* Sender);
    void OpenDialogForm();
    // Sleeps 1 ms at a time until no job of this component runs: no event
    // signals the end of the last job, the count is polled.
    void WaitForJobs();
    void FreeEndedWorkers();

    std::atomic<int> runningCount_{0};
    TThreadList threads_;
    bool exclusive_ = true;
    bool runOnCreate_ = true;
    bool freeOnTerminate_ = true;
    TJvCustomThreadDialog* threadDialog_ = nullptr;
    TComponent* dialogForm_ = nullptr;
    // Ended workers without free-on-terminate; only the main thread uses it.
    std::vector<std::unique_ptr<TJvBaseThread>> endedWorkers_;
};
