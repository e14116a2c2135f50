#include "rtl/Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "rtl/Application.h"
#include "rtl/Forms.h"

namespace {

// Stock controls carry their object and their class's procedure as window
// properties: GWLP_USERDATA belongs to whoever wrote the class. The
// procedure stays on the window after the object has gone, so that the
// stock class still gets every message until the window dies.
constexpr char kControlProp[] = "BrivokControl";
constexpr char kStockProcProp[] = "BrivokStockProc";

void RegisterOwnClass(const std::string& name, UINT style, WNDPROC proc) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing{};
    if (GetClassInfoA(instance, name.c_str(), &existing)) {
        return;
    }
    WNDCLASSA windowClass{};
    // Double-clicks always arrive; controls without csDoubleClicks see them
    // as presses (Dispatch).
    windowClass.style = style | CS_DBLCLKS;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = name.c_str();
    RegisterClassA(&windowClass);
}

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

TWinControl::TWinControl(TComponent* owner) : TComponent(owner) {}

TWinControl::~TWinControl() {
    BeginDestroy();
    // Order: tooltips forget our windows, children forget us as parent (they
    // may outlive us as components), we leave our parent, then the window goes.
    RemoveHintTools();
    for (TWinControl* child : controls_) {
        child->parent_ = nullptr;
    }
    controls_.clear();
    if (parent_ != nullptr) {
        std::erase(parent_->controls_, this);
        parent_ = nullptr;
    }
    DetachWindow();
}

void TWinControl::DetachWindow() {
    if (handle_ == nullptr) {
        return;
    }
    HWND window = handle_;
    // Stop dispatch first: messages sent while the window dies must not reach
    // a half-destroyed object.
    if (stockProc_ != nullptr) {
        RemovePropA(window, kControlProp);
    } else {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
    handle_ = nullptr;
    DestroyWindow(window);
}

TWinControl* TWinControl::FromHandle(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) {
        return nullptr;
    }
    if (HANDLE control = GetPropA(window, kControlProp)) {
        return static_cast<TWinControl*>(control);
    }
    // Only windows of our own classes keep the object in GWLP_USERDATA.
    // The class's procedure tells them apart even when a tooltip has
    // subclassed the window since.
    if (GetClassLongPtrA(window, GCLP_WNDPROC) !=
        reinterpret_cast<ULONG_PTR>(&TWinControl::WndProcTrampoline)) {
        return nullptr;
    }
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == parent_) {
        return;
    }
    if (parent_ != nullptr) {
        std::erase(parent_->controls_, this);
    }
    parent_ = parent;
    if (parent_ == nullptr) {
        return;
    }
    parent_->controls_.push_back(this);
    if (handle_ != nullptr) {
        ::SetParent(handle_, parent_->handle_);
    } else if (parent_->handle_ != nullptr) {
        CreateHandle();
    }
    UpdateAnchorRules();
}

TForm* TWinControl::ParentForm() {
    TWinControl* control = this;
    while (control->parent_ != nullptr) {
        control = control->parent_;
    }
    return dynamic_cast<TForm*>(control);
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.className = ClassName();
}

void TWinControl::CreateHandle() {
    if (handle_ != nullptr) {
        return;
    }
    TCreateParams params;
    CreateParams(params);
    if (parent_ == nullptr) {
        params.style &= ~WS_CHILD;
    }
    if (visible_) {
        params.style |= WS_VISIBLE;
    }
    if (!enabled_) {
        params.style |= WS_DISABLED;
    }
    if (tabStop_) {
        params.style |= WS_TABSTOP;
    }
    HWND parentWindow = parent_ != nullptr ? parent_->handle_ : nullptr;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (params.stockClass) {
        HWND window =
            CreateWindowExA(params.exStyle, params.className.c_str(), text_.c_str(), params.style,
                            left_, top_, width_, height_, parentWindow, nullptr, instance, nullptr);
        if (window == nullptr) {
            return;
        }
        handle_ = window;
        SetPropA(window, kControlProp, this);
        stockProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StockTrampoline)));
        SetPropA(window, kStockProcProp, reinterpret_cast<HANDLE>(stockProc_));
    } else {
        RegisterOwnClass(params.className, params.classStyle, &TWinControl::WndProcTrampoline);
        // WM_NCCREATE links the window to this object (handle_ is set there).
        CreateWindowExA(params.exStyle, params.className.c_str(), text_.c_str(), params.style,
                        left_, top_, width_, height_, parentWindow, nullptr, instance, this);
        if (handle_ == nullptr) {
            return;
        }
    }
    if (TForm* form = ParentForm()) {
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(form->FontHandle()), FALSE);
        if (form != this) {
            form->AddHintTool(this);
        }
    }
    ReadBoundsFromWindow();
    CreateWnd();
    for (TWinControl* child : controls_) {
        child->CreateHandle();
    }
}

LRESULT CALLBACK TWinControl::WndProcTrampoline(HWND window, UINT msg, WPARAM wParam,
                                                LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* control = static_cast<TWinControl*>(create->lpCreateParams);
        if (control != nullptr) {
            control->handle_ = window;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
        }
    }
    auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (control == nullptr) {
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    LRESULT result = Dispatch(control, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The window went first (with its parent, say); the object lives on.
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        control->handle_ = nullptr;
    }
    return result;
}

LRESULT CALLBACK TWinControl::StockTrampoline(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto stockProc = reinterpret_cast<WNDPROC>(GetPropA(window, kStockProcProp));
    auto* control = static_cast<TWinControl*>(GetPropA(window, kControlProp));
    LRESULT result = 0;
    if (control != nullptr) {
        result = Dispatch(control, msg, wParam, lParam);
    } else if (stockProc != nullptr) {
        result = CallWindowProcA(stockProc, window, msg, wParam, lParam);
    } else {
        result = DefWindowProcA(window, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        RemovePropA(window, kControlProp);
        RemovePropA(window, kStockProcProp);
        if (control != nullptr) {
            control->handle_ = nullptr;
        }
    }
    return result;
}

LRESULT TWinControl::Dispatch(TWinControl* control, UINT msg, WPARAM wParam, LPARAM lParam) {
    if ((control->controlStyle_ & csDoubleClicks) == 0) {
        switch (msg) {
            case WM_LBUTTONDBLCLK:
                msg = WM_LBUTTONDOWN;
                break;
            case WM_RBUTTONDBLCLK:
                msg = WM_RBUTTONDOWN;
                break;
            case WM_MBUTTONDBLCLK:
                msg = WM_MBUTTONDOWN;
                break;
        }
    }
    // No C++ exception may unwind through the system's frames.
    try {
        return control->WindowProc(msg, wParam, lParam);
    } catch (...) {
        if (Application != nullptr) {
            Application->HandleException();
        }
        return 0;
    }
}

LRESULT TWinControl::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (handle_ == nullptr) {
        return 0;
    }
    if (stockProc_ != nullptr) {
        return CallWindowProcA(stockProc_, handle_, msg, wParam, lParam);
    }
    return DefWindowProcA(handle_, msg, wParam, lParam);
}

LRESULT TWinControl::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    switch (msg) {
        case WM_COMMAND:
            if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                handled = true;
                child->OnCommand(HIWORD(wParam));
            }
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (TWinControl* child = FromHandle(header->hwndFrom)) {
                handled = true;
                return child->OnNotify(header);
            }
            return 0;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                HBRUSH brush = child->OnCtlColor(reinterpret_cast<HDC>(wParam));
                if (brush != nullptr) {
                    handled = true;
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            return 0;
    }
    return 0;
}

LRESULT TWinControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK) {
        if (HandleMouseMessage(msg, wParam, lParam)) {
            return 0;
        }
        return CallDefault(msg, wParam, lParam);
    }
    switch (msg) {
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            // While we hold the capture the moves tell where the pointer is.
            if (GetCapture() != handle_) {
                SetMouseInControl(false);
            }
            break;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != handle_) {
                clicking_ = false;
                SetMouseInControl(PointerOverOwnWindow());
            }
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            WORD key = static_cast<WORD>(wParam);
            if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
                KeyDown(key, KeyMessageShiftState(msg, lParam));
            } else {
                KeyUp(key, KeyMessageShiftState(msg, lParam));
            }
            if (key == 0) {
                return 0;
            }
            return CallDefault(msg, key, lParam);
        }
        case WM_CHAR: {
            char key = static_cast<char>(wParam);
            KeyPress(key);
            if (key == 0) {
                return 0;
            }
            return CallDefault(msg, static_cast<unsigned char>(key), lParam);
        }
        case WM_SETTEXT: {
            const LRESULT result = CallDefault(msg, wParam, lParam);
            text_ = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            TextChanged();
            return result;
        }
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            bool handled = false;
            LRESULT result = Reflect(msg, wParam, lParam, handled);
            if (handled) {
                return result;
            }
            break;
        }
        case WM_SIZE:
            ReadBoundsFromWindow();
            if (wParam != SIZE_MINIMIZED) {
                AlignControls();
            }
            break;
        case WM_MOVE:
            ReadBoundsFromWindow();
            break;
        case WM_ENABLE:
            enabled_ = wParam != FALSE;
            // A disabled control gets no mouse input: the pointer has left it.
            SetMouseInControl(enabled_ && PointerOverOwnWindow());
            EnabledChanged();
            break;
        case WM_SETFOCUS:
            if (TForm* form = ParentForm(); form != nullptr && form != this) {
                form->ControlFocused(this);
            }
            FocusChanged(true);
            break;
        case WM_KILLFOCUS:
            FocusChanged(false);
            break;
    }
    return CallDefault(msg, wParam, lParam);
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

HBRUSH TWinControl::OnCtlColor(HDC dc) {
    SetBkColor(dc, ColorToRGB(color_));
    SetTextColor(dc, ColorToRGB(clWindowText));
    return ColorBrush();
}

HBRUSH TWinControl::ColorBrush() {
    COLORREF color = ColorToRGB(color_);
    if (!brush_ || color != brushColor_) {
        brush_.Reset(CreateSolidBrush(color));
        brushColor_ = color;
    }
    return brush_.Get();
}

void TWinControl::EnabledChanged() {
    Invalidate();
    // A disabled control cannot keep the focus: it moves to the next one.
    // The system drops the focus before it reports the change, so the
    // form's memory of the focused control tells whether it was ours.
    if (enabled_ || handle_ == nullptr) {
        return;
    }
    TForm* form = ParentForm();
    HWND focus = GetFocus();
    if (form != nullptr &&
        (focus == handle_ || (focus == nullptr && form->ActiveControl() == this))) {
        form->SelectNext(this, true);
    }
}

void TWinControl::ReadBoundsFromWindow() {
    if (handle_ == nullptr) {
        return;
    }
    RECT rect{};
    GetWindowRect(handle_, &rect);
    if (parent_ != nullptr && parent_->handle_ != nullptr) {
        MapWindowPoints(nullptr, parent_->handle_, reinterpret_cast<POINT*>(&rect), 2);
    }
    left_ = rect.left;
    top_ = rect.top;
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_ != nullptr) {
        SetWindowPos(handle_, nullptr, left, top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    UpdateAnchorRules();
}

RECT TWinControl::ClientRect() const {
    RECT rect{0, 0, width_, height_};
    if (handle_ != nullptr) {
        GetClientRect(handle_, &rect);
    }
    return rect;
}

int TWinControl::ClientWidth() const {
    return ClientRect().right;
}

int TWinControl::ClientHeight() const {
    return ClientRect().bottom;
}

void TWinControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
    UpdateAnchorRules();
}

void TWinControl::UpdateAnchorRules() {
    if (parent_ == nullptr) {
        return;
    }
    rightGap_ = parent_->ClientWidth() - (left_ + width_);
    bottomGap_ = parent_->ClientHeight() - (top_ + height_);
}

void TWinControl::AlignControls() {
    const int clientWidth = ClientWidth();
    const int clientHeight = ClientHeight();
    for (TWinControl* child : controls_) {
        int left = child->left_;
        int top = child->top_;
        int width = child->width_;
        int height = child->height_;
        if ((child->anchors_ & akRight) != 0) {
            if ((child->anchors_ & akLeft) != 0) {
                width = clientWidth - left - child->rightGap_;
            } else {
                left = clientWidth - width - child->rightGap_;
            }
        }
        if ((child->anchors_ & akBottom) != 0) {
            if ((child->anchors_ & akTop) != 0) {
                height = clientHeight - top - child->bottomGap_;
            } else {
                top = clientHeight - height - child->bottomGap_;
            }
        }
        // No lower limit: a narrow parent lets the controls overlap.
        width = std::max(width, 0);
        height = std::max(height, 0);
        if (left == child->left_ && top == child->top_ && width == child->width_ &&
            height == child->height_) {
            continue;
        }
        child->left_ = left;
        child->top_ = top;
        child->width_ = width;
        child->height_ = height;
        if (child->handle_ != nullptr) {
            SetWindowPos(child->handle_, nullptr, left, top, width, height,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        }
    }
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled_.exchange(enabled) == enabled) {
        return;
    }
    if (handle_ != nullptr) {
        EnableWindow(handle_, enabled ? TRUE : FALSE);
        InvalidateRect(handle_, nullptr, TRUE);
    }
}

void TWinControl::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    visible_ = visible;
    if (handle_ != nullptr) {
        ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
    }
    if (!visible) {
        SetMouseInControl(false);
    }
    VisibleChanged();
}

void TWinControl::SetColor(TColor color) {
    if (color_ == color) {
        return;
    }
    color_ = color;
    Invalidate();
    for (TWinControl* child : controls_) {
        child->ParentColorChanged();
    }
}

std::string TWinControl::Text() const {
    if (handle_ == nullptr) {
        return text_;
    }
    int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    length = GetWindowTextA(handle_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
}

void TWinControl::SetText(const std::string& text) {
    if (text == Text()) {
        return;
    }
    text_ = text;
    if (handle_ == nullptr) {
        TextChanged();
        return;
    }
    // WM_SETTEXT reports the change.
    SetWindowTextA(handle_, text.c_str());
    Invalidate();
}

int TWinControl::TabOrder() const {
    if (parent_ == nullptr) {
        return -1;
    }
    const auto& siblings = parent_->controls_;
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (parent_ == nullptr) {
        return;
    }
    auto& siblings = parent_->controls_;
    std::erase(siblings, this);
    order = std::clamp(order, 0, static_cast<int>(siblings.size()));
    siblings.insert(siblings.begin() + order, this);
}

void TWinControl::SetTabStop(bool tabStop) {
    if (tabStop_ == tabStop) {
        return;
    }
    tabStop_ = tabStop;
    if (handle_ != nullptr) {
        LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
        style = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrA(handle_, GWL_STYLE, style);
    }
}

void TWinControl::SetShowHint(bool show) {
    showHint_ = show;
    parentShowHint_ = false;
}

void TWinControl::SetParentShowHint(bool parent) {
    parentShowHint_ = parent;
}

bool TWinControl::HintShown() const {
    if (parentShowHint_ && parent_ != nullptr) {
        return parent_->HintShown();
    }
    return showHint_;
}

std::string TWinControl::EffectiveHint() const {
    for (const TWinControl* control = this; control != nullptr; control = control->parent_) {
        if (!control->hint_.empty()) {
            return control->hint_;
        }
    }
    return {};
}

HFONT TWinControl::Font() {
    TForm* form = ParentForm();
    return form != nullptr ? form->FontHandle()
                           : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
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

void TWinControl::Invalidate() {
    if (handle_ != nullptr) {
        InvalidateRect(handle_, nullptr, TRUE);
    }
}

void TWinControl::RecreateWnd() {
    if (handle_ == nullptr) {
        return;
    }
    // The window holds the text, and the children's windows die with ours;
    // their objects stay and get new windows from CreateHandle.
    text_ = Text();
    const bool focused = Focused();
    DestroyWnd();
    RemoveHintTools();
    DetachWindow();
    CreateHandle();
    if (focused) {
        SetFocus();
    }
}

void TWinControl::RemoveHintTools() {
    TForm* form = ParentForm();
    if (form == nullptr || form == this) {
        return;
    }
    for (TWinControl* child : controls_) {
        child->RemoveHintTools();
    }
    form->ForgetControl(this);
}

void TWinControl::SetBiDiMode(TBiDiMode mode) {
    if (biDiMode_ == mode) {
        return;
    }
    biDiMode_ = mode;
    Invalidate();
}

UINT TWinControl::DrawTextBiDiModeFlags(UINT flags) const {
    if (UseRightToLeftAlignment()) {
        // DT_LEFT is 0: a flag without DT_RIGHT or DT_CENTER is left-aligned.
        if ((flags & DT_RIGHT) != 0) {
            flags &= ~static_cast<UINT>(DT_RIGHT);
        } else if ((flags & DT_CENTER) == 0) {
            flags |= DT_RIGHT;
        }
    }
    if (UseRightToLeftReading()) {
        flags |= DT_RTLREADING;
    }
    return flags;
}

TColor TWinControl::HintColor() {
    return parent_ != nullptr ? parent_->HintColor() : clInfoBk;
}

// --- TCustomControl

void TCustomControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.style |= WS_CLIPCHILDREN;
}

LRESULT TCustomControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // Paint covers every pixel; erasing would flicker
        case WM_PAINT: {
            PaintGuard paint(Handle());
            PaintBuffered(paint.Dc());
            return 0;
        }
        case WM_PRINTCLIENT: {
            TCanvas canvas(reinterpret_cast<HDC>(wParam));
            Paint(canvas);
            return 0;
        }
    }
    return TWinControl::WindowProc(msg, wParam, lParam);
}

void TCustomControl::PaintBuffered(HDC target) {
    const RECT client = ClientRect();
    if (client.right <= 0 || client.bottom <= 0) {
        return;
    }
    MemoryDc buffer(target);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    SelectGuard selected(buffer.Dc(), bitmap.Get());
    {
        TCanvas canvas(buffer.Dc());
        Paint(canvas);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, buffer.Dc(), 0, 0, SRCCOPY);
}
