#include "rtl/Themes.h"

bool ThemeServicesEnabled() {
    return IsAppThemed() && IsThemeActive();
}
