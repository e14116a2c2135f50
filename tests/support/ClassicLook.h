// Visual styles off for the test process while the guard lives, on again
// afterwards, so that a test sees the classic branch of a control. Made
// with `false` it changes nothing, for tables with a themed and a classic
// row.
#pragma once

#include <windows.h>

#include <uxtheme.h>

namespace support {

class ClassicLook {
public:
    explicit ClassicLook(bool classic = true) : classic_(classic) {
        if (classic_) {
            SetThemeAppProperties(0);
        }
    }
    ClassicLook(const ClassicLook&) = delete;
    ClassicLook& operator=(const ClassicLook&) = delete;
    ~ClassicLook() {
        if (classic_) {
            SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
        }
    }

private:
    bool classic_;
};

}  // namespace support
