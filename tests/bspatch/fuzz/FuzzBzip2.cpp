// libFuzzer target of the bzip2 decoder: the input is one stream, decoded on
// the calling thread and on a pool of two workers, which must agree byte for
// byte and on the fault (a false block marker must never change the output);
// then on the pool from a source whose reads fail past three quarters of
// the input, which must give a part of the same bytes and stop cleanly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "Bzip2Decoder.h"
#include "DecodePool.h"

namespace {

struct Outcome {
    std::vector<uint8_t> bytes;
    std::optional<bspatch::Bzip2Fault> fault;
    uint64_t offset = 0;
    bool readFailed = false;
};

Outcome Decode(const uint8_t* data, size_t size, bspatch::DecodePool* pool,
               uint64_t failAt = UINT64_MAX) {
    bspatch::FailingSource source({data, size}, failAt, "read failed");
    bspatch::Bzip2Decoder decoder(source, 0, size, pool, 3);
    Outcome outcome;
    // A few blocks of long runs can expand a small input a thousandfold;
    // stop after 64 MB so that sessions stay quick.
    try {
        while (outcome.bytes.size() < (64u << 20)) {
            bspatch::Bzip2Piece piece = decoder.Next(1 << 16);
            if (piece.size == 0) {
                break;
            }
            if (piece.data != nullptr) {
                outcome.bytes.insert(outcome.bytes.end(), piece.data, piece.data + piece.size);
            } else {
                outcome.bytes.insert(outcome.bytes.end(), piece.size, piece.fill);
            }
        }
    } catch (const bspatch::Bzip2Error& e) {
        outcome.fault = e.Fault();
        outcome.offset = e.Offset();
    } catch (const bspatch::PatchError&) {
        outcome.readFailed = true;
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Outcome inline_ = Decode(data, size, nullptr);
    bspatch::DecodePool pool(2);
    Outcome parallel = Decode(data, size, &pool);
    if (inline_.bytes != parallel.bytes || inline_.fault != parallel.fault ||
        inline_.offset != parallel.offset) {
        std::abort();  // the two ways of decoding disagree
    }
    Outcome failing = Decode(data, size, &pool, size - size / 4);
    if (failing.bytes.size() > inline_.bytes.size() ||
        !std::equal(failing.bytes.begin(), failing.bytes.end(), inline_.bytes.begin()) ||
        (!failing.readFailed && failing.fault != inline_.fault)) {
        std::abort();  // a failing read changed the bytes or the fault before it
    }
    return 0;
}
