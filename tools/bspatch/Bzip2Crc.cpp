// The register is a polynomial over GF(2) of degree below 32. One byte b
// maps it to (crc + b x^24) x^8 mod P, so n bytes of b map it to
//
//   crc x^(8n) + R_n(b)   (mod P),   R_n(b) = the register after n bytes of b from 0.
//
// A run is split into powers of two, 2^k bytes each: a multiplication by
// x^(8 * 2^k) (tables of nibbles) and R_(2^k)(b) (tables of b's two nibbles,
// as R is linear in b). The order of the pieces does not matter, as all
// bytes of a run are equal.
#include "Bzip2Crc.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace bspatch {
namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7u;

// a * b mod P.
constexpr uint32_t MulMod(uint32_t a, uint32_t b) {
    uint32_t product = 0;
    for (int bit = 31; bit >= 0; --bit) {
        product = (product << 1) ^ ((product & 0x80000000u) ? kPolynomial : 0u);
        if ((b >> bit) & 1u) {
            product ^= a;
        }
    }
    return product;
}

// Slicing tables: kSlices[k][v] is v x^(32 + 8k) mod P, so that eight bytes
// are folded in at once; kSlices[0] is the classic byte table.
using SliceTables = std::array<std::array<uint32_t, 256>, 8>;
constexpr SliceTables MakeSlices() {
    SliceTables tables{};
    for (uint32_t v = 0; v < 256; ++v) {
        uint32_t crc = v << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ kPolynomial : crc << 1;
        }
        tables[0][v] = crc;
    }
    for (int k = 1; k < 8; ++k) {
        for (uint32_t v = 0; v < 256; ++v) {
            uint32_t previous = tables[k - 1][v];
            tables[k][v] = (previous << 8) ^ tables[0][previous >> 24];
        }
    }
    return tables;
}
constexpr SliceTables kSlices = MakeSlices();

constexpr int kPowers = 32;  // runs below 2^32 bytes in one go

struct RunTables {
    // times[k][i][v]: (v x^(4i)) x^(8 * 2^k) mod P, for the eight nibbles of a register.
    uint32_t times[kPowers][8][16];
    // runs[k][i][v]: R_(2^k) of the byte whose nibble i (0 low, 1 high) is v.
    uint32_t runs[kPowers][2][16];
};

// Both kinds of table are linear, so only single bits are multiplied out
// (which keeps the compile-time work small) and the rest are sums of them.
constexpr uint32_t SumOfBits(const uint32_t* single, uint32_t v) {
    uint32_t sum = 0;
    for (int bit = 0; bit < 4; ++bit) {
        if ((v >> bit) & 1u) {
            sum ^= single[bit];
        }
    }
    return sum;
}

constexpr RunTables MakeRunTables() {
    RunTables t{};
    uint32_t power = 1u << 8;  // x^8: one byte
    uint32_t run[8] = {};      // R_(2^k) of the byte 1 << b
    for (int b = 0; b < 8; ++b) {
        run[b] = kSlices[0][1u << b];
    }
    for (int k = 0; k < kPowers; ++k) {
        uint32_t single[32] = {};
        for (int bit = 0; bit < 32; ++bit) {
            single[bit] = MulMod(1u << bit, power);
        }
        for (int i = 0; i < 8; ++i) {
            for (uint32_t v = 0; v < 16; ++v) {
                t.times[k][i][v] = SumOfBits(single + 4 * i, v);
            }
        }
        for (uint32_t v = 0; v < 16; ++v) {
            t.runs[k][0][v] = SumOfBits(run, v);
            t.runs[k][1][v] = SumOfBits(run + 4, v);
        }
        // Twice the run: R_2m = R_m x^(8m) + R_m.
        for (int b = 0; b < 8; ++b) {
            run[b] = MulMod(run[b], power) ^ run[b];
        }
        power = MulMod(power, power);
    }
    return t;
}
constexpr RunTables kRunTables = MakeRunTables();

uint32_t Times(int k, uint32_t crc) {
    const auto& table = kRunTables.times[k];
    uint32_t result = 0;
    for (int i = 0; i < 8; ++i) {
        result ^= table[i][(crc >> (4 * i)) & 0xF];
    }
    return result;
}

inline uint32_t CrcByte(uint32_t crc, uint8_t byte) {
    return (crc << 8) ^ kSlices[0][(crc >> 24) ^ byte];
}

}  // namespace

uint32_t CrcUpdate(uint32_t crc, const uint8_t* data, size_t size) {
    while (size >= 8) {
        uint32_t high = crc ^ ((uint32_t{data[0]} << 24) | (uint32_t{data[1]} << 16) |
                               (uint32_t{data[2]} << 8) | data[3]);
        crc = kSlices[7][high >> 24] ^ kSlices[6][(high >> 16) & 0xFF] ^
              kSlices[5][(high >> 8) & 0xFF] ^ kSlices[4][high & 0xFF] ^ kSlices[3][data[4]] ^
              kSlices[2][data[5]] ^ kSlices[1][data[6]] ^ kSlices[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size-- != 0) {
        crc = CrcByte(crc, *data++);
    }
    return crc;
}

uint32_t CrcUpdateRun(uint32_t crc, uint8_t byte, uint64_t count) {
    // Short runs, the most common (a record is often 4 to 40 bytes), go
    // eight bytes at a time through the slicing tables.
    if (count < 128) {
        uint8_t bytes[128];
        std::memset(bytes, byte, static_cast<size_t>(count));
        return CrcUpdate(crc, bytes, static_cast<size_t>(count));
    }
    constexpr uint64_t kMostInOneGo = (uint64_t{1} << kPowers) - 1;
    while (count != 0) {
        uint64_t piece = std::min(count, kMostInOneGo);
        count -= piece;
        for (int k = 0; piece != 0; ++k, piece >>= 1) {
            if (piece & 1) {
                crc = Times(k, crc) ^ kRunTables.runs[k][0][byte & 0xF] ^
                      kRunTables.runs[k][1][byte >> 4];
            }
        }
    }
    return crc;
}

}  // namespace bspatch
