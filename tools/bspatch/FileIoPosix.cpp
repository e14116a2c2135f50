// The file layer's system calls on POSIX systems. (FileIoWin32.cpp is the
// other half; each file builds only on its own platform.)
#ifndef _WIN32

// 64-bit file offsets also where off_t would default to 32 bits.
#define _FILE_OFFSET_BITS 64

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileIoSystem.h"
#include "PatchError.h"

namespace bspatch {
namespace {

std::string LastReason() {
    return std::strerror(errno);
}

[[noreturn]] void IoFailure(const std::string& path, const std::string& what,
                            const std::string& reason) {
    throw PatchError(ExitCode::Io, path + ": " + (what.empty() ? "" : what + ": ") + reason);
}

int Fd(const FileHandle& file) {
    return static_cast<int>(file.Native());
}

// The folder that holds `path`, for syncing the name entry.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that a signal removes: kept where the handler can reach it, in
// a fixed buffer (no allocation is allowed there). The one piece of state
// outside an object in the program: a signal handler has no other way in.
struct SignalCleanup {
    char path[4096];
    volatile std::sig_atomic_t armed;
};
SignalCleanup gSignalCleanup;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveAndReraise(int signal) {
    if (gSignalCleanup.armed) {
        ::unlink(gSignalCleanup.path);
    }
    // Ended by the same signal, as the caller expects (exit status 128 + n).
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void FileHandle::Close(const std::string& path) {
    if (IsOpen()) {
        int result = ::close(Fd(*this));
        native_ = kNone;
        if (result != 0) {
            IoFailure(path, "close failed", LastReason());
        }
    }
}

void FileHandle::CloseQuietly() noexcept {
    if (IsOpen()) {
        ::close(Fd(*this));
        native_ = kNone;
    }
}

namespace os {

FileHandle OpenForReading(const std::string& path, uint64_t& size) {
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) {
        IoFailure(path, "", LastReason());
    }
    struct stat info;
    if (::fstat(Fd(file), &info) != 0) {
        IoFailure(path, "cannot get size", LastReason());
    }
    if (!S_ISREG(info.st_mode)) {
        IoFailure(path, "", "not a regular file");
    }
    size = static_cast<uint64_t>(info.st_size);
    return file;
}

void ReadAt(const FileHandle& file, const std::string& path, uint64_t offset, uint8_t* buffer,
            size_t size) {
    while (size != 0) {
        size_t want = std::min<size_t>(size, 1u << 30);
        ssize_t got = ::pread(Fd(file), buffer, want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            IoFailure(path, "read failed", LastReason());
        }
        if (got == 0) {
            IoFailure(path, "read failed", "unexpected end of file");
        }
        offset += static_cast<uint64_t>(got);
        buffer += got;
        size -= static_cast<size_t>(got);
    }
}

FileHandle CreateNew(const std::string& path, const std::string& reportedPath) {
    FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.IsOpen() && errno != EEXIST) {
        IoFailure(reportedPath, "cannot create a temporary file beside it", LastReason());
    }
    return file;
}

void WriteAll(FileHandle& file, const std::string& path, const uint8_t* data, size_t size) {
    while (size != 0) {
        ssize_t written = ::write(Fd(file), data, std::min<size_t>(size, 1u << 30));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            IoFailure(path, "write failed", written < 0 ? LastReason() : "nothing written");
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

bool TryExtend(FileHandle& file, const std::string& path, uint64_t count) {
    off_t here = ::lseek(Fd(file), 0, SEEK_CUR);
    if (here < 0) {
        IoFailure(path, "seek failed", LastReason());
    }
    off_t end = here + static_cast<off_t>(count);
    if (::ftruncate(Fd(file), end) != 0) {
        return false;  // FAT through FUSE and some shares say no; a real fault shows in the writes
    }
    if (::lseek(Fd(file), end, SEEK_SET) != end) {
        IoFailure(path, "seek failed", LastReason());
    }
    return true;
}

uint64_t CopyRange(const FileHandle& from, const std::string& fromPath, uint64_t offset,
                   FileHandle& to, const std::string& toPath, uint64_t size) {
    uint64_t copied = 0;
    while (copied < size) {
        off_t at = static_cast<off_t>(offset + copied);
        size_t want = static_cast<size_t>(std::min<uint64_t>(size - copied, 1u << 30));
        ssize_t n = ::copy_file_range(Fd(from), &at, Fd(to), nullptr, want, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
                      errno == EBADF || errno == EPERM)) {
            break;  // not between these files: the caller copies through memory
        }
        if (n < 0 && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
            IoFailure(toPath, "write failed", LastReason());
        }
        if (n < 0) {
            IoFailure(fromPath, "read failed", LastReason());
        }
        if (n == 0) {
            IoFailure(fromPath, "read failed", "unexpected end of file");
        }
        copied += static_cast<uint64_t>(n);
    }
    return copied;
}

void StartWriteback(FileHandle& file, uint64_t offset, uint64_t length) noexcept {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(Fd(file), static_cast<off_t>(offset), static_cast<off_t>(length),
                      SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
    (void)offset;
    (void)length;
#endif
}

void Replace(FileHandle& file, const std::string& path, const std::string& target) {
    struct stat existing;
    if (::stat(target.c_str(), &existing) == 0 &&
        ::fchmod(Fd(file), existing.st_mode & 07777) != 0) {
        IoFailure(path, "cannot take the permissions of the file it replaces", LastReason());
    }
    // The data first, then the name: after a power loss NEW is either the
    // old file or the whole new one, never a file of the new name whose
    // blocks were not written yet.
    if (::fsync(Fd(file)) != 0) {
        IoFailure(path, "flush failed", LastReason());
    }
    file.Close(path);
    if (::rename(path.c_str(), target.c_str()) != 0) {
        IoFailure(target, "cannot replace", LastReason());
    }
    // The folder's entry for the new name; a folder that cannot be opened
    // for it (no read permission) or synced (some file systems) is left to
    // the system.
    FileHandle folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.IsOpen() && ::fsync(Fd(folder)) != 0 && errno != EINVAL && errno != EROFS) {
        IoFailure(target, "cannot flush its folder", LastReason());
    }
}

void Remove(const std::string& path) noexcept {
    ::unlink(path.c_str());
}

void RemoveOnSignal(const std::string& path) {
    if (path.size() >= sizeof gSignalCleanup.path) {
        return;  // longer than any path the system opens
    }
    gSignalCleanup.armed = 0;
    std::memcpy(gSignalCleanup.path, path.c_str(), path.size() + 1);
    gSignalCleanup.armed = 1;
    for (int signal : kCleanupSignals) {
        struct sigaction action = {};
        struct sigaction previous = {};
        action.sa_handler = RemoveAndReraise;
        sigemptyset(&action.sa_mask);
        // A signal that the caller ignores (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

void ClearRemoveOnSignal() noexcept {
    gSignalCleanup.armed = 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat infoA, infoB;
    return ::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0 &&
           infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

unsigned ProcessId() {
    return static_cast<unsigned>(::getpid());
}

}  // namespace os
}  // namespace bspatch

#endif  // _WIN32
