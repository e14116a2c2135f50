// The combo edit's button and the child window that hosts it.
#include "widgets/JvToolEdit.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "rtl/Themes.h"

// --- TJvEditButton

TJvEditButton::TJvEditButton(TJvCustomComboEdit* edit) : TJvImageSpeedButton(edit), edit_(edit) {
    SetBounds(0, 0, 21, 17);
    // Hints exactly when the edit shows them.
    SetParentShowHint(true);
    SetControlStyle(ControlStyle() | csReplicatable);
}

void TJvEditButton::SetDrawThemedDropDown(bool value) {
    if (drawThemedDropDown_ != value) {
        drawThemedDropDown_ = value;
        Invalidate();
    }
}

LRESULT TJvEditButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CONTEXTMENU) {
        return 1;  // no menu for the button
    }
    return TJvImageSpeedButton::WindowProc(msg, wParam, lParam);
}

void TJvEditButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TJvImageSpeedButton::MouseDown(button, shift, x, y);
    // Without a popup there is nothing to close: the press focuses the edit.
    if (button == TMouseButton::mbLeft && edit_ != nullptr && edit_->TabStop() &&
        edit_->CanFocus() && !edit_->Focused()) {
        edit_->SetFocus();
    }
}

void TJvEditButton::Paint(TCanvas& canvas) {
    const bool themed = ThemeServicesEnabled();
    if (themed && drawThemedDropDown_) {
        ThemeData theme(Handle(), L"COMBOBOX");
        if (theme) {
            int state = CBXS_NORMAL;
            if (!Enabled()) {
                state = CBXS_DISABLED;
            } else if (State() == TButtonState::bsDown || State() == TButtonState::bsExclusive) {
                state = CBXS_PRESSED;
            } else if (MouseOver() || Dragging()) {
                state = CBXS_HOT;
            }
            RECT client = ClientRect();
            DrawThemeParentBackground(Handle(), canvas.Dc(), &client);
            DrawThemeBackground(theme.Get(), canvas.Dc(), CP_DROPDOWNBUTTON, state, &client,
                                nullptr);
            return;
        }
    }
    TJvImageSpeedButton::Paint(canvas);
    const bool pressed = State() == TButtonState::bsDown || State() == TButtonState::bsExclusive;
    if (themed || pressed) {
        return;
    }
    // The left edge blends into the edit: a face line, then a light one.
    const int height = ClientHeight();
    canvas.SetPen(kNewStyleSystem ? clBtnFace : clBtnShadow);
    canvas.Line(0, 0, 0, height - 1);
    canvas.SetPen(clBtnHighlight);
    canvas.Line(1, 1, 1, height - 2);
}

// --- TJvButtonHolder

void TJvButtonHolder::Paint(TCanvas& canvas) {
    canvas.FillRect(ClientRect(), Parent() != nullptr ? Parent()->Color() : clWindow);
}
