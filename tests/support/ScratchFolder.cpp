#include "support/ScratchFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "rtl/PathUtils.h"
#include "support/Files.h"
#include "support/WindowDriver.h"

namespace support {

std::vector<std::string> FilesMatching(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        names.push_back(found.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    return names;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TempFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
}

ScratchFolder::ScratchFolder(const std::string& path) : path_(path + "\\") {
    made_ = CreateDirectoryA(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

ScratchFolder::~ScratchFolder() {
    // The Open dialog makes the chosen file's folder the current one, and the
    // current folder cannot go.
    char current[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    if (length > 0 &&
        UpperCaseAscii(std::string(current, length) + "\\").starts_with(UpperCaseAscii(path_))) {
        SetCurrentDirectoryA((path_ + "..").c_str());
    }
    for (const std::string& name : FilesMatching(path_ + "*")) {
        DeleteFileA((path_ + name).c_str());
    }
    // A console host that ran a program there may hold it as its current
    // folder for a moment after the program has ended.
    EXPECT_TRUE(WaitFor([&] { return RemoveDirectoryA(path_.c_str()) || !Exists(path_); }))
        << path_ << " stays";
}

std::string ScratchFolder::File(const std::string& name, const std::string& bytes) const {
    const std::string path = path_ + name;
    WriteFile(path, bytes);
    return path;
}

std::string ScratchFolder::Copy(const std::string& source, const std::string& name) const {
    const std::string target = path_ + name;
    CopyFileA(source.c_str(), target.c_str(), FALSE);
    return target;
}

}  // namespace support
