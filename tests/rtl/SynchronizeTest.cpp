#include "rtl/Synchronize.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "rtl/SysUtils.h"
#include "support/TestApplication.h"

namespace {

// Runs `work` on a worker thread and serves its requests until it is done.
template <typename Work>
void RunOnWorker(Work work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const bool finished = support::ServeUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished) << "worker did not finish";
}

}  // namespace

TEST(Synchronize, RunsAtOnceOnTheMainThread) {
    int calls = 0;
    Synchronize([&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(CheckSynchronize()) << "nothing was queued";
}

TEST(Synchronize, WorkerRequestsRunOnTheMainThreadInOrder) {
    std::vector<DWORD> threads;
    std::vector<int> order;
    RunOnWorker([&] {
        for (int i = 0; i < 3; ++i) {
            Synchronize([&, i] {
                threads.push_back(GetCurrentThreadId());
                order.push_back(i);
            });
        }
    });
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    for (DWORD id : threads) {
        EXPECT_EQ(id, MainThreadID());
    }
}

TEST(Synchronize, AnErrorOfTheRequestIsRaisedInTheWaitingThread) {
    std::string caught;
    RunOnWorker([&] {
        try {
            Synchronize([] { throw EInOutError(5); });
        } catch (const EInOutError& e) {
            caught = e.Message();
        }
    });
    EXPECT_EQ(caught, "File access denied");
}

TEST(Synchronize, RunningTheQueueOffTheMainThreadIsRefused) {
    std::string message;
    DWORD workerId = 0;
    std::thread worker([&] {
        workerId = GetCurrentThreadId();
        try {
            CheckSynchronize();
        } catch (const EThread& e) {
            message = e.Message();
        }
    });
    worker.join();
    EXPECT_EQ(
        message,
        Format("CheckSynchronize called from thread $%lx, which is NOT the main thread", workerId));
}

TEST(Synchronize, AWakeUpIsRequestedForEveryQueuedRequest) {
    std::atomic<int> wakes{0};
    SetWakeMainThread([&] { ++wakes; });
    RunOnWorker([] { Synchronize([] {}); });
    SetWakeMainThread(nullptr);
    EXPECT_EQ(wakes, 1);
}
