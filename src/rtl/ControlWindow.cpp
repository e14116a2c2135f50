// The window of a control: its class, its creation and destruction, the
// link from window to object and the dispatch of messages.
#include "rtl/Controls.h"

#include <algorithm>
#include <utility>

#include "rtl/WinHandles.h"

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

// What OnMouseMessage takes: the buttons and moves over the client area, the
// pointer leaving it, and the mouse capture going elsewhere.
bool IsMouseMessage(UINT msg) {
    return (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK) || msg == WM_MOUSELEAVE ||
           msg == WM_CAPTURECHANGED;
}

// The handler that the application hands in; window procedures of any
// thread read it.
struct ExceptionHandlerSlot {
    CriticalSection lock;
    std::function<void()> handler;
};

ExceptionHandlerSlot& ExceptionHandler() {
    static ExceptionHandlerSlot slot;
    return slot;
}

void HandleDispatchException() {
    ExceptionHandlerSlot& slot = ExceptionHandler();
    std::function<void()> handler;
    {
        CriticalSection::Guard guard(slot.lock);
        handler = slot.handler;
    }
    if (handler) {
        handler();
    }
}

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TComponent(owner) {}

TWinControl::~TWinControl() {
    BeginDestroy();
    // Order: the form forgets our windows (hints, focus), children forget us
    // as parent (they may outlive us as components), we leave our parent,
    // then the window goes.
    ReportWindowsGone();
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

void TWinControl::CreateParams(TCreateParams& params) {
    params.className = ClassName();
}

void TWinControl::CreateHandle() {
    if (handle_ != nullptr) {
        return;
    }
    TCreateParams params;
    CreateParams(params);
    params.style = StateStyle(params.style);
    HWND parentWindow = parent_ != nullptr ? parent_->handle_ : nullptr;
    const bool created = params.stockClass ? CreateStockWindow(params, parentWindow)
                                           : CreateOwnWindow(params, parentWindow);
    if (!created) {
        return;
    }
    Outermost()->ControlCreated(this);
    ReadBoundsFromWindow();
    CreateWnd();
    for (TWinControl* child : controls_) {
        child->CreateHandle();
    }
}

DWORD TWinControl::StateStyle(DWORD style) const {
    if (parent_ == nullptr) {
        style &= ~WS_CHILD;
    }
    if (visible_) {
        style |= WS_VISIBLE;
    }
    if (!enabled_) {
        style |= WS_DISABLED;
    }
    if (tabStop_) {
        style |= WS_TABSTOP;
    }
    return style;
}

bool TWinControl::CreateStockWindow(const TCreateParams& params, HWND parentWindow) {
    HWND window = CreateWindowExA(params.exStyle, params.className.c_str(), text_.c_str(),
                                  params.style, left_, top_, width_, height_, parentWindow, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        return false;
    }
    handle_ = window;
    SetPropA(window, kControlProp, this);
    stockProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StockTrampoline)));
    SetPropA(window, kStockProcProp, reinterpret_cast<HANDLE>(stockProc_));
    return true;
}

bool TWinControl::CreateOwnWindow(const TCreateParams& params, HWND parentWindow) {
    RegisterOwnClass(params.className, params.classStyle, &TWinControl::WndProcTrampoline);
    // WM_NCCREATE links the window to this object (handle_ is set there).
    CreateWindowExA(params.exStyle, params.className.c_str(), text_.c_str(), params.style, left_,
                    top_, width_, height_, parentWindow, nullptr, GetModuleHandleA(nullptr), this);
    return handle_ != nullptr;
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
        HandleDispatchException();
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

LRESULT TWinControl::OnChildMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                child->OnCommand(HIWORD(wParam));
                return 0;
            }
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (TWinControl* child = FromHandle(header->hwndFrom)) {
                return child->OnNotify(header);
            }
            break;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                if (HBRUSH brush = child->OnCtlColor(reinterpret_cast<HDC>(wParam))) {
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            break;
    }
    return CallDefault(msg, wParam, lParam);
}

LRESULT TWinControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsMouseMessage(msg)) {
        OnMouseMessage(msg, wParam, lParam);
        return CallDefault(msg, wParam, lParam);
    }
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
            return OnKeyMessage(msg, wParam, lParam);
        case WM_CHAR:
            return OnCharMessage(wParam, lParam);
        case WM_SETTEXT:
            return OnSetText(wParam, lParam);
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnChildMessage(msg, wParam, lParam);
        case WM_SIZE:
            OnSize(wParam);
            break;
        case WM_MOVE:
            ReadBoundsFromWindow();
            break;
        case WM_ENABLE:
            OnEnable(wParam != FALSE);
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            OnFocusMessage(msg == WM_SETFOCUS);
            break;
    }
    return CallDefault(msg, wParam, lParam);
}

LRESULT TWinControl::OnSetText(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallDefault(WM_SETTEXT, wParam, lParam);
    text_ = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
    TextChanged();
    return result;
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
    ReportWindowsGone();
    DetachWindow();
    CreateHandle();
    if (focused) {
        SetFocus();
    }
}

void TWinControl::ReportWindowsGone() {
    TWinControl* outermost = Outermost();
    if (outermost == this) {
        return;
    }
    for (TWinControl* child : controls_) {
        child->ReportWindowsGone();
    }
    outermost->ControlGone(this);
}

void TWinControl::SetExceptionHandler(std::function<void()> handler) {
    ExceptionHandlerSlot& slot = ExceptionHandler();
    CriticalSection::Guard guard(slot.lock);
    slot.handler = std::move(handler);
}
