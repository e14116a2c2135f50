#include "process/LaunchAndWait.h"

#include <gtest/gtest.h>

#include "process/ProcessTestSupport.h"
#include "support/Files.h"
#include "support/ScratchFolder.h"
#include "support/TestApplication.h"

namespace {

// LaunchAndWait handles the application's messages while it waits.
class LaunchAndWaitTest : public ::testing::Test {
protected:
    void SetUp() override { support::EnsureApplication(); }
};

TEST_F(LaunchAndWaitTest, WaitsAndGivesTheExitCode) {
    // 259 is STILL_ACTIVE: a process may end with it and must count as ended.
    const int codes[] = {0, 1, 3, 255, 259};
    for (int code : codes) {
        SCOPED_TRACE(code);
        LaunchOutcome outcome;
        EXPECT_TRUE(LaunchAndWait(HelperPath(), "exit " + std::to_string(code), SW_HIDE, true, 0,
                                  &outcome));
        EXPECT_TRUE(outcome.created);
        EXPECT_TRUE(outcome.ended);
        EXPECT_EQ(outcome.exitCode, static_cast<DWORD>(code));
        EXPECT_EQ(outcome.waitError, 0u);
    }
}

TEST_F(LaunchAndWaitTest, PassesTheQuotedPathAndParametersAndStartsInTheProgramsFolder) {
    support::ScratchFolder folder(support::TempFolder("brivok-launch"));
    const std::string program = folder.Copy(HelperPath(), "record helper.exe");
    const std::string output = folder.Path() + "out.txt";
    LaunchOutcome outcome;
    ASSERT_TRUE(
        LaunchAndWait(program, "record \"" + output + "\" a  b", SW_HIDE, true, 0, &outcome));
    EXPECT_EQ(outcome.exitCode, 0u);
    std::string folderWithoutSlash = folder.Path();
    folderWithoutSlash.pop_back();
    EXPECT_EQ(support::ReadFile(output),
              "\"" + program + "\" record \"" + output + "\" a  b\n" + folderWithoutSlash + "\n");
}

TEST_F(LaunchAndWaitTest, WithoutWaitReturnsWhileTheProcessRuns) {
    HelperEvents events("brivok-nowait");
    LaunchOutcome outcome;
    outcome.ended = true;  // an earlier call's outcome must not show through
    EXPECT_TRUE(LaunchAndWait(HelperPath(), events.WaitArguments(), SW_HIDE, false, 0, &outcome));
    EXPECT_TRUE(outcome.created);
    EXPECT_FALSE(outcome.ended);
    ASSERT_TRUE(events.Ready()) << "the process was started";
    EXPECT_FALSE(events.Done(0)) << "and is still running";
    events.Stop();
    EXPECT_TRUE(events.Done());
}

TEST_F(LaunchAndWaitTest, ATimedOutWaitIsFalseAndLeavesTheProcessRunning) {
    HelperEvents events("brivok-timeout");
    LaunchOutcome outcome;
    EXPECT_FALSE(LaunchAndWait(HelperPath(), events.WaitArguments(), SW_HIDE, true, 1, &outcome));
    EXPECT_TRUE(outcome.created);
    EXPECT_FALSE(outcome.ended);
    EXPECT_EQ(outcome.waitError, 0u) << "a time-out is no failed wait";
    ASSERT_TRUE(events.Ready()) << "the process had started";
    EXPECT_FALSE(events.Done(0)) << "and was left running";
    events.Stop();
    EXPECT_TRUE(events.Done());
}

TEST_F(LaunchAndWaitTest, AMissingProgramIsFalseWhateverTheWait) {
    for (bool wait : {false, true}) {
        SCOPED_TRACE(wait ? "wait" : "no wait");
        LaunchOutcome outcome;
        outcome.created = outcome.ended = true;
        EXPECT_FALSE(
            LaunchAndWait("C:\\no such folder\\nothing.exe", "", SW_HIDE, wait, 0, &outcome));
        EXPECT_FALSE(outcome.created);
        EXPECT_FALSE(outcome.ended);
    }
}

TEST_F(LaunchAndWaitTest, MessagesWaitingBeforeTheWaitAreHandledOnlyWhenWaiting) {
    for (bool wait : {false, true}) {
        SCOPED_TRACE(wait ? "wait" : "no wait");
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
        EXPECT_TRUE(LaunchAndWait(HelperPath(), "exit 0", SW_HIDE, wait, 0));
        EXPECT_EQ(PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE) != FALSE, !wait);
    }
}

TEST_F(LaunchAndWaitTest, ABatchScriptRunsThroughTheInterpreter) {
    support::ScratchFolder folder(support::TempFolder("brivok-batch"));
    struct Case {
        const char* name;
        std::string script;
        DWORD exitCode;
    };
    const Case cases[] = {
        {"last program's code", "@echo off\r\n\"" + HelperPath() + "\" exit 5\r\n", 5},
        {"program not found", "@echo off\r\nno_such_brivok_program.exe\r\n", 9009},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string script = folder.File("PatchISO.bat", c.script);
        LaunchOutcome outcome;
        EXPECT_TRUE(LaunchAndWait(script, "", SW_HIDE, true, 0, &outcome));
        EXPECT_TRUE(outcome.ended);
        EXPECT_EQ(outcome.exitCode, c.exitCode);
    }
}

TEST_F(LaunchAndWaitTest, LeavesNoHandleOpen) {
    HelperEvents events("brivok-handles");
    DWORD before = 0;
    if (!GetProcessHandleCount(GetCurrentProcess(), &before)) {
        GTEST_SKIP() << "no handle count on this system";
    }
    ASSERT_TRUE(LaunchAndWait(HelperPath(), "exit 0", SW_HIDE, true, 0));
    ASSERT_TRUE(LaunchAndWait(HelperPath(), events.WaitArguments(), SW_HIDE, false, 0));
    ASSERT_FALSE(LaunchAndWait(HelperPath(), events.WaitArguments(), SW_HIDE, true, 1));
    events.Stop();
    DWORD after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_EQ(after, before);
}

}  // namespace
