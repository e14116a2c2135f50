// The framework's progress bar, over the common controls' stock one: its
// themed look, its animation and what screen readers read of it are the
// system's.
#pragma once

#include "rtl/Controls.h"

// How the bar shows progress: a position between Min and Max, or a marquee
// that moves on its own while nothing is known.
enum class TProgressBarStyle { pbstNormal, pbstMarquee };
// The colour of its state where the theme has one: normal, error (red) or
// paused (yellow).
enum class TProgressBarState { pbsNormal, pbsError, pbsPaused };

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* owner);
    const char* ClassName() const override { return "TProgressBar"; }

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    int Position() const { return position_; }
    void SetPosition(int position);

    TProgressBarStyle Style() const { return style_; }
    void SetStyle(TProgressBarStyle style);
    TProgressBarState State() const { return state_; }
    void SetState(TProgressBarState state);

protected:
    void CreateParams(TCreateParams& params) override;
    // The window takes the bar's settings.
    void CreateWnd() override;

private:
    void ApplyStyle();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    TProgressBarStyle style_ = TProgressBarStyle::pbstNormal;
    TProgressBarState state_ = TProgressBarState::pbsNormal;
};
