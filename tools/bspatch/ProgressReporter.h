// bspatch's side of the progress channel: each phase as it begins, and the
// bytes of the new file as they pass to it, published when at least 64 KB
// and 20 ms have passed since the last time, so that reporting costs next
// to nothing: the clock is read once per 64 KB. Portable.
#pragma once

#include <cstdint>
#include <functional>

#include "ByteSource.h"
#include "ProgressChannel.h"

namespace bspatch {

class ProgressReporter {
public:
    // Milliseconds of a clock that never goes back.
    using Clock = std::function<uint64_t()>;
    static constexpr uint64_t kByteStep = 64 * 1024;
    static constexpr uint64_t kMinInterval = 20;

    // Reports into `block`, which must stay mapped while the reporter lives;
    // without one it reports nothing.
    explicit ProgressReporter(ProgressBlock* block, Clock clock = SteadyMilliseconds);

    void SetNewSize(uint64_t size) { report_.newSize = size; }
    // Published at once, with the bytes produced so far.
    void Phase(ProgressPhase phase);
    void Produced(uint64_t bytes) {
        report_.produced += bytes;
        if (report_.produced >= nextCheck_) {
            PublishIfDue();
        }
    }

    static uint64_t SteadyMilliseconds();

private:
    void PublishIfDue();
    void Publish(uint64_t now);

    ProgressBlock* block_;
    Clock clock_;
    ProgressReport report_;
    uint64_t nextCheck_ = kByteStep;  // the next count at which the clock is read
    uint64_t publishedAt_ = 0;
};

// Hands everything on to `out` and counts the bytes of the new file into
// the reporter as they pass.
class ProgressSink : public ByteSink {
public:
    ProgressSink(ByteSink& out, ProgressReporter& progress) : out_(out), progress_(progress) {}

    void Write(const uint8_t* data, size_t size) override;
    uint64_t CopyFrom(ByteSource& source, uint64_t offset, uint64_t size) override;
    void WriteRun(uint8_t byte, uint64_t count) override;

private:
    ByteSink& out_;
    ProgressReporter& progress_;
};

}  // namespace bspatch
