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

bool TWinControl::HandleMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT point = ClientPoint(lParam);
    TShiftState shift = MouseShiftState(wParam);
    if (msg == WM_MOUSEMOVE) {
        PointerMoved(point);
        MouseMove(shift, point.x, point.y);
        return false;
    }
    const bool doubleClick =
        msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
    const bool down =
        doubleClick || msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
    TMouseButton button = TMouseButton::mbLeft;
    if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK) {
        button = TMouseButton::mbRight;
    } else if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP || msg == WM_MBUTTONDBLCLK) {
        button = TMouseButton::mbMiddle;
    }
    if (down) {
        if (doubleClick) {
            shift |= ssDouble;
        }
        if (button == TMouseButton::mbLeft) {
            if ((controlStyle_ & csCaptureMouse) != 0) {
                SetCapture(handle_);
            }
            clicking_ = (controlStyle_ & csClickEvents) != 0 && (shift & ssDouble) == 0;
        }
        if ((shift & ssDouble) != 0 && button == TMouseButton::mbLeft) {
            DblClick();
        }
        MouseDown(button, shift, point.x, point.y);
        return false;
    }
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
    return false;
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
    TNotifyEvent handler = OnClick;
    if (handler) {
        handler(this);
    }
}

void TWinControl::DblClick() {
    TNotifyEvent handler = OnDblClick;
    if (handler) {
        handler(this);
    }
}

void TWinControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TMouseEvent handler = OnMouseDown;
    if (handler) {
        handler(this, button, shift, x, y);
    }
}

void TWinControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TMouseEvent handler = OnMouseUp;
    if (handler) {
        handler(this, button, shift, x, y);
    }
}

void TWinControl::MouseMove(TShiftState shift, int x, int y) {
    TMouseMoveEvent handler = OnMouseMove;
    if (handler) {
        handler(this, shift, x, y);
    }
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    TKeyEvent handler = OnKeyDown;
    if (handler) {
        handler(this, key, shift);
    }
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    TKeyEvent handler = OnKeyUp;
    if (handler) {
        handler(this, key, shift);
    }
}

void TWinControl::KeyPress(char& key) {
    TKeyPressEvent handler = OnKeyPress;
    if (handler) {
        handler(this, key);
    }
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
