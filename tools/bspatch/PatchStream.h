// One of the patch's three bzip2 streams, decoded either on the calling
// thread or ahead of it on a worker thread of its own that fills a bounded
// queue of chunks. Portable (std::thread).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "Bzip2Decoder.h"

namespace bspatch {

struct PatchStreamOptions {
    bool threaded = true;
    size_t chunkSize = 1 << 20;  // bytes per queued chunk
    size_t depth = 3;            // chunks decoded ahead at most
};

class PatchStream {
public:
    // `label` names the stream in messages ("PATH: corrupt diff block ...").
    PatchStream(ByteSource& source, uint64_t begin, uint64_t end, std::string label,
                const PatchStreamOptions& options);
    ~PatchStream();
    PatchStream(const PatchStream&) = delete;
    PatchStream& operator=(const PatchStream&) = delete;

    // The next up to `maxBytes` decoded bytes, writable in place and valid
    // until the next call. Empty only at the end of the stream, after all of
    // its checks. Throws PatchError (corrupt patch or I/O).
    std::span<uint8_t> Next(size_t maxBytes);

    // Fills `out` completely and returns true, or returns false when the
    // stream ends first (having filled only part of it).
    bool ReadExact(uint8_t* out, size_t size);

private:
    // Buffers are left uninitialised: they are always written before read.
    struct Chunk {
        std::unique_ptr<uint8_t[]> data;
        size_t capacity = 0;
        size_t size = 0;
    };
    static Chunk MakeChunk(size_t capacity) {
        return Chunk{std::make_unique_for_overwrite<uint8_t[]>(capacity), capacity, 0};
    }

    void Work();
    void FillChunk(Chunk& chunk);
    [[noreturn]] void Rethrow(std::exception_ptr failure) const;

    Bzip2Decoder decoder_;
    std::string label_;
    PatchStreamOptions options_;

    Chunk current_;  // the chunk the consumer reads from
    size_t readPos_ = 0;
    bool ended_ = false;

    // Shared with the worker.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk> filled_;
    std::vector<Chunk> free_;
    bool workerDone_ = false;  // no more chunks will come
    bool stop_ = false;
    std::exception_ptr failure_;
    std::thread worker_;
};

}  // namespace bspatch
