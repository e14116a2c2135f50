// The progress channel over plain memory: what a reader takes from the
// block, a reader beside the writer that never sees half of a 64-bit value
// (on the 32-bit build too: the Windows tree runs this under 32-bit Wine),
// and the reporter that publishes the bytes at most every 64 KB and 20 ms.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ProgressReporter.h"

using namespace bspatch;

namespace {

ProgressBlock NewBlock() {
    ProgressBlock block;
    InitProgressBlock(block);
    return block;
}

TEST(ProgressChannel, AReaderTakesAWholeReportThatMakesSenseAndNothingElse) {
    ProgressBlock block = NewBlock();
    EXPECT_TRUE(ProgressBlockUsable(block));
    EXPECT_FALSE(ReadProgress(block)) << "nothing reported yet";
    struct Case {
        const char* what;
        ProgressReport written;
        bool taken;
    };
    const Case cases[] = {
        {"past 4 GiB", {ProgressPhase::Patching, 6ull << 30, (4ull << 30) + 5}, true},
        {"done", {ProgressPhase::Done, 100, 100}, true},
        {"more produced than the size", {ProgressPhase::Patching, 100, 101}, false},
        {"no phase", {ProgressPhase::None, 100, 50}, false},
        {"an unknown phase", {static_cast<ProgressPhase>(6), 100, 50}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteProgress(block, c.written);
        EXPECT_EQ(ReadProgress(block), c.taken ? std::optional(c.written) : std::nullopt);
    }
    for (uint32_t ProgressBlock::*field : {&ProgressBlock::magic, &ProgressBlock::version}) {
        ProgressBlock other = NewBlock();
        other.*field += 1;
        EXPECT_FALSE(ProgressBlockUsable(other)) << "another layout";
    }
}

TEST(ProgressChannel, AReaderBesideTheWriterNeverSeesHalfAValue) {
    // Each value has two equal words, and each write changes both: a read
    // that mixed two writes would show words that differ.
    ProgressBlock block = NewBlock();
    WriteProgress(block, {ProgressPhase::Patching, 0, 0});
    constexpr int kTimes = 500000;
    std::atomic<bool> reading{false}, writing{true};
    std::atomic<int> reads{0};
    int whole = 0;  // reports read; a reader gives up on a writer that never pauses
    int torn = 0;
    std::thread reader([&] {
        reading = true;
        for (; writing; ++reads) {
            if (const std::optional<ProgressReport> report = ReadProgress(block)) {
                const uint64_t value = report->produced;
                ++whole;
                torn += value != report->newSize ||
                        static_cast<uint32_t>(value) != static_cast<uint32_t>(value >> 32);
            }
        }
    });
    while (!reading) {
    }
    // Both go on until each has done its share while the other runs.
    for (uint64_t i = 1; i <= kTimes || reads < kTimes; ++i) {
        const uint64_t value = (i & 0xFFFFFFFF) * 0x100000001ull;
        WriteProgress(block, {ProgressPhase::Patching, value, value});
    }
    writing = false;
    reader.join();
    EXPECT_EQ(torn, 0) << "of " << whole << " reports read";
    EXPECT_GT(whole, kTimes / 100);
}

TEST(ProgressReporter, PhasesAtOnceBytesAtMostEvery64KBAnd20Ms) {
    struct Case {
        const char* what;
        uint64_t piece;  // written each millisecond
        uint64_t total;
        size_t publications;  // of the bytes
    };
    const Case cases[] = {
        {"slow: every 64 KB", 1024, 1280 * 1024, 20},
        {"fast: every 20 ms", 64 * 1024, 160 * 64 * 1024, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgressBlock block = NewBlock();
        uint64_t now = 1000;
        ProgressReporter reporter(&block, [&] { return now; });
        reporter.SetNewSize(c.total);
        reporter.Phase(ProgressPhase::Patching);
        EXPECT_EQ(ReadProgress(block), (ProgressReport{ProgressPhase::Patching, c.total, 0}));
        std::vector<std::pair<uint64_t, uint64_t>> published{{now, 0}};  // time, bytes
        for (uint64_t written = 0; written < c.total; written += c.piece) {
            ++now;
            reporter.Produced(c.piece);
            const uint64_t produced = ReadProgress(block)->produced;
            if (produced != published.back().second) {
                EXPECT_GE(now - published.back().first, 20u) << "at " << produced;
                EXPECT_GE(produced - published.back().second, 64u * 1024);
                published.emplace_back(now, produced);
            }
        }
        EXPECT_EQ(published.size() - 1, c.publications);
        reporter.Phase(ProgressPhase::Finishing);
        EXPECT_EQ(ReadProgress(block)->produced, c.total) << "every byte at the next phase";
    }
}

}  // namespace
