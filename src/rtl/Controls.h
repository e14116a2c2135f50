// Windowed controls: one window per object, parent and children, bounds with
// anchors, enabled and visible state, colour, borrowed font, tab order,
// focus and hints. Our own window classes and subclassed stock controls share
// one dispatch path: the object's WindowProc.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "rtl/Classes.h"
#include "rtl/Graphics.h"
#include "rtl/Scaling.h"

class TForm;

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

// Sent to the top-level window of a key's target before the key is
// dispatched, when the target does not want the key itself (Tab, Enter,
// Escape): wParam the virtual key, lParam the key's lParam; nonzero when the
// form or one of its controls used the key.
constexpr UINT CM_DIALOGKEY = WM_APP + 0x3F00;
// The same for a character that may be an accelerator: every WM_SYSCHAR, and
// a WM_CHAR whose target does not want characters. wParam the character.
constexpr UINT CM_DIALOGCHAR = WM_APP + 0x3F01;

enum TShiftStateFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = unsigned;

// Shift, Ctrl and Alt as the keyboard state of the calling thread has them.
TShiftState KeyboardShiftState();
// The same for a key message: a system key message says itself whether Alt
// was down (its context bit), also when it was posted rather than typed.
TShiftState KeyMessageShiftState(UINT msg, LPARAM lParam);

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// What the framework does for a control on its own.
enum TControlStyleFlag : unsigned {
    csCaptureMouse = 1,      // holds the mouse capture while the left button is down on it
    csClickEvents = 2,       // a left press and release inside it is a click
    csDoubleClicks = 4,      // a fast second press is a double-click, else a second press
    csOpaque = 8,            // paints every pixel of its client area
    csReplicatable = 16,     // may be drawn into another device context
    csAcceptsControls = 32,  // holds child controls
};
using TControlStyle = unsigned;

// Reading order and alignment of a control's text.
enum class TBiDiMode {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// Setting Key to 0 consumes the key.
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

class TWinControl : public TComponent {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    const char* ClassName() const override { return "TWinControl"; }

    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    // The object behind one of our windows of this process; null otherwise.
    static TWinControl* FromHandle(HWND window);

    // Children get their window as soon as the parent has one.
    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);
    const std::vector<TWinControl*>& Controls() const { return controls_; }
    // The form this control sits on (itself for a form); null when none.
    TForm* ParentForm();
    // This control as a form; null for every other control. Lets code that
    // does not know the form (the application's key routing) tell it apart.
    virtual TForm* AsForm() { return nullptr; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    RECT ClientRect() const;
    int ClientWidth() const;
    int ClientHeight() const;

    // The resolution the control's lengths are at: the design's 96 until it
    // is scaled. A control given a parent at another resolution takes that.
    int CurrentPPI() const { return currentPPI_; }
    // Scales the control and everything inside it to `ppi`.
    void ScaleForPPI(int ppi);

    // Which parent edges the control keeps its distance to when the parent's
    // client area changes; left and right together stretch it.
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);

    // Safe from any thread: the window work is EnableWindow, which the
    // system hands to the window's own thread, and a repaint request.
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    TColor Color() const { return color_; }
    void SetColor(TColor color);

    // The window text: a caption, or an edit's contents.
    virtual std::string Text() const;
    virtual void SetText(const std::string& text);

    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);

    const std::string& Hint() const { return hint_; }
    // A tooltip that shows this control's hint takes the new one at once.
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool parent);
    // Whether a tooltip shows over this control, and its text: the own
    // hint, else the nearest parent's that has one.
    bool HintShown() const;
    std::string EffectiveHint() const;

    // The font of the form; borrowed, the form owns it. Without a form, the
    // system's GUI font.
    HFONT Font();

    bool Focused() const;
    // Visible, enabled and so are all its parents.
    bool CanFocus() const;
    void SetFocus();

    void Invalidate();

    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle style) { controlStyle_ = style; }

    // Whether the pointer is over this control (not over one of its
    // children), as the framework tracks it: MouseEnter and MouseLeave run
    // when it changes. A disabled or hidden control counts as left.
    bool MouseInControl() const { return mouseInControl_; }
    // The pointer is over this enabled control now, though it got no move
    // (another control held the mouse): it enters unless it counts as in.
    void PointerEntered();

    // The control of this process under a screen point: the innermost
    // visible one, disabled ones only when `allowDisabled`; null when the
    // point is over no control of ours.
    static TWinControl* ControlAtPos(POINT screen, bool allowDisabled);

    // Fires OnClick. The framework calls it for a left press and release
    // inside a control with csClickEvents.
    virtual void Click();

    // Offered a key that the focused control did not take (Enter, Escape);
    // true when used. The base offers it to the children in turn.
    virtual bool DialogKey(WORD key, TShiftState shift);
    // Offered a character that may be an accelerator; true when used. The
    // base offers it to the children in turn.
    virtual bool DialogChar(char key, TShiftState shift);

    // The key events of the control; the form's are public so that a
    // control can hand it a key (Ctrl+Tab in an edit).
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);

    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode mode);
    // Right-to-left alignment (text at the right) and reading order.
    bool UseRightToLeftAlignment() const { return biDiMode_ == TBiDiMode::bdRightToLeft; }
    bool UseRightToLeftReading() const { return biDiMode_ != TBiDiMode::bdLeftToRight; }
    // DrawText flags for this control's reading order: left and right
    // alignment swapped with right-to-left alignment, DT_RTLREADING added
    // with right-to-left reading.
    UINT DrawTextBiDiModeFlags(UINT flags) const;

    // The background colour of the tooltip shown for this control: what the
    // parent answers; a control without a parent answers the application's
    // hint colour (clInfoBk).
    virtual TColor HintColor();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    // Destroys the window and makes it anew with the same settings and
    // text, children included; the focus stays when it was here. Nothing
    // when there is no window.
    void RecreateWnd();

    // Notices that the form hands to every control on it; a control reacts
    // in its override.
    virtual void ParentFontChanged() {}
    // The system colours or the visual theme changed.
    virtual void SysColorChanged() {}
    // The form's focused control changed; `focused` may be null.
    virtual void FocusedControlChanged(TWinControl* /*focused*/) {}

    // What the window procedures do with an exception that a handler let
    // out, since none may unwind through the system's frames: the
    // application hands in its report, which runs inside the catch block.
    // Without one the exception is dropped.
    static void SetExceptionHandler(std::function<void()> handler);

protected:
    struct TCreateParams {
        std::string className;  // our own class or a stock one
        bool stockClass = false;
        UINT classStyle = 0;  // our own classes only
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
    };
    virtual void CreateParams(TCreateParams& params);
    // Creates the window, then the windows of the children.
    void CreateHandle();
    // After the own window exists, before the children are made.
    virtual void CreateWnd() {}
    // Before RecreateWnd destroys the window.
    virtual void DestroyWnd() {}

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);

    // Messages that a parent hands back to the child that sent them.
    virtual void OnCommand(WORD /*code*/) {}
    virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
    // WM_CTLCOLOR*: the background brush, or null for the default.
    virtual HBRUSH OnCtlColor(HDC dc);

    // The enabled state reached the window (on the window's thread).
    virtual void EnabledChanged();
    // The repaint that a change of Enabled or of the text asks for; a
    // control that chooses its repaints itself overrides it.
    virtual void RepaintAfterChange() { Invalidate(); }
    virtual void FocusChanged(bool /*gained*/) {}

    // Notifications, each after the framework's own handling. X and Y are
    // client coordinates.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void DblClick();
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void TextChanged() {}
    virtual void VisibleChanged() {}
    virtual void ParentColorChanged() {}

    // How the outermost control (the form) keeps track of the controls
    // inside it: each control calls these on its outermost parent, a form
    // overrides them, and any other control ignores them.
    // The control's window now exists (for the form: its own window).
    virtual void ControlCreated(TWinControl* /*control*/) {}
    // The control's window goes, or the control itself.
    virtual void ControlGone(TWinControl* /*control*/) {}
    // The control got the focus.
    virtual void ControlFocused(TWinControl* /*control*/) {}
    // The control's hint changed.
    virtual void ControlHintChanged(TWinControl* /*control*/) {}
    // The control was disabled: a form moves the focus on from it if it
    // had it.
    virtual void ControlDisabled(TWinControl* /*control*/) {}
    // The font that the controls inside borrow.
    virtual HFONT FontForControls();

    // Scales from `oldPPI` to `newPPI`: the own bounds, then the children.
    // A control with lengths of its own scales them in its override, after
    // the base. No anchor rule moves a child meanwhile: each takes its own
    // scaled place.
    virtual void ChangeScale(int newPPI, int oldPPI);
    // The own bounds' part of it; a form scales its client size instead.
    virtual void ScaleOwnBounds(int newPPI, int oldPPI);

    // Records a visibility that the window already has (the system showed or
    // hid it), without showing or hiding it again.
    void RecordVisible(bool visible) { visible_ = visible; }

    // A brush of Color(), made when first needed and after colour changes.
    HBRUSH ColorBrush();

    // The framework's handling of the pointer (buttons and moves over the
    // client area, WM_MOUSELEAVE, WM_CAPTURECHANGED) without the default
    // one, for a stock control that must not see some of them.
    void OnMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    // The window: created with the control's state, linked to the object,
    // its messages dispatched to WindowProc.
    static LRESULT CALLBACK WndProcTrampoline(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StockTrampoline(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT Dispatch(TWinControl* control, UINT msg, WPARAM wParam, LPARAM lParam);
    // `style` with the bits of the control's own state: child, visible,
    // disabled, tab stop.
    DWORD StateStyle(DWORD style) const;
    bool CreateStockWindow(const TCreateParams& params, HWND parentWindow);
    bool CreateOwnWindow(const TCreateParams& params, HWND parentWindow);
    void DetachWindow();
    // The outermost parent; the control itself when it has none.
    TWinControl* Outermost();
    // Tells the outermost parent that this window and those inside it go.
    void ReportWindowsGone();

    // WindowProc's handlers, one per message or group of messages.
    // WM_COMMAND, WM_NOTIFY and WM_CTLCOLOR*: handed back to the child of
    // ours that sent them; the rest get the default handling.
    LRESULT OnChildMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnCharMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    void OnSize(WPARAM kind);
    void OnEnable(bool enabled);
    void OnFocusMessage(bool gained);
    void OnButtonDown(TMouseButton button, bool doubleClick, TShiftState shift, POINT point);
    void OnButtonUp(TMouseButton button, TShiftState shift, POINT point);
    void OnPointerLeft();
    void OnCaptureChanged(HWND capture);

    void ReadBoundsFromWindow();
    void UpdateAnchorRules();
    void AlignControls();
    // Offers something to the children in order until one takes it.
    bool AnyChild(const std::function<bool(TWinControl*)>& takes) const;
    void PointerMoved(POINT client);
    void SetMouseInControl(bool over);
    void ArmLeaveTracking();
    bool PointerOverOwnWindow() const;

    HWND handle_ = nullptr;        // owned: destroyed with the object
    WNDPROC stockProc_ = nullptr;  // the stock class's procedure we subclassed
    TWinControl* parent_ = nullptr;
    std::vector<TWinControl*> controls_;  // children, in tab order
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    TAnchors anchors_ = akLeft | akTop;
    int rightGap_ = 0;  // distance to the parent's right client edge
    int bottomGap_ = 0;
    int currentPPI_ = kDesignPPI;
    bool scaling_ = false;  // inside ChangeScale: no anchor moves
    std::atomic<bool> enabled_{true};
    bool visible_ = true;
    TColor color_ = clBtnFace;
    std::string text_;
    bool tabStop_ = false;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    GdiObject<HBRUSH> brush_;
    COLORREF brushColor_ = CLR_INVALID;
    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csDoubleClicks;
    bool clicking_ = false;        // the left button went down here and may still click
    bool mouseInControl_ = false;  // see MouseInControl
    bool trackingLeave_ = false;   // TrackMouseEvent will post WM_MOUSELEAVE
    TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
};

// A control of our own window class that paints itself, double-buffered.
class TCustomControl : public TWinControl {
public:
    using TWinControl::TWinControl;
    const char* ClassName() const override { return "TCustomControl"; }

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Draws the whole client area; the canvas is over an off-screen bitmap.
    virtual void Paint(TCanvas& canvas) = 0;

private:
    void PaintBuffered(HDC target);
};
