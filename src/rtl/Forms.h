// The form: a top-level window that holds controls, owns the font they
// borrow and the tooltip that shows their hints, keeps track of the focused
// control and moves the focus with Tab.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "rtl/Controls.h"
#include "rtl/Graphics.h"

enum class TPosition { poDesigned, poDesktopCenter };

// The answer a form gives when it closes as a dialog; 0 is none.
using TModalResult = int;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    const char* ClassName() const override { return "TForm"; }
    TForm* AsForm() override { return this; }

    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    // Sets the outer size that gives this client size.
    void SetClientSize(int width, int height);

    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }

    // The form's font; every control on the form borrows it. The height is
    // in pixels at the form's resolution, negative for the character height.
    void SetFont(const std::string& name, int height);
    HFONT FontHandle() const { return font_.Get(); }

    TNotifyEvent OnCreate;

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);

    // The focusable controls in tab order: children depth first, each
    // parent's children in their tab order.
    std::vector<TWinControl*> TabList();
    // Focuses the next (or previous) control after `current` in tab order.
    void SelectNext(TWinControl* current, bool forward);

    // Every control of the form, children depth first in tab order.
    std::vector<TWinControl*> AllControls() const;
    // Tells every control of the form which control has the focus now; the
    // form does so whenever it changes.
    void BroadcastFocusChanged();

    // Tab and Shift+Tab move the focus; other keys go to the controls.
    bool DialogKey(WORD key, TShiftState shift) override;

    void Show();
    void Close();

    // Buttons set it when clicked; nothing reads it while the form is not
    // shown modally.
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Derived forms call this at the end of their constructor, when every
    // control exists and carries its layout, given at 96 dpi: the form
    // scales to its monitor's resolution, then runs OnCreate.
    void DoCreate();
    // The font scales with the rest, in the order that never makes a field
    // grow to fit it: a larger font after the larger bounds, a smaller one
    // before the smaller bounds.
    void ChangeScale(int newPPI, int oldPPI) override;
    // The client area scales; on a change of monitor the form takes the
    // rectangle the system proposes instead.
    void ScaleOwnBounds(int newPPI, int oldPPI) override;

    // The controls on the form borrow its font and show their hints through
    // its tooltip; it remembers the focused one.
    void ControlCreated(TWinControl* control) override;
    // No more hints or focus memory for it.
    void ControlGone(TWinControl* control) override;
    void ControlFocused(TWinControl* control) override;
    // A tip that shows is asked for its text again.
    void ControlHintChanged(TWinControl* control) override;
    void ControlDisabled(TWinControl* control) override;
    HFONT FontForControls() override { return font_.Get(); }

private:
    // WindowProc's handlers.
    LRESULT OnEraseBackground(HDC dc);
    void OnShowWindow(bool shown);
    // WM_ACTIVATE; true when it focused a control.
    bool OnActivation(WPARAM wParam);
    bool OnDialogChar(char key, LPARAM lParam);
    void OnSysColorChange();
    // WM_SYSCOMMAND; true when the form did the command itself.
    bool OnSysCommand(WPARAM command);
    void OnCloseRequest();
    // WM_DPICHANGED: moved to a monitor of another resolution.
    void OnDpiChanged(int ppi, const RECT& suggested);

    void AddHintTool(TWinControl* control);
    // The tooltip asks for a control's text.
    bool IsHintRequest(const NMHDR* header) const;
    LRESULT HintText(NMHDR* header);
    void CenterOnDesktop();
    void FocusActiveControl();

    GdiObject<HFONT> font_;
    std::string fontName_;
    int fontHeight_ = 0;
    // The rectangle the system proposes, while the form scales for it.
    std::optional<RECT> dpiChangeBounds_;
    HWND tooltip_ = nullptr;  // owned
    std::string hintText_;    // the tooltip reads it after we return
    std::wstring hintTextWide_;
    TWinControl* activeControl_ = nullptr;
    TPosition position_ = TPosition::poDesigned;
    bool shownOnce_ = false;
    TModalResult modalResult_ = 0;
    COLORREF tooltipColor_ = CLR_INVALID;  // the colour last given to the tooltip
};
