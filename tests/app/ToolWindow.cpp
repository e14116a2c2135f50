#include "ToolWindow.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "MainLayout.h"

std::string ToolWindow::ScreenshotPath(const std::string& name) {
    return support::WindowsPathOfUnix(BRIVOK_SCREENSHOT_DIR) + "\\" + name + ".bmp";
}

bool ToolWindow::Start(const std::string& exePath) {
    if (!process.Start(exePath)) {
        return false;
    }
    window = support::FindTopLevel(kCaption, "", process.Id());
    if (window == nullptr) {
        return false;
    }
    for (HWND box : support::FindChildren(window, "Button")) {
        const std::string caption = support::WindowText(box);
        HWND field = support::FindChild(box, "Edit", 0);
        if (caption == "Original") {
            oldBox = box, oldField = field;
        } else if (caption == "Diff file") {
            diffBox = box, diffField = field;
        } else if (caption == "Result") {
            newBox = box, newField = field;
        }
    }
    for (HWND button : support::FindChildren(window, "TJvXPButton")) {
        (support::WindowText(button) == "Close" ? close : patch) = button;
    }
    progress = support::FindChild(window, PROGRESS_CLASSA, 0);
    return oldField && diffField && newField && close && patch && progress;
}

bool ToolWindow::Browse(HWND field, const std::string& path) {
    support::PostKey(field, VK_DOWN, true);
    if (support::ChooseInOpenDialog(path, "Browse", process.Id())) {
        return true;
    }
    // What the screen showed instead.
    support::SaveScreenshot(GetDesktopWindow(), ScreenshotPath("e2e-browse-failed"));
    return false;
}

bool ToolWindow::FieldShows(HWND field, const std::string& text) {
    return support::WaitFor([&] { return support::WindowText(field) == text; });
}

void ToolWindow::Click(HWND button) {
    const SIZE size = support::ClientSize(button);
    const LPARAM middle = MAKELPARAM(size.cx / 2, size.cy / 2);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageA(button, WM_LBUTTONUP, 0, middle);
}

bool ToolWindow::WaitEnabled(HWND control, bool enabled) {
    return support::WaitFor([&] { return (IsWindowEnabled(control) != FALSE) == enabled; });
}

::testing::AssertionResult ToolWindow::HasFocus(HWND control) {
    if (support::WaitFor([&] { return support::FocusOf(window) == control; })) {
        return ::testing::AssertionSuccess();
    }
    HWND focus = support::FocusOf(window);
    return ::testing::AssertionFailure() << "the focus is on " << support::WindowClass(focus)
                                         << " '" << support::WindowText(focus) << "'";
}

::testing::AssertionResult ToolWindow::TabTo(HWND next) {
    support::PostKey(support::FocusOf(window), VK_TAB);
    return HasFocus(next);
}

void ToolWindow::ExpectLayout(int ppi, int wider) const {
    using namespace main_layout;
    EXPECT_EQ(support::ClientSize(window).cx, Scaled(kClient.width, ppi) + wider);
    EXPECT_EQ(support::ClientSize(window).cy, Scaled(kClient.height, ppi));
    struct Case {
        const char* what;
        HWND control;
        HWND parent;
        Place place;
        int left, right;  // how much of `wider` the edge moves
    };
    const Case cases[] = {
        {"frame Original", oldBox, window, kFrames[0], 0, 1},
        {"old-image field", oldField, oldBox, kField, 0, 1},
        {"frame Diff file", diffBox, window, kFrames[1], 0, 1},
        {"diff field", diffField, diffBox, kField, 0, 1},
        {"frame Result", newBox, window, kFrames[2], 0, 1},
        {"new-image field", newField, newBox, kField, 0, 1},
        {"Close", close, window, kClose, 1, 1},
        {"Patch", patch, window, kPatch, 0, 0},
        {"progress bar", progress, window, kProgress, 0, 1},
    };
    for (const Case& c : cases) {
        std::vector<int> expected = Scaled(c.place, ppi);
        expected[0] += c.left * wider;
        expected[2] += c.right * wider;
        EXPECT_EQ(Numbers(support::RectIn(c.control, c.parent)), expected) << c.what;
    }
}

void ToolWindow::Screenshot(const std::string& name, HWND shown) {
    HWND target = shown != nullptr ? shown : window;
    // Children too (a box's text is a child): UpdateWindow paints only the
    // window itself, and the capture could come before the rest is drawn.
    RedrawWindow(target, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(support::WaitFor([&] { return support::Responsive(target); }))
        << "the window does not answer; its picture " << name << " may be stale";
    support::SaveScreenshot(target, ScreenshotPath(name));
}
