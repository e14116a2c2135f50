#include "widgets/JvToolEdit.h"

#include <shldisp.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "rtl/Forms.h"
#include "rtl/Themes.h"

namespace {

constexpr int kComboArrowBitmap = 32738;  // OBM_COMBO, the system's combo-box arrow
constexpr int kSharedGlyphWidth = 14;
constexpr int kSharedGlyphHeight = 12;

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

// The text height of a font: its character height, read through a screen
// device context that is released at once.
int TextHeightOf(HFONT font) {
    WindowDc screen(nullptr);
    SelectGuard selected(screen.Dc(), font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen.Dc(), &metrics);
    return metrics.tmHeight;
}

bool IsBold(HFONT font) {
    LOGFONTA logFont{};
    return font != nullptr && GetObjectA(font, sizeof logFont, &logFont) != 0 &&
           logFont.lfWeight >= FW_BOLD;
}

// The ellipsis picture: black dots on a monochrome bitmap whose set bits
// are the background.
GdiObject<HBITMAP> MakeEllipsisBitmap(int buttonWidth) {
    const EllipsisPicture picture = MakeEllipsisPicture(buttonWidth);
    const int stride = (picture.width + 15) / 16 * 2;  // rows of whole 16-bit words
    std::vector<BYTE> bits(static_cast<std::size_t>(stride) * picture.height, 0xFF);
    for (int dot : picture.dotX) {
        for (int y = picture.dotY; y < picture.dotY + picture.dotSize; ++y) {
            for (int x = dot; x < dot + picture.dotSize; ++x) {
                if (x >= 0 && x < picture.width && y >= 0 && y < picture.height) {
                    bits[static_cast<std::size_t>(y) * stride + x / 8] &=
                        static_cast<BYTE>(~(0x80 >> (x % 8)));
                }
            }
        }
    }
    return GdiObject<HBITMAP>(CreateBitmap(picture.width, picture.height, 1, 1, bits.data()));
}

}  // namespace

// --- TJvEditButton

TJvEditButton::TJvEditButton(TJvCustomComboEdit* edit) : TJvImageSpeedButton(edit), edit_(edit) {
    SetBounds(0, 0, 21, 17);
    // Hints exactly when the edit shows them.
    SetParentShowHint(true);
    SetControlStyle(ControlStyle() | csReplicatable);
}

void TJvEditButton::SetDrawThemedDropDown(bool value) {
    if (drawThemedDropDown_ != value) {
        drawThemedDropDown_ = value;
        Invalidate();
    }
}

LRESULT TJvEditButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CONTEXTMENU) {
        return 1;  // no menu for the button
    }
    return TJvImageSpeedButton::WindowProc(msg, wParam, lParam);
}

void TJvEditButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TJvImageSpeedButton::MouseDown(button, shift, x, y);
    // Without a popup there is nothing to close: the press focuses the edit.
    if (button == TMouseButton::mbLeft && edit_ != nullptr && edit_->TabStop() &&
        edit_->CanFocus() && !edit_->Focused()) {
        edit_->SetFocus();
    }
}

void TJvEditButton::Paint(TCanvas& canvas) {
    const bool themed = ThemeServicesEnabled();
    if (themed && drawThemedDropDown_) {
        ThemeData theme(Handle(), L"COMBOBOX");
        if (theme) {
            int state = CBXS_NORMAL;
            if (!Enabled()) {
                state = CBXS_DISABLED;
            } else if (State() == TButtonState::bsDown || State() == TButtonState::bsExclusive) {
                state = CBXS_PRESSED;
            } else if (MouseOver() || Dragging()) {
                state = CBXS_HOT;
            }
            RECT client = ClientRect();
            DrawThemeParentBackground(Handle(), canvas.Dc(), &client);
            DrawThemeBackground(theme.Get(), canvas.Dc(), CP_DROPDOWNBUTTON, state, &client,
                                nullptr);
            return;
        }
    }
    TJvImageSpeedButton::Paint(canvas);
    const bool pressed = State() == TButtonState::bsDown || State() == TButtonState::bsExclusive;
    if (themed || pressed) {
        return;
    }
    // The left edge blends into the edit: a face line, then a light one.
    const int height = ClientHeight();
    canvas.SetPen(kNewStyleSystem ? clBtnFace : clBtnShadow);
    canvas.Line(0, 0, 0, height - 1);
    canvas.SetPen(clBtnHighlight);
    canvas.Line(1, 1, 1, height - 2);
}

// --- TJvButtonHolder

void TJvButtonHolder::Paint(TCanvas& canvas) {
    canvas.FillRect(ClientRect(), Parent() != nullptr ? Parent()->Color() : clWindow);
}

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

EditFrame TJvCustomComboEdit::Frame() const {
    EditFrame frame;
    frame.themed = ThemeServicesEnabled();
    frame.singleBorder = borderStyle_ == TBorderStyle::bsSingle;
    frame.flat = flat_;
    frame.newStyle = kNewStyleSystem;
    return frame;
}

bool TJvCustomComboEdit::ThemedBorder() const {
    const EditFrame frame = Frame();
    return frame.themed && frame.singleBorder && !frame.flat;
}

int TJvCustomComboEdit::FontHeight() const {
    HFONT font = Handle() != nullptr
                     ? reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0))
                     : nullptr;
    return TextHeightOf(font);
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

// --- layout

void TJvCustomComboEdit::LayoutButtonHolder() {
    const BoxRect place = ButtonBounds(Frame(), Width(), Height(), button_->Width());
    holder_->SetBounds(place.left, place.top, place.width, place.height);
    button_->SetBounds(0, 0, place.width, place.height);
}

void TJvCustomComboEdit::InternalMargins(int& /*left*/, int& right) {
    right += holder_->Width() + 2;
}

void TJvCustomComboEdit::EnsureMinHeight() {
    const int minimum = EnsuredMinHeight(
        Frame(), GetSystemMetrics(SM_CYBORDER),
        TextHeightOf(static_cast<HFONT>(GetStockObject(SYSTEM_FONT))), FontHeight());
    if (Height() < minimum) {
        SetBounds(Left(), Top(), Width(), minimum);
    }
}

void TJvCustomComboEdit::UpdateTextRect() {
    if (Handle() == nullptr) {
        return;
    }
    EnsureMinHeight();
    TextMargins margins = EditTextMargins(Frame());
    InternalMargins(margins.left, margins.right);
    const TextRect text = EditTextRect(margins, Width(), ClientHeight());
    RECT rect{text.left, text.top, text.right, text.bottom};
    CallDefault(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
}

void TJvCustomComboEdit::AdjustSize() {
    const int minimum = AdjustedMinHeight(Frame(), GetSystemMetrics(SM_CYBORDER), FontHeight());
    if (Height() < minimum) {
        SetBounds(Left(), Top(), Width(), minimum);
        return;
    }
    UpdateControls();
    UpdateTextRect();
}

void TJvCustomComboEdit::BorderChanged() {
    if (Handle() != nullptr) {
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayoutButtonHolder();
    UpdateTextRect();
    UpdateControls();
}

void TJvCustomComboEdit::SetFlat(bool flat) {
    if (flat_ == flat) {
        return;
    }
    flat_ = flat;
    if (Handle() != nullptr && borderStyle_ == TBorderStyle::bsSingle) {
        LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
        LONG_PTR exStyle = GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
        if (flat_) {
            style |= WS_BORDER;
            exStyle &= ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
        } else {
            style &= ~static_cast<LONG_PTR>(WS_BORDER);
            exStyle |= WS_EX_CLIENTEDGE;
        }
        SetWindowLongPtrA(Handle(), GWL_STYLE, style);
        SetWindowLongPtrA(Handle(), GWL_EXSTYLE, exStyle);
    }
    BorderChanged();
}

void TJvCustomComboEdit::SetBorderStyle(TBorderStyle style) {
    if (borderStyle_ != style) {
        borderStyle_ = style;
        RecreateWnd();
        LayoutButtonHolder();
    }
}

void TJvCustomComboEdit::SetAlignment(TAlignment alignment) {
    if (alignment_ != alignment) {
        alignment_ = alignment;
        RecreateWnd();
    }
}

// --- button width and visibility

int TJvCustomComboEdit::ButtonWidth() const {
    return ShowButton() ? button_->Width() : savedButtonWidth_;
}

bool TJvCustomComboEdit::ShowButton() const {
    return holder_->Visible();
}

void TJvCustomComboEdit::SetShowButton(bool show) {
    if (show == ShowButton()) {
        return;
    }
    if (show) {
        holder_->SetVisible(true);
        SetButtonWidth(savedButtonWidth_);
    } else {
        SetButtonWidth(0);
    }
}

void TJvCustomComboEdit::SetButtonWidth(int width) {
    if (!ShowButton()) {
        savedButtonWidth_ = width;
        return;
    }
    if (width == button_->Width()) {
        return;
    }
    if (width < 2) {
        savedButtonWidth_ = button_->Width();
        holder_->SetVisible(false);
    } else {
        holder_->SetVisible(true);
    }
    if (creating_) {
        holder_->SetBounds(holder_->Left(), holder_->Top(), width, holder_->Height());
        button_->SetBounds(0, 0, width, button_->Height());
    } else {
        const int room = Parent() != nullptr ? ClientWidth() : Width();
        if (width >= room) {
            return;  // does not fit: the holder keeps its size
        }
        // The holder keeps its right edge: the layout puts it there.
        button_->SetBounds(0, 0, width, button_->Height());
        LayoutButtonHolder();
        RecreateWnd();
    }
    RefreshButtonImage();
}

// --- pictures

TCustomImageList* TJvCustomComboEdit::SharedGlyphList() {
    // One list for the whole process, freed when the program ends.
    static const std::unique_ptr<TCustomImageList> list =
        std::make_unique<TCustomImageList>(nullptr, kSharedGlyphWidth, kSharedGlyphHeight);
    return list.get();
}

void TJvCustomComboEdit::SetImageKind(TJvImageKind kind) {
    if (imageKind_ == kind) {
        return;
    }
    imageKind_ = kind;
    RefreshButtonImage();
    ApplyImageKindImages();
}

void TJvCustomComboEdit::ApplyImageKindImages() {
    switch (imageKind_) {
        case TJvImageKind::ikCustom:
            button_->SetImages(images_);
            button_->SetImageIndex(imageIndex_);
            button_->SetNumGlyphs(numGlyphs_);
            break;
        case TJvImageKind::ikDefault: {
            TCustomImageList* list = SharedGlyphList();
            button_->SetImages(list);
            button_->SetImageIndex(DefaultGlyphIndex());
            if (button_->Images() != nullptr && button_->ImageIndex() >= 0) {
                SetButtonWidth(std::max(list->Width() + 6, button_->Width()));
            }
            break;
        }
        case TJvImageKind::ikDropDown:
            SetButtonWidth(GetSystemMetrics(SM_CXVSCROLL));
            break;
        case TJvImageKind::ikEllipsis:
            break;
    }
}

void TJvCustomComboEdit::RefreshButtonImage() {
    if (!ShowButton()) {
        return;
    }
    const bool dropDown = imageKind_ == TJvImageKind::ikDropDown;
    if (dropDown || imageKind_ == TJvImageKind::ikEllipsis) {
        button_->SetImageIndex(-1);
        button_->SetNumGlyphs(1);
    }
    bool themedDropDown = dropDown;
    if (dropDown) {
        themedDropDown = ThemeServicesEnabled() && !ButtonFlat();
        if (themedDropDown) {
            button_->SetGlyph(nullptr);
        } else {
            GdiObject<HBITMAP> arrow(LoadBitmapA(nullptr, MAKEINTRESOURCEA(kComboArrowBitmap)));
            button_->SetGlyph(arrow.Get());
        }
    } else if (imageKind_ == TJvImageKind::ikEllipsis) {
        GdiObject<HBITMAP> dots = MakeEllipsisBitmap(button_->Width());
        button_->SetGlyph(dots.Get());
    }
    button_->SetDrawThemedDropDown(themedDropDown);
    button_->Invalidate();
}

void TJvCustomComboEdit::SetGlyph(HBITMAP bitmap) {
    SetImageKind(TJvImageKind::ikCustom);
    button_->SetGlyph(bitmap);
    numGlyphs_ = button_->NumGlyphs();
}

int TJvCustomComboEdit::NumGlyphs() const {
    return imageKind_ == TJvImageKind::ikCustom ? button_->NumGlyphs() : numGlyphs_;
}

void TJvCustomComboEdit::SetNumGlyphs(int count) {
    numGlyphs_ = count;
    if (imageKind_ == TJvImageKind::ikCustom) {
        button_->SetNumGlyphs(std::min(count, 5));
    }
}

void TJvCustomComboEdit::SetImages(TCustomImageList* images) {
    if (images_ == images) {
        return;
    }
    if (images_ != nullptr) {
        RemoveFreeNotification(images_);
    }
    images_ = images;
    if (images_ != nullptr) {
        FreeNotification(images_);
    } else {
        imageIndex_ = -1;
    }
    if (imageKind_ == TJvImageKind::ikCustom) {
        button_->SetImages(images_);
        button_->SetImageIndex(imageIndex_);
    }
}

void TJvCustomComboEdit::SetImageIndex(int index) {
    if (imageIndex_ == index) {
        return;
    }
    imageIndex_ = index;
    if (imageKind_ == TJvImageKind::ikCustom) {
        button_->SetImageIndex(index);
    }
}

void TJvCustomComboEdit::SetButtonFlat(bool flat) {
    if (flat == button_->Flat()) {
        return;
    }
    button_->SetFlat(flat);
    if (ThemeServicesEnabled() && imageKind_ == TJvImageKind::ikDropDown) {
        RefreshButtonImage();
    }
}

void TJvCustomComboEdit::Notification(TComponent* component, TOperation operation) {
    TCustomEdit::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        images_ = nullptr;
        imageIndex_ = -1;
    }
}

void TJvCustomComboEdit::SysColorChanged() {
    TCustomEdit::SysColorChanged();
    // A switch of the theme changes the border, the layout and the pictures.
    BorderChanged();
    if (imageKind_ == TJvImageKind::ikDefault) {
        button_->SetImageIndex(DefaultGlyphIndex());
    }
    RefreshButtonImage();
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
    // Collected first: clearing runs handlers that may add or remove components.
    std::vector<TJvCustomComboEdit*> peers;
    for (int i = 0; i < Owner()->ComponentCount(); ++i) {
        auto* peer = dynamic_cast<TJvCustomComboEdit*>(Owner()->Component(i));
        if (peer != nullptr && peer != this && peer->groupIndex_ == groupIndex_) {
            peers.push_back(peer);
        }
    }
    for (TJvCustomComboEdit* peer : peers) {
        peer->Clear();
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

// --- auto-completion

HRESULT TJvCustomComboEdit::MakeShellObject(const CLSID& classId, const IID& interfaceId,
                                            void** object) const {
    *object = nullptr;
    return ShellObjectFactory ? ShellObjectFactory(classId, interfaceId, object)
                              : CreateShellObject(classId, interfaceId, object);
}

void TJvCustomComboEdit::SetAutoCompleteOptions(TJvAutoCompleteOptions options) {
    if (autoCompleteOptions_ == options) {
        return;
    }
    autoCompleteOptions_ = options;
    if (!autoComplete_) {
        AttachAutoComplete();
    }
    ApplyAutoCompleteOptions();
}

void TJvCustomComboEdit::AttachAutoComplete() {
    if (Handle() == nullptr || autoCompleteOptions_ == 0) {
        return;
    }
    autoComplete_.Reset();
    ComPtr<IAutoComplete> object;
    if (FAILED(MakeShellObject(kClsidAutoComplete, kIidIAutoComplete,
                               reinterpret_cast<void**>(object.Put()))) ||
        !object) {
        return;
    }
    autoCompleteSource_ = CreateAutoCompleteSource();
    // Without a source there is nothing to bind; the object stays for its
    // options.
    if (autoCompleteSource_) {
        object->Init(Handle(), autoCompleteSource_.Get(), nullptr, nullptr);
    }
    autoComplete_.Reset(object.Detach());
}

void TJvCustomComboEdit::ApplyAutoCompleteOptions() {
    if (Handle() == nullptr) {
        return;
    }
    ComPtr<IAutoComplete2> object = autoComplete_.As<IAutoComplete2>(kIidIAutoComplete2);
    if (object) {
        object->SetOptions(AutoCompleteFlags(autoCompleteOptions_));
    }
}

ComPtr<IUnknown> TJvCustomComboEdit::CreateAutoCompleteSource() {
    IEnumString* source = TAutoCompleteSource::Create(autoCompleteItems_, 0);
    return ComPtr<IUnknown>(source);
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
    TNotifyEvent handler = OnButtonClick;
    if (handler) {
        handler(this);
    }
    ShowDropDown(true);
}

// --- focus, colours

void TJvCustomComboEdit::ShowOwnCaret() {
    HFONT font = reinterpret_cast<HFONT>(CallDefault(WM_GETFONT, 0, 0));
    POINT position{};
    GetCaretPos(&position);
    // Also while read-only: the user sees where a selection would start.
    CreateCaret(Handle(), nullptr, IsBold(font) ? 2 : 1, TextHeightOf(font));
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
    ThemeData theme(Handle(), L"EDIT");
    if (!theme) {
        return false;
    }
    WholeWindowDc window(Handle());
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    // Only the outermost pixel is the border; the rest is ours or the edit's.
    ExcludeClipRect(window.Dc(), 1, 1, rect.right - 1, rect.bottom - 1);
    DrawThemeBackground(theme.Get(), window.Dc(), EP_EDITTEXT, ETS_NORMAL, &rect, nullptr);
    return true;
}

LRESULT TJvCustomComboEdit::ClipboardCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
    unsigned command = caUndo;
    switch (msg) {
        case WM_COPY:
            command = caCopy;
            break;
        case WM_CUT:
            command = caCut;
            break;
        case WM_PASTE:
            command = caPaste;
            break;
        case WM_CLEAR:
            command = caClear;
            break;
    }
    if ((clipboardCommands_ & command) == 0) {
        return 1;  // refused
    }
    const bool editable = directInput_ && !readOnly_;
    LRESULT result = 1;
    switch (msg) {
        case WM_CUT:
            if (editable) {
                result = TCustomEdit::WindowProc(msg, wParam, lParam);
            }
            return result;
        case WM_PASTE:
            if (editable) {
                result = TCustomEdit::WindowProc(msg, wParam, lParam);
            }
            ClearGroupPeers();
            return result;
        case WM_CLEAR:
            // The whole text goes, whatever the input mode; OnChange tells.
            Clear();
            return 0;
    }
    return TCustomEdit::WindowProc(msg, wParam, lParam);
}

LRESULT TJvCustomComboEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COPY:
        case WM_CUT:
        case WM_PASTE:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
            return ClipboardCommand(msg, wParam, lParam);
        case WM_GETDLGCODE: {
            // Not the message: given it, the stock edit would behave as in a
            // dialog (Escape closing the parent). Tab belongs to the form;
            // Enter and Escape come to us and are offered to it as characters.
            LRESULT code = CallDefault(msg, wParam, 0) & ~static_cast<LRESULT>(DLGC_WANTTAB);
            if (wParam == VK_TAB) {
                code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
            }
            return code;
        }
        case WM_NCCALCSIZE:
            if (ThemedBorder()) {
                // One pixel of border instead of the client edge's two.
                auto* rect = reinterpret_cast<RECT*>(lParam);
                InflateRect(rect, 1, 1);
            }
            break;
        case WM_NCPAINT:
            if (ThemedBorder() && PaintThemedBorder()) {
                return 0;
            }
            break;
        case WM_NCHITTEST: {
            const LRESULT hit = TCustomEdit::WindowProc(msg, wParam, lParam);
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
        case WM_SIZE: {
            const LRESULT result = TCustomEdit::WindowProc(msg, wParam, lParam);
            LayoutButtonHolder();
            AdjustSize();
            return result;
        }
        case WM_SETFONT: {
            const LRESULT result = TCustomEdit::WindowProc(msg, wParam, lParam);
            UpdateTextRect();
            if (focused_) {
                ShowOwnCaret();  // the stock edit made its own for the new font
            }
            return result;
        }
        case WM_SETFOCUS: {
            const LRESULT result = TCustomEdit::WindowProc(msg, wParam, lParam);
            focused_ = true;
            ShowOwnCaret();
            if (autoSelect_ && directInput_ && GetKeyState(VK_LBUTTON) >= 0) {
                SelectAll();
            }
            return result;
        }
        case WM_KILLFOCUS:
            focused_ = false;
            break;
        case WM_ERASEBKGND:
            if (!Enabled()) {
                const RECT client = ClientRect();
                TCanvas canvas(reinterpret_cast<HDC>(wParam));
                canvas.FillRect(client, disabledColor_);
                return 1;
            }
            break;
        case WM_PAINT:
            if (!Enabled()) {
                PaintDisabled();
                return 0;
            }
            break;
    }
    return TCustomEdit::WindowProc(msg, wParam, lParam);
}
