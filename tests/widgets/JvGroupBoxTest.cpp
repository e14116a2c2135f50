// The group box: its classic frame and caption read from pixels against the
// drawing rules, the enabled state passed to its children, hints and events.
#include "widgets/JvGroupBox.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <string>
#include <tuple>

#include "rtl/Bitmap.h"
#include "rtl/Forms.h"
#include "rtl/StdCtrls.h"
#include "support/ControlDriver.h"
#include "support/FormFixture.h"
#include "support/Pixels.h"
#include "support/WidgetLook.h"
#include "support/WindowDriver.h"

namespace {

using support::Rendered;
using support::TextSize;

constexpr int kWidth = 393;
constexpr int kHeight = 65;
constexpr UINT kPaint = PRF_CLIENT | PRF_ERASEBKGND;  // the box's background too

BOOL CALLBACK FindTooltip(HWND window, LPARAM data) {
    char name[64]{};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == TOOLTIPS_CLASSA) {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

class GroupBoxTest : public support::FormFixture {
protected:
    void SetUp() override {
        MakeForm(460, 200);
        box_ = Add<TJvGroupBox>(form_.get(), 32, 24, kWidth, kHeight);
        box_->SetCaption("Original");
        first_ = Add<TCustomEdit>(box_, 16, 24, 100, 14);
        second_ = Add<TCustomEdit>(box_, 16, 40, 100, 14);
        other_ = Add<TCustomEdit>(form_.get(), 16, 120, 100, 14);
        ASSERT_NO_FATAL_FAILURE(ShowForm());
        // The classic look for this box alone; the theme stays on elsewhere.
        // Windows switches a window's theme off for an empty class list;
        // Wine takes an empty list as none given and keeps the theme, so
        // the list names a class that no theme has.
        SetWindowTheme(box_->Handle(), L" ", L" ");
        th_ = TextSize(box_, "0").cy;
        tw_ = TextSize(box_, "Original").cx;
        shadowTop_ = th_ / 2 - 1;
    }

    // The pixels of `colour` where the caption stands; the frame's shadow
    // line there is no ink.
    int InCaption(const TBitmap& picture, COLORREF colour) const {
        return support::CountPixels(picture, {8, 0, 8 + tw_, th_}, [&](int, int y, COLORREF p) {
            return p == colour && (colour != shadow_ || y != shadowTop_);
        });
    }

    TJvGroupBox* box_ = nullptr;
    TCustomEdit* first_ = nullptr;
    TCustomEdit* second_ = nullptr;
    TCustomEdit* other_ = nullptr;
    int th_ = 0;  // the text's height and the caption's width in the box's font
    int tw_ = 0;
    int shadowTop_ = 0;
    const COLORREF shadow_ = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight_ = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF face_ = GetSysColor(COLOR_BTNFACE);
    const COLORREF text_ = GetSysColor(COLOR_WINDOWTEXT);
};

TEST_F(GroupBoxTest, Defaults) {
    TJvGroupBox fresh(nullptr);
    EXPECT_FALSE(fresh.PropagateEnable());
    EXPECT_EQ(fresh.GetHintColorSetting(), clDefault);
    EXPECT_TRUE(fresh.Ctl3D());
    EXPECT_NE(fresh.ControlStyle() & csAcceptsControls, 0u);
    EXPECT_FALSE(fresh.MouseOver());
}

TEST_F(GroupBoxTest, TheClassicFrameIsAShadowLineWithAHighlightLineBelowAndRight) {
    const Rendered picture(box_, kPaint);
    const std::tuple<int, int, COLORREF, const char*> points[] = {
        {200, shadowTop_, shadow_, "top shadow line"},
        {200, shadowTop_ + 1, highlight_, "top highlight line"},
        {200, shadowTop_ - 1, face_, "above the frame"},
        {0, 30, shadow_, "left shadow line"},
        {1, 30, highlight_, "left highlight line"},
        {kWidth - 2, 30, shadow_, "right shadow line"},
        {kWidth - 1, 30, highlight_, "right highlight line"},
        {200, kHeight - 2, shadow_, "bottom shadow line"},
        {200, kHeight - 1, highlight_, "bottom highlight line"},
        {200, 30, face_, "inside"},
        {7, shadowTop_, shadow_, "the line left of the caption"},
        {8 + tw_, shadowTop_, shadow_, "the line right of the caption"},
        {8 + tw_, shadowTop_ + 1, highlight_, "the highlight right of the caption"},
    };
    for (const auto& [x, y, color, what] : points) {
        EXPECT_EQ(picture.Pixel(x, y), color) << what << " at " << x << ", " << y;
    }
    // Behind the caption the patch of the box's colour hides both lines.
    for (int x = 8; x < 8 + tw_; ++x) {
        EXPECT_NE(picture.Pixel(x, shadowTop_), shadow_) << "x " << x;
    }
    EXPECT_GT(InCaption(picture, text_), 0) << "the caption is drawn in the font's colour";
}

TEST_F(GroupBoxTest, TheMainWindowsFontPutsTheFrameAtRowsFiveAndSix) {
    // The layout's font is 13 pixels high; the frame's lines follow from it.
    if (th_ != 13) {
        GTEST_SKIP() << "the substitute font here is " << th_ << " pixels high";
    }
    const Rendered picture(box_, kPaint);
    EXPECT_EQ(picture.Pixel(200, 5), shadow_);
    EXPECT_EQ(picture.Pixel(200, 6), highlight_);
}

TEST_F(GroupBoxTest, FlatFrameEmptyCaptionAndRightToLeft) {
    {
        SCOPED_TRACE("Ctl3D off: one line in the window-frame colour");
        box_->SetCtl3D(false);
        const Rendered picture(box_, kPaint);
        EXPECT_EQ(picture.Pixel(200, shadowTop_), GetSysColor(COLOR_WINDOWFRAME));
        EXPECT_EQ(picture.Pixel(200, shadowTop_ + 1), face_);
        EXPECT_EQ(picture.Pixel(kWidth - 1, 30), GetSysColor(COLOR_WINDOWFRAME));
        box_->SetCtl3D(true);
    }
    {
        SCOPED_TRACE("empty caption: the frame only");
        box_->SetCaption("");
        const Rendered picture(box_, kPaint);
        for (int x = 0; x < kWidth - 1; ++x) {
            ASSERT_EQ(picture.Pixel(x, shadowTop_), shadow_) << "x " << x;
        }
        box_->SetCaption("Original");
    }
    {
        SCOPED_TRACE("right to left: the caption ends 8 pixels before the right end");
        box_->SetBiDiMode(TBiDiMode::bdRightToLeft);
        const Rendered picture(box_, kPaint);
        const int left = (kWidth - 1) - tw_ - 8;
        EXPECT_EQ(picture.Pixel(8, shadowTop_), shadow_);
        EXPECT_EQ(picture.Pixel(left - 1, shadowTop_), shadow_);
        EXPECT_NE(picture.Pixel(left, shadowTop_), shadow_);
        EXPECT_NE(picture.Pixel(left + tw_ - 1, shadowTop_), shadow_);
        EXPECT_EQ(picture.Pixel(left + tw_, shadowTop_), shadow_);
    }
}

TEST_F(GroupBoxTest, WhatThePlatformsBoxPaintsAtOnceIsPaintedOverAgain) {
    // The platform's box draws itself at once on some messages, not through
    // WM_PAINT; its frame leaves a gap around the caption where ours does
    // not (x = 7 and x = 8 + caption width carry our shadow line).
    const std::tuple<const char*, UINT, WPARAM, const char*> cases[] = {
        {"keyboard cues shown", WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), nullptr},
        {"keyboard cues hidden", WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), nullptr},
        {"new caption", WM_SETTEXT, 0, "Diff file"},
    };
    for (const auto& [name, message, wParam, text] : cases) {
        SCOPED_TRACE(name);
        SendMessageA(box_->Handle(), message, wParam, reinterpret_cast<LPARAM>(text));
        UpdateWindow(box_->Handle());
        const int width = TextSize(box_, box_->Caption()).cx;
        // Read from the window itself: the screen shows it a moment later.
        TBitmap drawn;
        ASSERT_TRUE(support::CaptureWindowOf(box_->Handle(), drawn));
        EXPECT_EQ(drawn.Pixel(7, shadowTop_), shadow_);
        EXPECT_EQ(drawn.Pixel(8 + width, shadowTop_), shadow_);
    }
}

TEST_F(GroupBoxTest, ADisabledCaptionIsEmbossed) {
    box_->SetEnabled(false);
    const Rendered picture(box_, kPaint);
    EXPECT_EQ(InCaption(picture, text_), 0);
    EXPECT_GT(InCaption(picture, shadow_), 0);
    EXPECT_GT(support::CountPixels(picture, {8, 0, 8 + tw_, th_},
                                   [&](int x, int y, COLORREF p) {
                                       return p == shadow_ && y != shadowTop_ &&
                                              picture.Pixel(x + 1, y + 1) == highlight_;
                                   }),
              0)
        << "a highlight copy one pixel right and down";
}

TEST_F(GroupBoxTest, PropagateEnablePassesTheStateToTheDirectChildren) {
    // Off: the children keep their own state.
    box_->SetEnabled(false);
    EXPECT_TRUE(first_->Enabled());
    EXPECT_TRUE(other_->Enabled());
    box_->SetEnabled(true);
    // Setting it passes the box's state on, whichever value is set.
    first_->SetEnabled(false);
    box_->SetPropagateEnable(false);
    EXPECT_TRUE(first_->Enabled()) << "set to false on an enabled box: children enabled";
    box_->SetPropagateEnable(true);
    box_->SetEnabled(false);
    EXPECT_FALSE(first_->Enabled());
    EXPECT_FALSE(second_->Enabled());
    EXPECT_TRUE(other_->Enabled()) << "not a child of the box";
    box_->SetEnabled(true);
    EXPECT_TRUE(first_->Enabled());
    EXPECT_TRUE(second_->Enabled());
}

TEST_F(GroupBoxTest, TheHintColourFollowsItsSetting) {
    EXPECT_EQ(box_->HintColor(), form_->HintColor()) << "clDefault asks the parent";
    EXPECT_EQ(form_->HintColor(), clInfoBk);
    box_->SetHintColor(0x00FF00);
    EXPECT_EQ(box_->HintColor(), 0x00FF00u);
    EXPECT_EQ(first_->HintColor(), 0x00FF00u) << "a child asks the box";
    box_->SetHintColor(clNone);
    EXPECT_EQ(box_->HintColor(), clInfoBk) << "clNone: the application's hint colour";

    // The form gives the tooltip the colour when it asks for the text.
    box_->SetHintColor(0x3366CC);
    box_->SetHint("frame");
    box_->SetShowHint(true);
    HWND tooltip = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_NE(tooltip, nullptr);
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = tooltip;
    info.hdr.idFrom = reinterpret_cast<UINT_PTR>(box_->Handle());
    info.hdr.code = TTN_GETDISPINFOA;
    SendMessageA(form_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::string(info.lpszText), "frame");
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(tooltip, TTM_GETTIPBKCOLOR, 0, 0)),
              static_cast<COLORREF>(0x3366CC));
}

TEST_F(GroupBoxTest, EventsOfThePointerTheParentColourAndTheAccelerator) {
    std::vector<std::string> log;
    box_->OnMouseEnter = [&](TObject* sender) {
        EXPECT_EQ(sender, box_);
        log.push_back(box_->MouseOver() ? "enter, over" : "enter");
    };
    box_->OnMouseLeave = [&](TObject*) {
        log.push_back(box_->MouseOver() ? "leave, over" : "leave");
    };
    box_->OnParentColorChange = [&](TObject*) { log.push_back("parent colour"); };
    box_->OnHotKey = [&](TObject*) { log.push_back("hot key"); };

    RECT rect{};
    GetWindowRect(box_->Handle(), &rect);
    const POINT inside{rect.left + 200, rect.top + 55};
    SetCursorPos(inside.x, inside.y);
    SendMessageA(box_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 55));
    SetCursorPos(0, 0);
    ASSERT_TRUE(support::WaitFor([&] { return !box_->MouseOver(); }));
    form_->SetColor(clWindow);

    box_->SetCaption("&Original");
    other_->SetFocus();
    PostMessageA(other_->Handle(), WM_SYSCHAR, 'o', 1 | (1L << 29));
    Application->ProcessMessages();
    EXPECT_EQ(GetFocus(), first_->Handle()) << "the accelerator focuses the first child";
    PostMessageA(other_->Handle(), WM_SYSCHAR, 'x', 1 | (1L << 29));
    Application->ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"enter, over", "leave", "parent colour", "hot key"}));
}

}  // namespace
