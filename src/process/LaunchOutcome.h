// What became of a launched process, beyond LaunchAndWait's truth value.
// Portable: the codes are the system's, carried as plain numbers.
#pragma once

#include <cstdint>

struct LaunchOutcome {
    bool created = false;  // the process was started
    bool ended = false;    // it ended during the wait, and exitCode is its code
    std::uint32_t exitCode = 0;
    // The system's error code when waiting for the process, or reading its
    // exit code, failed (ended then stays false); 0 otherwise.
    std::uint32_t waitError = 0;
};
