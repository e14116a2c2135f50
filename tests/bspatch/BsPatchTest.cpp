// The patch reader on synthetic patches: header and triple checks, streams
// that end early or run on, seeks outside the old file, and the threaded and
// inline decoding of the blocks.
#include "BsPatch.h"

#include <gtest/gtest.h>

#include <climits>

#include "TestFiles.h"

using namespace bspatch;
using namespace bspatch_test;

namespace {

class VectorSink : public ByteSink {
public:
    void Write(const uint8_t* data, size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
    }
    void WriteRun(uint8_t byte, uint64_t count) override {
        runBytes += count;
        ByteSink::WriteRun(byte, count);
    }
    Bytes bytes;
    uint64_t runBytes = 0;  // of them, handed on as runs
};

// The triples applied byte by byte, as the format defines them.
Bytes Reference(const Bytes& old, const std::vector<Triple>& triples, const Bytes& diff,
                const Bytes& extra) {
    Bytes out;
    int64_t oldPos = 0;
    size_t d = 0, e = 0;
    for (const Triple& t : triples) {
        for (int64_t at = oldPos; at < oldPos + t.add; ++at) {
            const bool inOld = at >= 0 && at < std::ssize(old);
            out.push_back(static_cast<uint8_t>(diff.at(d++) + (inOld ? old[size_t(at)] : 0)));
        }
        for (int64_t i = 0; i < t.copy; ++i) {
            out.push_back(extra.at(e++));
        }
        oldPos += t.add + t.seek;
    }
    return out;
}

// Inline and threaded, each also with pieces and a window far smaller than the triples.
std::vector<PatchOptions> AllModes() {
    const PatchStreamOptions tiny = {.pieceSize = 7, .lookahead = 1};
    return {{.streams = {.threaded = false}},
            {.streams = {}, .workers = 3},
            {.streams = tiny, .workers = 1, .oldWindow = 5},
            {.streams = {.threaded = false, .pieceSize = 7, .lookahead = 1},
             .workers = 1,
             .oldWindow = 5}};
}

std::string ModeName(const PatchOptions& options) {
    return std::string(options.streams.threaded ? " threaded" : " inline") + " pieces of " +
           std::to_string(options.streams.pieceSize);
}

VectorSink Apply(ByteSource& old, ByteSource& patch, const PatchOptions& options = {}) {
    VectorSink sink;
    ApplyPatch(old, patch, sink, "P", options);
    return sink;
}

Bytes Apply(const Bytes& old, const Bytes& patch, const PatchOptions& options = {}) {
    MemorySource oldSource(old), patchSource(patch);
    return Apply(oldSource, patchSource, options).bytes;
}

// The message of the failure, or "" when the patch applied.
std::string FailureOf(const Bytes& old, const Bytes& patch, const PatchOptions& options = {}) {
    try {
        Apply(old, patch, options);
        return "";
    } catch (const PatchError& e) {
        EXPECT_EQ(e.Code(), ExitCode::CorruptPatch) << e.what();
        return e.what();
    }
}

// A patch that must be refused with this message.
struct Refusal {
    const char* name;
    Bytes patch;
    const char* message;
};

}  // namespace

TEST(PatchHeader, IntegersAreSignAndMagnitude) {
    struct Case {
        uint8_t bytes[8];
        int64_t value;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {{0, 0, 0, 0, 0, 0, 0, 0x80}, 0},  // negative zero
        {{1, 0, 0, 0, 0, 0, 0, 0}, 1},
        {{1, 0, 0, 0, 0, 0, 0, 0x80}, -1},
        {{0x34, 0x12, 0, 0, 1, 0, 0, 0}, 0x100001234},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, INT64_MAX},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -INT64_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(DecodeOffset(c.bytes), c.value);
    }
}

TEST(PatchHeader, BadHeadersAreRefused) {
    const Bytes valid = BuildPatch({{3, 0, 0}}, {1, 2, 3}, {}, 3);
    const auto with = [&](ptrdiff_t at, const Bytes& bytes) {
        Bytes p = valid;
        std::copy(bytes.begin(), bytes.end(), p.begin() + at);
        return p;
    };
    const auto withField = [&](int field, int64_t value) {
        Bytes encoded;
        PutOffset(encoded, value);
        return with(8 + 8 * field, encoded);
    };
    const Refusal cases[] = {
        {"empty file", {}, "P: corrupt header: file too short"},
        {"31 bytes", Bytes(valid.begin(), valid.begin() + 31), "P: corrupt header: file too short"},
        {"other magic", with(7, {'3'}), "P: corrupt header: not a BSDIFF40 patch"},
        {"negative control length", withField(0, -1), "P: corrupt header: negative length"},
        {"negative diff length", withField(1, -5), "P: corrupt header: negative length"},
        {"negative new size", withField(2, -3), "P: corrupt header: negative length"},
        {"control past the end", withField(0, INT64_MAX),
         "P: corrupt header: block lengths pass the end of the file"},
        {"diff past the end", withField(1, INT64_MAX),
         "P: corrupt header: block lengths pass the end of the file"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FailureOf({1, 1, 1}, c.patch), c.message);
    }
}

TEST(PatchApply, TriplesAddCopyAndSeekAnywhere) {
    const Bytes old = {10, 20, 30, 40, 50, 60, 70, 80};
    struct Case {
        const char* name;
        std::vector<Triple> triples;
        Bytes diff, extra, expected;
    };
    const Case cases[] = {
        {"add then copy", {{3, 2, 0}}, {1, 1, 1}, {9, 9}, {11, 21, 31, 9, 9}},
        {"wraps modulo 256", {{2, 0, 0}}, {250, 240}, {}, {4, 4}},
        {"seek back past the start reads zeros",
         {{2, 0, -5}, {4, 0, 0}},
         {0, 0, 1, 2, 3, 4},
         {},
         {10, 20, 1, 2, 3, 14}},
        {"seek past the end reads zeros", {{1, 0, 6}, {3, 0, 0}}, {1, 1, 1, 1}, {}, {11, 81, 1, 1}},
        {"large negative seeks",
         {{2, 0, 4}, {2, 0, -8}, {2, 1, 0}},
         {0, 0, 0, 0, 0, 0},
         {7},
         {10, 20, 70, 80, 10, 20, 7}},
        {"only extra", {{0, 3, 1000}}, {}, {5, 6, 7}, {5, 6, 7}},
        {"empty triples on the way", {{0, 0, 2}, {0, 0, 1}, {2, 0, 0}}, {1, 1}, {}, {41, 51}},
    };
    for (const PatchOptions& options : AllModes()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + ModeName(options));
            Bytes patch =
                BuildPatch(c.triples, c.diff, c.extra, static_cast<int64_t>(c.expected.size()));
            EXPECT_EQ(Apply(old, patch, options), c.expected);
        }
    }
}

TEST(PatchApply, RunsOfDiffAndExtraBytes) {
    // Runs of equal diff or extra bytes come out of the decoder as runs;
    // these take the run paths of the patch loop, inside and outside the
    // old file.
    const Bytes old = Join({RandomBytes(3000, 1), Bytes(2000, 0), TextBytes(3000, 2)});
    const int64_t oldSize = static_cast<int64_t>(old.size());
    struct Case {
        const char* name;
        std::vector<Triple> triples;
        Bytes diff, extra;
    };
    const Case cases[] = {
        {"zero diff copies the old bytes", {{6000, 0, 0}}, Bytes(6000, 0), {}},
        {"zero diff across both ends of the old file",
         {{0, 0, -700}, {oldSize + 1500, 0, 0}},
         Bytes(old.size() + 1500, 0),
         {}},
        {"a run of 7s adds 7 to each old byte", {{0, 0, 100}, {5000, 0, 0}}, Bytes(5000, 7), {}},
        {"runs and literals mixed",
         {{1000, 10, 50}, {2050, 0, -4000}, {900, 0, 0}},
         Join({Bytes(1000, 0), RandomBytes(50, 3), Bytes(600, 0), Bytes(1400, 9), Bytes(900, 0)}),
         RandomBytes(10, 4)},
        {"extra runs of zeros and of 0xFF",
         {{0, 301000, 0}, {20, 500, 0}},
         Bytes(20, 0),
         Join({Bytes(300000, 0), Bytes(1000, 0xFF), TextBytes(500, 5)})},
    };
    for (const PatchOptions& options : AllModes()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + ModeName(options));
            const Bytes expected = Reference(old, c.triples, c.diff, c.extra);
            const Bytes patch =
                BuildPatch(c.triples, c.diff, c.extra, static_cast<int64_t>(expected.size()));
            MemorySource oldSource(old), patchSource(patch);
            const VectorSink sink = Apply(oldSource, patchSource, options);
            EXPECT_TRUE(sink.bytes == expected);
            if (std::string(c.name).rfind("extra runs", 0) == 0) {
                EXPECT_GE(sink.runBytes, 300000u) << "the zeros came as bytes";
            }
        }
    }
}

TEST(PatchApply, EmptyNewFileNeedsNoTriples) {
    EXPECT_EQ(Apply({1, 2}, BuildPatch({}, {}, {}, 0)), Bytes{});
    EXPECT_EQ(Apply({}, BuildPatch({{0, 2, 0}}, {}, {3, 4}, 2)), (Bytes{3, 4}));
}

TEST(PatchApply, BadTriplesAndBlocksAreRefused) {
    const Bytes old(16, 1);
    const Refusal cases[] = {
        {"negative add", BuildPatch({{-1, 0, 0}}, {}, {}, 1),
         "P: bad control triple 0 (new offset 0): negative length"},
        {"negative copy", BuildPatch({{1, -1, 0}}, {0}, {}, 1),
         "P: bad control triple 0 (new offset 0): negative length"},
        {"add past the new size", BuildPatch({{2, 0, 0}}, {0, 0}, {}, 1),
         "P: bad control triple 0 (new offset 0): lengths pass the new file's size"},
        {"copy past the new size", BuildPatch({{1, 0, 0}, {0, INT64_MAX, 0}}, {0}, {}, 2),
         "P: bad control triple 1 (new offset 1): lengths pass the new file's size"},
        {"old position overflows", BuildPatch({{1, 0, INT64_MAX}, {1, 0, 0}}, {0, 0}, {}, 2),
         "P: bad control triple 0 (new offset 0): old position overflows"},
        {"old position underflows", BuildPatch({{0, 0, -INT64_MAX}, {0, 0, -2}}, {}, {}, 1),
         "P: bad control triple 1 (new offset 0): old position overflows"},
        {"control ends early", BuildPatch({{1, 0, 0}}, {0}, {}, 2),
         "P: corrupt control block: ends before the new file is complete"},
        {"control runs on", BuildPatch({{1, 0, 0}, {0, 0, 0}}, {0}, {}, 1),
         "P: corrupt control block: data after the new file is complete"},
        {"diff ends early", BuildPatch({{3, 0, 0}}, {0, 0}, {}, 3),
         "P: corrupt diff block: ends before the control block says"},
        {"diff runs on", BuildPatch({{1, 0, 0}}, {0, 0}, {}, 1),
         "P: corrupt diff block: data after what the control block uses"},
        {"extra ends early", BuildPatch({{0, 3, 0}}, {}, {1, 2}, 3),
         "P: corrupt extra block: ends before the control block says"},
        {"extra runs on", BuildPatch({{0, 1, 0}}, {}, {1, 2}, 1),
         "P: corrupt extra block: data after what the control block uses"},
    };
    for (const PatchOptions& options : AllModes()) {
        for (const Refusal& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(FailureOf(old, c.patch, options), c.message);
        }
    }
}

TEST(PatchApply, BzipFaultsNameTheBlockAndOffset) {
    Bytes patch = BuildPatch({{4, 0, 0}}, {1, 2, 3, 4}, {}, 4);
    const size_t controlLength = patch[8];  // small enough for one byte
    const size_t diffStart = 32 + controlLength;
    Bytes damaged = patch;
    damaged[diffStart + 10] ^= 0x40;  // the diff block's CRC
    for (const PatchOptions& options : AllModes()) {
        std::string message = FailureOf(Bytes(4, 0), damaged, options);
        EXPECT_EQ(message.rfind("P: corrupt diff block at offset ", 0), 0u) << message;
        EXPECT_NE(message.find("bzip2 block CRC mismatch"), std::string::npos) << message;
    }
    Bytes badControl = patch;
    badControl[32] = 'X';
    EXPECT_EQ(FailureOf(Bytes(4, 0), badControl),
              "P: corrupt control block at offset 32: bad bzip2 stream header");
}

TEST(PatchApply, AReadThatFailsAnywhereEndsTheRunWithThatError) {
    // A dozen blocks at level 1: the decoders start while the scanners still
    // read ahead for markers, which is where a failure once freed a
    // scheduler under its running jobs.
    const Bytes old = RandomBytes(400000, 21);
    const Bytes diff = Join({Bytes(1000, 0), TextBytes(399000, 22)});
    const Bytes extra = RandomBytes(800000, 23);
    const std::vector<Triple> triples = {{400000, 800000, 0}};
    const Bytes patch =
        AssemblePatch(Bzip2(ControlBlock(triples), 9), Bzip2(diff, 1), Bzip2(extra, 1), 1200000);
    const PatchOptions modes[] = {{.streams = {.threaded = false}},
                                  {.streams = {}, .workers = 1},
                                  {.streams = {}, .workers = 2},
                                  {.streams = {}, .workers = 4}};
    for (uint64_t failAt = 0; failAt < patch.size(); failAt += patch.size() / 23 + 1) {
        for (const PatchOptions& options : modes) {
            SCOPED_TRACE("fails at " + std::to_string(failAt) + ", " +
                         std::to_string(options.streams.threaded ? options.workers : 0) +
                         " workers");
            MemorySource oldSource(old);
            FailingSource patchSource(patch, failAt, "P: read failed: Input/output error");
            try {
                Apply(oldSource, patchSource, options);
                ADD_FAILURE() << "applied";
            } catch (const PatchError& e) {
                EXPECT_EQ(e.Code(), ExitCode::Io);
                EXPECT_STREQ(e.what(), "P: read failed: Input/output error");
            }
        }
    }
}

TEST(PatchApply, ReadsOfTheOldFileCostWhatTheAccessNeeds) {
    // The old file as a source that counts what is read of it.
    class CountingSource : public MemorySource {
    public:
        using MemorySource::MemorySource;
        void ReadAt(uint64_t offset, uint8_t* buffer, size_t size) override {
            bytes += size;
            ++reads;
            MemorySource::ReadAt(offset, buffer, size);
        }
        uint64_t bytes = 0, reads = 0;
    };
    const Bytes old = RandomBytes(4 << 20, 31);
    struct Case {
        const char* name;
        std::vector<Triple> triples;
        uint64_t maxBytes, maxReads;
    };
    std::vector<Triple> jumps, forward;
    for (int i = 0; i < 2000; ++i) {
        jumps.push_back({1, 0, i % 2 == 0 ? 2 << 20 : -(2 << 20)});  // back and forth by 2 MB
        forward.push_back({1500, 0, i % 3});                         // small seeks on
    }
    const Case cases[] = {
        {"back and forth", jumps, 256 << 10, 64},
        {"forward", forward, old.size(), old.size() / (256 << 10) + 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int64_t newSize = 0;
        for (const Triple& t : c.triples) {
            newSize += t.add;
        }
        const Bytes diff = RandomBytes(static_cast<size_t>(newSize), 32);
        const Bytes patch = BuildPatch(c.triples, diff, {}, newSize);
        CountingSource oldSource(old);
        MemorySource patchSource(patch);
        EXPECT_TRUE(Apply(oldSource, patchSource).bytes == Reference(old, c.triples, diff, {}));
        EXPECT_LE(oldSource.bytes, c.maxBytes);
        EXPECT_LE(oldSource.reads, c.maxReads);
    }
}
