// bspatch OLD NEW PATCH as the program runs it, reporting its progress into
// a channel in ordinary memory, which a second thread reads ten times a
// second as the tool does: what reporting costs, where the program's own
// channel (shared memory named in the environment) exists only on Windows.
// With BENCH_PROGRESS_STATS set it also prints, on stderr, the publications
// of the run and what one clock read and one publication cost here.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "BsPatch.h"
#include "ProgressReporter.h"

namespace {

// Nanoseconds per call of `work`, over a million calls.
template <typename Work>
double NanosecondsEach(Work work) {
    constexpr int kCalls = 1000000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) {
        work(i);
    }
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kCalls;
}

// Counts what it is given, as a sink at the end of ApplyPatch's calls.
class NullSink : public bspatch::ByteSink {
public:
    void Write(const uint8_t* /*data*/, size_t size) override { bytes_ += size; }

private:
    uint64_t bytes_ = 0;
};

// What a piece written through the progress sink costs more than one
// written straight to the file's sink: a one-byte piece, the worst case.
double SinkCostEach(bspatch::ProgressBlock& scratch) {
    NullSink file;
    bspatch::ProgressReporter reporter(&scratch);
    bspatch::ProgressSink counted(file, reporter);
    // Called through a pointer the compiler cannot see through, as ApplyPatch calls its sink.
    bspatch::ByteSink* volatile straight = &file;
    bspatch::ByteSink* volatile through = &counted;
    const uint8_t byte = 1;
    const double plain = NanosecondsEach([&](int) { straight->Write(&byte, 1); });
    return NanosecondsEach([&](int) { through->Write(&byte, 1); }) - plain;
}

void PrintStats(const bspatch::ProgressBlock& block) {
    const std::optional<bspatch::ProgressReport> last = bspatch::ReadProgress(block);
    std::atomic<uint64_t> sink{0};
    const double clock =
        NanosecondsEach([&](int) { sink += bspatch::ProgressReporter::SteadyMilliseconds(); });
    bspatch::ProgressBlock scratch;
    bspatch::InitProgressBlock(scratch);
    const double publish = NanosecondsEach([&](int i) {
        bspatch::WriteProgress(scratch, {bspatch::ProgressPhase::Patching, 1u << 30, uint64_t(i)});
    });
    const double piece = SinkCostEach(scratch);
    std::fprintf(stderr,
                 "%llu bytes, %u publications; a clock read %.1f ns, a publication %.1f ns, "
                 "a piece %.1f ns more\n",
                 static_cast<unsigned long long>(last ? last->produced : 0), block.sequence / 2,
                 clock, publish, piece);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: bspatch_progress OLD NEW PATCH\n", stderr);
        return 1;
    }
    bspatch::ProgressBlock block;
    bspatch::InitProgressBlock(block);
    std::mutex mutex;
    std::condition_variable stop;
    bool done = false;
    std::thread reader([&] {
        std::unique_lock lock(mutex);
        while (!stop.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) {
            (void)bspatch::ReadProgress(block);
        }
    });
    bspatch::PatchOptions options;
    options.progress = &block;
    const bspatch::PatchResult result = bspatch::PatchFiles(argv[1], argv[2], argv[3], options);
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    stop.notify_one();
    reader.join();
    if (result.code != bspatch::ExitCode::Ok) {
        std::fprintf(stderr, "bspatch: %s\n", result.message.c_str());
    } else if (std::getenv("BENCH_PROGRESS_STATS") != nullptr) {
        PrintStats(block);
    }
    return static_cast<int>(result.code);
}
