#include "app/ProgressEstimate.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNoEnd = 1e12;

}  // namespace

void ProgressEstimate::Add(uint64_t nowMs, uint64_t produced) {
    if (readings_.empty()) {
        firstMs_ = nowMs;
    }
    readings_.push_back({nowMs, produced});
    // The oldest reading kept is the last one at or before the window's start.
    while (readings_.size() > 2 && nowMs - readings_[1].ms >= kWindowMs) {
        readings_.pop_front();
    }
}

std::optional<uint64_t> ProgressEstimate::SecondsLeft(uint64_t total) const {
    if (readings_.size() < 2 || readings_.back().ms - firstMs_ < kFirstEstimateMs) {
        return std::nullopt;
    }
    const Reading& first = readings_.front();
    const Reading& last = readings_.back();
    if (last.produced <= first.produced || last.ms <= first.ms || last.produced > total) {
        return std::nullopt;
    }
    // Bytes a millisecond as a fraction, so that no product overflows.
    const double rate = static_cast<double>(last.produced - first.produced) /
                        static_cast<double>(last.ms - first.ms);
    const double seconds = static_cast<double>(total - last.produced) / rate / 1000.0;
    // A crawl of a byte a day still converts to an integer.
    return static_cast<uint64_t>(std::min(std::ceil(seconds), kNoEnd));
}
