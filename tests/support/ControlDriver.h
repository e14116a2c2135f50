// Driving our own controls in the test's process: the messages the mouse
// would send (sent, so that they arrive at once), the pointer over a control
// and the move the control gets for it, the look a control paints and the
// size of a text in its font.
#pragma once

#include <windows.h>

#include <string>

#include "rtl/Bitmap.h"
#include "rtl/Controls.h"
#include "rtl/Graphics.h"
#include "support/WindowDriver.h"

namespace support {

// A point in client coordinates as the mouse messages carry it.
inline LPARAM At(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

inline POINT CentreOf(TWinControl* control) {
    return CentreOf(control->Handle());
}

inline void Send(TWinControl* control, UINT msg, WPARAM wParam, LPARAM lParam) {
    SendMessageA(control->Handle(), msg, wParam, lParam);
}

// The pointer over the centre of `over`; `to` receives the move (it may
// hold the capture, as a pressed control does, and then gets every move).
inline void MovePointer(TWinControl* over, TWinControl* to) {
    PointerTo(over->Handle());
    POINT client = CentreOf(over);
    ScreenToClient(to->Handle(), &client);
    Send(to, WM_MOUSEMOVE, GetCapture() == to->Handle() ? MK_LBUTTON : 0, At(client.x, client.y));
}

// The size of `text` in the control's font.
inline SIZE TextSize(TWinControl* control, const std::string& text) {
    const WindowDc dc(control->Handle());
    const SelectGuard font(dc.Dc(), control->Font());
    SIZE size{};
    GetTextExtentPoint32A(dc.Dc(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

// The control's client area as it paints it (WM_PRINTCLIENT), in a picture
// of the control's size.
inline void Render(TWinControl* control, TBitmap& picture, UINT flags = PRF_CLIENT) {
    picture.SetSize(control->Width(), control->Height());
    SendMessageA(control->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.Dc()), flags);
}

}  // namespace support
