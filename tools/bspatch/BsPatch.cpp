#include "BsPatch.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "DecodePool.h"
#include "FileIo.h"

namespace bspatch {
namespace {

constexpr char kMagic[8] = {'B', 'S', 'D', 'I', 'F', 'F', '4', '0'};
constexpr size_t kTripleSize = 24;

[[noreturn]] void Corrupt(const std::string& message) {
    throw PatchError(ExitCode::CorruptPatch, message);
}

// The old file seen through a window of buffered bytes; positions outside
// the file read as 0.
class OldReader {
public:
    OldReader(ByteSource& file, size_t window)
        : file_(file),
          size_(file.Size()),
          capacity_(
              static_cast<size_t>(std::clamp<uint64_t>(size_, 1, std::max<size_t>(window, 1)))),
          buffer_(std::make_unique_for_overwrite<uint8_t[]>(capacity_)) {}

    // Adds the old bytes at [position, position + size) to `data`. The caller
    // has checked that position + size does not overflow.
    void AddTo(int64_t position, uint8_t* data, size_t size) {
        Visit(
            position, size,
            [&](const uint8_t* old, size_t n) {
                for (size_t i = 0; i < n; ++i) {
                    data[i] = static_cast<uint8_t>(data[i] + old[i]);
                }
                data += n;
            },
            [&](size_t n) { data += n; });
    }

    // Writes the old bytes at [position, position + size), each plus `add`,
    // to `out`: a run of diff bytes. Where `add` is 0 they go out straight
    // from the window.
    void WriteSum(int64_t position, size_t size, uint8_t add, ByteSink& out) {
        Visit(
            position, size,
            [&](const uint8_t* old, size_t n) {
                if (add == 0) {
                    out.Write(old, n);
                    return;
                }
                if (!sum_) {
                    sum_ = std::make_unique_for_overwrite<uint8_t[]>(kSumBuffer);
                }
                while (n != 0) {
                    size_t m = std::min(n, kSumBuffer);
                    for (size_t i = 0; i < m; ++i) {
                        sum_[i] = static_cast<uint8_t>(old[i] + add);
                    }
                    out.Write(sum_.get(), m);
                    old += m;
                    n -= m;
                }
            },
            [&](size_t n) { out.WriteRun(add, n); });
    }

private:
    static constexpr size_t kSumBuffer = 64 * 1024;

    // Calls inside(old bytes, n) for the parts of [position, position + size)
    // in the file and outside(n) for the parts before or after it, in order.
    template <typename Inside, typename Outside>
    void Visit(int64_t position, size_t size, Inside inside, Outside outside) {
        if (position < 0) {
            uint64_t below = static_cast<uint64_t>(-(position + 1)) + 1;
            size_t n = static_cast<size_t>(std::min<uint64_t>(below, size));
            outside(n);
            size -= n;
            position = 0;
        }
        uint64_t at = static_cast<uint64_t>(position);
        while (size != 0 && at < size_) {
            if (at < start_ || at >= start_ + length_) {
                start_ = at;
                length_ = static_cast<size_t>(std::min<uint64_t>(capacity_, size_ - at));
                file_.ReadAt(start_, buffer_.get(), length_);
            }
            size_t offset = static_cast<size_t>(at - start_);
            size_t n = std::min(size, length_ - offset);
            inside(buffer_.get() + offset, n);
            size -= n;
            at += n;
        }
        if (size != 0) {
            outside(size);
        }
    }

    ByteSource& file_;
    uint64_t size_;
    size_t capacity_;
    std::unique_ptr<uint8_t[]> buffer_;
    uint64_t start_ = 0;
    size_t length_ = 0;
    std::unique_ptr<uint8_t[]> sum_;
};

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

void ApplyPatch(ByteSource& oldFile, ByteSource& patch, ByteSink& out, const std::string& patchName,
                const PatchOptions& options) {
    const PatchHeader header = ReadHeader(patch, patchName);
    const uint64_t diffBegin = kHeaderSize + static_cast<uint64_t>(header.controlLength);
    const uint64_t extraBegin = diffBegin + static_cast<uint64_t>(header.diffLength);
    const std::string corrupt = patchName + ": corrupt ";

    // The control block is small and read a triple at a time: no thread.
    // The pool is made before the streams that use it and outlives them.
    std::unique_ptr<DecodePool> pool;
    if (options.streams.threaded) {
        pool = std::make_unique<DecodePool>(options.workers);
    }
    PatchStreamOptions controlOptions;
    controlOptions.threaded = false;
    PatchStream control(patch, kHeaderSize, diffBegin, corrupt + "control", nullptr,
                        controlOptions);
    PatchStream diff(patch, diffBegin, extraBegin, corrupt + "diff", pool.get(), options.streams);
    PatchStream extra(patch, extraBegin, patch.Size(), corrupt + "extra", pool.get(),
                      options.streams);
    OldReader old(oldFile, options.oldWindow);

    int64_t newPos = 0;
    int64_t oldPos = 0;
    uint64_t tripleIndex = 0;
    while (newPos < header.newSize) {
        uint8_t raw[kTripleSize];
        if (!control.ReadExact(raw, kTripleSize)) {
            Corrupt(corrupt + "control block: ends before the new file is complete");
        }
        const int64_t addLength = DecodeOffset(raw);
        const int64_t copyLength = DecodeOffset(raw + 8);
        const int64_t seek = DecodeOffset(raw + 16);
        auto badTriple = [&](const char* why) {
            Corrupt(patchName + ": bad control triple " + std::to_string(tripleIndex) +
                    " (new offset " + std::to_string(newPos) + "): " + why);
        };
        if (addLength < 0 || copyLength < 0) {
            badTriple("negative length");
        }
        // Both lengths are at most 2^63 - 1 and newPos <= newSize, so these
        // differences cannot overflow.
        if (addLength > header.newSize - newPos ||
            copyLength > header.newSize - newPos - addLength) {
            badTriple("lengths pass the new file's size");
        }
        int64_t oldAfterAdd = 0;
        int64_t nextOldPos = 0;
        if (__builtin_add_overflow(oldPos, addLength, &oldAfterAdd) ||
            __builtin_add_overflow(oldAfterAdd, seek, &nextOldPos)) {
            badTriple("old position overflows");
        }

        for (int64_t left = addLength; left > 0;) {
            Bzip2Piece piece = diff.Next(
                static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(left), SIZE_MAX)));
            if (piece.size == 0) {
                Corrupt(corrupt + "diff block: ends before the control block says");
            }
            const int64_t at = oldPos + (addLength - left);
            if (piece.data != nullptr) {
                old.AddTo(at, piece.data, piece.size);
                out.Write(piece.data, piece.size);
            } else {
                old.WriteSum(at, piece.size, piece.fill, out);  // a zero run copies the old bytes
            }
            left -= static_cast<int64_t>(piece.size);
        }
        for (int64_t left = copyLength; left > 0;) {
            Bzip2Piece piece = extra.Next(
                static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(left), SIZE_MAX)));
            if (piece.size == 0) {
                Corrupt(corrupt + "extra block: ends before the control block says");
            }
            if (piece.data != nullptr) {
                out.Write(piece.data, piece.size);
            } else {
                out.WriteRun(piece.fill, piece.size);
            }
            left -= static_cast<int64_t>(piece.size);
        }
        newPos += addLength + copyLength;
        oldPos = nextOldPos;
        ++tripleIndex;
    }

    // A complete patch uses every byte of its blocks; this also runs the
    // last CRC checks of each stream.
    if (control.Next(1).size != 0) {
        Corrupt(corrupt + "control block: data after the new file is complete");
    }
    if (diff.Next(1).size != 0) {
        Corrupt(corrupt + "diff block: data after what the control block uses");
    }
    if (extra.Next(1).size != 0) {
        Corrupt(corrupt + "extra block: data after what the control block uses");
    }
}

PatchResult PatchFiles(const std::string& oldPath, const std::string& newPath,
                       const std::string& patchPath, const PatchOptions& options) {
    try {
        if (SameFile(oldPath, newPath)) {
            return {ExitCode::Usage,
                    newPath + ": is the same file as the old image; refusing to overwrite it"};
        }
        auto oldFile = std::make_unique<InputFile>(oldPath);
        auto patch = std::make_unique<InputFile>(patchPath);
        ReadHeader(*patch, patchPath);  // before anything is created beside NEW
        OutputFile out(newPath);
        ApplyPatch(*oldFile, *patch, out, patchPath, options);
        // Closed first: Windows cannot move a file onto one that is still
        // open (NEW may name the patch itself).
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

}  // namespace bspatch
