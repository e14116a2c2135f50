#include "jobs/JvThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "rtl/SysUtils.h"
#include "rtl/WinHandles.h"
#include "support/TestApplication.h"
#include "support/WindowDriver.h"

namespace {

// A manual-reset event the job handlers block on.
class Gate {
public:
    Gate() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    void Open() { SetEvent(event_.Get()); }
    bool WaitOpen(DWORD timeoutMs = 10000) {
        return WaitForSingleObject(event_.Get(), timeoutMs) == WAIT_OBJECT_0;
    }

private:
    KernelHandle event_;
};

// Raises from a function of its own, so that the report's address can be
// checked against where that function's code lies.
[[gnu::noinline]] void RaiseFileAccessDenied() {
    throw EInOutError(5);
}
constexpr std::uintptr_t kRaiseCodeSize = 256;  // more than the function takes

class JvThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        support::EnsureApplication();
        jobs_ = new TJvThread(nullptr);
        jobs_->OnFinish = [this](TObject* Sender) {
            log_.push_back("finish");
            finishSenders_.push_back(Sender);
            finishThreads_.push_back(GetCurrentThreadId());
        };
        jobs_->OnFinishAll = [this](TObject* Sender) {
            log_.push_back("all");
            finishSenders_.push_back(Sender);
        };
        jobs_->OnBegin = [this](TObject*) { log_.push_back("begin"); };
    }
    void TearDown() override { delete jobs_; }

    bool WaitAllEnded() {
        return support::ServeUntil([this] { return jobs_->RunningCount() == 0; });
    }

    TJvThread* jobs_ = nullptr;
    std::vector<std::string> log_;
    std::vector<TObject*> finishSenders_;
    std::vector<DWORD> finishThreads_;
};

TEST_F(JvThreadTest, RefusedStartsChangeNothing) {
    struct Case {
        const char* name;
        bool exclusive;
        bool withHandler;
        bool jobRunning;
        bool refused;
    };
    const Case cases[] = {
        {"no OnExecute", true, false, false, true},
        {"no OnExecute, not exclusive", false, false, false, true},
        {"exclusive while a job runs", true, true, true, true},
        {"not exclusive while a job runs", false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gate release;
        jobs_->SetExclusive(c.exclusive);
        jobs_->OnExecute = [&](TObject*, void*) { release.WaitOpen(); };
        if (c.jobRunning) {
            ASSERT_NE(jobs_->Execute(nullptr), 0u);
        }
        if (!c.withHandler) {
            jobs_->OnExecute = nullptr;
        }
        log_.clear();
        const int countBefore = jobs_->RunningCount();
        const DWORD id = jobs_->Execute(nullptr);
        EXPECT_EQ(id == 0, c.refused);
        EXPECT_EQ(jobs_->RunningCount(), countBefore + (c.refused ? 0 : 1));
        EXPECT_EQ(log_.empty(), c.refused) << "a refused start fires no event";
        release.Open();
        ASSERT_TRUE(WaitAllEnded());
    }
}

TEST_F(JvThreadTest, ExclusiveAcceptsAgainOnceTheJobHasEnded) {
    jobs_->OnExecute = [](TObject*, void*) {};
    bool runningDuringFinish = true;
    jobs_->OnFinish = [&](TObject*) {
        log_.push_back("finish");
        // Already uncounted: a start from the finish handler is accepted.
        runningDuringFinish = jobs_->OneThreadIsRunning();
    };
    ASSERT_NE(jobs_->Execute(nullptr), 0u);
    ASSERT_TRUE(WaitAllEnded());
    EXPECT_NE(jobs_->Execute(nullptr), 0u);
    ASSERT_TRUE(WaitAllEnded());
    EXPECT_EQ(log_, (std::vector<std::string>{"begin", "finish", "all", "begin", "finish", "all"}));
    EXPECT_FALSE(runningDuringFinish);
}

TEST_F(JvThreadTest, ConcurrentJobsFinishOnceEachAndAllOnceAfterTheLast) {
    jobs_->SetExclusive(false);
    for (int jobCount : {2, 16}) {
        SCOPED_TRACE(jobCount);
        log_.clear();
        std::atomic<int> entered{0};
        Gate allIn;
        jobs_->OnExecute = [&](TObject*, void*) {
            if (++entered == jobCount) {
                allIn.Open();
            }
            allIn.WaitOpen();
        };
        for (int i = 0; i < jobCount; ++i) {
            ASSERT_NE(jobs_->Execute(nullptr), 0u);
        }
        EXPECT_EQ(jobs_->RunningCount(), jobCount);
        EXPECT_EQ(jobs_->Threads().Count(), jobCount);
        ASSERT_TRUE(WaitAllEnded());
        EXPECT_EQ(entered, jobCount) << "all handlers ran at the same time";
        EXPECT_EQ(jobs_->Threads().Count(), 0);
        std::vector<std::string> expected(jobCount, "begin");
        expected.insert(expected.end(), jobCount, "finish");
        expected.push_back("all");
        EXPECT_EQ(log_, expected);
    }
}

TEST_F(JvThreadTest, HandlersSeeTheirSendersAndThreads) {
    int parameter = 0;
    TObject* executeSender = nullptr;
    void* executeParams = nullptr;
    DWORD executeThread = 0;
    TObject* beginSender = jobs_;
    jobs_->OnBegin = [&](TObject* Sender) { beginSender = Sender; };
    jobs_->OnExecute = [&](TObject* Sender, void* Params) {
        executeSender = Sender;
        executeParams = Params;
        executeThread = GetCurrentThreadId();
    };
    const DWORD id = jobs_->Execute(&parameter);
    ASSERT_TRUE(WaitAllEnded());
    EXPECT_EQ(beginSender, nullptr);
    EXPECT_EQ(executeSender, jobs_);
    EXPECT_EQ(executeParams, &parameter);
    EXPECT_EQ(executeThread, id) << "Execute returns the worker's thread id";
    EXPECT_NE(executeThread, MainThreadID());
    EXPECT_EQ(finishSenders_, (std::vector<TObject*>{nullptr, nullptr}));
    EXPECT_EQ(finishThreads_, (std::vector<DWORD>{MainThreadID()}));
}

TEST_F(JvThreadTest, NotRunOnCreateStaysCountedUntilTerminateSkipsTheHandler) {
    EXPECT_TRUE(jobs_->Terminated()) << "no listed worker";
    jobs_->SetRunOnCreate(false);
    std::atomic<int> handled{0};
    jobs_->OnExecute = [&](TObject*, void*) { ++handled; };
    const DWORD id = jobs_->Execute(nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(jobs_->RunningCount(), 1);
    EXPECT_TRUE(jobs_->OneThreadIsRunning()) << "counted although suspended";
    EXPECT_EQ(jobs_->Threads().Count(), 1);
    EXPECT_FALSE(jobs_->Terminated());
    jobs_->Terminate();
    EXPECT_TRUE(jobs_->Terminated());
    ASSERT_TRUE(WaitAllEnded());
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(jobs_->Threads().Count(), 0);
    EXPECT_EQ(log_, (std::vector<std::string>{"begin", "finish", "all"}));
}

TEST_F(JvThreadTest, AnExceptionInTheJobIsReportedThenTheJobFinishes) {
    jobs_->OnExecute = [](TObject*, void*) { RaiseFileAccessDenied(); };
    support::MessageBoxAnswerer answerer("Application Error");
    ASSERT_NE(jobs_->Execute(nullptr), 0u);
    ASSERT_TRUE(WaitAllEnded());
    const support::MessageBoxInfo& report = answerer.Join();
    ASSERT_NE(report.window, nullptr) << "no report";
    EXPECT_EQ(report.owner, nullptr);
    EXPECT_EQ(log_, (std::vector<std::string>{"begin", "finish", "all"}));

    // "...at <address relative to the module>.": within the raising function.
    const std::string prefix = "Exception EInOutError in module jobs_win32_tests.exe at ";
    const size_t digits = sizeof(void*) * 2;
    const std::string& text = report.text;
    ASSERT_EQ(text.substr(0, prefix.size()), prefix) << text;
    EXPECT_EQ(text.substr(prefix.size() + digits), ".\r\nFile access denied.\r\n");
    const std::string address = text.substr(prefix.size(), digits);
    ASSERT_EQ(address.find_first_not_of("0123456789ABCDEF"), std::string::npos) << text;
    const std::uintptr_t reported = std::stoull(address, nullptr, 16);
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(&RaiseFileAccessDenied) -
                                 reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    EXPECT_GT(reported, start) << text;
    EXPECT_LT(reported, start + kRaiseCodeSize) << text;
}

TEST_F(JvThreadTest, OtherErrorsEndTheJobSilentlyAndAreKept) {
    jobs_->SetFreeOnTerminate(false);
    jobs_->OnExecute = [](TObject*, void*) { throw std::runtime_error("not ours"); };
    support::MessageBoxAnswerer answerer("Application Error");
    ASSERT_NE(jobs_->Execute(nullptr), 0u);
    TThread* worker = nullptr;
    jobs_->Threads().ForEach([&](TThread* thread) {
        worker = thread;
        return false;
    });
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(WaitAllEnded());
    const support::MessageBoxInfo& report = answerer.Join();
    EXPECT_EQ(report.window, nullptr) << "a report: " << report.text;
    ASSERT_TRUE(worker->FatalException());
    EXPECT_THROW(std::rethrow_exception(worker->FatalException()), std::runtime_error);
    EXPECT_EQ(log_, (std::vector<std::string>{"begin", "finish", "all"}));
}

TEST_F(JvThreadTest, AnErrorOfOnFinishStillLetsOnFinishAllRun) {
    // The worker raises the error again once the end notification returns:
    // kept by the component, it has unwound before the test program may
    // exit (an exit during the unwinding aborts the program).
    jobs_->SetFreeOnTerminate(false);
    jobs_->OnExecute = [](TObject*, void*) {};
    jobs_->OnFinish = [this](TObject*) {
        log_.push_back("finish");
        throw Exception("finish failed");
    };
    ASSERT_NE(jobs_->Execute(nullptr), 0u);
    ASSERT_TRUE(WaitAllEnded());
    ASSERT_TRUE(support::ServeUntil([this] { return log_.size() == 3; }));
    EXPECT_EQ(log_, (std::vector<std::string>{"begin", "finish", "all"}));
}

TEST_F(JvThreadTest, AFailedStartUndoesTheCount) {
    jobs_->OnExecute = [](TObject*, void*) { FAIL() << "the refused job ran"; };
    jobs_->OnBegin = [](TObject*) { throw Exception("cannot begin"); };
    EXPECT_THROW(jobs_->Execute(nullptr), Exception);
    EXPECT_EQ(jobs_->RunningCount(), 0);
    EXPECT_EQ(jobs_->Threads().Count(), 0);
    jobs_->OnBegin = nullptr;
    jobs_->OnExecute = [](TObject*, void*) {};
    EXPECT_NE(jobs_->Execute(nullptr), 0u) << "an exclusive component still accepts jobs";
    ASSERT_TRUE(WaitAllEnded());
    EXPECT_EQ(log_, (std::vector<std::string>{"finish", "all"}));
}

TEST_F(JvThreadTest, ExecuteAndWaitOnTheMainThreadLetsTheEndRun) {
    std::atomic<int> handled{0};
    jobs_->OnExecute = [&](TObject*, void*) { ++handled; };
    jobs_->ExecuteAndWait(nullptr);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(jobs_->RunningCount(), 0);
    EXPECT_EQ(log_, (std::vector<std::string>{"begin", "finish", "all"}));
}

TEST(JvThreadDestruction, WaitsForABlockedJobAndRunsItsFinish) {
    support::EnsureApplication();
    auto* jobs = new TJvThread(nullptr);
    Gate entered;
    Gate release;
    std::atomic<bool> handlerReturned{false};
    bool finishedAfterHandler = false;
    DWORD finishThread = 0;
    jobs->OnExecute = [&](TObject*, void*) {
        entered.Open();
        release.WaitOpen();
        handlerReturned = true;
    };
    jobs->OnFinish = [&](TObject*) {
        finishedAfterHandler = handlerReturned;
        finishThread = GetCurrentThreadId();
    };
    ASSERT_NE(jobs->Execute(nullptr), 0u);
    ASSERT_TRUE(entered.WaitOpen());
    TThread* worker = nullptr;
    jobs->Threads().ForEach([&](TThread* thread) {
        worker = thread;
        return false;
    });
    ASSERT_NE(worker, nullptr);
    // Opens the gate only once destruction has begun: it terminates the
    // workers first, and this one stays alive while its handler blocks.
    bool terminatedFirst = false;
    std::thread releaser([&] {
        terminatedFirst = support::WaitFor([&] { return worker->Terminated(); });
        release.Open();
    });
    delete jobs;
    releaser.join();
    EXPECT_TRUE(terminatedFirst) << "the destruction did not terminate the worker";
    EXPECT_TRUE(handlerReturned);
    EXPECT_TRUE(finishedAfterHandler);
    EXPECT_EQ(finishThread, MainThreadID());
}

TEST(JvThreadDialog, ForgetsTheDialogAndItsFormWhenTheyGo) {
    class Dialog : public TJvCustomThreadDialog {
    public:
        using TJvCustomThreadDialog::TJvCustomThreadDialog;
        int closes = 0;

    protected:
        TComponent* CreateDialogForm(TJvThread*) override { return new TComponent(nullptr); }
        void CloseDialogForm(TComponent*) override { ++closes; }
    };
    support::EnsureApplication();
    TComponent owner(nullptr);
    auto* jobs = new TJvThread(&owner);
    auto* dialog = new Dialog(&owner);
    jobs->SetThreadDialog(dialog);
    jobs->OnExecute = [](TObject*, void*) {};
    ASSERT_NE(jobs->Execute(nullptr), 0u);
    TComponent* form = jobs->DialogForm();
    ASSERT_NE(form, nullptr) << "opened when the job started";
    EXPECT_EQ(dialog->ThreadStatusForm(), form);
    ASSERT_TRUE(support::ServeUntil([&] { return jobs->RunningCount() == 0; }));
    EXPECT_EQ(dialog->closes, 1) << "closed when the last job ended";
    EXPECT_EQ(jobs->DialogForm(), form) << "kept until the form itself goes";
    delete form;
    EXPECT_EQ(jobs->DialogForm(), nullptr);
    EXPECT_EQ(dialog->ThreadStatusForm(), nullptr);
    delete dialog;
    EXPECT_EQ(jobs->ThreadDialog(), nullptr);
}

}  // namespace
