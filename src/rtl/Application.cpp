#include "rtl/Application.h"

#include <vector>

#include "rtl/Controls.h"
#include "rtl/Synchronize.h"
#include "rtl/SysUtils.h"

TApplication* Application = nullptr;

namespace {

constexpr char kAppWindowClass[] = "TApplication";
// Posted to the application window: hand the activation on to the main window.
constexpr UINT kActivateMainWindow = WM_APP + 1;

// A picture of its own at each size (a shared one would be the size first
// asked for, scaled at every draw).
HICON LoadMainIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), 0));
}

// Tab, Enter and Escape go to the form of the focused control unless that
// control wants the key itself; so do characters that may be accelerators:
// every Alt+character, and a character that the control does not want.
bool IsDialogKey(MSG& msg) {
    if (msg.hwnd == nullptr) {
        return false;
    }
    UINT notification = 0;
    if (msg.message == WM_KEYDOWN &&
        (msg.wParam == VK_TAB || msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        notification = CM_DIALOGKEY;
    } else if ((msg.message == WM_CHAR || msg.message == WM_SYSCHAR) && msg.wParam >= ' ') {
        notification = CM_DIALOGCHAR;  // control characters are no accelerators
    } else {
        return false;
    }
    if (msg.message != WM_SYSCHAR) {
        const LRESULT code =
            SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
        LRESULT wants = DLGC_WANTALLKEYS | DLGC_WANTMESSAGE;
        if (msg.message == WM_CHAR) {
            wants |= DLGC_WANTCHARS;
        } else if (msg.wParam == VK_TAB) {
            wants |= DLGC_WANTTAB;
        }
        if ((code & wants) != 0) {
            return false;
        }
    }
    // Only our forms know the notifications.
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    TWinControl* target = TWinControl::FromHandle(root);
    if (target == nullptr || target->AsForm() == nullptr) {
        return false;
    }
    return SendMessageA(root, notification, msg.wParam, msg.lParam) != 0;
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM data) {
    // Shown ones, and our hidden forms (a minimised main window), which the
    // task-bar button could bring back.
    const bool ours = IsWindowVisible(window) || TWinControl::FromHandle(window) != nullptr;
    if (ours && IsWindowEnabled(window)) {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    }
    return TRUE;
}

// Disables the top-level windows of the calling thread but `owner`, which
// the modal box disables and enables itself, and enables them again at its
// end: the box is then modal over every window of the tool, whatever else
// is open (an Open dialog, another box), and they come back as they were.
class OtherWindowsDisabled {
public:
    explicit OtherWindowsDisabled(HWND owner) {
        EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow,
                          reinterpret_cast<LPARAM>(&windows_));
        std::erase(windows_, owner);
        for (HWND window : windows_) {
            EnableWindow(window, FALSE);
        }
    }
    OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
    OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;
    ~OtherWindowsDisabled() {
        for (HWND window : windows_) {
            if (IsWindow(window)) {
                EnableWindow(window, TRUE);
            }
        }
    }

private:
    std::vector<HWND> windows_;
};

bool Usable(HWND window) {
    return window != nullptr && IsWindowVisible(window) && IsWindowEnabled(window);
}

int StartupShowCommand() {
    STARTUPINFOA info{};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    if ((info.dwFlags & STARTF_USESHOWWINDOW) == 0) {
        return SW_SHOWNORMAL;
    }
    switch (info.wShowWindow) {
        case SW_SHOWMAXIMIZED:
            return SW_SHOWMAXIMIZED;
        case SW_SHOWMINNOACTIVE:
            return SW_SHOWMINNOACTIVE;
        default:
            return SW_SHOWNORMAL;
    }
}

}  // namespace

TApplication::TApplication() : TComponent(nullptr) {
    TWinControl::SetExceptionHandler([this] { HandleException(); });
}

TApplication::~TApplication() {
    BeginDestroy();
    SetWakeMainThread(nullptr);
    DestroyComponents();
    if (handle_ != nullptr) {
        DestroyWindow(handle_);
    }
    // Last: errors of the windows that went above are still reported.
    TWinControl::SetExceptionHandler(nullptr);
}

void TApplication::Initialize() {
    if (handle_ != nullptr) {
        return;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    bigIcon_.reset(LoadMainIcon(instance, SM_CXICON, SM_CYICON));
    smallIcon_.reset(LoadMainIcon(instance, SM_CXSMICON, SM_CYSMICON));
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TApplication::WndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kAppWindowClass;
    windowClass.hIcon = LoadIconA(instance, "MAINICON");  // shared: the system's to free
    RegisterClassA(&windowClass);
    // A captioned window of no size: what shows of it is the task-bar button,
    // with the title, the icon and a system menu to minimise, restore and
    // close the tool.
    handle_ = CreateWindowExA(0, kAppWindowClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                              0, 0, nullptr, nullptr, instance, this);
    if (handle_ == nullptr) {
        return;
    }
    SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon(false)));
    SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon(true)));
    HWND window = handle_;
    SetWakeMainThread([window] { PostMessageA(window, WM_NULL, 0, 0); });
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_ != nullptr) {
        SetWindowTextA(handle_, title_.c_str());
    }
}

void TApplication::Run() {
    if (mainWindow_ != nullptr) {
        const int show = StartupShowCommand();
        if (show == SW_SHOWMINNOACTIVE) {
            // Minimised is the button alone; a click on it shows the window.
            mainWindowHidden_ = true;
            ShowWindow(handle_, SW_SHOWMINNOACTIVE);
        } else {
            ShowWindow(handle_, SW_SHOWNOACTIVATE);
            ShowWindow(mainWindow_, show);
            UpdateWindow(mainWindow_);
        }
    }
    while (!terminated_) {
        HandleMessage();
    }
    // The tool is closing: its task-bar button goes now, also when the
    // destruction of its windows waits for a running job.
    if (handle_ != nullptr) {
        ShowWindow(handle_, SW_HIDE);
    }
}

void TApplication::Minimize() {
    if (handle_ == nullptr || IsIconic(handle_)) {
        return;
    }
    if (mainWindow_ != nullptr) {
        ShowWindow(mainWindow_, SW_HIDE);
        mainWindowHidden_ = true;
    }
    ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore() {
    if (handle_ == nullptr) {
        return;
    }
    // Cleared first: restoring the window below comes back here by WM_SIZE.
    mainWindowHidden_ = false;
    if (IsIconic(handle_)) {
        ShowWindow(handle_, SW_RESTORE);
    }
    if (mainWindow_ != nullptr) {
        ShowWindow(mainWindow_, SW_SHOW);
        ActivateMainWindow();
    }
}

void TApplication::ActivateMainWindow() {
    if (mainWindow_ == nullptr || !IsWindowVisible(mainWindow_)) {
        return;
    }
    // A modal box over the main window takes the activation in its place.
    HWND target = GetLastActivePopup(mainWindow_);
    if (target == nullptr || !IsWindowVisible(target) || !IsWindowEnabled(target)) {
        target = mainWindow_;
    }
    SetForegroundWindow(target);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) {
        Idle();
    }
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    // Over the window in use, which gets the activation back at the end;
    // else over the main window, hidden or not, unless a dialog holds it.
    HWND owner = GetActiveWindow();
    if (!Usable(owner)) {
        owner = mainWindow_ != nullptr && IsWindowEnabled(mainWindow_) ? mainWindow_ : handle_;
    }
    OtherWindowsDisabled others(owner);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::ShowException(const std::exception& error) {
    MessageBox(WithFullStop(error.what()), title_, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException() {
    try {
        throw;
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        MessageBox("Unknown error", title_, MB_OK | MB_ICONSTOP);
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (msg.message == WM_QUIT) {
        // WM_QUIT ends the loop only on the main thread; a worker's
        // ProcessMessages must not end the application.
        if (IsMainThread()) {
            terminated_ = true;
        }
        return true;
    }
    try {
        if (!CallEvent(OnPreTranslate, msg) && !IsDialogKey(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } catch (...) {
        HandleException();
    }
    return true;
}

void TApplication::Idle() {
    try {
        if (IsMainThread()) {
            CheckSynchronize();
        }
        CallEvent(OnIdle);
    } catch (...) {
        HandleException();
    }
    if (!terminated_) {
        WaitMessage();
    }
}

LRESULT CALLBACK TApplication::WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (application != nullptr && application->WindowMessage(msg, wParam, result)) {
        return result;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

bool TApplication::WindowMessage(UINT msg, WPARAM wParam, LRESULT& result) {
    result = 0;
    switch (msg) {
        case WM_NULL:
            OnWake();
            return true;
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam);
        case WM_CLOSE:
            // Never destroyed by a close: the main window decides.
            CloseMainWindow();
            return true;
        case WM_SETFOCUS:
            // Activated through its button: the main window takes over, once
            // the activation has settled.
            PostMessageA(handle_, kActivateMainWindow, 0, 0);
            return false;
        case WM_SIZE:
            // Restored without SC_RESTORE (a shell calling ShowWindow).
            if (wParam == SIZE_RESTORED && mainWindowHidden_) {
                Restore();
            }
            return false;
        case kActivateMainWindow:
            if (!IsIconic(handle_)) {
                ActivateMainWindow();
            }
            return true;
    }
    return false;
}

void TApplication::OnWake() {
    // A worker queued a request and woke us.
    try {
        CheckSynchronize();
    } catch (...) {
        HandleException();
    }
}

bool TApplication::OnSysCommand(WPARAM command) {
    // The task-bar button's commands stand for the main window.
    switch (command & 0xFFF0) {
        case SC_MINIMIZE:
            Minimize();
            return true;
        case SC_RESTORE:
            Restore();
            return true;
        case SC_CLOSE:
            CloseMainWindow();
            return true;
    }
    return false;
}

void TApplication::CloseMainWindow() {
    if (mainWindow_ != nullptr) {
        PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
    }
}
