// The message at the end of a patch job, from what became of its script.
// Portable.
#pragma once

#include <string>

#include "process/LaunchOutcome.h"

enum class PatchJobEnd { Patched, Failed, Unknown };

struct PatchJobReport {
    PatchJobEnd end;
    std::string text;
};

// "File <old> successfully patched!" when the script ended with exit code 0;
// otherwise the reason: not started, bspatch.exe not found (cmd's 9009), its
// exit code, or a wait that failed, after which nobody knows how it went.
PatchJobReport ReportPatchJob(const std::string& oldPath, const LaunchOutcome& outcome);
