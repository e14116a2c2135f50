// A timer component: OnTimer every Interval milliseconds on the thread that
// made it, while Enabled, through a message-only window of its own.
#pragma once

#include <windows.h>

#include "rtl/Classes.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    const char* ClassName() const override { return "TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    UINT Interval() const { return interval_; }
    void SetInterval(UINT interval);

    TNotifyEvent OnTimer;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Starts or stops the system's timer as the settings say.
    void UpdateTimer();
    void Timer();

    HWND window_ = nullptr;  // owned: destroyed with the timer
    bool enabled_ = true;
    UINT interval_ = 1000;
};
