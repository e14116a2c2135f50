// A marker that starts at bit s (0..7) of byte j covers bytes j+1 .. j+5
// wholly, whatever s is. Its byte pairs (j+1, j+2) and (j+2, j+3) are bits
// 8-s .. 23-s and 16-s .. 31-s of the marker, and one of the two pairs starts
// at an even offset. So the scan looks only at pairs at even offsets, in a
// bitmap of the sixteen values that they can take, and checks bit by bit
// only around a hit: one look-up per two bytes.
#include "BlockScanner.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "Bzip2Block.h"

namespace bspatch {
namespace {

constexpr size_t kScanBufferSize = 64 * 1024;
constexpr size_t kPadding = 8;  // zeros after the last byte, for the checks
constexpr uint64_t kMask48 = (uint64_t{1} << 48) - 1;

constexpr std::array<uint64_t, 1024> MakeFilter() {
    std::array<uint64_t, 1024> filter{};
    for (int s = 0; s < 8; ++s) {
        for (int shift : {24 + s, 16 + s}) {
            uint32_t pair = static_cast<uint32_t>((kBlockMagic >> shift) & 0xFFFF);
            filter[pair >> 6] |= uint64_t{1} << (pair & 63);
        }
    }
    return filter;
}
constexpr std::array<uint64_t, 1024> kFilter = MakeFilter();

bool MayHold(const uint8_t* pair) {
    uint32_t value = (uint32_t{pair[0]} << 8) | pair[1];
    return (kFilter[value >> 6] >> (value & 63)) & 1;
}

}  // namespace

BlockScanner::BlockScanner(const StreamRange& range, uint64_t fromBit)
    : range_(range),
      minBit_(fromBit),
      buffer_(std::make_unique_for_overwrite<uint8_t[]>(kScanBufferSize + kPadding)) {
    Restart(fromBit);
}

void BlockScanner::Restart(uint64_t bit) {
    // The first marker wanted starts in byte bit / 8; its even pair is the
    // first even offset after that byte.
    pair_ = (bit / 8 + 2) & ~uint64_t{1};
    base_ = pair_ - 2;
    length_ = 0;
    pendingCount_ = pendingNext_ = 0;
}

void BlockScanner::SkipTo(uint64_t bit) {
    if (bit <= minBit_) {
        return;
    }
    minBit_ = bit;
    if (bit / 8 > pair_ + kScanBufferSize / 4) {
        Restart(bit);  // far ahead: what lies between need not be read
    }
}

bool BlockScanner::Load() {
    // Keep what the checks around the next pair still need.
    uint64_t keepFrom = std::max(base_, pair_ - 2);
    size_t keep = keepFrom < base_ + length_ ? static_cast<size_t>(base_ + length_ - keepFrom) : 0;
    std::memmove(buffer_.get(), buffer_.get() + (keepFrom - base_), keep);
    base_ = keepFrom;
    length_ = keep;
    uint64_t fetch = base_ + length_;
    if (fetch >= range_.Bytes()) {
        return false;
    }
    size_t want =
        static_cast<size_t>(std::min<uint64_t>(kScanBufferSize - length_, range_.Bytes() - fetch));
    range_.source->ReadAt(range_.begin + fetch, buffer_.get() + length_, want);
    length_ += want;
    std::memset(buffer_.get() + length_, 0, kPadding);
    return true;
}

// The markers whose even pair is the one at range offset `pair`: they start
// in byte pair - 2 or pair - 1.
void BlockScanner::Check(uint64_t pair) {
    const uint64_t rangeBits = range_.Bytes() * 8;
    for (uint64_t j = pair - 2; j < pair; ++j) {
        const uint8_t* bytes = buffer_.get() + (j - base_);
        uint64_t value = 0;
        for (int i = 0; i < 7; ++i) {
            value = (value << 8) | bytes[i];
        }
        for (int s = 0; s < 8; ++s) {
            uint64_t bit = j * 8 + static_cast<uint64_t>(s);
            if (((value >> (8 - s)) & kMask48) == kBlockMagic && bit + 48 <= rangeBits) {
                pending_[pendingCount_++] = bit;
            }
        }
    }
}

std::optional<uint64_t> BlockScanner::Next() {
    const uint64_t rangeBytes = range_.Bytes();
    for (;;) {
        while (pendingNext_ < pendingCount_) {
            uint64_t bit = pending_[pendingNext_++];
            if (bit >= minBit_) {
                return bit;
            }
        }
        pendingCount_ = pendingNext_ = 0;
        if (pair_ + 2 > rangeBytes) {
            return std::nullopt;
        }
        // Pairs whose checks have their seven bytes in the buffer, or the
        // padding where the range ends.
        const uint64_t buffered = base_ + length_;
        const uint64_t last = buffered >= rangeBytes ? rangeBytes - 2
                              : buffered >= 6        ? buffered - 6
                                                     : 0;
        if (length_ == 0 || pair_ > last) {
            if (!Load() && length_ == 0) {
                return std::nullopt;
            }
            continue;
        }
        const uint8_t* buffer = buffer_.get();
        size_t i = static_cast<size_t>(pair_ - base_);
        const size_t end = static_cast<size_t>(last - base_);
        while (i <= end && !MayHold(buffer + i)) {
            i += 2;
        }
        pair_ = base_ + i;
        if (i <= end) {
            Check(pair_);
            pair_ += 2;
        }
    }
}

}  // namespace bspatch
