#include "widgets/JvToolEdit.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "rtl/SysUtils.h"
#include "rtl/Themes.h"
#include "widgets/JvFileNameRules.h"

namespace {

constexpr WORD kShiftKey = 0x2000;
constexpr WORD kCtrlKey = 0x4000;
constexpr WORD kAltKey = 0x8000;
constexpr char kBrowseTitle[] = "Browse";
constexpr char kAllFilesFilter[] = "All files (*.*)|*.*";
constexpr char kInvalidFileName[] = "Invalid file name - %s";
constexpr TColor kGlyphTransparent = clFuchsia;

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

std::string PlainFileNameOnDisk(const std::string& text) {
    return PlainFileName(text, FileSystemProbe{&FileExists, &DirectoryExists});
}

// No system error box for a drive without media while the dialog browses.
class ErrorModeGuard {
public:
    ErrorModeGuard() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
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

// The process-wide list of the default button pictures: each is loaded once,
// the first time a button shows it.
class SharedGlyphList {
public:
    static SharedGlyphList& Instance() {
        static SharedGlyphList list;
        return list;
    }
    SharedGlyphList(const SharedGlyphList&) = delete;
    SharedGlyphList& operator=(const SharedGlyphList&) = delete;
    ~SharedGlyphList() {
        if (images_ != nullptr) {
            ImageList_Destroy(images_);
        }
    }

    HIMAGELIST Images() const { return images_; }

    // The index of the themed or the classic folder picture; -1 when the
    // program carries no such resource.
    int DefaultGlyphIndex(bool themed) {
        int& slot = themed ? themedIndex_ : classicIndex_;
        if (slot == kNotLoaded) {
            slot = Load(themed ? "JvFilenameEditXPGLYPH" : "JvFilenameEditGLYPH");
        }
        return slot;
    }

private:
    static constexpr int kNotLoaded = -2;
    SharedGlyphList() = default;

    int Load(const char* resource) {
        GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_BITMAP, 0, 0, 0)));
        if (!bitmap) {
            return -1;
        }
        if (images_ == nullptr) {
            images_ = ImageList_Create(14, 12, ILC_COLOR24 | ILC_MASK, 2, 2);
        }
        return ImageList_AddMasked(images_, bitmap.Get(), ColorToRGB(kGlyphTransparent));
    }

    HIMAGELIST images_ = nullptr;
    int themedIndex_ = kNotLoaded;
    int classicIndex_ = kNotLoaded;
};

WORD ShiftState(UINT msg, LPARAM flags) {
    WORD state = 0;
    if (GetKeyState(VK_SHIFT) < 0) {
        state |= kShiftKey;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        state |= kCtrlKey;
    }
    // A system key message says itself whether Alt was down.
    if (GetKeyState(VK_MENU) < 0 || (msg == WM_SYSKEYDOWN && (HIWORD(flags) & KF_ALTDOWN) != 0)) {
        state |= kAltKey;
    }
    return state;
}

}  // namespace

// --- TJvEditButton

TJvEditButton::TJvEditButton(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 21, 17);
    SetControlStyle(ControlStyle() & ~csDoubleClicks);
}

void TJvEditButton::SetDown(bool down) {
    if (down_ != down) {
        down_ = down;
        Invalidate();
    }
}

LRESULT TJvEditButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDOWN: {
            pressed_ = true;
            SetCapture(Handle());
            SetDown(true);
            auto press = OnPress;
            if (press) {
                press();
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            if (pressed_) {
                POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                RECT client = ClientRect();
                SetDown(PtInRect(&client, point) != FALSE);
            }
            return 0;
        case WM_LBUTTONUP: {
            const bool click = pressed_ && down_;
            pressed_ = false;
            SetDown(false);
            ReleaseCapture();
            TNotifyEvent handler = OnClick;
            if (click && handler) {
                handler(this);
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            SetDown(false);
            return 0;
        case WM_CONTEXTMENU:
            return 1;  // no menu for the button
    }
    return TCustomControl::WindowProc(msg, wParam, lParam);
}

void TJvEditButton::Paint(TCanvas& canvas) {
    RECT face = ClientRect();
    canvas.FillRect(face, clBtnFace);
    if (down_) {
        canvas.FrameRect(face, clBtnShadow);
    } else {
        DrawEdge(canvas.Dc(), &face, EDGE_RAISED, BF_RECT);
    }
    PaintGlyph(canvas, face);
}

void TJvEditButton::PaintGlyph(TCanvas& canvas, const RECT& face) {
    const int shift = down_ ? 1 : 0;
    const int midX = (face.left + face.right) / 2 + shift;
    const int midY = (face.top + face.bottom) / 2 + shift;
    // The folder picture of the program's resources when there is one.
    SharedGlyphList& glyphs = SharedGlyphList::Instance();
    const int index = glyphs.DefaultGlyphIndex(ThemeServicesEnabled());
    if (index >= 0) {
        ImageList_Draw(glyphs.Images(), index, canvas.Dc(), midX - 7, midY - 6, ILD_TRANSPARENT);
        return;
    }
    // Otherwise three dots.
    const TColor dots = Enabled() ? clBtnText : clGrayText;
    for (int i = -1; i <= 1; ++i) {
        const RECT dot{midX - 1 + i * 4, midY, midX + 1 + i * 4, midY + 2};
        canvas.FillRect(dot, dots);
    }
}

// --- TJvCustomComboEdit

TJvCustomComboEdit::TJvCustomComboEdit(TComponent* owner)
    : TCustomEdit(owner), button_(new TJvEditButton(this)) {
    SetBounds(0, 0, 121, 21);
    button_->SetParent(this);
    button_->OnPress = [this] {
        if (TabStop() && CanFocus() && !Focused()) {
            SetFocus();
        }
    };
    button_->OnClick = [this](TObject*) { HandleButtonClick(); };
}

TJvCustomComboEdit::~TJvCustomComboEdit() {
    // The button may outlive our window by a moment; it must not call back.
    button_->OnPress = nullptr;
    button_->OnClick = nullptr;
}

void TJvCustomComboEdit::CreateParams(TCreateParams& params) {
    TCustomEdit::CreateParams(params);
    // Multi-line, so that the text rectangle can keep clear of the button;
    // a thin plain border.
    params.style |= ES_MULTILINE | WS_CLIPCHILDREN | WS_BORDER;
    params.exStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
}

void TJvCustomComboEdit::CreateWnd() {
    TCustomEdit::CreateWnd();
    SetWindowReadOnly(EditingRefused());
    LayoutButton();
    UpdateTextRect();
}

void TJvCustomComboEdit::SetDirectInput(bool directInput) {
    directInput_ = directInput;
    SetWindowReadOnly(EditingRefused());
}

void TJvCustomComboEdit::SetReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) {
        return;
    }
    readOnly_ = readOnly;
    SetWindowReadOnly(EditingRefused());
}

void TJvCustomComboEdit::SetButtonWidth(int width) {
    if (width == buttonWidth_) {
        return;
    }
    buttonWidth_ = width;
    button_->SetVisible(width >= 2);
    LayoutButton();
    UpdateTextRect();
}

void TJvCustomComboEdit::LayoutButton() {
    // Inside the one-pixel border, flush with its right side. The edit may
    // draw that border inside its client area or outside it: place the
    // button in window coordinates and convert.
    POINT origin{0, 0};
    if (Handle() != nullptr) {
        RECT window{};
        GetWindowRect(Handle(), &window);
        ClientToScreen(Handle(), &origin);
        origin.x -= window.left;
        origin.y -= window.top;
    }
    button_->SetBounds(Width() - buttonWidth_ - 1 - origin.x, 1 - origin.y, buttonWidth_,
                       std::max(Height() - 2, 0));
}

void TJvCustomComboEdit::UpdateTextRect() {
    if (Handle() == nullptr) {
        return;
    }
    // Margins measured from inside the border, which the edit may draw
    // in its client area.
    POINT origin{0, 0};
    RECT window{};
    GetWindowRect(Handle(), &window);
    ClientToScreen(Handle(), &origin);
    const int borderX = 1 - (origin.x - window.left);
    const int borderY = 1 - (origin.y - window.top);
    const int rightMargin = 1 + (button_->Visible() ? buttonWidth_ + 2 : 0);
    RECT text{1 + borderX, 1 + borderY, Width() - 2 - rightMargin - 3 + borderX,
              Height() - 2 - 1 + borderY};
    CallDefault(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&text));
}

void TJvCustomComboEdit::HandleButtonClick() {
    if (!readOnly_) {
        DoButtonClick();
    }
}

void TJvCustomComboEdit::DoButtonClick() {
    TNotifyEvent handler = OnButtonClick;
    if (handler) {
        handler(this);
    }
    ShowDropDown(true);
}

bool TJvCustomComboEdit::HandleKeyDown(UINT msg, WPARAM key, LPARAM flags) {
    const WORD shortcut = static_cast<WORD>((key & 0xFF) | ShiftState(msg, flags));
    if (shortcut == clickKey_ && buttonWidth_ > 0) {
        HandleButtonClick();
        return true;
    }
    // Delete and Backspace would change the text of a refusing field.
    return EditingRefused() && (key == VK_DELETE || key == VK_BACK);
}

bool TJvCustomComboEdit::HandleChar(WPARAM key) {
    switch (key) {
        case VK_TAB:
        case '\n':
        case VK_RETURN:  // a single-line field: no line breaks
        case VK_ESCAPE:
            return true;
    }
    // Control characters go on: Ctrl+C copies, and the refused commands
    // (Ctrl+X, Ctrl+V, Ctrl+Z) come back to us as messages.
    return EditingRefused() && (key >= ' ' || key == VK_BACK);
}

LRESULT TJvCustomComboEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_KEYDOWN:
            if (HandleKeyDown(msg, wParam, lParam)) {
                return 0;
            }
            break;
        case WM_SYSKEYDOWN:
            if ((HIWORD(lParam) & KF_ALTDOWN) != 0 && HandleKeyDown(msg, wParam, lParam)) {
                return 0;
            }
            break;
        case WM_CHAR:
            if (HandleChar(wParam)) {
                return 0;
            }
            break;
        case WM_CUT:
        case WM_PASTE:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
            if (EditingRefused()) {
                return 1;  // refused
            }
            break;
        case WM_GETDLGCODE:
            // A multi-line edit asks for every key; Tab belongs to the form.
            return CallDefault(msg, wParam, lParam) &
                   ~static_cast<LRESULT>(DLGC_WANTTAB | DLGC_WANTALLKEYS);
        case WM_SIZE: {
            LRESULT result = TCustomEdit::WindowProc(msg, wParam, lParam);
            LayoutButton();
            UpdateTextRect();
            return result;
        }
    }
    return TCustomEdit::WindowProc(msg, wParam, lParam);
}

// --- TJvFileDirEdit

TJvFileDirEdit::TJvFileDirEdit(TComponent* owner) : TJvCustomComboEdit(owner) {}

void TJvFileDirEdit::CreateParams(TCreateParams& params) {
    TJvCustomComboEdit::CreateParams(params);
    params.style |= ES_OEMCONVERT;
}

void TJvFileDirEdit::CreateWnd() {
    TJvCustomComboEdit::CreateWnd();
    if (acceptFiles_) {
        DragAcceptFiles(Handle(), TRUE);
    }
}

void TJvFileDirEdit::SetAcceptFiles(bool accept) {
    if (acceptFiles_ == accept) {
        return;
    }
    acceptFiles_ = accept;
    if (Handle() != nullptr) {
        DragAcceptFiles(Handle(), accept ? TRUE : FALSE);
    }
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
    if (msg == WM_DROPFILES && acceptFiles_) {
        DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return TJvCustomComboEdit::WindowProc(msg, wParam, lParam);
}

void TJvFileDirEdit::DropFiles(HDROP drop) {
    DropGuard release(drop);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0) {
        return;
    }
    ClearDialogFiles();
    const bool multiSelect = MultiSelect();
    for (UINT i = 0; i < count; ++i) {
        // Any length: ask for it instead of cutting the name.
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string name(length + 1, '\0');
        DragQueryFileA(drop, i, name.data(), length + 1);
        name.resize(length);
        AcceptDroppedName(name);
        if (!multiSelect) {
            break;
        }
    }
    TNotifyEvent handler = OnDropFiles;
    if (handler) {
        handler(this);
    }
}

// --- TJvFilenameEdit

TJvFilenameEdit::TJvFilenameEdit(TComponent* owner)
    : TJvFileDirEdit(owner), dialog_(new TOpenDialog(this)) {
    dialog_->Title = kBrowseTitle;
    dialog_->Filter = kAllFilesFilter;
    dialog_->Options = ofHideReadOnly;
}

std::string TJvFilenameEdit::FileName() const {
    return addQuotes_ ? PlainFileNameOnDisk(Text()) : Text();
}

void TJvFilenameEdit::SetFileName(const std::string& value) {
    if (!value.empty() && !IsValidFileName(PlainFileNameOnDisk(value))) {
        throw EComboEditError(Format(kInvalidFileName, value.c_str()));
    }
    SetText(addQuotes_ ? QuoteFileName(value) : value);
    ClearDialogFiles();
}

void TJvFilenameEdit::SetDialogOptions(TOpenOptions options) {
    if (options == dialog_->Options) {
        return;
    }
    dialog_->Options = options;
    if (!MultiSelect()) {
        ClearDialogFiles();
    }
}

void TJvFilenameEdit::ClearDialogFiles() {
    dialog_->Files.clear();
}

void TJvFilenameEdit::AcceptDroppedName(const std::string& name) {
    if (!MultiSelect()) {
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

void TJvFilenameEdit::ShowDropDown(bool /*lockEdit*/) {
    std::string name = PlainFileNameOnDisk(Text());
    bool action = true;
    if (TExecOpenDialogEvent before = OnBeforeDialog) {
        before(this, name, action);
    }
    if (!action) {
        return;
    }
    if (IsValidFileName(name)) {
        // Start where the current name lies; preselect it when it is a file.
        const std::size_t split = name.find_last_of("\\:");
        const std::string folder = split == std::string::npos ? "" : name.substr(0, split + 1);
        const std::string file = split == std::string::npos ? name : name.substr(split + 1);
        if (DirectoryExists(folder)) {
            dialog_->InitialDir = folder;
        }
        if (file.empty() || !IsValidFileName(file)) {
            name.clear();
        }
        dialog_->FileName = name;
    }
    action = RunDialog();
    if (action) {
        name = dialog_->FileName;
    }
    if (CanFocus()) {
        SetFocus();
    }
    if (TExecOpenDialogEvent after = OnAfterDialog) {
        after(this, name, action);
    }
    if (action) {
        SetText(addQuotes_ ? QuoteFileName(name) : name);
        const std::size_t split = dialog_->FileName.find_last_of("\\:");
        dialog_->InitialDir =
            split == std::string::npos ? "" : dialog_->FileName.substr(0, split + 1);
    }
}
