// The XP push button: a rounded dark-blue border around a white-to-grey
// face, an orange ring while the pointer is over it, a blue ring while it
// is focused or the default button, a darker face while pressed, a grey
// border and embossed caption while disabled. It clicks on the mouse,
// Space (at the release), Enter (focused or default), Escape (cancel) and
// its accelerator.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "rtl/Bitmap.h"
#include "widgets/JvGlyphLayout.h"
#include "widgets/JvXPCore.h"

class TJvXPCustomButton : public TJvXPCustomStyleControl {
public:
    explicit TJvXPCustomButton(TComponent* owner);
    const char* ClassName() const override { return "TJvXPCustomButton"; }

    bool AutoGray() const { return autoGray_; }
    virtual void SetAutoGray(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    bool Default() const { return default_; }
    // The form tells every control again which one is focused, so that the
    // rings follow the new default.
    virtual void SetDefault(bool value);
    const TBitmap& Glyph() const { return glyph_; }
    // Copies the picture.
    virtual void SetGlyph(const TBitmap& glyph);
    TJvXPLayout Layout() const { return layout_; }
    virtual void SetLayout(TJvXPLayout value);
    bool ShowAccelChar() const { return showAccelChar_; }
    virtual void SetShowAccelChar(bool value);
    bool ShowFocusRect() const { return showFocusRect_; }
    virtual void SetShowFocusRect(bool value);
    bool SmoothEdges() const { return smoothEdges_; }
    virtual void SetSmoothEdges(bool value);
    std::uint8_t Spacing() const { return spacing_; }
    virtual void SetSpacing(std::uint8_t value);
    bool WordWrap() const { return wordWrap_; }
    virtual void SetWordWrap(bool value);

    // Whether the ring is drawn: pressed, it shows when the pointer is off
    // the button; otherwise when hot or focused; and, unless ignoreDefault,
    // for a default button while no XP control has the focus.
    bool IsEmphasised(bool ignoreDefault) const;

    // The gradients, built at every resize.
    const TBitmap& BackgroundGradient() const { return backgroundGradient_; }
    const TBitmap& PressedGradient() const { return pressedGradient_; }
    const TBitmap& FocusGradient() const { return focusGradient_; }
    const TBitmap& HotGradient() const { return hotGradient_; }

    // Enter (focused, or default while no XP control is focused) and
    // Escape (cancel, no modifier) click the button.
    bool DialogKey(WORD key, TShiftState shift) override;
    // Space presses the button; the release of any key completes a press.
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;

protected:
    void DoResized() override;
    // Builds the four gradients for the current size; the background one is
    // inset by the ring when the button is emphasised at this moment.
    virtual void RebuildGradients();
    void Paint(TCanvas& canvas) override;

private:
    void PaintPictureAndCaption(TCanvas& canvas, int width, int height, int pressedShift);

    bool autoGray_ = true;
    TBitmap backgroundGradient_;
    bool cancel_ = false;
    TBitmap pressedGradient_;
    bool default_ = false;
    TBitmap focusGradient_;
    TBitmap glyph_;
    TBitmap hotGradient_;
    TJvXPLayout layout_ = blGlyphLeft;
    bool showAccelChar_ = true;
    bool showFocusRect_ = false;
    bool smoothEdges_ = true;
    std::uint8_t spacing_ = 3;
    bool wordWrap_ = true;
};

// The button as the forms use it; all behaviour is in its base.
class TJvXPButton : public TJvXPCustomButton {
public:
    using TJvXPCustomButton::TJvXPCustomButton;
    const char* ClassName() const override { return "TJvXPButton"; }
};
