// The real program's Patch and Close read from the screen in the states of
// their state table and compared with the looks worked out from the drawing
// rules. Screenshots go to build/screenshots/e2e-xp-*.bmp.
#include <windows.h>

#include <gtest/gtest.h>

#include <uxtheme.h>

#include <string>

#include "ToolWindow.h"
#include "support/WindowDriver.h"
#include "widgets/XPButtonLook.h"

namespace {

using support::CentreOf;
using support::MouseButton;
using xp_look::FirstFaceMismatch;
using xp_look::kBorder;
using xp_look::kDisabledBorder;
using xp_look::Look;
using xp_look::Ring;

class XPLookTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(0, 0);
        ASSERT_TRUE(tool_.Start(support::WindowsPathOfUnix(BRIVOK_EXE_PATH)))
            << "the window or one of its controls did not show";
    }
    void TearDown() override {
        if (held_) {
            MouseButton(MOUSEEVENTF_LEFTUP);
        }
        SetCursorPos(0, 0);
    }

    // Waits until the button on the screen shows `look`; the last difference
    // when it does not.
    std::string WaitForLook(HWND button, const Look& look) {
        std::string mismatch = "not captured";
        const bool shown = support::WaitFor([&] {
            TBitmap picture;
            if (!support::CaptureScreenOf(button, picture)) {
                return false;
            }
            mismatch = FirstFaceMismatch(picture, look);
            if (mismatch.empty()) {
                const COLORREF border = picture.Pixel(36, 0);
                if (border != look.border) {
                    mismatch = "the border is not the state's colour";
                }
            }
            return mismatch.empty();
        });
        return shown ? std::string() : mismatch;
    }

    // Tab from the old-image field, which has the focus at the start, to Close.
    void TabToClose() {
        for (int i = 0; i < 3; ++i) {
            support::PostKey(support::FocusOf(tool_.window), VK_TAB);
            HWND expected[] = {tool_.diffField, tool_.newField, tool_.close};
            ASSERT_TRUE(support::WaitFor([&] {
                HWND focus = support::FocusOf(tool_.window);
                return focus == expected[i] || IsChild(expected[i], focus);
            })) << "Tab "
                << i + 1;
        }
    }

    ToolWindow tool_;
    bool held_ = false;
};

TEST_F(XPLookTest, AtTheStartPatchIsDisabledAndCloseIdle) {
    EXPECT_EQ(WaitForLook(tool_.patch, {Ring::kNone, false, kDisabledBorder}), "");
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kNone, false, kBorder}), "");
    TBitmap patch;
    ASSERT_TRUE(support::CaptureScreenOf(tool_.patch, patch));
    EXPECT_EQ(patch.Pixel(0, 0), GetSysColor(COLOR_BTNFACE)) << "corners keep the window's colour";
    tool_.Screenshot("e2e-xp-start-patch-disabled-close-idle");
}

TEST_F(XPLookTest, CloseUnderThePointerFocusedPressedAndDraggedOff) {
    const POINT close = CentreOf(tool_.close);
    SetCursorPos(close.x, close.y);
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kHot, false, kBorder}), "") << "pointer over it";
    tool_.Screenshot("e2e-xp-close-hot");
    SetCursorPos(0, 0);
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kNone, false, kBorder}), "") << "pointer gone";

    TabToClose();
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kFocus, false, kBorder}), "") << "focused by Tab";
    tool_.Screenshot("e2e-xp-close-focused");

    SetCursorPos(close.x, close.y);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    held_ = true;
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kNone, true, kBorder}), "") << "pressed";
    tool_.Screenshot("e2e-xp-close-pressed");

    SetCursorPos(close.x, close.y - 60);
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kFocus, false, kBorder}), "") << "dragged off";
    tool_.Screenshot("e2e-xp-close-dragged-off");
    MouseButton(MOUSEEVENTF_LEFTUP);
    held_ = false;
    // Released off the button: no click, so the tool is still running.
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kFocus, false, kBorder}), "") << "released off";
    EXPECT_TRUE(tool_.process.Running());
}

TEST_F(XPLookTest, AClickOnAFramesBlankPartLeavesTheFocusOnClose) {
    TabToClose();
    const RECT frame = support::RectIn(tool_.oldBox, nullptr);
    support::ClickAt({(frame.left + frame.right) / 2, frame.bottom - 6});  // below the field
    // The pointer's events come in order: Close hot, the click was handled.
    support::PointerTo(tool_.close);
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kHot, false, kBorder}), "") << "pointer over it";
    SetCursorPos(0, 0);
    EXPECT_EQ(support::FocusOf(tool_.window), tool_.close);
    EXPECT_EQ(WaitForLook(tool_.close, {Ring::kFocus, false, kBorder}), "")
        << "Close keeps its ring";
    tool_.Screenshot("e2e-xp-frame-clicked");
}

TEST_F(XPLookTest, SpaceOnTheFocusedCloseEndsTheTool) {
    TabToClose();
    support::PostKey(tool_.close, VK_SPACE);
    EXPECT_EQ(tool_.process.WaitForExit(), 0u) << "Close ends the tool with exit code 0";
}

TEST_F(XPLookTest, TheFrames) {
    // Wine's default prefix has visual styles on: the platform draws the
    // frames. A prefix with the theme switched off shows their own classic
    // paint: shadow at th div 2 - 1 (5 with the 13-pixel font), highlight
    // below it, and the caption from x 8.
    TBitmap box;
    ASSERT_TRUE(support::CaptureScreenOf(tool_.oldBox, box));
    const bool themed = IsThemeActive() != FALSE;
    tool_.Screenshot(themed ? "e2e-xp-frames-themed" : "e2e-xp-frames-classic");
    if (themed) {
        // Whatever the theme draws, a frame line crosses the caption's row.
        bool line = false;
        for (int y = 2; y < 10; ++y) {
            line = line || box.Pixel(200, y) != GetSysColor(COLOR_BTNFACE);
        }
        EXPECT_TRUE(line);
        return;
    }
    EXPECT_EQ(box.Pixel(200, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(box.Pixel(200, 6), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(box.Pixel(7, 5), GetSysColor(COLOR_BTNSHADOW));
}

}  // namespace
