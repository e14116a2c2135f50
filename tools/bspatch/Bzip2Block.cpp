// A block of the bzip2 1.0 format:
//
//   block = 0x314159265359 (48 bits) crc(32) randomised(1) origin(24)
//           used-groups(16) used-bytes(16 per group set) groups(3)
//           selectors(15) selector-MTF(unary each) code-lengths huffman-data
//
// The Huffman data is a sequence of move-to-front indices with runs of the
// front symbol written as bijective base-2 numbers (RUNA = 1, RUNB = 2 times
// the place value), ended by an end-of-block symbol. The decoded block is the
// last column of a Burrows-Wheeler transform; undoing it gives bytes in which
// four equal bytes are followed by a count (0..255) of further repeats.
#include "Bzip2Block.h"

#include <algorithm>
#include <cstring>

#include "Bzip2Crc.h"

namespace bspatch {
namespace {

constexpr int kMaxGroups = 6;  // Huffman tables per block
constexpr int kMinGroups = 2;
constexpr int kGroupSize = 50;        // symbols coded by one selector
constexpr int kMaxSelectors = 32767;  // the 15-bit count field
constexpr int kMaxAlphabet = 258;     // 256 MTF values + RUNA/RUNB - 1 + EOB
constexpr int kMaxCodeLength = 20;
constexpr int kLookupBits = 10;  // codes this short decode in one step
constexpr size_t kInputBufferSize = 64 * 1024;

constexpr int kRunA = 0;
constexpr int kRunB = 1;

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

struct BlockScratch::Tables {
    uint8_t symbolToByte[256];  // MTF value -> byte
    uint8_t selectors[kMaxSelectors];
    uint8_t codeLengths[kMaxGroups][kMaxAlphabet];
    HuffmanTable huffman[kMaxGroups];
};

BlockScratch::BlockScratch() : tables_(std::make_unique<Tables>()) {}
BlockScratch::~BlockScratch() = default;

namespace {

class BlockDecoder {
public:
    BlockDecoder(const StreamRange& range, uint64_t bit, uint32_t capacity, BlockScratch& scratch,
                 const std::atomic<bool>* cancel)
        : bits_(range, bit, kInputBufferSize),
          capacity_(capacity),
          scratch_(scratch),
          t_(scratch.CodeTables()),
          cancel_(cancel) {}

    void Decode(DecodedBlock& block) {
        if (bits_.Bits48() != kBlockMagic) {
            bits_.Fail(Bzip2Fault::BadMagic);
        }
        storedCrc_ = bits_.Bits(32);
        randomised_ = bits_.Bits(1) != 0;
        origin_ = bits_.Bits(24);
        ReadSymbolMap();
        ReadSelectors();
        ReadCodeLengths();
        uint32_t byteCounts[256] = {};
        DecodeSymbols(byteCounts);
        block.endBit = bits_.Position();
        const uint64_t endOffset = bits_.Offset();

        CheckCancel();
        InverseTransform(byteCounts);
        CheckCancel();
        block.bytes.resize(length_);
        Walk(block.bytes.data());
        if (randomised_) {
            Derandomise(block.bytes.data());
        }
        Unrle(block);
        if (Crc(block) != storedCrc_) {
            throw Bzip2Error(Bzip2Fault::BlockCrc, endOffset);
        }
        block.crc = storedCrc_;
    }

private:
    void CheckCancel() const {
        if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
            throw BlockCancelled{};
        }
    }

    [[noreturn]] void Fail(Bzip2Fault fault) const { bits_.Fail(fault); }

    // --- Symbol map: which byte values occur, in 16 groups of 16 ---------------------
    void ReadSymbolMap() {
        uint32_t groupsUsed = bits_.Bits(16);
        symbolsInUse_ = 0;
        for (int group = 0; group < 16; ++group) {
            if (groupsUsed & (0x8000u >> group)) {
                uint32_t bytesUsed = bits_.Bits(16);
                for (int i = 0; i < 16; ++i) {
                    if (bytesUsed & (0x8000u >> i)) {
                        t_.symbolToByte[symbolsInUse_++] = static_cast<uint8_t>(group * 16 + i);
                    }
                }
            }
        }
        if (symbolsInUse_ == 0) {
            Fail(Bzip2Fault::BadSymbolMap);
        }
    }

    // --- Selectors: which table codes each run of 50 symbols, MTF-coded in unary ---
    void ReadSelectors() {
        groupCount_ = static_cast<int>(bits_.Bits(3));
        selectorCount_ = static_cast<int>(bits_.Bits(15));
        if (groupCount_ < kMinGroups || groupCount_ > kMaxGroups || selectorCount_ == 0) {
            Fail(Bzip2Fault::BadSelectors);
        }
        uint8_t order[kMaxGroups];
        for (int i = 0; i < kMaxGroups; ++i) {
            order[i] = static_cast<uint8_t>(i);
        }
        for (int s = 0; s < selectorCount_; ++s) {
            int index = 0;
            while (bits_.Bits(1) != 0) {
                if (++index >= groupCount_) {
                    Fail(Bzip2Fault::BadSelectors);
                }
            }
            uint8_t table = order[index];
            std::memmove(order + 1, order, static_cast<size_t>(index));
            order[0] = table;
            t_.selectors[s] = table;
        }
    }

    // --- Code lengths: a 5-bit start, then per symbol deltas (10 = +1, 11 = -1, 0 = next) ---
    void ReadCodeLengths() {
        int alphabet = symbolsInUse_ + 2;
        for (int group = 0; group < groupCount_; ++group) {
            int length = static_cast<int>(bits_.Bits(5));
            for (int symbol = 0; symbol < alphabet; ++symbol) {
                for (;;) {
                    if (length < 1 || length > kMaxCodeLength) {
                        Fail(Bzip2Fault::BadCodeLengths);
                    }
                    if (bits_.Bits(1) == 0) {
                        break;
                    }
                    length += bits_.Bits(1) == 0 ? 1 : -1;
                }
                t_.codeLengths[group][symbol] = static_cast<uint8_t>(length);
            }
            BuildTable(t_.codeLengths[group], alphabet, t_.huffman[group]);
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
        if (bits_.Count() < kMaxCodeLength) {
            bits_.Refill();
        }
        const uint64_t window = bits_.Window();
        const int available = bits_.Count();
        uint16_t entry = table.lookup[window >> (64 - kLookupBits)];
        if (entry != 0) {
            int length = entry >> 9;
            if (length > available) {
                Fail(Bzip2Fault::Truncated);
            }
            bits_.Skip(length);
            return entry & 0x1FF;
        }
        for (int length = kLookupBits + 1; length <= table.maxLength; ++length) {
            uint32_t code = static_cast<uint32_t>(window >> (64 - length));
            uint32_t offset = code - table.firstCode[length];
            if (offset < table.count[length]) {
                if (length > available) {
                    Fail(Bzip2Fault::Truncated);
                }
                bits_.Skip(length);
                return table.sorted[table.firstIndex[length] + offset];
            }
        }
        Fail(available < table.maxLength ? Bzip2Fault::Truncated : Bzip2Fault::BadSymbol);
    }

    // Grows the symbol vector to hold `needed` (at most capacity_) entries,
    // so that small streams stay small.
    void Reserve(uint32_t needed) {
        std::vector<uint32_t>& v = scratch_.backward;
        if (needed > v.size()) {
            size_t grown = std::max<size_t>({needed, v.size() * 2, 4096});
            v.resize(std::min<size_t>(grown, capacity_));
        }
    }

    // --- Huffman data: MTF indices and runs into the last column ---------------------
    void DecodeSymbols(uint32_t (&byteCounts)[256]) {
        const int endOfBlock = symbolsInUse_ + 1;
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
                if (selector >= selectorCount_ || t_.selectors[selector] >= groupCount_) {
                    Fail(Bzip2Fault::BadSelectors);
                }
                CheckCancel();
                table = &t_.huffman[t_.selectors[selector++]];
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
                if (run > capacity_ - length) {
                    Fail(Bzip2Fault::BlockTooLong);
                }
                continue;
            }
            if (run != 0) {
                uint8_t byte = t_.symbolToByte[mtf[0]];
                byteCounts[byte] += run;
                Reserve(length + run);
                std::fill_n(scratch_.backward.data() + length, run, byte);
                length += run;
                run = 0;
                runShift = 0;
            }
            if (symbol == endOfBlock) {
                break;
            }
            if (length >= capacity_) {
                Fail(Bzip2Fault::BlockTooLong);
            }
            if (length == scratch_.backward.size()) {
                Reserve(length + 1);
            }
            // Symbol s moves the value at position s - 1 to the front.
            int position = symbol - 1;
            uint8_t value = mtf[position];
            std::memmove(mtf + 1, mtf, static_cast<size_t>(position));
            mtf[0] = value;
            uint8_t byte = t_.symbolToByte[value];
            ++byteCounts[byte];
            scratch_.backward[length++] = byte;
        }
        length_ = length;
    }

    // --- Inverse Burrows-Wheeler transform ----------------------------------------
    // Row i of the sorted rotations ends with byte L[i]; its text-order
    // predecessor is row LF(i), which begins with L[i]. Each row gets both
    // links: backward[i] = LF(i) and L[i], forward[LF(i)] = i and L[i] (the
    // first-column byte of row LF(i)). Block sizes stay below 2^24, so a link
    // fits above the byte.
    void InverseTransform(const uint32_t (&byteCounts)[256]) {
        if (origin_ >= length_) {
            Fail(Bzip2Fault::BadOrigin);
        }
        uint32_t start[256];
        uint32_t sum = 0;
        for (int b = 0; b < 256; ++b) {
            start[b] = sum;
            sum += byteCounts[b];
        }
        if (scratch_.forward.size() < length_) {
            scratch_.forward.resize(std::max<size_t>(length_, scratch_.forward.size() * 2));
        }
        uint32_t* backward = scratch_.backward.data();
        uint32_t* forward = scratch_.forward.data();
        // A run of one byte in the last column takes rows that follow each
        // other: its count stays in a register, where a count in memory
        // would make each row wait for the one before it.
        for (uint32_t i = 0; i < length_;) {
            const uint32_t byte = backward[i];  // still the bare byte from here on
            uint32_t row = start[byte];
            do {
                backward[i] = (row << 8) | byte;
                forward[row] = (i << 8) | byte;
                ++row;
                ++i;
            } while (i < length_ && backward[i] == byte);
            start[byte] = row;
        }
    }

    // The text is the first-column bytes along the forward links from the
    // origin row, or, read from its end, the last-column bytes along the
    // backward links. Walking both halves at once keeps two cache misses in
    // flight instead of one. In a valid block the links form one cycle and
    // the halves meet; where they do not, the forward walk alone (which the
    // format defines) finishes the block, so the output never differs.
    void Walk(uint8_t* text) const {
        const uint32_t* forward = scratch_.forward.data();
        const uint32_t* backward = scratch_.backward.data();
        const uint32_t n = length_;
        const uint32_t half = n / 2;
        uint32_t front = origin_;
        uint32_t back = origin_;
        // Indexed stores: through a pointer stepping down, the two chains ran
        // no faster than one.
        for (uint32_t k = 0; k < half; ++k) {
            uint32_t f = forward[front];
            uint32_t b = backward[back];
            text[k] = static_cast<uint8_t>(f);
            text[n - 1 - k] = static_cast<uint8_t>(b);
            front = f >> 8;
            back = b >> 8;
        }
        if (n - half > half) {  // odd length: the middle byte
            uint32_t b = backward[back];
            text[half] = static_cast<uint8_t>(b);
            back = b >> 8;
        }
        if (front != back) {
            for (uint32_t k = half; k < n; ++k) {
                uint32_t f = forward[front];
                text[k] = static_cast<uint8_t>(f);
                front = f >> 8;
            }
        }
    }

    void Derandomise(uint8_t* text) const {
        int index = 0;
        int countdown = 0;
        for (uint32_t k = 0; k < length_; ++k) {
            if (countdown == 0) {
                countdown = kRandomDistances[index];
                index = (index + 1) % 512;
            }
            --countdown;
            if (countdown == 1) {
                text[k] ^= 1;
            }
        }
    }

    // --- The final run-length stage, in place: four equal bytes and a count --------
    // The four bytes and their repeats become one run; runs of one byte that
    // follow each other with nothing between are merged.
    void Unrle(DecodedBlock& block) const {
        std::vector<DecodedBlock::Record>& records = scratch_.records;
        records.clear();
        uint8_t* const text = block.bytes.data();
        uint8_t* out = text;
        uint32_t open = 0;  // literals since the last record
        int last = -1;
        int same = 0;  // equal bytes in a row, up to 4
        for (uint32_t k = 0; k < length_; ++k) {
            const uint8_t byte = text[k];
            if (same == 4) {
                same = 0;
                if (byte != 0) {
                    // The last four literals are the run's byte: they join it.
                    out -= 4;
                    open -= 4;
                    const uint32_t length = 4u + byte;
                    DecodedBlock::Record* previous = records.empty() ? nullptr : &records.back();
                    if (open == 0 && previous != nullptr && previous->RunByte() == last &&
                        previous->RunLength() <= DecodedBlock::kMaxRun - length) {
                        previous->run += length << 8;
                    } else {
                        records.push_back({open, (length << 8) | static_cast<uint32_t>(last)});
                        open = 0;
                    }
                }
                continue;
            }
            if (byte == last) {
                ++same;
            } else {
                same = 1;
                last = byte;
            }
            *out++ = byte;
            ++open;
        }
        if (open != 0) {
            records.push_back({open, 0});
        }
        block.bytes.resize(static_cast<size_t>(out - text));
        block.records = std::vector<DecodedBlock::Record>(records.begin(), records.end());
    }

    static uint32_t Crc(const DecodedBlock& block) {
        uint32_t crc = 0xFFFFFFFFu;
        const uint8_t* literal = block.bytes.data();
        for (const DecodedBlock::Record& record : block.records) {
            crc = CrcUpdate(crc, literal, record.literals);
            literal += record.literals;
            crc = CrcUpdateRun(crc, record.RunByte(), record.RunLength());
        }
        return ~crc;
    }

    BitReader bits_;
    const uint32_t capacity_;
    BlockScratch& scratch_;
    BlockScratch::Tables& t_;
    const std::atomic<bool>* cancel_;

    uint32_t storedCrc_ = 0;
    bool randomised_ = false;
    uint32_t origin_ = 0;
    int symbolsInUse_ = 0;
    int groupCount_ = 0;
    int selectorCount_ = 0;
    uint32_t length_ = 0;  // symbols in the block
};

}  // namespace

void DecodeBlock(const StreamRange& range, uint64_t bit, uint32_t capacity, BlockScratch& scratch,
                 DecodedBlock& block, const std::atomic<bool>* cancel) {
    BlockDecoder(range, bit, capacity, scratch, cancel).Decode(block);
}

}  // namespace bspatch
