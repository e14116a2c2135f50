// Starts a program or batch script in a console of its own and optionally
// waits for it to end.
#pragma once

#include <windows.h>

#include <string>

// Runs "\"" + programPath + "\" " + parameters with the console window in
// `showState` and the program's folder as current directory. Returns false
// when the process cannot be created (at once, without waiting) or when a
// wait of timeoutSeconds (1 or more; less means no limit) runs out, leaving
// the process running; true otherwise, also when the wait itself fails.
// Before waiting it handles the messages waiting in the calling thread's
// queue once; during the wait it handles none, so call it with wait = true
// on a worker thread, not on the main one.
//
// exitCode, when given, receives the process's exit code if the process
// ended during the wait, and STILL_ACTIVE (259) otherwise: not created, not
// waited for, or still running. A script's code is that of its last program
// (9009 when cmd could not find it).
bool LaunchAndWait(const std::string& programPath, const std::string& parameters, WORD showState,
                   bool wait, int timeoutSeconds, DWORD* exitCode = nullptr);
