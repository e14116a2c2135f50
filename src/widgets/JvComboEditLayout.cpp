// Where the combo edit's parts go: the button's holder at the right end,
// the text rectangle clear of it, the least height, the border, and the
// button's width and visibility.
#include "widgets/JvToolEdit.h"

#include "rtl/Themes.h"

namespace {

// Between the text and the button's holder, at 96 dpi.
constexpr int kButtonGap = 2;

// The text height of a font: its character height, read through a screen
// device context that is released at once.
int TextHeightOf(HFONT font) {
    WindowDc screen(nullptr);
    SelectGuard selected(screen.Dc(), font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen.Dc(), &metrics);
    return metrics.tmHeight;
}

}  // namespace

EditFrame TJvCustomComboEdit::Frame() const {
    EditFrame frame;
    frame.themed = ThemeServicesEnabled();
    frame.singleBorder = borderStyle_ == TBorderStyle::bsSingle;
    frame.flat = flat_;
    frame.newStyle = kNewStyleSystem;
    return frame;
}

bool TJvCustomComboEdit::ThemedBorder() const {
    const EditFrame frame = Frame();
    return frame.themed && frame.singleBorder && !frame.flat;
}

int TJvCustomComboEdit::FontHeight() const {
    HFONT font = Handle() != nullptr
                     ? reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0))
                     : nullptr;
    return TextHeightOf(font);
}

// --- layout

void TJvCustomComboEdit::LayoutButtonHolder() {
    const BoxRect place = ButtonBounds(Frame(), Width(), Height(), button_->Width());
    holder_->SetBounds(place.left, place.top, place.width, place.height);
    button_->SetBounds(0, 0, place.width, place.height);
}

void TJvCustomComboEdit::InternalMargins(int& /*left*/, int& right) {
    right += holder_->Width() + ScaleValue(kButtonGap, CurrentPPI(), kDesignPPI);
}

void TJvCustomComboEdit::ChangeScale(int newPPI, int oldPPI) {
    TCustomEdit::ChangeScale(newPPI, oldPPI);
    savedButtonWidth_ = ScaleValue(savedButtonWidth_, newPPI, oldPPI);
    LayoutButtonHolder();
    UpdateTextRect();
}

void TJvCustomComboEdit::EnsureMinHeight() {
    const int minimum = EnsuredMinHeight(
        Frame(), GetSystemMetrics(SM_CYBORDER),
        TextHeightOf(static_cast<HFONT>(GetStockObject(SYSTEM_FONT))), FontHeight());
    if (Height() < minimum) {
        SetBounds(Left(), Top(), Width(), minimum);
    }
}

void TJvCustomComboEdit::UpdateTextRect() {
    if (Handle() == nullptr) {
        return;
    }
    EnsureMinHeight();
    TextMargins margins = EditTextMargins(Frame());
    InternalMargins(margins.left, margins.right);
    const TextRect text = EditTextRect(margins, Width(), ClientHeight());
    RECT rect{text.left, text.top, text.right, text.bottom};
    CallDefault(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
}

void TJvCustomComboEdit::AdjustSize() {
    const int minimum = AdjustedMinHeight(Frame(), GetSystemMetrics(SM_CYBORDER), FontHeight());
    if (Height() < minimum) {
        SetBounds(Left(), Top(), Width(), minimum);
        return;
    }
    UpdateControls();
    UpdateTextRect();
}

void TJvCustomComboEdit::BorderChanged() {
    if (Handle() != nullptr) {
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayoutButtonHolder();
    UpdateTextRect();
    UpdateControls();
}

void TJvCustomComboEdit::SetFlat(bool flat) {
    if (flat_ == flat) {
        return;
    }
    flat_ = flat;
    if (Handle() != nullptr && borderStyle_ == TBorderStyle::bsSingle) {
        LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
        LONG_PTR exStyle = GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
        if (flat_) {
            style |= WS_BORDER;
            exStyle &= ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
        } else {
            style &= ~static_cast<LONG_PTR>(WS_BORDER);
            exStyle |= WS_EX_CLIENTEDGE;
        }
        SetWindowLongPtrA(Handle(), GWL_STYLE, style);
        SetWindowLongPtrA(Handle(), GWL_EXSTYLE, exStyle);
    }
    BorderChanged();
}

void TJvCustomComboEdit::SetBorderStyle(TBorderStyle style) {
    if (borderStyle_ != style) {
        borderStyle_ = style;
        RecreateWnd();
        LayoutButtonHolder();
    }
}

void TJvCustomComboEdit::SetAlignment(TAlignment alignment) {
    if (alignment_ != alignment) {
        alignment_ = alignment;
        RecreateWnd();
    }
}

// --- button width and visibility

int TJvCustomComboEdit::ButtonWidth() const {
    return ShowButton() ? button_->Width() : savedButtonWidth_;
}

bool TJvCustomComboEdit::ShowButton() const {
    return holder_->Visible();
}

void TJvCustomComboEdit::SetShowButton(bool show) {
    if (show == ShowButton()) {
        return;
    }
    if (show) {
        holder_->SetVisible(true);
        SetButtonWidth(savedButtonWidth_);
    } else {
        SetButtonWidth(0);
    }
}

void TJvCustomComboEdit::SetButtonWidth(int width) {
    if (!ShowButton()) {
        savedButtonWidth_ = width;
        return;
    }
    if (width == button_->Width()) {
        return;
    }
    if (width < 2) {
        savedButtonWidth_ = button_->Width();
        holder_->SetVisible(false);
    } else {
        holder_->SetVisible(true);
    }
    if (creating_) {
        holder_->SetBounds(holder_->Left(), holder_->Top(), width, holder_->Height());
        button_->SetBounds(0, 0, width, button_->Height());
    } else {
        const int room = Parent() != nullptr ? ClientWidth() : Width();
        if (width >= room) {
            return;  // does not fit: the holder keeps its size
        }
        // The holder keeps its right edge: the layout puts it there.
        button_->SetBounds(0, 0, width, button_->Height());
        LayoutButtonHolder();
        RecreateWnd();
    }
    RefreshButtonImage();
}
