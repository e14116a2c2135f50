// Bits of a byte range of a ByteSource, most significant first, from any bit
// position: one block decoder, or the stream's frame, reads through each.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "Bzip2Error.h"
#include "ByteSource.h"

namespace bspatch {

// The bytes [begin, end) of a source that hold one bzip2 stream. Bit
// positions count from the first bit of `begin`.
struct StreamRange {
    ByteSource* source = nullptr;
    uint64_t begin = 0;
    uint64_t end = 0;

    uint64_t Bytes() const { return end - begin; }
};

class BitReader {
public:
    // Reads from bit `bit` of `range` through a buffer of `bufferSize` bytes.
    BitReader(const StreamRange& range, uint64_t bit, size_t bufferSize);
    BitReader(const BitReader&) = delete;
    BitReader& operator=(const BitReader&) = delete;

    // The next `n` bits (1..32) as a number; Truncated where the range ends.
    uint32_t Bits(int n) {
        if (count_ < n) {
            Refill();
            if (count_ < n) {
                Fail(Bzip2Fault::Truncated);
            }
        }
        uint32_t value = static_cast<uint32_t>(window_ >> (64 - n));
        window_ <<= n;
        count_ -= n;
        return value;
    }

    uint64_t Bits48() {
        uint64_t high = Bits(24);
        return (high << 24) | Bits(24);
    }

    // For decoding codes: tops the window up to at least 57 bits while the
    // range lasts. The next unread bit is bit 63 of Window(); Count() bits
    // are valid and the rest are zero.
    //
    //   window:  [b63 b62 ... b(64-count)] [0 ... 0]
    //             ^ next bit                 free room, filled a byte at a time
    void Refill() {
        if (count_ > 56) {
            return;
        }
        if (length_ - pos_ >= 8) {
            // Eight bytes at once, big-endian, of which the whole bytes that fit are kept.
            uint64_t next = 0;
            for (int i = 0; i < 8; ++i) {
                next = (next << 8) | buffer_[pos_ + static_cast<size_t>(i)];
            }
            int take = (64 - count_) / 8;
            window_ |= (next >> count_) & (~uint64_t{0} << (64 - count_ - 8 * take));
            pos_ += static_cast<size_t>(take);
            count_ += 8 * take;
            return;
        }
        while (count_ <= 56) {
            if (pos_ == length_ && !FillBuffer()) {
                return;
            }
            window_ |= static_cast<uint64_t>(buffer_[pos_++]) << (56 - count_);
            count_ += 8;
        }
    }
    uint64_t Window() const { return window_; }
    int Count() const { return count_; }
    void Skip(int n) {
        window_ <<= n;
        count_ -= n;
    }

    // Bits read so far, counted from the range's first bit.
    uint64_t Position() const { return nextFetch_ * 8 - (length_ - pos_) * 8 - count_; }

    // Source offset of the byte that holds the next unread bit.
    uint64_t Offset() const { return range_.begin + Position() / 8; }

    [[noreturn]] void Fail(Bzip2Fault fault) const { throw Bzip2Error(fault, Offset()); }

private:
    bool FillBuffer();

    StreamRange range_;
    uint64_t nextFetch_;  // range-relative offset of the next byte to fetch
    size_t capacity_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t pos_ = 0;
    size_t length_ = 0;
    uint64_t window_ = 0;
    int count_ = 0;
};

}  // namespace bspatch
