#include "rtl/Random.h"

#include <atomic>

namespace {

// A 32-bit linear congruential generator: cheap, and good enough for
// dithering, which only needs the rows to look unordered.
constexpr std::uint32_t kMultiplier = 0x08088405u;
constexpr std::uint32_t kIncrement = 1u;

std::atomic<std::uint32_t>& State() {
    static std::atomic<std::uint32_t> state{0};
    return state;
}

}  // namespace

int Random(int range) {
    std::uint32_t current = State().load(std::memory_order_relaxed);
    std::uint32_t next = 0;
    do {
        next = current * kMultiplier + kIncrement;
    } while (!State().compare_exchange_weak(current, next, std::memory_order_relaxed));
    if (range <= 0) {
        return 0;
    }
    // The high bits of the state are the well-mixed ones.
    return static_cast<int>(
        (static_cast<std::uint64_t>(next) * static_cast<std::uint32_t>(range)) >> 32);
}

void RandSeed(std::uint32_t seed) {
    State().store(seed, std::memory_order_relaxed);
}
