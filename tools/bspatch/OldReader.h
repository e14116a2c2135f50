// The old file as the patch reads it: at any position, forward or back,
// with positions outside the file reading as 0. A few windows of buffered
// bytes, each refilled with what its access needs: a stream of reads
// moving forward fills a whole window at a time, a jump elsewhere reads a
// small piece into the window used least recently, so that reordered data
// (files moved inside an image) costs what it reads, not a window a byte.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "ByteSource.h"

namespace bspatch {

class OldReader {
public:
    // `buffered`: the bytes kept in all windows together.
    OldReader(ByteSource& file, size_t buffered);

    // Adds the old bytes at [position, position + size) to `data`. The caller
    // has checked that position + size does not overflow.
    void AddTo(int64_t position, uint8_t* data, size_t size);

    // Writes the old bytes at [position, position + size), each plus `add`,
    // to `out`: a run of diff bytes. Where `add` is 0 they go out straight
    // from the window, or, for a long run, from the file to `out` inside the
    // system where `out` can do that.
    void WriteSum(int64_t position, size_t size, uint8_t add, ByteSink& out);

    // Bytes read from the file so far.
    uint64_t BytesRead() const { return bytesRead_; }

private:
    static constexpr int kWindows = 4;

    struct Window {
        uint64_t start = 0;
        size_t length = 0;
        uint64_t lastUse = 0;
        std::unique_ptr<uint8_t[]> buffer;

        bool Holds(uint64_t at) const { return at >= start && at - start < length; }
    };

    // Calls inside(old bytes, n) for the parts of [position, position + size)
    // in the file and outside(n) for the parts before or after it, in order.
    // direct(position, n) may take a long part of it first, where no window
    // holds it, and returns how much it took.
    template <typename Inside, typename Outside, typename Direct>
    void Visit(int64_t position, size_t size, Inside inside, Outside outside, Direct direct);

    // The window that holds the byte at `at` (inside the file), filled if
    // need be for an access of `want` bytes from there.
    Window& WindowAt(uint64_t at, size_t want);
    Window& FindWindow(uint64_t at, size_t want);
    bool InWindow(uint64_t at) const;
    void Fill(Window& window, uint64_t start, size_t length);

    ByteSource& file_;
    const uint64_t size_;
    const size_t capacity_;  // of each window
    Window windows_[kWindows];
    int lastWindow_ = 0;  // the window of the last access
    uint64_t clock_ = 0;
    uint64_t bytesRead_ = 0;
    std::unique_ptr<uint8_t[]> sum_;
};

}  // namespace bspatch
