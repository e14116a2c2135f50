// Driving real windows from a test: start a program, find its windows,
// read their places, answer its dialogs, wait with deadlines and capture
// pictures. Works across processes and across threads of one process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "rtl/Bitmap.h"
#include "rtl/WinHandles.h"

namespace support {

constexpr DWORD kDefaultTimeoutMs = 10000;

// Polls `condition` until it holds or the deadline passes; pumps the
// calling thread's messages between polls so that windows of this thread
// stay alive. True when it held.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs);

// A started program; terminated (exit code 1) if still running when the
// object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&&) = default;
    ~ChildProcess();

    // Starts `path` with `arguments` in `directory` (empty: ours), with the
    // show command `show` when it is not negative; false on failure.
    bool Start(const std::string& path, const std::string& arguments = "",
               const std::string& directory = "", int show = -1);
    DWORD Id() const { return id_; }
    HANDLE Process() const { return process_.Get(); }
    bool Running() const;
    // Waits for the end; the exit code, or STILL_ACTIVE at the deadline.
    DWORD WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs);
    void Terminate();

private:
    KernelHandle process_;
    DWORD id_ = 0;
};

// The first visible top-level window with this caption (and class, when
// given) of process `processId` (0: any), waiting until the deadline.
HWND FindTopLevel(const std::string& caption, const std::string& className = "",
                  DWORD processId = 0, DWORD timeoutMs = kDefaultTimeoutMs);

// A descendant of `parent` with this class (empty: any) and control id.
HWND FindChild(HWND parent, const std::string& className, int id);
// Every descendant of `parent` with this class, in the system's order.
std::vector<HWND> FindChildren(HWND parent, const std::string& className);

// The visible top-level windows of process `processId`.
std::vector<HWND> TopLevelWindows(DWORD processId);
// Those that the task bar shows a button for: without owner and no tool
// window (or marked as an application window).
std::vector<HWND> TaskBarWindows(DWORD processId);

std::string WindowText(HWND window);
std::string WindowClass(HWND window);

// The window's rectangle in the client coordinates of `reference`.
RECT RectIn(HWND window, HWND reference);
SIZE ClientSize(HWND window);

// The focused window of the thread that owns `window`.
HWND FocusOf(HWND window);

// The middle of `window` on the screen.
POINT CentreOf(HWND window);
// The left mouse button pressed (MOUSEEVENTF_LEFTDOWN) or released
// (MOUSEEVENTF_LEFTUP) as the user's, where the pointer is.
void MouseButton(DWORD flag);
// A left click of the user's at `screen`: it reaches whatever window is on
// the screen there, and only if that takes input.
void ClickAt(POINT screen);

// Posts a key press (down and up) to `window` as the keyboard would; with
// `alt` as a system key with the Alt context bit.
void PostKey(HWND window, WORD key, bool alt = false);

// Waits for the Open dialog captioned `title`, types `path` into its
// file-name box and presses OK. False when the dialog did not show or did
// not close.
bool ChooseInOpenDialog(const std::string& path, const std::string& title = "Browse",
                        DWORD processId = 0, DWORD timeoutMs = kDefaultTimeoutMs);

// A message box: the top-level dialog captioned `caption`; its text.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string text;
};
MessageBoxInfo WaitForMessageBox(const std::string& caption, DWORD processId = 0,
                                 DWORD timeoutMs = kDefaultTimeoutMs);
// Presses the box's button `id` (IDOK by default) and waits until it has gone.
bool AnswerMessageBox(HWND box, int id = IDOK, DWORD timeoutMs = kDefaultTimeoutMs);

// Whether the window answers messages (not hung) within a short time.
bool Responsive(HWND window);

// The window's pixels as shown on the screen (24 bits).
bool CaptureScreenOf(HWND window, TBitmap& picture);
// Writes the window's look to `path` as a .bmp; false on failure.
bool SaveScreenshot(HWND window, const std::string& path);

// A Unix path as Wine's Z: drive shows it.
std::string WindowsPathOfUnix(const std::string& unixPath);

}  // namespace support
