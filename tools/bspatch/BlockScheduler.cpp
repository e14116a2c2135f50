#include "BlockScheduler.h"

#include <algorithm>

namespace bspatch {

struct BlockScheduler::Slot final : DecodePool::Job {
    Slot(BlockScheduler& owner, uint64_t bit) : owner(owner), bit(bit) {}
    void Run(BlockScratch& scratch) override { owner.Run(*this, scratch); }

    BlockScheduler& owner;
    const uint64_t bit;
    std::atomic<bool> cancel{false};
    // Under the owner's mutex. A candidate that failed holds only its error:
    // a false marker can decode whole before its CRC gives it away, and its
    // bytes would otherwise wait uncounted until the reader passes it.
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
    // Room for every candidate that can be passed while it runs, so that
    // dropping one (also in the destructor) allocates nothing.
    dropped_.reserve(maxSlots_);
    // Nothing after this may throw: the jobs started here point back at a
    // scheduler whose destructor would not run.
    std::lock_guard<std::mutex> lock(mutex_);
    Refill();
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
        block = DecodedBlock{};
    }
    std::lock_guard<std::mutex> lock(mutex_);
    slot.done = true;
    if (!slot.cancel.load(std::memory_order_relaxed)) {
        // Moved, not copied: the reader alone then holds the error, and no
        // count of it changes outside the lock.
        if (failure) {
            slot.failure = std::move(failure);
            ++stats_.failed;
        } else {
            slot.block = std::move(block);
        }
        CountHeld();
    }
    Refill();
    // Under the lock: once it is released, the destructor may run, and
    // nothing of this object may be touched after that.
    changed_.notify_all();
}

void BlockScheduler::StartDecode(uint64_t bit) {
    auto slot = std::make_unique<Slot>(*this, bit);
    Slot& added = *slot;
    slots_.emplace(bit, std::move(slot));  // the one step that may throw
    ++stats_.decodes;
    pool_.Submit(added);
    CountHeld();
}

// Blocks decoding, or decoded and waiting; a candidate still running after
// the reader passed it counts until it stops.
size_t BlockScheduler::Live() const {
    size_t live = dropped_.size();
    for (const auto& [bit, slot] : slots_) {
        if (!slot->done || !slot->failure) {
            ++live;
        }
    }
    return live;
}

void BlockScheduler::CountHeld() {
    size_t held = 0;
    for (const auto& [bit, slot] : slots_) {
        held += slot->block.HeldBytes();  // nothing while it runs, nor once it failed
    }
    stats_.peakBlocks = std::max(stats_.peakBlocks, Live());
    stats_.peakHeldBytes = std::max(stats_.peakHeldBytes, held);
}

// Starts decodes of the next candidates while fewer than lookahead_ blocks
// are live; maxSlots_ bounds how many failed candidates are kept. A failure
// to read the stream stops the look-ahead only: the reader meets it where
// the block that it reads for stands, in order with the stream's faults.
void BlockScheduler::Refill() {
    try {
        ReapDropped();
        while (Live() < lookahead_ && slots_.size() < maxSlots_) {
            std::optional<uint64_t> candidate = scanner_.Next();
            if (!candidate) {
                return;
            }
            if (slots_.count(*candidate) == 0) {
                StartDecode(*candidate);
            }
        }
    } catch (...) {
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
        // The scanner finds every marker, unless the stream could not be read
        // ahead; the decode then meets the failure itself.
        StartDecode(bit);
        it = slots_.find(bit);
    }
    Slot& slot = *it->second;
    if (!slot.done) {
        pool_.Promote(slot);
    }
    changed_.wait(lock, [&slot] { return slot.done; });
    DecodedBlock block = std::move(slot.block);
    std::exception_ptr failure = std::move(slot.failure);
    slots_.erase(it);
    ++stats_.taken;
    Refill();
    lock.unlock();
    if (failure) {
        std::rethrow_exception(std::move(failure));
    }
    return block;
}

BlockStats BlockScheduler::Stats() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stats_;
}

}  // namespace bspatch
