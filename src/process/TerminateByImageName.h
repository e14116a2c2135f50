// Ends every running process whose executable has a given file name.
#pragma once

#include <string>

// Walks the process list once and terminates (exit code 0) every process
// whose executable name, or its file part, equals imageName ignoring the
// case of ASCII letters. Returns the outcome of the last termination tried,
// false when nothing matched. Silent: no message, no exception. Reaching
// the calling process itself ends it there and then.
bool TerminateByImageName(const std::string& imageName);
