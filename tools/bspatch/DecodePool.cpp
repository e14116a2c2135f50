#include "DecodePool.h"

#include <algorithm>

namespace bspatch {

size_t DecodePool::WorkerCount(size_t workers) {
    if (workers == 0) {
        workers = std::thread::hardware_concurrency();  // 0 where unknown
    }
    return std::clamp<size_t>(workers, 1, kMaxWorkers);
}

DecodePool::DecodePool(size_t workers) {
    size_t count = WorkerCount(workers);
    // Made here, so that a shortage of memory shows before any thread runs.
    for (size_t i = 0; i < count; ++i) {
        scratch_.push_back(std::make_unique<BlockScratch>());
    }
    threads_.reserve(count);
    try {
        for (size_t i = 0; i < count; ++i) {
            threads_.emplace_back([this, i] { Work(*scratch_[i]); });
        }
    } catch (...) {
        // A thread that cannot start leaves none running behind the error.
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
        throw;
    }
}

DecodePool::~DecodePool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void DecodePool::Link(Job& job, bool atFront) {
    job.queued_ = true;
    if (atFront) {
        job.previous_ = nullptr;
        job.next_ = first_;
        (first_ != nullptr ? first_->previous_ : last_) = &job;
        first_ = &job;
    } else {
        job.next_ = nullptr;
        job.previous_ = last_;
        (last_ != nullptr ? last_->next_ : first_) = &job;
        last_ = &job;
    }
}

void DecodePool::Unlink(Job& job) {
    (job.previous_ != nullptr ? job.previous_->next_ : first_) = job.next_;
    (job.next_ != nullptr ? job.next_->previous_ : last_) = job.previous_;
    job.previous_ = job.next_ = nullptr;
    job.queued_ = false;
}

void DecodePool::Submit(Job& job) noexcept {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Link(job, false);
    }
    wake_.notify_one();
}

bool DecodePool::Withdraw(Job& job) noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!job.queued_) {
        return false;
    }
    Unlink(job);
    return true;
}

void DecodePool::Promote(Job& job) noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    if (job.queued_ && first_ != &job) {
        Unlink(job);
        Link(job, true);
    }
}

void DecodePool::Work(BlockScratch& scratch) {
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || first_ != nullptr; });
            if (first_ == nullptr) {
                return;  // stopping, and nothing is left to run
            }
            job = first_;
            Unlink(*job);
        }
        job->Run(scratch);
    }
}

}  // namespace bspatch
