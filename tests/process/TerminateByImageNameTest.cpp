#include "process/TerminateByImageName.h"

#include <gtest/gtest.h>

#include "process/ProcessTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/WindowDriver.h"

namespace {

using support::ChildProcess;

constexpr DWORD kEndDeadlineMs = 10000;
constexpr DWORD kRunning = STILL_ACTIVE;  // what WaitForExit gives at its deadline

// Copies of the helper under names that no other process here has.
class TerminateByImageNameTest : public ::testing::Test {
protected:
    TerminateByImageNameTest()
        : folder_(support::TempFolder("brivok-terminate")),
          target_(folder_.Copy(HelperPath(), "BrivokTermHelper.exe")),
          other_(folder_.Copy(HelperPath(), "BrivokTermHelperX.exe")) {}

    // Started and listed: the helper signals once it runs.
    static ChildProcess StartWaiting(const std::string& program, const HelperEvents& events) {
        ChildProcess child;
        EXPECT_TRUE(child.Start(program, events.WaitArguments()));
        return child;
    }

    support::ScratchFolder folder_;
    std::string target_;
    std::string other_;
};

TEST_F(TerminateByImageNameTest, EndsEveryCopyAndNoOtherName) {
    HelperEvents events("brivok-term-all");
    ChildProcess first = StartWaiting(target_, events);
    ChildProcess second = StartWaiting(target_, events);
    ChildProcess bystander = StartWaiting(other_, events);
    ASSERT_TRUE(events.Ready());

    EXPECT_TRUE(TerminateByImageName("BrivokTermHelper.exe"));
    for (ChildProcess* child : {&first, &second}) {
        EXPECT_EQ(child->WaitForExit(kEndDeadlineMs), 0u);
    }
    EXPECT_TRUE(bystander.Running()) << "a longer name is another image";
}

TEST_F(TerminateByImageNameTest, MatchesIgnoringTheCaseOfTheName) {
    struct Case {
        const char* imageName;
        bool ends;
    };
    const Case cases[] = {
        {"BRIVOKTERMHELPER.EXE", true},
        {"brivoktermhelper.exe", true},
        {"BrivokTermHelper", false},
        {"TermHelper.exe", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.imageName);
        HelperEvents events(std::string("brivok-term-case") + (c.ends ? "1" : "0"));
        ChildProcess child = StartWaiting(target_, events);
        ASSERT_TRUE(events.Ready());
        EXPECT_EQ(TerminateByImageName(c.imageName), c.ends);
        EXPECT_EQ(child.WaitForExit(c.ends ? kEndDeadlineMs : 0), c.ends ? 0u : kRunning);
    }
}

TEST_F(TerminateByImageNameTest, LeavesNoHandleOpen) {
    HelperEvents events("brivok-term-handles");
    ChildProcess child = StartWaiting(target_, events);
    ASSERT_TRUE(events.Ready());
    DWORD before = 0;
    if (!GetProcessHandleCount(GetCurrentProcess(), &before)) {
        GTEST_SKIP() << "no handle count on this system";
    }
    EXPECT_TRUE(TerminateByImageName("BrivokTermHelper.exe"));
    DWORD after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(child.WaitForExit(kEndDeadlineMs), 0u);
}

TEST(EndPatchProgramAndTool, EndsEveryPatchProgramThenTheToolWithExitCodeZero) {
    support::ScratchFolder folder(support::TempFolder("brivok-close"));
    const std::string bspatch = folder.Copy(HelperPath(), "bspatch.exe");
    const std::string tool = folder.Copy(HelperPath(), "BrivokCloseHelper.exe");
    HelperEvents events("brivok-close");
    ChildProcess patchA;
    ChildProcess patchB;
    ASSERT_TRUE(patchA.Start(bspatch, events.WaitArguments()));
    ASSERT_TRUE(patchB.Start(bspatch, events.WaitArguments()));
    ASSERT_TRUE(events.Ready());

    ChildProcess closing;
    ASSERT_TRUE(closing.Start(tool, "close \"" + bspatch + "\""));
    EXPECT_EQ(closing.WaitForExit(kEndDeadlineMs), 0u)
        << "7 would mean the tool outlived its own Close";
    for (ChildProcess* patch : {&patchA, &patchB}) {
        EXPECT_EQ(patch->WaitForExit(kEndDeadlineMs), 0u);
    }
}

}  // namespace
