// The file layer: positional reads with 64-bit offsets, a sequential writer
// into a temporary file beside its target that replaces the target only in
// Commit, and same-file detection. Portable; the system calls are in
// FileIoPosix.cpp and FileIoWin32.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ByteSource.h"
#include "FileHandle.h"

namespace bspatch {

// A file opened for reading. One handle, read at explicit offsets, so that
// several threads may read it at once.
class InputFile : public ByteSource {
public:
    // Throws PatchError (I/O) naming `path` when the file cannot be opened.
    explicit InputFile(const std::string& path);

    uint64_t Size() const override { return size_; }
    void ReadAt(uint64_t offset, uint8_t* buffer, size_t size) override;
    const std::string& Path() const { return path_; }
    const FileHandle& Handle() const { return handle_; }

private:
    std::string path_;
    uint64_t size_ = 0;
    FileHandle handle_;
};

// Writes a new file sequentially into a temporary file beside the target
// ("<target>.<pid>-<n>.tmp", the target's name shortened where that would
// be too long) and makes it the target in Commit. Destroyed without Commit,
// or stopped by a signal, it removes the temporary file, so a failed run
// leaves the target as it was.
class OutputFile : public ByteSink {
public:
    explicit OutputFile(const std::string& targetPath, size_t bufferSize = 1 << 20);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const uint8_t* data, size_t size) override;
    // Long runs of zeros are not written where the file can be extended
    // over them, which leaves a hole where the file system has holes.
    void WriteRun(uint8_t byte, uint64_t count) override;
    // Large pieces of an InputFile are copied inside the system where it can.
    uint64_t CopyFrom(ByteSource& source, uint64_t offset, uint64_t size) override;
    // Writes what is buffered, flushes the file to the disk and moves it
    // onto the target.
    void Commit();
    const std::string& TempPath() const { return tempPath_; }

private:
    void Flush();
    void Advance(uint64_t bytes);  // after `bytes` more reached the file

    std::string targetPath_;
    std::string tempPath_;
    FileHandle handle_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t capacity_;
    size_t buffered_ = 0;
    bool copyRange_ = true;       // until the system refuses
    uint64_t written_ = 0;        // bytes of the file so far
    uint64_t writebackFrom_ = 0;  // where the disk writes have not been started
    bool committed_ = false;
};

// The name of the temporary file for `targetPath` on attempt `attempt` of
// process `pid`: beside the target, and with a last component of at most
// 255 bytes, the most that common file systems allow.
std::string TempPathFor(const std::string& targetPath, unsigned pid, unsigned attempt);

// True when both paths name one existing file (also through links or other
// spellings); false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace bspatch
