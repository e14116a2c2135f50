#include "rtl/StdCtrls.h"

#include "rtl/Accelerators.h"
#include "rtl/Forms.h"

// --- TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    // The stock edit captures the mouse itself while it selects.
    SetControlStyle(ControlStyle() & ~csCaptureMouse);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = "EDIT";
    params.stockClass = true;
    params.style |= ES_AUTOHSCROLL;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
    if (windowReadOnly_) {
        CallDefault(EM_SETREADONLY, TRUE, 0);
    }
}

void TCustomEdit::SetText(const std::string& text) {
    if (text == Text()) {
        return;
    }
    if (Handle() == nullptr) {
        TWinControl::SetText(text);
    } else {
        // Straight to the stock procedure: our WM_SETTEXT handler would
        // come back here, and an error of OnChange must reach our caller,
        // not a window procedure.
        settingText_ = true;
        CallDefault(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        settingText_ = false;
    }
    Change();
}

void TCustomEdit::SetWindowReadOnly(bool readOnly) {
    windowReadOnly_ = readOnly;
    if (Handle() != nullptr) {
        CallDefault(EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
    }
}

void TCustomEdit::SelectAll() {
    if (Handle() != nullptr) {
        CallDefault(EM_SETSEL, 0, -1);
    }
}

std::pair<int, int> TCustomEdit::Selection() const {
    DWORD start = 0;
    DWORD end = 0;
    if (Handle() != nullptr) {
        SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
    }
    return {static_cast<int>(start), static_cast<int>(end)};
}

void TCustomEdit::Change() {
    CallEvent(OnChange, this);
}

LRESULT TCustomEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETTEXT) {
        SetText(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
        return TRUE;
    }
    return TWinControl::WindowProc(msg, wParam, lParam);
}

void TCustomEdit::OnCommand(WORD code) {
    if (code == EN_CHANGE && !settingText_) {
        Change();
    }
}

HBRUSH TCustomEdit::OnCtlColor(HDC dc) {
    // Read-only edits would ask for the static colours; ours keep the
    // edit's own look.
    SetTextColor(dc, ColorToRGB(Enabled() ? clWindowText : clGrayText));
    SetBkColor(dc, ColorToRGB(Color()));
    return ColorBrush();
}

// --- TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = "BUTTON";
    params.stockClass = true;
    params.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
    params.exStyle |= WS_EX_CONTROLPARENT;
}

LRESULT TCustomGroupBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCHITTEST:
            // The stock group box is transparent to the mouse; ours is a
            // parent whose area belongs to it (hints, the pointer's events).
            return HTCLIENT;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
            // The stock button would take the focus and the mouse at a
            // press and click at the release: a frame takes no focus.
            OnMouseMessage(msg, wParam, lParam);
            return 0;
    }
    if (msg == WM_ERASEBKGND) {
        // The stock box paints only frame and caption; the form clips its
        // children out, so the inside is ours to fill.
        RECT client = ClientRect();
        FillRect(reinterpret_cast<HDC>(wParam), &client, ColorBrush());
        return 1;
    }
    return TWinControl::WindowProc(msg, wParam, lParam);
}

HBRUSH TCustomGroupBox::OnCtlColor(HDC dc) {
    SetBkColor(dc, ColorToRGB(Color()));
    SetTextColor(dc, ColorToRGB(clWindowText));
    return ColorBrush();
}

void TCustomGroupBox::SetCtl3D(bool ctl3D) {
    if (ctl3D_ != ctl3D) {
        ctl3D_ = ctl3D;
        Invalidate();
    }
}

bool TCustomGroupBox::DialogChar(char key, TShiftState shift) {
    if (IsAccel(key, Caption()) && CanFocus()) {
        SelectFirst();
        return true;
    }
    return TWinControl::DialogChar(key, shift);
}

void TCustomGroupBox::SelectFirst() {
    TForm* form = ParentForm();
    if (form == nullptr) {
        return;
    }
    for (TWinControl* control : form->TabList()) {
        TWinControl* ancestor = control->Parent();
        while (ancestor != nullptr && ancestor != this) {
            ancestor = ancestor->Parent();
        }
        if (ancestor == this && control->CanFocus()) {
            control->SetFocus();
            return;
        }
    }
}
