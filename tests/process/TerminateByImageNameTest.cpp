#include "process/TerminateByImageName.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "process/ProcessTestSupport.h"

namespace {

constexpr DWORD kEndDeadlineMs = 10000;

// Copies of the helper under names that no other process here has.
class TerminateByImageNameTest : public ::testing::Test {
protected:
    TerminateByImageNameTest()
        : folder_("brivok-terminate"),
          target_(folder_.CopyHelperAs("BrivokTermHelper.exe")),
          other_(folder_.CopyHelperAs("BrivokTermHelperX.exe")) {}

    // Started and listed: the helper signals once it runs.
    std::unique_ptr<Child> StartWaiting(const std::string& program, const HelperEvents& events) {
        auto child = std::make_unique<Child>(program, events.WaitArguments());
        EXPECT_TRUE(child->Started());
        return child;
    }

    ScratchFolder folder_;
    std::string target_;
    std::string other_;
};

TEST_F(TerminateByImageNameTest, EndsEveryCopyAndNoOtherName) {
    HelperEvents events("brivok-term-all");
    auto first = StartWaiting(target_, events);
    auto second = StartWaiting(target_, events);
    auto bystander = StartWaiting(other_, events);
    ASSERT_TRUE(events.Ready());

    EXPECT_TRUE(TerminateByImageName("BrivokTermHelper.exe"));
    for (Child* child : {first.get(), second.get()}) {
        ASSERT_TRUE(child->Ended(kEndDeadlineMs));
        EXPECT_EQ(child->ExitCode(), 0u);
    }
    EXPECT_FALSE(bystander->Ended(0)) << "a longer name is another image";
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
        auto child = StartWaiting(target_, events);
        ASSERT_TRUE(events.Ready());
        EXPECT_EQ(TerminateByImageName(c.imageName), c.ends);
        EXPECT_EQ(child->Ended(c.ends ? kEndDeadlineMs : 0), c.ends);
    }
}

TEST_F(TerminateByImageNameTest, LeavesNoHandleOpen) {
    HelperEvents events("brivok-term-handles");
    auto child = StartWaiting(target_, events);
    ASSERT_TRUE(events.Ready());
    DWORD before = 0;
    if (!GetProcessHandleCount(GetCurrentProcess(), &before)) {
        GTEST_SKIP() << "no handle count on this system";
    }
    EXPECT_TRUE(TerminateByImageName("BrivokTermHelper.exe"));
    DWORD after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(child->Ended(kEndDeadlineMs));
}

TEST(EndPatchProgramAndTool, EndsEveryPatchProgramThenTheToolWithExitCodeZero) {
    ScratchFolder folder("brivok-close");
    const std::string bspatch = folder.CopyHelperAs("bspatch.exe");
    const std::string tool = folder.CopyHelperAs("BrivokCloseHelper.exe");
    HelperEvents events("brivok-close");
    Child patchA(bspatch, events.WaitArguments());
    Child patchB(bspatch, events.WaitArguments());
    ASSERT_TRUE(events.Ready());

    Child closing(tool, "close \"" + bspatch + "\"");
    ASSERT_TRUE(closing.Ended(kEndDeadlineMs));
    EXPECT_EQ(closing.ExitCode(), 0u) << "7 would mean the tool outlived its own Close";
    for (const Child* patch : {&patchA, &patchB}) {
        ASSERT_TRUE(patch->Ended(kEndDeadlineMs));
        EXPECT_EQ(patch->ExitCode(), 0u);
    }
}

}  // namespace
