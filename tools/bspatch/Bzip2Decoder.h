// A bzip2 stream (the file format of bzip2 1.0) held in a byte range of a
// ByteSource, decoded on demand, block by block: on the calling thread, or
// ahead of it on a DecodePool, several blocks at once. Either way the output
// is the same and comes in order. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "BlockScheduler.h"
#include "Bzip2Error.h"
#include "ByteSource.h"

namespace bspatch {

class DecodePool;

// Decoded output: `size` bytes at `data`, writable in place, or, where
// `data` is null, `size` copies of `fill`. Valid until the next call.
struct Bzip2Piece {
    uint8_t* data = nullptr;
    size_t size = 0;
    uint8_t fill = 0;
};

// The range must hold exactly one stream. Memory stays bounded: the blocks
// in hand (each at most 0.9 MB of bytes and 1.5 MB of run records), and
// without a pool one BlockScratch.
class Bzip2Decoder {
public:
    // Without `pool`, each block is decoded when it is needed, on the
    // calling thread. With it, up to `lookahead` blocks (0: two more than the
    // pool's workers) are decoded ahead on the pool.
    Bzip2Decoder(ByteSource& source, uint64_t begin, uint64_t end, DecodePool* pool = nullptr,
                 size_t lookahead = 0);
    ~Bzip2Decoder();
    Bzip2Decoder(const Bzip2Decoder&) = delete;
    Bzip2Decoder& operator=(const Bzip2Decoder&) = delete;

    // With a pool: reads the stream header and sets the first blocks
    // decoding now, before the first Next. A failure shows at the first Next.
    void Start();

    // The next piece of at most `maxBytes` (at least 1) bytes. Size 0 only at
    // the end of the stream, once every CRC has been checked and nothing
    // follows the stream in its range. Throws Bzip2Error on bad data and
    // PatchError when the source cannot be read; after a failure every call
    // throws it again.
    Bzip2Piece Next(size_t maxBytes);

    // Fills `out` with up to `size` decoded bytes and returns how many; 0
    // only at the end, as above.
    size_t Read(uint8_t* out, size_t size);

    BlockStats Stats() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace bspatch
