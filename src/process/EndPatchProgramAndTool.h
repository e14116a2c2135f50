// The Close action: end the patch program, then every copy of the tool.
#pragma once

#include <string>

// Terminates every process named like the file part of bspatchPath
// ("bspatch.exe"), then every process with this program's own image name
// (the file part of its module path). When the second walk reaches this
// process, it ends here with exit code 0; the call returns only when this
// process could not be found or ended (no tool-help service, no right).
void EndPatchProgramAndTool(const std::string& bspatchPath);
