// The real program, driven from outside as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolWindow.h"
#include "support/Files.h"
#include "support/WindowDriver.h"

namespace {

constexpr char kOldImage[] = "C:\\img\\live-5.0.5.iso";
constexpr char kDiff[] = "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff";
constexpr char kForeignDiff[] = "D:\\dl\\other-1.0.0-to-1.0.1.bsdiff";
constexpr char kNewImage[] = "C:\\img\\live-5.0.6.iso";

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tool_.Start(support::WindowsPathOfUnix(BRIVOK_EXE_PATH)))
            << "the window or one of its controls did not show";
    }

    ToolWindow tool_;
};

TEST_F(EndToEndTest, StartsWithItsLayoutPatchDisabledAndCloseEnabled) {
    tool_.ExpectLayout(96);
    EXPECT_FALSE(IsWindowEnabled(tool_.patch));
    EXPECT_TRUE(IsWindowEnabled(tool_.close));
    EXPECT_FALSE(IsWindowVisible(tool_.progress)) << "no run, no progress bar";
    for (HWND field : {tool_.oldField, tool_.diffField, tool_.newField}) {
        EXPECT_EQ(support::WindowText(field), "");
    }
    EXPECT_NEAR(support::CentreOf(tool_.window).x, GetSystemMetrics(SM_CXSCREEN) / 2, 1)
        << "centred on the desktop";
    tool_.Screenshot("e2e-start");
}

TEST_F(EndToEndTest, TabGoesOldDiffNewCloseAndRoundAgain) {
    ASSERT_TRUE(tool_.HasFocus(tool_.oldField)) << "at the start";
    for (HWND next : {tool_.diffField, tool_.newField, tool_.close, tool_.oldField}) {
        EXPECT_TRUE(tool_.TabTo(next));
    }
}

TEST_F(EndToEndTest, ChosenFilesGiveTheNewNameAndAForeignDiffIsRefused) {
    CreateDirectoryA("C:\\img", nullptr);
    CreateDirectoryA("D:\\dl", nullptr);
    ASSERT_TRUE(support::WriteFile(kOldImage, ""));
    ASSERT_TRUE(support::WriteFile(kDiff, "")) << "drive D: is not mapped (dosdevices/d:)";
    ASSERT_TRUE(support::WriteFile(kForeignDiff, ""));

    ASSERT_TRUE(tool_.Browse(tool_.oldField, kOldImage)) << "Browse dialog of the old-image field";
    EXPECT_TRUE(tool_.FieldShows(tool_.oldField, kOldImage));
    EXPECT_FALSE(IsWindowEnabled(tool_.patch));

    ASSERT_TRUE(tool_.Browse(tool_.diffField, kDiff)) << "Browse dialog of the diff field";
    EXPECT_TRUE(tool_.FieldShows(tool_.diffField, kDiff));
    EXPECT_TRUE(tool_.FieldShows(tool_.newField, kNewImage)) << support::WindowText(tool_.newField);
    EXPECT_TRUE(support::WaitFor([&] { return IsWindowEnabled(tool_.patch) != FALSE; }));
    tool_.Screenshot("e2e-derived");

    ASSERT_TRUE(tool_.Browse(tool_.diffField, kForeignDiff));
    const support::MessageBoxInfo box =
        support::WaitForMessageBox("Brivok Patch", tool_.process.Id());
    ASSERT_NE(box.window, nullptr) << "no refusal box";
    EXPECT_EQ(box.text, std::string("This patch file doesn't seems to be for ") + kOldImage);
    tool_.Screenshot("e2e-refused", box.window);
    ASSERT_TRUE(support::AnswerMessageBox(box.window));
    EXPECT_TRUE(tool_.FieldShows(tool_.diffField, ""));
    EXPECT_TRUE(support::WaitFor([&] { return IsWindowEnabled(tool_.patch) == FALSE; }));
    EXPECT_EQ(support::WindowText(tool_.newField), kNewImage);
}

TEST_F(EndToEndTest, WideningMovesCloseAndWidensTheFrames) {
    const RECT frame = support::RectIn(tool_.window, nullptr);
    SetWindowPos(tool_.window, nullptr, 0, 0, frame.right - frame.left + 100,
                 frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(support::WaitFor([&] { return support::ClientSize(tool_.window).cx == 558; }));
    EXPECT_TRUE(
        support::WaitFor([&] { return support::RectIn(tool_.close, tool_.window).left == 452; }));
    tool_.ExpectLayout(96, 100);
    tool_.Screenshot("e2e-widened");
}

TEST_F(EndToEndTest, TheTaskBarButtonIsTheApplicationsTitledBrivokPatch) {
    // Wine's virtual desktop draws a task bar only on request, and Wine
    // answers WM_GETICON from another process with none: what the shell
    // reads to make its buttons is checked here, the icons in process.
    const std::vector<HWND> buttons = support::TaskBarWindows(tool_.process.Id());
    ASSERT_EQ(buttons.size(), 1u) << "one task-bar button";
    HWND application = buttons.front();
    EXPECT_EQ(support::WindowText(application), "Brivok Patch");
    EXPECT_EQ(GetWindow(tool_.window, GW_OWNER), application) << "the main window has no button";
}

TEST_F(EndToEndTest, MinimisedTheWindowWaitsBehindTheButtonAndComesBackFromIt) {
    const std::vector<HWND> buttons = support::TaskBarWindows(tool_.process.Id());
    ASSERT_EQ(buttons.size(), 1u);
    HWND application = buttons.front();
    // A task bar restores a window by its system command, or by ShowWindow.
    struct Case {
        const char* what;
        void (*restore)(HWND);
    };
    const Case cases[] = {
        {"SC_RESTORE", [](HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0); }},
        {"ShowWindow", [](HWND window) { ShowWindowAsync(window, SW_RESTORE); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The minimise box.
        PostMessageA(tool_.window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(support::WaitFor([&] {
            return IsIconic(application) && !IsWindowVisible(tool_.window);
        })) << "iconic "
            << IsIconic(application) << ", window visible " << IsWindowVisible(tool_.window);
        EXPECT_EQ(support::TaskBarWindows(tool_.process.Id()), buttons) << "the button stays";
        c.restore(application);
        EXPECT_TRUE(support::WaitFor([&] {
            return !IsIconic(application) && IsWindowVisible(tool_.window);
        })) << "iconic "
            << IsIconic(application) << ", window visible " << IsWindowVisible(tool_.window);
        EXPECT_TRUE(tool_.HasFocus(tool_.oldField)) << "back in the window";
    }
    tool_.Screenshot("e2e-restored");
}

TEST(EndToEndStart, StartedMinimisedItIsTheButtonAloneUntilRestored) {
    support::ChildProcess tool;
    ASSERT_TRUE(
        tool.Start(support::WindowsPathOfUnix(BRIVOK_EXE_PATH), "", "", SW_SHOWMINNOACTIVE));
    HWND application = nullptr;
    ASSERT_TRUE(support::WaitFor([&] {
        const std::vector<HWND> buttons = support::TaskBarWindows(tool.Id());
        application = buttons.size() == 1 ? buttons.front() : nullptr;
        return application != nullptr && IsIconic(application);
    })) << "no minimised task-bar button";
    EXPECT_EQ(support::WindowText(application), "Brivok Patch");
    EXPECT_EQ(support::FindTopLevel(ToolWindow::kCaption, "", tool.Id(), 500), nullptr)
        << "the window shows although minimised";
    PostMessageA(application, WM_SYSCOMMAND, SC_RESTORE, 0);
    HWND window = support::FindTopLevel(ToolWindow::kCaption, "", tool.Id());
    ASSERT_NE(window, nullptr) << "restoring shows no window";
    EXPECT_EQ(GetWindow(window, GW_OWNER), application);
    EXPECT_NEAR(support::CentreOf(window).x, GetSystemMetrics(SM_CXSCREEN) / 2, 1)
        << "centred at its first showing";
}

TEST_F(EndToEndTest, ClosingTheWindowEndsTheProcess) {
    PostMessageA(tool_.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(tool_.process.WaitForExit(), 0u);
}

}  // namespace
