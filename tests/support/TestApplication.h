// The application object that the framework reports errors through; made
// once per test program.
#pragma once

#include "rtl/Application.h"

namespace support {

inline TApplication& EnsureApplication() {
    if (Application == nullptr) {
        Application = new TApplication;
        Application->Initialize();
        Application->SetTitle("Brivok Test");
    }
    return *Application;
}

}  // namespace support
