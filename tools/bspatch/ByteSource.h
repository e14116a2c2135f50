// Random access to an input: a file on disk or a buffer in memory. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

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

}  // namespace bspatch
