#include "FileIo.h"

#include <algorithm>
#include <cstring>

#include "FileIoSystem.h"

namespace bspatch {

InputFile::InputFile(const std::string& path)
    : path_(path), handle_(os::OpenForReading(path, size_)) {}

void InputFile::ReadAt(uint64_t offset, uint8_t* buffer, size_t size) {
    os::ReadAt(handle_, path_, offset, buffer, size);
}

std::string TempPathFor(const std::string& targetPath, unsigned pid, unsigned attempt) {
    constexpr size_t kMaxName = 255;
    // Appended piece by piece: GCC 12 warns (falsely) on a chain of + here.
    std::string suffix = ".";
    suffix.append(std::to_string(pid)).append("-").append(std::to_string(attempt)).append(".tmp");
    const size_t nameStart = targetPath.find_last_of("/\\") + 1;  // 0 without a folder
    const size_t nameLength = targetPath.size() - nameStart;
    // The process id and attempt keep runs apart, not the name: it may lose
    // its end.
    const size_t keep = std::min(nameLength, kMaxName - suffix.size());
    return targetPath.substr(0, nameStart + keep) + suffix;
}

OutputFile::OutputFile(const std::string& targetPath, size_t bufferSize)
    : targetPath_(targetPath),
      buffer_(std::make_unique_for_overwrite<uint8_t[]>(std::max<size_t>(bufferSize, 1))),
      capacity_(std::max<size_t>(bufferSize, 1)) {
    // The number steps over a stale file that a killed run may have left.
    // Each name is in the signal handler's hands before the file exists, so
    // that no moment leaves it behind.
    for (unsigned attempt = 0; !handle_.IsOpen(); ++attempt) {
        tempPath_ = TempPathFor(targetPath, os::ProcessId(), attempt);
        os::RemoveOnSignal(tempPath_);
        try {
            handle_ = os::CreateNew(tempPath_, targetPath);
        } catch (...) {
            os::ClearRemoveOnSignal();
            throw;
        }
    }
}

OutputFile::~OutputFile() {
    if (!committed_) {
        handle_.CloseQuietly();
        os::Remove(tempPath_);
        os::ClearRemoveOnSignal();
    }
}

void OutputFile::Commit() {
    Flush();
    os::Replace(handle_, tempPath_, targetPath_);
    committed_ = true;
    os::ClearRemoveOnSignal();
}

void OutputFile::Flush() {
    size_t size = buffered_;
    buffered_ = 0;
    os::WriteAll(handle_, tempPath_, buffer_.get(), size);
    Advance(size);
}

void OutputFile::Advance(uint64_t bytes) {
    // The disk writes start while the rest is still being made, every 8 MB,
    // so that the flush in Commit finds little left to wait for.
    constexpr uint64_t kWritebackStep = 8 << 20;
    written_ += bytes;
    if (written_ - writebackFrom_ >= kWritebackStep) {
        os::StartWriteback(handle_, writebackFrom_, written_ - writebackFrom_);
        writebackFrom_ = written_;
    }
}

void OutputFile::Write(const uint8_t* data, size_t size) {
    if (size >= capacity_ / 16) {
        // Large pieces (the old file's window, decoded blocks) go out from
        // where they are, without a copy into the buffer.
        Flush();
        os::WriteAll(handle_, tempPath_, data, size);
        Advance(size);
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
        if (os::TryExtend(handle_, tempPath_, count)) {
            written_ += count;  // a hole: nothing to write back
            writebackFrom_ = written_;
            return;
        }
        // The file system does not grow files that way: the zeros are written.
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

uint64_t OutputFile::CopyFrom(ByteSource& source, uint64_t offset, uint64_t size) {
    const auto* file = dynamic_cast<InputFile*>(&source);
    if (file == nullptr || !copyRange_) {
        return 0;
    }
    Flush();
    const uint64_t copied =
        os::CopyRange(file->Handle(), file->Path(), offset, handle_, tempPath_, size);
    Advance(copied);
    copyRange_ = copied != 0;  // once refused, always refused between these files
    return copied;
}

bool SameFile(const std::string& a, const std::string& b) {
    return os::SameFile(a, b);
}

}  // namespace bspatch
