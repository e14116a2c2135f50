// The speed button: press and release, hot tracking, its themed and classic
// looks read from pixels, and the picture lists its buttons share.
#include "widgets/JvSpeedButton.h"

#include <uxtheme.h>
#include <vssym32.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "rtl/Forms.h"
#include "rtl/Themes.h"
#include "support/ClassicLook.h"
#include "support/ControlDriver.h"
#include "support/FormFixture.h"
#include "support/Pixels.h"
#include "support/WidgetLook.h"
#include "widgets/GlyphPixels.h"
#include "widgets/JvButtonColors.h"
#include "widgets/JvGlyphCache.h"

namespace {

constexpr COLORREF kFuchsia = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A picture of `width` x `height`: a fuchsia (see-through) frame of two
// pixels around a filled inside, one cell per colour side by side.
void MakePicture(TBitmap& picture, int width, int height, const std::vector<COLORREF>& cells) {
    support::Paint(picture, width * static_cast<int>(cells.size()), height, [&](int x, int y) {
        const int inCell = x % width;
        const bool inside = inCell >= 2 && inCell < width - 2 && y >= 2 && y < height - 2;
        return inside ? cells[static_cast<std::size_t>(x / width)] : kFuchsia;
    });
}

// Where pixels of `colour` lie: their bounding box, empty when none.
RECT BoxOf(const TBitmap& picture, COLORREF colour) {
    return support::BoxOf(picture, support::Whole(picture),
                          [&](int, int, COLORREF pixel) { return pixel == colour; });
}

using support::At;
using support::ClassicLook;
using support::Render;
using support::Rendered;
using support::SamePixels;

class SpeedButtonTest : public support::FormFixture {
protected:
    void SetUp() override {
        MakeForm(200, 100, 60, 60);
        images_ = std::make_unique<TCustomImageList>(nullptr, 14, 12);
        TBitmap picture;
        MakePicture(picture, 14, 12, {kRed});
        ASSERT_EQ(images_->AddMasked(picture.Handle(), kFuchsia), 0);
        button_ = Add<TJvImageSpeedButton>(form_.get(), 10, 10, 21, 19);
        button_->SetImages(images_.get());
        button_->SetImageIndex(0);
        button_->OnClick = [this](TObject*) { ++clicks_; };
        ASSERT_NO_FATAL_FAILURE(ShowForm());
    }

    void Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        support::Send(button_, msg, wParam, lParam);
    }

    // The pointer over the button, as the mouse would bring it, or away.
    void PointAtButton() { support::MovePointer(button_, button_); }
    void PointAway() {
        SetCursorPos(0, 0);
        Send(WM_MOUSELEAVE, 0, 0);
    }

    // The button's look, held down by the mouse when `pressed` (and released
    // off the button afterwards).
    void RenderHeld(bool pressed, TBitmap& look) {
        if (pressed) {
            Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
        }
        Render(button_, look);
        if (pressed) {
            Send(WM_LBUTTONUP, 0, At(80, 5));
        }
    }

    // Goes after the form (the fixture's TearDown), which its button uses.
    std::unique_ptr<TCustomImageList> images_;
    TJvImageSpeedButton* button_ = nullptr;
    int clicks_ = 0;
};

TEST_F(SpeedButtonTest, AReleaseOverTheButtonClicksAndOneOutsideDoesNot) {
    using enum TButtonState;
    // Each step: the message, where it points and the state after it.
    using Steps = std::vector<std::tuple<UINT, int, int, TButtonState>>;
    const int below = 19;  // the first row under the button
    const std::tuple<const char*, Steps, int> cases[] = {
        {"press and release inside",
         {{WM_LBUTTONDOWN, 5, 5, bsDown}, {WM_LBUTTONUP, 5, 5, bsUp}},
         1},
        {"released outside",
         {{WM_LBUTTONDOWN, 5, 5, bsDown}, {WM_MOUSEMOVE, 60, 5, bsUp}, {WM_LBUTTONUP, 60, 5, bsUp}},
         0},
        {"out and back in",
         {{WM_LBUTTONDOWN, 5, 5, bsDown},
          {WM_MOUSEMOVE, 5, 40, bsUp},
          {WM_MOUSEMOVE, 6, 6, bsDown},
          {WM_LBUTTONUP, 6, 6, bsUp}},
         1},
        {"released one row below",
         {{WM_LBUTTONDOWN, 5, 5, bsDown}, {WM_LBUTTONUP, 5, below, bsUp}},
         0},
        {"released on the last row",
         {{WM_LBUTTONDOWN, 5, 5, bsDown}, {WM_LBUTTONUP, 20, below - 1, bsUp}},
         1},
        {"right button", {{WM_RBUTTONDOWN, 5, 5, bsUp}, {WM_RBUTTONUP, 5, 5, bsUp}}, 0},
    };
    for (const auto& [name, steps, clicks] : cases) {
        SCOPED_TRACE(name);
        clicks_ = 0;
        form_->SetModalResult(7);
        for (const auto& [msg, x, y, after] : steps) {
            const WPARAM buttons = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP ? 0
                                   : msg == WM_RBUTTONDOWN                    ? MK_RBUTTON
                                                                              : MK_LBUTTON;
            Send(msg, buttons, At(x, y));
            EXPECT_EQ(button_->State(), after) << "after message " << std::hex << msg;
        }
        EXPECT_EQ(clicks_, clicks);
        EXPECT_EQ(form_->ModalResult(), clicks > 0 ? button_->ModalResult() : 7)
            << "a click hands the button's ModalResult, 0, to the form";
        EXPECT_NE(GetCapture(), button_->Handle());
    }
}

TEST_F(SpeedButtonTest, ThePressedLookGoesWhenThePointerLeavesAndComesBack) {
    const Rendered idle(button_);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    const Rendered pressed(button_);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(80, 5));
    const Rendered outside(button_);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(5, 5));
    const Rendered back(button_);
    Send(WM_LBUTTONUP, 0, At(80, 5));
    const Rendered released(button_);
    EXPECT_FALSE(SamePixels(idle, pressed)) << "the press shows";
    EXPECT_TRUE(SamePixels(pressed, back)) << "the pressed look returns";
    EXPECT_FALSE(SamePixels(pressed, outside));
    EXPECT_TRUE(SamePixels(idle, released)) << "released outside: drawn up again";
    EXPECT_EQ(clicks_, 0);
}

TEST_F(SpeedButtonTest, ADoubleClickPressesAgainAndAQueuedPressIsDropped) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    Send(WM_LBUTTONUP, 0, At(5, 5));
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 5));
    Send(WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(clicks_, 2);

    // A press that waits in the queue while one is handled is taken away.
    clicks_ = 0;
    PostMessageA(button_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(6, 6));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    MSG msg;
    EXPECT_FALSE(
        PeekMessageA(&msg, button_->Handle(), WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE));
    Send(WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(clicks_, 1);
}

TEST_F(SpeedButtonTest, ADisabledButtonNeitherPressesNorClicks) {
    button_->SetEnabled(false);
    EXPECT_EQ(button_->State(), TButtonState::bsDisabled);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    Send(WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(clicks_, 0);
    button_->SetEnabled(true);
    EXPECT_EQ(button_->State(), TButtonState::bsUp);
}

// The theme's push button, drawn as the button must draw it: over its
// parent's background, here the form's face colour.
void ThemeReference(HWND window, int state, int width, int height, TBitmap& picture) {
    picture.SetSize(width, height);
    RECT all{0, 0, width, height};
    FillRect(picture.Dc(), &all, GetSysColorBrush(COLOR_BTNFACE));
    ThemeData theme(window, L"BUTTON");
    DrawThemeBackground(theme.Get(), picture.Dc(), BP_PUSHBUTTON, state, &all, nullptr);
}

TEST_F(SpeedButtonTest, UnderThemesEachStateShowsItsPushButtonElement) {
    if (!ThemeServicesEnabled()) {
        GTEST_SKIP() << "visual styles are off on this system";
    }
    SetForegroundWindow(form_->Handle());
    const int w = button_->Width();
    const int h = button_->Height();
    // The points where the theme draws the four states differently, outside
    // the picture: there each state must match its element.
    TBitmap normal, hot, pressed, disabled;
    ThemeReference(button_->Handle(), PBS_NORMAL, w, h, normal);
    ThemeReference(button_->Handle(), PBS_HOT, w, h, hot);
    ThemeReference(button_->Handle(), PBS_PRESSED, w, h, pressed);
    ThemeReference(button_->Handle(), PBS_DISABLED, w, h, disabled);
    std::vector<POINT> telling;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool picture = x >= 3 && x < w - 3 && y >= 3 && y < h - 3;
            const COLORREF n = normal.Pixel(x, y);
            if (!picture && n != hot.Pixel(x, y) && n != pressed.Pixel(x, y) &&
                n != disabled.Pixel(x, y)) {
                telling.push_back({x, y});
            }
        }
    }
    if (telling.empty()) {
        GTEST_SKIP() << "this theme draws some of the push button's states alike";
    }
    auto expectLook = [&](const TBitmap& reference, const char* name) {
        SCOPED_TRACE(name);
        const Rendered look(button_);
        for (const POINT& p : telling) {
            EXPECT_EQ(look.Pixel(p.x, p.y), reference.Pixel(p.x, p.y)) << p.x << "," << p.y;
        }
    };
    expectLook(normal, "normal");
    PointAtButton();
    ASSERT_TRUE(button_->MouseOver()) << "the pointer rests on the button of the active window";
    expectLook(hot, "hot");
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    expectLook(pressed, "pressed");
    Send(WM_LBUTTONUP, 0, At(80, 5));
    button_->SetEnabled(false);
    expectLook(disabled, "disabled");
}

TEST_F(SpeedButtonTest, HotOnlyWhileOneOfTheProgramsWindowsIsActive) {
    SetForegroundWindow(form_->Handle());
    PointAtButton();
    EXPECT_TRUE(button_->MouseOver());
    PointAway();
    ASSERT_FALSE(button_->MouseOver());

    // Another program's window in front: the desktop's, which Wine's
    // explorer process owns.
    SetForegroundWindow(GetDesktopWindow());
    DWORD process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &process);
    if (process == GetCurrentProcessId()) {
        GTEST_SKIP() << "no window of another program could be brought to the front";
    }
    PointAtButton();
    EXPECT_FALSE(button_->MouseOver()) << "not hot while another program is active";
}

TEST_F(SpeedButtonTest, WithoutThemesTheFrameIsDrawnInTheFacesLightAndDarkColours) {
    ClassicLook classic;
    ASSERT_FALSE(ThemeServicesEnabled());
    struct Case {
        const char* name;
        TColor color;
        bool flat;
        bool pressed;
        bool hot;
        // left, inner left, right, inner right (middle row); top; bottom
        std::array<COLORREF, 6> expected;
    };
    const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF light = FrameHighlight(face);
    const COLORREF dark = FrameShadow(face);
    const COLORREF grey = RGB(0x80, 0x80, 0x80);
    const COLORREF greyHi = RGB(0xC0, 0xC0, 0xC0);
    const COLORREF greyLo = RGB(0x40, 0x40, 0x40);
    const Case cases[] = {
        {"raised", clBtnFace, false, false, false, {light, face, frame, dark, light, frame}},
        {"pressed", clBtnFace, false, true, false, {frame, dark, light, face, frame, light}},
        {"grey face", grey, false, false, false, {greyHi, grey, frame, greyLo, greyHi, frame}},
        {"flat, hot", clBtnFace, true, false, true, {light, face, dark, face, light, dark}},
        {"flat, pressed", clBtnFace, true, true, true, {dark, face, light, face, dark, light}},
        {"flat, not hot", clBtnFace, true, false, false, {face, face, face, face, face, face}},
    };
    SetForegroundWindow(form_->Handle());
    const int w = button_->Width();
    const int h = button_->Height();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        button_->SetColor(c.color);
        button_->SetFlat(c.flat);
        PointAway();
        if (c.hot) {
            PointAtButton();
        }
        TBitmap look;
        RenderHeld(c.pressed, look);
        EXPECT_EQ(
            (std::array{look.Pixel(0, h / 2), look.Pixel(1, h / 2), look.Pixel(w - 1, h / 2),
                        look.Pixel(w - 2, h / 2), look.Pixel(w / 2, 0), look.Pixel(w / 2, h - 1)}),
            c.expected);
    }
}

TEST_F(SpeedButtonTest, TheEditsPictureIsCentredInThePictureAreaAndMovesWhenPressed) {
    if (!ThemeServicesEnabled()) {
        GTEST_SKIP() << "visual styles are off on this system; the themed cases need them";
    }
    const std::tuple<const char*, bool, bool> cases[] = {
        {"themed", false, false},
        {"themed, pressed", false, true},
        {"classic", true, false},
        {"classic, pressed", true, true},
    };
    for (const auto& [name, classic, pressed] : cases) {
        SCOPED_TRACE(name);
        ClassicLook style(classic);
        const POINT offset = !pressed ? POINT{0, 0} : classic ? POINT{1, 1} : POINT{1, 0};
        const POINT at = glyphs::PicturePlace(button_->Handle(), !classic, 1,
                                              pressed ? PBS_PRESSED : PBS_NORMAL);
        const int x = at.x + offset.x;
        const int y = at.y + offset.y;
        TBitmap look;
        RenderHeld(pressed, look);
        // The picture's red inside starts two pixels into it.
        EXPECT_EQ(BoxOf(look, kRed), (RECT{x + 2, y + 2, x + 12, y + 10}));
    }
}

TEST_F(SpeedButtonTest, DisabledItShowsTheListsDisabledPictureAndInactiveTheGreyCopy) {
    ClassicLook classic;
    const int cx = button_->Width() / 2;
    const int cy = button_->Height() / 2;
    TBitmap look;
    button_->SetEnabled(false);
    Render(button_, look);
    EXPECT_EQ(look.Pixel(cx, cy), DisabledLook(kRed)) << "the image list's disabled rendering";
    EXPECT_EQ(BoxOf(look, kRed).right, 0) << "no red left";

    button_->SetEnabled(true);
    button_->SetFlat(true);  // flat and not hot: inactive
    PointAway();
    Render(button_, look);
    EXPECT_EQ(look.Pixel(cx, cy), GreyOf(kRed));
    button_->SetGrayedInactive(false);
    Render(button_, look);
    EXPECT_EQ(look.Pixel(cx, cy), kRed) << "without GrayedInactive the picture keeps its colours";
}

TEST_F(SpeedButtonTest, TheImageListsChangesRepaintAndItsEndLeavesNoDanglingList) {
    UpdateWindow(button_->Handle());
    RECT dirty{};
    ASSERT_FALSE(GetUpdateRect(button_->Handle(), &dirty, FALSE));
    TBitmap picture;
    MakePicture(picture, 14, 12, {kBlue});
    images_->AddMasked(picture.Handle(), kFuchsia);
    EXPECT_TRUE(GetUpdateRect(button_->Handle(), &dirty, FALSE)) << "the change link repaints";

    images_.reset();
    EXPECT_EQ(button_->Images(), nullptr);
    EXPECT_EQ(button_->ImageIndex(), -1);
    const Rendered look(button_);  // drawn without the list
    EXPECT_EQ(BoxOf(look, kRed).right, 0);
}

// --- the picture object and the shared lists

TEST(ButtonGlyph, PicturesOfOneSizeShareAListWhoseLastPictureFreesIt) {
    TJvGlyphCache& cache = TJvGlyphCache::Instance();
    const int lists = cache.ListCount();
    TBitmap source;
    MakePicture(source, 16, 16, {kRed, kBlue});
    TBitmap other;
    MakePicture(other, 10, 8, {kRed});
    TBitmap target(40, 40);
    TJvxButtonGlyph::DrawParams params;
    params.area = {0, 0, 40, 40};

    auto a = std::make_unique<TJvxButtonGlyph>();
    auto b = std::make_unique<TJvxButtonGlyph>();
    auto c = std::make_unique<TJvxButtonGlyph>();
    for (TJvxButtonGlyph* glyph : {a.get(), b.get()}) {
        glyph->SetGlyph(source.Handle());
        glyph->SetNumGlyphs(2);
        glyph->Draw(target.Dc(), params);
    }
    c->SetGlyph(other.Handle());
    c->Draw(target.Dc(), params);
    ASSERT_NE(a->List(), nullptr);
    EXPECT_EQ(a->List(), b->List()) << "one list per picture size";
    EXPECT_NE(a->List(), c->List());
    EXPECT_EQ(cache.ListCount(), lists + 2);
    EXPECT_EQ(a->PictureIndex(TButtonState::bsUp), 0);
    EXPECT_EQ(b->PictureIndex(TButtonState::bsUp), 1);

    // A dropped picture's place is handed out again.
    TJvGlyphList* shared = a->List();
    a->DropPictures();
    EXPECT_EQ(shared->UsedCount(), 1);
    params.state = TButtonState::bsDisabled;
    b->Draw(target.Dc(), params);
    EXPECT_EQ(b->PictureIndex(TButtonState::bsDisabled), 0);

    b.reset();
    EXPECT_EQ(cache.ListCount(), lists + 1) << "the last picture of a size took its list along";
    c.reset();
    EXPECT_EQ(cache.ListCount(), lists);
}

TEST(ButtonGlyph, EachStateTakesItsOwnPictureOrAMadeOne) {
    using enum TButtonState;
    struct Case {
        const char* name;
        int numGlyphs;
        bool grayNewStyle;
        TButtonState state;
        COLORREF centre;      // the picture's middle
        COLORREF belowRight;  // just beyond the inside, one pixel down and right
    };
    const Case cases[] = {
        {"up", 2, true, bsUp, kRed, kFuchsia},
        {"disabled, own cell", 2, true, bsDisabled, kBlue, kFuchsia},
        {"down shares up below 3 cells", 2, true, bsDown, kRed, kFuchsia},
        {"disabled, new style", 1, true, bsDisabled, DisabledLook(kRed), kFuchsia},
        {"disabled, embossed", 1, false, bsDisabled, GetSysColor(COLOR_BTNSHADOW),
         GetSysColor(COLOR_BTNHIGHLIGHT)},
        {"inactive: grey copy", 1, true, bsInactive, GreyOf(kRed), kFuchsia},
        {"exclusive without a cell: the first", 2, true, bsExclusive, kRed, kFuchsia},
    };
    TBitmap twoCells;
    MakePicture(twoCells, 16, 16, {kRed, kBlue});
    TBitmap oneCell;
    MakePicture(oneCell, 16, 16, {kRed});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TBitmap& source = c.numGlyphs == 2 ? twoCells : oneCell;
        TJvxButtonGlyph glyph;
        glyph.SetGlyph(source.Handle());
        glyph.SetNumGlyphs(c.numGlyphs);
        glyph.SetGrayNewStyle(c.grayNewStyle);
        TBitmap target;
        support::Paint(target, 16, 16, [](int, int) { return kFuchsia; });
        TJvxButtonGlyph::DrawParams params;
        params.area = support::Whole(target);
        params.state = c.state;
        glyph.Draw(target.Dc(), params);
        EXPECT_EQ(target.Pixel(8, 8), c.centre);
        // The embossed copy's see-through colour is the face; beyond its
        // shape only the highlight shows.
        EXPECT_EQ(target.Pixel(14, 14), c.belowRight);
        if (c.state == bsDown && c.numGlyphs < 3) {
            EXPECT_EQ(glyph.PictureIndex(bsDown), glyph.PictureIndex(bsUp));
        }
    }
}

}  // namespace
