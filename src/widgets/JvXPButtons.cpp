#include "widgets/JvXPButtons.h"

#include <algorithm>
#include <cstring>

#include "widgets/JvXPCoreUtils.h"

namespace {

// Colours as 0x00BBGGRR.
constexpr TColor kBorder = 0x733800;            // #003873
constexpr TColor kDisabledBorder = 0xBDC7CE;    // #CEC7BD
constexpr TColor kCornerLine = 0xAD9E7B;        // #7B9EAD
constexpr TColor kBackgroundTop = 0xFFFFFF;     // #FFFFFF
constexpr TColor kBackgroundBottom = 0xE7EBEF;  // #EFEBE7
constexpr TColor kPressedTop = 0xC6CFD6;        // #D6CFC6
constexpr TColor kPressedBottom = 0xEBF3F7;     // #F7F3EB
constexpr TColor kFocusTop = 0xFFE7CE;          // #CEE7FF
constexpr TColor kFocusBottom = 0xEF846D;       // #6D84EF
constexpr TColor kHotTop = 0xCEF3FF;            // #FFF3CE
constexpr TColor kHotBottom = 0x0096E7;         // #E79600
constexpr std::uint8_t kGradientColors = 64;
constexpr int kCornerSize = 5;
// The button's font is its form's, whose colour is clWindowText.
constexpr TColor kFontColor = clWindowText;

void CopyPicture(const TBitmap& from, TBitmap& to) {
    to.SetSize(from.Width(), from.Height());
    if (to.Empty()) {
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(from.Width()) * 3;
    for (int y = 0; y < from.Height(); ++y) {
        std::memcpy(to.ScanLine(y), from.ScanLine(y), bytes);
    }
}

void CopyBitmap(TCanvas& canvas, TBitmap& bitmap, int left, int top, int width, int height) {
    width = std::min(width, bitmap.Width());
    height = std::min(height, bitmap.Height());
    if (width <= 0 || height <= 0) {
        return;
    }
    canvas.CopyFrom({left, top, left + width, top + height}, bitmap.Dc(), 0, 0);
}

}  // namespace

TJvXPCustomButton::TJvXPCustomButton(TComponent* owner) : TJvXPCustomStyleControl(owner) {
    // A fast second click is a second click, not a double-click.
    SetControlStyle(ControlStyle() & ~csDoubleClicks);
    SetBounds(Left(), Top(), 73, 21);
    SetTabStop(true);
}

// --- properties

void TJvXPCustomButton::SetAutoGray(bool value) {
    if (autoGray_ != value) {
        autoGray_ = value;
        RequestRedraw();
    }
}

void TJvXPCustomButton::SetDefault(bool value) {
    if (default_ == value) {
        return;
    }
    default_ = value;
    if (TForm* form = ParentForm(); form != nullptr && form != static_cast<TWinControl*>(this)) {
        form->BroadcastFocusChanged();
    }
}

void TJvXPCustomButton::SetGlyph(const TBitmap& glyph) {
    if (&glyph != &glyph_) {
        CopyPicture(glyph, glyph_);
    }
    RequestRedraw();
}

void TJvXPCustomButton::SetLayout(TJvXPLayout value) {
    if (layout_ != value) {
        layout_ = value;
        RequestRedraw();
    }
}

void TJvXPCustomButton::SetShowAccelChar(bool value) {
    if (showAccelChar_ != value) {
        showAccelChar_ = value;
        RequestRedraw();
    }
}

void TJvXPCustomButton::SetShowFocusRect(bool value) {
    if (showFocusRect_ != value) {
        showFocusRect_ = value;
        RequestRedraw();
    }
}

void TJvXPCustomButton::SetSmoothEdges(bool value) {
    if (smoothEdges_ != value) {
        smoothEdges_ = value;
        RequestRedraw();
    }
}

void TJvXPCustomButton::SetSpacing(std::uint8_t value) {
    if (spacing_ != value) {
        spacing_ = value;
        RequestRedraw();
    }
}

void TJvXPCustomButton::SetWordWrap(bool value) {
    if (wordWrap_ != value) {
        wordWrap_ = value;
        RequestRedraw();
    }
}

bool TJvXPCustomButton::IsEmphasised(bool ignoreDefault) const {
    bool emphasised =
        HasVisualState(vsPressed) ? !HasVisualState(vsHot) : HasVisualState(vsHot | vsFocused);
    if (!ignoreDefault) {
        emphasised = emphasised || (default_ && CanFocus() && !FocusOnXPControl());
    }
    return emphasised;
}

// --- keyboard

bool TJvXPCustomButton::DialogKey(WORD key, TShiftState shift) {
    if (CanFocus()) {
        const bool enter = key == VK_RETURN && (Focused() || (default_ && !FocusOnXPControl()));
        const bool escape =
            key == VK_ESCAPE && cancel_ && (shift & (ssShift | ssCtrl | ssAlt)) == 0;
        if (enter || escape) {
            Click();
            return true;
        }
    }
    return TJvXPCustomStyleControl::DialogKey(key, shift);
}

void TJvXPCustomButton::KeyDown(WORD& key, TShiftState shift) {
    if (key == VK_SPACE && (shift & (ssShift | ssCtrl | ssAlt)) == 0) {
        AddVisualState(vsHot);
        DoMouseDown();
    }
    TJvXPCustomStyleControl::KeyDown(key, shift);
}

void TJvXPCustomButton::KeyUp(WORD& key, TShiftState shift) {
    // Whatever key goes up completes a press, by Space or by the mouse.
    if (HasVisualState(vsPressed)) {
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(Handle(), &cursor);
        const RECT bounds{0, 0, Width(), Height()};
        if (!PtInRect(&bounds, cursor)) {
            RemoveVisualState(vsHot);
        }
        RemoveVisualState(vsPressed);
        RequestRedraw();
        Click();
    }
    TJvXPCustomStyleControl::KeyUp(key, shift);
}

// --- gradients and paint

void TJvXPCustomButton::DoResized() {
    TJvXPCustomStyleControl::DoResized();
    RebuildGradients();
}

void TJvXPCustomButton::RebuildGradients() {
    const int width = Width();
    const int height = Height();
    const int inset = IsEmphasised(true) ? 1 : 0;
    FillGradientBitmap(width - 2 - 4 * inset, height - 2 - 4 * inset, kBackgroundTop,
                       kBackgroundBottom, kGradientColors, gdTopToBottom, true,
                       backgroundGradient_);
    FillGradientBitmap(width - 2, height - 2, kPressedTop, kPressedBottom, kGradientColors,
                       gdTopToBottom, true, pressedGradient_);
    FillGradientBitmap(width - 2, height - 2, kFocusTop, kFocusBottom, kGradientColors,
                       gdTopToBottom, true, focusGradient_);
    FillGradientBitmap(width - 2, height - 2, kHotTop, kHotBottom, kGradientColors, gdTopToBottom,
                       true, hotGradient_);
    RequestRedraw();
}

void TJvXPCustomButton::Paint(TCanvas& canvas) {
    const int width = Width();
    const int height = Height();
    const int ring = IsEmphasised(false) ? 1 : 0;
    const int pressed = HasVisualState(vsHot) && HasVisualState(vsPressed) ? 1 : 0;

    // Behind the rounded corners: the parent's colour.
    TWinControl* parent = Parent();
    canvas.FillRect({0, 0, width, height}, parent != nullptr ? parent->Color() : Color());
    if (ring == 1) {
        TBitmap& gradient = HasVisualState(vsHot) ? hotGradient_ : focusGradient_;
        CopyBitmap(canvas, gradient, 1, 1, gradient.Width(), gradient.Height());
    }
    if (pressed == 1) {
        CopyBitmap(canvas, pressedGradient_, 1, 1, pressedGradient_.Width(),
                   pressedGradient_.Height());
    } else {
        // With the ring, a two-pixel band of it stays visible around the face.
        CopyBitmap(canvas, backgroundGradient_, 1 + 2 * ring, 1 + 2 * ring, width - 6 * ring,
                   height - 6 * ring);
    }

    const bool enabled = Enabled();
    canvas.SetClearBrush();
    canvas.SetPen(enabled ? kBorder : kDisabledBorder);
    canvas.RoundRect({0, 0, width, height}, kCornerSize, kCornerSize);
    if (smoothEdges_) {
        canvas.SetPen(enabled ? kCornerLine : kDisabledBorder);
        DrawLineSegment(canvas, 0, 1, 2, 0);
        DrawLineSegment(canvas, width - 2, 0, width, 2);
        DrawLineSegment(canvas, 0, height - 2, 2, height);
        DrawLineSegment(canvas, width - 3, height, width, height - 3);
    }
    PaintPictureAndCaption(canvas, width, height, pressed);
}

void TJvXPCustomButton::PaintPictureAndCaption(TCanvas& canvas, int width, int height,
                                               int pressedShift) {
    // The framework has no actions, so the picture is always the glyph.
    TBitmap picture;
    CopyPicture(glyph_, picture);
    if (autoGray_ && !Enabled()) {
        ConvertToGray(picture);
    }
    HFONT font = Font();
    canvas.SetFont(font, kFontColor);

    const XPCaptionLayoutInput layout{width,    height,  picture.Width(), picture.Height(),
                                      spacing_, layout_, pressedShift};
    const XPCaptionBox box = XPCaptionMeasureBox(layout);
    const UINT flags =
        DT_END_ELLIPSIS | (wordWrap_ ? DT_WORDBREAK : 0u) | (box.rightAligned ? DT_RIGHT : 0u);
    RECT rect{box.rect.left, box.rect.top, box.rect.right, box.rect.bottom};
    const std::string caption = Caption();
    RenderCaption(this, canvas, caption, font, kFontColor, Enabled(), showAccelChar_, rect,
                  flags | DT_CALCRECT);
    const XPCaptionPlacement place =
        PlaceXPCaption(layout, {rect.left, rect.top, rect.right, rect.bottom});
    if (!picture.Empty()) {
        // The lower-left pixel names the colour left out.
        GdiTransparentBlt(canvas.Dc(), place.glyphX, place.glyphY, picture.Width(),
                          picture.Height(), picture.Dc(), 0, 0, picture.Width(), picture.Height(),
                          picture.Pixel(0, picture.Height() - 1));
    }
    if (HasVisualState(vsFocused) && showFocusRect_) {
        canvas.DrawFocusRect({3, 3, width - 3, height - 3});
    }
    SetBkMode(canvas.Dc(), TRANSPARENT);
    rect = {place.caption.left, place.caption.top, place.caption.right, place.caption.bottom};
    RenderCaption(this, canvas, caption, font, kFontColor, Enabled(), showAccelChar_, rect, flags);
}
