#include "rtl/ExtCtrls.h"

#include "rtl/Application.h"

namespace {

constexpr char kTimerWindowClass[] = "TTimerWindow";

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TTimer::WndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTimerWindowClass;
    RegisterClassA(&windowClass);  // fails harmlessly once it is registered
    window_ = CreateWindowExA(0, kTimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, nullptr);
    UpdateTimer();
}

TTimer::~TTimer() {
    BeginDestroy();
    if (window_ != nullptr) {
        // Its timer goes with it.
        DestroyWindow(window_);
    }
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        UpdateTimer();
    }
}

void TTimer::SetInterval(UINT interval) {
    if (interval != interval_) {
        interval_ = interval;
        UpdateTimer();
    }
}

void TTimer::UpdateTimer() {
    if (window_ == nullptr) {
        return;
    }
    const auto id = reinterpret_cast<UINT_PTR>(this);
    KillTimer(window_, id);
    if (enabled_ && interval_ > 0) {
        SetTimer(window_, id, interval_, nullptr);
    }
}

void TTimer::Timer() {
    if (enabled_) {
        CallEvent(OnTimer, this);
    }
}

LRESULT CALLBACK TTimer::WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The timer's id is the object (its window goes first, and the system's
    // timer with it).
    if (msg == WM_TIMER && wParam != 0) {
        // No exception may unwind through the system's frames.
        try {
            reinterpret_cast<TTimer*>(wParam)->Timer();
        } catch (...) {
            if (Application != nullptr) {
                Application->HandleException();
            }
        }
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
