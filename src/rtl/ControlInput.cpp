// What a control does with the mouse and the keyboard: shift states, clicks
// and the pointer's coming and going, key events, dialog keys and focus.
#include "rtl/Controls.h"

#include <algorithm>
#include <utility>

namespace {

// The shift state of a mouse message: its MK_ flags, and Alt from the
// keyboard, which the flags do not carry.
TShiftState MouseShiftState(WPARAM flags) {
    TShiftState shift = KeyboardShiftState() & ssAlt;
    if ((flags & MK_SHIFT) != 0) {
        shift |= ssShift;
    }
    if ((flags & MK_CONTROL) != 0) {
        shift |= ssCtrl;
    }
    if ((flags & MK_LBUTTON) != 0) {
        shift |= ssLeft;
    }
    if ((flags & MK_RBUTTON) != 0) {
        shift |= ssRight;
    }
    if ((flags & MK_MBUTTON) != 0) {
        shift |= ssMiddle;
    }
    return shift;
}

POINT ClientPoint(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// The button messages: which button, pressed or released, double-click.
struct MouseButtonMessage {
    UINT msg;
    TMouseButton button;
    bool down;
    bool doubleClick;
};

// clang-format off
constexpr MouseButtonMessage kButtonMessages[] = {
//   message           button                  down   double-click
    {WM_LBUTTONDOWN,   TMouseButton::mbLeft,   true,  false},
    {WM_LBUTTONUP,     TMouseButton::mbLeft,   false, false},
    {WM_LBUTTONDBLCLK, TMouseButton::mbLeft,   true,  true},
    {WM_RBUTTONDOWN,   TMouseButton::mbRight,  true,  false},
    {WM_RBUTTONUP,     TMouseButton::mbRight,  false, false},
    {WM_RBUTTONDBLCLK, TMouseButton::mbRight,  true,  true},
    {WM_MBUTTONDOWN,   TMouseButton::mbMiddle, true,  false},
    {WM_MBUTTONUP,     TMouseButton::mbMiddle, false, false},
    {WM_MBUTTONDBLCLK, TMouseButton::mbMiddle, true,  true},
};
// clang-format on

// The button message's row; any other message counts as a left release.
MouseButtonMessage CrackButtonMessage(UINT msg) {
    const auto found =
        std::find_if(std::begin(kButtonMessages), std::end(kButtonMessages),
                     [msg](const MouseButtonMessage& row) { return row.msg == msg; });
    return found != std::end(kButtonMessages)
               ? *found
               : MouseButtonMessage{msg, TMouseButton::mbLeft, false, false};
}

}  // namespace

TShiftState KeyboardShiftState() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) {
        shift |= ssShift;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        shift |= ssCtrl;
    }
    if (GetKeyState(VK_MENU) < 0) {
        shift |= ssAlt;
    }
    return shift;
}

TShiftState KeyMessageShiftState(UINT msg, LPARAM lParam) {
    TShiftState shift = KeyboardShiftState();
    if ((msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP) && (HIWORD(lParam) & KF_ALTDOWN) != 0) {
        shift |= ssAlt;
    }
    return shift;
}

void TWinControl::OnMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_MOUSELEAVE:
            OnPointerLeft();
            return;
        case WM_CAPTURECHANGED:
            OnCaptureChanged(reinterpret_cast<HWND>(lParam));
            return;
    }
    const POINT point = ClientPoint(lParam);
    const TShiftState shift = MouseShiftState(wParam);
    if (msg == WM_MOUSEMOVE) {
        PointerMoved(point);
        MouseMove(shift, point.x, point.y);
        return;
    }
    const MouseButtonMessage button = CrackButtonMessage(msg);
    if (button.down) {
        OnButtonDown(button.button, button.doubleClick, shift, point);
    } else {
        OnButtonUp(button.button, shift, point);
    }
}

void TWinControl::OnButtonDown(TMouseButton button, bool doubleClick, TShiftState shift,
                               POINT point) {
    if (doubleClick) {
        shift |= ssDouble;
    }
    if (button == TMouseButton::mbLeft) {
        if ((controlStyle_ & csCaptureMouse) != 0) {
            SetCapture(handle_);
        }
        clicking_ = (controlStyle_ & csClickEvents) != 0 && !doubleClick;
        if (doubleClick) {
            DblClick();
        }
    }
    MouseDown(button, shift, point.x, point.y);
}

void TWinControl::OnButtonUp(TMouseButton button, TShiftState shift, POINT point) {
    bool click = false;
    if (button == TMouseButton::mbLeft) {
        click = std::exchange(clicking_, false);
        if ((controlStyle_ & csCaptureMouse) != 0 && GetCapture() == handle_) {
            ReleaseCapture();
        }
    }
    MouseUp(button, shift, point.x, point.y);
    const RECT client = ClientRect();
    if (click && handle_ != nullptr && enabled_ && PtInRect(&client, point)) {
        Click();
    }
}

void TWinControl::OnPointerLeft() {
    trackingLeave_ = false;
    // While we hold the capture the moves tell where the pointer is.
    if (GetCapture() != handle_) {
        SetMouseInControl(false);
    }
}

void TWinControl::OnCaptureChanged(HWND capture) {
    if (capture != handle_) {
        clicking_ = false;
        SetMouseInControl(PointerOverOwnWindow());
    }
}

void TWinControl::PointerMoved(POINT client) {
    if (GetCapture() != handle_) {
        // The system sends moves to the window under the pointer.
        SetMouseInControl(enabled_);
        return;
    }
    // With the capture the moves come from anywhere.
    const RECT rect = ClientRect();
    SetMouseInControl(enabled_ && PtInRect(&rect, client) && PointerOverOwnWindow());
}

bool TWinControl::PointerOverOwnWindow() const {
    POINT cursor{};
    return handle_ != nullptr && IsWindowVisible(handle_) && GetCursorPos(&cursor) &&
           WindowFromPoint(cursor) == handle_;
}

void TWinControl::ArmLeaveTracking() {
    if (trackingLeave_ || handle_ == nullptr) {
        return;
    }
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
}

void TWinControl::SetMouseInControl(bool over) {
    if (over) {
        ArmLeaveTracking();
    }
    if (over == mouseInControl_) {
        return;
    }
    mouseInControl_ = over;
    if (over) {
        MouseEnter();
    } else {
        MouseLeave();
    }
}

void TWinControl::PointerEntered() {
    if (enabled_ && handle_ != nullptr) {
        SetMouseInControl(true);
    }
}

TWinControl* TWinControl::ControlAtPos(POINT screen, bool allowDisabled) {
    // WindowFromPoint skips disabled windows; walk down from the top-level
    // window instead, one child level at a time.
    HWND window = WindowFromPoint(screen);
    if (window == nullptr) {
        return nullptr;
    }
    HWND current = GetAncestor(window, GA_ROOT);
    const UINT skip =
        CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT | (allowDisabled ? 0 : CWP_SKIPDISABLED);
    while (current != nullptr) {
        POINT client = screen;
        ScreenToClient(current, &client);
        HWND child = ChildWindowFromPointEx(current, client, skip);
        if (child == nullptr || child == current) {
            break;
        }
        current = child;
    }
    // A window inside a stock control (a combo box's edit) stands for it.
    for (HWND candidate = current; candidate != nullptr; candidate = GetParent(candidate)) {
        if (TWinControl* control = FromHandle(candidate)) {
            return control;
        }
        if ((GetWindowLongPtrA(candidate, GWL_STYLE) & WS_CHILD) == 0) {
            break;
        }
    }
    return nullptr;
}

void TWinControl::Click() {
    CallEvent(OnClick, this);
}

void TWinControl::DblClick() {
    CallEvent(OnDblClick, this);
}

void TWinControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    CallEvent(OnMouseDown, this, button, shift, x, y);
}

void TWinControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    CallEvent(OnMouseUp, this, button, shift, x, y);
}

void TWinControl::MouseMove(TShiftState shift, int x, int y) {
    CallEvent(OnMouseMove, this, shift, x, y);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    CallEvent(OnKeyDown, this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    CallEvent(OnKeyUp, this, key, shift);
}

void TWinControl::KeyPress(char& key) {
    CallEvent(OnKeyPress, this, key);
}

LRESULT TWinControl::OnKeyMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    WORD key = static_cast<WORD>(wParam);
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
        KeyDown(key, KeyMessageShiftState(msg, lParam));
    } else {
        KeyUp(key, KeyMessageShiftState(msg, lParam));
    }
    // A handler that set the key to 0 consumed it.
    if (key == 0) {
        return 0;
    }
    return CallDefault(msg, key, lParam);
}

LRESULT TWinControl::OnCharMessage(WPARAM wParam, LPARAM lParam) {
    char key = static_cast<char>(wParam);
    KeyPress(key);
    if (key == 0) {
        return 0;
    }
    return CallDefault(WM_CHAR, static_cast<unsigned char>(key), lParam);
}

bool TWinControl::AnyChild(const std::function<bool(TWinControl*)>& takes) const {
    // A copy: a handler may add or remove controls.
    const std::vector<TWinControl*> children = controls_;
    return std::any_of(children.begin(), children.end(), takes);
}

bool TWinControl::DialogKey(WORD key, TShiftState shift) {
    return AnyChild([&](TWinControl* child) { return child->DialogKey(key, shift); });
}

bool TWinControl::DialogChar(char key, TShiftState shift) {
    return AnyChild([&](TWinControl* child) { return child->DialogChar(key, shift); });
}

bool TWinControl::Focused() const {
    return handle_ != nullptr && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
    for (const TWinControl* control = this; control != nullptr; control = control->parent_) {
        if (!control->visible_ || !control->enabled_) {
            return false;
        }
    }
    return handle_ != nullptr;
}

void TWinControl::SetFocus() {
    if (handle_ != nullptr) {
        ::SetFocus(handle_);
    }
}

void TWinControl::OnFocusMessage(bool gained) {
    if (TWinControl* outermost = Outermost(); gained && outermost != this) {
        outermost->ControlFocused(this);
    }
    FocusChanged(gained);
}
