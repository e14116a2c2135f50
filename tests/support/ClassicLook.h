// Visual styles off for the test process while the guard lives, on again
// afterwards, so that a test sees the classic branch of a control.
#pragma once

#include <windows.h>

#include <uxtheme.h>

namespace support {

class ClassicLook {
public:
    ClassicLook() { SetThemeAppProperties(0); }
    ClassicLook(const ClassicLook&) = delete;
    ClassicLook& operator=(const ClassicLook&) = delete;
    ~ClassicLook() { SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS); }
};

}  // namespace support
