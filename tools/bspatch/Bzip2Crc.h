// The CRC of bzip2 (polynomial 0x04C11DB7, most significant bit first), over
// bytes and over runs of one byte. A block's CRC register starts at
// 0xFFFFFFFF and is inverted at the end. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bspatch {

// The register after `size` more bytes.
uint32_t CrcUpdate(uint32_t crc, const uint8_t* data, size_t size);

// The register after `count` more bytes of value `byte`: the same as
// CrcUpdate over that run, in steps that grow with the bits of `count`, not
// with `count`, so that a run of megabytes costs no more than a few bytes.
uint32_t CrcUpdateRun(uint32_t crc, uint8_t byte, uint64_t count);

}  // namespace bspatch
