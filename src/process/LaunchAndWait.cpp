#include "process/LaunchAndWait.h"

#include "process/LaunchCommandLine.h"
#include "rtl/Application.h"
#include "rtl/PathUtils.h"
#include "rtl/WinHandles.h"

#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68, "the 32-bit startup record");
#endif

namespace {

// Starts the program in a console of its own, in its own folder.
bool CreateLaunchedProcess(const std::string& programPath, const std::string& parameters,
                           WORD showState, PROCESS_INFORMATION& info) {
    // CreateProcessA may write into the command line: give it a copy of its own.
    std::string commandLine = LaunchCommandLine(programPath, parameters);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showState;
    // An empty folder is passed as "", never as null.
    const std::string currentDirectory = ExtractFilePath(programPath);
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr,
                          currentDirectory.c_str(), &startup, &info) != 0;
}

// False when the time-out ran out; the outcome tells the rest.
bool WaitForProcess(HANDLE process, int timeoutSeconds, LaunchOutcome& result) {
    const DWORD waitResult = WaitForSingleObject(process, LaunchWaitMilliseconds(timeoutSeconds));
    if (waitResult == WAIT_TIMEOUT) {
        return false;
    }
    // A failed wait still counts as done (the result stays true), but the
    // outcome says so instead of passing the running process off as ended.
    DWORD exitCode = 0;
    if (waitResult != WAIT_OBJECT_0) {
        result.waitError = waitResult == WAIT_FAILED ? GetLastError() : waitResult;
    } else if (!GetExitCodeProcess(process, &exitCode)) {
        result.waitError = GetLastError();
    } else {
        result.ended = true;
        result.exitCode = exitCode;
    }
    return true;
}

}  // namespace

bool LaunchAndWait(const std::string& programPath, const std::string& parameters, WORD showState,
                   bool wait, int timeoutSeconds, LaunchOutcome* outcome) {
    LaunchOutcome ignored;
    LaunchOutcome& result = outcome != nullptr ? *outcome : ignored;
    result = {};  // nothing of an earlier call shows through

    PROCESS_INFORMATION info{};
    result.created = CreateLaunchedProcess(programPath, parameters, showState, info);
    if (!result.created) {
        return false;
    }
    const KernelHandle process(info.hProcess);
    const KernelHandle thread(info.hThread);
    if (!wait) {
        return true;
    }
    if (Application != nullptr) {
        Application->ProcessMessages();
    }
    return WaitForProcess(process.Get(), timeoutSeconds, result);
}
