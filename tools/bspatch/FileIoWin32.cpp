// The file layer's system calls under Win32. (FileIoPosix.cpp is the other
// half; each file builds only on its own platform.)
#ifdef _WIN32

#include <windows.h>

#include <algorithm>

#include "FileIoSystem.h"
#include "PatchError.h"

namespace bspatch {
namespace {

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

[[noreturn]] void IoFailure(const std::string& path, const std::string& what,
                            const std::string& reason) {
    throw PatchError(ExitCode::Io, path + ": " + (what.empty() ? "" : what + ": ") + reason);
}

HANDLE Handle(const FileHandle& file) {
    return reinterpret_cast<HANDLE>(file.Native());
}

// Whether the system deletes the file when its last handle closes.
bool SetDeleteOnClose(HANDLE h, bool deleteOnClose) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = deleteOnClose ? TRUE : FALSE;
    return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) !=
           0;
}

}  // namespace

void FileHandle::Close(const std::string& path) {
    if (IsOpen()) {
        BOOL closed = ::CloseHandle(Handle(*this));
        native_ = kNone;
        if (!closed) {
            IoFailure(path, "close failed", LastReason());
        }
    }
}

void FileHandle::CloseQuietly() noexcept {
    if (IsOpen()) {
        ::CloseHandle(Handle(*this));
        native_ = kNone;
    }
}

namespace os {

FileHandle OpenForReading(const std::string& path, uint64_t& size) {
    FileHandle file(
        reinterpret_cast<intptr_t>(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file.IsOpen()) {
        IoFailure(path, "", LastReason());
    }
    LARGE_INTEGER length;
    if (!GetFileSizeEx(Handle(file), &length)) {
        IoFailure(path, "cannot get size", LastReason());
    }
    size = static_cast<uint64_t>(length.QuadPart);
    return file;
}

void ReadAt(const FileHandle& file, const std::string& path, uint64_t offset, uint8_t* buffer,
            size_t size) {
    while (size != 0) {
        // The offset travels in the OVERLAPPED block: on a synchronous handle
        // that makes each read positional, so the decoder threads need no
        // shared file pointer.
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(Handle(file), buffer, want, &got, &at)) {
            IoFailure(path, "read failed", LastReason());
        }
        if (got == 0) {
            IoFailure(path, "read failed", "unexpected end of file");
        }
        offset += got;
        buffer += got;
        size -= got;
    }
}

// The file is marked for deletion at once: TerminateProcess (the tool's
// Close) runs none of our clean-up, but the system still closes the handle,
// and then the half-written file goes with it. Replace takes the mark back.
FileHandle CreateNew(const std::string& path, const std::string& reportedPath) {
    FileHandle file(
        reinterpret_cast<intptr_t>(CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file.IsOpen()) {
        if (GetLastError() != ERROR_FILE_EXISTS) {
            IoFailure(reportedPath, "cannot create a temporary file beside it", LastReason());
        }
        return file;
    }
    if (!SetDeleteOnClose(Handle(file), true)) {
        const std::string reason = LastReason();
        file.CloseQuietly();
        DeleteFileA(path.c_str());
        IoFailure(reportedPath, "cannot mark the temporary file beside it for removal", reason);
    }
    return file;
}

void WriteAll(FileHandle& file, const std::string& path, const uint8_t* data, size_t size) {
    while (size != 0) {
        DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(Handle(file), data, want, &written, nullptr) || written == 0) {
            IoFailure(path, "write failed", LastReason());
        }
        data += written;
        size -= written;
    }
}

bool TryExtend(FileHandle& file, const std::string& path, uint64_t count) {
    LARGE_INTEGER zero = {}, here;
    if (!SetFilePointerEx(Handle(file), zero, &here, FILE_CURRENT)) {
        IoFailure(path, "seek failed", LastReason());
    }
    LARGE_INTEGER end;
    end.QuadPart = here.QuadPart + static_cast<LONGLONG>(count);
    if (!SetFilePointerEx(Handle(file), end, nullptr, FILE_BEGIN)) {
        IoFailure(path, "seek failed", LastReason());
    }
    if (!SetEndOfFile(Handle(file))) {
        // Some shares refuse; the zeros are then written from where they start.
        if (!SetFilePointerEx(Handle(file), here, nullptr, FILE_BEGIN)) {
            IoFailure(path, "seek failed", LastReason());
        }
        return false;
    }
    return true;
}

uint64_t CopyRange(const FileHandle&, const std::string&, uint64_t, FileHandle&, const std::string&,
                   uint64_t) {
    return 0;  // no copy of a byte range between two files here
}

void StartWriteback(FileHandle&, uint64_t, uint64_t) noexcept {}  // FlushFileBuffers does it all

void Replace(FileHandle& file, const std::string& path, const std::string& target) {
    // The data first, then the name: after a power loss NEW is either the
    // old file or the whole new one.
    if (!FlushFileBuffers(Handle(file))) {
        IoFailure(path, "flush failed", LastReason());
    }
    // Only a complete file is kept. A kill between here and the move leaves
    // it beside the target (for the length of two system calls).
    if (!SetDeleteOnClose(Handle(file), false)) {
        IoFailure(path, "cannot keep the written file", LastReason());
    }
    // Closed before the move: Windows cannot move a file that is open.
    file.Close(path);
    if (!MoveFileExA(path.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        IoFailure(target, "cannot replace", LastReason());
    }
}

void Remove(const std::string& path) noexcept {
    DeleteFileA(path.c_str());
}

void RemoveOnSignal(const std::string&) {}

void ClearRemoveOnSignal() noexcept {}

bool SameFile(const std::string& a, const std::string& b) {
    // Identity is the volume serial number and the file index, which the
    // system keeps for a file under every name it has.
    auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        FileHandle h(reinterpret_cast<intptr_t>(
            CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
        return h.IsOpen() && GetFileInformationByHandle(Handle(h), &info) != 0;
    };
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    return identify(a, infoA) && identify(b, infoB) &&
           infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

unsigned ProcessId() {
    return static_cast<unsigned>(GetCurrentProcessId());
}

}  // namespace os
}  // namespace bspatch

#endif  // _WIN32
