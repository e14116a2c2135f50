// Applying a patch in the classic bsdiff format, streaming. Portable.
//
//   offset  size  field
//   0       8     "BSDIFF40"
//   8       8     length of the bzip2-compressed control block
//   16      8     length of the bzip2-compressed diff block
//   24      8     size of the new file
//   32      ...   control block, diff block, extra block (to the end)
//
// Every integer is 8 bytes little-endian in sign-and-magnitude form: the low
// 63 bits are the magnitude, the top bit of the last byte is the sign. The
// control block is a list of triples (add, copy, seek): `add` bytes of the
// diff block added to the old file's bytes from the old position (bytes
// outside the old file count as 0), then `copy` bytes of the extra block,
// then the old position moves by add + seek.
#pragma once

#include <cstdint>
#include <string>

#include "ByteSource.h"
#include "PatchError.h"
#include "PatchStream.h"
#include "ProgressChannel.h"

namespace bspatch {

constexpr size_t kHeaderSize = 32;

struct PatchHeader {
    int64_t controlLength = 0;
    int64_t diffLength = 0;
    int64_t newSize = 0;
};

// One header or control-block integer.
int64_t DecodeOffset(const uint8_t* bytes);

// Reads and checks the header against the patch's size. Throws PatchError.
PatchHeader ReadHeader(ByteSource& patch, const std::string& patchName);

struct PatchOptions {
    PatchStreamOptions streams;  // for the diff and extra blocks
    size_t workers = 0;          // decoding threads of both; 0: one per processor
    size_t oldWindow = 1 << 20;  // bytes of the old file buffered at once
    // PatchFiles keeps this channel current (phases, size, bytes produced);
    // none: no reports.
    ProgressBlock* progress = nullptr;
};

// Writes the new file into `out`. Everything read is checked before it is
// used; the first problem throws PatchError, whose message names `patchName`
// (or the file that failed to read).
void ApplyPatch(ByteSource& oldFile, ByteSource& patch, ByteSink& out, const std::string& patchName,
                const PatchOptions& options = {});

struct PatchResult {
    ExitCode code = ExitCode::Ok;
    std::string message;  // "PATH: problem", empty on success
};

// The whole run over files: refuses NEW naming OLD, writes beside NEW and
// replaces NEW only when the patch applied completely.
PatchResult PatchFiles(const std::string& oldPath, const std::string& newPath,
                       const std::string& patchPath, const PatchOptions& options = {});

}  // namespace bspatch
