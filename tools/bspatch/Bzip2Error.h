// The ways a bzip2 stream can be bad, and the error that carries one with
// the offset where it showed. Portable.
#pragma once

#include <cstdint>
#include <exception>

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
    TooLarge,         // a range too long to count its bits in 64 bits
};

// The short word for a fault, as the messages show it.
inline const char* Bzip2FaultText(Bzip2Fault fault) {
    switch (fault) {
        case Bzip2Fault::Truncated:
            return "bzip2 data ends early";
        case Bzip2Fault::BadStreamHeader:
            return "bad bzip2 stream header";
        case Bzip2Fault::BadMagic:
            return "bad bzip2 block marker";
        case Bzip2Fault::BadSymbolMap:
            return "bad bzip2 symbol map";
        case Bzip2Fault::BadSelectors:
            return "bad bzip2 selectors";
        case Bzip2Fault::BadCodeLengths:
            return "bad bzip2 Huffman code lengths";
        case Bzip2Fault::BadSymbol:
            return "bad bzip2 Huffman code";
        case Bzip2Fault::BlockTooLong:
            return "bzip2 block longer than its stream allows";
        case Bzip2Fault::BadOrigin:
            return "bad bzip2 block origin";
        case Bzip2Fault::BlockCrc:
            return "bzip2 block CRC mismatch";
        case Bzip2Fault::StreamCrc:
            return "bzip2 stream CRC mismatch";
        case Bzip2Fault::TrailingData:
            return "data after the end of the bzip2 stream";
        case Bzip2Fault::TooLarge:
            return "bzip2 stream too large";
    }
    return "bad bzip2 data";
}

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

}  // namespace bspatch
