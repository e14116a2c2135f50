#include "app/PatchProgressChannel.h"

#include <string>

namespace {

// A name of the session's own namespace that no other run shares.
std::string ChannelName(unsigned run, unsigned attempt) {
    return "Local\\BrivokPatch.Progress." + std::to_string(GetCurrentProcessId()) + "." +
           std::to_string(run) + "." + std::to_string(attempt);
}

}  // namespace

PatchProgressChannel::PatchProgressChannel(unsigned run) {
    constexpr DWORD kSize = sizeof(bspatch::ProgressBlock);
    std::string name;
    // A block of that name may still be held by a program of an earlier run.
    for (unsigned attempt = 0; attempt < 16 && !mapping_; ++attempt) {
        name = ChannelName(run, attempt);
        HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize,
                                            name.c_str());
        const bool taken = GetLastError() == ERROR_ALREADY_EXISTS;
        mapping_.Reset(mapping);
        if (taken) {
            mapping_.Reset();
        }
    }
    if (mapping_) {
        block_ = static_cast<bspatch::ProgressBlock*>(
            MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, kSize));
    }
    if (block_ == nullptr) {
        // No channel, and none inherited from whoever started the tool.
        mapping_.Reset();
        SetEnvironmentVariableA(bspatch::kProgressVariable, nullptr);
        return;
    }
    bspatch::InitProgressBlock(*block_);
    SetEnvironmentVariableA(bspatch::kProgressVariable, name.c_str());
}

PatchProgressChannel::~PatchProgressChannel() {
    if (block_ != nullptr) {
        SetEnvironmentVariableA(bspatch::kProgressVariable, nullptr);
        UnmapViewOfFile(block_);
    }
}

std::optional<bspatch::ProgressReport> PatchProgressChannel::Read() const {
    if (block_ == nullptr) {
        return std::nullopt;
    }
    return bspatch::ReadProgress(*block_);
}
