// Finds, ahead of the decoding, the bit positions in a bzip2 stream where the
// 48-bit block marker stands. Blocks are not byte-aligned, so every bit
// position counts. A find is only a candidate: the same 48 bits can occur
// inside a block's data, and only decoding from the previous block's end
// says where a block really starts. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "BitReader.h"

namespace bspatch {

class BlockScanner {
public:
    BlockScanner(const StreamRange& range, uint64_t fromBit);
    BlockScanner(const BlockScanner&) = delete;
    BlockScanner& operator=(const BlockScanner&) = delete;

    // The next position of the marker after the last one returned, at or
    // after the skip point; empty once the range has been scanned to its end.
    std::optional<uint64_t> Next();

    // Candidates before `bit` are of no more use.
    void SkipTo(uint64_t bit);

private:
    void Restart(uint64_t bit);
    bool Load();  // more of the range into the buffer; false at its end
    void Check(uint64_t pair);

    StreamRange range_;
    uint64_t minBit_;
    std::unique_ptr<uint8_t[]> buffer_;
    uint64_t base_ = 0;  // range offset of buffer_[0]
    size_t length_ = 0;  // bytes of the range in the buffer, zeros after them
    uint64_t pair_ = 0;  // range offset of the next pair of bytes to look at (even)
    uint64_t pending_[16];
    int pendingCount_ = 0;
    int pendingNext_ = 0;
};

}  // namespace bspatch
