// The CRC over bytes (eight at a time) and over runs (by the bits of the
// length) against the CRC computed bit by bit.
#include "Bzip2Crc.h"

#include <gtest/gtest.h>

#include "Bzip2Streams.h"

using namespace bspatch;
using namespace bspatch_test;

TEST(Bzip2Crc, BytesAtEveryLengthAndAlignment) {
    const Bytes data = RandomBytes(100, 1);
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length = 0; length + offset <= data.size(); length += 1 + length / 8) {
            SCOPED_TRACE(std::to_string(offset) + "+" + std::to_string(length));
            Bytes piece(data.begin() + static_cast<ptrdiff_t>(offset),
                        data.begin() + static_cast<ptrdiff_t>(offset + length));
            EXPECT_EQ(CrcUpdate(0x12345678u, data.data() + offset, length),
                      SlowCrcUpdate(0x12345678u, piece));
        }
    }
    EXPECT_EQ(~CrcUpdate(0xFFFFFFFFu, data.data(), data.size()), SlowCrc(data));
}

TEST(Bzip2Crc, RunsMatchTheirBytes) {
    for (uint8_t byte : {0x00, 0x01, 0x5A, 0x80, 0xFF}) {
        for (uint64_t count : {0u, 1u, 31u, 32u, 33u, 255u, 256u, 1000u, 65537u, 1048579u}) {
            SCOPED_TRACE(std::to_string(byte) + " x " + std::to_string(count));
            const Bytes run(count, byte);
            EXPECT_EQ(CrcUpdateRun(0xFFFFFFFFu, byte, count), SlowCrcUpdate(0xFFFFFFFFu, run));
            EXPECT_EQ(CrcUpdateRun(0x0BADF00Du, byte, count), SlowCrcUpdate(0x0BADF00Du, run));
        }
    }
}

TEST(Bzip2Crc, RunsLongerThan4GiBSplitAnywhere) {
    // A run of 2^33 + 5 bytes is the same as two shorter runs; the split
    // point must not matter.
    const uint64_t total = (uint64_t{1} << 33) + 5;
    const uint32_t whole = CrcUpdateRun(0xFFFFFFFFu, 7, total);
    for (uint64_t first : {uint64_t{1}, uint64_t{1} << 32, total - 3}) {
        EXPECT_EQ(CrcUpdateRun(CrcUpdateRun(0xFFFFFFFFu, 7, first), 7, total - first), whole);
    }
}
