#include "Bzip2Decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "Bzip2Streams.h"
#include "TestFiles.h"

using namespace bspatch;
using namespace bspatch_test;

namespace {

// Decodes a whole stream, reading `step` bytes at a time.
Bytes Decode(const Bytes& stream, size_t step = 1 << 16) {
    MemorySource source(stream);
    Bzip2Decoder decoder(source, 0, stream.size());
    Bytes out;
    Bytes buffer(step);
    for (;;) {
        size_t n = decoder.Read(buffer.data(), buffer.size());
        if (n == 0) {
            return out;
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(n));
    }
}

// The fault a stream gives, or nothing when it decodes to `expected`.
std::optional<Bzip2Fault> FaultOf(const Bytes& stream, const Bytes& expected) {
    try {
        Bytes out = Decode(stream);
        EXPECT_EQ(out, expected) << "a damaged stream decoded to different data without a fault";
        return std::nullopt;
    } catch (const Bzip2Error& e) {
        EXPECT_LE(e.Offset(), stream.size());
        return e.Fault();
    }
}

Bytes LongRuns() {
    // Runs of one byte longer than a level-1 block, so they cross block
    // borders, with short breaks between them.
    return Join({Bytes(250000, 'x'), {'y'}, Bytes(130000, 'x'), Bytes(4, 'z'), Bytes(260, 0)});
}

Bytes Repetitive() {
    Bytes data;
    const char pattern[] = "Brivok Patch block ";
    while (data.size() < 300000) {
        data.insert(data.end(), pattern, pattern + sizeof pattern - 1);
    }
    return data;
}

struct Sample {
    const char* name;
    Bytes data;
};

std::vector<Sample> Samples() {
    return {
        {"empty", {}},
        {"one byte", {0x42}},
        {"four equal bytes", {7, 7, 7, 7}},
        {"five equal bytes", {7, 7, 7, 7, 7}},
        {"long runs across block borders", LongRuns()},
        {"repetitive", Repetitive()},
        {"random", RandomBytes(120000, 1)},
        {"text", TextBytes(150000, 2)},
        {"all byte values",
         [] {
             Bytes b;
             for (int i = 0; i < 256 * 3; ++i)
                 b.push_back(static_cast<uint8_t>(i * 7));
             return b;
         }()},
    };
}

}  // namespace

TEST(Bzip2Conformance, StreamsOfTheBzip2ToolAtEveryLevel) {
    ScratchDir dir;
    for (const Sample& sample : Samples()) {
        WriteFile(dir.Path("in"), sample.data);
        for (int level = 1; level <= 9; ++level) {
            SCOPED_TRACE(std::string(sample.name) + " at -" + std::to_string(level));
            ASSERT_EQ(RunShell("bzip2 -c -" + std::to_string(level) + " " + Quote(dir.Path("in")) +
                               " > " + Quote(dir.Path("in.bz2"))),
                      0);
            EXPECT_EQ(Decode(ReadFile(dir.Path("in.bz2"))), sample.data);
        }
    }
}

TEST(Bzip2Conformance, ReadsInPiecesOfAnySize) {
    const Bytes data = Join({LongRuns(), Bytes(5000, 'q'), TextBytes(50000, 3)});
    Bytes stream = Bzip2(data, 1);
    for (size_t step : {1u, 3u, 255u, 259u, 4096u, 1000000u}) {
        SCOPED_TRACE(step);
        EXPECT_EQ(Decode(stream, step), data);
    }
}

TEST(Bzip2Conformance, RandomisedBlocksMatchTheLibrary) {
    // Set the randomised flag of a one-block stream and fix both CRCs for
    // the output that libbz2 gives for it; libbz2 then accepts the stream,
    // and our decoder must give the same bytes. Long enough to cycle
    // through the whole table of distances.
    Bytes data = RandomBytes(290000, 4);
    Bytes stream = Bzip2(data, 3);
    const size_t flagBit = 32 + 48 + 32;  // stream header, block magic, block CRC
    ASSERT_EQ(GetBits(stream, flagBit, 1), 0u);
    PutBits(stream, flagBit, 1, 1);
    Bytes derandomised = LibraryOutputBeforeError(stream);
    ASSERT_EQ(derandomised.size(), data.size());
    ASSERT_NE(derandomised, data);
    uint32_t crc = SlowCrc(derandomised);
    PutBits(stream, 32 + 48, 32, crc);
    PutBits(stream, EndMarkerBit(stream) + 48, 32, crc);  // combined CRC of one block

    bool whole = false;
    ASSERT_EQ(LibraryOutputBeforeError(stream, &whole), derandomised);
    ASSERT_TRUE(whole) << "libbz2 refuses the stream";
    EXPECT_EQ(Decode(stream), derandomised);
}

TEST(Bzip2Faults, EachDamageHasItsFault) {
    const Bytes data = TextBytes(30000, 5);
    const Bytes good = Bzip2(data, 1);
    struct Case {
        const char* name;
        Bytes stream;
        Bzip2Fault fault;
    };
    auto with = [&](auto change) {
        Bytes s = good;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"empty range", {}, Bzip2Fault::Truncated},
        {"not BZh", with([](Bytes& s) { s[2] = 'H'; }), Bzip2Fault::BadStreamHeader},
        {"level 0", with([](Bytes& s) { s[3] = '0'; }), Bzip2Fault::BadStreamHeader},
        {"block magic", with([](Bytes& s) { s[4] ^= 0x01; }), Bzip2Fault::BadMagic},
        {"block CRC", with([](Bytes& s) { s[10] ^= 0x80; }), Bzip2Fault::BlockCrc},
        {"origin past the block", with([](Bytes& s) { PutBits(s, 113, 24, 0xFFFFFF); }),
         Bzip2Fault::BadOrigin},
        {"stream CRC", with([](Bytes& s) {
             size_t at = EndMarkerBit(s) + 48;
             PutBits(s, at, 32, GetBits(s, at, 32) ^ 1);
         }),
         Bzip2Fault::StreamCrc},
        {"trailing byte", with([](Bytes& s) { s.push_back(0); }), Bzip2Fault::TrailingData},
        {"second stream", with([&](Bytes& s) { s.insert(s.end(), good.begin(), good.end()); }),
         Bzip2Fault::TrailingData},
        {"no symbols in use", with([](Bytes& s) { PutBits(s, 137, 16, 0); }),
         Bzip2Fault::BadSymbolMap},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FaultOf(c.stream, data), std::optional<Bzip2Fault>(c.fault));
    }
}

TEST(Bzip2Faults, EveryTruncationFails) {
    const Bytes data = Repetitive();
    const Bytes good = Bzip2(data, 1);
    for (size_t length = 0; length < good.size(); ++length) {
        SCOPED_TRACE(length);
        Bytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(length));
        EXPECT_TRUE(FaultOf(cut, data).has_value());
    }
}

TEST(Bzip2Faults, EveryBitFlipFailsOrChangesNothing) {
    // Some bits change nothing (the padding, a larger block size, the code
    // length of a symbol in a table that no selector picks); every other
    // flip must be reported, never turn into different output.
    const Bytes data = Join({TextBytes(3000, 6), Bytes(700, 'r')});
    const Bytes good = Bzip2(data, 1);
    size_t unnoticed = 0;
    for (size_t bit = 0; bit < good.size() * 8; ++bit) {
        SCOPED_TRACE(bit);
        Bytes damaged = good;
        damaged[bit / 8] ^= static_cast<uint8_t>(0x80u >> (bit % 8));
        if (!FaultOf(damaged, data)) {  // checks the output is unchanged
            ++unnoticed;
        }
    }
    EXPECT_LT(unnoticed, good.size() * 8 / 50);
}

TEST(Bzip2Faults, RandomGarbageAfterAValidHeaderFails) {
    for (uint32_t seed = 0; seed < 200; ++seed) {
        SCOPED_TRACE(seed);
        Bytes stream = RandomBytes(64 + seed * 5, seed);
        std::copy_n("BZh1", 4, stream.begin());
        if (seed % 2 == 0) {
            PutBits(stream, 32, 48, 0x314159265359);  // get past the block magic
        }
        EXPECT_TRUE(FaultOf(stream, {}).has_value());
    }
}

TEST(Bzip2Faults, RangeTooLongToCountItsBits) {
    // A sparse source of 2^61 bytes: its bits would overflow a 64-bit count.
    class Huge : public ByteSource {
    public:
        uint64_t Size() const override { return uint64_t{1} << 61; }
        void ReadAt(uint64_t, uint8_t* buffer, size_t size) override {
            std::memset(buffer, 0, size);
        }
    } huge;
    Bzip2Decoder decoder(huge, 0, huge.Size());
    uint8_t byte;
    try {
        decoder.Read(&byte, 1);
        FAIL() << "decoded";
    } catch (const Bzip2Error& e) {
        EXPECT_EQ(e.Fault(), Bzip2Fault::TooLarge);
    }
}
