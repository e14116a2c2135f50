#include "process/EndPatchProgramAndTool.h"

#include <windows.h>

#include "process/TerminateByImageName.h"
#include "rtl/PathUtils.h"

void EndPatchProgramAndTool(const std::string& bspatchPath) {
    TerminateByImageName(ExtractFileName(bspatchPath));
    char ownPath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, ownPath, MAX_PATH);
    TerminateByImageName(ExtractFileName(std::string(ownPath, length)));
}
