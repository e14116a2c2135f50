// The block-marker scanner against a search bit by bit: markers planted at
// every shift, across the scanner's buffer borders and at both ends of the
// range, and the skip points of the reader.
#include "BlockScanner.h"

#include <gtest/gtest.h>

#include "Bzip2Streams.h"

using namespace bspatch;
using namespace bspatch_test;

namespace {

constexpr uint64_t kMarker = 0x314159265359;

std::vector<uint64_t> BitByBit(const Bytes& data, uint64_t from) {
    std::vector<uint64_t> found;
    uint64_t window = 0;  // the last 48 bits, the newest lowest
    for (uint64_t bit = 0; bit < data.size() * 8; ++bit) {
        window =
            ((window << 1) | ((data[bit / 8] >> (7 - bit % 8)) & 1)) & ((uint64_t{1} << 48) - 1);
        if (bit >= 47 && window == kMarker && bit - 47 >= from) {
            found.push_back(bit - 47);
        }
    }
    return found;
}

std::vector<uint64_t> Scan(const Bytes& data, uint64_t from, uint64_t skipAfterFirst = 0) {
    MemorySource source(data);
    BlockScanner scanner({&source, 0, data.size()}, from);
    std::vector<uint64_t> found;
    while (std::optional<uint64_t> bit = scanner.Next()) {
        found.push_back(*bit);
        if (found.size() == 1 && skipAfterFirst != 0) {
            scanner.SkipTo(skipAfterFirst);
        }
    }
    return found;
}

}  // namespace

TEST(BlockScanner, FindsEveryMarkerThatABitSearchFinds) {
    Bytes data = RandomBytes(300000, 1);
    const size_t end = data.size() * 8 - 48;
    // Every shift from the first bit on; two markers in one byte; both sides
    // of the first buffer border; the very end of the range. Apart by 48
    // bits at least, so that none overwrites another.
    std::vector<uint64_t> planted = {1003,           1051,           65536 * 8 - 47, 65536 * 8 + 13,
                                     131072 * 8 - 1, 200000 * 8 + 5, end - 60,       end};
    for (uint64_t shift = 0; shift < 8; ++shift) {
        planted.push_back(57 * shift);  // 7 bytes and one bit on each time
    }
    for (uint64_t bit : planted) {
        PutBits(data, bit, 48, kMarker);
    }
    const std::vector<uint64_t> expected = BitByBit(data, 0);
    for (uint64_t bit : planted) {
        EXPECT_NE(std::find(expected.begin(), expected.end(), bit), expected.end()) << bit;
    }
    EXPECT_EQ(Scan(data, 0), expected);
    for (uint64_t from : {uint64_t{1}, uint64_t{33}, uint64_t{34}, uint64_t{65536 * 8 - 21}}) {
        SCOPED_TRACE(from);
        EXPECT_EQ(Scan(data, from), BitByBit(data, from));
    }
}

TEST(BlockScanner, SkipsNearAndFar) {
    Bytes data = RandomBytes(400000, 2);
    for (uint64_t bit : {uint64_t{100}, uint64_t{5000}, uint64_t{5100}, uint64_t{2500000},
                         uint64_t{2500049}, uint64_t{3000000}}) {
        PutBits(data, bit, 48, kMarker);
    }
    const std::vector<uint64_t> all = BitByBit(data, 0);
    for (uint64_t skip : {uint64_t{5050}, uint64_t{5100}, uint64_t{2500001}, uint64_t{3100000}}) {
        SCOPED_TRACE(skip);
        std::vector<uint64_t> expected = {all.front()};
        for (uint64_t bit : all) {
            if (bit >= skip) {
                expected.push_back(bit);
            }
        }
        EXPECT_EQ(Scan(data, 0, skip), expected);
    }
}

TEST(BlockScanner, RangesTooShortForAMarker) {
    for (size_t length : {0, 1, 2, 5, 6, 7}) {
        SCOPED_TRACE(length);
        Bytes data(length, 0);
        if (length >= 6) {
            PutBits(data, 0, 48, kMarker);
        }
        EXPECT_EQ(Scan(data, 0), BitByBit(data, 0));
    }
}
