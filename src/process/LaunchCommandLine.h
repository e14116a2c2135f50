// How a launch forms its command line and its wait. Portable.
#pragma once

#include <cstdint>
#include <string>

// The program path in double quotes, one space, then the parameters
// unchanged: "C:\BrivokTemp\PatchISO.bat" with a trailing blank when empty.
std::string LaunchCommandLine(const std::string& programPath, const std::string& parameters);

// The wait in milliseconds for a time-out in seconds: below 1 means no
// limit (kWaitForever). Time-outs whose product would not fit 32 bits wait
// the longest finite time instead of wrapping round to a short one.
constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;
std::uint32_t LaunchWaitMilliseconds(int timeoutSeconds);
