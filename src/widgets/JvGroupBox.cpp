#include "widgets/JvGroupBox.h"

#include <string>

#include "rtl/Graphics.h"
#include "rtl/Themes.h"

namespace {

// The caption starts this far from the frame's left (or right) end, at 96 dpi.
constexpr int kCaptionIndent = 8;
// The font's colour: the group box takes its form's font, clWindowText.
constexpr TColor kFontColor = clWindowText;

void DrawCaption(HDC dc, const std::string& caption, RECT& rect, UINT flags, TColor color) {
    SetTextColor(dc, ColorToRGB(color));
    DrawTextA(dc, caption.c_str(), -1, &rect, flags);
}

}  // namespace

// --- TJvExGroupBox

TJvExGroupBox::TJvExGroupBox(TComponent* owner) : TCustomGroupBox(owner) {
    SetControlStyle(ControlStyle() | csAcceptsControls);
}

TColor TJvExGroupBox::HintColor() {
    if (hintColor_ == clNone) {
        return clInfoBk;  // the application's hint colour
    }
    if (hintColor_ == clDefault) {
        return Parent() != nullptr ? Parent()->HintColor() : clInfoBk;
    }
    return hintColor_;
}

bool TJvExGroupBox::DialogChar(char key, TShiftState shift) {
    const bool handled = TCustomGroupBox::DialogChar(key, shift);
    if (handled) {
        DoHotKey();
    }
    return handled;
}

void TJvExGroupBox::DoHotKey() {
    CallEvent(OnHotKey, this);
}

void TJvExGroupBox::MouseEnter() {
    mouseOver_ = true;
    CallEvent(OnMouseEnter, this);
    TCustomGroupBox::MouseEnter();
}

void TJvExGroupBox::MouseLeave() {
    mouseOver_ = false;
    TCustomGroupBox::MouseLeave();
    CallEvent(OnMouseLeave, this);
}

void TJvExGroupBox::ParentColorChanged() {
    TCustomGroupBox::ParentColorChanged();
    CallEvent(OnParentColorChange, this);
}

// --- TJvGroupBox

void TJvGroupBox::SetPropagateEnable(bool propagate) {
    propagateEnable_ = propagate;
    PropagateEnabled();
}

void TJvGroupBox::PropagateEnabled() {
    // A copy: enabling a child may reach handlers that change the list.
    const std::vector<TWinControl*> children = Controls();
    for (TWinControl* child : children) {
        child->SetEnabled(Enabled());
    }
}

void TJvGroupBox::EnabledChanged() {
    TJvExGroupBox::EnabledChanged();
    if (propagateEnable_) {
        PropagateEnabled();
    }
    Invalidate();
}

bool TJvGroupBox::Themed() {
    return StockControlTheme(Handle()) != nullptr;
}

LRESULT TJvGroupBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_UPDATEUISTATE || msg == WM_SETTEXT) {
        // The platform's box may paint itself at once for these, bypassing
        // WM_PAINT; without visual styles that picture is not ours.
        const LRESULT result = TJvExGroupBox::WindowProc(msg, wParam, lParam);
        if (!Themed()) {
            Invalidate();
        }
        return result;
    }
    if (msg != WM_PAINT && msg != WM_PRINTCLIENT) {
        return TJvExGroupBox::WindowProc(msg, wParam, lParam);
    }
    // With visual styles the platform's group box draws frame and caption.
    const bool themed = Themed();
    if (msg == WM_PRINTCLIENT) {
        // The platform's box paints frame and caption only.
        if ((lParam & PRF_ERASEBKGND) != 0) {
            SendMessageA(Handle(), WM_ERASEBKGND, wParam, 0);
        }
        if (!themed) {
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        }
    }
    if (themed) {
        return TJvExGroupBox::WindowProc(msg, wParam, lParam);
    }
    PaintGuard paint(Handle());
    Paint(paint.Dc());
    return 0;
}

void TJvGroupBox::Paint(HDC dc) {
    TCanvas canvas(dc);  // puts the DC's font, brush and modes back
    const int savedMode = GetBkMode(dc);
    canvas.SetFont(Font(), kFontColor);
    SIZE zero{};
    GetTextExtentPoint32A(dc, "0", 1, &zero);
    const RECT frame = PaintFrame(canvas, zero.cy);
    PaintCaption(dc, frame, zero.cy);
    SetBkMode(dc, savedMode);
}

RECT TJvGroupBox::PaintFrame(TCanvas& canvas, int textHeight) {
    const RECT client = ClientRect();
    RECT frame{0, textHeight / 2 - 1, client.right, client.bottom};
    TColor frameColor = clWindowFrame;
    if (Ctl3D()) {
        // A shadow line with a highlight line one pixel right and below it.
        frame.left += 1;
        frame.top += 1;
        canvas.FrameRect(frame, clBtnHighlight);
        OffsetRect(&frame, -1, -1);
        frameColor = clBtnShadow;
    }
    canvas.FrameRect(frame, frameColor);
    return frame;
}

void TJvGroupBox::PaintCaption(HDC dc, const RECT& frame, int textHeight) {
    const std::string caption = Caption();
    if (caption.empty()) {
        return;
    }
    const int indent = ScaleValue(kCaptionIndent, CurrentPPI(), kDesignPPI);
    RECT text{indent, 0, 0, textHeight};
    if (UseRightToLeftAlignment()) {
        SIZE extent{};
        GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
        text.left = frame.right - extent.cx - indent;
    }
    const UINT flags = DrawTextBiDiModeFlags(DT_SINGLELINE);
    SetBkMode(dc, OPAQUE);
    DrawTextA(dc, caption.c_str(), -1, &text, flags | DT_CALCRECT);
    // The opaque text background hides the frame line behind the caption.
    SetBkColor(dc, ColorToRGB(Color()));
    if (Enabled()) {
        DrawCaption(dc, caption, text, flags, kFontColor);
        return;
    }
    OffsetRect(&text, 1, 1);
    DrawCaption(dc, caption, text, flags, clBtnHighlight);
    OffsetRect(&text, -1, -1);
    SetBkMode(dc, TRANSPARENT);
    DrawCaption(dc, caption, text, flags, clBtnShadow);
}
