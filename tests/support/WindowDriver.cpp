#include "support/WindowDriver.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "rtl/Graphics.h"

namespace support {

namespace {

constexpr DWORD kPollMs = 10;
constexpr int kFileNameBoxId = 0x47C;   // the Open dialog's file-name combo box
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box

BOOL CALLBACK Collect(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

}  // namespace

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        PumpMessages();
        // Wakes for our own messages at once, else polls again shortly.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
}

ChildProcess::~ChildProcess() {
    Terminate();
}

bool ChildProcess::Start(const std::string& path, const std::string& arguments,
                         const std::string& directory, int show) {
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (show >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(show);
    }
    PROCESS_INFORMATION info{};
    // Detached: a console program killed while attached to our console would
    // leave Wine's console host holding the test runner's output pipe.
    // Window programs have no console either way.
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, directory.empty() ? nullptr : directory.c_str(), &startup,
                        &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    id_ = info.dwProcessId;
    WaitForInputIdle(info.hProcess, kDefaultTimeoutMs);
    return true;
}

bool ChildProcess::Running() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_) {
        return 0;
    }
    if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
}

void ChildProcess::Terminate() {
    if (Running()) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), kDefaultTimeoutMs);
    }
}

HWND FindTopLevel(const std::string& caption, const std::string& className, DWORD processId,
                  DWORD timeoutMs) {
    HWND found = nullptr;
    const bool shown = WaitFor(
        [&] {
            for (HWND window : TopLevelWindows(processId)) {
                if (WindowText(window) == caption &&
                    (className.empty() || WindowClass(window) == className)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return shown ? found : nullptr;
}

HWND FindChild(HWND parent, const std::string& className, int id) {
    for (HWND child : FindChildren(parent, className)) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}

HWND WaitForChild(HWND parent, const std::string& className, int id, DWORD timeoutMs) {
    HWND child = nullptr;
    const bool found =
        WaitFor([&] { return (child = FindChild(parent, className, id)) != nullptr; }, timeoutMs);
    return found ? child : nullptr;
}

std::vector<HWND> FindChildren(HWND parent, const std::string& className) {
    std::vector<HWND> children;
    EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&children));
    std::erase_if(children, [&](HWND child) {
        return !className.empty() && WindowClass(child) != className;
    });
    return children;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
    std::vector<HWND> windows;
    EnumWindows(&Collect, reinterpret_cast<LPARAM>(&windows));
    std::erase_if(windows, [&](HWND window) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        return !IsWindowVisible(window) || (processId != 0 && process != processId);
    });
    return windows;
}

std::vector<HWND> TaskBarWindows(DWORD processId) {
    std::vector<HWND> windows = TopLevelWindows(processId);
    std::erase_if(windows, [](HWND window) {
        const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
        return (exStyle & WS_EX_APPWINDOW) == 0 &&
               (GetWindow(window, GW_OWNER) != nullptr || (exStyle & WS_EX_TOOLWINDOW) != 0);
    });
    return windows;
}

std::string WindowText(HWND window) {
    // WM_GETTEXT reaches windows of other processes, unlike GetWindowText
    // for controls; with a time limit so that a hung window cannot stop us.
    char text[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

std::string ShownTooltip(DWORD processId) {
    for (HWND window : TopLevelWindows(processId)) {
        if (WindowClass(window) == TOOLTIPS_CLASSA) {
            return WindowText(window);  // a tooltip answers WM_GETTEXT with the tip it shows
        }
    }
    return "";
}

std::string WindowClass(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

RECT RectIn(HWND window, HWND reference) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

POINT CentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void PointerTo(HWND window) {
    const POINT centre = CentreOf(window);
    SetCursorPos(centre.x, centre.y);
}

void MouseButton(DWORD flag) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    SendInput(1, &input, sizeof input);
}

void ClickAt(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

void PostKey(HWND window, WORD key, bool alt) {
    const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (alt ? (1L << 29) : 0);
    const LPARAM up = down | (1L << 30) | (1L << 31);
    PostMessageA(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down);
    PostMessageA(window, alt ? WM_SYSKEYUP : WM_KEYUP, key, up);
}

bool ChooseInOpenDialog(const std::string& path, const std::string& title, DWORD processId,
                        DWORD timeoutMs) {
    HWND dialog = FindTopLevel(title, "#32770", processId, timeoutMs);
    if (dialog == nullptr) {
        return false;
    }
    // The box may appear a moment after the dialog's frame.
    HWND nameBox = WaitForChild(dialog, "ComboBoxEx32", kFileNameBoxId, timeoutMs);
    HWND ok = FindChild(dialog, "", IDOK);
    if (nameBox == nullptr || ok == nullptr) {
        return false;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                        SMTO_ABORTIFHUNG, timeoutMs, &result);
    // The dialog may still be setting itself up and drop an early OK; press
    // again until it closes or the deadline passes.
    auto closed = [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); };
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(ok));
        if (WaitFor(closed, 1500)) {
            return true;
        }
    }
    return closed();
}

MessageBoxInfo WaitForMessageBox(const std::string& caption, DWORD processId, DWORD timeoutMs) {
    MessageBoxInfo info;
    info.window = FindTopLevel(caption, "#32770", processId, timeoutMs);
    if (info.window != nullptr) {
        if (HWND text = FindChild(info.window, "Static", kMessageTextId)) {
            info.text = WindowText(text);
        }
        info.owner = GetWindow(info.window, GW_OWNER);
    }
    return info;
}

bool AnswerMessageBox(HWND box, int id, DWORD timeoutMs) {
    HWND button = FindChild(box, "", id);
    if (button == nullptr) {
        return false;
    }
    PostMessageA(button, BM_CLICK, 0, 0);
    return WaitFor([&] { return !IsWindow(box); }, timeoutMs);
}

MessageBoxAnswerer::MessageBoxAnswerer(std::string caption, std::function<void()> whileOpen,
                                       DWORD timeoutMs)
    : caption_(std::move(caption)),
      whileOpen_(std::move(whileOpen)),
      watcher_([this, timeoutMs] { Watch(timeoutMs); }) {}

const MessageBoxInfo& MessageBoxAnswerer::Join() {
    stop_ = true;
    if (watcher_.joinable()) {
        watcher_.join();
    }
    return box_;
}

void MessageBoxAnswerer::Watch(DWORD timeoutMs) {
    // One look per poll (no wait of its own), so that Join ends it soon.
    const bool ended = WaitFor(
        [&] {
            box_ = WaitForMessageBox(caption_, GetCurrentProcessId(), 0);
            return box_.window != nullptr || stop_;
        },
        timeoutMs);
    if (ended && box_.window != nullptr) {
        if (whileOpen_) {
            whileOpen_();
        }
        AnswerMessageBox(box_.window);
    }
}

bool Responsive(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
}

namespace {

// The pixels of `window`'s rectangle in `source`: a DC of the screen, or
// of the window itself.
bool CopyWindowPixels(HWND window, HDC source, bool ofWindow, TBitmap& picture) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    picture.SetSize(rect.right - rect.left, rect.bottom - rect.top);
    const POINT from = ofWindow ? POINT{0, 0} : POINT{rect.left, rect.top};
    return !picture.Empty() && BitBlt(picture.Dc(), 0, 0, picture.Width(), picture.Height(), source,
                                      from.x, from.y, SRCCOPY) != FALSE;
}

}  // namespace

bool CaptureScreenOf(HWND window, TBitmap& picture) {
    const WindowDc screen(nullptr);
    return CopyWindowPixels(window, screen.Dc(), false, picture);
}

bool CaptureScreenWhen(HWND window, TBitmap& picture,
                       const std::function<bool(const TBitmap&)>& shows) {
    return WaitFor([&] { return CaptureScreenOf(window, picture) && shows(picture); });
}

bool CaptureWindowOf(HWND window, TBitmap& picture) {
    const WholeWindowDc drawn(window);
    return CopyWindowPixels(window, drawn.Dc(), true, picture);
}

bool SaveScreenshot(HWND window, const std::string& path) {
    TBitmap picture;
    return CaptureScreenOf(window, picture) && picture.SaveToFile(path);
}

std::string WindowsPathOfUnix(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

}  // namespace support
