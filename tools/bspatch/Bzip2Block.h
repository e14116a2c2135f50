// One bzip2 block decoded whole, from its marker to its end-of-block code,
// its CRC checked before any of its bytes are handed on. Long runs of one
// byte stay runs. Blocks are independent of each other, so several can be
// decoded at once, each by its own thread with its own BlockScratch.
// Portable.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "BitReader.h"

namespace bspatch {

// The decoded bytes of a block. Record r stands for `literals` bytes taken in
// turn from `bytes`, then RunLength() copies of RunByte().
struct DecodedBlock {
    struct Record {
        uint32_t literals = 0;
        uint32_t run = 0;  // (length << 8) | byte; the length may be 0
        uint32_t RunLength() const { return run >> 8; }
        uint8_t RunByte() const { return static_cast<uint8_t>(run); }
    };
    static constexpr uint32_t kMaxRun = (1u << 24) - 1;

    std::vector<uint8_t> bytes;
    std::vector<Record> records;  // exactly as many as it has: at most one per 5 symbols, and one
    uint32_t crc = 0;             // the block's CRC, which its bytes match
    uint64_t endBit = 0;          // the first bit after the block, in its stream's range

    // The memory that it holds: at most 0.9 MB of bytes and 1.44 MB of
    // records for a block of 900 000 symbols.
    size_t HeldBytes() const { return bytes.capacity() + records.capacity() * sizeof(Record); }
};

// Working memory of one decoding thread, kept from block to block so that
// it is allocated once. It grows with the blocks seen, up to 8.7 MB for
// blocks of 900 000 symbols, plus about 50 KB of code tables.
class BlockScratch {
public:
    BlockScratch();
    ~BlockScratch();
    BlockScratch(const BlockScratch&) = delete;
    BlockScratch& operator=(const BlockScratch&) = delete;

    struct Tables;
    Tables& CodeTables() { return *tables_; }
    // Per row of the transform: its last-column byte and the row before it
    // in the text; and the row after it with its first-column byte.
    std::vector<uint32_t> backward;
    std::vector<uint32_t> forward;
    // The run records as they are found; the block gets an exact copy, not
    // a vector grown by doubling (up to 2.1 MB for 1.44 MB of records).
    std::vector<DecodedBlock::Record> records;

private:
    std::unique_ptr<Tables> tables_;
};

// Thrown when a decode is given up through its cancel flag.
struct BlockCancelled {};

// Decodes the block whose 48-bit marker starts at bit `bit` of `range`.
// `capacity` is the stream header's block size. Throws Bzip2Error for bad
// data (a marker that is not a block's is BadMagic), PatchError when the
// source cannot be read, and BlockCancelled once `cancel` is set.
void DecodeBlock(const StreamRange& range, uint64_t bit, uint32_t capacity, BlockScratch& scratch,
                 DecodedBlock& block, const std::atomic<bool>* cancel = nullptr);

constexpr uint64_t kBlockMagic = 0x314159265359;  // digits of pi
constexpr uint64_t kEndMagic = 0x177245385090;    // digits of sqrt(pi)

}  // namespace bspatch
