// Shared pieces of the process tests: the helper program beside the test
// program, scratch folders, and child processes that the test owns.
#pragma once

#include <windows.h>

#include <string>

#include "rtl/PathUtils.h"
#include "rtl/WinHandles.h"

// The folder of the running test program, with its trailing backslash.
inline std::string TestProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return ExtractFilePath(std::string(path, length));
}

inline std::string HelperPath() {
    return TestProgramFolder() + "process_helper.exe";
}

// A fresh folder under the temporary-files folder, removed with its files.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((path_ + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& Path() const { return path_; }

    // A copy of the helper under another image name.
    std::string CopyHelperAs(const std::string& fileName) const {
        const std::string target = path_ + fileName;
        CopyFileA(HelperPath().c_str(), target.c_str(), FALSE);
        return target;
    }

private:
    std::string path_;
};

// A child process started by the test itself, killed if still running.
class Child {
public:
    Child(const std::string& program, const std::string& arguments) {
        std::string commandLine = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                           nullptr, nullptr, &startup, &info)) {
            process_.Reset(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    ~Child() {
        if (process_ && !Ended(0)) {
            TerminateProcess(process_.Get(), 99);
            WaitForSingleObject(process_.Get(), 5000);
        }
    }
    bool Started() const { return static_cast<bool>(process_); }
    bool Ended(DWORD timeoutMs) const {
        return WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
    }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(process_.Get(), &code);
        return code;
    }

private:
    KernelHandle process_;
};

// The wait mode's events, named after the test and the process.
class HelperEvents {
public:
    explicit HelperEvents(const std::string& name)
        : name_(name + "-" + std::to_string(GetCurrentProcessId())),
          ready_(CreateEventA(nullptr, TRUE, FALSE, (name_ + ".ready").c_str())),
          stop_(CreateEventA(nullptr, TRUE, FALSE, (name_ + ".stop").c_str())),
          done_(CreateEventA(nullptr, TRUE, FALSE, (name_ + ".done").c_str())) {}
    ~HelperEvents() { Stop(); }

    const std::string& Name() const { return name_; }
    // The helper's arguments: wait for stop, at most 30 s.
    std::string WaitArguments() const { return "wait " + name_ + " 30000"; }
    bool Ready(DWORD timeoutMs = 10000) const { return Signalled(ready_, timeoutMs); }
    bool Done(DWORD timeoutMs = 10000) const { return Signalled(done_, timeoutMs); }
    void Stop() { SetEvent(stop_.Get()); }

private:
    static bool Signalled(const KernelHandle& event, DWORD timeoutMs) {
        return WaitForSingleObject(event.Get(), timeoutMs) == WAIT_OBJECT_0;
    }

    std::string name_;
    KernelHandle ready_;
    KernelHandle stop_;
    KernelHandle done_;
};
