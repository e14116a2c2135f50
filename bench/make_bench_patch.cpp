// Writes an old file and a patch made by hand for bspatch_bench.sh. For
// the memory figures, the patch adds 8 MB of random diff bytes to the old
// file's 8 MB (its decoding keeps the reader busy while the extra stream is
// decoded ahead), then copies an extra stream of 15 blocks:
//   false-blocks: each block spells 40 whole false blocks in its data (600
//     candidates that decode 899 000 symbols each before their CRC fails);
//   records: runs of five bytes, the most run records that a block holds.
// back-and-forth: 200 000 one-byte adds that jump back and forth by 2 MB in
//   a 4 MB old file.
// Built by the benchmark from the tests' stream and patch helpers.
// Usage: make_bench_patch false-blocks|records|back-and-forth OLD PATCH
#include <cstdio>
#include <cstring>

#include "Bzip2Streams.h"
#include "TestFiles.h"

using namespace bspatch_test;

namespace {

constexpr int kBlocks = 15;
constexpr int kFalsePerBlock = 40;  // a level-1 block of the helpers holds no more

Bytes ExtraStream(bool falseBlocks, int64_t& size) {
    Bytes data;
    if (!falseBlocks) {
        for (int run = 0; run < kBlocks * 179000; ++run) {
            data.insert(data.end(), 5, static_cast<uint8_t>(1 + run % 251));
        }
        size = static_cast<int64_t>(data.size());
        return Bzip2(data, 9);
    }
    const std::vector<int> spelled = SpellBits(FalseBlockBits(899000));
    std::vector<BlockBits> blocks;
    size = 0;
    for (int b = 0; b < kBlocks; ++b) {
        std::vector<int> symbols = {b % 2};
        for (int i = 0; i < kFalsePerBlock; ++i) {
            symbols.insert(symbols.end(), {2, 3});
            symbols.insert(symbols.end(), spelled.begin(), spelled.end());
        }
        blocks.push_back(HandBlock(symbols, 1));
        size += static_cast<int64_t>(blocks.back().data.size());
    }
    return StreamOf(9, blocks);
}

void WriteBackAndForth(const char* oldPath, const char* patchPath) {
    constexpr int kAdds = 200000;
    constexpr int64_t kJump = 2 << 20;
    WriteFile(oldPath, RandomBytes(2 * kJump, 3));
    std::vector<Triple> triples;
    for (int i = 0; i < kAdds; ++i) {
        triples.push_back({1, 0, i % 2 == 0 ? kJump : -kJump});
    }
    WriteFile(patchPath, BuildPatch(triples, Bytes(kAdds, 1), {}, kAdds));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: make_bench_patch false-blocks|records|back-and-forth OLD PATCH\n",
                   stderr);
        return 1;
    }
    if (std::strcmp(argv[1], "back-and-forth") == 0) {
        WriteBackAndForth(argv[2], argv[3]);
        return 0;
    }
    constexpr int64_t kAdd = 8 << 20;
    WriteFile(argv[2], RandomBytes(kAdd, 1));
    int64_t extraSize = 0;
    const Bytes extra = ExtraStream(std::strcmp(argv[1], "false-blocks") == 0, extraSize);
    WriteFile(argv[3], AssemblePatch(Bzip2(ControlBlock({{kAdd, extraSize, 0}}), 9),
                                     Bzip2(RandomBytes(kAdd, 2), 9), extra, kAdd + extraSize));
    return 0;
}
