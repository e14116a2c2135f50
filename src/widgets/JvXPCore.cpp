#include "widgets/JvXPCore.h"

#include <algorithm>

#include "rtl/Accelerators.h"
#include "rtl/ComponentReference.h"

namespace {

// The window styles that make up a border.
constexpr LONG_PTR kBorderStyles = WS_BORDER | WS_DLGFRAME | WS_THICKFRAME;
constexpr LONG_PTR kBorderExStyles = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE;

// The upper case of a letter of the system's code page ("\xE9" gives "\xC9").
char CodePageUpperCase(char c) {
    char text[1] = {c};
    CharUpperBuffA(text, 1);
    return text[0];
}

bool BorderChanged(WPARAM which, const STYLESTRUCT* change) {
    const LONG_PTR mask =
        which == static_cast<WPARAM>(GWL_EXSTYLE) ? kBorderExStyles : kBorderStyles;
    return ((change->styleOld ^ change->styleNew) & mask) != 0;
}

}  // namespace

// --- TJvXPCustomControl

TJvXPCustomControl::TJvXPCustomControl(TComponent* owner) : TJvCustomControl(owner) {
    // Our custom controls always paint off screen first (TCustomControl), so
    // no background erase ever shows.
    SetControlStyle(ControlStyle() | csOpaque | csReplicatable);
}

void TJvXPCustomControl::RequestRedraw() {
    if (!redrawLocked_) {
        Invalidate();
    }
}

void TJvXPCustomControl::LockRedraw() {
    redrawLocked_ = true;
}

void TJvXPCustomControl::UnlockRedraw() {
    redrawLocked_ = false;
    RequestRedraw();
}

void TJvXPCustomControl::RedrawOn(TJvXPRedrawTrigger trigger) {
    if ((redrawTriggers_ & RedrawTrigger(trigger)) != 0) {
        RequestRedraw();
    }
}

void TJvXPCustomControl::Click() {
    if (TForm* form = ParentForm(); form != nullptr && form != static_cast<TWinControl*>(this)) {
        form->SetModalResult(modalResult_);
    }
    // A key or a release that was on its way when the control was disabled.
    if (!Enabled()) {
        return;
    }
    TJvCustomControl::Click();
}

bool TJvXPCustomControl::DialogChar(char key, TShiftState shift) {
    if (IsAccel(key, Caption(), &CodePageUpperCase) && CanFocus() &&
        (Focused() || (shift & ssAlt) != 0 || GetKeyState(VK_MENU) < 0)) {
        Click();
        return true;
    }
    return TJvCustomControl::DialogChar(key, shift);
}

// --- the hooks

void TJvXPCustomControl::DoBorderChanged() {
    RedrawOn(rtBorderChanged);
}

void TJvXPCustomControl::DoEnabledChanged() {
    RedrawOn(rtEnabledChanged);
}

void TJvXPCustomControl::DoFocusChanged() {
    if (Focused()) {
        AddVisualState(vsFocused);
    } else {
        RemoveVisualState(vsFocused | vsPressed);
    }
    TForm* form = ParentForm();
    focusOnXPControl_ =
        form != nullptr && dynamic_cast<TJvXPCustomControl*>(form->ActiveControl()) != nullptr;
    RedrawOn(rtFocusChanged);
}

void TJvXPCustomControl::DoMouseDown() {
    if (!Focused() && CanFocus()) {
        SetFocus();  // which reports a focus change to every control
    }
    AddVisualState(vsPressed);
    RedrawOn(rtMouseDown);
}

void TJvXPCustomControl::DoMouseEnter() {
    AddVisualState(vsHot);
    RedrawOn(rtMouseEnter);
    CallEvent(OnMouseEnter, this);
}

void TJvXPCustomControl::DoMouseLeave() {
    RemoveVisualState(vsHot);
    RedrawOn(rtMouseLeave);
    CallEvent(OnMouseLeave, this);
}

void TJvXPCustomControl::DoMouseMove(int /*x*/, int /*y*/) {
    RedrawOn(rtMouseMove);
}

void TJvXPCustomControl::DoMouseUp() {
    RemoveVisualState(vsPressed);
    RedrawOn(rtMouseUp);
    // A press released over another XP control leaves that one hot: it got
    // no moves while this one held the capture.
    POINT cursor{};
    if (!GetCursorPos(&cursor)) {
        return;
    }
    // Through the framework, which then counts the pointer as in: its first
    // move of its own enters it no second time.
    auto* other = dynamic_cast<TJvXPCustomControl*>(ControlAtPos(cursor, false));
    if (other != nullptr && other != this) {
        other->PointerEntered();
    }
}

void TJvXPCustomControl::DoParentColorChanged() {
    RedrawOn(rtParentColorChanged);
}

void TJvXPCustomControl::DoParentFontChanged() {
    RedrawOn(rtParentFontChanged);
}

void TJvXPCustomControl::DoMoved() {
    RedrawOn(rtMoved);
}

void TJvXPCustomControl::DoResized() {
    RedrawOn(rtResized);
}

void TJvXPCustomControl::DoCaptionChanged() {
    RedrawOn(rtCaptionChanged);
}

// --- the framework's notifications, each handled by the framework first

LRESULT TJvXPCustomControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_WINDOWPOSCHANGED: {
            const LRESULT result = TJvCustomControl::WindowProc(msg, wParam, lParam);
            DoMoved();
            return result;
        }
        case WM_SIZE: {
            const LRESULT result = TJvCustomControl::WindowProc(msg, wParam, lParam);
            DoResized();
            return result;
        }
        case WM_STYLECHANGED: {
            const LRESULT result = TJvCustomControl::WindowProc(msg, wParam, lParam);
            if (BorderChanged(wParam, reinterpret_cast<const STYLESTRUCT*>(lParam))) {
                DoBorderChanged();
            }
            return result;
        }
    }
    return TJvCustomControl::WindowProc(msg, wParam, lParam);
}

void TJvXPCustomControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TJvCustomControl::MouseDown(button, shift, x, y);
    if (button == TMouseButton::mbLeft) {
        leftButtonHeld_ = true;
        DoMouseDown();
    }
}

void TJvXPCustomControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TJvCustomControl::MouseUp(button, shift, x, y);
    if (leftButtonHeld_) {
        leftButtonHeld_ = false;
        DoMouseUp();
    }
}

void TJvXPCustomControl::MouseMove(TShiftState shift, int x, int y) {
    TJvCustomControl::MouseMove(shift, x, y);
    DoMouseMove(x, y);
}

void TJvXPCustomControl::MouseEnter() {
    TJvCustomControl::MouseEnter();
    DoMouseEnter();
}

void TJvXPCustomControl::MouseLeave() {
    TJvCustomControl::MouseLeave();
    DoMouseLeave();
}

void TJvXPCustomControl::TextChanged() {
    TJvCustomControl::TextChanged();
    DoCaptionChanged();
}

void TJvXPCustomControl::EnabledChanged() {
    TJvCustomControl::EnabledChanged();
    DoEnabledChanged();
}

void TJvXPCustomControl::ParentColorChanged() {
    TJvCustomControl::ParentColorChanged();
    DoParentColorChanged();
}

void TJvXPCustomControl::ParentFontChanged() {
    TJvCustomControl::ParentFontChanged();
    DoParentFontChanged();
}

void TJvXPCustomControl::FocusedControlChanged(TWinControl* focused) {
    TJvCustomControl::FocusedControlChanged(focused);
    DoFocusChanged();
}

// --- TJvXPStyle

void TJvXPStyle::SetTheme(TJvXPTheme theme) {
    if (theme_ == theme) {
        return;
    }
    theme_ = theme;
    if (parent_ != nullptr) {
        parent_->RequestRedraw();
    }
}

void TJvXPStyle::SetUseStyleManager(bool use) {
    if (useStyleManager_ == use) {
        return;
    }
    useStyleManager_ = use;
    if (parent_ != nullptr) {
        parent_->RequestRedraw();
    }
}

// --- TJvXPStyleManager

TJvXPStyleManager::~TJvXPStyleManager() {
    BeginDestroy();
    RedrawControls();
    // The controls learn that we go through the component's free
    // notification and drop their reference then.
    controls_.clear();
}

void TJvXPStyleManager::SetTheme(TJvXPTheme theme) {
    if (theme_ == theme) {
        return;
    }
    theme_ = theme;
    CallEvent(OnThemeChanged, this);
    RedrawControls();
}

void TJvXPStyleManager::RegisterControls(const std::vector<TJvXPCustomStyleControl*>& controls) {
    for (TJvXPCustomStyleControl* control : controls) {
        if (control == nullptr ||
            std::find(controls_.begin(), controls_.end(), control) != controls_.end()) {
            continue;
        }
        controls_.push_back(control);
        // A control destroyed while listed takes itself off the list.
        FreeNotification(control);
    }
}

void TJvXPStyleManager::UnregisterControls(const std::vector<TJvXPCustomStyleControl*>& controls) {
    for (TJvXPCustomStyleControl* control : controls) {
        const auto found = std::find(controls_.begin(), controls_.end(), control);
        if (found == controls_.end()) {
            continue;
        }
        controls_.erase(found);
        // A control that still names us as its manager must hear when we go.
        if (control->StyleManager() != this) {
            RemoveFreeNotification(control);
        }
    }
}

void TJvXPStyleManager::RedrawControls() {
    const std::vector<TJvXPCustomStyleControl*> controls = controls_;
    for (TJvXPCustomStyleControl* control : controls) {
        control->RequestRedraw();
    }
}

void TJvXPStyleManager::Notification(TComponent* component, TOperation operation) {
    TJvXPCustomComponent::Notification(component, operation);
    ClearComponentReference(controls_, component, operation);
}

// --- TJvXPCustomStyleControl

TJvXPCustomStyleControl::TJvXPCustomStyleControl(TComponent* owner)
    : TJvXPCustomControl(owner), style_(std::make_unique<TJvXPStyle>(this)) {}

TJvXPCustomStyleControl::~TJvXPCustomStyleControl() {
    if (styleManager_ != nullptr) {
        styleManager_->UnregisterControls({this});
        RemoveFreeNotification(styleManager_);
        styleManager_ = nullptr;
    }
    style_.reset();
}

void TJvXPCustomStyleControl::SetStyleManager(TJvXPStyleManager* manager) {
    TJvXPStyleManager* previous = styleManager_;
    if (!SetComponentReference(*this, styleManager_, manager)) {
        return;
    }
    if (previous != nullptr) {
        previous->UnregisterControls({this});
    }
    if (manager != nullptr) {
        manager->RegisterControls({this});
    }
    RequestRedraw();
}

void TJvXPCustomStyleControl::Notification(TComponent* component, TOperation operation) {
    TJvXPCustomControl::Notification(component, operation);
    ClearComponentReference(styleManager_, component, operation);
}
