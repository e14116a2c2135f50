// What a control shows: enabled and visible state, colour, text, tab stop,
// hints, font and reading order.
#include "rtl/Controls.h"

#include <algorithm>

HBRUSH TWinControl::OnCtlColor(HDC dc) {
    SetBkColor(dc, ColorToRGB(color_));
    SetTextColor(dc, ColorToRGB(clWindowText));
    return ColorBrush();
}

HBRUSH TWinControl::ColorBrush() {
    COLORREF color = ColorToRGB(color_);
    if (!brush_ || color != brushColor_) {
        brush_.Reset(CreateSolidBrush(color));
        brushColor_ = color;
    }
    return brush_.Get();
}

void TWinControl::EnabledChanged() {
    RepaintAfterChange();
    // A disabled control cannot keep the focus: the form moves it on.
    if (enabled_ || handle_ == nullptr) {
        return;
    }
    Outermost()->ControlDisabled(this);
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled_.exchange(enabled) == enabled) {
        return;
    }
    if (handle_ != nullptr) {
        EnableWindow(handle_, enabled ? TRUE : FALSE);
        RepaintAfterChange();
    }
}

void TWinControl::OnEnable(bool enabled) {
    enabled_ = enabled;
    // A disabled control gets no mouse input: the pointer has left it.
    SetMouseInControl(enabled && PointerOverOwnWindow());
    EnabledChanged();
}

void TWinControl::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    visible_ = visible;
    if (handle_ != nullptr) {
        ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
    }
    if (!visible) {
        SetMouseInControl(false);
    }
    VisibleChanged();
}

void TWinControl::SetColor(TColor color) {
    if (color_ == color) {
        return;
    }
    color_ = color;
    Invalidate();
    for (TWinControl* child : controls_) {
        child->ParentColorChanged();
    }
}

std::string TWinControl::Text() const {
    if (handle_ == nullptr) {
        return text_;
    }
    int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    length = GetWindowTextA(handle_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
}

void TWinControl::SetText(const std::string& text) {
    if (text == Text()) {
        return;
    }
    text_ = text;
    if (handle_ == nullptr) {
        TextChanged();
        return;
    }
    // WM_SETTEXT reports the change.
    SetWindowTextA(handle_, text.c_str());
    RepaintAfterChange();
}

void TWinControl::SetTabStop(bool tabStop) {
    if (tabStop_ == tabStop) {
        return;
    }
    tabStop_ = tabStop;
    if (handle_ != nullptr) {
        LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
        style = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrA(handle_, GWL_STYLE, style);
    }
}

void TWinControl::SetHint(const std::string& hint) {
    if (hint == hint_) {
        return;
    }
    hint_ = hint;
    if (handle_ != nullptr) {
        Outermost()->ControlHintChanged(this);
    }
}

void TWinControl::SetShowHint(bool show) {
    showHint_ = show;
    parentShowHint_ = false;
}

void TWinControl::SetParentShowHint(bool parent) {
    parentShowHint_ = parent;
}

bool TWinControl::HintShown() const {
    if (parentShowHint_ && parent_ != nullptr) {
        return parent_->HintShown();
    }
    return showHint_;
}

std::string TWinControl::EffectiveHint() const {
    for (const TWinControl* control = this; control != nullptr; control = control->parent_) {
        if (!control->hint_.empty()) {
            return control->hint_;
        }
    }
    return {};
}

HFONT TWinControl::Font() {
    return Outermost()->FontForControls();
}

HFONT TWinControl::FontForControls() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void TWinControl::Invalidate() {
    if (handle_ != nullptr) {
        InvalidateRect(handle_, nullptr, TRUE);
    }
}

void TWinControl::SetBiDiMode(TBiDiMode mode) {
    if (biDiMode_ == mode) {
        return;
    }
    biDiMode_ = mode;
    Invalidate();
}

UINT TWinControl::DrawTextBiDiModeFlags(UINT flags) const {
    if (UseRightToLeftAlignment()) {
        // DT_LEFT is 0: a flag without DT_RIGHT or DT_CENTER is left-aligned.
        if ((flags & DT_RIGHT) != 0) {
            flags &= ~static_cast<UINT>(DT_RIGHT);
        } else if ((flags & DT_CENTER) == 0) {
            flags |= DT_RIGHT;
        }
    }
    if (UseRightToLeftReading()) {
        flags |= DT_RTLREADING;
    }
    return flags;
}

TColor TWinControl::HintColor() {
    return parent_ != nullptr ? parent_->HintColor() : clInfoBk;
}
