// Random access to an input: a file on disk or a buffer in memory. Portable.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <utility>

#include "PatchError.h"

namespace bspatch {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual uint64_t Size() const = 0;

    // Reads exactly `size` bytes at `offset`; the range lies inside Size().
    // Safe to call from several threads at once: the patch's three streams
    // are read by their own decoders. Throws PatchError on an I/O failure.
    virtual void ReadAt(uint64_t offset, uint8_t* buffer, size_t size) = 0;
};

// Takes the new file's bytes in order.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(const uint8_t* data, size_t size) = 0;

    // Writes up to `size` bytes of `source` from `offset` (inside it) as
    // they are, where the sink can without passing them through memory (a
    // copy inside the system); returns how many, 0 where it cannot.
    virtual uint64_t CopyFrom(ByteSource& source, uint64_t offset, uint64_t size) {
        (void)source;
        (void)offset;
        (void)size;
        return 0;
    }

    // `count` copies of `byte`; a sink may do better than bytes for zeros.
    virtual void WriteRun(uint8_t byte, uint64_t count) {
        uint8_t chunk[4096];
        std::memset(chunk, byte, sizeof chunk);
        while (count != 0) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(count, sizeof chunk));
            Write(chunk, n);
            count -= n;
        }
    }
};

// Borrows a buffer; used by the tests and the fuzz targets.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const uint8_t> data) : data_(data) {}

    uint64_t Size() const override { return data_.size(); }
    void ReadAt(uint64_t offset, uint8_t* buffer, size_t size) override {
        if (offset > data_.size() || size > data_.size() - offset) {
            throw PatchError(ExitCode::Io, "read outside the buffer");
        }
        if (size != 0) {
            std::memcpy(buffer, data_.data() + offset, size);
        }
    }

private:
    std::span<const uint8_t> data_;
};

// A buffer whose reads fail from `failAt` on, as a bad sector, a dropped
// share or a file that shrank after it was opened make them: they throw
// PatchError (I/O) with `message`. Used by the tests and the fuzz targets.
class FailingSource : public MemorySource {
public:
    FailingSource(std::span<const uint8_t> data, uint64_t failAt, std::string message)
        : MemorySource(data), failAt_(failAt), message_(std::move(message)) {}

    void ReadAt(uint64_t offset, uint8_t* buffer, size_t size) override {
        if (offset + size > failAt_) {
            throw PatchError(ExitCode::Io, message_);
        }
        MemorySource::ReadAt(offset, buffer, size);
    }

private:
    uint64_t failAt_;
    std::string message_;
};

}  // namespace bspatch
