#include "widgets/JvSpeedButton.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "rtl/Accelerators.h"
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

bool OneOfOurWindowsIsActive() {
    HWND active = GetForegroundWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(active, &process);
    return active != nullptr && process == GetCurrentProcessId();
}

}  // namespace

// --- TJvCustomSpeedButton

TJvCustomSpeedButton::TJvCustomSpeedButton(TComponent* owner) : TCustomControl(owner) {
    SetColor(clBtnFace);
    SetBounds(0, 0, 25, 25);
    // No click events: the button decides itself when a release clicks.
    SetControlStyle(csCaptureMouse | csOpaque | csDoubleClicks | csReplicatable);
    glyph_.SetGrayNewStyle(true);
    SetParentShowHint(false);
    SetShowHint(true);
}

void TJvCustomSpeedButton::SetFlat(bool flat) {
    if (flat_ != flat) {
        flat_ = flat;
        Invalidate();
    }
}

void TJvCustomSpeedButton::SetTransparent(bool transparent) {
    if (transparent_ != transparent) {
        transparent_ = transparent;
        Invalidate();
    }
}

void TJvCustomSpeedButton::SetDown(bool down) {
    if (groupIndex_ == 0) {
        down = false;
    }
    if (down_ == down) {
        return;
    }
    // The last member down of a group that may not be all up stays down.
    if (!down && !allowAllUp_) {
        return;
    }
    down_ = down;
    if (down_) {
        if (state_ == TButtonState::bsUp) {
            state_ = TButtonState::bsExclusive;
        }
        ReleaseGroupPeers();
    } else if (state_ == TButtonState::bsExclusive) {
        state_ = TButtonState::bsUp;
    }
    Invalidate();
}

void TJvCustomSpeedButton::SetGroupIndex(int index) {
    if (groupIndex_ == index) {
        return;
    }
    groupIndex_ = index;
    if (groupIndex_ == 0 && down_) {
        down_ = false;
        state_ = Enabled() ? TButtonState::bsUp : TButtonState::bsDisabled;
        Invalidate();
    }
}

void TJvCustomSpeedButton::ReleaseGroupPeers() {
    if (Parent() == nullptr || groupIndex_ == 0) {
        return;
    }
    for (TWinControl* sibling : Parent()->Controls()) {
        auto* peer = dynamic_cast<TJvCustomSpeedButton*>(sibling);
        if (peer != nullptr && peer != this && peer->groupIndex_ == groupIndex_ && peer->down_) {
            peer->down_ = false;
            if (peer->state_ == TButtonState::bsExclusive) {
                peer->state_ = TButtonState::bsUp;
            }
            peer->Invalidate();
        }
    }
}

void TJvCustomSpeedButton::SetGrayedInactive(bool value) {
    if (grayedInactive_ != value) {
        grayedInactive_ = value;
        Invalidate();
    }
}

void TJvCustomSpeedButton::SetHotTrack(bool value) {
    if (hotTrack_ != value) {
        hotTrack_ = value;
        Invalidate();
    }
}

void TJvCustomSpeedButton::SetSpacing(int spacing) {
    if (spacing_ != spacing) {
        spacing_ = spacing;
        Invalidate();
    }
}

void TJvCustomSpeedButton::SetMargin(int margin) {
    if (margin_ != margin) {
        margin_ = margin;
        Invalidate();
    }
}

void TJvCustomSpeedButton::SetLayout(TButtonLayout layout) {
    if (layout_ != layout) {
        layout_ = layout;
        Invalidate();
    }
}

void TJvCustomSpeedButton::SetStyle(TButtonStyle style) {
    if (style_ != style) {
        style_ = style;
        Invalidate();
    }
}

void TJvCustomSpeedButton::SetGlyph(HBITMAP bitmap) {
    glyph_.SetGlyph(bitmap);
    Invalidate();
}

void TJvCustomSpeedButton::SetNumGlyphs(int count) {
    if (count != glyph_.NumGlyphs()) {
        glyph_.SetNumGlyphs(count);
        Invalidate();
    }
}

void TJvCustomSpeedButton::Repaint() {
    if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
        UpdateWindow(Handle());
    }
}

TButtonState TJvCustomSpeedButton::DrawingState() const {
    if (flat_ && !mouseOver_ && state_ != TButtonState::bsDisabled) {
        return TButtonState::bsInactive;
    }
    return state_;
}

// --- mouse

void TJvCustomSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (pressing_) {
        return;
    }
    TCustomControl::MouseDown(button, shift, x, y);
    if (!mouseOver_ && Enabled()) {
        mouseOver_ = true;
        Repaint();
    }
    if (button == TMouseButton::mbLeft && Enabled()) {
        if (!down_) {
            state_ = TButtonState::bsDown;
            Repaint();
        }
        dragging_ = true;
        pressing_ = true;
        RemoveQueuedPress();
        pressing_ = false;
    }
    if (button == TMouseButton::mbRight) {
        CheckMouseOver();
    }
}

void TJvCustomSpeedButton::RemoveQueuedPress() {
    MSG msg;
    if (Handle() == nullptr ||
        !PeekMessageA(&msg, Handle(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE)) {
        return;
    }
    const POINT point{static_cast<short>(LOWORD(msg.lParam)),
                      static_cast<short>(HIWORD(msg.lParam))};
    const RECT client = ClientRect();
    if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK) &&
        PtInRect(&client, point)) {
        PeekMessageA(&msg, Handle(), msg.message, msg.message, PM_REMOVE);
    }
}

void TJvCustomSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TCustomControl::MouseMove(shift, x, y);
    if (!dragging_) {
        return;
    }
    const RECT client = ClientRect();
    TButtonState state = TButtonState::bsUp;
    if (down_) {
        state = TButtonState::bsExclusive;
    } else if (PtInRect(&client, POINT{x, y})) {
        state = TButtonState::bsDown;
    }
    if (state != state_) {
        state_ = state;
        Repaint();
    }
}

void TJvCustomSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseUp(button, shift, x, y);
    if (button == TMouseButton::mbRight) {
        CheckMouseOver();
        return;
    }
    if (button != TMouseButton::mbLeft || !dragging_) {
        return;
    }
    dragging_ = false;
    // The client area, the bottom row included but not one below it.
    const bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
    if (groupIndex_ == 0) {
        state_ = TButtonState::bsUp;
        ButtonMouseLeave();
        Invalidate();
    } else if (inside) {
        SetDown(!down_);
        if (down_) {
            state_ = TButtonState::bsExclusive;
        } else {
            state_ = TButtonState::bsUp;
        }
        Invalidate();
    } else {
        state_ = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
        Invalidate();
    }
    if (inside && !pressing_) {
        Click();
    }
    CheckMouseOver();
}

void TJvCustomSpeedButton::DblClick() {
    if (!pressing_ && down_) {
        TCustomControl::DblClick();
    }
}

bool TJvCustomSpeedButton::DialogChar(char key, TShiftState shift) {
    if ((shift & ssAlt) != 0 && Enabled() && Visible() && IsAccel(key, Text())) {
        Click();
        return true;
    }
    return TCustomControl::DialogChar(key, shift);
}

// --- hot tracking

void TJvCustomSpeedButton::MouseEnter() {
    // The framework saw the pointer arrive; hot only while we are active.
    if (OneOfOurWindowsIsActive()) {
        ButtonMouseEnter();
    }
}

void TJvCustomSpeedButton::MouseLeave() {
    ButtonMouseLeave();
}

void TJvCustomSpeedButton::ButtonMouseEnter() {
    if (mouseOver_ || !Enabled()) {
        return;
    }
    const bool repaint = ThemeServicesEnabled() || hotTrack_ ||
                         (flat_ && Enabled() && !dragging_ && GetCapture() == nullptr);
    mouseOver_ = true;
    if (OnMouseEnter) {
        OnMouseEnter(this);
    }
    if (repaint) {
        Invalidate();
    }
}

void TJvCustomSpeedButton::ButtonMouseLeave() {
    if (!mouseOver_) {
        return;
    }
    const bool repaint =
        Enabled() && (ThemeServicesEnabled() || hotTrack_ || (flat_ && !dragging_));
    mouseOver_ = false;
    if (OnMouseLeave) {
        OnMouseLeave(this);
    }
    if (repaint) {
        Invalidate();
    }
}

void TJvCustomSpeedButton::CheckMouseOver() {
    POINT cursor{};
    const bool over = Enabled() && Handle() != nullptr && GetCursorPos(&cursor) &&
                      ControlAtPos(cursor, true) == this && OneOfOurWindowsIsActive();
    if (over == mouseOver_) {
        return;
    }
    if (over) {
        ButtonMouseEnter();
    } else {
        ButtonMouseLeave();
    }
}

void TJvCustomSpeedButton::EnabledChanged() {
    TCustomControl::EnabledChanged();
    FollowEnabled();
    CheckMouseOver();
    // The picture for the new state is made by this paint.
    Repaint();
}

void TJvCustomSpeedButton::FollowEnabled() {
    if (!Enabled()) {
        state_ = TButtonState::bsDisabled;
        dragging_ = false;
    } else if (state_ == TButtonState::bsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? TButtonState::bsExclusive : TButtonState::bsUp;
    }
}

void TJvCustomSpeedButton::VisibleChanged() {
    TCustomControl::VisibleChanged();
    if (Visible()) {
        CheckMouseOver();
    }
}

void TJvCustomSpeedButton::SysColorChanged() {
    TCustomControl::SysColorChanged();
    glyph_.DropPictures();
    Invalidate();
}

// --- painting

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
    const COLORREF highlight = FrameHighlight(face);
    const COLORREF shadow = FrameShadow(face);
    const COLORREF windowFrame = ColorToRGB(clWindowFrame);
    if (!newLook && !flat_ && pressed) {
        // A dark frame all round, a shadow line along the top and left
        // edges inside it, the picture inside that.
        FrameStep(canvas, rect, windowFrame, windowFrame);
        canvas.SetPen(clBtnShadow);
        canvas.MoveTo(rect.left, rect.bottom - 1);
        canvas.LineTo(rect.left, rect.top);
        canvas.LineTo(rect.right, rect.top);
        InflateRect(&rect, -1, -1);
        return rect;
    }
    struct Step {
        COLORREF topLeft;
        COLORREF bottomRight;
    };
    Step steps[2] = {};
    int count = 1;
    if (!pressed) {
        if (newLook && !flat_) {
            steps[0] = {highlight, windowFrame};
            steps[1] = {face, shadow};
            count = 2;
        } else if (newLook) {
            steps[0] = {highlight, shadow};
        } else if (!flat_) {
            steps[0] = {windowFrame, windowFrame};
            steps[1] = {highlight, shadow};
            count = 2;
        } else {
            steps[0] = {highlight, windowFrame};
        }
    } else if (newLook && !flat_) {
        steps[0] = {windowFrame, highlight};
        steps[1] = {shadow, face};
        count = 2;
    } else if (newLook) {
        steps[0] = {shadow, highlight};
    } else {
        steps[0] = {windowFrame, highlight};
    }
    for (int i = 0; i < count; ++i) {
        FrameStep(canvas, rect, steps[i].topLeft, steps[i].bottomRight);
    }
    InflateRect(&rect, -1, -1);
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
    glyph_.Draw(canvas.Dc(), params);
}

// --- TJvImageSpeedButton

TJvImageSpeedButton::TJvImageSpeedButton(TComponent* owner) : TJvCustomSpeedButton(owner) {
    imageChanges_.OnChange = [this](TObject*) { Invalidate(); };
}

void TJvImageSpeedButton::SetImages(TCustomImageList* images) {
    if (images_ == images) {
        return;
    }
    if (images_ != nullptr) {
        images_->UnRegisterChanges(&imageChanges_);
        RemoveFreeNotification(images_);
    }
    images_ = images;
    if (images_ != nullptr) {
        images_->RegisterChanges(&imageChanges_);
        FreeNotification(images_);
    } else {
        imageIndex_ = -1;
    }
    Invalidate();
}

void TJvImageSpeedButton::SetImageIndex(int index) {
    if (imageIndex_ == index) {
        return;
    }
    imageIndex_ = index;
    // While the hot-track picture shows, the new index is not seen yet.
    if (!(HotTracking() && hotTrackImageIndex_ != -1)) {
        Invalidate();
    }
}

void TJvImageSpeedButton::SetHotTrackImageIndex(int index) {
    if (hotTrackImageIndex_ != index) {
        hotTrackImageIndex_ = index;
        Invalidate();
    }
}

int TJvImageSpeedButton::ShownImageIndex() const {
    return HotTracking() && hotTrackImageIndex_ != -1 ? hotTrackImageIndex_ : imageIndex_;
}

void TJvImageSpeedButton::PaintImage(TCanvas& canvas, const RECT& area, bool /*dropDownMark*/,
                                     TButtonState state, POINT offset) {
    // Without a valid picture of the list, the bitmap's picture shows.
    DrawGlyph(canvas, area, state, offset, images_, ShownImageIndex());
}

void TJvImageSpeedButton::Notification(TComponent* component, TOperation operation) {
    TJvCustomSpeedButton::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        // The list is going: forget it without touching it again.
        images_ = nullptr;
        imageIndex_ = -1;
        Invalidate();
    }
}
