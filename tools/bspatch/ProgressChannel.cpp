#include "ProgressChannel.h"

#include <atomic>

namespace bspatch {
namespace {

using Word = std::atomic_ref<uint32_t>;
// Another process shares the block: its words must be atomic without a lock.
static_assert(Word::is_always_lock_free);
static_assert(alignof(ProgressBlock) >= Word::required_alignment);

// How often a reader tries before it gives up on a writer that keeps
// changing the block; a writer changes it at most every 20 ms.
constexpr int kReadAttempts = 100;

uint32_t Load(const uint32_t& word, std::memory_order order = std::memory_order_relaxed) {
    // Only loads: the block is shared memory that the caller may write.
    return Word(const_cast<uint32_t&>(word)).load(order);
}

void Store(uint32_t& word, uint32_t value, std::memory_order order = std::memory_order_relaxed) {
    Word(word).store(value, order);
}

void Store64(uint32_t (&words)[2], uint64_t value) {
    Store(words[0], static_cast<uint32_t>(value));
    Store(words[1], static_cast<uint32_t>(value >> 32));
}

uint64_t Load64(const uint32_t (&words)[2]) {
    return Load(words[0]) | uint64_t{Load(words[1])} << 32;
}

bool MakesSense(const ProgressReport& report) {
    return report.phase >= ProgressPhase::Starting && report.phase <= ProgressPhase::Failed &&
           report.produced <= report.newSize;
}

}  // namespace

void InitProgressBlock(ProgressBlock& block) {
    block = {};
    Store(block.magic, kProgressMagic);
    Store(block.version, kProgressVersion, std::memory_order_release);
}

bool ProgressBlockUsable(const ProgressBlock& block) {
    return Load(block.magic) == kProgressMagic &&
           Load(block.version, std::memory_order_acquire) == kProgressVersion;
}

void WriteProgress(ProgressBlock& block, const ProgressReport& report) {
    // Odd while the words change; the fence keeps their stores after it.
    const uint32_t sequence = Load(block.sequence);
    Store(block.sequence, sequence + 1);
    std::atomic_thread_fence(std::memory_order_release);
    Store(block.phase, static_cast<uint32_t>(report.phase));
    Store64(block.newSize, report.newSize);
    Store64(block.produced, report.produced);
    Store(block.sequence, sequence + 2, std::memory_order_release);
}

std::optional<ProgressReport> ReadProgress(const ProgressBlock& block) {
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        const uint32_t before = Load(block.sequence, std::memory_order_acquire);
        if (before % 2 != 0) {
            continue;
        }
        ProgressReport report;
        report.phase = static_cast<ProgressPhase>(Load(block.phase));
        report.newSize = Load64(block.newSize);
        report.produced = Load64(block.produced);
        // The loads above stay before the sequence is read again.
        std::atomic_thread_fence(std::memory_order_acquire);
        if (Load(block.sequence) != before) {
            continue;
        }
        return MakesSense(report) ? std::optional(report) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace bspatch
