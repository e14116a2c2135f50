// The bzip2 decoder with its blocks decoded on a pool of workers, against
// the same decoder on the calling thread and against libbz2.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <thread>
#include <utility>

#include "BlockScanner.h"
#include "Bzip2Decoder.h"
#include "Bzip2Streams.h"
#include "DecodePool.h"

using namespace bspatch;
using namespace bspatch_test;

namespace {

struct Mode {
    const char* name;
    size_t workers;  // 0: on the calling thread
    size_t lookahead;
};
constexpr Mode kModes[] = {
    {"inline", 0, 0},
    {"1 worker, 1 ahead", 1, 1},
    {"2 workers", 2, 0},
    {"3 workers, 16 ahead", 3, 16},
};

struct Decoded {
    Bytes bytes;                       // what came out before the end or the fault
    std::map<uint8_t, uint64_t> runs;  // bytes handed on as runs, by value
    int pieces = 0;
    std::optional<Bzip2Fault> fault;
    uint64_t offset = 0;
    BlockStats stats;
};

// Decodes the whole stream. With `failures`, the reader first waits until
// that many candidates have failed on the pool.
Decoded DecodeAll(const Bytes& stream, const Mode& mode, size_t step = SIZE_MAX,
                  uint64_t failures = 0) {
    MemorySource source(stream);
    std::optional<DecodePool> pool;
    if (mode.workers != 0) {
        pool.emplace(mode.workers);
    }
    Bzip2Decoder decoder(source, 0, stream.size(), pool ? &*pool : nullptr, mode.lookahead);
    decoder.Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (decoder.Stats().failed < failures && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Decoded result;
    try {
        for (;;) {
            Bzip2Piece piece = decoder.Next(step);
            if (piece.size == 0) {
                break;
            }
            ++result.pieces;
            if (piece.data != nullptr) {
                result.bytes.insert(result.bytes.end(), piece.data, piece.data + piece.size);
            } else {
                result.bytes.insert(result.bytes.end(), piece.size, piece.fill);
                result.runs[piece.fill] += piece.size;
            }
        }
    } catch (const Bzip2Error& e) {
        result.fault = e.Fault();
        result.offset = e.Offset();
    }
    result.stats = decoder.Stats();
    return result;
}

// What every mode makes of `stream`, read `step` bytes at a time: `bytes`,
// then `fault` (none: a good end) at byte `offset`; and, where given, how
// many blocks it took.
void ExpectInEveryMode(const Bytes& stream, const Bytes& bytes, std::optional<uint64_t> taken,
                       std::optional<Bzip2Fault> fault = std::nullopt, uint64_t offset = 0,
                       size_t step = SIZE_MAX) {
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        const Decoded decoded = DecodeAll(stream, mode, step);
        EXPECT_EQ(decoded.fault, fault);
        EXPECT_EQ(decoded.offset, offset);
        EXPECT_TRUE(decoded.bytes == bytes);
        if (taken) {
            EXPECT_EQ(decoded.stats.taken, *taken);
        }
    }
}

Bytes Concat(const std::vector<BlockBits>& blocks) {
    Bytes all;
    for (const BlockBits& block : blocks) {
        all.insert(all.end(), block.data.begin(), block.data.end());
    }
    return all;
}

// A job handed to the pool is run or withdrawn, never lost between a slot
// that waits for it and a queue that could not take it.
static_assert(noexcept(std::declval<DecodePool&>().Submit(std::declval<DecodePool::Job&>())));

// What the memory bound counts for a decoded block of `symbols` symbols:
// its bytes, and a run record per five symbols at most.
size_t MaxHeldBytes(size_t symbols) {
    return symbols + (symbols / 5 + 1) * sizeof(DecodedBlock::Record);
}

// Four blocks of different kinds at level 1.
std::vector<BlockBits> FourBlocks() {
    return {LibraryBlock(TextBytes(60000, 1), 1), LibraryBlock(RandomBytes(90000, 2), 1),
            LibraryBlock(Join({Bytes(3000, 'r'), Bytes(70000, 0)}), 1),
            LibraryBlock(TextBytes(20000, 3), 1)};
}

}  // namespace

TEST(ParallelBzip2, SameBytesInEveryMode) {
    struct Sample {
        const char* name;
        Bytes data;
        int level;
    };
    const Sample samples[] = {
        {"random, 4 blocks", RandomBytes(350000, 4), 1},
        {"text, 6 blocks", TextBytes(560000, 5), 1},
        {"long runs", Join({Bytes(250000, 'x'), Bytes(5, 'y'), Bytes(400000, 0)}), 1},
        {"text at level 9", TextBytes(1000000, 6), 9},
    };
    for (const Sample& sample : samples) {
        const Bytes stream = Bzip2(sample.data, sample.level);
        for (size_t step : {SIZE_MAX, size_t{4093}}) {
            SCOPED_TRACE(std::string(sample.name) + ", step " + std::to_string(step));
            ExpectInEveryMode(stream, sample.data, std::nullopt, std::nullopt, 0, step);
        }
    }
}

TEST(ParallelBzip2, SingleBlockStream) {
    const BlockBits block = LibraryBlock(TextBytes(50000, 7), 1);
    ExpectInEveryMode(StreamOf(1, {block}), block.data, 1);
}

TEST(ParallelBzip2, FalseMarkerInsideABlockChangesNothing) {
    // A block whose Huffman data spells the 48 bits of a block marker,
    // between two runs of other symbols, followed by real blocks.
    std::vector<int> symbols = {2, 3, 0, 2, 1, 3, 2, 2, 0, 0, 3, 2};
    const std::vector<int> marker = SpellBits(0x314159265359, 48);
    symbols.insert(symbols.end(), marker.begin(), marker.end());
    symbols.insert(symbols.end(), {3, 2, 1, 2, 3, 3, 0, 2});
    std::vector<BlockBits> blocks = FourBlocks();
    blocks.insert(blocks.begin(), HandBlock(symbols, 5));
    const Bytes stream = StreamOf(1, blocks);
    ASSERT_EQ(LibraryOutputBeforeError(stream), Concat(blocks)) << "libbz2 reads it otherwise";

    // The scanner offers the false marker among the true ones.
    MemorySource source(stream);
    BlockScanner scanner({&source, 0, stream.size()}, 32);
    std::vector<uint64_t> found;
    while (std::optional<uint64_t> bit = scanner.Next()) {
        found.push_back(*bit);
    }
    std::vector<size_t> starts = BlockStarts(blocks);
    ASSERT_EQ(found.size(), starts.size() + 1);
    EXPECT_EQ(found[0], starts[0]);
    EXPECT_GT(found[1], starts[0]);
    EXPECT_LT(found[1], starts[1]);

    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        Decoded decoded = DecodeAll(stream, mode);
        EXPECT_FALSE(decoded.fault.has_value());
        EXPECT_TRUE(decoded.bytes == Concat(blocks));
        EXPECT_EQ(decoded.stats.taken, blocks.size());
        if (mode.workers != 0) {
            EXPECT_GT(decoded.stats.decodes, decoded.stats.taken) << "the false marker was tried";
        }
    }
}

TEST(ParallelBzip2, LinksOfSeveralCyclesDecodeAsTheFormatWalksThem) {
    // A last column "abab..." is no transform of any text: its links form
    // several cycles. The format still defines the output (the forward walk
    // from the origin, as libbz2 gives it, CRC and all), and the decoder's
    // walk from both ends must fall back to it.
    std::vector<int> symbols = {0};
    symbols.insert(symbols.end(), 41, 2);  // 'a', then 'b' and 'a' in turn
    const BlockBits block = HandBlock(symbols, 3);
    ASSERT_EQ(block.data.size(), 42u);
    ExpectInEveryMode(StreamOf(1, {block}), block.data, std::nullopt);
}

TEST(ParallelBzip2, StreamCutBetweenTwoBlocks) {
    const std::vector<BlockBits> blocks = FourBlocks();
    const Bytes whole = StreamOf(1, blocks);
    const size_t cutBit = BlockStarts(blocks)[2];  // after the second block
    const Bytes cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>((cutBit + 7) / 8));
    // The fault at the byte where the next marker begins.
    ExpectInEveryMode(cut, Concat({blocks[0], blocks[1]}), std::nullopt, Bzip2Fault::Truncated,
                      cutBit / 8);
}

TEST(ParallelBzip2, BadCrcOfOneBlockIsMetInOrderThoughLaterBlocksDecode) {
    std::vector<BlockBits> blocks = FourBlocks();
    blocks[1].bits.Set(48, 32, blocks[1].crc ^ 0x00010000u);  // the stored CRC
    const Bytes stream = StreamOf(1, blocks);
    const uint64_t endOfSecond = BlockStarts(blocks)[2] / 8;
    // Nothing of the bad block or after it.
    ExpectInEveryMode(stream, blocks[0].data, std::nullopt, Bzip2Fault::BlockCrc, endOfSecond);
}

TEST(ParallelBzip2, FaultsComeInStreamOrder) {
    // Two bad blocks: the first one's fault is the one reported, though a
    // worker may meet the second one first.
    std::vector<BlockBits> blocks = FourBlocks();
    blocks[1].bits.Set(48 + 32 + 1, 24, 0xFFFFFF);  // origin past the block
    blocks[3].bits.Set(48, 32, blocks[3].crc ^ 1);
    const Bytes stream = StreamOf(1, blocks);
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        EXPECT_EQ(DecodeAll(stream, mode).fault, std::optional<Bzip2Fault>(Bzip2Fault::BadOrigin));
    }
}

TEST(ParallelBzip2, LongRunsComeAsRuns) {
    Bytes data(30 << 20, 0);
    const char tail[] = "end of the zeros";
    data.insert(data.end(), tail, tail + sizeof tail);
    const Bytes stream = Bzip2(data, 9);
    ASSERT_LT(stream.size(), 2000u);
    for (const Mode& mode : {kModes[0], kModes[2]}) {
        SCOPED_TRACE(mode.name);
        const Decoded decoded = DecodeAll(stream, mode);
        EXPECT_TRUE(decoded.bytes == data);
        EXPECT_EQ(decoded.runs, (std::map<uint8_t, uint64_t>{{0, 30 << 20}}));
        EXPECT_LE(decoded.pieces, 8) << "the zeros came in small pieces";
    }
}

TEST(ParallelBzip2, StreamGivenUpHalfWayLeavesThePoolUsable) {
    const Bytes data = RandomBytes(700000, 8);
    const Bytes stream = Bzip2(data, 1);
    MemorySource source(stream);
    DecodePool pool(2);
    {
        Bzip2Decoder decoder(source, 0, stream.size(), &pool, 8);
        ASSERT_NE(decoder.Next(1000).size, 0u);
    }  // blocks still decoding are cancelled and waited for
    Bzip2Decoder again(source, 0, stream.size(), &pool);
    Bytes out(data.size() + 1);
    EXPECT_EQ(again.Read(out.data(), out.size()), data.size());
    out.resize(data.size());
    EXPECT_TRUE(out == data);
}

TEST(ParallelBzip2, BothStreamsShareOnePool) {
    const Bytes a = RandomBytes(300000, 9), b = TextBytes(400000, 10);
    const Bytes streamA = Bzip2(a, 1), streamB = Bzip2(b, 1);
    MemorySource sourceA(streamA), sourceB(streamB);
    DecodePool pool(2);
    Bzip2Decoder decoderA(sourceA, 0, streamA.size(), &pool);
    Bzip2Decoder decoderB(sourceB, 0, streamB.size(), &pool);
    Bytes outA, outB;
    // Alternate small reads, as the patch loop does with the diff and extra blocks.
    for (bool endA = false, endB = false; !endA || !endB;) {
        uint8_t buffer[5000];
        size_t n = endA ? 0 : decoderA.Read(buffer, sizeof buffer);
        endA = endA || n == 0;
        outA.insert(outA.end(), buffer, buffer + n);
        n = endB ? 0 : decoderB.Read(buffer, 3000);
        endB = endB || n == 0;
        outB.insert(outB.end(), buffer, buffer + n);
    }
    EXPECT_TRUE(outA == a);
    EXPECT_TRUE(outB == b);
}

TEST(ParallelBzip2, ARunHeavyBlockHoldsWhatTheBoundCounts) {
    Bytes data;
    for (int run = 0; run < 179000; ++run) {
        data.insert(data.end(), 5, static_cast<uint8_t>(1 + run % 250));  // 4 bytes and a count
    }
    const Bytes stream = Bzip2(data, 9);
    MemorySource source(stream);
    BlockScratch scratch;
    DecodedBlock block;
    DecodeBlock({&source, 0, stream.size()}, 32, 900000, scratch, block);
    EXPECT_GE(block.records.size(), 179000u);
    EXPECT_LE(block.HeldBytes(), MaxHeldBytes(data.size()));
}

TEST(ParallelBzip2, FalseBlocksThatDecodeWholeHoldNothing) {
    // A real block whose data spells whole blocks of 99 000 symbols that
    // fail only at their CRC: decoded ahead, they must not stay in memory.
    BlockBits falseBlock;
    falseBlock.bits = FalseBlockBits(99000);
    Decoded alone = DecodeAll(StreamOf(1, {falseBlock}), kModes[0]);
    ASSERT_EQ(alone.fault, std::optional<Bzip2Fault>(Bzip2Fault::BlockCrc));

    // The reader comes only once 20 of them failed, so they are not passed
    // before they run.
    constexpr size_t kFalseBlocks = 30;
    const std::vector<int> spelled = SpellBits(falseBlock.bits);
    std::vector<int> symbols;
    for (size_t i = 0; i < kFalseBlocks; ++i) {
        symbols.insert(symbols.end(), {2, 3});
        symbols.insert(symbols.end(), spelled.begin(), spelled.end());
    }
    const std::vector<BlockBits> blocks = {HandBlock(symbols, 1),
                                           LibraryBlock(RandomBytes(90000, 11), 1)};
    const Bytes stream = StreamOf(1, blocks);
    ASSERT_EQ(LibraryOutputBeforeError(stream), Concat(blocks)) << "libbz2 reads it otherwise";
    constexpr size_t kLookahead = 3;
    for (size_t workers : {1, 2, 16}) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        Decoded decoded = DecodeAll(stream, {"", workers, kLookahead}, SIZE_MAX, 20);
        EXPECT_FALSE(decoded.fault.has_value());
        EXPECT_TRUE(decoded.bytes == Concat(blocks));
        EXPECT_GE(decoded.stats.failed, 20u);
        // Those ahead, and the one that the reader waits for.
        EXPECT_LE(decoded.stats.peakBlocks, kLookahead + 1);
        EXPECT_LE(decoded.stats.peakHeldBytes, kLookahead * MaxHeldBytes(100000));
    }
}
