// The bzip2 1.0 format, decoded stage by stage:
//
//   stream  = "BZh" level('1'..'9') block* end
//   block   = 0x314159265359 (48 bits) crc(32) randomised(1) origin(24)
//             used-groups(16) used-bytes(16 per group set) groups(3)
//             selectors(15) selector-MTF(unary each) code-lengths huffman-data
//   end     = 0x177245385090 (48 bits) combined-crc(32) pad-to-byte
//
// The Huffman data is a sequence of move-to-front indices with runs of the
// front symbol written as bijective base-2 numbers (RUNA = 1, RUNB = 2 times
// the place value), ended by an end-of-block symbol. The decoded block is the
// last column of a Burrows-Wheeler transform; undoing it gives bytes in which
// four equal bytes are followed by a count (0..255) of further repeats.
#include "Bzip2Decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace bspatch {
namespace {

constexpr uint64_t kBlockMagic = 0x314159265359;  // digits of pi
constexpr uint64_t kEndMagic = 0x177245385090;    // digits of sqrt(pi)
constexpr uint32_t kBlockUnit = 100000;           // block size per level digit
constexpr int kMaxGroups = 6;                     // Huffman tables per block
constexpr int kMinGroups = 2;
constexpr int kGroupSize = 50;        // symbols coded by one selector
constexpr int kMaxSelectors = 32767;  // the 15-bit count field
constexpr int kMaxAlphabet = 258;     // 256 MTF values + RUNA/RUNB - 1 + EOB
constexpr int kMaxCodeLength = 20;
constexpr int kLookupBits = 10;  // codes this short decode in one step
constexpr size_t kInputBufferSize = 64 * 1024;

constexpr int kRunA = 0;
constexpr int kRunB = 1;

// The CRC of bzip2: polynomial 0x04C11DB7, most significant bit first.
constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
        table[i] = crc;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

// Randomised blocks (written by bzip2 before 0.9.5 for repetitive input)
// flip the low bit of the transform's output at distances taken from this
// table of the format, cycled.
constexpr uint16_t kRandomDistances[512] = {
    619, 720, 127, 481, 931, 816, 813, 233, 566, 247, 985, 724, 205, 454, 863, 491, 741, 242, 949,
    214, 733, 859, 335, 708, 621, 574, 73,  654, 730, 472, 419, 436, 278, 496, 867, 210, 399, 680,
    480, 51,  878, 465, 811, 169, 869, 675, 611, 697, 867, 561, 862, 687, 507, 283, 482, 129, 807,
    591, 733, 623, 150, 238, 59,  379, 684, 877, 625, 169, 643, 105, 170, 607, 520, 932, 727, 476,
    693, 425, 174, 647, 73,  122, 335, 530, 442, 853, 695, 249, 445, 515, 909, 545, 703, 919, 874,
    474, 882, 500, 594, 612, 641, 801, 220, 162, 819, 984, 589, 513, 495, 799, 161, 604, 958, 533,
    221, 400, 386, 867, 600, 782, 382, 596, 414, 171, 516, 375, 682, 485, 911, 276, 98,  553, 163,
    354, 666, 933, 424, 341, 533, 870, 227, 730, 475, 186, 263, 647, 537, 686, 600, 224, 469, 68,
    770, 919, 190, 373, 294, 822, 808, 206, 184, 943, 795, 384, 383, 461, 404, 758, 839, 887, 715,
    67,  618, 276, 204, 918, 873, 777, 604, 560, 951, 160, 578, 722, 79,  804, 96,  409, 713, 940,
    652, 934, 970, 447, 318, 353, 859, 672, 112, 785, 645, 863, 803, 350, 139, 93,  354, 99,  820,
    908, 609, 772, 154, 274, 580, 184, 79,  626, 630, 742, 653, 282, 762, 623, 680, 81,  927, 626,
    789, 125, 411, 521, 938, 300, 821, 78,  343, 175, 128, 250, 170, 774, 972, 275, 999, 639, 495,
    78,  352, 126, 857, 956, 358, 619, 580, 124, 737, 594, 701, 612, 669, 112, 134, 694, 363, 992,
    809, 743, 168, 974, 944, 375, 748, 52,  600, 747, 642, 182, 862, 81,  344, 805, 988, 739, 511,
    655, 814, 334, 249, 515, 897, 955, 664, 981, 649, 113, 974, 459, 893, 228, 433, 837, 553, 268,
    926, 240, 102, 654, 459, 51,  686, 754, 806, 760, 493, 403, 415, 394, 687, 700, 946, 670, 656,
    610, 738, 392, 760, 799, 887, 653, 978, 321, 576, 617, 626, 502, 894, 679, 243, 440, 680, 879,
    194, 572, 640, 724, 926, 56,  204, 700, 707, 151, 457, 449, 797, 195, 791, 558, 945, 679, 297,
    59,  87,  824, 713, 663, 412, 693, 342, 606, 134, 108, 571, 364, 631, 212, 174, 643, 304, 329,
    343, 97,  430, 751, 497, 314, 983, 374, 822, 928, 140, 206, 73,  263, 980, 736, 876, 478, 430,
    305, 170, 514, 364, 692, 829, 82,  855, 953, 676, 246, 369, 970, 294, 750, 807, 827, 150, 790,
    288, 923, 804, 378, 215, 828, 592, 281, 565, 555, 710, 82,  896, 831, 547, 261, 524, 462, 293,
    465, 502, 56,  661, 821, 976, 991, 658, 869, 905, 758, 745, 193, 768, 550, 608, 933, 378, 286,
    215, 979, 792, 961, 61,  688, 793, 644, 986, 403, 106, 366, 905, 644, 372, 567, 466, 434, 645,
    210, 389, 550, 919, 135, 780, 773, 635, 389, 707, 100, 626, 958, 165, 504, 920, 176, 193, 713,
    857, 265, 203, 50,  668, 108, 645, 990, 626, 197, 510, 357, 358, 850, 858, 364, 936, 638,
};

// One Huffman table in canonical form. Codes of up to kLookupBits bits decode
// through `lookup`; longer ones by comparing against the first code of each
// length.
struct HuffmanTable {
    // (length << 9) | symbol, or 0 where the prefix belongs to a longer code
    // or to no code at all.
    uint16_t lookup[1 << kLookupBits];
    uint32_t firstCode[kMaxCodeLength + 1];
    uint16_t count[kMaxCodeLength + 1];
    uint16_t firstIndex[kMaxCodeLength + 1];  // into `sorted`
    uint16_t sorted[kMaxAlphabet];            // symbols by length, then value
    int maxLength;
};

}  // namespace

const char* Bzip2FaultText(Bzip2Fault fault) {
    switch (fault) {
        case Bzip2Fault::Truncated:
            return "bzip2 data ends early";
        case Bzip2Fault::BadStreamHeader:
            return "bad bzip2 stream header";
        case Bzip2Fault::BadMagic:
            return "bad bzip2 block marker";
        case Bzip2Fault::BadSymbolMap:
            return "bad bzip2 symbol map";
        case Bzip2Fault::BadSelectors:
            return "bad bzip2 selectors";
        case Bzip2Fault::BadCodeLengths:
            return "bad bzip2 Huffman code lengths";
        case Bzip2Fault::BadSymbol:
            return "bad bzip2 Huffman code";
        case Bzip2Fault::BlockTooLong:
            return "bzip2 block longer than its stream allows";
        case Bzip2Fault::BadOrigin:
            return "bad bzip2 block origin";
        case Bzip2Fault::BlockCrc:
            return "bzip2 block CRC mismatch";
        case Bzip2Fault::StreamCrc:
            return "bzip2 stream CRC mismatch";
        case Bzip2Fault::TrailingData:
            return "data after the end of the bzip2 stream";
    }
    return "bad bzip2 data";
}

struct Bzip2Decoder::State {
    enum class Phase { StreamHeader, BlockStart, BlockOutput, Done };

    State(ByteSource& source, uint64_t begin, uint64_t end)
        : source(source),
          nextFetch(begin),
          end(end),
          inputCapacity(
              static_cast<size_t>(std::clamp<uint64_t>(end - begin, 1, kInputBufferSize))),
          input(std::make_unique_for_overwrite<uint8_t[]>(inputCapacity)) {}

    // --- Input -------------------------------------------------------------
    ByteSource& source;
    uint64_t nextFetch;  // source offset of the next byte to fetch
    uint64_t end;
    size_t inputCapacity;
    std::unique_ptr<uint8_t[]> input;
    size_t inputPos = 0;
    size_t inputLength = 0;

    // Bits, most significant first: the next unread bit of the stream is bit
    // 63 of `bitBuffer`; `bitCount` bits are valid, the rest are zero.
    //
    //   bitBuffer:  [b63 b62 ... b(64-bitCount)] [0 ... 0]
    //                 ^ next bit                   free room, filled a byte at a time
    uint64_t bitBuffer = 0;
    int bitCount = 0;

    // --- Stream and block ----------------------------------------------------
    Phase phase = Phase::StreamHeader;
    uint32_t blockCapacity = 0;  // symbols per block, from the level digit
    uint32_t combinedCrc = 0;
    uint32_t storedBlockCrc = 0;
    bool randomised = false;
    uint32_t origin = 0;

    int symbolsInUse = 0;
    uint8_t symbolToByte[256];  // MTF value -> byte
    int groupCount = 0;
    int selectorCount = 0;
    uint8_t selectors[kMaxSelectors];
    uint8_t codeLengths[kMaxGroups][kMaxAlphabet];
    HuffmanTable tables[kMaxGroups];

    // The block: after decoding, the low byte of each entry is the last
    // column; the inverse transform puts the successor index in the upper 24
    // bits (block sizes stay below 2^24).
    // It grows with the blocks seen, up to the level's block size, so that
    // small streams stay small.
    std::vector<uint32_t> vector;
    uint32_t blockLength = 0;

    // --- Output of the current block ----------------------------------------
    uint32_t walkPos = 0;  // next entry of the transform walk
    uint32_t walked = 0;   // bytes taken from the walk so far
    int lastByte = -1;     // for the final run-length stage
    int runLength = 0;     // equal bytes seen in a row (up to 4)
    uint32_t pendingRepeats = 0;
    uint32_t blockCrc = 0;
    int randomIndex = 0;
    int randomCountdown = 0;

    // Source offset of the byte that holds the next unread bit.
    uint64_t Offset() const { return nextFetch - (inputLength - inputPos) - bitCount / 8; }

    [[noreturn]] void Fail(Bzip2Fault fault) const { throw Bzip2Error(fault, Offset()); }

    // --- Bits ---------------------------------------------------------------
    bool FillInput() {
        if (nextFetch >= end) {
            return false;
        }
        size_t want = static_cast<size_t>(std::min<uint64_t>(inputCapacity, end - nextFetch));
        source.ReadAt(nextFetch, input.get(), want);
        nextFetch += want;
        inputPos = 0;
        inputLength = want;
        return true;
    }

    // Tops up the bit buffer to at least 57 bits while input lasts.
    void Refill() {
        while (bitCount <= 56) {
            if (inputPos == inputLength && !FillInput()) {
                return;
            }
            bitBuffer |= static_cast<uint64_t>(input[inputPos++]) << (56 - bitCount);
            bitCount += 8;
        }
    }

    // The next `n` bits (1..32) as a number.
    uint32_t Bits(int n) {
        if (bitCount < n) {
            Refill();
            if (bitCount < n) {
                Fail(Bzip2Fault::Truncated);
            }
        }
        uint32_t value = static_cast<uint32_t>(bitBuffer >> (64 - n));
        bitBuffer <<= n;
        bitCount -= n;
        return value;
    }

    uint64_t Bits48() {
        uint64_t high = Bits(24);
        return (high << 24) | Bits(24);
    }

    // --- Stream header ----------------------------------------------------------
    void ReadStreamHeader() {
        const uint64_t start = Offset();
        uint32_t header = Bits(32);
        uint32_t level = header & 0xFF;
        if ((header >> 8) != 0x425A68 || level < '1' || level > '9') {  // "BZh" and a digit
            throw Bzip2Error(Bzip2Fault::BadStreamHeader, start);
        }
        blockCapacity = (level - '0') * kBlockUnit;
        phase = Phase::BlockStart;
    }

    // --- Block header or end of stream ---------------------------------------------
    // Returns false at the end-of-stream marker, after its checks.
    bool ReadBlockHeader() {
        uint64_t magic = Bits48();
        if (magic == kEndMagic) {
            ReadStreamEnd();
            return false;
        }
        if (magic != kBlockMagic) {
            Fail(Bzip2Fault::BadMagic);
        }
        storedBlockCrc = Bits(32);
        randomised = Bits(1) != 0;
        origin = Bits(24);
        return true;
    }

    void ReadStreamEnd() {
        if (Bits(32) != combinedCrc) {
            Fail(Bzip2Fault::StreamCrc);
        }
        // What is left of the last byte is padding; after it the range ends.
        bitBuffer <<= bitCount % 8;
        bitCount -= bitCount % 8;
        if (bitCount != 0 || inputPos != inputLength || nextFetch != end) {
            Fail(Bzip2Fault::TrailingData);
        }
        phase = Phase::Done;
    }

    // --- Symbol map: which byte values occur, in 16 groups of 16 ---------------------
    void ReadSymbolMap() {
        uint32_t groupsUsed = Bits(16);
        symbolsInUse = 0;
        for (int group = 0; group < 16; ++group) {
            if (groupsUsed & (0x8000u >> group)) {
                uint32_t bytesUsed = Bits(16);
                for (int i = 0; i < 16; ++i) {
                    if (bytesUsed & (0x8000u >> i)) {
                        symbolToByte[symbolsInUse++] = static_cast<uint8_t>(group * 16 + i);
                    }
                }
            }
        }
        if (symbolsInUse == 0) {
            Fail(Bzip2Fault::BadSymbolMap);
        }
    }

    // --- Selectors: which table codes each run of 50 symbols, MTF-coded in unary ---
    void ReadSelectors() {
        groupCount = static_cast<int>(Bits(3));
        selectorCount = static_cast<int>(Bits(15));
        if (groupCount < kMinGroups || groupCount > kMaxGroups || selectorCount == 0) {
            Fail(Bzip2Fault::BadSelectors);
        }
        uint8_t order[kMaxGroups];
        for (int i = 0; i < kMaxGroups; ++i) {
            order[i] = static_cast<uint8_t>(i);
        }
        for (int s = 0; s < selectorCount; ++s) {
            int index = 0;
            while (Bits(1) != 0) {
                if (++index >= groupCount) {
                    Fail(Bzip2Fault::BadSelectors);
                }
            }
            uint8_t table = order[index];
            std::memmove(order + 1, order, static_cast<size_t>(index));
            order[0] = table;
            selectors[s] = table;
        }
    }

    // --- Code lengths: a 5-bit start, then per symbol deltas (10 = +1, 11 = -1, 0 = next) ---
    void ReadCodeLengths() {
        int alphabet = symbolsInUse + 2;
        for (int group = 0; group < groupCount; ++group) {
            int length = static_cast<int>(Bits(5));
            for (int symbol = 0; symbol < alphabet; ++symbol) {
                for (;;) {
                    if (length < 1 || length > kMaxCodeLength) {
                        Fail(Bzip2Fault::BadCodeLengths);
                    }
                    if (Bits(1) == 0) {
                        break;
                    }
                    length += Bits(1) == 0 ? 1 : -1;
                }
                codeLengths[group][symbol] = static_cast<uint8_t>(length);
            }
            BuildTable(codeLengths[group], alphabet, tables[group]);
        }
    }

    // Canonical codes: shorter codes first, equal lengths by symbol value.
    void BuildTable(const uint8_t* lengths, int alphabet, HuffmanTable& table) {
        std::memset(table.count, 0, sizeof table.count);
        for (int symbol = 0; symbol < alphabet; ++symbol) {
            ++table.count[lengths[symbol]];
        }
        uint32_t code = 0;
        uint16_t index = 0;
        table.maxLength = 0;
        for (int length = 1; length <= kMaxCodeLength; ++length) {
            table.firstCode[length] = code;
            table.firstIndex[length] = index;
            code += table.count[length];
            index = static_cast<uint16_t>(index + table.count[length]);
            if (code > (1u << length)) {
                Fail(Bzip2Fault::BadCodeLengths);  // over-full: not a prefix code
            }
            if (table.count[length] != 0) {
                table.maxLength = length;
            }
            code <<= 1;
        }
        uint16_t next[kMaxCodeLength + 1];
        std::memcpy(next, table.firstIndex, sizeof next);
        for (int symbol = 0; symbol < alphabet; ++symbol) {
            table.sorted[next[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
        }
        std::memset(table.lookup, 0, sizeof table.lookup);
        for (int length = 1; length <= kLookupBits; ++length) {
            for (int i = 0; i < table.count[length]; ++i) {
                uint32_t first = (table.firstCode[length] + i) << (kLookupBits - length);
                uint32_t span = 1u << (kLookupBits - length);
                uint16_t entry = static_cast<uint16_t>((length << 9) |
                                                       table.sorted[table.firstIndex[length] + i]);
                std::fill_n(table.lookup + first, span, entry);
            }
        }
    }

    int DecodeSymbol(const HuffmanTable& table) {
        if (bitCount < kMaxCodeLength) {
            Refill();
        }
        uint16_t entry = table.lookup[bitBuffer >> (64 - kLookupBits)];
        if (entry != 0) {
            int length = entry >> 9;
            if (length > bitCount) {
                Fail(Bzip2Fault::Truncated);
            }
            bitBuffer <<= length;
            bitCount -= length;
            return entry & 0x1FF;
        }
        for (int length = kLookupBits + 1; length <= table.maxLength; ++length) {
            uint32_t code = static_cast<uint32_t>(bitBuffer >> (64 - length));
            uint32_t offset = code - table.firstCode[length];
            if (offset < table.count[length]) {
                if (length > bitCount) {
                    Fail(Bzip2Fault::Truncated);
                }
                bitBuffer <<= length;
                bitCount -= length;
                return table.sorted[table.firstIndex[length] + offset];
            }
        }
        Fail(bitCount < table.maxLength ? Bzip2Fault::Truncated : Bzip2Fault::BadSymbol);
    }

    // Grows the vector to hold `needed` (at most blockCapacity) entries.
    void Reserve(uint32_t needed) {
        if (needed > vector.size()) {
            size_t grown = std::max<size_t>({needed, vector.size() * 2, 4096});
            vector.resize(std::min<size_t>(grown, blockCapacity));
        }
    }

    // --- Huffman data: MTF indices and runs into the block vector -------------
    void DecodeSymbols(uint32_t (&byteCounts)[256]) {
        const int endOfBlock = symbolsInUse + 1;
        uint8_t mtf[256];
        for (int i = 0; i < 256; ++i) {
            mtf[i] = static_cast<uint8_t>(i);
        }
        uint32_t length = 0;
        uint32_t run = 0;
        int runShift = 0;
        int selector = 0;
        int leftInGroup = 0;
        const HuffmanTable* table = nullptr;
        for (;;) {
            if (leftInGroup == 0) {
                if (selector >= selectorCount || selectors[selector] >= groupCount) {
                    Fail(Bzip2Fault::BadSelectors);
                }
                table = &tables[selectors[selector++]];
                leftInGroup = kGroupSize;
            }
            --leftInGroup;
            int symbol = DecodeSymbol(*table);
            if (symbol == kRunA || symbol == kRunB) {
                // Bijective base 2: RUNA adds 1, RUNB 2, times the place value.
                if (runShift > 24) {
                    Fail(Bzip2Fault::BlockTooLong);
                }
                run += static_cast<uint32_t>(symbol + 1) << runShift;
                ++runShift;
                if (run > blockCapacity - length) {
                    Fail(Bzip2Fault::BlockTooLong);
                }
                continue;
            }
            if (run != 0) {
                uint8_t byte = symbolToByte[mtf[0]];
                byteCounts[byte] += run;
                Reserve(length + run);
                std::fill_n(vector.data() + length, run, byte);
                length += run;
                run = 0;
                runShift = 0;
            }
            if (symbol == endOfBlock) {
                break;
            }
            if (length >= blockCapacity) {
                Fail(Bzip2Fault::BlockTooLong);
            }
            if (length == vector.size()) {
                Reserve(length + 1);
            }
            // Symbol s moves the value at position s - 1 to the front.
            int position = symbol - 1;
            uint8_t value = mtf[position];
            std::memmove(mtf + 1, mtf, static_cast<size_t>(position));
            mtf[0] = value;
            uint8_t byte = symbolToByte[value];
            ++byteCounts[byte];
            vector[length++] = byte;
        }
        blockLength = length;
    }

    // --- Inverse Burrows-Wheeler transform --------------------------------------------
    void InverseTransform(const uint32_t (&byteCounts)[256]) {
        if (origin >= blockLength) {
            Fail(Bzip2Fault::BadOrigin);
        }
        uint32_t start[256];
        uint32_t sum = 0;
        for (int b = 0; b < 256; ++b) {
            start[b] = sum;
            sum += byteCounts[b];
        }
        uint32_t* v = vector.data();
        for (uint32_t i = 0; i < blockLength; ++i) {
            v[start[v[i] & 0xFF]++] |= i << 8;
        }
        walkPos = v[origin] >> 8;
        walked = 0;
        lastByte = -1;
        runLength = 0;
        pendingRepeats = 0;
        blockCrc = 0xFFFFFFFFu;
        randomIndex = 0;
        randomCountdown = 0;
    }

    void DecodeBlock() {
        ReadSymbolMap();
        ReadSelectors();
        ReadCodeLengths();
        uint32_t byteCounts[256] = {};
        DecodeSymbols(byteCounts);
        InverseTransform(byteCounts);
        phase = Phase::BlockOutput;
    }

    // --- Output: walk the transform, undo the final run-length stage, CRC -------
    size_t EmitBlock(uint8_t* out, size_t size) {
        uint8_t* const first = out;
        uint8_t* const last = out + size;
        const uint32_t* v = vector.data();
        uint32_t crc = blockCrc;
        while (out != last) {
            if (pendingRepeats != 0) {
                size_t n = std::min<size_t>(pendingRepeats, static_cast<size_t>(last - out));
                uint8_t byte = static_cast<uint8_t>(lastByte);
                std::memset(out, byte, n);
                for (size_t i = 0; i < n; ++i) {
                    crc = (crc << 8) ^ kCrcTable[(crc >> 24) ^ byte];
                }
                out += n;
                pendingRepeats -= static_cast<uint32_t>(n);
                continue;
            }
            if (walked == blockLength) {
                break;
            }
            uint32_t entry = v[walkPos];
            walkPos = entry >> 8;
            int byte = static_cast<int>(entry & 0xFF);
            ++walked;
            if (randomised) {
                if (randomCountdown == 0) {
                    randomCountdown = kRandomDistances[randomIndex];
                    randomIndex = (randomIndex + 1) % 512;
                }
                --randomCountdown;
                byte ^= randomCountdown == 1 ? 1 : 0;
            }
            if (runLength == 4) {
                pendingRepeats = static_cast<uint32_t>(byte);  // the count after four equal bytes
                runLength = 0;
                continue;
            }
            if (byte == lastByte) {
                ++runLength;
            } else {
                runLength = 1;
                lastByte = byte;
            }
            *out++ = static_cast<uint8_t>(byte);
            crc = (crc << 8) ^ kCrcTable[(crc >> 24) ^ static_cast<uint32_t>(byte)];
        }
        blockCrc = crc;
        if (walked == blockLength && pendingRepeats == 0) {
            if (~blockCrc != storedBlockCrc) {
                Fail(Bzip2Fault::BlockCrc);
            }
            combinedCrc = ((combinedCrc << 1) | (combinedCrc >> 31)) ^ storedBlockCrc;
            phase = Phase::BlockStart;
        }
        return static_cast<size_t>(out - first);
    }
};

Bzip2Decoder::Bzip2Decoder(ByteSource& source, uint64_t begin, uint64_t end)
    : state_(std::make_unique<State>(source, begin, std::max(begin, end))) {}

Bzip2Decoder::~Bzip2Decoder() = default;

size_t Bzip2Decoder::Read(uint8_t* out, size_t size) {
    State& s = *state_;
    size_t done = 0;
    while (done < size || s.phase == State::Phase::StreamHeader) {
        switch (s.phase) {
            case State::Phase::StreamHeader:
                s.ReadStreamHeader();
                break;
            case State::Phase::BlockStart:
                if (s.ReadBlockHeader()) {
                    s.DecodeBlock();
                }
                break;
            case State::Phase::BlockOutput:
                done += s.EmitBlock(out + done, size - done);
                break;
            case State::Phase::Done:
                return done;
        }
    }
    return done;
}

}  // namespace bspatch
