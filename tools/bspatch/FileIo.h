// The file layer: positional reads with 64-bit offsets, a sequential writer
// into a temporary file beside its target that is renamed onto the target
// only on Commit, and same-file detection. POSIX calls, or the Win32 API
// under _WIN32; nothing outside this pair of files includes <windows.h>.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ByteSource.h"

namespace bspatch {

// A file opened for reading. One handle, read at explicit offsets, so that
// several threads may read it at once.
class InputFile : public ByteSource {
public:
    // Throws PatchError (I/O) naming `path` when the file cannot be opened.
    explicit InputFile(const std::string& path);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    uint64_t Size() const override { return size_; }
    void ReadAt(uint64_t offset, uint8_t* buffer, size_t size) override;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    intptr_t handle_ = -1;  // a file descriptor, or a HANDLE under _WIN32
    uint64_t size_ = 0;
};

// Writes a new file sequentially into "<target>.<pid>-<n>.tmp" and moves it
// onto the target in Commit. Destroyed without Commit, it removes the
// temporary file, so a failed run leaves the target as it was. Under _WIN32
// the system removes it also when the process is killed before Commit.
class OutputFile : public ByteSink {
public:
    explicit OutputFile(const std::string& targetPath, size_t bufferSize = 1 << 20);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const uint8_t* data, size_t size) override;
    // Long runs of zeros are not written: the file is extended over them,
    // which leaves a hole where the file system has holes.
    void WriteRun(uint8_t byte, uint64_t count) override;
    void Commit();
    const std::string& TempPath() const { return tempPath_; }

private:
    void Flush();
    void WriteOut(const uint8_t* data, size_t size);  // all of it, to the file
    void CloseHandle();
    void ExtendBy(uint64_t count);  // past what is flushed, and moves there

    std::string targetPath_;
    std::string tempPath_;
    intptr_t handle_ = -1;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t capacity_;
    size_t buffered_ = 0;
    bool committed_ = false;
};

// True when both paths name one existing file (also through links or other
// spellings); false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace bspatch
