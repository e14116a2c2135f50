// The speed button: a child window that never takes the focus, draws itself
// (theme elements, or a drawn three-dimensional frame), tracks the mouse
// while the left button is held on it, shows a pressed look and clicks when
// the mouse is released over it. Hot while the pointer rests on it and one
// of the program's windows is active.
#pragma once

#include <windows.h>

#include "rtl/Controls.h"
#include "rtl/Forms.h"
#include "rtl/ImgList.h"
#include "widgets/JvButtonGlyph.h"
#include "widgets/JvGlyphLayout.h"

// The frame's look: automatic is the new look on new-style systems.
enum class TButtonStyle { bsAutoDetect, bsWin31, bsNew };
// This framework runs only where the new-style common controls exist.
constexpr bool kNewStyleSystem = true;

class TJvCustomSpeedButton : public TCustomControl {
public:
    explicit TJvCustomSpeedButton(TComponent* owner);
    const char* ClassName() const override { return "TJvCustomSpeedButton"; }

    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    // Shows the parent's background instead of filling with Color.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    // Held down; only a member of a group (GroupIndex not 0) can be. Going
    // down releases the other members of the group in the same parent.
    bool Down() const { return down_; }
    void SetDown(bool down);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    // Whether every member of the group may be up at once.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }

    // An inactive (flat, not hot) button shows its grey picture.
    bool GrayedInactive() const { return grayedInactive_; }
    void SetGrayedInactive(bool value);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);

    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle style);
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }

    // The picture drawn from the bitmap, and the object that draws it.
    void SetGlyph(HBITMAP bitmap);
    const TBitmap& Glyph() const { return glyph_.Glyph(); }
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int count);
    TJvxButtonGlyph& ButtonGlyph() { return glyph_; }

    // Up, disabled, down or exclusive (held down in a group).
    TButtonState State() const { return state_; }
    // The mouse-over flag: set while the pointer is over the button.
    bool MouseOver() const { return mouseOver_; }

    // Alt and the caption's accelerator click an enabled button.
    bool DialogChar(char key, TShiftState shift) override;

    // Handed to the parent form at every click, 0 too.
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // The form's ModalResult becomes the button's, then OnClick.
    void Click() override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(TCanvas& canvas) override;
    // Draws the picture in `area`, moved by `offset`, in `state`.
    virtual void PaintImage(TCanvas& canvas, const RECT& area, bool dropDownMark,
                            TButtonState state, POINT offset);
    // The picture object's drawing with the button's layout; from `images`
    // when `index` is valid there, else from the bitmap.
    void DrawGlyph(TCanvas& canvas, const RECT& area, TButtonState state, POINT offset,
                   const TCustomImageList* images, int index);

    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DblClick() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void SysColorChanged() override;

    // The pointer came onto or left the button: the flag, the events, and a
    // repaint where the look depends on it.
    virtual void ButtonMouseEnter();
    virtual void ButtonMouseLeave();
    // Whether the pointer is over the button now (enabled, the control
    // under the cursor, one of our windows active); tells the button when
    // that differs from the flag.
    void CheckMouseOver();

    // The left button went down here and has not been released.
    bool Dragging() const { return dragging_; }
    // The state painted: inactive for a flat button that is not hot.
    TButtonState DrawingState() const;
    // Whether hot tracking shows the button hot now.
    bool HotTracking() const { return hotTrack_ && mouseOver_ && Enabled(); }
    // Invalidates and paints at once.
    void Repaint();

private:
    // The state as Enabled has it: disabled ends a drag; enabled again, the
    // button is up, or exclusive when it is down in a group.
    void FollowEnabled();
    void PaintThemed(TCanvas& canvas, bool& painted);
    void PaintClassic(TCanvas& canvas);
    // The frame steps; returns the picture area inside them.
    RECT DrawFrame(TCanvas& canvas, RECT rect, bool pressed) const;
    void PaintPicture(TCanvas& canvas, const RECT& area, POINT offset);
    void ReleaseGroupPeers();
    // Drops a further left press already waiting for us, inside the button.
    void RemoveQueuedPress();

    TJvxButtonGlyph glyph_;
    TButtonState state_ = TButtonState::bsUp;
    bool mouseOver_ = false;
    bool dragging_ = false;
    bool pressing_ = false;  // a press is being handled; another one is ignored
    bool flat_ = false;
    bool transparent_ = false;
    bool down_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool grayedInactive_ = true;
    bool hotTrack_ = false;
    int spacing_ = 1;
    int margin_ = -1;
    TButtonLayout layout_ = TButtonLayout::blGlyphTop;
    TButtonStyle style_ = TButtonStyle::bsAutoDetect;
    bool doubleBuffered_ = true;
    TModalResult modalResult_ = 0;
};

// A speed button whose picture comes from an image list.
class TJvImageSpeedButton : public TJvCustomSpeedButton {
public:
    explicit TJvImageSpeedButton(TComponent* owner);
    const char* ClassName() const override { return "TJvImageSpeedButton"; }

    // Watched: a change repaints, and when the list goes Images becomes none.
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* images);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    // Shown instead while hot tracking shows the button hot, unless -1.
    int HotTrackImageIndex() const { return hotTrackImageIndex_; }
    void SetHotTrackImageIndex(int index);

protected:
    void PaintImage(TCanvas& canvas, const RECT& area, bool dropDownMark, TButtonState state,
                    POINT offset) override;
    void Notification(TComponent* component, TOperation operation) override;
    // The index the picture comes from now.
    int ShownImageIndex() const;

private:
    TCustomImageList* images_ = nullptr;  // borrowed, watched
    int imageIndex_ = -1;
    int hotTrackImageIndex_ = 0;
    TChangeLink imageChanges_;
};
