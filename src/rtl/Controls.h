// Windowed controls: one window per object, parent and children, bounds with
// anchors, enabled and visible state, colour, borrowed font, tab order,
// focus and hints. Our own window classes and subclassed stock controls share
// one dispatch path: the object's WindowProc.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "rtl/Classes.h"
#include "rtl/Graphics.h"

class TForm;

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

// Sent to the top-level window of a key's target before the key is
// dispatched: wParam the virtual key, lParam the key's lParam; nonzero when
// the form used the key (Tab navigation).
constexpr UINT CM_DIALOGKEY = WM_APP + 0x3F00;

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

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    RECT ClientRect() const;
    int ClientWidth() const;
    int ClientHeight() const;

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
    void SetHint(const std::string& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool parent);
    // Whether a tooltip shows over this control, and its text: the own
    // hint, else the nearest parent's that has one.
    bool HintShown() const;
    std::string EffectiveHint() const;

    // The font of the form; borrowed, the form owns it.
    HFONT Font();

    bool Focused() const;
    // Visible, enabled and so are all its parents.
    bool CanFocus() const;
    void SetFocus();

    void Invalidate();

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

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);

    // Messages that a parent hands back to the child that sent them.
    virtual void OnCommand(WORD /*code*/) {}
    virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
    // WM_CTLCOLOR*: the background brush, or null for the default.
    virtual HBRUSH OnCtlColor(HDC dc);

    // The enabled state reached the window (on the window's thread).
    virtual void EnabledChanged();
    virtual void FocusChanged(bool /*gained*/) {}

    // A brush of Color(), made when first needed and after colour changes.
    HBRUSH ColorBrush();

private:
    friend class TForm;
    static LRESULT CALLBACK WndProcTrampoline(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StockTrampoline(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT Dispatch(TWinControl* control, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Reflect(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    void DetachWindow();
    void RemoveHintTools();
    void ReadBoundsFromWindow();
    void UpdateAnchorRules();
    void AlignControls();

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
