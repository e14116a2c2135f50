// Decodes the blocks of one bzip2 stream ahead of its reader on a shared
// DecodePool, and hands them over strictly in order. The scanner's candidate
// markers are decoded as they come, a bounded number ahead; the reader then
// takes the block that starts exactly where the previous one ended, so a
// false candidate is only ever wasted work, dropped once the reader passes
// it. At most the pool's workers decode at once. Portable.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "BlockScanner.h"
#include "Bzip2Block.h"
#include "DecodePool.h"

namespace bspatch {

struct BlockStats {
    uint64_t decodes = 0;  // candidates decoded or begun, on the pool or by the reader
    uint64_t taken = 0;    // blocks handed to the reader
    uint64_t failed = 0;   // candidates decoded on the pool that failed (false markers among them)
    // The most blocks at once decoding or decoded and waiting, and the most
    // bytes that decoded blocks held at once while they waited: what the
    // memory bound counts.
    size_t peakBlocks = 0;
    size_t peakHeldBytes = 0;
};

class BlockScheduler {
public:
    // Blocks of `range` from bit `firstBit` on, of at most `capacity`
    // symbols, with up to `lookahead` (at least 1) of them decoding or
    // decoded ahead of the reader. The first of them start decoding here; a
    // failure to read the stream is met by the first Take.
    BlockScheduler(const StreamRange& range, uint64_t firstBit, uint32_t capacity, DecodePool& pool,
                   size_t lookahead);
    // Withdraws or cancels what is still running and waits for it.
    ~BlockScheduler();
    BlockScheduler(const BlockScheduler&) = delete;
    BlockScheduler& operator=(const BlockScheduler&) = delete;

    // The block whose marker starts at `bit` (the caller has read a block
    // marker there), decoded and checked; candidates before `bit` are
    // dropped, and its decode goes first in the pool's queue if it has not
    // started. Throws what the decode threw.
    DecodedBlock Take(uint64_t bit);

    BlockStats Stats() const;

private:
    struct Slot;

    void Run(Slot& slot, BlockScratch& scratch);
    void Refill();
    size_t Live() const;
    void DropBefore(uint64_t bit);
    void ReapDropped();
    void StartDecode(uint64_t bit);
    void CountHeld();

    const StreamRange range_;
    const uint32_t capacity_;
    DecodePool& pool_;
    const size_t lookahead_;
    const size_t maxSlots_;  // failed candidates included

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    BlockScanner scanner_;
    std::map<uint64_t, std::unique_ptr<Slot>> slots_;  // by bit, ahead of the reader
    std::vector<std::unique_ptr<Slot>> dropped_;       // passed, still running
    BlockStats stats_;
};

}  // namespace bspatch
