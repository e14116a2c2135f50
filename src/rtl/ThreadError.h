// The run-time's thread errors: the system's text for an error code, and the
// EThread that a failed thread call raises.
#pragma once

#include <windows.h>

#include <string>

// The system's message for an error code, without the trailing line end.
std::string SysErrorMessage(DWORD errorCode);

// Raises EThread "Thread Error: %s (%d)" with the message and the code of the
// calling thread's last error.
[[noreturn]] void RaiseLastThreadError();
