// Test-side building of bzip2 streams bit by bit: blocks cut out of what
// libbz2 writes, blocks made from a chosen symbol sequence, and streams of
// any of them, with their CRCs fixed up.
#pragma once

#include <cstdint>
#include <vector>

#include "TestFiles.h"

namespace bspatch_test {

class BitString {
public:
    void Put(uint64_t value, int count);  // most significant bit first
    void Append(const BitString& other);
    void AppendFrom(const Bytes& bytes, size_t fromBit, size_t toBit);
    uint64_t Get(size_t at, int count) const;
    void Set(size_t at, int count, uint64_t value);
    size_t Size() const { return bits_.size(); }
    Bytes ToBytes() const;  // padded with zero bits to a whole byte

private:
    std::vector<bool> bits_;
};

uint64_t GetBits(const Bytes& stream, size_t bitOffset, int count);
void PutBits(Bytes& stream, size_t bitOffset, int count, uint64_t value);

// The bzip2 CRC, bit by bit, written apart from the decoder's tables: the
// register after `data`, and the CRC of `data` alone.
uint32_t SlowCrcUpdate(uint32_t crc, const Bytes& data);
inline uint32_t SlowCrc(const Bytes& data) {
    return ~SlowCrcUpdate(0xFFFFFFFFu, data);
}

// Bit offset of the end-of-stream marker: it is followed by the 32-bit CRC
// and 0..7 bits of padding.
size_t EndMarkerBit(const Bytes& stream);

// What libbz2 writes for a stream (4 MB at most) before it reports an
// error; `whole`: whether it reached the stream's end with both CRCs right.
Bytes LibraryOutputBeforeError(const Bytes& stream, bool* whole = nullptr);

struct BlockBits {
    BitString bits;  // from the block marker to the end-of-block code
    uint32_t crc = 0;
    Bytes data;  // what the block decodes to
};

// The single block of libbz2's stream of `data`, which must fit one block.
BlockBits LibraryBlock(const Bytes& data, int level);

// A stream "BZh<level>" of these blocks, with its combined CRC.
Bytes StreamOf(int level, const std::vector<BlockBits>& blocks);

// Where each block of StreamOf(level, blocks) starts, in bits.
std::vector<size_t> BlockStarts(const std::vector<BlockBits>& blocks);

// A block of the byte values 'a', 'b' and 'c' from a sequence of symbols:
// 0 RUNA, 1 RUNB, 2 and 3 move the second and third byte of the list to the
// front. Its one code is RUNA 00, RUNB 01, 2 = 10, 3 = 110, end 111, so a
// test can spell any bits without three 1s in a row inside the block's
// Huffman data. The CRC is fixed from what libbz2 decodes.
BlockBits HandBlock(const std::vector<int>& symbols, uint32_t origin);

// The symbols that spell `count` bits of `value`, or `bits`, in HandBlock's
// code; zero bits pad the last one.
std::vector<int> SpellBits(uint64_t value, int count);
std::vector<int> SpellBits(const BitString& bits);

// A block of `runLength` (more than 1170) 'a's that decodes whole and then fails its CRC,
// with no three 1s in a row in its bits, so that HandBlock can spell it in
// its own data: a false block marker that costs a whole decode.
BitString FalseBlockBits(uint32_t runLength);

}  // namespace bspatch_test
