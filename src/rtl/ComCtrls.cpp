#include "rtl/ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// The marquee's step time in milliseconds (the system's default).
constexpr int kMarqueeInterval = 30;

}  // namespace

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
    SetControlStyle(ControlStyle() & ~(csCaptureMouse | csClickEvents | csDoubleClicks));
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = PROGRESS_CLASSA;
    params.stockClass = true;
    if (style_ == TProgressBarStyle::pbstMarquee) {
        params.style |= PBS_MARQUEE;
    }
}

void TProgressBar::CreateWnd() {
    CallDefault(PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
    CallDefault(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    ApplyStyle();
    SetState(state_);
}

void TProgressBar::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
    if (Handle() != nullptr) {
        CallDefault(PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
    }
}

void TProgressBar::SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) {
        return;
    }
    position_ = position;
    if (Handle() != nullptr) {
        CallDefault(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    }
}

void TProgressBar::SetStyle(TProgressBarStyle style) {
    if (style != style_) {
        style_ = style;
        ApplyStyle();
    }
}

void TProgressBar::ApplyStyle() {
    if (Handle() == nullptr) {
        return;
    }
    // The stock bar reads PBS_MARQUEE as it draws; PBM_SETMARQUEE starts and
    // stops the movement.
    const bool marquee = style_ == TProgressBarStyle::pbstMarquee;
    const LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
    SetWindowLongPtrA(Handle(), GWL_STYLE, marquee ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
    CallDefault(PBM_SETMARQUEE, marquee ? TRUE : FALSE, kMarqueeInterval);
    if (!marquee) {
        CallDefault(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    }
    Invalidate();
}

void TProgressBar::SetState(TProgressBarState state) {
    state_ = state;
    if (Handle() == nullptr) {
        return;
    }
    const WPARAM states[] = {PBST_NORMAL, PBST_ERROR, PBST_PAUSED};
    CallDefault(PBM_SETSTATE, states[static_cast<int>(state)], 0);
}
