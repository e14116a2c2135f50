#include "jobs/JvThread.h"

#include <memory>
#include <string>
#include <utility>

#include "jobs/ExceptionReport.h"
#include "rtl/Application.h"
#include "rtl/ComponentReference.h"
#include "rtl/PathUtils.h"
#include "rtl/Synchronize.h"
#include "rtl/SysUtils.h"

namespace {

// The run-time's report of an Exception that no handler took: a task-modal
// box without owner, so that it does not depend on any window of the tool.
void ShowExceptionReport(const Exception& error, void* address) {
    HMODULE module = nullptr;
    std::string moduleName;
    auto relative = reinterpret_cast<std::uintptr_t>(address);
    if (GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(address), &module)) {
        char path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
        moduleName = ExtractFileName(std::string(path, length));
        relative -= reinterpret_cast<std::uintptr_t>(module);
    }
    const std::string text =
        ExceptionReportText(error.ClassName(), moduleName, relative, error.Message());
    ::MessageBoxA(nullptr, text.c_str(), "Application Error", MB_TASKMODAL | MB_ICONERROR);
}

}  // namespace

// --- TJvCustomThreadDialog ---

TComponent* TJvCustomThreadDialog::CreateThreadDialogForm(TJvThread* thread) {
    SetComponentReference(*this, form_, CreateDialogForm(thread));
    return form_;
}

void TJvCustomThreadDialog::CloseThreadForm() {
    if (form_ != nullptr && !Destroying()) {
        CloseDialogForm(form_);
        // Handles what the close left waiting; unlike one HandleMessage this
        // never blocks when the queue is already empty.
        if (Application != nullptr) {
            Application->ProcessMessages();
        }
    }
}

void TJvCustomThreadDialog::Notification(TComponent* component, TOperation operation) {
    TJvComponent::Notification(component, operation);
    ClearComponentReference(form_, component, operation);
}

// --- TJvBaseThread ---

TJvBaseThread::TJvBaseThread(TJvThread* sender, TJvNotifyParamsEvent handler, void* params)
    : handler_(std::move(handler)), params_(params), sender_(sender) {}

// The body uses handler_: it must have ended before the members go.
TJvBaseThread::~TJvBaseThread() {
    TerminateAndWait();
}

void TJvBaseThread::Execute() {
    try {
        handler_(sender_, params_);
    } catch (const Exception& error) {
        exception_ = std::current_exception();
        exceptionAddress_ = error.Address();
        Synchronize([this] { ReportException(); });
        exception_ = nullptr;
    }
}

void TJvBaseThread::ReportException() {
    try {
        std::rethrow_exception(exception_);
    } catch (const Exception& error) {
        ShowExceptionReport(error, exceptionAddress_);
    }
}

// --- TJvThread ---

TJvThread::TJvThread(TComponent* owner) : TJvComponent(owner) {}

TJvThread::~TJvThread() {
    BeginDestroy();
    Terminate();
    WaitForJobs();
    FreeEndedWorkers();
}

DWORD TJvThread::Execute(void* P) {
    if (Exclusive() && OneThreadIsRunning()) {
        return 0;
    }
    if (!OnExecute) {
        return 0;
    }
    FreeEndedWorkers();
    ++runningCount_;
    std::unique_ptr<TJvBaseThread> worker;
    try {
        worker = std::make_unique<TJvBaseThread>(this, OnExecute, P);
        worker->SetFreeOnTerminate(FreeOnTerminate());
        worker->OnTerminate = [this](TObject* Sender) { ThreadEnded(Sender); };
        threads_.Add(worker.get());
        CallEvent(OnBegin, nullptr);
    } catch (...) {
        // No job: undo the registration, or an exclusive component would
        // refuse every later job. The worker never ran; it must not report
        // an end nor free itself when its destruction lets it run out.
        if (worker) {
            threads_.Remove(worker.get());
            worker->OnTerminate = nullptr;
            worker->SetFreeOnTerminate(false);
        }
        --runningCount_;
        throw;
    }
    TJvBaseThread* started = worker.release();
    const DWORD id = started->ThreadID();
    if (RunOnCreate()) {
        // From here on the worker belongs to its thread (or to the end handling).
        started->Resume();
        OpenDialogForm();
    }
    return id;
}

void TJvThread::ExecuteAndWait(void* P) {
    Execute(P);
    WaitForJobs();
}

void TJvThread::WaitForJobs() {
    while (OneThreadIsRunning()) {
        Sleep(1);
        // The end of each job is delivered on the main thread; elsewhere the
        // loop can only wait for the main thread to deliver it.
        if (IsMainThread()) {
            CheckSynchronize();
        }
    }
}

int TJvThread::GetPriority(HANDLE thread) const {
    return thread == nullptr ? 0 : GetThreadPriority(thread);
}

void TJvThread::SetPriority(HANDLE thread, std::int8_t priority) {
    SetThreadPriority(thread, priority);
}

void TJvThread::QuitThread(HANDLE thread) {
    TerminateThread(thread, 0);
}

void TJvThread::Suspend(HANDLE thread) {
    SuspendThread(thread);
}

void TJvThread::Resume(HANDLE thread) {
    ResumeThread(thread);
    OpenDialogForm();
}

void TJvThread::Terminate() {
    threads_.ForEach([](TThread* worker) {
        worker->Terminate();
        if (worker->Suspended()) {
            worker->Resume();
        }
        return true;
    });
}

bool TJvThread::Terminated() {
    return threads_.ForEach([](TThread* worker) { return worker->Terminated(); });
}

void TJvThread::SetThreadDialog(TJvCustomThreadDialog* dialog) {
    SetComponentReference(*this, threadDialog_, dialog);
}

void TJvThread::OpenDialogForm() {
    if (threadDialog_ != nullptr && dialogForm_ == nullptr) {
        SetComponentReference(*this, dialogForm_, threadDialog_->CreateThreadDialogForm(this));
    }
}

void TJvThread::ThreadEnded(TObject* Sender) {
    --runningCount_;
    auto* worker = dynamic_cast<TJvBaseThread*>(Sender);
    threads_.Remove(worker);
    if (worker != nullptr && !worker->FreeOnTerminate()) {
        endedWorkers_.emplace_back(worker);
    }
    std::exception_ptr finishError;
    try {
        CallEvent(OnFinish, nullptr);
    } catch (...) {
        finishError = std::current_exception();
    }
    if (runningCount_ == 0) {
        if (threadDialog_ != nullptr) {
            threadDialog_->CloseThreadForm();
        }
        CallEvent(OnFinishAll, nullptr);
    }
    if (finishError) {
        std::rethrow_exception(finishError);
    }
}

void TJvThread::FreeEndedWorkers() {
    // Their end handling has run; freeing waits for the system threads to
    // return from it, serving main-thread requests meanwhile, which may end
    // more jobs: the list is taken over first.
    std::vector<std::unique_ptr<TJvBaseThread>> ended = std::exchange(endedWorkers_, {});
    ended.clear();
}

void TJvThread::Notification(TComponent* component, TOperation operation) {
    TJvComponent::Notification(component, operation);
    if (!ClearComponentReference(threadDialog_, component, operation)) {
        ClearComponentReference(dialogForm_, component, operation);
    }
}
