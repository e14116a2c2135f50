// The application object: title and icon, a window of its own that carries
// the task-bar button, the message loop with idle handling, and the report of
// errors that leave an event handler.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "rtl/Classes.h"

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    const char* ClassName() const override { return "TApplication"; }

    // Creates the application window; the start-up code calls it first.
    void Initialize();

    // Names the tool on the task bar; the caption of the error box.
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // The application window: it owns every form, so that the task bar shows
    // one button, the application's, with Title and the icon. It has no size
    // and shows only as that button (from Run on). WM_NULL wakes the main
    // thread here.
    HWND Handle() const { return handle_; }

    // The executable's MAINICON at the system's large or small icon size;
    // null without that resource. Forms show it in their title bar.
    HICON Icon(bool small) const { return small ? smallIcon_.get() : bigIcon_.get(); }

    // The main window: shown by Run, and closing it ends the loop.
    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND window) { mainWindow_ = window; }

    // Shows the main window in the show state the process was started with
    // (maximised for SW_SHOWMAXIMIZED, minimised for SW_SHOWMINNOACTIVE,
    // normal otherwise), the task-bar button with it, and dispatches messages
    // until Terminate; then hides the button.
    void Run();

    // Minimising hides the main window and minimises the application window,
    // so that the task-bar button stands for the tool; restoring (a click on
    // that button) shows the main window again.
    void Minimize();
    void Restore();

    // Handles every message waiting in the calling thread's queue, then
    // returns. Works on any thread, on that thread's own queue.
    void ProcessMessages();

    // Handles one message, or idles until one arrives.
    void HandleMessage();

    // Ends the message loop (posts WM_QUIT to the calling thread).
    void Terminate();
    bool Terminated() const { return terminated_; }

    // A message box over the active window (else the main window, else the
    // application's), modal over every window of the tool; each comes back
    // enabled or disabled as it was.
    int MessageBox(const std::string& text, const std::string& caption, UINT flags);

    // Shows the error box: message with the full-stop rule, Title as
    // caption, stop icon, OK.
    void ShowException(const std::exception& error);

    // For catch (...) blocks of window procedures and the loop: reports the
    // current exception. Exceptions must not unwind through system frames.
    void HandleException();

    // Lets a modeless keyboard interface (Tab between controls, default
    // keys) see a message before it is dispatched; true when handled.
    std::function<bool(MSG&)> OnPreTranslate;

    // Runs when the queue becomes idle, after pending main-thread requests.
    std::function<void()> OnIdle;

private:
    bool ProcessMessage(MSG& msg);
    void Idle();
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // The application window's messages; true when handled, with `result`.
    bool WindowMessage(UINT msg, WPARAM wParam, LRESULT& result);
    // WM_NULL: runs the queued main-thread requests.
    void OnWake();
    // WM_SYSCOMMAND; true when handled.
    bool OnSysCommand(WPARAM command);
    // Posts WM_CLOSE to the main window, which decides.
    void CloseMainWindow();
    void ActivateMainWindow();

    std::string title_;
    HWND handle_ = nullptr;      // owned: destroyed in the destructor
    HWND mainWindow_ = nullptr;  // borrowed from the main form
    struct IconDeleter {
        void operator()(HICON icon) const { DestroyIcon(icon); }
    };
    using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
    // WM_SETICON's: the window and the forms go in the destructor's body,
    // before these.
    OwnedIcon bigIcon_;
    OwnedIcon smallIcon_;
    bool terminated_ = false;
    // The main window was hidden by a minimise and comes back with a restore.
    bool mainWindowHidden_ = false;
};

// The one application object of the process.
extern TApplication* Application;
