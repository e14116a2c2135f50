// The real program, driven from outside as a user would: its window and
// layout, Tab, the Open dialogs, the derived name, the refusal box, resizing
// and closing.
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

// Where each control lies in its parent's client area at the start.
struct Place {
    const char* what;
    int left, top, width, height;
};

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tool_.Start(support::WindowsPathOfUnix(BRIVOK_EXE_PATH)))
            << "the window or one of its controls did not show";
        window_ = tool_.window;
        oldBox_ = tool_.oldBox, diffBox_ = tool_.diffBox, newBox_ = tool_.newBox;
        oldField_ = tool_.oldField, diffField_ = tool_.diffField, newField_ = tool_.newField;
        close_ = tool_.close, patch_ = tool_.patch;
    }

    void Screenshot(const std::string& name) { tool_.Screenshot(name); }
    bool Browse(HWND field, const std::string& path) { return tool_.Browse(field, path); }
    bool FieldShows(HWND field, const std::string& text) { return tool_.FieldShows(field, text); }

    ToolWindow tool_;
    HWND window_ = nullptr;
    HWND oldBox_ = nullptr, diffBox_ = nullptr, newBox_ = nullptr;
    HWND oldField_ = nullptr, diffField_ = nullptr, newField_ = nullptr;
    HWND close_ = nullptr, patch_ = nullptr;
};

TEST_F(EndToEndTest, StartsWithItsLayoutPatchDisabledAndCloseEnabled) {
    const SIZE client = support::ClientSize(window_);
    EXPECT_EQ(client.cx, 458);
    EXPECT_EQ(client.cy, 305);
    struct Case {
        Place place;
        HWND window;
        HWND parent;
    };
    const Case cases[] = {
        {{"frame Original", 32, 24, 393, 65}, oldBox_, window_},
        {{"old-image field", 16, 24, 361, 21}, oldField_, oldBox_},
        {{"frame Diff file", 32, 96, 393, 65}, diffBox_, window_},
        {{"diff field", 16, 24, 361, 21}, diffField_, diffBox_},
        {{"frame Result", 32, 168, 393, 65}, newBox_, window_},
        {{"new-image field", 16, 24, 361, 21}, newField_, newBox_},
        {{"Close", 352, 256, 73, 21}, close_, window_},
        {{"Patch", 32, 256, 73, 21}, patch_, window_},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.place.what);
        const RECT rect = support::RectIn(c.window, c.parent);
        EXPECT_EQ(rect.left, c.place.left);
        EXPECT_EQ(rect.top, c.place.top);
        EXPECT_EQ(rect.right - rect.left, c.place.width);
        EXPECT_EQ(rect.bottom - rect.top, c.place.height);
    }
    EXPECT_FALSE(IsWindowEnabled(patch_));
    EXPECT_TRUE(IsWindowEnabled(close_));
    for (HWND field : {oldField_, diffField_, newField_}) {
        EXPECT_EQ(support::WindowText(field), "");
    }
    // Centred on the desktop.
    RECT frame{};
    GetWindowRect(window_, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    Screenshot("e2e-start");
}

TEST_F(EndToEndTest, TabGoesOldDiffNewCloseAndRoundAgain) {
    ASSERT_TRUE(support::WaitFor([&] { return support::FocusOf(window_) == oldField_; }))
        << "the old-image field has the focus at the start";
    for (HWND next : {diffField_, newField_, close_, oldField_}) {
        support::PostKey(support::FocusOf(window_), VK_TAB);
        EXPECT_TRUE(support::WaitFor([&] { return support::FocusOf(window_) == next; }))
            << "after Tab the focus is on " << support::WindowClass(support::FocusOf(window_))
            << " '" << support::WindowText(support::FocusOf(window_)) << "'";
    }
}

TEST_F(EndToEndTest, ChosenFilesGiveTheNewNameAndAForeignDiffIsRefused) {
    CreateDirectoryA("C:\\img", nullptr);
    CreateDirectoryA("D:\\dl", nullptr);
    ASSERT_TRUE(support::WriteFile(kOldImage, ""));
    ASSERT_TRUE(support::WriteFile(kDiff, "")) << "drive D: is not mapped (dosdevices/d:)";
    ASSERT_TRUE(support::WriteFile(kForeignDiff, ""));

    ASSERT_TRUE(Browse(oldField_, kOldImage)) << "Browse dialog of the old-image field";
    EXPECT_TRUE(FieldShows(oldField_, kOldImage));
    EXPECT_FALSE(IsWindowEnabled(patch_));

    ASSERT_TRUE(Browse(diffField_, kDiff)) << "Browse dialog of the diff field";
    EXPECT_TRUE(FieldShows(diffField_, kDiff));
    EXPECT_TRUE(FieldShows(newField_, kNewImage)) << support::WindowText(newField_);
    EXPECT_TRUE(support::WaitFor([&] { return IsWindowEnabled(patch_) != FALSE; }));
    Screenshot("e2e-derived");

    ASSERT_TRUE(Browse(diffField_, kForeignDiff));
    const support::MessageBoxInfo box =
        support::WaitForMessageBox("Brivok Patch", tool_.process.Id());
    ASSERT_NE(box.window, nullptr) << "no refusal box";
    EXPECT_EQ(box.text, std::string("This patch file doesn't seems to be for ") + kOldImage);
    tool_.Screenshot("e2e-refused", box.window);
    ASSERT_TRUE(support::AnswerMessageBox(box.window));
    EXPECT_TRUE(FieldShows(diffField_, ""));
    EXPECT_TRUE(support::WaitFor([&] { return IsWindowEnabled(patch_) == FALSE; }));
    EXPECT_EQ(support::WindowText(newField_), kNewImage);
}

TEST_F(EndToEndTest, WideningMovesCloseAndWidensTheFrames) {
    RECT frame{};
    GetWindowRect(window_, &frame);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(support::WaitFor([&] { return support::ClientSize(window_).cx == 558; }));
    EXPECT_TRUE(support::WaitFor([&] { return support::RectIn(close_, window_).left == 452; }));
    EXPECT_EQ(support::RectIn(patch_, window_).left, 32);
    for (HWND box : {oldBox_, diffBox_, newBox_}) {
        EXPECT_EQ(support::RectIn(box, window_).right, 525);
    }
    EXPECT_EQ(support::RectIn(oldField_, oldBox_).right, 477);
    Screenshot("e2e-widened");
}

TEST_F(EndToEndTest, TheTaskBarButtonIsTheApplicationsTitledBrivokPatch) {
    // Wine's virtual desktop draws a task bar only on request, and Wine
    // answers WM_GETICON from another process with none: what the shell
    // reads to make its buttons is checked here, the icons in process.
    const std::vector<HWND> buttons = support::TaskBarWindows(tool_.process.Id());
    ASSERT_EQ(buttons.size(), 1u) << "one task-bar button";
    HWND application = buttons.front();
    EXPECT_EQ(support::WindowText(application), "Brivok Patch");
    EXPECT_EQ(GetWindow(window_, GW_OWNER), application) << "the main window has no button";
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
        PostMessageA(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(support::WaitFor([&] {
            return IsIconic(application) && !IsWindowVisible(window_);
        })) << "iconic "
            << IsIconic(application) << ", window visible " << IsWindowVisible(window_);
        EXPECT_EQ(support::TaskBarWindows(tool_.process.Id()), buttons) << "the button stays";
        c.restore(application);
        EXPECT_TRUE(support::WaitFor([&] {
            return !IsIconic(application) && IsWindowVisible(window_);
        })) << "iconic "
            << IsIconic(application) << ", window visible " << IsWindowVisible(window_);
        EXPECT_TRUE(support::WaitFor([&] { return support::FocusOf(window_) == oldField_; }))
            << "the focus is back in the window";
    }
    Screenshot("e2e-restored");
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
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1)
        << "centred at its first showing";
}

TEST_F(EndToEndTest, ClosingTheWindowEndsTheProcess) {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(tool_.process.WaitForExit(), 0u);
}

}  // namespace
