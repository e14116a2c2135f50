// The file fields of JvToolEdit.h: TJvFileDirEdit (dropped files, the
// dialog events, the shell's file lists for auto-completion) and
// TJvFilenameEdit (the path with its quoting rule, the Open dialog).
#include <shldisp.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "res/StringTable.h"
#include "rtl/ExtDlgs.h"
#include "rtl/ResString.h"
#include "rtl/SysUtils.h"
#include "rtl/Themes.h"
#include "widgets/JvFileNameRules.h"
#include "widgets/JvToolEdit.h"

namespace {

constexpr COLORREF kGlyphTransparent = RGB(255, 0, 255);
// No system error box for a drive without media while the dialog browses.
constexpr UINT kDialogErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

const FileSystemProbe& Disk() {
    static const FileSystemProbe probe{&FileExists, &DirectoryExists};
    return probe;
}

// Everything up to and including the last backslash or colon.
std::string FolderPart(const std::string& name) {
    const std::size_t split = name.find_last_of("\\:");
    return split == std::string::npos ? std::string() : name.substr(0, split + 1);
}

// The error mode for the dialog, put back on every path.
class ErrorModeGuard {
public:
    ErrorModeGuard() : old_(SetErrorMode(kDialogErrorMode)) {}
    ErrorModeGuard(const ErrorModeGuard&) = delete;
    ErrorModeGuard& operator=(const ErrorModeGuard&) = delete;
    ~ErrorModeGuard() { SetErrorMode(old_); }

private:
    UINT old_;
};

// DragFinish on every path.
class DropGuard {
public:
    explicit DropGuard(HDROP drop) : drop_(drop) {}
    DropGuard(const DropGuard&) = delete;
    DropGuard& operator=(const DropGuard&) = delete;
    ~DropGuard() { DragFinish(drop_); }

private:
    HDROP drop_;
};

std::string DroppedName(HDROP drop, UINT index) {
    // Any length: asked for first, so that a long name is not cut.
    const UINT length = DragQueryFileA(drop, index, nullptr, 0);
    std::string name(static_cast<std::size_t>(length) + 1, '\0');
    const UINT copied = DragQueryFileA(drop, index, name.data(), length + 1);
    name.resize(std::min(copied, length));
    return name;
}

TOpenDialog* NewDialog(TFileDialogKind kind, TComponent* owner) {
    switch (kind) {
        case TFileDialogKind::dkSave:
            return new TSaveDialog(owner);
        case TFileDialogKind::dkOpenPicture:
            return new TOpenPictureDialog(owner);
        case TFileDialogKind::dkSavePicture:
            return new TSavePictureDialog(owner);
        case TFileDialogKind::dkOpen:
            break;
    }
    return new TOpenDialog(owner);
}

}  // namespace

// --- TJvFileDirEdit

TJvFileDirEdit::TJvFileDirEdit(TComponent* owner) : TJvCustomComboEdit(owner) {
    SetAutoCompleteOptions(acoAutoSuggest);
    SetImageKind(TJvImageKind::ikDefault);
}

TJvFileDirEdit::~TJvFileDirEdit() {
    RegisterDrops(false);
    fileSystemList_.Reset();
    historyList_.Reset();
    mruList_.Reset();
    multiSource_.Reset();
}

void TJvFileDirEdit::CreateParams(TCreateParams& params) {
    TJvCustomComboEdit::CreateParams(params);
    params.style |= ES_OEMCONVERT;
}

void TJvFileDirEdit::CreateWnd() {
    TJvCustomComboEdit::CreateWnd();
    RegisterDrops(acceptFiles_);
}

void TJvFileDirEdit::DestroyWnd() {
    RegisterDrops(false);
    TJvCustomComboEdit::DestroyWnd();
}

void TJvFileDirEdit::RegisterDrops(bool accept) {
    if (Handle() != nullptr) {
        DragAcceptFiles(Handle(), accept ? TRUE : FALSE);
    }
}

void TJvFileDirEdit::SetAcceptFiles(bool accept) {
    if (acceptFiles_ == accept) {
        return;
    }
    acceptFiles_ = accept;
    RegisterDrops(accept);
}

void TJvFileDirEdit::Change() {
    const std::string text = Text();
    std::size_t lineBreak = text.find('\n');
    if (lineBreak == std::string::npos) {
        lineBreak = text.find('\r');
    }
    if (lineBreak != std::string::npos) {
        SetText(text.substr(0, lineBreak));  // changes again and comes back here
        return;
    }
    TJvCustomComboEdit::Change();
}

LRESULT TJvFileDirEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_DROPFILES:
            if (acceptFiles_) {
                DropFiles(reinterpret_cast<HDROP>(wParam));
                return 0;
            }
            break;
        case WM_DESTROY:
            // Also when the parent's window goes first.
            RegisterDrops(false);
            break;
    }
    return TJvCustomComboEdit::WindowProc(msg, wParam, lParam);
}

void TJvFileDirEdit::DropFiles(HDROP drop) {
    DropGuard release(drop);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0) {
        return;
    }
    // Every name to be taken is checked before the first is taken, so that
    // a refused one leaves the field as it was.
    std::vector<std::string> names;
    for (UINT i = 0; i < count && (i == 0 || MultiSelect()); ++i) {
        names.push_back(DroppedName(drop, i));
    }
    for (const std::string& name : names) {
        CheckDroppedName(name);
    }
    ClearDialogFiles();
    for (const std::string& name : names) {
        AcceptDroppedName(name);
    }
    CallEvent(OnDropFiles, this);
}

// --- the shell's lists

ComPtr<IUnknown> TJvFileDirEdit::CreateAutoCompleteSource() {
    multiSource_.Reset();
    MakeShellObject(kClsidACLMulti, kIidIUnknown, reinterpret_cast<void**>(multiSource_.Put()));
    // A new window has a new multi-source: the lists held so far feed it
    // too, or the field would suggest nothing after a re-creation.
    if (ComPtr<IObjMgr> manager = multiSource_.As<IObjMgr>(kIidIObjMgr)) {
        for (const ComPtr<IUnknown>* list : {&mruList_, &historyList_, &fileSystemList_}) {
            if (*list) {
                manager->Append(list->Get());
            }
        }
    }
    return multiSource_;
}

void TJvFileDirEdit::SyncShellList(IUnknown* manager, ComPtr<IUnknown>& list, const CLSID& classId,
                                   bool wanted) {
    auto* objects = static_cast<IObjMgr*>(manager);
    if (wanted) {
        if (!list &&
            SUCCEEDED(
                MakeShellObject(classId, kIidIUnknown, reinterpret_cast<void**>(list.Put()))) &&
            list) {
            objects->Append(list.Get());
        }
    } else if (list) {
        objects->Remove(list.Get());
        list.Reset();
    }
}

void TJvFileDirEdit::ApplyAutoCompleteOptions() {
    if (ComPtr<IObjMgr> manager = multiSource_.As<IObjMgr>(kIidIObjMgr)) {
        const TJvAutoCompleteFileOptions options = autoCompleteFileOptions_;
        SyncShellList(manager.Get(), mruList_, kClsidACLMRU, (options & acfURLMRU) != 0);
        SyncShellList(manager.Get(), historyList_, kClsidACLHistory,
                      (options & acfURLHistory) != 0);
        SyncShellList(manager.Get(), fileSystemList_, kClsidACListISF,
                      WantsFileSystemList(options));
        if (WantsFileSystemList(options)) {
            if (ComPtr<IACList2> files = fileSystemList_.As<IACList2>(kIidIACList2)) {
                files->SetOptions(FileSystemListOptions(options));
            }
        }
    }
    TJvCustomComboEdit::ApplyAutoCompleteOptions();
}

void TJvFileDirEdit::SetFileOptions(TJvAutoCompleteFileOptions options) {
    if (autoCompleteFileOptions_ == options) {
        return;
    }
    autoCompleteFileOptions_ = options;
    ApplyAutoCompleteOptions();
}

// --- TJvFilenameEdit

TJvFilenameEdit::TJvFilenameEdit(TComponent* owner) : TJvFileDirEdit(owner) {
    SetFileOptions(acfFileSystem);
    MakeDialog(TFileDialogKind::dkOpen);
    // The base applied ikDefault before this class could name its picture.
    ApplyImageKindImages();
}

void TJvFilenameEdit::CheckFileNameValue(const std::string& value) {
    if (!IsAcceptedFileNameValue(value, Disk())) {
        throw EComboEditError(Format(LoadResString(IDS_INVALID_FILE_NAME).c_str(), value.c_str()));
    }
}

std::string TJvFilenameEdit::FileName() const {
    return addQuotes_ ? PlainFileName(Text(), Disk()) : Text();
}

void TJvFilenameEdit::SetFileName(const std::string& value) {
    CheckFileNameValue(value);
    SetText(addQuotes_ ? QuoteFileName(value) : value);
    ClearDialogFiles();
}

std::string TJvFilenameEdit::LongFileName() {
    return FoundName(false);
}

std::string TJvFilenameEdit::ShortFileName() {
    return FoundName(true);
}

std::string TJvFilenameEdit::FoundName(bool shortFirst) const {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(FileName().c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return {};
    }
    FindClose(search);
    const char* first = shortFirst ? found.cAlternateFileName : found.cFileName;
    const char* second = shortFirst ? found.cFileName : found.cAlternateFileName;
    return first[0] != '\0' ? first : second;
}

int TJvFilenameEdit::DefaultGlyphIndex() {
    // Each picture is loaded once per process, the first time it is needed.
    static int classicIndex = -1;
    static int themedIndex = -1;
    const bool themed = ThemeServicesEnabled();
    int& index = themed ? themedIndex : classicIndex;
    if (index < 0) {
        GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(LoadImageA(
            GetModuleHandleA(nullptr), themed ? "JvFilenameEditXPGLYPH" : "JvFilenameEditGLYPH",
            IMAGE_BITMAP, 0, 0, 0)));
        if (bitmap) {
            index = SharedGlyphList()->AddMasked(bitmap.Get(), kGlyphTransparent);
        }
    }
    return index;
}

void TJvFilenameEdit::MakeDialog(TFileDialogKind kind) {
    TOpenDialog* made = NewDialog(kind, this);
    if (dialog_ == nullptr) {
        // Not the dialog class's own default, which would add ofEnableSizing.
        made->Title = LoadResString(IDS_BROWSE);
        made->Filter = LoadResString(IDS_ALL_FILES_FILTER);
        made->Options = ofHideReadOnly;
    } else {
        made->DefaultExt = dialog_->DefaultExt;
        made->FileEditStyle = dialog_->FileEditStyle;
        made->FileName = dialog_->FileName;
        made->Filter = dialog_->Filter;
        made->FilterIndex = dialog_->FilterIndex;
        made->InitialDir = dialog_->InitialDir;
        made->HistoryList = dialog_->HistoryList;
        made->Files = dialog_->Files;
        made->Options = dialog_->Options;
        made->Title = dialog_->Title;
        delete dialog_;
    }
    dialog_ = made;
    dialogKind_ = kind;
}

void TJvFilenameEdit::SetDialogKind(TFileDialogKind kind) {
    if (kind != dialogKind_) {
        MakeDialog(kind);
    }
}

void TJvFilenameEdit::SetDialogOptions(TOpenOptions options) {
    if (options == dialog_->Options) {
        return;
    }
    dialog_->Options = options;
    multiSelect_ = (options & ofAllowMultiSelect) != 0;
    if (!multiSelect_) {
        ClearDialogFiles();
    }
}

void TJvFilenameEdit::ClearDialogFiles() {
    dialog_->Files.clear();
}

void TJvFilenameEdit::CheckDroppedName(const std::string& name) {
    CheckFileNameValue(name);
}

void TJvFilenameEdit::AcceptDroppedName(const std::string& name) {
    if (!multiSelect_) {
        SetFileName(name);
        return;
    }
    if (dialog_->Files.empty()) {
        SetFileName(name);
    }
    dialog_->Files.push_back(name);
}

bool TJvFilenameEdit::RunDialog() {
    ErrorModeGuard errorMode;
    return dialog_->Execute();
}

void TJvFilenameEdit::StartDialogAt(std::string& name) {
    if (!IsValidFileName(name)) {
        return;  // the dialog keeps the name and folder it had
    }
    // Start where the current name lies; preselect it when it names a file.
    try {
        const std::string folder = FolderPart(name);
        if (DirectoryExists(folder)) {
            dialog_->InitialDir = folder;
        }
        if (!IsValidFileName(name.substr(folder.size()))) {
            name.clear();
        }
        dialog_->FileName = name;
    } catch (const std::exception&) {
        // The dialog opens with what it had.
    }
}

void TJvFilenameEdit::ShowDropDown(bool /*lockEdit*/) {
    std::string name = PlainFileName(Text(), Disk());
    bool action = true;
    CallEvent(OnBeforeDialog, this, name, action);
    if (!action) {
        return;
    }
    StartDialogAt(name);
    dialog_->HelpContext = HelpContext();
    action = RunDialog();
    if (action) {
        name = dialog_->FileName;
    }
    if (CanFocus()) {
        SetFocus();
    }
    CallEvent(OnAfterDialog, this, name, action);
    if (!action) {
        return;
    }
    // A name the field would refuse is reported, and nothing is taken.
    CheckFileNameValue(name);
    SetText(addQuotes_ ? QuoteFileName(name) : name);
    dialog_->InitialDir = FolderPart(dialog_->FileName);
}
