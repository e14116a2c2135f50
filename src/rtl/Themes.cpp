#include "rtl/Themes.h"

bool ThemeServicesEnabled() {
    // Wine's IsAppThemed does not look at the application's properties;
    // Windows' controls do, so we ask them ourselves.
    return IsAppThemed() && IsThemeActive() && (GetThemeAppProperties() & STAP_ALLOW_CONTROLS) != 0;
}

HTHEME StockControlTheme(HWND window) {
    return ThemeServicesEnabled() ? GetWindowTheme(window) : nullptr;
}
