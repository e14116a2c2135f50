// Moving the pointer in tests of our controls: the system pointer really
// over a control, and the move message that a control gets for it (sent, so
// that it arrives at once, as the mouse's would).
#pragma once

#include <windows.h>

#include "rtl/Controls.h"

namespace widgets_test {

inline POINT CentreOf(TWinControl* control) {
    RECT rect{};
    GetWindowRect(control->Handle(), &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

inline void Send(TWinControl* control, UINT msg, WPARAM wParam, LPARAM lParam) {
    SendMessageA(control->Handle(), msg, wParam, lParam);
}

// The pointer over the centre of `over`; `to` receives the move (it may
// hold the capture, as a pressed control does, and then gets every move).
inline void MovePointer(TWinControl* over, TWinControl* to) {
    const POINT centre = CentreOf(over);
    SetCursorPos(centre.x, centre.y);
    POINT client = centre;
    ScreenToClient(to->Handle(), &client);
    Send(to, WM_MOUSEMOVE, GetCapture() == to->Handle() ? MK_LBUTTON : 0,
         MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y)));
}

}  // namespace widgets_test
