// The edit with a button at its right end, and the file-name field built on
// it: the text is a path, the button (or Alt+Down) opens the Open dialog,
// and with DirectInput off nothing can be typed, cut, pasted or deleted.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

#include "rtl/Controls.h"
#include "rtl/Dialogs.h"
#include "rtl/StdCtrls.h"

// The button inside the edit. It never takes the focus: a press focuses the
// edit instead, and the click comes when the mouse is released over it.
class TJvEditButton : public TCustomControl {
public:
    explicit TJvEditButton(TComponent* owner);
    const char* ClassName() const override { return "TJvEditButton"; }

    std::function<void()> OnPress;  // left button went down on it

    bool Down() const { return down_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(TCanvas& canvas) override;

private:
    void SetDown(bool down);
    void PaintGlyph(TCanvas& canvas, const RECT& face);

    bool pressed_ = false;  // the left button went down here and is held
    bool down_ = false;     // drawn pushed in: pressed and over the button
};

class TJvCustomComboEdit : public TCustomEdit {
public:
    explicit TJvCustomComboEdit(TComponent* owner);
    ~TJvCustomComboEdit() override;
    const char* ClassName() const override { return "TJvCustomComboEdit"; }

    // Off: typing, cut, paste, delete and undo are refused; selecting,
    // copying and the button still work.
    bool DirectInput() const { return directInput_; }
    void SetDirectInput(bool directInput);
    // On: the button and its key do nothing either.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // Shortcut that presses the button: key code plus 0x2000 Shift, 0x4000
    // Ctrl, 0x8000 Alt. Alt+Down by default.
    WORD ClickKey() const { return clickKey_; }
    void SetClickKey(WORD key) { clickKey_ = key; }

    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);
    TJvEditButton* Button() const { return button_; }

    TNotifyEvent OnButtonClick;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The button's action; a descendant opens its dialog here.
    virtual void ShowDropDown(bool /*lockEdit*/) {}
    void HandleButtonClick();
    void DoButtonClick();

private:
    bool EditingRefused() const { return readOnly_ || !directInput_; }
    bool HandleKeyDown(UINT msg, WPARAM key, LPARAM flags);
    bool HandleChar(WPARAM key);
    void LayoutButton();
    void UpdateTextRect();

    TJvEditButton* button_;  // owned as a component, a child window of ours
    bool directInput_ = true;
    bool readOnly_ = false;
    WORD clickKey_ = 0x8028;
    int buttonWidth_ = 21;
};

// Open-dialog hook: the control, the name (in-out) and whether to go on.
using TExecOpenDialogEvent = std::function<void(TObject* Sender, std::string& Name, bool& Action)>;

class TJvFileDirEdit : public TJvCustomComboEdit {
public:
    explicit TJvFileDirEdit(TComponent* owner);
    const char* ClassName() const override { return "TJvFileDirEdit"; }

    bool AcceptFiles() const { return acceptFiles_; }
    void SetAcceptFiles(bool accept);

    TExecOpenDialogEvent OnBeforeDialog;
    TExecOpenDialogEvent OnAfterDialog;
    TNotifyEvent OnDropFiles;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A text with a line break is cut before it; the change is reported
    // once, for the final text.
    void Change() override;

    virtual void AcceptDroppedName(const std::string& name) = 0;
    virtual void ClearDialogFiles() {}
    // Whether a drop takes every name or only the first.
    virtual bool MultiSelect() const { return false; }

private:
    void DropFiles(HDROP drop);

    bool acceptFiles_ = true;
};

class TJvFilenameEdit : public TJvFileDirEdit {
public:
    explicit TJvFilenameEdit(TComponent* owner);
    const char* ClassName() const override { return "TJvFilenameEdit"; }

    // The path without enclosing quotes; empty for an empty field.
    std::string FileName() const;
    // Raises EComboEditError for a name with / < > " ? * |, changing
    // nothing; otherwise shows the name, quoted when it holds a blank.
    void SetFileName(const std::string& value);

    bool AddQuotes() const { return addQuotes_; }
    void SetAddQuotes(bool addQuotes) { addQuotes_ = addQuotes; }

    // Settings of the owned dialog.
    const std::string& Filter() const { return dialog_->Filter; }
    void SetFilter(const std::string& filter) { dialog_->Filter = filter; }
    int FilterIndex() const { return dialog_->FilterIndex; }
    void SetFilterIndex(int index) { dialog_->FilterIndex = index; }
    const std::string& InitialDir() const { return dialog_->InitialDir; }
    void SetInitialDir(const std::string& dir) { dialog_->InitialDir = dir; }
    const std::string& DialogTitle() const { return dialog_->Title; }
    void SetDialogTitle(const std::string& title) { dialog_->Title = title; }
    const std::string& DefaultExt() const { return dialog_->DefaultExt; }
    void SetDefaultExt(const std::string& ext) { dialog_->DefaultExt = ext; }
    TOpenOptions DialogOptions() const { return dialog_->Options; }
    void SetDialogOptions(TOpenOptions options);
    TOpenDialog* Dialog() const { return dialog_; }

protected:
    void ShowDropDown(bool lockEdit) override;
    void AcceptDroppedName(const std::string& name) override;
    void ClearDialogFiles() override;

private:
    bool MultiSelect() const override { return (dialog_->Options & ofAllowMultiSelect) != 0; }
    bool RunDialog();

    TOpenDialog* dialog_;  // owned as a component
    bool addQuotes_ = true;
};
