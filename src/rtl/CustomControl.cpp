#include "rtl/Controls.h"

void TCustomControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.style |= WS_CLIPCHILDREN;
}

LRESULT TCustomControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // Paint covers every pixel; erasing would flicker
        case WM_PAINT: {
            PaintGuard paint(Handle());
            PaintBuffered(paint.Dc());
            return 0;
        }
        case WM_PRINTCLIENT: {
            TCanvas canvas(reinterpret_cast<HDC>(wParam));
            Paint(canvas);
            return 0;
        }
    }
    return TWinControl::WindowProc(msg, wParam, lParam);
}

void TCustomControl::PaintBuffered(HDC target) {
    const RECT client = ClientRect();
    if (client.right <= 0 || client.bottom <= 0) {
        return;
    }
    MemoryDc buffer(target);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    SelectGuard selected(buffer.Dc(), bitmap.Get());
    {
        TCanvas canvas(buffer.Dc());
        Paint(canvas);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, buffer.Dc(), 0, 0, SRCCOPY);
}
