#include "process/LaunchCommandLine.h"

std::string LaunchCommandLine(const std::string& programPath, const std::string& parameters) {
    return "\"" + programPath + "\" " + parameters;
}

std::uint32_t LaunchWaitMilliseconds(int timeoutSeconds) {
    if (timeoutSeconds < 1) {
        return kWaitForever;
    }
    const std::uint64_t milliseconds = static_cast<std::uint64_t>(timeoutSeconds) * 1000u;
    return milliseconds < kWaitForever ? static_cast<std::uint32_t>(milliseconds)
                                       : kWaitForever - 1;
}
