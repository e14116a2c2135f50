// The real program, started and driven from outside as a user would: its
// window, its controls found by class and caption, the Browse dialogs, the
// buttons and the pictures of the screen.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/WindowDriver.h"

class ToolWindow {
public:
    static constexpr char kCaption[] = "Brivok Patch by Wendral version 1.01";

    // Starts the program at `exePath` (a Windows path) and finds its window
    // and controls; false when any is missing.
    bool Start(const std::string& exePath);

    // Alt+Down on the field, then the path typed into the Browse dialog.
    bool Browse(HWND field, const std::string& path);
    // Waits until the field shows `text`.
    bool FieldShows(HWND field, const std::string& text);
    // A left click in the middle of a button.
    void Click(HWND button);
    bool WaitEnabled(HWND control, bool enabled);
    // Waits until `control` has the focus; a failure names the one that has it.
    ::testing::AssertionResult HasFocus(HWND control);
    // Tab where the focus is, and the focus moved on to `next`.
    ::testing::AssertionResult TabTo(HWND next);
    // Every control where the main window's table scaled to `ppi` puts it,
    // with the window `wider` than the table by its anchors.
    void ExpectLayout(int ppi, int wider = 0) const;
    // The window's picture under build/screenshots/NAME.bmp.
    void Screenshot(const std::string& name, HWND window = nullptr);
    static std::string ScreenshotPath(const std::string& name);

    support::ChildProcess process;
    HWND window = nullptr;
    HWND oldBox = nullptr, diffBox = nullptr, newBox = nullptr;
    HWND oldField = nullptr, diffField = nullptr, newField = nullptr;
    HWND close = nullptr, patch = nullptr;
    HWND progress = nullptr;  // the bar between them, shown while a patch runs
};
