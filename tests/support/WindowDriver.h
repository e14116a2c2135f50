// Driving real windows from a test: start a program, find its windows,
// read their places, answer its dialogs, wait with deadlines and capture
// pictures. Works across processes and across threads of one process.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "rtl/Bitmap.h"
#include "rtl/WinHandles.h"

namespace support {

constexpr DWORD kDefaultTimeoutMs = 10000;

// Handles what is waiting in the calling thread's queue.
void PumpMessages();

// Polls `condition` until it holds or the deadline passes; pumps the
// calling thread's messages between polls so that windows of this thread
// stay alive. True when it held.
[[nodiscard]] bool WaitFor(const std::function<bool()>& condition,
                           DWORD timeoutMs = kDefaultTimeoutMs);

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
// The same, waiting until it shows up or the deadline passes (then null).
HWND WaitForChild(HWND parent, const std::string& className, int id,
                  DWORD timeoutMs = kDefaultTimeoutMs);
// Every descendant of `parent` with this class, in the system's order.
std::vector<HWND> FindChildren(HWND parent, const std::string& className);

// The visible top-level windows of process `processId` (0: any), in the
// system's order.
std::vector<HWND> TopLevelWindows(DWORD processId);
// Those that the task bar shows a button for: without owner and no tool
// window (or marked as an application window).
std::vector<HWND> TaskBarWindows(DWORD processId);

std::string WindowText(HWND window);
std::string WindowClass(HWND window);

// The text of the tooltip that process `processId` shows; empty when none.
std::string ShownTooltip(DWORD processId);

// The window's rectangle in the client coordinates of `reference`.
RECT RectIn(HWND window, HWND reference);
SIZE ClientSize(HWND window);

// The focused window of the thread that owns `window`.
HWND FocusOf(HWND window);

// The middle of `window` on the screen.
POINT CentreOf(HWND window);
// The pointer put on the middle of `window`.
void PointerTo(HWND window);
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

// A message box: the top-level dialog captioned `caption`; its text and
// owner.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string text;
    HWND owner = nullptr;
};
MessageBoxInfo WaitForMessageBox(const std::string& caption, DWORD processId = 0,
                                 DWORD timeoutMs = kDefaultTimeoutMs);
// Presses the box's button `id` (IDOK by default) and waits until it has gone.
bool AnswerMessageBox(HWND box, int id = IDOK, DWORD timeoutMs = kDefaultTimeoutMs);

// Runs `work` on a thread of its own: what must happen while this thread
// sits in a modal loop (a dialog, a message box). Join gives its result.
template <typename Result>
class OnThread {
public:
    explicit OnThread(std::function<Result()> work)
        : thread_([this, work = std::move(work)] { result_ = work(); }) {}
    OnThread(const OnThread&) = delete;
    OnThread& operator=(const OnThread&) = delete;
    ~OnThread() { Join(); }

    const Result& Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return result_;
    }

private:
    Result result_{};
    std::thread thread_;  // last: it starts once the rest is there
};

// Watches on a thread of its own for the message box of this process
// captioned `caption`, reads it, runs `whileOpen` and presses OK: for the
// box that the test's own thread, or a worker, shows meanwhile.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(std::string caption, std::function<void()> whileOpen = nullptr,
                                DWORD timeoutMs = kDefaultTimeoutMs);
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    ~MessageBoxAnswerer() { Join(); }

    // Stops watching and gives the box that showed (its window is gone by
    // then); a null window when none did.
    const MessageBoxInfo& Join();

private:
    void Watch(DWORD timeoutMs);

    std::string caption_;
    std::function<void()> whileOpen_;
    std::atomic<bool> stop_{false};
    MessageBoxInfo box_;
    std::thread watcher_;  // last: it starts once the rest is there
};

// Whether the window answers messages (not hung) within a short time.
bool Responsive(HWND window);

// The window's pixels as shown on the screen (24 bits).
bool CaptureScreenOf(HWND window, TBitmap& picture);
// Captures the window's place on the screen until `shows` holds for the
// picture or the deadline passes, for Wine shows what a window draws only a
// moment later; the last capture stays in `picture` for the checks after.
[[nodiscard]] bool CaptureScreenWhen(HWND window, TBitmap& picture,
                                     const std::function<bool(const TBitmap&)>& shows);
// The window's pixels, frame included, as it has drawn them: read from the
// window itself, for Wine shows what a window draws on the screen only a
// moment later.
bool CaptureWindowOf(HWND window, TBitmap& picture);
// Writes the window's look to `path` as a .bmp; false on failure.
bool SaveScreenshot(HWND window, const std::string& path);

// A Unix path as Wine's Z: drive shows it.
std::string WindowsPathOfUnix(const std::string& unixPath);

}  // namespace support
