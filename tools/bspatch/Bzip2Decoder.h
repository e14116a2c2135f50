// A streaming decoder for one bzip2 stream (the file format of bzip2 1.0)
// held in a byte range of a ByteSource. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>

#include "ByteSource.h"

namespace bspatch {

enum class Bzip2Fault {
    Truncated,        // the range ends inside the stream
    BadStreamHeader,  // not "BZh1".."BZh9"
    BadMagic,         // neither a block nor the end-of-stream marker
    BadSymbolMap,     // no byte value in use
    BadSelectors,     // group count, selector count or a selector out of range
    BadCodeLengths,   // a code length outside 1..20, or an over-full code
    BadSymbol,        // a bit pattern that no code of the table has
    BlockTooLong,     // more symbols than the stream header's block size
    BadOrigin,        // the transform's start index lies outside the block
    BlockCrc,         // a block's data does not match its CRC
    StreamCrc,        // the blocks do not match the combined CRC
    TrailingData,     // bytes after the end-of-stream marker
};

// The short word for a fault, as the messages show it.
const char* Bzip2FaultText(Bzip2Fault fault);

class Bzip2Error : public std::exception {
public:
    Bzip2Error(Bzip2Fault fault, uint64_t offset) : fault_(fault), offset_(offset) {}
    const char* what() const noexcept override { return Bzip2FaultText(fault_); }
    Bzip2Fault Fault() const { return fault_; }
    // Offset in the source of the byte where the fault showed.
    uint64_t Offset() const { return offset_; }

private:
    Bzip2Fault fault_;
    uint64_t offset_;
};

// Decodes the stream in [begin, end) of `source` on demand. Memory stays
// bounded: one block's transform vector (at most 3.6 MB) and a small input
// buffer. The range must hold exactly one stream.
class Bzip2Decoder {
public:
    Bzip2Decoder(ByteSource& source, uint64_t begin, uint64_t end);
    ~Bzip2Decoder();
    Bzip2Decoder(const Bzip2Decoder&) = delete;
    Bzip2Decoder& operator=(const Bzip2Decoder&) = delete;

    // Fills `out` with up to `size` decoded bytes and returns how many. It
    // returns 0 only at the end of the stream, once every CRC has been checked
    // and nothing follows the stream in its range. Throws Bzip2Error on bad
    // data and PatchError when the source cannot be read.
    size_t Read(uint8_t* out, size_t size);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace bspatch
