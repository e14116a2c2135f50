// Starts a program or batch script in a console of its own and optionally
// waits for it to end.
#pragma once

#include <windows.h>

#include <string>

#include "process/LaunchOutcome.h"

// Runs "\"" + programPath + "\" " + parameters with the console window in
// `showState` and the program's folder as current directory. Returns false
// when the process cannot be created (at once, without waiting) or when a
// wait of timeoutSeconds (1 or more; less means no limit) runs out, leaving
// the process running; true otherwise, also when the wait itself fails.
// Before waiting it handles the messages waiting in the calling thread's
// queue once; during the wait it handles none, so call it with wait = true
// on a worker thread, not on the main one.
//
// `outcome`, when given, is reset and then tells what happened: whether the
// process was created, whether it ended during the wait and with which exit
// code (a script's code is that of its last program, 9009 when cmd could not
// find it), or the system's error code of a wait that failed.
bool LaunchAndWait(const std::string& programPath, const std::string& parameters, WORD showState,
                   bool wait, int timeoutSeconds, LaunchOutcome* outcome = nullptr);
