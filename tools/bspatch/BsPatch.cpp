#include "BsPatch.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "DecodePool.h"
#include "FileIo.h"
#include "OldReader.h"
#include "ProgressReporter.h"

namespace bspatch {
namespace {

constexpr char kMagic[8] = {'B', 'S', 'D', 'I', 'F', 'F', '4', '0'};
constexpr size_t kTripleSize = 24;

[[noreturn]] void Corrupt(const std::string& message) {
    throw PatchError(ExitCode::CorruptPatch, message);
}

}  // namespace

int64_t DecodeOffset(const uint8_t* bytes) {
    uint64_t magnitude = 0;
    for (int i = 7; i >= 0; --i) {
        magnitude = (magnitude << 8) | bytes[i];
    }
    bool negative = (magnitude >> 63) != 0;
    magnitude &= ~(uint64_t{1} << 63);
    // The magnitude has 63 bits, so both signs fit an int64_t.
    return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
}

PatchHeader ReadHeader(ByteSource& patch, const std::string& patchName) {
    uint64_t patchSize = patch.Size();
    if (patchSize < kHeaderSize) {
        Corrupt(patchName + ": corrupt header: file too short");
    }
    uint8_t raw[kHeaderSize];
    patch.ReadAt(0, raw, kHeaderSize);
    if (std::memcmp(raw, kMagic, sizeof kMagic) != 0) {
        Corrupt(patchName + ": corrupt header: not a BSDIFF40 patch");
    }
    PatchHeader header{DecodeOffset(raw + 8), DecodeOffset(raw + 16), DecodeOffset(raw + 24)};
    if (header.controlLength < 0 || header.diffLength < 0 || header.newSize < 0) {
        Corrupt(patchName + ": corrupt header: negative length");
    }
    uint64_t room = patchSize - kHeaderSize;
    if (static_cast<uint64_t>(header.controlLength) > room ||
        static_cast<uint64_t>(header.diffLength) >
            room - static_cast<uint64_t>(header.controlLength)) {
        Corrupt(patchName + ": corrupt header: block lengths pass the end of the file");
    }
    return header;
}

namespace {

struct Triple {
    int64_t add = 0;   // diff bytes added to old bytes
    int64_t copy = 0;  // extra bytes copied
    int64_t seek = 0;  // old position moves by add + seek
};

// One application of a patch, in steps; each checks what it reads before
// anything is written from it.
class PatchApplier {
public:
    PatchApplier(ByteSource& oldFile, ByteSource& patch, ByteSink& out,
                 const std::string& patchName, const PatchOptions& options)
        : patchName_(patchName),
          corrupt_(patchName + ": corrupt "),
          header_(ReadHeader(patch, patchName)),
          pool_(options.streams.threaded ? std::make_unique<DecodePool>(options.workers) : nullptr),
          // The control block is small and read a triple at a time: no thread.
          control_(patch, kHeaderSize, DiffBegin(), corrupt_ + "control", nullptr,
                   PatchStreamOptions{.threaded = false}),
          diff_(patch, DiffBegin(), ExtraBegin(), corrupt_ + "diff", pool_.get(), options.streams),
          extra_(patch, ExtraBegin(), patch.Size(), corrupt_ + "extra", pool_.get(),
                 options.streams),
          old_(oldFile, options.oldWindow),
          out_(out) {}

    void Run() {
        while (produced_ < header_.newSize) {
            const Triple triple = ReadTriple();
            AddDiff(triple.add);
            CopyExtra(triple.copy);
            oldPos_ = nextOldPos_;
            ++tripleIndex_;
        }
        CheckAllUsed();
    }

private:
    uint64_t DiffBegin() const {
        return kHeaderSize + static_cast<uint64_t>(header_.controlLength);
    }
    uint64_t ExtraBegin() const { return DiffBegin() + static_cast<uint64_t>(header_.diffLength); }

    [[noreturn]] void BadTriple(const char* why) const {
        Corrupt(patchName_ + ": bad control triple " + std::to_string(tripleIndex_) +
                " (new offset " + std::to_string(produced_) + "): " + why);
    }

    // The next triple, checked: signs, lengths within the new file's size,
    // and the old position's moves without overflow (it may leave the old
    // file: bytes there count as 0).
    Triple ReadTriple() {
        uint8_t raw[kTripleSize];
        if (!control_.ReadExact(raw, kTripleSize)) {
            Corrupt(corrupt_ + "control block: ends before the new file is complete");
        }
        const Triple triple{DecodeOffset(raw), DecodeOffset(raw + 8), DecodeOffset(raw + 16)};
        if (triple.add < 0 || triple.copy < 0) {
            BadTriple("negative length");
        }
        // Both lengths are at most 2^63 - 1 and produced_ <= newSize, so
        // these differences cannot overflow.
        const int64_t room = header_.newSize - produced_;
        if (triple.add > room || triple.copy > room - triple.add) {
            BadTriple("lengths pass the new file's size");
        }
        int64_t oldAfterAdd = 0;
        if (__builtin_add_overflow(oldPos_, triple.add, &oldAfterAdd) ||
            __builtin_add_overflow(oldAfterAdd, triple.seek, &nextOldPos_)) {
            BadTriple("old position overflows");
        }
        return triple;
    }

    // `length` diff bytes added to the old bytes from the old position. A
    // run of zero diff bytes is a plain copy of the old bytes.
    void AddDiff(int64_t length) {
        for (int64_t done = 0; done < length;) {
            Bzip2Piece piece = diff_.Next(Clamp(length - done));
            if (piece.size == 0) {
                Corrupt(corrupt_ + "diff block: ends before the control block says");
            }
            const int64_t at = oldPos_ + done;
            if (piece.data != nullptr) {
                old_.AddTo(at, piece.data, piece.size);
                out_.Write(piece.data, piece.size);
            } else {
                old_.WriteSum(at, piece.size, piece.fill, out_);
            }
            done += static_cast<int64_t>(piece.size);
            produced_ += static_cast<int64_t>(piece.size);
        }
    }

    // `length` bytes of the extra block, as they are.
    void CopyExtra(int64_t length) {
        for (int64_t done = 0; done < length;) {
            Bzip2Piece piece = extra_.Next(Clamp(length - done));
            if (piece.size == 0) {
                Corrupt(corrupt_ + "extra block: ends before the control block says");
            }
            if (piece.data != nullptr) {
                out_.Write(piece.data, piece.size);
            } else {
                out_.WriteRun(piece.fill, piece.size);
            }
            done += static_cast<int64_t>(piece.size);
            produced_ += static_cast<int64_t>(piece.size);
        }
    }

    // A complete patch uses every byte of its blocks; this also runs the
    // last CRC checks of each stream.
    void CheckAllUsed() {
        if (control_.Next(1).size != 0) {
            Corrupt(corrupt_ + "control block: data after the new file is complete");
        }
        if (diff_.Next(1).size != 0) {
            Corrupt(corrupt_ + "diff block: data after what the control block uses");
        }
        if (extra_.Next(1).size != 0) {
            Corrupt(corrupt_ + "extra block: data after what the control block uses");
        }
    }

    static size_t Clamp(int64_t left) {
        return static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(left), SIZE_MAX));
    }

    const std::string patchName_;
    const std::string corrupt_;
    const PatchHeader header_;
    // Made before the streams that use it, and so destroyed after them.
    const std::unique_ptr<DecodePool> pool_;
    PatchStream control_;
    PatchStream diff_;
    PatchStream extra_;
    OldReader old_;
    ByteSink& out_;
    int64_t produced_ = 0;  // the new position: bytes of the new file written so far
    int64_t oldPos_ = 0;
    int64_t nextOldPos_ = 0;  // after the triple in hand
    uint64_t tripleIndex_ = 0;
};

}  // namespace

void ApplyPatch(ByteSource& oldFile, ByteSource& patch, ByteSink& out, const std::string& patchName,
                const PatchOptions& options) {
    PatchApplier(oldFile, patch, out, patchName, options).Run();
}

namespace {

// PatchFiles but for the report of its end.
PatchResult PatchFilesReporting(const std::string& oldPath, const std::string& newPath,
                                const std::string& patchPath, const PatchOptions& options,
                                ProgressReporter& progress) {
    try {
        // Starting: the arguments and the patch's header are checked before
        // anything is created beside NEW.
        progress.Phase(ProgressPhase::Starting);
        if (SameFile(oldPath, newPath)) {
            return {ExitCode::Usage,
                    newPath + ": is the same file as the old image; refusing to overwrite it"};
        }
        auto oldFile = std::make_unique<InputFile>(oldPath);
        auto patch = std::make_unique<InputFile>(patchPath);
        progress.SetNewSize(static_cast<uint64_t>(ReadHeader(*patch, patchPath).newSize));
        OutputFile out(newPath);

        // Patching: the new file is written into the temporary file, its
        // bytes counted as they pass where somebody watches.
        progress.Phase(ProgressPhase::Patching);
        ProgressSink counted(out, progress);
        ByteSink& sink = options.progress != nullptr ? static_cast<ByteSink&>(counted) : out;
        ApplyPatch(*oldFile, *patch, sink, patchPath, options);

        // Flushing and renaming. The inputs are closed first: Windows cannot
        // move a file onto one that is still open (NEW may name the patch).
        progress.Phase(ProgressPhase::Finishing);
        oldFile.reset();
        patch.reset();
        out.Commit();
        return {};
    } catch (const PatchError& e) {
        return {e.Code(), e.what()};
    } catch (const std::bad_alloc&) {
        return {ExitCode::Io, newPath + ": out of memory"};
    } catch (const std::exception& e) {
        return {ExitCode::Io, newPath + ": " + e.what()};
    }
}

}  // namespace

PatchResult PatchFiles(const std::string& oldPath, const std::string& newPath,
                       const std::string& patchPath, const PatchOptions& options) {
    ProgressReporter progress(options.progress);
    const PatchResult result = PatchFilesReporting(oldPath, newPath, patchPath, options, progress);
    // Done or failed.
    progress.Phase(result.code == ExitCode::Ok ? ProgressPhase::Done : ProgressPhase::Failed);
    return result;
}

}  // namespace bspatch
