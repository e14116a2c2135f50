// How far a patch run is, while it runs: the window's progress bar, with a
// tooltip of how much and how long, and the task-bar button. bspatch.exe
// reports through a channel made for each run; a timer on the main thread
// reads it ten times a second. Until the first report, and throughout when
// none comes, the bar moves on its own.
#pragma once

#include <windows.h>

#include <memory>

#include "app/PatchProgressChannel.h"
#include "app/ProgressEstimate.h"
#include "app/TaskBarProgress.h"
#include "rtl/ComCtrls.h"
#include "rtl/ExtCtrls.h"

class PatchProgress {
public:
    static constexpr UINT kReadingInterval = 100;
    // The bar's range: tenths of a per cent.
    static constexpr int kBarMax = 1000;

    // Shows on `bar` (borrowed: the window's) and on the task-bar button of
    // `taskBarWindow`.
    PatchProgress(TProgressBar* bar, HWND taskBarWindow,
                  TaskBarProgress::Factory taskBar = TaskBarProgress::ShellTaskBarList);
    // Dismisses (the window closing during a run).
    ~PatchProgress();
    PatchProgress(const PatchProgress&) = delete;
    PatchProgress& operator=(const PatchProgress&) = delete;

    // Before the job starts its script: a channel of its own, the bar shown
    // and moving until the first report.
    void Start();
    // Once the job has ended, on the main thread: the last report shown and
    // the channel released. The bar stays until Dismiss, in its error state
    // after a failed run; so does the button, which is otherwise cleared.
    void Finish(bool failed);
    // The end box confirmed, or the job never started: the channel
    // released, the bar hidden, the button cleared.
    void Dismiss();

    // One reading of the channel, at `nowMs` of GetTickCount64: the timer's.
    void Update(uint64_t nowMs);

private:
    void Show(const bspatch::ProgressReport& report, uint64_t nowMs);

    TProgressBar* bar_;
    TaskBarProgress taskBar_;
    TTimer timer_{nullptr};
    std::unique_ptr<PatchProgressChannel> channel_;  // while a job runs
    ProgressEstimate estimate_;
    unsigned runs_ = 0;
};
