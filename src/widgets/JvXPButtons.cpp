#include "widgets/JvXPButtons.h"
#include <algorithm>

namespace {

// The plain look: a rounded dark-blue frame around a light face; rings for
// the pointer (orange) and the focus (blue); a grey frame and an embossed
// caption when disabled.
constexpr TColor kFrame = 0x743C00;          // #003C74
constexpr TColor kDisabledFrame = 0xBDC7CE;  // #CEC7BD
constexpr TColor kFaceTop = 0xFFFFFF;
constexpr TColor kFaceBottom = 0xDEDBD6;  // #D6DBDE
constexpr TColor kPressedTop = 0xD6DBDE;
constexpr TColor kPressedBottom = 0xEFF0F0;
constexpr TColor kHotRing = 0x30B3F8;    // #F8B330
constexpr TColor kFocusRing = 0xEF846D;  // #6D84EF

TColor Blend(TColor from, TColor to, int step, int steps) {
    auto channel = [&](int shift) {
        const int a = static_cast<int>((from >> shift) & 0xFF);
        const int b = static_cast<int>((to >> shift) & 0xFF);
        return static_cast<TColor>(a + (b - a) * step / std::max(steps, 1)) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

}  // namespace

TJvXPButton::TJvXPButton(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 73, 21);
    SetTabStop(true);
    // A fast second click is a second click.
    SetControlStyle(ControlStyle() & ~csDoubleClicks);
}

bool TJvXPButton::DialogKey(WORD key, TShiftState /*shift*/) {
    if (key == VK_RETURN && Focused()) {
        Click();
        return true;
    }
    return false;
}

void TJvXPButton::Click() {
    if (!Enabled()) {
        return;
    }
    TNotifyEvent handler = OnClick;
    if (handler) {
        handler(this);
    }
}

bool TJvXPButton::PointerInside() const {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(Handle(), &point);
    RECT client = ClientRect();
    return PtInRect(&client, point) != FALSE;
}

void TJvXPButton::SetHot(bool hot) {
    if (hot_ != hot) {
        hot_ = hot;
        Invalidate();
    }
}

void TJvXPButton::Press() {
    if (CanFocus() && !Focused()) {
        SetFocus();
    }
    pressed_ = true;
    Invalidate();
}

// Any release ends a press, by the mouse or by Space, and clicks.
void TJvXPButton::Release() {
    pressed_ = false;
    Invalidate();
    Click();
}

LRESULT TJvXPButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            SetCapture(Handle());
            SetHot(true);
            Press();
            return 0;
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
                tracking_ = TrackMouseEvent(&track) != FALSE;
            }
            {
                const POINT point{static_cast<short>(LOWORD(lParam)),
                                  static_cast<short>(HIWORD(lParam))};
                const RECT client = ClientRect();
                SetHot(PtInRect(&client, point) != FALSE);
            }
            return 0;
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (!pressed_) {
                SetHot(false);
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == Handle()) {
                ReleaseCapture();
            }
            if (pressed_) {
                const POINT point{static_cast<short>(LOWORD(lParam)),
                                  static_cast<short>(HIWORD(lParam))};
                const RECT client = ClientRect();
                if (PtInRect(&client, point)) {
                    Release();
                } else {
                    pressed_ = false;
                    SetHot(false);
                    Invalidate();
                }
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 &&
                GetKeyState(VK_MENU) >= 0) {
                if (!pressed_) {  // auto-repeat adds nothing
                    SetHot(true);
                    Press();
                }
                return 0;
            }
            break;
        case WM_KEYUP:
            if (pressed_) {
                if (GetCapture() == Handle()) {
                    ReleaseCapture();
                }
                hot_ = PointerInside();
                Release();
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS;
    }
    return TCustomControl::WindowProc(msg, wParam, lParam);
}

void TJvXPButton::EnabledChanged() {
    if (!Enabled()) {
        hot_ = false;
        pressed_ = false;
    }
    TCustomControl::EnabledChanged();
}

void TJvXPButton::FocusChanged(bool /*gained*/) {
    Invalidate();
}

void TJvXPButton::Paint(TCanvas& canvas) {
    const RECT client = ClientRect();
    const int width = client.right;
    const int height = client.bottom;
    // Behind the rounded corners: the parent's colour.
    TWinControl* parent = Parent();
    canvas.FillRect(client, parent != nullptr ? parent->Color() : clBtnFace);

    const bool enabled = Enabled();
    const bool down = enabled && pressed_ && hot_;
    const TColor top = down ? kPressedTop : kFaceTop;
    const TColor bottom = down ? kPressedBottom : kFaceBottom;
    for (int y = 1; y < height - 1; ++y) {
        canvas.SetPen(Blend(top, bottom, y - 1, height - 3));
        canvas.Line(1, y, width - 1, y);
    }
    canvas.SetClearBrush();
    canvas.SetPen(enabled ? kFrame : kDisabledFrame);
    canvas.RoundRect(client, 5, 5);
    if (enabled && !down && (hot_ || Focused())) {
        canvas.SetPen(hot_ ? kHotRing : kFocusRing, 2);
        const RECT ring{2, 2, width - 1, height - 1};
        canvas.Rectangle(ring);
    }

    RECT text = client;
    if (down) {
        OffsetRect(&text, 1, 1);
    }
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (enabled) {
        canvas.SetFont(Font(), clBtnText);
        canvas.DrawText(Caption(), text, format);
    } else {
        // Embossed: a light copy one pixel down and right under the grey text.
        canvas.SetFont(Font(), clBtnHighlight);
        RECT shadow = text;
        OffsetRect(&shadow, 1, 1);
        canvas.DrawText(Caption(), shadow, format);
        canvas.SetFont(Font(), clGrayText);
        canvas.DrawText(Caption(), text, format);
    }
}
