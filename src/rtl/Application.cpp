#include "rtl/Application.h"

#include "rtl/Controls.h"
#include "rtl/Forms.h"
#include "rtl/Synchronize.h"
#include "rtl/SysUtils.h"

TApplication* Application = nullptr;

namespace {

constexpr char kAppWindowClass[] = "TApplication";

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
    if (dynamic_cast<TForm*>(TWinControl::FromHandle(root)) == nullptr) {
        return false;
    }
    return SendMessageA(root, notification, msg.wParam, msg.lParam) != 0;
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

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    BeginDestroy();
    SetWakeMainThread(nullptr);
    DestroyComponents();
    if (handle_ != nullptr) {
        DestroyWindow(handle_);
    }
}

void TApplication::Initialize() {
    if (handle_ != nullptr) {
        return;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TApplication::WndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kAppWindowClass;
    windowClass.hIcon = LoadIconA(instance, "MAINICON");
    RegisterClassA(&windowClass);
    // Never shown: it carries the title and receives the wake-up WM_NULL.
    handle_ = CreateWindowExA(0, kAppWindowClass, title_.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, instance, this);
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
        ShowWindow(mainWindow_, StartupShowCommand());
        UpdateWindow(mainWindow_);
    }
    while (!terminated_) {
        HandleMessage();
    }
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
    HWND owner = mainWindow_ != nullptr && IsWindowEnabled(mainWindow_) ? mainWindow_ : handle_;
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
        if (!(OnPreTranslate && OnPreTranslate(msg)) && !IsDialogKey(msg)) {
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
        if (OnIdle) {
            OnIdle();
        }
    } catch (...) {
        HandleException();
    }
    if (!terminated_) {
        WaitMessage();
    }
}

LRESULT CALLBACK TApplication::WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NULL) {
        // A worker queued a request and woke us.
        try {
            CheckSynchronize();
        } catch (...) {
            if (Application != nullptr) {
                Application->HandleException();
            }
        }
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
