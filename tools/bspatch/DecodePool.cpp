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

void DecodePool::Submit(Job& job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(&job);
    }
    wake_.notify_one();
}

bool DecodePool::Withdraw(Job& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(queue_.begin(), queue_.end(), &job);
    if (it == queue_.end()) {
        return false;
    }
    queue_.erase(it);
    return true;
}

void DecodePool::Promote(Job& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(queue_.begin(), queue_.end(), &job);
    if (it != queue_.end() && it != queue_.begin()) {
        queue_.erase(it);
        queue_.push_front(&job);
    }
}

void DecodePool::Work(BlockScratch& scratch) {
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;  // stopping, and nothing is left to run
            }
            job = queue_.front();
            queue_.pop_front();
        }
        job->Run(scratch);
    }
}

}  // namespace bspatch
