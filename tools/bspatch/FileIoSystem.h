// The system calls under the file layer, one file per platform:
// FileIoPosix.cpp and FileIoWin32.cpp; nothing else includes a system
// header. Each failure throws PatchError (I/O) with the file's path and the
// system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "FileHandle.h"

namespace bspatch::os {

// Opens a regular file for positional reads; `size` receives its size.
FileHandle OpenForReading(const std::string& path, uint64_t& size);

// Reads exactly `size` bytes at `offset`; an end of file before that is a
// failure ("unexpected end of file"). Safe from several threads at once.
void ReadAt(const FileHandle& file, const std::string& path, uint64_t offset, uint8_t* buffer,
            size_t size);

// Creates `path` for writing only if no file has that name (else returns a
// handle that is not open). Under _WIN32 the file is also marked to be
// removed when its handle closes, so that even a killed process leaves none
// behind; Replace takes the mark back. Failures are reported against
// `reportedPath`, the file that the user named.
FileHandle CreateNew(const std::string& path, const std::string& reportedPath);

// Writes all of `data` at the file's position.
void WriteAll(FileHandle& file, const std::string& path, const uint8_t* data, size_t size);

// Moves the file's end `count` bytes past its position, and the position
// there, leaving a hole where the file system keeps holes. False, with the
// file as it was, where the file system refuses to grow a file that way.
bool TryExtend(FileHandle& file, const std::string& path, uint64_t count);

// Copies up to `size` bytes of `from` at `offset` to `to` at its position,
// which moves on, inside the system; returns how many, 0 where the system
// cannot copy between these files.
uint64_t CopyRange(const FileHandle& from, const std::string& fromPath, uint64_t offset,
                   FileHandle& to, const std::string& toPath, uint64_t size);

// Starts writing [offset, offset + length) of the file to the disk, without
// waiting (a hint: where the system has no such call, nothing happens).
void StartWriteback(FileHandle& file, uint64_t offset, uint64_t length) noexcept;

// Makes the written file `path` the file `target`, durably: its data and the
// new name reach the disk before this returns (an existing target keeps its
// permission bits). Closes the handle.
void Replace(FileHandle& file, const std::string& path, const std::string& target);

// Removes a file, ignoring failures (a clean-up on a failing path).
void Remove(const std::string& path) noexcept;

// While set, the file `path` is removed when the process is stopped by a
// signal that would end it (SIGINT, SIGTERM, SIGHUP; POSIX only: under
// _WIN32 the removal mark of CreateNew does this). Clear() forgets it.
void RemoveOnSignal(const std::string& path);
void ClearRemoveOnSignal() noexcept;

// True when both paths name one existing file (also through links).
bool SameFile(const std::string& a, const std::string& b);

unsigned ProcessId();

}  // namespace bspatch::os
