// The XP button: its look in every state read from pixels against colours
// worked out from the drawing rules (XPButtonLook.h), and what clicks it.
#include "widgets/JvXPButtons.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "rtl/Bitmap.h"
#include "rtl/Forms.h"
#include "rtl/StdCtrls.h"
#include "support/ControlDriver.h"
#include "support/FormFixture.h"
#include "support/Pixels.h"
#include "support/WidgetLook.h"
#include "support/WindowDriver.h"
#include "widgets/XPButtonLook.h"

namespace {

using support::CentreOf;
using support::Rendered;
using support::Send;

using namespace xp_look;

constexpr COLORREF kMagenta = RGB(255, 0, 255);  // see-through in a glyph

class XPButtonTest : public support::FormFixture {
protected:
    void SetUp() override {
        MakeForm(300, 100, 60, 60);
        edit_ = Add<TCustomEdit>(form_.get(), 10, 60, 100, 21);
        button_ = MakeButton();
        next_ = Add<TJvXPButton>(form_.get(), 150, 20, kWidth, kHeight);
        next_->SetCaption("Close");
        next_->OnClick = [this](TObject*) { ++nextClicks_; };
        ASSERT_NO_FATAL_FAILURE(ShowForm());
        edit_->SetFocus();
        Application->ProcessMessages();
        clicks_ = 0;
        nextClicks_ = 0;
    }

    TJvXPButton* MakeButton() {
        auto* button = Add<TJvXPButton>(form_.get(), 32, 20, kWidth, kHeight);
        button->SetCaption("Patch");
        button->OnClick = [this, button](TObject* sender) {
            EXPECT_EQ(sender, button);
            ++clicks_;
        };
        return button;
    }
    // A fresh button in place of the old one, the edit focused, the keys
    // up, for the next case of a table (a new form would cost Wine seconds).
    void NewButton() {
        PointerAway();
        ReleaseKeys();
        delete button_;
        button_ = MakeButton();
        edit_->SetFocus();
        Application->ProcessMessages();
        clicks_ = 0;
        nextClicks_ = 0;
    }

    void Post(UINT msg, WPARAM wParam, LPARAM lParam) {
        PostMessageA(button_->Handle(), msg, wParam, lParam);
        Application->ProcessMessages();
    }
    // The pointer over `over`; the button gets the move (it may hold the capture).
    void PointerOver(TWinControl* over) { support::MovePointer(over, button_); }
    // The left button pressed with the pointer over the button.
    void Press() {
        PointerOver(button_);
        Send(button_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    }
    // A key as the keyboard sends it, through the loop's dialog-key routing.
    static void Key(TWinControl* target, WORD key) {
        support::PostKey(target->Handle(), key);
        Application->ProcessMessages();
    }
    // Shift, Ctrl or Alt held for the keys that follow.
    static void HoldModifier(BYTE key) {
        BYTE keys[256]{};
        GetKeyboardState(keys);
        keys[key] = 0x80;
        SetKeyboardState(keys);
    }

    TCustomEdit* edit_ = nullptr;
    TJvXPButton* button_ = nullptr;
    TJvXPButton* next_ = nullptr;
    int clicks_ = 0;
    int nextClicks_ = 0;
};

TEST_F(XPButtonTest, Defaults) {
    TJvXPButton fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 73);
    EXPECT_EQ(fresh.Height(), 21);
    EXPECT_TRUE(fresh.TabStop());
    EXPECT_TRUE(fresh.AutoGray());
    EXPECT_TRUE(fresh.ShowAccelChar());
    EXPECT_TRUE(fresh.SmoothEdges());
    EXPECT_TRUE(fresh.WordWrap());
    EXPECT_FALSE(fresh.ShowFocusRect());
    EXPECT_FALSE(fresh.Cancel());
    EXPECT_FALSE(fresh.Default());
    EXPECT_EQ(fresh.Spacing(), 3);
    EXPECT_EQ(fresh.Layout(), blGlyphLeft);
    EXPECT_EQ(fresh.ModalResult(), 0);
    EXPECT_TRUE(fresh.Glyph().Empty());
    EXPECT_EQ(fresh.ControlStyle() & csDoubleClicks, 0u);
}

TEST_F(XPButtonTest, TheGradientsAreBuiltForTheSize) {
    for (const TBitmap* gradient : {&button_->BackgroundGradient(), &button_->PressedGradient(),
                                    &button_->FocusGradient(), &button_->HotGradient()}) {
        EXPECT_EQ(std::pair(gradient->Width(), gradient->Height()), std::pair(71, 19));
    }
    // Resized while the pointer is over it: the face is inset by the ring.
    PointerOver(button_);
    button_->SetBounds(button_->Left(), button_->Top(), 90, 30);
    const TBitmap& inset = button_->BackgroundGradient();
    EXPECT_EQ(std::pair(inset.Width(), inset.Height()), std::pair(90 - 6, 30 - 6));
    EXPECT_EQ(button_->HotGradient().Width(), 88);
    EXPECT_EQ(button_->PressedGradient().Pixel(0, 27), GradientRow(kPressed, 28, 27));
}

TEST_F(XPButtonTest, EachStateShowsItsRingFaceAndBorder) {
    const std::tuple<const char*, std::function<void()>, Look> cases[] = {
        {"idle", [] {}, {Ring::kNone, false, kBorder}},
        {"pointer over it", [this] { PointerOver(button_); }, {Ring::kHot, false, kBorder}},
        {"focused", [this] { button_->SetFocus(); }, {Ring::kFocus, false, kBorder}},
        {"focused and hot",
         [this] {
             button_->SetFocus();
             PointerOver(button_);
         },
         {Ring::kHot, false, kBorder}},
        {"pressed", [this] { Press(); }, {Ring::kNone, true, kBorder}},
        {"pressed and dragged off",
         [this] {
             Press();
             PointerOver(edit_);
         },
         {Ring::kFocus, false, kBorder}},
        {"default, an edit focused",
         [this] { button_->SetDefault(true); },
         {Ring::kFocus, false, kBorder}},
        {"default, another XP button focused",
         [this] {
             button_->SetDefault(true);
             next_->SetFocus();
         },
         {Ring::kNone, false, kBorder}},
        {"disabled", [this] { button_->SetEnabled(false); }, {Ring::kNone, false, kDisabledBorder}},
        {"disabled under the pointer",
         [this] {
             PointerOver(button_);
             button_->SetEnabled(false);
         },
         {Ring::kNone, false, kDisabledBorder}},
    };
    const COLORREF parent = GetSysColor(COLOR_BTNFACE);
    for (const auto& [name, enter, look] : cases) {
        SCOPED_TRACE(name);
        NewButton();
        enter();
        const Rendered picture(button_);
        const std::string mismatch = FirstFaceMismatch(picture, look);
        ASSERT_EQ(mismatch, "");
        for (const POINT border :
             std::initializer_list<POINT>{{36, 0}, {36, 20}, {0, 10}, {72, 10}}) {
            EXPECT_EQ(picture.Pixel(border.x, border.y), look.border)
                << "border at " << border.x << ", " << border.y;
        }
        for (const POINT corner :
             std::initializer_list<POINT>{{0, 0}, {72, 0}, {0, 20}, {72, 20}}) {
            EXPECT_EQ(picture.Pixel(corner.x, corner.y), parent)
                << "corner " << corner.x << ", " << corner.y << " keeps the parent's colour";
        }
    }
}

// The box around the pixels inside the ring that differ from the face: the
// caption's ink.
RECT InkBox(const TBitmap& picture, const Look& look) {
    return support::BoxOf(picture, {3, 3, kWidth - 3, kHeight - 3},
                          [&](int x, int y, COLORREF p) { return p != ExpectedFace(look, x, y); });
}

TEST_F(XPButtonTest, TheCaptionIsCentredAndMovesOnePixelWhenPressed) {
    const Rendered idle(button_);
    const SIZE text = support::TextSize(button_, "Patch");
    const RECT idleInk = InkBox(idle, {Ring::kNone, false, kBorder});
    const int left = (kWidth - text.cx) / 2;
    const int top = (kHeight - text.cy) / 2;
    EXPECT_GE(idleInk.left, left);
    EXPECT_LE(idleInk.right, left + text.cx);
    EXPECT_GE(idleInk.top, top);
    EXPECT_LE(idleInk.bottom, top + text.cy);
    EXPECT_GT(idleInk.right - idleInk.left, text.cx / 2) << "the caption is drawn";

    Press();
    const Rendered pressed(button_);
    const RECT pressedInk = InkBox(pressed, {Ring::kNone, true, kBorder});
    EXPECT_EQ(pressedInk,
              (RECT{idleInk.left + 1, idleInk.top + 1, idleInk.right + 1, idleInk.bottom + 1}));
}

TEST_F(XPButtonTest, ADisabledCaptionIsEmbossed) {
    auto count = [](const TBitmap& picture, COLORREF color) {
        return support::CountPixels(picture, {10, 3, kWidth - 10, kHeight - 3},
                                    [&](int, int, COLORREF p) { return p == color; });
    };
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const Rendered enabled(button_);
    EXPECT_GT(count(enabled, text), 0);
    button_->SetEnabled(false);
    const Rendered disabled(button_);
    EXPECT_EQ(count(disabled, text), 0);
    EXPECT_GT(count(disabled, shadow), 0);
    // The highlight copy shows one pixel right of and below the shadow copy
    // where the shadow does not cover it.
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_GT(support::CountPixels(disabled, {10, 3, kWidth - 11, kHeight - 4},
                                   [&](int x, int y, COLORREF p) {
                                       return p == shadow &&
                                              disabled.Pixel(x + 1, y + 1) == highlight &&
                                              ExpectedFace({Ring::kNone, false, kDisabledBorder},
                                                           x + 1, y + 1) != highlight;
                                   }),
              0);
}

TEST_F(XPButtonTest, TheFocusRectangleShowsOnlyWhenAskedFor) {
    button_->SetFocus();
    const Rendered without(button_);
    button_->SetShowFocusRect(true);
    const Rendered with(button_);
    // Three pixels inside the border, along the top edge outside the caption.
    int changed = 0;
    for (int x = 4; x < 15; ++x) {
        changed += with.Pixel(x, 3) != without.Pixel(x, 3) ? 1 : 0;
        EXPECT_EQ(with.Pixel(x, 5), without.Pixel(x, 5));
    }
    EXPECT_GT(changed, 3);
}

TEST_F(XPButtonTest, WhatClicksTheButton) {
    constexpr LPARAM kIn = MAKELPARAM(5, 5);
    constexpr LPARAM kOut = MAKELPARAM(200, 5);
    constexpr LPARAM kUp = 0xC0000001;  // a key's release
    struct Action {
        const char* name;
        std::vector<std::tuple<UINT, WPARAM, LPARAM>> messages;
        int clicks;
        bool stillPressed = false;
    };
    const Action actions[] = {
        {"left press and release inside",
         {{WM_LBUTTONDOWN, MK_LBUTTON, kIn}, {WM_LBUTTONUP, 0, MAKELPARAM(6, 6)}},
         1},
        {"release outside", {{WM_LBUTTONDOWN, MK_LBUTTON, kIn}, {WM_LBUTTONUP, 0, kOut}}, 0},
        {"release without a press", {{WM_LBUTTONUP, 0, kIn}}, 0},
        {"right button", {{WM_RBUTTONDOWN, MK_RBUTTON, 0}, {WM_RBUTTONUP, 0, 0}}, 0},
        {"Space down and up", {{WM_KEYDOWN, VK_SPACE, 1}, {WM_KEYUP, VK_SPACE, kUp}}, 1},
        {"Space down only", {{WM_KEYDOWN, VK_SPACE, 1}}, 0, true},
        {"Space with auto-repeat",
         {{WM_KEYDOWN, VK_SPACE, 1}, {WM_KEYDOWN, VK_SPACE, 0x40000001}, {WM_KEYUP, VK_SPACE, kUp}},
         1},
        {"Space, another key's release, then Space's",
         {{WM_KEYDOWN, VK_SPACE, 1},
          {WM_KEYDOWN, 'A', 1},
          {WM_KEYUP, 'A', kUp},
          {WM_KEYUP, VK_SPACE, kUp}},
         1},
        {"a key released while the mouse holds it down",
         {{WM_LBUTTONDOWN, MK_LBUTTON, kIn}, {WM_KEYUP, 'A', kUp}, {WM_LBUTTONUP, 0, kOut}},
         1},
        {"a letter", {{WM_KEYDOWN, 'A', 1}, {WM_KEYUP, 'A', kUp}}, 0},
    };
    for (const Action& action : actions) {
        SCOPED_TRACE(action.name);
        button_->SetFocus();
        clicks_ = 0;
        for (const auto& [msg, wParam, lParam] : action.messages) {
            Post(msg, wParam, lParam);
        }
        EXPECT_EQ(clicks_, action.clicks);
        EXPECT_EQ((button_->VisualState() & vsPressed) != 0, action.stillPressed);
        if (action.stillPressed) {
            Post(WM_KEYUP, VK_SPACE, kUp);
        }
    }
}

TEST_F(XPButtonTest, SpaceUpAwayFromThePointerLeavesTheButtonCold) {
    button_->SetFocus();
    Post(WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(button_->VisualState(), vsNormal | vsHot | vsPressed | vsFocused);
    Post(WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_EQ(button_->VisualState(), vsNormal | vsFocused);
    EXPECT_EQ(clicks_, 1);
}

TEST_F(XPButtonTest, ShiftedSpacePressesNothing) {
    button_->SetFocus();
    HoldModifier(VK_SHIFT);
    Post(WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(button_->VisualState() & vsPressed, 0u);
}

TEST_F(XPButtonTest, EnterEscapeAndTheDefaultAndCancelRules) {
    enum Focus { kEdit, kButton, kNext };
    struct Case {
        const char* name;
        bool isDefault;
        bool isCancel;
        Focus focus;
        WORD key;
        BYTE modifier;  // 0: none
        int buttonClicks;
        int nextClicks;
    };
    const Case cases[] = {
        {"Enter on the focused button", false, false, kButton, VK_RETURN, 0, 1, 0},
        {"Shift+Enter on the focused button", false, false, kButton, VK_RETURN, VK_SHIFT, 1, 0},
        {"Enter in the edit, no default", false, false, kEdit, VK_RETURN, 0, 0, 0},
        {"Enter in the edit, default", true, false, kEdit, VK_RETURN, 0, 1, 0},
        {"Enter on another XP button, default", true, false, kNext, VK_RETURN, 0, 0, 1},
        {"Escape, cancel", false, true, kEdit, VK_ESCAPE, 0, 1, 0},
        {"Escape, not cancel", false, false, kEdit, VK_ESCAPE, 0, 0, 0},
        {"Shift+Escape, cancel", false, true, kEdit, VK_ESCAPE, VK_SHIFT, 0, 0},
        {"Ctrl+Escape, cancel", false, true, kEdit, VK_ESCAPE, VK_CONTROL, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewButton();
        TWinControl* const focus[] = {edit_, button_, next_};
        button_->SetDefault(c.isDefault);
        button_->SetCancel(c.isCancel);
        focus[c.focus]->SetFocus();
        if (c.modifier != 0) {
            HoldModifier(c.modifier);
        }
        Key(focus[c.focus], c.key);
        EXPECT_EQ(clicks_, c.buttonClicks);
        EXPECT_EQ(nextClicks_, c.nextClicks);
    }
}

TEST_F(XPButtonTest, TwoFastClicksAreTwoClicks) {
    // The second press of a double-click arrives as WM_LBUTTONDBLCLK.
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks_, 2);
}

TEST_F(XPButtonTest, ADisabledButtonNeverClicks) {
    button_->SetEnabled(false);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Post(WM_KEYDOWN, VK_SPACE, 1);
    Post(WM_KEYUP, VK_SPACE, 0xC0000001);
    Key(edit_, VK_RETURN);
    button_->Click();
    EXPECT_EQ(clicks_, 0);
}

TEST_F(XPButtonTest, ThePressTakesTheFocusAndDisablingGivesItAway) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(GetFocus(), button_->Handle());
    EXPECT_NE(button_->VisualState() & vsFocused, 0u);
    button_->SetEnabled(false);
    EXPECT_EQ(GetFocus(), next_->Handle());
    EXPECT_EQ(button_->VisualState() & vsFocused, 0u) << "the focus change reached it";
}

TEST_F(XPButtonTest, DisablingTheButtonUnderThePointerIsALeave) {
    int leaves = 0;
    button_->OnMouseLeave = [&](TObject*) { ++leaves; };
    PointerOver(button_);
    ASSERT_NE(button_->VisualState() & vsHot, 0u);
    button_->SetEnabled(false);
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(button_->VisualState() & vsHot, 0u);
    // Hovering it disabled changes nothing: no move reaches a disabled window.
    const POINT centre = CentreOf(button_);
    EXPECT_NE(TWinControl::ControlAtPos(centre, false), button_);
}

TEST_F(XPButtonTest, SettingTheSameEnabledValueAsksForNoRepaint) {
    UpdateWindow(button_->Handle());
    button_->SetEnabled(true);
    EXPECT_FALSE(GetUpdateRect(button_->Handle(), nullptr, FALSE));
    button_->SetEnabled(false);
    EXPECT_TRUE(GetUpdateRect(button_->Handle(), nullptr, FALSE));
}

TEST_F(XPButtonTest, SettersRepaintOnlyOnANewValue) {
    struct Case {
        const char* name;
        std::function<void(TJvXPButton&, int)> set;
        int same;  // the default
        int changed;
    };
    const Case cases[] = {
        {"AutoGray", [](TJvXPButton& b, int v) { b.SetAutoGray(v != 0); }, 1, 0},
        {"Layout", [](TJvXPButton& b, int v) { b.SetLayout(TJvXPLayout(v)); }, blGlyphLeft,
         blGlyphTop},
        {"ShowAccelChar", [](TJvXPButton& b, int v) { b.SetShowAccelChar(v != 0); }, 1, 0},
        {"ShowFocusRect", [](TJvXPButton& b, int v) { b.SetShowFocusRect(v != 0); }, 0, 1},
        {"SmoothEdges", [](TJvXPButton& b, int v) { b.SetSmoothEdges(v != 0); }, 1, 0},
        {"Spacing", [](TJvXPButton& b, int v) { b.SetSpacing(std::uint8_t(v)); }, 3, 5},
        {"WordWrap", [](TJvXPButton& b, int v) { b.SetWordWrap(v != 0); }, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateWindow(button_->Handle());
        c.set(*button_, c.same);
        EXPECT_FALSE(GetUpdateRect(button_->Handle(), nullptr, FALSE));
        c.set(*button_, c.changed);
        EXPECT_TRUE(GetUpdateRect(button_->Handle(), nullptr, FALSE));
    }
}

// A glyph of one colour with a magenta lower-left pixel, the transparent one.
void MakeGlyph(TBitmap& glyph, int width, int height, COLORREF color) {
    support::Paint(glyph, width, height,
                   [&](int x, int y) { return x == 0 && y == height - 1 ? kMagenta : color; });
}

TEST_F(XPButtonTest, TheGlyphStandsBesideTheCaptionAsTheLayoutSays) {
    constexpr int kGlyph = 8;
    const COLORREF red = RGB(200, 0, 0);
    TBitmap glyph;
    MakeGlyph(glyph, kGlyph, kGlyph, red);
    button_->SetBounds(button_->Left(), button_->Top(), 90, 50);
    button_->SetGlyph(glyph);
    const SIZE text = support::TextSize(button_, "Patch");
    const int w = 90;
    const int h = 50;
    const int sp = 3;
    // Left: the block glyph + spacing + text is centred; text measured from
    // x = gw + sp, so R.Right = gw + sp + tw.
    const int leftShift = (w - (kGlyph + sp + text.cx)) / 2;
    // Right: R.Left = -(gw + sp), text measured from there.
    const int rightRight = -(kGlyph + sp) + text.cx;
    const int rightShift = (w - rightRight) / 2;
    const int topBottom = kGlyph + sp + text.cy;
    // Where the glyph's corner goes, worked out from the layout rules.
    const std::pair<TJvXPLayout, POINT> cases[] = {
        {blGlyphLeft, {kGlyph + sp + leftShift - kGlyph - sp, (h - kGlyph) / 2}},
        {blGlyphRight, {rightRight + rightShift + sp, (h - kGlyph) / 2}},
        {blGlyphTop, {(w - kGlyph) / 2, kGlyph + sp + (h - topBottom) / 2 - kGlyph - sp}},
        {blGlyphBottom,
         {(w - kGlyph) / 2, -(kGlyph + sp) + text.cy + (h - (text.cy - kGlyph - sp)) / 2 + sp}},
    };
    for (const auto& [layout, glyphAt] : cases) {
        SCOPED_TRACE(layout);
        button_->SetLayout(layout);
        const Rendered picture(button_);
        // The glyph's red square without its transparent corner.
        EXPECT_EQ(support::CountPixels(picture, support::Whole(picture),
                                       [](int, int, COLORREF p) { return p == kMagenta; }),
                  0);
        const RECT box = support::BoxOf(picture, support::Whole(picture),
                                        [&](int, int, COLORREF p) { return p == red; });
        EXPECT_EQ(box, (RECT{glyphAt.x, glyphAt.y, glyphAt.x + kGlyph, glyphAt.y + kGlyph}));
    }
}

TEST_F(XPButtonTest, ADisabledGlyphIsGreyedUnlessAutoGrayIsOff) {
    TBitmap glyph;
    MakeGlyph(glyph, 8, 8, RGB(255, 0, 0));
    button_->SetGlyph(glyph);
    button_->SetEnabled(false);
    auto has = [&](COLORREF color) {
        const Rendered picture(button_);
        return support::CountPixels(picture, support::Whole(picture),
                                    [&](int, int, COLORREF p) { return p == color; }) > 0;
    };
    EXPECT_TRUE(has(RGB(185, 185, 185))) << "(255 + 0 + 0) div 3 + 100";
    EXPECT_FALSE(has(RGB(255, 0, 0)));
    button_->SetAutoGray(false);
    EXPECT_TRUE(has(RGB(255, 0, 0)));
}

TEST_F(XPButtonTest, DefaultTellsEveryControlAgainWhoHasTheFocus) {
    next_->SetFocus();
    ASSERT_TRUE(button_->FocusOnXPControl());
    edit_->SetFocus();
    // Without the broadcast the button would keep its old answer until the
    // next focus change; Default repaints every XP control at once.
    UpdateWindow(next_->Handle());
    button_->SetDefault(true);
    EXPECT_TRUE(button_->IsEmphasised(false));
    EXPECT_FALSE(button_->IsEmphasised(true));
    EXPECT_TRUE(GetUpdateRect(next_->Handle(), nullptr, FALSE));
}

}  // namespace
