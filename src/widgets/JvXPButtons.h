// The push button that draws itself. It clicks on a left-button release
// over it, on Space (at the release) and on Enter while it has the focus.
#pragma once

#include <windows.h>

#include <string>

#include "rtl/Controls.h"

class TJvXPButton : public TCustomControl {
public:
    explicit TJvXPButton(TComponent* owner);
    const char* ClassName() const override { return "TJvXPButton"; }

    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    // Runs OnClick unless the button is disabled.
    void Click() override;
    // Enter while it has the focus.
    bool DialogKey(WORD key, TShiftState shift) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(TCanvas& canvas) override;
    void EnabledChanged() override;
    void FocusChanged(bool gained) override;

private:
    bool PointerInside() const;
    void SetHot(bool hot);
    void Press();
    void Release();

    bool hot_ = false;       // the pointer is over the button
    bool pressed_ = false;   // a mouse press or Space is held on it
    bool tracking_ = false;  // TrackMouseEvent asked for WM_MOUSELEAVE
};
