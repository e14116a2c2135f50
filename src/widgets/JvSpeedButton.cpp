// The speed button's state: properties, groups, the mouse press and
// release, hot tracking; and the button that draws from an image list.
#include "widgets/JvSpeedButton.h"

#include "rtl/Accelerators.h"
#include "rtl/Themes.h"

namespace {

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

void TJvCustomSpeedButton::Click() {
    if (TForm* form = ParentForm(); form != nullptr) {
        form->SetModalResult(modalResult_);
    }
    TCustomControl::Click();
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
    CallEvent(OnMouseEnter, this);
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
    CallEvent(OnMouseLeave, this);
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
