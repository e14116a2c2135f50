// libFuzzer target of the patch reader. Input: a 2-byte little-endian
// length L, L bytes of old file, then the patch. L chooses the way: the
// blocks decoded inline or on two workers, and the patch read whole or
// from a source whose reads fail past a point of it.
#include <cstddef>
#include <cstdint>
#include <new>

#include "BsPatch.h"

namespace {

class CountingSink : public bspatch::ByteSink {
public:
    void Write(const uint8_t* data, size_t size) override {
        for (size_t i = 0; i < size; ++i) {
            sum_ += data[i];
        }
    }

private:
    uint64_t sum_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    size_t oldLength = data[0] | (size_t{data[1]} << 8);
    if (oldLength > size - 2) {
        return 0;
    }
    bspatch::MemorySource oldFile({data + 2, oldLength});
    const size_t patchSize = size - 2 - oldLength;
    const uint64_t failAt = (oldLength & 2) != 0 ? patchSize * (oldLength % 7 + 1) / 8 : UINT64_MAX;
    bspatch::FailingSource patch({data + 2 + oldLength, patchSize}, failAt, "P: read failed");
    CountingSink sink;
    const bspatch::PatchOptions options = {
        .streams = {.threaded = (oldLength % 2) == 1, .pieceSize = 4096, .lookahead = 3},
        .workers = 2,
        .oldWindow = 64};
    try {
        bspatch::ApplyPatch(oldFile, patch, sink, "P", options);
    } catch (const bspatch::PatchError&) {
    }
    return 0;
}
