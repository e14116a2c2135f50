// The system Open and Save dialogs.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

#include "rtl/Classes.h"

// Bits of the option set, as the dialog's OFN_ flags.
enum TOpenOption : DWORD {
    ofReadOnly = OFN_READONLY,
    ofOverwritePrompt = OFN_OVERWRITEPROMPT,
    ofHideReadOnly = OFN_HIDEREADONLY,
    ofNoChangeDir = OFN_NOCHANGEDIR,
    ofShowHelp = OFN_SHOWHELP,
    ofNoValidate = OFN_NOVALIDATE,
    ofAllowMultiSelect = OFN_ALLOWMULTISELECT,
    ofExtensionDifferent = OFN_EXTENSIONDIFFERENT,
    ofPathMustExist = OFN_PATHMUSTEXIST,
    ofFileMustExist = OFN_FILEMUSTEXIST,
    ofCreatePrompt = OFN_CREATEPROMPT,
    ofShareAware = OFN_SHAREAWARE,
    ofNoReadOnlyReturn = OFN_NOREADONLYRETURN,
    ofNoTestFileCreate = OFN_NOTESTFILECREATE,
    ofNoNetworkButton = OFN_NONETWORKBUTTON,
    ofNoLongNames = OFN_NOLONGNAMES,
    ofNoDereferenceLinks = OFN_NODEREFERENCELINKS,
    ofEnableIncludeNotify = OFN_ENABLEINCLUDENOTIFY,
    ofEnableSizing = OFN_ENABLESIZING,
    ofDontAddToRecent = OFN_DONTADDTORECENT,
    ofForceShowHidden = OFN_FORCESHOWHIDDEN,
};
using TOpenOptions = DWORD;

// How the dialog shows the file name; the explorer-style dialogs have only
// the one box, so it is kept for callers that set it.
enum class TFileEditStyle { fsEdit, fsComboBox };

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TOpenDialog"; }

    std::string Title;
    std::string Filter;  // "desc|pattern|..."
    int FilterIndex = 1;
    std::string InitialDir;
    std::string FileName;  // in: preselected; out: the chosen file's full path
    std::string DefaultExt;
    TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
    int HelpContext = 0;
    std::vector<std::string> Files;  // the chosen files of a multiple choice
    std::vector<std::string> HistoryList;
    TFileEditStyle FileEditStyle = TFileEditStyle::fsEdit;

    // Shows the dialog modally over the active window; true when the user
    // chose a file, which is then in FileName (the first one, with
    // ofAllowMultiSelect; Files has them all). Plain settings without an
    // invariant, hence public.
    virtual bool Execute();

protected:
    // Runs the dialog on a prepared structure: GetOpenFileNameA here.
    virtual BOOL Show(OPENFILENAMEA& dialog);
};

// The system Save dialog, with the same settings.
class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    const char* ClassName() const override { return "TSaveDialog"; }

protected:
    BOOL Show(OPENFILENAMEA& dialog) override;
};
