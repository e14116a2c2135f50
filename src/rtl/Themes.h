// The theme service: whether visual styles are in effect, and the theme data
// of a window class, closed with its holder.
#pragma once

#include <windows.h>

#include <uxtheme.h>

// Visual styles are in effect for this application's windows: the system has
// them on and the application has not switched them off
// (SetThemeAppProperties).
bool ThemeServicesEnabled();

// The theme data that a platform control (an edit, a button) opened for its
// own window; null when visual styles are off, also for that window alone.
// Borrowed: the control closes it when the theme changes or the window goes.
// Data of our own opened for such a window would replace the control's, and
// closing ours would leave the control with a closed handle.
HTHEME StockControlTheme(HWND window);

// OpenThemeData/CloseThemeData; empty when the window or the class has no
// theme (themes off, or switched off for the window).
class ThemeData {
public:
    ThemeData(HWND window, const wchar_t* classList) : theme_(OpenThemeData(window, classList)) {}
    ThemeData(const ThemeData&) = delete;
    ThemeData& operator=(const ThemeData&) = delete;
    ~ThemeData() {
        if (theme_ != nullptr) {
            CloseThemeData(theme_);
        }
    }

    HTHEME Get() const { return theme_; }
    explicit operator bool() const { return theme_ != nullptr; }

private:
    HTHEME theme_;
};
