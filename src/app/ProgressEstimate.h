// How long the rest of a patch will take, from the bytes produced as they
// are seen: the rate over the last five seconds, so that it follows a change
// of pace without jumping at each reading, and none in the first two seconds
// after the first reading, while the rate is not known yet. Portable.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

class ProgressEstimate {
public:
    static constexpr uint64_t kWindowMs = 5000;
    static constexpr uint64_t kFirstEstimateMs = 2000;

    // A reading: at `nowMs` (a clock that never goes back), `produced` bytes.
    void Add(uint64_t nowMs, uint64_t produced);
    // Seconds until `total` bytes are produced, rounded up; nothing yet, or
    // while nothing moves.
    std::optional<uint64_t> SecondsLeft(uint64_t total) const;

private:
    struct Reading {
        uint64_t ms;
        uint64_t produced;
    };
    std::deque<Reading> readings_;  // the window's, and the last one before it
    uint64_t firstMs_ = 0;
};
