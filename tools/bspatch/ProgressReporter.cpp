#include "ProgressReporter.h"

#include <chrono>
#include <utility>

namespace bspatch {

ProgressReporter::ProgressReporter(ProgressBlock* block, Clock clock)
    : block_(block), clock_(std::move(clock)) {}

uint64_t ProgressReporter::SteadyMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void ProgressReporter::Phase(ProgressPhase phase) {
    report_.phase = phase;
    Publish(clock_());
}

void ProgressReporter::PublishIfDue() {
    nextCheck_ = report_.produced + kByteStep;
    const uint64_t now = clock_();
    if (now - publishedAt_ >= kMinInterval) {
        Publish(now);
    }
}

void ProgressReporter::Publish(uint64_t now) {
    if (block_ == nullptr) {
        return;
    }
    WriteProgress(*block_, report_);
    publishedAt_ = now;
    nextCheck_ = report_.produced + kByteStep;
}

void ProgressSink::Write(const uint8_t* data, size_t size) {
    out_.Write(data, size);
    progress_.Produced(size);
}

uint64_t ProgressSink::CopyFrom(ByteSource& source, uint64_t offset, uint64_t size) {
    const uint64_t copied = out_.CopyFrom(source, offset, size);
    progress_.Produced(copied);
    return copied;
}

void ProgressSink::WriteRun(uint8_t byte, uint64_t count) {
    out_.WriteRun(byte, count);
    progress_.Produced(count);
}

}  // namespace bspatch
