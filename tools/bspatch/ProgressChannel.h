// The progress channel between bspatch and the program that runs it: a
// small block of shared memory that the runner creates for each run and
// names in the environment, and that bspatch keeps current with the new
// file's size, the bytes of it produced so far and the phase of the run.
// Portable: here the block is plain memory, which each platform maps.
//
//   offset  size  field
//   0       4     magic "BPRG" (0x47525042), written by the runner
//   4       4     layout version, written by the runner
//   8       4     sequence: odd while the writer changes the fields below
//   12      4     phase (ProgressPhase), 0 until the first report
//   16      8     size of the new file, low word first
//   24      8     bytes of the new file produced, low word first
//
// Only 32-bit words are ever loaded or stored, each atomically: the block
// reads the same in 32-bit and 64-bit processes, and a 64-bit value is
// whole when the sequence was even and the same before and after it was read.
#pragma once

#include <cstdint>
#include <optional>

namespace bspatch {

// The environment variable that names the channel.
constexpr char kProgressVariable[] = "BRIVOK_PROGRESS";
constexpr uint32_t kProgressMagic = 0x47525042;
constexpr uint32_t kProgressVersion = 1;

enum class ProgressPhase : uint32_t {
    None = 0,       // nothing reported yet
    Starting = 1,   // the arguments, the inputs and the header checked
    Patching = 2,   // the new file being written; its size is known
    Finishing = 3,  // flushing the new file and renaming it
    Done = 4,
    Failed = 5,
};

struct ProgressBlock {
    uint32_t magic;
    uint32_t version;
    uint32_t sequence;
    uint32_t phase;
    uint32_t newSize[2];
    uint32_t produced[2];
};
static_assert(sizeof(ProgressBlock) == 32, "the layout above");

struct ProgressReport {
    ProgressPhase phase = ProgressPhase::None;
    uint64_t newSize = 0;
    uint64_t produced = 0;
    friend bool operator==(const ProgressReport&, const ProgressReport&) = default;
};

// The runner's part: a block with its magic and version, nothing reported.
void InitProgressBlock(ProgressBlock& block);

// Whether a writer of this layout may write into the block.
bool ProgressBlockUsable(const ProgressBlock& block);

// The one writer's part.
void WriteProgress(ProgressBlock& block, const ProgressReport& report);

// A reader's part, at any time: the last report, whole; nothing when none
// was made, when the writer kept changing it while it was read, or when it
// makes no sense (another program may write into the block too).
std::optional<ProgressReport> ReadProgress(const ProgressBlock& block);

}  // namespace bspatch
