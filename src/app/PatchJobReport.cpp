#include "app/PatchJobReport.h"

namespace {

// What cmd answers when the program a script calls is not found.
constexpr std::uint32_t kCommandNotFound = 9009;

}  // namespace

PatchJobReport ReportPatchJob(const std::string& oldPath, const LaunchOutcome& outcome) {
    const std::string file = "File " + oldPath;
    if (!outcome.created) {
        return {PatchJobEnd::Failed,
                file + " could not be patched: the patch script could not be started."};
    }
    if (!outcome.ended) {
        return {PatchJobEnd::Unknown,
                file + ": waiting for the patch script failed with system error " +
                    std::to_string(outcome.waitError) +
                    ", so whether it was patched is not known."};
    }
    if (outcome.exitCode == 0) {
        return {PatchJobEnd::Patched, file + " successfully patched!"};
    }
    if (outcome.exitCode == kCommandNotFound) {
        return {PatchJobEnd::Failed,
                file + " could not be patched: bspatch.exe was not found in the tool's folder."};
    }
    return {PatchJobEnd::Failed, file +
                                     " could not be patched: bspatch.exe failed with exit code " +
                                     std::to_string(outcome.exitCode) + "."};
}
