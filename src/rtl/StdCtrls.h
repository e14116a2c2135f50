// The framework's single-line edit and group box, over the stock EDIT and
// BUTTON classes.
#pragma once

#include <windows.h>

#include <string>

#include "rtl/Controls.h"

// A single-line edit. Every change of its text, by the program or by the
// user, ends in Change(), which fires OnChange; setting the text it already
// has changes and fires nothing.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    const char* ClassName() const override { return "TCustomEdit"; }

    void SetText(const std::string& text) override;
    void Clear() { SetText(""); }

    // The edit window's own read-only state.
    bool WindowReadOnly() const { return windowReadOnly_; }
    void SetWindowReadOnly(bool readOnly);

    void SelectAll();
    // Selection as byte offsets, start and end.
    std::pair<int, int> Selection() const;

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(WORD code) override;
    HBRUSH OnCtlColor(HDC dc) override;
    // The end of every text change; fires OnChange. Runs synchronously
    // inside the change that caused it, so a handler that changes the text
    // again runs once more, nested.
    virtual void Change();

private:
    bool windowReadOnly_ = false;
    bool settingText_ = false;  // EN_CHANGE of our own WM_SETTEXT is not a second change
};

// A captioned frame over the stock group box; its children sit inside its
// window. It takes no focus.
class TCustomGroupBox : public TWinControl {
public:
    explicit TCustomGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TCustomGroupBox"; }

    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    // The frame's look when the box draws it itself: sunken (shadow and
    // highlight lines) or flat.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool ctl3D);

    // The caption's accelerator moves the focus to the first control inside.
    bool DialogChar(char key, TShiftState shift) override;
    // Focuses the first focusable control inside, in tab order.
    void SelectFirst();

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnCtlColor(HDC dc) override;

private:
    bool ctl3D_ = true;
};
