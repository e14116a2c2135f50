#include "DecodePool.h"

#include <algorithm>
#include <memory>
#include <new>

namespace bspatch {

size_t DecodePool::WorkerCount(size_t workers) {
    if (workers == 0) {
        workers = std::thread::hardware_concurrency();  // 0 where unknown
    }
    return std::clamp<size_t>(workers, 1, kMaxWorkers);
}

DecodePool::DecodePool(size_t workers) {
    size_t count = WorkerCount(workers);
    threads_.reserve(count);
    try {
        for (size_t i = 0; i < count; ++i) {
            threads_.emplace_back([this] { Work(); });
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

void DecodePool::Work() {
    std::unique_ptr<BlockScratch> scratch;
    try {
        scratch = std::make_unique<BlockScratch>();
    } catch (const std::bad_alloc&) {
        return;  // the readers run their jobs themselves when none is taken
    }
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
        job->Run(*scratch);
    }
}

}  // namespace bspatch
