// The frame of a bzip2 stream around its blocks:
//
//   stream  = "BZh" level('1'..'9') block* end
//   end     = 0x177245385090 (48 bits) combined-crc(32) pad-to-byte
//
// Each block begins right after the one before it, at any bit position; the
// combined CRC folds in the block CRCs in order (rotate left by one, xor).
#include "Bzip2Decoder.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "DecodePool.h"

namespace bspatch {
namespace {

constexpr uint32_t kBlockUnit = 100000;                 // block size per level digit
constexpr uint64_t kMaxRangeBytes = uint64_t{1} << 60;  // bit positions fit 64 bits
constexpr size_t kFrameBuffer = 16;

}  // namespace

struct Bzip2Decoder::State {
    enum class Phase { StreamHeader, Blocks, Done };

    StreamRange range;
    DecodePool* pool;
    size_t lookahead;

    Phase phase = Phase::StreamHeader;
    uint32_t capacity = 0;  // symbols per block, from the level digit
    uint64_t nextBit = 0;   // where the next block or the end marker starts
    uint32_t combinedCrc = 0;
    std::exception_ptr failure;

    // The block being handed out, and the place in it.
    DecodedBlock block;
    size_t record = 0;
    size_t literalPos = 0;
    uint32_t literalsLeft = 0;
    uint32_t runLeft = 0;
    uint8_t runByte = 0;

    std::unique_ptr<BlockScratch> scratch;  // for blocks decoded on this thread
    std::unique_ptr<BlockScheduler> scheduler;
    BlockStats inlineStats;

    BlockScratch& Scratch() {
        if (!scratch) {
            scratch = std::make_unique<BlockScratch>();
        }
        return *scratch;
    }

    void ReadStreamHeader() {
        if (range.Bytes() > kMaxRangeBytes) {
            throw Bzip2Error(Bzip2Fault::TooLarge, range.begin);
        }
        BitReader bits(range, 0, kFrameBuffer);
        uint32_t header = bits.Bits(32);
        uint32_t level = header & 0xFF;
        if ((header >> 8) != 0x425A68 || level < '1' || level > '9') {  // "BZh" and a digit
            throw Bzip2Error(Bzip2Fault::BadStreamHeader, range.begin);
        }
        capacity = (level - '0') * kBlockUnit;
        nextBit = 32;
        if (pool != nullptr) {
            scheduler = std::make_unique<BlockScheduler>(
                range, nextBit, capacity, *pool,
                lookahead != 0 ? lookahead : 2 * pool->Workers() + 2);
        }
        phase = Phase::Blocks;
    }

    // The next block into `block`, or the end of the stream after its checks.
    void NextBlock() {
        BitReader bits(range, nextBit, kFrameBuffer);
        uint64_t magic = bits.Bits48();
        if (magic == kEndMagic) {
            if (bits.Bits(32) != combinedCrc) {
                bits.Fail(Bzip2Fault::StreamCrc);
            }
            // What is left of the last byte is padding; after it the range ends.
            uint64_t used = (bits.Position() + 7) / 8;
            if (used != range.Bytes()) {
                throw Bzip2Error(Bzip2Fault::TrailingData, range.begin + used);
            }
            block = DecodedBlock{};
            phase = Phase::Done;
        } else if (magic != kBlockMagic) {
            bits.Fail(Bzip2Fault::BadMagic);
        } else {
            if (scheduler) {
                // The block handed out is done with: it must not stay while
                // the reader waits for the next one, which the bound of
                // the blocks in memory does not count.
                block = DecodedBlock{};
                block = scheduler->Take(nextBit);
            } else {
                DecodeBlock(range, nextBit, capacity, Scratch(), block);
                ++inlineStats.decodes;
                ++inlineStats.taken;
            }
            combinedCrc = ((combinedCrc << 1) | (combinedCrc >> 31)) ^ block.crc;
            nextBit = block.endBit;
        }
        record = 0;
        literalPos = 0;
    }

    Bzip2Piece Next(size_t maxBytes) {
        for (;;) {
            if (literalsLeft != 0) {
                size_t n = std::min<size_t>(literalsLeft, maxBytes);
                Bzip2Piece piece{block.bytes.data() + literalPos, n, 0};
                literalPos += n;
                literalsLeft -= static_cast<uint32_t>(n);
                return piece;
            }
            if (runLeft != 0) {
                size_t n = std::min<size_t>(runLeft, maxBytes);
                runLeft -= static_cast<uint32_t>(n);
                return Bzip2Piece{nullptr, n, runByte};
            }
            if (record < block.records.size()) {
                const DecodedBlock::Record& r = block.records[record++];
                literalsLeft = r.literals;
                runLeft = r.RunLength();
                runByte = r.RunByte();
                continue;
            }
            switch (phase) {
                case Phase::StreamHeader:
                    ReadStreamHeader();
                    break;
                case Phase::Blocks:
                    NextBlock();
                    break;
                case Phase::Done:
                    return {};
            }
        }
    }
};

Bzip2Decoder::Bzip2Decoder(ByteSource& source, uint64_t begin, uint64_t end, DecodePool* pool,
                           size_t lookahead)
    : state_(std::make_unique<State>()) {
    state_->range = StreamRange{&source, begin, std::max(begin, end)};
    state_->pool = pool;
    state_->lookahead = lookahead;
}

Bzip2Decoder::~Bzip2Decoder() = default;

void Bzip2Decoder::Start() {
    State& s = *state_;
    if (s.pool == nullptr || s.phase != State::Phase::StreamHeader || s.failure) {
        return;
    }
    try {
        s.ReadStreamHeader();
    } catch (...) {
        s.failure = std::current_exception();
    }
}

Bzip2Piece Bzip2Decoder::Next(size_t maxBytes) {
    State& s = *state_;
    if (s.failure) {
        std::rethrow_exception(s.failure);
    }
    try {
        return s.Next(std::max<size_t>(maxBytes, 1));
    } catch (...) {
        s.failure = std::current_exception();
        throw;
    }
}

size_t Bzip2Decoder::Read(uint8_t* out, size_t size) {
    size_t done = 0;
    while (done < size) {
        Bzip2Piece piece = Next(size - done);
        if (piece.size == 0) {
            break;
        }
        if (piece.data != nullptr) {
            std::memcpy(out + done, piece.data, piece.size);
        } else {
            std::memset(out + done, piece.fill, piece.size);
        }
        done += piece.size;
    }
    return done;
}

BlockStats Bzip2Decoder::Stats() const {
    return state_->scheduler ? state_->scheduler->Stats() : state_->inlineStats;
}

}  // namespace bspatch
