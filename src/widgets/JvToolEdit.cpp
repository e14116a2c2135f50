// The combo edit: its making and window, the input mode, keys, the button's
// click, focus and caret, the disabled look, and its message procedure.
#include "widgets/JvToolEdit.h"

#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "rtl/Forms.h"
#include "rtl/Themes.h"

namespace {

WORD ShortCutOf(WORD key, TShiftState shift) {
    WORD shortcut = key & 0xFF;
    if ((shift & ssShift) != 0) {
        shortcut |= kShortCutShift;
    }
    if ((shift & ssCtrl) != 0) {
        shortcut |= kShortCutCtrl;
    }
    if ((shift & ssAlt) != 0) {
        shortcut |= kShortCutAlt;
    }
    return shortcut;
}

// The member of ClipboardCommands an editing message needs; 0 for any
// other message.
unsigned ClipboardCommandOf(UINT msg) {
    switch (msg) {
        case WM_COPY:
            return caCopy;
        case WM_CUT:
            return caCut;
        case WM_PASTE:
            return caPaste;
        case WM_CLEAR:
            return caClear;
        case WM_UNDO:
        case EM_UNDO:
            return caUndo;
    }
    return 0;
}

bool IsBold(HFONT font) {
    LOGFONTA logFont{};
    return font != nullptr && GetObjectA(font, sizeof logFont, &logFont) != 0 &&
           logFont.lfWeight >= FW_BOLD;
}

}  // namespace

// --- TJvCustomComboEdit

TJvCustomComboEdit::TJvCustomComboEdit(TComponent* owner)
    : TCustomEdit(owner),
      holder_(new TJvButtonHolder(this)),
      button_(new TJvEditButton(this)),
      autoCompleteItems_(std::make_shared<TAutoCompleteItems>()) {
    // The mouse capture while a button is held is the stock edit's own.
    SetBounds(Left(), Top(), Width(), 21);
    holder_->SetBounds(0, 0, 21, 17);
    holder_->SetParent(this);
    button_->SetParent(holder_);
    button_->OnClick = [this](TObject*) { HandleButtonClick(); };
    creating_ = false;
}

TJvCustomComboEdit::~TJvCustomComboEdit() {
    BeginDestroy();
    // The button may outlive our window by a moment; it must not call back.
    button_->OnClick = nullptr;
    autoComplete_.Reset();
    autoCompleteSource_.Reset();
}

void TJvCustomComboEdit::CreateParams(TCreateParams& params) {
    TCustomEdit::CreateParams(params);
    // Multi-line, so that the text rectangle can keep clear of the button.
    params.style |= ES_MULTILINE | WS_CLIPCHILDREN;
    switch (alignment_) {
        case TAlignment::taLeftJustify:
            params.style |= ES_LEFT;
            break;
        case TAlignment::taRightJustify:
            params.style |= ES_RIGHT;
            break;
        case TAlignment::taCenter:
            params.style |= ES_CENTER;
            break;
    }
    params.exStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    if (borderStyle_ == TBorderStyle::bsSingle) {
        if (flat_) {
            params.style |= WS_BORDER;
        } else {
            params.exStyle |= WS_EX_CLIENTEDGE;
        }
    }
}

void TJvCustomComboEdit::CreateWnd() {
    TCustomEdit::CreateWnd();
    UpdateWindowReadOnly();
    // The frame was measured before our procedure saw the window.
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutButtonHolder();
    UpdateControls();
    UpdateTextRect();
    if (autoCompleteOptions_ != 0) {
        AttachAutoComplete();
        ApplyAutoCompleteOptions();
    }
}

void TJvCustomComboEdit::UpdateWindowReadOnly() {
    SetWindowReadOnly(readOnly_ || !directInput_);
}

void TJvCustomComboEdit::SetDirectInput(bool directInput) {
    directInput_ = directInput;
    UpdateWindowReadOnly();
}

void TJvCustomComboEdit::SetReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) {
        return;
    }
    readOnly_ = readOnly;
    UpdateWindowReadOnly();
}

// --- the rest of the properties

void TJvCustomComboEdit::SetGroupIndex(int index) {
    if (groupIndex_ == index) {
        return;
    }
    groupIndex_ = index;
    ClearGroupPeers();
}

void TJvCustomComboEdit::ClearGroupPeers() {
    if (groupIndex_ == -1 || Owner() == nullptr) {
        return;
    }
    // Clearing runs OnChange, which may add or free components: each next
    // peer is looked for afresh among the owner's components of the moment.
    std::vector<const TComponent*> cleared;
    for (;;) {
        TJvCustomComboEdit* next = nullptr;
        for (int i = 0; i < Owner()->ComponentCount() && next == nullptr; ++i) {
            auto* peer = dynamic_cast<TJvCustomComboEdit*>(Owner()->Component(i));
            if (peer != nullptr && peer != this && peer->groupIndex_ == groupIndex_ &&
                std::find(cleared.begin(), cleared.end(), peer) == cleared.end()) {
                next = peer;
            }
        }
        if (next == nullptr) {
            return;
        }
        cleared.push_back(next);
        next->Clear();
    }
}

void TJvCustomComboEdit::SetDisabledColor(TColor color) {
    if (disabledColor_ != color) {
        disabledColor_ = color;
        if (!Enabled()) {
            Invalidate();
        }
    }
}

void TJvCustomComboEdit::SetDisabledTextColor(TColor color) {
    if (disabledTextColor_ != color) {
        disabledTextColor_ = color;
        if (!Enabled()) {
            Invalidate();
        }
    }
}

void TJvCustomComboEdit::SetClipboardCommands(TJvClipboardCommands commands) {
    if (readOnly_ && (commands & ~static_cast<unsigned>(caCopy)) != 0) {
        commands = caCopy;
    }
    clipboardCommands_ = commands;
}

// --- keys

void TJvCustomComboEdit::KeyDown(WORD& key, TShiftState shift) {
    ClearGroupPeers();
    if ((shift & ssCtrl) != 0 && (key == VK_TAB || key == VK_RETURN)) {
        if (TForm* form = ParentForm()) {
            form->KeyDown(key, shift);
            key = 0;
            return;
        }
    }
    // The edit's own handling runs the group rule again before OnKeyDown.
    ClearGroupPeers();
    TCustomEdit::KeyDown(key, shift);
    if (key != 0 && ShortCutOf(key, shift) == clickKey_ && ButtonWidth() > 0) {
        HandleButtonClick();
        key = 0;
    }
}

void TJvCustomComboEdit::KeyPress(char& key) {
    if (key == '\r' || key == '\x1b') {
        // A multi-line edit wants these keys itself; the form still gets
        // its chance (a default or a cancel button).
        if (TForm* form = ParentForm()) {
            form->DialogKey(key == '\r' ? VK_RETURN : VK_ESCAPE, KeyboardShiftState());
        }
        if (key == '\r') {
            TCustomEdit::KeyPress(key);
            key = 0;
            return;
        }
    }
    if (key == '\t' || key == '\n') {
        key = 0;  // a single line: no tabs and no line breaks
        return;
    }
    TCustomEdit::KeyPress(key);
}

// --- button click

void TJvCustomComboEdit::HandleButtonClick() {
    if (!readOnly_) {
        DoButtonClick();
    }
}

void TJvCustomComboEdit::DoButtonClick() {
    CallEvent(OnButtonClick, this);
    ShowDropDown(true);
}

// --- focus, colours

void TJvCustomComboEdit::ShowOwnCaret() {
    HFONT font = reinterpret_cast<HFONT>(CallDefault(WM_GETFONT, 0, 0));
    POINT position{};
    GetCaretPos(&position);
    // Also while read-only: the user sees where a selection would start.
    CreateCaret(Handle(), nullptr, IsBold(font) ? 2 : 1, FontHeight());
    SetCaretPos(position.x, position.y);
    ShowCaret(Handle());
}

void TJvCustomComboEdit::EnabledChanged() {
    TCustomEdit::EnabledChanged();
    button_->SetEnabled(Enabled());
    Invalidate();
}

HBRUSH TJvCustomComboEdit::OnCtlColor(HDC dc) {
    TColor text = clWindowText;
    if (!Enabled() && ColorToRGB(Color()) != ColorToRGB(clGrayText)) {
        text = clGrayText;
    }
    SetTextColor(dc, ColorToRGB(text));
    SetBkColor(dc, ColorToRGB(Color()));
    return ColorBrush();
}

void TJvCustomComboEdit::PaintDisabled() {
    PaintGuard paint(Handle());
    HDC dc = paint.Dc();
    const RECT client = ClientRect();
    TCanvas canvas(dc);
    canvas.FillRect(client, disabledColor_);
    RECT text{};
    CallDefault(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    HFONT font = reinterpret_cast<HFONT>(CallDefault(WM_GETFONT, 0, 0));
    canvas.SetFont(font, disabledTextColor_);
    const std::string caption = Text();
    const int width = canvas.TextExtent(caption).cx;
    int x = text.left;
    if (alignment_ == TAlignment::taRightJustify) {
        x = text.right - width;
    } else if (alignment_ == TAlignment::taCenter) {
        x = (text.left + text.right - width) / 2;
    }
    SetBkMode(dc, TRANSPARENT);
    ExtTextOutA(dc, x, text.top, ETO_CLIPPED, &text, caption.c_str(),
                static_cast<UINT>(caption.size()), nullptr);
    if ((!kNewStyleSystem || flat_) && borderStyle_ == TBorderStyle::bsSingle) {
        canvas.FrameRect(client, clWindowFrame);
    }
}

bool TJvCustomComboEdit::PaintThemedBorder() {
    const HTHEME theme = ThemedBorder() ? StockControlTheme(Handle()) : nullptr;
    if (theme == nullptr) {
        return false;
    }
    WholeWindowDc window(Handle());
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    // Only the outermost pixel is the border; the rest is ours or the edit's.
    ExcludeClipRect(window.Dc(), 1, 1, rect.right - 1, rect.bottom - 1);
    DrawThemeBackground(theme, window.Dc(), EP_EDITTEXT, ETS_NORMAL, &rect, nullptr);
    return true;
}

LRESULT TJvCustomComboEdit::OnClipboardCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
    if ((clipboardCommands_ & ClipboardCommandOf(msg)) == 0) {
        return 1;  // refused
    }
    const bool editable = directInput_ && !readOnly_;
    switch (msg) {
        case WM_CUT:
            return editable ? TCustomEdit::WindowProc(msg, wParam, lParam) : 1;
        case WM_PASTE: {
            const LRESULT result = editable ? TCustomEdit::WindowProc(msg, wParam, lParam) : 1;
            ClearGroupPeers();
            return result;
        }
        case WM_CLEAR:
            // The whole text goes, whatever the input mode; OnChange tells.
            Clear();
            return 0;
    }
    return TCustomEdit::WindowProc(msg, wParam, lParam);
}

LRESULT TJvCustomComboEdit::OnGetDlgCode(WPARAM key) {
    // Not the message: given it, the stock edit would behave as in a dialog
    // (Escape closing the parent). Tab belongs to the form; Enter and Escape
    // come to us and are offered to it as characters.
    LRESULT code = CallDefault(WM_GETDLGCODE, key, 0) & ~static_cast<LRESULT>(DLGC_WANTTAB);
    if (key == VK_TAB) {
        code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    }
    return code;
}

void TJvCustomComboEdit::OnNcCalcSize(RECT& proposed) {
    if (ThemedBorder()) {
        InflateRect(&proposed, 1, 1);  // one pixel of border instead of the client edge's two
    }
}

LRESULT TJvCustomComboEdit::OnNcHitTest(WPARAM wParam, LPARAM lParam) {
    const LRESULT hit = TCustomEdit::WindowProc(WM_NCHITTEST, wParam, lParam);
    if (hit == HTCLIENT && ShowButton() && holder_->Handle() != nullptr) {
        RECT holder{};
        GetWindowRect(holder_->Handle(), &holder);
        // Around the holder there is no text to point at or select.
        if (GET_X_LPARAM(lParam) > holder.left) {
            return HTBORDER;
        }
    }
    return hit;
}

LRESULT TJvCustomComboEdit::OnSize(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TCustomEdit::WindowProc(WM_SIZE, wParam, lParam);
    LayoutButtonHolder();
    AdjustSize();
    return result;
}

LRESULT TJvCustomComboEdit::OnSetFont(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TCustomEdit::WindowProc(WM_SETFONT, wParam, lParam);
    UpdateTextRect();
    if (focused_) {
        ShowOwnCaret();  // the stock edit made its own for the new font
    }
    return result;
}

LRESULT TJvCustomComboEdit::OnSetFocus(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TCustomEdit::WindowProc(WM_SETFOCUS, wParam, lParam);
    focused_ = true;
    ShowOwnCaret();
    if (autoSelect_ && directInput_ && GetKeyState(VK_LBUTTON) >= 0) {
        SelectAll();
    }
    return result;
}

bool TJvCustomComboEdit::OnEraseBkgnd(HDC dc) {
    if (Enabled()) {
        return false;  // the usual erase
    }
    TCanvas canvas(dc);
    canvas.FillRect(ClientRect(), disabledColor_);
    return true;
}

bool TJvCustomComboEdit::OnPaint() {
    if (Enabled()) {
        return false;  // the stock edit paints
    }
    PaintDisabled();
    return true;
}

LRESULT TJvCustomComboEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (ClipboardCommandOf(msg) != 0) {
        return OnClipboardCommand(msg, wParam, lParam);
    }
    switch (msg) {
        case WM_GETDLGCODE:
            return OnGetDlgCode(wParam);
        case WM_NCCALCSIZE:
            OnNcCalcSize(*reinterpret_cast<RECT*>(lParam));
            break;
        case WM_NCPAINT:
            if (PaintThemedBorder()) {
                return 0;
            }
            break;
        case WM_NCHITTEST:
            return OnNcHitTest(wParam, lParam);
        case WM_SIZE:
            return OnSize(wParam, lParam);
        case WM_SETFONT:
            return OnSetFont(wParam, lParam);
        case WM_SETFOCUS:
            return OnSetFocus(wParam, lParam);
        case WM_KILLFOCUS:
            focused_ = false;
            break;
        case WM_ERASEBKGND:
            if (OnEraseBkgnd(reinterpret_cast<HDC>(wParam))) {
                return 1;
            }
            break;
        case WM_PAINT:
            if (OnPaint()) {
                return 0;
            }
            break;
    }
    return TCustomEdit::WindowProc(msg, wParam, lParam);
}
