// Program entry: the application, its title, the main window, the loop.
#include <windows.h>

#include "app/PatchMainForm.h"
#include "rtl/Application.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    Application = new TApplication;
    Application->Initialize();
    Application->SetTitle("Brivok Patch");
    try {
        MainForm = new TMainForm(Application);
    } catch (...) {
        Application->HandleException();
    }
    if (MainForm != nullptr) {
        Application->Run();
    }
    // Destroys the main window and, with it, every control and component.
    delete Application;
    Application = nullptr;
    return 0;
}
