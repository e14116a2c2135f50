// 64-bit file offsets also where off_t would default to 32 bits.
#define _FILE_OFFSET_BITS 64

#include "FileIo.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace bspatch {
namespace {

[[noreturn]] void IoFailure(const std::string& path, const std::string& what,
                            const std::string& reason) {
    throw PatchError(ExitCode::Io, path + ": " + (what.empty() ? "" : what + ": ") + reason);
}

#ifdef _WIN32

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The system's text for an error code, without the trailing full stop and line end.
std::string SystemReason(DWORD error) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == '.' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason.empty() ? "error " + std::to_string(error) : reason;
}

std::string LastReason() {
    return SystemReason(GetLastError());
}

unsigned ProcessId() {
    return static_cast<unsigned>(GetCurrentProcessId());
}

// Whether the system deletes the file when its last handle closes.
bool SetDeleteOnClose(HANDLE h, bool deleteOnClose) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = deleteOnClose ? TRUE : FALSE;
    return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) !=
           0;
}

// Creates `path` for writing unless a file of that name exists (then -1).
// Other failures are reported against `reportedPath`.
//
// The file is marked for deletion at once: TerminateProcess (the tool's
// Close) runs none of our clean-up, but the system still closes the handle,
// and then the half-written file goes with it. Commit takes the mark back.
intptr_t CreateNewFile(const std::string& path, const std::string& reportedPath) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_EXISTS) {
            IoFailure(reportedPath, "cannot create a temporary file beside it", LastReason());
        }
        return -1;
    }
    if (!SetDeleteOnClose(h, true)) {
        const std::string reason = LastReason();
        ::CloseHandle(h);
        DeleteFileA(path.c_str());
        IoFailure(reportedPath, "cannot mark the temporary file beside it for removal", reason);
    }
    return reinterpret_cast<intptr_t>(h);
}

#else

std::string LastReason() {
    return std::strerror(errno);
}

unsigned ProcessId() {
    return static_cast<unsigned>(getpid());
}

intptr_t CreateNewFile(const std::string& path, const std::string& reportedPath) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
        IoFailure(reportedPath, "cannot create a temporary file beside it", LastReason());
    }
    return fd;
}

#endif

}  // namespace

// ---------------------------------------------------------------------------
// InputFile

#ifdef _WIN32

InputFile::InputFile(const std::string& path) : path_(path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        IoFailure(path, "", LastReason());
    }
    handle_ = reinterpret_cast<intptr_t>(h);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) {
        std::string reason = LastReason();
        ::CloseHandle(h);
        IoFailure(path, "cannot get size", reason);
    }
    size_ = static_cast<uint64_t>(size.QuadPart);
}

InputFile::~InputFile() {
    ::CloseHandle(AsHandle(handle_));
}

void InputFile::ReadAt(uint64_t offset, uint8_t* buffer, size_t size) {
    while (size != 0) {
        // The offset travels in the OVERLAPPED block: on a synchronous handle
        // that makes each read positional, so the decoder threads need no
        // shared file pointer.
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(AsHandle(handle_), buffer, want, &got, &at)) {
            IoFailure(path_, "read failed", LastReason());
        }
        if (got == 0) {
            IoFailure(path_, "read failed", "unexpected end of file");
        }
        offset += got;
        buffer += got;
        size -= got;
    }
}

#else

InputFile::InputFile(const std::string& path) : path_(path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        IoFailure(path, "", LastReason());
    }
    handle_ = fd;
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        std::string reason = LastReason();
        ::close(fd);
        IoFailure(path, "cannot get size", reason);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        IoFailure(path, "", "not a regular file");
    }
    size_ = static_cast<uint64_t>(info.st_size);
}

InputFile::~InputFile() {
    ::close(static_cast<int>(handle_));
}

void InputFile::ReadAt(uint64_t offset, uint8_t* buffer, size_t size) {
    while (size != 0) {
        size_t want = std::min<size_t>(size, 1u << 30);
        ssize_t got = ::pread(static_cast<int>(handle_), buffer, want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            IoFailure(path_, "read failed", LastReason());
        }
        if (got == 0) {
            IoFailure(path_, "read failed", "unexpected end of file");
        }
        offset += static_cast<uint64_t>(got);
        buffer += got;
        size -= static_cast<size_t>(got);
    }
}

#endif

// ---------------------------------------------------------------------------
// OutputFile

OutputFile::OutputFile(const std::string& targetPath, size_t bufferSize)
    : targetPath_(targetPath),
      buffer_(std::make_unique_for_overwrite<uint8_t[]>(std::max<size_t>(bufferSize, 1))),
      capacity_(std::max<size_t>(bufferSize, 1)) {
    // The process id keeps concurrent runs apart; the number steps over a
    // stale file that a killed run may have left.
    for (unsigned attempt = 0; handle_ == -1; ++attempt) {
        tempPath_ =
            targetPath + "." + std::to_string(ProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        handle_ = CreateNewFile(tempPath_, targetPath);
    }
}

#ifdef _WIN32

void OutputFile::WriteOut(const uint8_t* data, size_t size) {
    while (size != 0) {
        DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), data, want, &written, nullptr) || written == 0) {
            IoFailure(tempPath_, "write failed", LastReason());
        }
        data += written;
        size -= written;
    }
}

void OutputFile::CloseHandle() {
    if (handle_ != -1) {
        BOOL closed = ::CloseHandle(AsHandle(handle_));
        handle_ = -1;
        if (!closed) {
            IoFailure(tempPath_, "close failed", LastReason());
        }
    }
}

void OutputFile::Commit() {
    Flush();
    // Only a complete file is kept. A kill between here and the move leaves
    // it beside the target (for the length of two system calls).
    if (!SetDeleteOnClose(AsHandle(handle_), false)) {
        IoFailure(tempPath_, "cannot keep the written file", LastReason());
    }
    CloseHandle();
    if (!MoveFileExA(tempPath_.c_str(), targetPath_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        IoFailure(targetPath_, "cannot replace", LastReason());
    }
    committed_ = true;
}

OutputFile::~OutputFile() {
    // An open handle still carries the mark: closing it removes the file.
    // After a failed commit the handle is closed and the file is removed here.
    if (handle_ != -1) {
        ::CloseHandle(AsHandle(handle_));
    }
    if (!committed_) {
        DeleteFileA(tempPath_.c_str());
    }
}

void OutputFile::ExtendBy(uint64_t count) {
    LARGE_INTEGER zero = {}, here;
    if (!SetFilePointerEx(AsHandle(handle_), zero, &here, FILE_CURRENT)) {
        IoFailure(tempPath_, "seek failed", LastReason());
    }
    LARGE_INTEGER end;
    end.QuadPart = here.QuadPart + static_cast<LONGLONG>(count);
    if (!SetFilePointerEx(AsHandle(handle_), end, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(AsHandle(handle_))) {
        IoFailure(tempPath_, "write failed", LastReason());
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    // Identity is the volume serial number and the file index, which the
    // system keeps for a file under every name it has.
    auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE h =
            CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return false;
        }
        BOOL ok = GetFileInformationByHandle(h, &info);
        ::CloseHandle(h);
        return ok != 0;
    };
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    return identify(a, infoA) && identify(b, infoB) &&
           infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

#else

void OutputFile::WriteOut(const uint8_t* data, size_t size) {
    while (size != 0) {
        ssize_t written =
            ::write(static_cast<int>(handle_), data, std::min<size_t>(size, 1u << 30));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            IoFailure(tempPath_, "write failed", written < 0 ? LastReason() : "nothing written");
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void OutputFile::CloseHandle() {
    if (handle_ != -1) {
        int result = ::close(static_cast<int>(handle_));
        handle_ = -1;
        if (result != 0) {
            IoFailure(tempPath_, "close failed", LastReason());
        }
    }
}

void OutputFile::Commit() {
    Flush();
    CloseHandle();
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
        IoFailure(targetPath_, "cannot replace", LastReason());
    }
    committed_ = true;
}

OutputFile::~OutputFile() {
    if (handle_ != -1) {
        ::close(static_cast<int>(handle_));
    }
    if (!committed_) {
        ::unlink(tempPath_.c_str());
    }
}

void OutputFile::ExtendBy(uint64_t count) {
    off_t here = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
    if (here < 0) {
        IoFailure(tempPath_, "seek failed", LastReason());
    }
    off_t end = here + static_cast<off_t>(count);
    if (::ftruncate(static_cast<int>(handle_), end) != 0 ||
        ::lseek(static_cast<int>(handle_), end, SEEK_SET) != end) {
        IoFailure(tempPath_, "write failed", LastReason());
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat infoA, infoB;
    return ::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0 &&
           infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

#endif

void OutputFile::Flush() {
    size_t size = buffered_;
    buffered_ = 0;
    WriteOut(buffer_.get(), size);
}

void OutputFile::Write(const uint8_t* data, size_t size) {
    if (size >= capacity_ / 4) {
        // Large pieces (the old file's window, decoded blocks) go out from
        // where they are, without a copy into the buffer.
        Flush();
        WriteOut(data, size);
        return;
    }
    if (size > capacity_ - buffered_) {
        Flush();
    }
    std::memcpy(buffer_.get() + buffered_, data, size);
    buffered_ += size;
}

void OutputFile::WriteRun(uint8_t byte, uint64_t count) {
    // Below this, the two calls of an extension cost more than the writes.
    constexpr uint64_t kHoleMin = 256 * 1024;
    if (byte == 0 && count >= kHoleMin) {
        Flush();
        ExtendBy(count);
        return;
    }
    while (count != 0) {
        if (buffered_ == capacity_) {
            Flush();
        }
        size_t n = static_cast<size_t>(std::min<uint64_t>(count, capacity_ - buffered_));
        std::memset(buffer_.get() + buffered_, byte, n);
        buffered_ += n;
        count -= n;
    }
}

}  // namespace bspatch
