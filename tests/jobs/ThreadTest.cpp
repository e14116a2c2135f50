#include "rtl/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>

#include "rtl/SysUtils.h"
#include "support/TestApplication.h"

namespace {

class BodyThread : public TThread {
public:
    explicit BodyThread(std::function<void(BodyThread&)> body, bool* destroyed = nullptr)
        : body_(std::move(body)), destroyed_(destroyed) {}
    ~BodyThread() override {
        TerminateAndWait();
        if (destroyed_ != nullptr) {
            *destroyed_ = true;
        }
    }
    using TThread::SetReturnValue;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(BodyThread&)> body_;
    bool* destroyed_;
};

TEST(Thread, IsCreatedSuspendedAndRunsItsBodyOnResume) {
    support::EnsureApplication();
    std::atomic<DWORD> bodyThread{0};
    BodyThread thread([&](BodyThread& self) {
        bodyThread = GetCurrentThreadId();
        self.SetReturnValue(42);
    });
    EXPECT_TRUE(thread.CreateSuspended());
    EXPECT_TRUE(thread.Suspended());
    EXPECT_NE(thread.Handle(), nullptr);
    EXPECT_NE(thread.ThreadID(), 0u);
    EXPECT_EQ(WaitForSingleObject(thread.Handle(), 50), static_cast<DWORD>(WAIT_TIMEOUT))
        << "nothing runs before Resume";
    thread.Resume();
    EXPECT_FALSE(thread.Suspended());
    EXPECT_EQ(thread.WaitFor(), 42u);
    EXPECT_TRUE(thread.Finished());
    EXPECT_EQ(thread.ReturnValue(), 42u);
    EXPECT_EQ(bodyThread, thread.ThreadID());
}

TEST(Thread, TerminatedBeforeItRunsSkipsTheBodyButNotifiesOnTheMainThread) {
    support::EnsureApplication();
    bool ran = false;
    BodyThread thread([&](BodyThread&) { ran = true; });
    DWORD notifiedOn = 0;
    TObject* notifiedSender = nullptr;
    thread.OnTerminate = [&](TObject* Sender) {
        notifiedOn = GetCurrentThreadId();
        notifiedSender = Sender;
    };
    thread.Terminate();
    EXPECT_TRUE(thread.Terminated());
    thread.Resume();
    thread.WaitFor();
    EXPECT_FALSE(ran);
    EXPECT_EQ(notifiedOn, MainThreadID());
    EXPECT_EQ(notifiedSender, &thread);
}

TEST(Thread, KeepsWhatEscapesTheBodyAndTheEndNotification) {
    support::EnsureApplication();
    struct Case {
        const char* name;
        bool bodyThrows;
        bool notificationThrows;
        const char* kept;
    };
    const Case cases[] = {{"body", true, false, "from the body"},
                          {"end notification", false, true, "from the notification"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BodyThread thread([&](BodyThread&) {
            if (c.bodyThrows) {
                throw std::runtime_error("from the body");
            }
        });
        thread.OnTerminate = [&](TObject*) {
            if (c.notificationThrows) {
                throw EThread("from the notification");
            }
        };
        thread.Resume();
        thread.WaitFor();
        EXPECT_TRUE(thread.Finished()) << "the thread still ends in order";
        ASSERT_TRUE(thread.FatalException());
        try {
            std::rethrow_exception(thread.FatalException());
        } catch (const std::exception& error) {
            EXPECT_STREQ(error.what(), c.kept);
        }
    }
}

TEST(Thread, FreesItselfAfterTheEndNotification) {
    support::EnsureApplication();
    bool destroyed = false;
    bool destroyedBeforeNotification = true;
    auto* thread = new BodyThread([](BodyThread&) {}, &destroyed);
    thread->SetFreeOnTerminate(true);
    thread->OnTerminate = [&](TObject*) { destroyedBeforeNotification = destroyed; };
    thread->Resume();
    EXPECT_TRUE(support::ServeUntil([&] { return destroyed; }));
    EXPECT_FALSE(destroyedBeforeNotification);
}

TEST(Thread, DestroyingANeverStartedThreadEndsIt) {
    support::EnsureApplication();
    bool ran = false;
    HANDLE copy = nullptr;
    {
        BodyThread thread([&](BodyThread&) { ran = true; });
        DuplicateHandle(GetCurrentProcess(), thread.Handle(), GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }
    KernelHandle ended(copy);
    EXPECT_EQ(WaitForSingleObject(ended.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_FALSE(ran);
}

// A timer procedure is stdcall on i686: a lambda would not convert.
void CALLBACK QuitOnTimer(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}

TEST(ApplicationLoop, ServesAWorkerWhileTheMainThreadSitsInRun) {
    support::EnsureApplication();
    std::atomic<DWORD> servedOn{0};
    BodyThread worker([&](BodyThread&) {
        Synchronize([&] { servedOn = GetCurrentThreadId(); });
        // Ends the loop from the main thread, where Terminate must be called.
        Synchronize([] { Application->Terminate(); });
    });
    // A deadline for the loop: WM_QUIT after 10 s whatever happens.
    const UINT_PTR timer = SetTimer(nullptr, 0, 10000, &QuitOnTimer);
    worker.Resume();
    Application->Run();
    KillTimer(nullptr, timer);
    worker.WaitFor();
    EXPECT_EQ(servedOn, MainThreadID());
}

}  // namespace
