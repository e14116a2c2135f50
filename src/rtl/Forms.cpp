#include "rtl/Forms.h"

#include <commctrl.h>

#include <utility>

#include "rtl/Application.h"

namespace {

// The resolution the system draws the window at: its monitor's where each
// monitor has its own (GetDpiForWindow, from Windows 10 1607 on, looked up
// here), the system's otherwise.
int MonitorPPI(HWND window) {
    using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
    // Through the generic function type, which the compiler accepts for any cast.
    using Generic = void (*)();
    const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowProc>(reinterpret_cast<Generic>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    WindowDc screen(nullptr);
    return GetDeviceCaps(screen.Dc(), LOGPIXELSY);
}

void InitCommonControlsOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    InitCommonControlsOnce();
    SetVisible(false);  // Show or the application's Run shows it
    SetFont("MS Sans Serif", -11);
    CreateHandle();
    if (Handle() != nullptr) {
        tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    }
    if (Application != nullptr && Handle() != nullptr && Application->Handle() != nullptr) {
        // Owned by the application window: the task bar then shows its
        // button, with the application's title, instead of one per form.
        SetWindowLongPtrA(Handle(), GWLP_HWNDPARENT,
                          reinterpret_cast<LONG_PTR>(Application->Handle()));
        SendMessageA(Handle(), WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(Application->Icon(false)));
        SendMessageA(Handle(), WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(Application->Icon(true)));
    }
    if (Application != nullptr && Application->MainWindow() == nullptr) {
        Application->SetMainWindow(Handle());
    }
}

TForm::~TForm() {
    BeginDestroy();
    if (Application != nullptr && Application->MainWindow() == Handle()) {
        Application->SetMainWindow(nullptr);
    }
    // The controls go first, while the form and its tooltip still exist; the
    // non-visual components after them.
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        if (i < ComponentCount()) {
            if (auto* control = dynamic_cast<TWinControl*>(Component(i))) {
                delete control;
            }
        }
    }
    DestroyComponents();
    if (tooltip_ != nullptr) {
        DestroyWindow(tooltip_);
        tooltip_ = nullptr;
    }
}

void TForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    params.classStyle = CS_DBLCLKS;
}

void TForm::SetClientSize(int width, int height) {
    RECT rect{0, 0, width, height};
    if (Handle() != nullptr) {
        // Measure the real frame: the caption height differs between systems.
        SetBounds(Left(), Top(), width, height);
        RECT client{};
        GetClientRect(Handle(), &client);
        width += width - client.right;
        height += height - client.bottom;
        SetBounds(Left(), Top(), width, height);
        return;
    }
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
    SetBounds(Left(), Top(), rect.right - rect.left, rect.bottom - rect.top);
}

void TForm::SetFont(const std::string& name, int height) {
    LOGFONTA logFont{};
    logFont.lfHeight = height;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(logFont.lfFaceName, name.c_str(), LF_FACESIZE);
    GdiObject<HFONT> font(CreateFontIndirectA(&logFont));
    if (!font) {
        return;
    }
    // Controls hold the old handle until they get the new one.
    std::swap(font_, font);
    fontName_ = name;
    fontHeight_ = height;
    if (Handle() == nullptr) {
        return;
    }
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    for (TWinControl* control : AllControls()) {
        SendMessageA(control->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
        control->ParentFontChanged();
    }
}

std::vector<TWinControl*> TForm::AllControls() const {
    std::vector<TWinControl*> list;
    std::vector<TWinControl*> stack(Controls().rbegin(), Controls().rend());
    while (!stack.empty()) {
        TWinControl* control = stack.back();
        stack.pop_back();
        list.push_back(control);
        stack.insert(stack.end(), control->Controls().rbegin(), control->Controls().rend());
    }
    return list;
}

void TForm::BroadcastFocusChanged() {
    for (TWinControl* control : AllControls()) {
        control->FocusedControlChanged(activeControl_);
    }
}

bool TForm::DialogKey(WORD key, TShiftState shift) {
    if (key == VK_TAB && (shift & (ssCtrl | ssAlt)) == 0) {
        TWinControl* current = FromHandle(GetFocus());
        SelectNext(current != nullptr ? current : activeControl_, (shift & ssShift) == 0);
        return true;
    }
    return TWinControl::DialogKey(key, shift);
}

void TForm::SetActiveControl(TWinControl* control) {
    activeControl_ = control;
    if (control != nullptr && control->CanFocus()) {
        control->SetFocus();
    }
}

void TForm::ControlCreated(TWinControl* control) {
    SendMessageA(control->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    if (control != this) {
        AddHintTool(control);
    }
}

void TForm::ControlFocused(TWinControl* control) {
    activeControl_ = control;
    BroadcastFocusChanged();
}

void TForm::ControlDisabled(TWinControl* control) {
    // The system drops the focus before it reports the change, so the memory
    // of the focused control tells whether it was this one.
    const HWND focus = GetFocus();
    if (focus == control->Handle() || (focus == nullptr && activeControl_ == control)) {
        SelectNext(control, true);
    }
}

void TForm::ControlGone(TWinControl* control) {
    if (activeControl_ == control) {
        activeControl_ = nullptr;
        if (!Destroying()) {
            BroadcastFocusChanged();
        }
    }
    if (tooltip_ != nullptr && control->Handle() != nullptr) {
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(control->Handle());
        SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TForm::ControlHintChanged(TWinControl* control) {
    if (tooltip_ == nullptr) {
        return;
    }
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    if (!SendMessageA(tooltip_, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) {
        return;  // no tip shows
    }
    // The tip shows the control's hint, or a parent's over a child.
    for (TWinControl* shown = FromHandle(reinterpret_cast<HWND>(tool.uId)); shown != nullptr;
         shown = shown->Parent()) {
        if (shown == control) {
            // The tool stays one that asks for its text: asking is the update.
            tool.hwnd = Handle();
            tool.lpszText = LPSTR_TEXTCALLBACKA;
            SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
            return;
        }
    }
}

void TForm::AddHintTool(TWinControl* control) {
    if (tooltip_ == nullptr) {
        return;
    }
    // Every control is a tool; whether it shows a tip is decided when the
    // tooltip asks for the text, so hint settings can change at any time.
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control->Handle());
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT TForm::HintText(NMHDR* header) {
    TWinControl* control = FromHandle(reinterpret_cast<HWND>(header->idFrom));
    hintText_ = control != nullptr && control->HintShown() ? control->EffectiveHint() : "";
    if (control != nullptr) {
        // Asked right before the tip shows: its colour is the control's.
        const COLORREF color = ColorToRGB(control->HintColor());
        if (color != tooltipColor_) {
            tooltipColor_ = color;
            SendMessageA(tooltip_, TTM_SETTIPBKCOLOR, color, 0);
        }
    }
    if (header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
        info->lpszText = hintText_.data();
        info->hinst = nullptr;
    } else {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        hintTextWide_.assign(hintText_.size() + 1, L'\0');
        const int length =
            MultiByteToWideChar(CP_ACP, 0, hintText_.c_str(), -1, hintTextWide_.data(),
                                static_cast<int>(hintTextWide_.size()));
        hintTextWide_.resize(length > 0 ? static_cast<std::size_t>(length) - 1 : 0);
        info->lpszText = hintTextWide_.data();
        info->hinst = nullptr;
    }
    return 0;
}

std::vector<TWinControl*> TForm::TabList() {
    std::vector<TWinControl*> list = AllControls();
    std::erase_if(list, [](TWinControl* control) { return !control->TabStop(); });
    return list;
}

void TForm::SelectNext(TWinControl* current, bool forward) {
    // Walk the full list, so that a control that just became unfocusable
    // (disabled while focused) still marks where to go on from.
    const std::vector<TWinControl*> list = TabList();
    const int count = static_cast<int>(list.size());
    if (count == 0) {
        return;
    }
    int index = -1;
    for (int i = 0; i < count; ++i) {
        if (list[i] == current) {
            index = i;
        }
    }
    if (index < 0) {
        index = forward ? count - 1 : 0;
    }
    for (int step = 1; step <= count; ++step) {
        TWinControl* candidate = list[((index + (forward ? step : -step)) % count + count) % count];
        if (candidate != current && candidate->CanFocus()) {
            candidate->SetFocus();
            return;
        }
    }
    if (current != nullptr && current->CanFocus()) {
        return;
    }
    ::SetFocus(Handle());
}

void TForm::FocusActiveControl() {
    if (activeControl_ != nullptr && activeControl_->CanFocus()) {
        activeControl_->SetFocus();
        return;
    }
    SelectNext(nullptr, true);
}

void TForm::CenterOnDesktop() {
    const int left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
    SetBounds(left, top, Width(), Height());
}

void TForm::DoCreate() {
    ScaleForPPI(MonitorPPI(Handle()));
    if (position_ == TPosition::poDesktopCenter) {
        CenterOnDesktop();
    }
    CallEvent(OnCreate, this);
}

void TForm::ChangeScale(int newPPI, int oldPPI) {
    const int fontHeight = ScaleValue(fontHeight_, newPPI, oldPPI);
    if (newPPI < oldPPI) {
        SetFont(fontName_, fontHeight);
    }
    TWinControl::ChangeScale(newPPI, oldPPI);
    if (newPPI > oldPPI) {
        SetFont(fontName_, fontHeight);
    }
}

void TForm::ScaleOwnBounds(int newPPI, int oldPPI) {
    if (dpiChangeBounds_) {
        const RECT place = *std::exchange(dpiChangeBounds_, std::nullopt);
        SetBounds(place.left, place.top, place.right - place.left, place.bottom - place.top);
        return;
    }
    SetClientSize(ScaleValue(ClientWidth(), newPPI, oldPPI),
                  ScaleValue(ClientHeight(), newPPI, oldPPI));
}

void TForm::OnDpiChanged(int ppi, const RECT& suggested) {
    // The system's rectangle keeps the window's place on the new monitor.
    dpiChangeBounds_ = suggested;
    ScaleForPPI(ppi);
    if (dpiChangeBounds_) {
        ScaleOwnBounds(ppi, ppi);  // the same resolution: only the place changes
    }
}

void TForm::Show() {
    SetVisible(true);
    if (Handle() != nullptr) {
        SetForegroundWindow(Handle());
    }
}

void TForm::Close() {
    if (Handle() != nullptr) {
        SendMessageA(Handle(), WM_CLOSE, 0, 0);
    }
}

LRESULT TForm::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return OnEraseBackground(reinterpret_cast<HDC>(wParam));
        case WM_NOTIFY:
            if (auto* header = reinterpret_cast<NMHDR*>(lParam); IsHintRequest(header)) {
                return HintText(header);
            }
            break;
        case WM_SHOWWINDOW:
            OnShowWindow(wParam != FALSE);
            break;
        case WM_ACTIVATE:
            return OnActivation(wParam) ? 0 : TWinControl::WindowProc(msg, wParam, lParam);
        case WM_SETFOCUS:
            FocusActiveControl();
            return 0;
        case CM_DIALOGKEY:
            return DialogKey(static_cast<WORD>(wParam), KeyboardShiftState()) ? 1 : 0;
        case CM_DIALOGCHAR:
            return OnDialogChar(static_cast<char>(wParam), lParam) ? 1 : 0;
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            OnSysColorChange();
            break;
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam) ? 0 : TWinControl::WindowProc(msg, wParam, lParam);
        case WM_CLOSE:
            OnCloseRequest();
            return 0;
        case WM_DPICHANGED:
            if (lParam != 0) {
                OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            }
            return 0;
    }
    return TWinControl::WindowProc(msg, wParam, lParam);
}

LRESULT TForm::OnEraseBackground(HDC dc) {
    RECT client = ClientRect();
    FillRect(dc, &client, ColorBrush());
    return 1;
}

bool TForm::IsHintRequest(const NMHDR* header) const {
    return header->hwndFrom == tooltip_ &&
           (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW);
}

void TForm::OnShowWindow(bool shown) {
    RecordVisible(shown);
    if (shown && !shownOnce_) {
        shownOnce_ = true;
        if (position_ == TPosition::poDesktopCenter && !IsZoomed(Handle()) && !IsIconic(Handle())) {
            CenterOnDesktop();
        }
    }
}

bool TForm::OnActivation(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE || HIWORD(wParam) != 0) {
        return false;  // deactivated, or activated while minimised
    }
    FocusActiveControl();
    return true;
}

bool TForm::OnDialogChar(char key, LPARAM lParam) {
    // Alt as the character's own message says it: a WM_SYSCHAR.
    TShiftState shift = KeyboardShiftState();
    if ((HIWORD(lParam) & KF_ALTDOWN) != 0) {
        shift |= ssAlt;
    }
    return DialogChar(key, shift);
}

void TForm::OnSysColorChange() {
    for (TWinControl* control : AllControls()) {
        control->SysColorChanged();
    }
}

bool TForm::OnSysCommand(WPARAM command) {
    // An owned window would shrink to a bar of its own: minimising the main
    // form minimises the application, whose button stays.
    if ((command & 0xFFF0) == SC_MINIMIZE && Application != nullptr &&
        Application->MainWindow() == Handle()) {
        Application->Minimize();
        return true;
    }
    return false;
}

void TForm::OnCloseRequest() {
    // Closing the main form ends the application; the loop's owner destroys
    // the form afterwards.
    if (Application != nullptr && Application->MainWindow() == Handle()) {
        Application->Terminate();
    } else {
        SetVisible(false);
    }
}
