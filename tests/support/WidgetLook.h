// A control's client area as it paints it (WM_PRINTCLIENT), taken where the
// picture is declared: `const Rendered idle(button);`.
#pragma once

#include <windows.h>

#include "support/ControlDriver.h"

namespace support {

class Rendered : public TBitmap {
public:
    explicit Rendered(TWinControl* control, UINT flags = PRF_CLIENT) {
        Render(control, *this, flags);
    }
};

}  // namespace support
