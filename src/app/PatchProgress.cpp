#include "app/PatchProgress.h"

#include <algorithm>

#include "app/ProgressText.h"

using bspatch::ProgressPhase;
using bspatch::ProgressReport;

PatchProgress::PatchProgress(TProgressBar* bar, HWND taskBarWindow,
                             TaskBarProgress::Factory taskBar)
    : bar_(bar), taskBar_(taskBarWindow, std::move(taskBar)) {
    bar_->SetRange(0, kBarMax);
    timer_.SetEnabled(false);
    timer_.SetInterval(kReadingInterval);
    timer_.OnTimer = [this](TObject*) { Update(GetTickCount64()); };
}

PatchProgress::~PatchProgress() {
    Dismiss();
}

void PatchProgress::Start() {
    channel_ = std::make_unique<PatchProgressChannel>(++runs_);
    estimate_ = {};
    bar_->SetHint("");
    bar_->SetState(TProgressBarState::pbsNormal);
    bar_->SetPosition(0);
    bar_->SetStyle(TProgressBarStyle::pbstMarquee);
    bar_->SetVisible(true);
    taskBar_.Indeterminate();
    timer_.SetEnabled(true);
}

void PatchProgress::Finish(bool failed) {
    timer_.SetEnabled(false);
    Update(GetTickCount64());
    channel_.reset();
    // Still where nothing was reported: a bspatch.exe that does not.
    bar_->SetStyle(TProgressBarStyle::pbstNormal);
    if (failed) {
        bar_->SetState(TProgressBarState::pbsError);
        taskBar_.Error();
    } else {
        bar_->SetPosition(kBarMax);
        taskBar_.Clear();
    }
}

void PatchProgress::Dismiss() {
    timer_.SetEnabled(false);
    channel_.reset();
    bar_->SetVisible(false);
    bar_->SetStyle(TProgressBarStyle::pbstNormal);
    taskBar_.Clear();
}

void PatchProgress::Update(uint64_t nowMs) {
    const std::optional<ProgressReport> report = channel_ ? channel_->Read() : std::nullopt;
    // The size is known from the patching on.
    if (report && report->phase >= ProgressPhase::Patching) {
        Show(*report, nowMs);
    }
}

void PatchProgress::Show(const ProgressReport& report, uint64_t nowMs) {
    // The first report ends the movement of its own; later ones find the
    // bar in its normal style already.
    bar_->SetStyle(TProgressBarStyle::pbstNormal);
    estimate_.Add(nowMs, report.produced);
    const double share = report.newSize == 0 ? 1.0
                                             : static_cast<double>(report.produced) /
                                                   static_cast<double>(report.newSize);
    // Never back: a report that does is somebody else's writing.
    bar_->SetPosition(std::max(bar_->Position(), static_cast<int>(share * kBarMax)));
    bar_->SetHint(
        ProgressText(report.produced, report.newSize, estimate_.SecondsLeft(report.newSize)));
    taskBar_.Share(static_cast<uint64_t>(bar_->Position()), kBarMax);
}
