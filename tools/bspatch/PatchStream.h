// One of the patch's three bzip2 streams, named for its messages, decoded
// on the calling thread or, a few blocks ahead, on the patch's DecodePool.
// Portable.
#pragma once

#include <cstdint>
#include <string>

#include "Bzip2Decoder.h"

namespace bspatch {

class DecodePool;

struct PatchStreamOptions {
    bool threaded = true;         // blocks decoded ahead on the pool
    size_t pieceSize = SIZE_MAX;  // most bytes handed out at once
    size_t lookahead = 0;         // blocks ahead; 0: two more than the pool's workers
};

class PatchStream {
public:
    // `label` names the stream in messages ("PATH: corrupt diff block ...").
    // `pool` is used when options.threaded is set; it must outlive the stream.
    PatchStream(ByteSource& source, uint64_t begin, uint64_t end, std::string label,
                DecodePool* pool, const PatchStreamOptions& options);

    // The next piece of at most `maxBytes` decoded bytes (see Bzip2Piece).
    // Empty only at the end of the stream, after all of its checks. Throws
    // PatchError (corrupt patch or I/O).
    Bzip2Piece Next(size_t maxBytes);

    // Fills `out` completely and returns true, or returns false when the
    // stream ends first (having filled only part of it).
    bool ReadExact(uint8_t* out, size_t size);

private:
    Bzip2Decoder decoder_;
    std::string label_;
    size_t pieceSize_;
};

}  // namespace bspatch
