#include "process/LaunchAndWait.h"

#include "process/LaunchCommandLine.h"
#include "rtl/Application.h"
#include "rtl/PathUtils.h"
#include "rtl/WinHandles.h"

#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68, "the 32-bit startup record");
#endif

bool LaunchAndWait(const std::string& programPath, const std::string& parameters, WORD showState,
                   bool wait, int timeoutSeconds, DWORD* exitCode) {
    if (exitCode != nullptr) {
        *exitCode = STILL_ACTIVE;
    }
    // CreateProcessA may write into the command line: give it a copy of its own.
    std::string commandLine = LaunchCommandLine(programPath, parameters);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showState;
    // An empty folder is passed as "", never as null.
    const std::string currentDirectory = ExtractFilePath(programPath);
    PROCESS_INFORMATION info{};
    const bool created = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr,
                                        currentDirectory.c_str(), &startup, &info) != 0;
    if (!created) {
        return false;
    }
    const Handle process(info.hProcess);
    const Handle thread(info.hThread);
    if (!wait) {
        return true;
    }
    if (Application != nullptr) {
        Application->ProcessMessages();
    }
    const DWORD waitResult =
        WaitForSingleObject(process.Get(), LaunchWaitMilliseconds(timeoutSeconds));
    if (waitResult == WAIT_TIMEOUT) {
        return false;
    }
    if (exitCode != nullptr && !GetExitCodeProcess(process.Get(), exitCode)) {
        *exitCode = STILL_ACTIVE;
    }
    return true;
}
