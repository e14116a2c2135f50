#include "BlockScheduler.h"

#include <algorithm>

namespace bspatch {

struct BlockScheduler::Slot final : DecodePool::Job {
    Slot(BlockScheduler& owner, uint64_t bit) : owner(owner), bit(bit) {}
    void Run(BlockScratch& scratch) override { owner.Run(*this, scratch); }

    BlockScheduler& owner;
    const uint64_t bit;
    std::atomic<bool> cancel{false};
    // Under the owner's mutex:
    bool done = false;
    DecodedBlock block;
    std::exception_ptr failure;
};

BlockScheduler::BlockScheduler(const StreamRange& range, uint64_t firstBit, uint32_t capacity,
                               DecodePool& pool, size_t lookahead)
    : range_(range),
      capacity_(capacity),
      pool_(pool),
      lookahead_(std::max<size_t>(lookahead, 1)),
      maxSlots_(4 * lookahead_ + 16),
      scanner_(range, firstBit) {
    std::lock_guard<std::mutex> lock(mutex_);
    Refill();  // the first blocks start decoding now
}

BlockScheduler::~BlockScheduler() {
    std::unique_lock<std::mutex> lock(mutex_);
    DropBefore(UINT64_MAX);
    changed_.wait(lock, [this] {
        ReapDropped();
        return dropped_.empty();
    });
}

void BlockScheduler::Run(Slot& slot, BlockScratch& scratch) {
    DecodedBlock block;
    std::exception_ptr failure;
    try {
        DecodeBlock(range_, slot.bit, capacity_, scratch, block, &slot.cancel);
    } catch (...) {
        failure = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        slot.done = true;
        if (!slot.cancel.load(std::memory_order_relaxed)) {
            slot.block = std::move(block);
            slot.failure = failure;
        }
        try {
            Refill();
        } catch (...) {
            // The reader meets the same failure when it scans on.
        }
        // Under the lock: once it is released, the destructor may run, and
        // nothing of this object may be touched after that.
        changed_.notify_all();
    }
}

BlockScheduler::Slot& BlockScheduler::AddSlot(uint64_t bit) {
    auto slot = std::make_unique<Slot>(*this, bit);
    Slot& added = *slot;
    slots_.emplace(bit, std::move(slot));
    ++stats_.decodes;
    return added;
}

// Starts decodes of the next candidates while fewer than lookahead_ blocks
// are decoding or decoded and waiting. A candidate that failed holds only
// its error; maxSlots_ still bounds how many of those are kept.
void BlockScheduler::Refill() {
    for (;;) {
        size_t live = 0;
        for (const auto& [bit, slot] : slots_) {
            if (!slot->done || !slot->failure) {
                ++live;
            }
        }
        if (live >= lookahead_ || slots_.size() >= maxSlots_) {
            return;
        }
        std::optional<uint64_t> candidate = scanner_.Next();
        if (!candidate) {
            return;
        }
        if (slots_.count(*candidate) == 0) {
            pool_.Submit(AddSlot(*candidate));
        }
    }
}

void BlockScheduler::DropBefore(uint64_t bit) {
    for (auto it = slots_.begin(); it != slots_.end() && it->first < bit;) {
        Slot& slot = *it->second;
        if (!slot.done && !pool_.Withdraw(slot)) {
            slot.cancel.store(true, std::memory_order_relaxed);
            dropped_.push_back(std::move(it->second));
        }
        it = slots_.erase(it);
    }
    ReapDropped();
    scanner_.SkipTo(bit);
}

void BlockScheduler::ReapDropped() {
    std::erase_if(dropped_, [](const std::unique_ptr<Slot>& slot) { return slot->done; });
}

DecodedBlock BlockScheduler::Take(uint64_t bit) {
    std::unique_lock<std::mutex> lock(mutex_);
    DropBefore(bit);
    Refill();
    auto it = slots_.find(bit);
    if (it == slots_.end()) {
        // The scanner finds every marker; this holds should it ever not.
        pool_.Submit(AddSlot(bit));
        it = slots_.find(bit);
    }
    Slot& slot = *it->second;
    if (!slot.done) {
        pool_.Promote(slot);
    }
    changed_.wait(lock, [&slot] { return slot.done; });
    DecodedBlock block = std::move(slot.block);
    std::exception_ptr failure = slot.failure;
    slots_.erase(it);
    ++stats_.taken;
    Refill();
    lock.unlock();
    if (failure) {
        std::rethrow_exception(failure);
    }
    return block;
}

BlockStats BlockScheduler::Stats() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stats_;
}

}  // namespace bspatch
