// The speed button's painting: the theme's push-button or toolbar-button
// element, or without themes a face and the frame steps of its look; then
// the picture.
#include "widgets/JvSpeedButton.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "rtl/Themes.h"
#include "widgets/JvButtonColors.h"

namespace {

// One frame step: a one-pixel frame, top and left edges in one colour,
// right and bottom edges in the other. The top-right corner belongs to the
// right edge, the bottom-left one to the left edge.
void FrameStep(TCanvas& canvas, RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
    const int right = rect.right - 1;
    const int bottom = rect.bottom - 1;
    canvas.SetPen(topLeft);
    canvas.MoveTo(rect.left, bottom);
    canvas.LineTo(rect.left, rect.top);
    canvas.LineTo(right, rect.top);
    canvas.SetPen(bottomRight);
    canvas.MoveTo(right, rect.top);
    canvas.LineTo(right, bottom);
    canvas.LineTo(rect.left, bottom);
    // LineTo leaves out the end point: close the last corner.
    canvas.SetPixel(rect.left, bottom, topLeft);
    InflateRect(&rect, -1, -1);
}

// A line along the left and top edges, the top one to the right end; it
// lies inside the frame drawn so far and takes no room of its own.
void TopLeftLine(TCanvas& canvas, const RECT& rect, COLORREF colour) {
    canvas.SetPen(colour);
    canvas.MoveTo(rect.left, rect.bottom - 1);
    canvas.LineTo(rect.left, rect.top);
    canvas.LineTo(rect.right, rect.top);
}

// The frame's colours by role: places in the palette DrawFrame makes.
enum FrameColor : unsigned char {
    kNoColor,
    kFace,          // Color
    kLight,         // Color plus 64 per channel
    kDark,          // Color minus 64 per channel
    kWindowFrame,   // clWindowFrame
    kButtonShadow,  // clBtnShadow
    kFrameColorCount,
};

// A frame step draws a one-pixel frame of its top-left and bottom-right
// colours and shrinks the rectangle by 1; a step without a bottom-right
// colour is a TopLeftLine.
struct FrameStepColors {
    FrameColor topLeft = kNoColor;
    FrameColor bottomRight = kNoColor;
};
struct FrameLook {
    bool pressed;
    bool newLook;
    bool flat;
    FrameStepColors steps[2];
};

// clang-format off
constexpr FrameLook kFrameLooks[] = {
//   pressed newLook flat    first step                   second step
    {false,  true,   false, {{kLight,       kWindowFrame}, {kFace,         kDark}}},
    {false,  true,   true,  {{kLight,       kDark}}},
    {false,  false,  false, {{kWindowFrame, kWindowFrame}, {kLight,        kDark}}},
    {false,  false,  true,  {{kLight,       kWindowFrame}}},
    {true,   true,   false, {{kWindowFrame, kLight},       {kDark,         kFace}}},
    {true,   true,   true,  {{kDark,        kLight}}},
    {true,   false,  false, {{kWindowFrame, kWindowFrame}, {kButtonShadow, kNoColor}}},
    {true,   false,  true,  {{kWindowFrame, kLight}}},
};
// clang-format on

const FrameLook& FrameLookOf(bool pressed, bool newLook, bool flat) {
    for (const FrameLook& look : kFrameLooks) {
        if (look.pressed == pressed && look.newLook == newLook && look.flat == flat) {
            return look;
        }
    }
    return kFrameLooks[0];  // not reached: every combination is listed
}

// An 8 x 8 checkered brush of two colours.
GdiObject<HBRUSH> CheckeredBrush(HDC dc, COLORREF a, COLORREF b) {
    const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    GdiObject<HBITMAP> pattern(CreateBitmap(8, 8, 1, 1, rows));
    // A monochrome pattern takes the text colour for clear bits and the
    // background colour for set ones, as the DC has them when it paints.
    SetTextColor(dc, a);
    SetBkColor(dc, b);
    return GdiObject<HBRUSH>(CreatePatternBrush(pattern.Get()));
}

// The theme states of the push button and of the flat toolbar button.
struct ThemeStates {
    int normal;
    int hot;
    int pressed;
    int disabled;
};
constexpr ThemeStates kPushStates{PBS_NORMAL, PBS_HOT, PBS_PRESSED, PBS_DISABLED};
constexpr ThemeStates kToolbarStates{TS_NORMAL, TS_HOT, TS_PRESSED, TS_DISABLED};

}  // namespace

LRESULT TJvCustomSpeedButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT && !doubleBuffered_) {
        PaintGuard paint(Handle());
        TCanvas canvas(paint.Dc());
        Paint(canvas);
        return 0;
    }
    return TCustomControl::WindowProc(msg, wParam, lParam);
}

void TJvCustomSpeedButton::Paint(TCanvas& canvas) {
    FollowEnabled();
    bool painted = false;
    if (ThemeServicesEnabled()) {
        PaintThemed(canvas, painted);
    }
    if (!painted) {
        PaintClassic(canvas);
    }
}

void TJvCustomSpeedButton::PaintThemed(TCanvas& canvas, bool& painted) {
    ThemeData theme(Handle(), flat_ ? L"TOOLBAR" : L"BUTTON");
    if (!theme) {
        return;
    }
    RECT client = ClientRect();
    DrawThemeParentBackground(Handle(), canvas.Dc(), &client);
    const bool pressed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
    const int part = flat_ ? static_cast<int>(TP_BUTTON) : static_cast<int>(BP_PUSHBUTTON);
    const ThemeStates& states = flat_ ? kToolbarStates : kPushStates;
    int themeState = states.normal;
    if (!Enabled()) {
        themeState = states.disabled;
    } else if (pressed) {
        themeState = states.pressed;
    } else if (mouseOver_ || dragging_) {
        themeState = states.hot;
    }
    DrawThemeBackground(theme.Get(), canvas.Dc(), part, themeState, &client, nullptr);
    RECT content = client;
    GetThemeBackgroundContentRect(theme.Get(), canvas.Dc(), part, themeState, &client, &content);
    // Pressed, the picture moves one pixel to the right only.
    PaintPicture(canvas, content, POINT{pressed ? 1 : 0, 0});
    painted = true;
}

void TJvCustomSpeedButton::PaintClassic(TCanvas& canvas) {
    const RECT client = ClientRect();
    if (transparent_) {
        RECT area = client;
        DrawThemeParentBackground(Handle(), canvas.Dc(), &area);
    } else {
        canvas.FillRect(client, Color());
    }
    const TButtonState drawing = DrawingState();
    const bool pressed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
    RECT area = client;
    if (drawing != TButtonState::bsInactive || state_ == TButtonState::bsExclusive) {
        area = DrawFrame(canvas, client, pressed);
    } else if (flat_) {
        InflateRect(&area, -2, -2);
    }
    if (state_ == TButtonState::bsExclusive && !transparent_ &&
        (!flat_ || drawing == TButtonState::bsInactive)) {
        RECT checkered = area;
        InflateRect(&checkered, 1, 1);
        GdiObject<HBRUSH> brush =
            CheckeredBrush(canvas.Dc(), ColorToRGB(clBtnFace), ColorToRGB(clBtnHighlight));
        FillRect(canvas.Dc(), &checkered, brush.Get());
    }
    PaintPicture(canvas, area, pressed ? POINT{1, 1} : POINT{0, 0});
}

RECT TJvCustomSpeedButton::DrawFrame(TCanvas& canvas, RECT rect, bool pressed) const {
    const bool newLook =
        style_ == TButtonStyle::bsNew || (style_ == TButtonStyle::bsAutoDetect && kNewStyleSystem);
    const COLORREF face = ColorToRGB(Color());
    COLORREF palette[kFrameColorCount] = {};
    palette[kFace] = face;
    palette[kLight] = FrameHighlight(face);
    palette[kDark] = FrameShadow(face);
    palette[kWindowFrame] = ColorToRGB(clWindowFrame);
    palette[kButtonShadow] = ColorToRGB(clBtnShadow);
    for (const FrameStepColors& step : FrameLookOf(pressed, newLook, flat_).steps) {
        if (step.topLeft == kNoColor) {
            break;
        }
        if (step.bottomRight == kNoColor) {
            TopLeftLine(canvas, rect, palette[step.topLeft]);
        } else {
            FrameStep(canvas, rect, palette[step.topLeft], palette[step.bottomRight]);
        }
    }
    InflateRect(&rect, -1, -1);  // the picture area lies one pixel inside the frame
    return rect;
}

void TJvCustomSpeedButton::PaintPicture(TCanvas& canvas, const RECT& area, POINT offset) {
    // Grey while inactive, but a disabled button shows its disabled picture.
    const TButtonState state =
        grayedInactive_ && state_ != TButtonState::bsDisabled ? DrawingState() : state_;
    PaintImage(canvas, area, false, state, offset);
}

void TJvCustomSpeedButton::PaintImage(TCanvas& canvas, const RECT& area, bool /*dropDownMark*/,
                                      TButtonState state, POINT offset) {
    DrawGlyph(canvas, area, state, offset, nullptr, -1);
}

void TJvCustomSpeedButton::DrawGlyph(TCanvas& canvas, const RECT& area, TButtonState state,
                                     POINT offset, const TCustomImageList* images, int index) {
    TJvxButtonGlyph::DrawParams params;
    params.area = area;
    params.offset = offset;
    params.state = state;
    params.images = images;
    params.imageIndex = index;
    params.layout = layout_;
    params.margin = margin_;
    params.spacing = spacing_;
    params.scale = PictureScale(CurrentPPI());
    glyph_.Draw(canvas.Dc(), params);
}
