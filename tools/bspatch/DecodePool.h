// The worker threads that decode bzip2 blocks for both streams of a patch.
// Jobs wait in one queue, first come first served, except that a reader
// that waits for one job can move it to the front; a job that has not
// started can be withdrawn. The queue links the jobs themselves, so that
// submitting one allocates nothing and cannot fail: a job handed over is
// always run or withdrawn, never lost between the two. Portable (std::thread).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "Bzip2Block.h"

namespace bspatch {

class DecodePool {
public:
    class Job {
    public:
        // Runs on a worker thread, with that thread's working memory.
        virtual void Run(BlockScratch& scratch) = 0;

    protected:
        ~Job() = default;

    private:
        friend class DecodePool;
        // Under the pool's lock: the neighbours in its queue while queued.
        Job* previous_ = nullptr;
        Job* next_ = nullptr;
        bool queued_ = false;
    };

    // The most workers a pool starts: each holds up to 7.2 MB of working
    // memory and brings a few more blocks in flight, which a 32-bit process
    // must fit into its 2 GB.
    static constexpr size_t kMaxWorkers = sizeof(void*) == 4 ? 16 : 64;

    // `workers` threads, or one per processor for 0; at least 1 and at most
    // kMaxWorkers.
    explicit DecodePool(size_t workers = 0);
    // Joins the workers. Every job submitted has run or been withdrawn.
    ~DecodePool();
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    size_t Workers() const { return threads_.size(); }

    // `job` must stay alive until it has run or been withdrawn, and must not
    // be queued already.
    void Submit(Job& job) noexcept;
    // True when `job` had not started: then it never runs.
    bool Withdraw(Job& job) noexcept;
    // Moves `job`, if it has not started, to the front of the queue.
    void Promote(Job& job) noexcept;

    // The worker count that `DecodePool(workers)` starts.
    static size_t WorkerCount(size_t workers);

private:
    void Work(BlockScratch& scratch);
    void Link(Job& job, bool atFront);  // under mutex_
    void Unlink(Job& job);              // under mutex_

    std::mutex mutex_;
    std::condition_variable wake_;
    Job* first_ = nullptr;  // the queue, under mutex_
    Job* last_ = nullptr;
    bool stop_ = false;
    std::vector<std::unique_ptr<BlockScratch>> scratch_;  // one per worker
    std::vector<std::thread> threads_;
};

}  // namespace bspatch
