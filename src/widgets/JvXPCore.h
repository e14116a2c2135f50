// The base of the self-drawn XP controls: the visual state (hot, pressed,
// focused) kept from the framework's notifications through a fixed set of
// overridable hooks, repaints chosen by redraw triggers, a redraw lock, the
// modal result handed to the form on a click and the accelerator click;
// and the style objects with their shared manager.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rtl/Classes.h"
#include "rtl/Controls.h"
#include "rtl/Forms.h"

enum TJvXPVisualStateFlag : unsigned {
    vsNormal = 1,   // set at construction, never tested
    vsHot = 2,      // the pointer is over the control
    vsPressed = 4,  // the left button (or Space, for a button) is held on it
    vsFocused = 8,  // it has the input focus
};
using TJvXPVisualState = unsigned;

// Bit numbers of the state changes that may repaint a control.
enum TJvXPRedrawTrigger : int {
    rtCaptionChanged = 0,
    rtBorderChanged = 1,
    rtEnabledChanged = 2,
    rtFocusChanged = 3,
    rtMouseDown = 4,
    rtMouseEnter = 5,
    rtMouseLeave = 6,
    rtMouseMove = 7,
    rtMouseUp = 8,
    rtParentColorChanged = 9,
    rtParentFontChanged = 10,
    rtMoved = 11,
    rtResized = 12,
};
using TJvXPRedrawTriggers = std::uint16_t;

constexpr TJvXPRedrawTriggers RedrawTrigger(TJvXPRedrawTrigger trigger) {
    return static_cast<TJvXPRedrawTriggers>(1u << trigger);
}

// Caption, enabled, focus, press, enter, leave, release and parent colour:
// 0x037D.
constexpr TJvXPRedrawTriggers kDefaultRedrawTriggers =
    RedrawTrigger(rtCaptionChanged) | RedrawTrigger(rtEnabledChanged) |
    RedrawTrigger(rtFocusChanged) | RedrawTrigger(rtMouseDown) | RedrawTrigger(rtMouseEnter) |
    RedrawTrigger(rtMouseLeave) | RedrawTrigger(rtMouseUp) | RedrawTrigger(rtParentColorChanged);

enum TJvXPTheme : int { WindowsXP = 0, OfficeXP = 1 };

// Hands the framework's notifications on unchanged.
class TJvExCustomControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    const char* ClassName() const override { return "TJvExCustomControl"; }
};

class TJvCustomControl : public TJvExCustomControl {
public:
    using TJvExCustomControl::TJvExCustomControl;
    const char* ClassName() const override { return "TJvCustomControl"; }
};

class TJvXPCustomControl : public TJvCustomControl {
public:
    explicit TJvXPCustomControl(TComponent* owner);
    const char* ClassName() const override { return "TJvXPCustomControl"; }

    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    TJvXPVisualState VisualState() const { return visualState_; }
    bool LeftButtonHeld() const { return leftButtonHeld_; }
    bool RedrawLocked() const { return redrawLocked_; }
    // Whether the form's active control was an XP control at the last
    // focus change (this one included).
    bool FocusOnXPControl() const { return focusOnXPControl_; }

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }

    TJvXPRedrawTriggers RedrawTriggers() const { return redrawTriggers_; }
    void SetRedrawTriggers(TJvXPRedrawTriggers triggers) { redrawTriggers_ = triggers; }

    // Repaints the whole control unless the redraw lock is set. Every state
    // hook and property setter of the family repaints only through here.
    virtual void RequestRedraw();
    // The lock is a flag: one unlock ends any number of locks, and repaints.
    virtual void LockRedraw();
    virtual void UnlockRedraw();

    // The form's ModalResult becomes this control's (0 too, and also while
    // disabled), then OnClick, which a disabled control does not fire.
    void Click() override;
    // The caption's accelerator clicks the control when it is focused or
    // Alt is held; otherwise the character goes on.
    bool DialogChar(char key, TShiftState shift) override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    // The state hooks, each run after the framework's own handling.
    virtual void DoBorderChanged();
    virtual void DoEnabledChanged();
    virtual void DoFocusChanged();
    virtual void DoMouseDown();
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual void DoMouseMove(int x, int y);
    virtual void DoMouseUp();
    virtual void DoParentColorChanged();
    virtual void DoParentFontChanged();
    virtual void DoMoved();
    virtual void DoResized();
    virtual void DoCaptionChanged();

    void AddVisualState(TJvXPVisualState state) { visualState_ |= state; }
    void RemoveVisualState(TJvXPVisualState state) { visualState_ &= ~state; }
    bool HasVisualState(TJvXPVisualState state) const { return (visualState_ & state) != 0; }
    // RequestRedraw when `trigger` is among the redraw triggers.
    void RedrawOn(TJvXPRedrawTrigger trigger);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void TextChanged() override;
    void EnabledChanged() override;
    // Enabled and the caption repaint through their hooks, as the redraw
    // triggers and the lock allow, not on their own.
    void RepaintAfterChange() override {}
    void ParentColorChanged() override;
    void ParentFontChanged() override;
    void FocusedControlChanged(TWinControl* focused) override;

private:
    bool leftButtonHeld_ = false;
    TJvXPVisualState visualState_ = vsNormal;
    bool redrawLocked_ = false;
    bool focusOnXPControl_ = false;
    TModalResult modalResult_ = 0;
    TJvXPRedrawTriggers redrawTriggers_ = kDefaultRedrawTriggers;
};

class TJvXPCustomStyleControl;

// Theme and manager use of one control. The tool's painting does not depend
// on them: a change only repaints.
class TJvXPStyle : public TObject {
public:
    explicit TJvXPStyle(TJvXPCustomStyleControl* parent) : parent_(parent) {}
    const char* ClassName() const override { return "TJvXPStyle"; }

    TJvXPCustomStyleControl* Parent() const { return parent_; }
    TJvXPTheme Theme() const { return theme_; }
    virtual void SetTheme(TJvXPTheme theme);
    bool UseStyleManager() const { return useStyleManager_; }
    virtual void SetUseStyleManager(bool use);

private:
    TJvXPCustomStyleControl* parent_;  // the owner, fixed at creation
    TJvXPTheme theme_ = WindowsXP;
    bool useStyleManager_ = true;
};

// A plain component base of the family.
class TJvXPCustomComponent : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TJvXPCustomComponent"; }
};

// A theme shared by the controls registered with it.
class TJvXPStyleManager : public TJvXPCustomComponent {
public:
    explicit TJvXPStyleManager(TComponent* owner) : TJvXPCustomComponent(owner) {}
    ~TJvXPStyleManager() override;
    const char* ClassName() const override { return "TJvXPStyleManager"; }

    TJvXPTheme Theme() const { return theme_; }
    // A new theme fires OnThemeChanged, then repaints every registered control.
    void SetTheme(TJvXPTheme theme);

    // Appends the controls not yet listed; removes the listed ones. Others
    // are ignored.
    void RegisterControls(const std::vector<TJvXPCustomStyleControl*>& controls);
    void UnregisterControls(const std::vector<TJvXPCustomStyleControl*>& controls);
    // RequestRedraw of every registered control, in registration order.
    void RedrawControls();
    const std::vector<TJvXPCustomStyleControl*>& Controls() const { return controls_; }

    TNotifyEvent OnThemeChanged;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::vector<TJvXPCustomStyleControl*> controls_;  // not owned
    TJvXPTheme theme_ = WindowsXP;
};

class TJvXPCustomStyleControl : public TJvXPCustomControl {
public:
    explicit TJvXPCustomStyleControl(TComponent* owner);
    ~TJvXPCustomStyleControl() override;
    const char* ClassName() const override { return "TJvXPCustomStyleControl"; }

    TJvXPStyle& Style() { return *style_; }
    TJvXPStyleManager* StyleManager() const { return styleManager_; }
    virtual void SetStyleManager(TJvXPStyleManager* manager);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::unique_ptr<TJvXPStyle> style_;
    TJvXPStyleManager* styleManager_ = nullptr;  // not owned
};
