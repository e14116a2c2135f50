#include "Bzip2Streams.h"

#include <bzlib.h>

#include <stdexcept>
#include <string>

namespace bspatch_test {

void BitString::Put(uint64_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        bits_.push_back(((value >> i) & 1) != 0);
    }
}

void BitString::Append(const BitString& other) {
    bits_.insert(bits_.end(), other.bits_.begin(), other.bits_.end());
}

void BitString::AppendFrom(const Bytes& bytes, size_t fromBit, size_t toBit) {
    for (size_t bit = fromBit; bit < toBit; ++bit) {
        bits_.push_back(((bytes.at(bit / 8) >> (7 - bit % 8)) & 1) != 0);
    }
}

uint64_t BitString::Get(size_t at, int count) const {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 1) | (bits_.at(at + static_cast<size_t>(i)) ? 1 : 0);
    }
    return value;
}

void BitString::Set(size_t at, int count, uint64_t value) {
    for (int i = 0; i < count; ++i) {
        bits_.at(at + static_cast<size_t>(i)) = ((value >> (count - 1 - i)) & 1) != 0;
    }
}

Bytes BitString::ToBytes() const {
    Bytes out((bits_.size() + 7) / 8, 0);
    for (size_t bit = 0; bit < bits_.size(); ++bit) {
        if (bits_[bit]) {
            out[bit / 8] |= static_cast<uint8_t>(0x80u >> (bit % 8));
        }
    }
    return out;
}

uint64_t GetBits(const Bytes& stream, size_t bitOffset, int count) {
    BitString bits;
    bits.AppendFrom(stream, bitOffset, bitOffset + static_cast<size_t>(count));
    return bits.Get(0, count);
}

void PutBits(Bytes& stream, size_t bitOffset, int count, uint64_t value) {
    for (int i = 0; i < count; ++i) {
        size_t bit = bitOffset + static_cast<size_t>(i);
        uint8_t mask = static_cast<uint8_t>(0x80u >> (bit % 8));
        if ((value >> (count - 1 - i)) & 1) {
            stream.at(bit / 8) |= mask;
        } else {
            stream.at(bit / 8) &= static_cast<uint8_t>(~mask);
        }
    }
}

uint32_t SlowCrcUpdate(uint32_t crc, const Bytes& data) {
    for (uint8_t byte : data) {
        crc ^= static_cast<uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
    }
    return crc;
}

size_t EndMarkerBit(const Bytes& stream) {
    size_t total = stream.size() * 8;
    for (size_t pad = 0; pad < 8; ++pad) {
        size_t at = total - pad - 80;
        if (GetBits(stream, at, 48) == 0x177245385090) {
            return at;
        }
    }
    throw std::runtime_error("no end-of-stream marker");
}

Bytes LibraryOutputBeforeError(const Bytes& stream, bool* whole) {
    bz_stream bz = {};
    BZ2_bzDecompressInit(&bz, 0, 0);
    Bytes out(4 << 20);
    bz.next_in = const_cast<char*>(reinterpret_cast<const char*>(stream.data()));
    bz.avail_in = static_cast<unsigned int>(stream.size());
    bz.next_out = reinterpret_cast<char*>(out.data());
    bz.avail_out = static_cast<unsigned int>(out.size());
    int status;
    while ((status = BZ2_bzDecompress(&bz)) == BZ_OK && bz.avail_out != 0) {
    }
    if (whole != nullptr) {
        *whole = status == BZ_STREAM_END;
    }
    out.resize(out.size() - bz.avail_out);
    BZ2_bzDecompressEnd(&bz);
    return out;
}

BlockBits LibraryBlock(const Bytes& data, int level) {
    Bytes stream = Bzip2(data, level);
    size_t end = EndMarkerBit(stream);
    BlockBits block;
    block.bits.AppendFrom(stream, 32, end);
    block.crc = static_cast<uint32_t>(block.bits.Get(48, 32));
    block.data = data;
    if (GetBits(stream, end + 48, 32) != block.crc) {
        throw std::runtime_error("libbz2 wrote more than one block");
    }
    return block;
}

Bytes StreamOf(int level, const std::vector<BlockBits>& blocks) {
    BitString bits;
    bits.Put(0x425A6830u + static_cast<uint32_t>(level), 32);  // "BZh" and the digit
    uint32_t combined = 0;
    for (const BlockBits& block : blocks) {
        bits.Append(block.bits);
        combined = ((combined << 1) | (combined >> 31)) ^ block.crc;
    }
    bits.Put(0x177245385090, 48);
    bits.Put(combined, 32);
    return bits.ToBytes();
}

std::vector<size_t> BlockStarts(const std::vector<BlockBits>& blocks) {
    std::vector<size_t> starts;
    size_t at = 32;
    for (const BlockBits& block : blocks) {
        starts.push_back(at);
        at += block.bits.Size();
    }
    return starts;
}

namespace {

struct Code {
    uint32_t bits;
    int length;
};
constexpr Code kHandCode[5] = {{0b00, 2}, {0b01, 2}, {0b10, 2}, {0b110, 3}, {0b111, 3}};

// A block's bits up to its two code tables: the marker, `crc`, `origin`,
// the bytes in use among 'a', 'b' and 'c' (`used` bits 2, 1, 0), two
// tables and `selectors` selectors, all of table 0.
BitString BlockHead(uint32_t crc, uint32_t origin, uint32_t used, size_t selectors) {
    BitString bits;
    bits.Put(0x314159265359, 48);
    bits.Put(crc, 32);
    bits.Put(0, 1);  // not randomised
    bits.Put(origin, 24);
    bits.Put(0x8000u >> 6, 16);  // group 0x60..0x6F
    bits.Put(used << 12, 16);    // 0x61..0x63: the group's bits 1 to 3
    bits.Put(2, 3);
    bits.Put(selectors, 15);
    for (size_t i = 0; i < selectors; ++i) {
        bits.Put(0, 1);
    }
    return bits;
}

}  // namespace

BlockBits HandBlock(const std::vector<int>& symbols, uint32_t origin) {
    // The CRC is fixed below; the symbols and the end, 50 to a selector.
    BitString bits = BlockHead(0, origin, 0b111, (symbols.size() + 1 + 49) / 50);
    for (int table = 0; table < 2; ++table) {
        bits.Put(2, 5);      // RUNA, RUNB and 2 at length 2
        bits.Put(0, 3);      // (no change for each)
        bits.Put(0b100, 3);  // 3: one longer
        bits.Put(0, 1);      // the end: as long
    }
    for (int symbol : symbols) {
        bits.Put(kHandCode[symbol].bits, kHandCode[symbol].length);
    }
    bits.Put(kHandCode[4].bits, kHandCode[4].length);

    BlockBits block;
    block.bits = bits;
    block.data = LibraryOutputBeforeError(StreamOf(1, {block}));
    block.crc = SlowCrc(block.data);
    block.bits.Set(48, 32, block.crc);
    return block;
}

std::vector<int> SpellBits(const BitString& bits) {
    std::vector<int> symbols;
    auto bit = [&](size_t i) { return i < bits.Size() ? static_cast<int>(bits.Get(i, 1)) : 0; };
    for (size_t at = 0; at < bits.Size();) {
        int first = bit(at), second = bit(at + 1);
        if (first == 0) {
            symbols.push_back(second);  // 00 RUNA, 01 RUNB
            at += 2;
        } else if (second == 0) {
            symbols.push_back(2);
            at += 2;
        } else if (bit(at + 2) == 0) {
            symbols.push_back(3);
            at += 3;
        } else {
            throw std::runtime_error("three 1s in a row: the end code");
        }
    }
    return symbols;
}

std::vector<int> SpellBits(uint64_t value, int count) {
    BitString bits;
    bits.Put(value, count);
    return SpellBits(bits);
}

BitString FalseBlockBits(uint32_t runLength) {
    // Not its CRC; the origin: any row of a run will do; 'a' and 'c'.
    BitString bits = BlockHead(0x49249249, 0x492, 0b101, 1);
    for (int table = 0; table < 2; ++table) {
        // RUNA and RUNB at length 3, the next MTF value and the end at 2:
        // codes 100, 101, 00 and 01, so no three 1s follow each other.
        bits.Put(3, 5);
        bits.Put(0, 2);
        bits.Put(0b110, 3);
        bits.Put(0, 1);
    }
    // The run in bijective base 2, lowest digit first.
    for (uint32_t left = runLength; left != 0; left = (left - 1) / 2) {
        bits.Put(left % 2 == 1 ? 0b100 : 0b101, 3);
        if (left % 2 == 0) {
            --left;
        }
    }
    bits.Put(0b01, 2);
    return bits;
}

}  // namespace bspatch_test
