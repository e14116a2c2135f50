#include "process/TerminateByImageName.h"

#include <cstring>

#include "process/ImageNameMatch.h"
#include "process/ToolHelp.h"
#include "rtl/WinHandles.h"

bool TerminateByImageName(const std::string& imageName) {
    bool result = false;
    const KernelHandle snapshot(ToolHelpCreateSnapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (bool more = ToolHelpProcessFirst(snapshot.Get(), &entry); more;
         more = ToolHelpProcessNext(snapshot.Get(), &entry)) {
        // szExeFile ends at its first zero byte, or fills the array.
        const std::string exeFile(entry.szExeFile,
                                  strnlen(entry.szExeFile, sizeof entry.szExeFile));
        if (!ImageNameMatches(exeFile, imageName)) {
            continue;
        }
        const KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        // A process that cannot be opened fails its termination; the walk goes on.
        result = process && TerminateProcess(process.Get(), 0) != FALSE;
    }
    return result;
}
