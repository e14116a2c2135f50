// The edit with a button at its right end, and the file-name field built on
// it: the text is a path, the button (or Alt+Down) opens the Open dialog,
// and with DirectInput off nothing can be typed, cut, pasted or deleted.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/ComApartment.h"
#include "rtl/ComPtr.h"
#include "rtl/Controls.h"
#include "rtl/Dialogs.h"
#include "rtl/ImgList.h"
#include "rtl/StdCtrls.h"
#include "widgets/JvAutoComplete.h"
#include "widgets/JvAutoCompleteOptions.h"
#include "widgets/JvComboEditGeometry.h"
#include "widgets/JvSpeedButton.h"

class TJvCustomComboEdit;

// What the button shows.
enum class TJvImageKind { ikCustom, ikDefault, ikDropDown, ikEllipsis };

// The editing commands a combo edit lets through.
enum TClipboardCommand : unsigned {
    caCopy = 1,
    caCut = 2,
    caPaste = 4,
    caClear = 8,
    caUndo = 16,
};
using TJvClipboardCommands = unsigned;

enum class TBorderStyle { bsNone, bsSingle };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// A shortcut as ClickKey holds it: the key code plus these modifier bits.
constexpr WORD kShortCutShift = 0x2000;
constexpr WORD kShortCutCtrl = 0x4000;
constexpr WORD kShortCutAlt = 0x8000;
// Alt+Down (0x8028), the default ClickKey.
constexpr WORD kAltDownShortCut = kShortCutAlt | VK_DOWN;

// The button inside the edit. It never takes the focus: a press focuses the
// edit instead, and the click comes when the mouse is released over it.
class TJvEditButton : public TJvImageSpeedButton {
public:
    explicit TJvEditButton(TJvCustomComboEdit* edit);
    const char* ClassName() const override { return "TJvEditButton"; }

    // Draws the theme's combo-box drop-down button over the whole button.
    bool DrawThemedDropDown() const { return drawThemedDropDown_; }
    void SetDrawThemedDropDown(bool value);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Paint(TCanvas& canvas) override;

private:
    TJvCustomComboEdit* edit_;  // the owner
    bool drawThemedDropDown_ = false;
};

// The child window that hosts the button; it shows the edit's colour where
// the button leaves room.
class TJvButtonHolder : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    const char* ClassName() const override { return "TJvButtonHolder"; }

protected:
    void Paint(TCanvas& canvas) override;
};

// The base is listed first so that the apartment outlives the edit's window.
class TJvCustomComboEdit : private ComApartment, public TCustomEdit {
public:
    explicit TJvCustomComboEdit(TComponent* owner);
    ~TJvCustomComboEdit() override;
    const char* ClassName() const override { return "TJvCustomComboEdit"; }

    // Off: the window is read-only (nothing is typed, cut, pasted or
    // deleted by hand) while the button still works; the colours stay.
    bool DirectInput() const { return directInput_; }
    void SetDirectInput(bool directInput);
    // On: the window is read-only and the button does nothing either.
    virtual bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool readOnly);

    // Shortcut that presses the button; Alt+Down by default.
    WORD ClickKey() const { return clickKey_; }
    void SetClickKey(WORD key) { clickKey_ = key; }

    // The button's width, or the kept one while it is hidden. Below 2 hides
    // it and keeps the old width; a width that does not fit is not taken.
    int ButtonWidth() const;
    void SetButtonWidth(int width);
    int SavedButtonWidth() const { return savedButtonWidth_; }
    bool ShowButton() const;
    void SetShowButton(bool show);
    const std::string& ButtonHint() const { return button_->Hint(); }
    void SetButtonHint(const std::string& hint) { button_->SetHint(hint); }
    bool ButtonFlat() const { return button_->Flat(); }
    void SetButtonFlat(bool flat);

    TJvImageKind ImageKind() const { return imageKind_; }
    void SetImageKind(TJvImageKind kind);
    // The button's own bitmap; writing it makes the kind ikCustom.
    const TBitmap& Glyph() const { return button_->Glyph(); }
    void SetGlyph(HBITMAP bitmap);
    int NumGlyphs() const;
    void SetNumGlyphs(int count);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* images);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);

    // Edits with the same index (not -1) and the same owner empty each
    // other: a key, a paste or setting the index clears the others.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);

    // A plain one-pixel border instead of the three-dimensional one.
    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

    TColor DisabledColor() const { return disabledColor_; }
    virtual void SetDisabledColor(TColor color);
    TColor DisabledTextColor() const { return disabledTextColor_; }
    virtual void SetDisabledTextColor(TColor color);

    // Which of copy, cut, paste, clear and undo are let through. While
    // ReadOnly, anything beyond copy is reduced to copy.
    TJvClipboardCommands ClipboardCommands() const { return clipboardCommands_; }
    void SetClipboardCommands(TJvClipboardCommands commands);

    // The shell's auto-completion: binds it when the set becomes non-empty.
    TJvAutoCompleteOptions AutoCompleteOptions() const { return autoCompleteOptions_; }
    void SetAutoCompleteOptions(TJvAutoCompleteOptions options);
    // What the base's string source offers.
    TAutoCompleteItems& AutoCompleteItems() { return *autoCompleteItems_; }
    // How the shell's objects are made: CoCreateInstance unless set.
    TShellObjectFactory ShellObjectFactory;
    // The auto-completion object while it is bound; null otherwise.
    IUnknown* AutoCompleteObject() const { return autoComplete_.Get(); }

    // Selects the text on entry (not by a mouse press) while typing is allowed.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }

    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    TJvEditButton* Button() const { return button_; }
    TWinControl* ButtonHolder() const { return holder_; }

    // Before the button's action.
    TNotifyEvent OnButtonClick;

    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;

    // The button's click: its action unless ReadOnly.
    void HandleButtonClick();

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnCtlColor(HDC dc) override;
    void EnabledChanged() override;
    void SysColorChanged() override;
    void Notification(TComponent* component, TOperation operation) override;
    // The holder and the button scale as children, the kept width of a
    // hidden button with them; the holder then goes where the layout puts
    // it at the edit's new size.
    void ChangeScale(int newPPI, int oldPPI) override;

    // Lays the text rectangle out again after a change of the border.
    virtual void BorderChanged();
    // After every re-lay-out; empty here.
    virtual void UpdateControls() {}
    // Widens the right text margin by the button's holder and a gap.
    virtual void InternalMargins(int& left, int& right);
    virtual void AttachAutoComplete();
    virtual void ApplyAutoCompleteOptions();
    // The source handed to the auto-completion object (a new reference).
    virtual ComPtr<IUnknown> CreateAutoCompleteSource();
    // The button's action; a descendant opens its dialog here.
    virtual void ShowDropDown(bool /*lockEdit*/) {}
    // The picture of ikDefault in SharedGlyphList; none here.
    virtual int DefaultGlyphIndex() { return -1; }
    // The process-wide list of 14 x 12 pictures that ikDefault shows from.
    virtual TCustomImageList* SharedGlyphList();

    void DoButtonClick();
    void ClearGroupPeers();
    void UpdateTextRect();
    void EnsureMinHeight();
    // Gives the button the list and picture of the image kind.
    void ApplyImageKindImages();
    // The button's picture for ikDropDown and ikEllipsis, and its repaint.
    void RefreshButtonImage();
    // Makes a shell object through ShellObjectFactory.
    HRESULT MakeShellObject(const CLSID& classId, const IID& interfaceId, void** object) const;

private:
    EditFrame Frame() const;
    bool ThemedBorder() const;
    int FontHeight() const;
    void LayoutButtonHolder();
    void AdjustSize();
    void ShowOwnCaret();
    void PaintDisabled();
    // The theme's one-pixel border where ThemedBorder holds; false otherwise
    // or when the edit has no theme data: the usual border then.
    bool PaintThemedBorder();
    void UpdateWindowReadOnly();

    // The messages WindowProc hands on. Those that return bool tell whether
    // they took the message; otherwise the stock edit's handling runs.
    LRESULT OnClipboardCommand(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM key);
    void OnNcCalcSize(RECT& proposed);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    bool OnEraseBkgnd(HDC dc);
    bool OnPaint();

    TJvButtonHolder* holder_;  // owned as a component, a child window of ours
    TJvEditButton* button_;    // owned as a component, a child window of the holder
    bool creating_ = true;     // inside the constructor
    bool directInput_ = true;
    bool readOnly_ = false;
    WORD clickKey_ = kAltDownShortCut;
    TColor disabledColor_ = clWindow;
    TColor disabledTextColor_ = clGrayText;
    int groupIndex_ = -1;
    TJvImageKind imageKind_ = TJvImageKind::ikCustom;
    TCustomImageList* images_ = nullptr;  // borrowed, watched
    int imageIndex_ = -1;
    int numGlyphs_ = 1;
    std::shared_ptr<TAutoCompleteItems> autoCompleteItems_;
    TJvAutoCompleteOptions autoCompleteOptions_ = 0;
    int savedButtonWidth_ = 0;
    bool focused_ = false;
    bool flat_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TJvClipboardCommands clipboardCommands_ = caCopy | caCut | caPaste | caClear | caUndo;
    bool autoSelect_ = true;
    int helpContext_ = 0;
    ComPtr<IUnknown> autoComplete_;
    ComPtr<IUnknown> autoCompleteSource_;
};

// Open-dialog hook: the control, the name (in-out) and whether to go on.
using TExecOpenDialogEvent = std::function<void(TObject* Sender, std::string& Name, bool& Action)>;

class TJvFileDirEdit : public TJvCustomComboEdit {
public:
    explicit TJvFileDirEdit(TComponent* owner);
    ~TJvFileDirEdit() override;
    const char* ClassName() const override { return "TJvFileDirEdit"; }

    bool AcceptFiles() const { return acceptFiles_; }
    void SetAcceptFiles(bool accept);

    // The long (else short) name of the entry the field names; only the
    // name part, empty when there is none.
    virtual std::string LongFileName() { return {}; }
    // The short (8.3) name first.
    virtual std::string ShortFileName() { return {}; }

    TExecOpenDialogEvent OnBeforeDialog;
    TExecOpenDialogEvent OnAfterDialog;
    TNotifyEvent OnDropFiles;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A text with a line break is cut before it; the change is reported
    // once, for the final text.
    void Change() override;
    ComPtr<IUnknown> CreateAutoCompleteSource() override;
    void ApplyAutoCompleteOptions() override;

    // Takes one dropped name.
    virtual void AcceptDroppedName(const std::string& name) = 0;
    // Raises for a name AcceptDroppedName would refuse; every name of a
    // drop is checked before the first is taken.
    virtual void CheckDroppedName(const std::string& /*name*/) {}
    virtual void ClearDialogFiles() {}
    // Whether a drop takes every name or only the first.
    virtual bool MultiSelect() const { return false; }

    TJvAutoCompleteFileOptions FileOptions() const { return autoCompleteFileOptions_; }
    void SetFileOptions(TJvAutoCompleteFileOptions options);

private:
    void DropFiles(HDROP drop);
    void RegisterDrops(bool accept);
    // Creates and appends, or removes and releases, one shell list.
    void SyncShellList(IUnknown* manager, ComPtr<IUnknown>& list, const CLSID& classId,
                       bool wanted);

    bool acceptFiles_ = true;
    TJvAutoCompleteFileOptions autoCompleteFileOptions_ = 0;
    ComPtr<IUnknown> multiSource_;
    ComPtr<IUnknown> mruList_;
    ComPtr<IUnknown> historyList_;
    ComPtr<IUnknown> fileSystemList_;
};

// Which dialog class Dialog is.
enum class TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };

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

    std::string LongFileName() override;
    std::string ShortFileName() override;

    // The dialog is made anew, with the old one's settings, for another kind.
    TFileDialogKind DialogKind() const { return dialogKind_; }
    void SetDialogKind(TFileDialogKind kind);
    TOpenDialog* Dialog() const { return dialog_; }

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
    std::vector<std::string>& HistoryList() { return dialog_->HistoryList; }
    TFileEditStyle FileEditStyle() const { return dialog_->FileEditStyle; }
    void SetFileEditStyle(TFileEditStyle style) { dialog_->FileEditStyle = style; }
    TOpenOptions DialogOptions() const { return dialog_->Options; }
    void SetDialogOptions(TOpenOptions options);
    bool MultiSelect() const override { return multiSelect_; }

    TJvAutoCompleteFileOptions AutoCompleteFileOptions() const { return FileOptions(); }
    void SetAutoCompleteFileOptions(TJvAutoCompleteFileOptions options) { SetFileOptions(options); }

protected:
    void ShowDropDown(bool lockEdit) override;
    int DefaultGlyphIndex() override;
    void AcceptDroppedName(const std::string& name) override;
    void CheckDroppedName(const std::string& name) override;
    void ClearDialogFiles() override;

private:
    // Raises EComboEditError unless `value` may become the field's name.
    static void CheckFileNameValue(const std::string& value);
    // The name part of the entry FileName names: the long or the short one
    // first, the other when it is empty.
    std::string FoundName(bool shortFirst) const;
    void MakeDialog(TFileDialogKind kind);
    // The dialog's folder and file name from `name`, which is emptied when
    // its file part is no valid name (the dialog events see that too).
    void StartDialogAt(std::string& name);
    bool RunDialog();

    TOpenDialog* dialog_ = nullptr;  // owned as a component
    TFileDialogKind dialogKind_ = TFileDialogKind::dkOpen;
    bool addQuotes_ = true;
    bool multiSelect_ = false;
};
