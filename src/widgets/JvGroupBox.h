// The captioned frame around a group of controls. With visual styles the
// platform draws it; without them it draws its own frame and caption. It
// can pass its Enabled state on to the controls inside it, has a hint
// colour of its own and events for the pointer, the parent's colour and its
// accelerator.
#pragma once

#include <windows.h>

#include "rtl/StdCtrls.h"

// Turns the framework's notifications into overridable operations and
// carries the hint colour, the pointer-over flag and three events.
class TJvExGroupBox : public TCustomGroupBox {
public:
    explicit TJvExGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TJvExGroupBox"; }

    // clDefault: the parent's hint colour; clNone: the application's.
    TColor GetHintColorSetting() const { return hintColor_; }
    void SetHintColor(TColor color) { hintColor_ = color; }
    TColor HintColor() override;

    bool MouseOver() const { return mouseOver_; }

    // Fires OnHotKey when the framework's accelerator rule used the key.
    bool DialogChar(char key, TShiftState shift) override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnParentColorChange;
    TNotifyEvent OnHotKey;

protected:
    void MouseEnter() override;
    void MouseLeave() override;
    void ParentColorChanged() override;
    virtual void DoHotKey();

private:
    TColor hintColor_ = clDefault;
    bool mouseOver_ = false;
};

class TJvGroupBox : public TJvExGroupBox {
public:
    using TJvExGroupBox::TJvExGroupBox;
    const char* ClassName() const override { return "TJvGroupBox"; }

    bool PropagateEnable() const { return propagateEnable_; }
    // Stores the value and gives every direct child the box's Enabled.
    void SetPropagateEnable(bool propagate);

protected:
    void EnabledChanged() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The classic look: a 3D (or plain) frame below the middle of the text
    // line and the caption over a patch of the box's colour.
    virtual void Paint(HDC dc);

private:
    void PropagateEnabled();
    // Visual styles draw this box: on for the application and for its window.
    bool Themed();
    // The classic frame for text `textHeight` high; returns its rectangle.
    RECT PaintFrame(TCanvas& canvas, int textHeight);
    // The caption over the frame's top line, embossed while disabled.
    void PaintCaption(HDC dc, const RECT& frame, int textHeight);

    bool propagateEnable_ = false;
};
