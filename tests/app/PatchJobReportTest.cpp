#include "app/PatchJobReport.h"

#include <gtest/gtest.h>

namespace {

TEST(PatchJobReport, SaysHowTheScriptEnded) {
    const std::string file = "File C:\\img\\live-5.0.5.iso";
    struct Case {
        const char* what;
        LaunchOutcome outcome;
        PatchJobEnd end;
        std::string text;
    };
    const Case cases[] = {
        {"patched", {true, true, 0, 0}, PatchJobEnd::Patched, file + " successfully patched!"},
        {"not started",
         {false, false, 0, 0},
         PatchJobEnd::Failed,
         file + " could not be patched: the patch script could not be started."},
        {"bspatch.exe missing",
         {true, true, 9009, 0},
         PatchJobEnd::Failed,
         file + " could not be patched: bspatch.exe was not found in the tool's folder."},
        {"bspatch.exe failed",
         {true, true, 3, 0},
         PatchJobEnd::Failed,
         file + " could not be patched: bspatch.exe failed with exit code 3."},
        // 259 is STILL_ACTIVE, but a process that ended may exit with it too.
        {"exit code 259 of an ended script",
         {true, true, 259, 0},
         PatchJobEnd::Failed,
         file + " could not be patched: bspatch.exe failed with exit code 259."},
        {"the wait failed",
         {true, false, 0, 6},
         PatchJobEnd::Unknown,
         file + ": waiting for the patch script failed with system error 6, so whether it was "
                "patched is not known."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PatchJobReport report = ReportPatchJob("C:\\img\\live-5.0.5.iso", c.outcome);
        EXPECT_EQ(report.end, c.end);
        EXPECT_EQ(report.text, c.text);
    }
}

}  // namespace
