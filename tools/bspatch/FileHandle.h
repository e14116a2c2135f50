// An open file that closes itself: a file descriptor, or a HANDLE under
// _WIN32, both kept as an integer so that no system header is needed here.
// Move-only. Portable; closing is the platform's (FileIoPosix.cpp,
// FileIoWin32.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace bspatch {

class FileHandle {
public:
    static constexpr intptr_t kNone = -1;  // also INVALID_HANDLE_VALUE's value

    FileHandle() = default;
    explicit FileHandle(intptr_t native) : native_(native) {}
    ~FileHandle() { CloseQuietly(); }
    FileHandle(FileHandle&& other) noexcept : native_(std::exchange(other.native_, kNone)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            CloseQuietly();
            native_ = std::exchange(other.native_, kNone);
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return native_ != kNone; }
    intptr_t Native() const { return native_; }

    // Closes it and throws PatchError (I/O) naming `path` if that fails: a
    // write that the system delayed can fail only here.
    void Close(const std::string& path);
    // Closes it on a path that is failing already.
    void CloseQuietly() noexcept;

private:
    intptr_t native_ = kNone;
};

}  // namespace bspatch
