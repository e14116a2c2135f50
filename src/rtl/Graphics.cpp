#include "rtl/Graphics.h"

COLORREF ColorToRGB(TColor color) {
    if ((color & kSystemColorFlag) != 0) {
        return GetSysColor(static_cast<int>(color & 0xFF));
    }
    return color & 0x00FFFFFFu;
}

TCanvas::TCanvas(HDC dc)
    : dc_(dc),
      oldPen_(GetCurrentObject(dc, OBJ_PEN)),
      oldBrush_(GetCurrentObject(dc, OBJ_BRUSH)),
      oldFont_(GetCurrentObject(dc, OBJ_FONT)),
      oldBkMode_(GetBkMode(dc)),
      oldTextColor_(GetTextColor(dc)) {}

TCanvas::~TCanvas() {
    // Put the DC's own objects back before ours are deleted.
    SelectObject(dc_, oldPen_);
    SelectObject(dc_, oldBrush_);
    SelectObject(dc_, oldFont_);
    SetBkMode(dc_, oldBkMode_);
    SetTextColor(dc_, oldTextColor_);
}

void TCanvas::SelectPen(HPEN pen) {
    SelectObject(dc_, pen);
    pen_.Reset(pen);
}

void TCanvas::SelectBrush(HBRUSH brush) {
    SelectObject(dc_, brush);
    brush_.Reset(brush);
}

void TCanvas::SetPen(TColor color, int width) {
    SelectPen(CreatePen(PS_SOLID, width, ColorToRGB(color)));
}

void TCanvas::SetBrush(TColor color) {
    SelectBrush(CreateSolidBrush(ColorToRGB(color)));
}

void TCanvas::SetClearBrush() {
    SelectObject(dc_, GetStockObject(HOLLOW_BRUSH));
    brush_.Reset();
}

void TCanvas::SetFont(HFONT font, TColor color) {
    SelectObject(dc_, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc_, ColorToRGB(color));
}

void TCanvas::FillRect(const RECT& rect, TColor color) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(color)));
    ::FillRect(dc_, &rect, brush.Get());
}

void TCanvas::FrameRect(const RECT& rect, TColor color) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(color)));
    ::FrameRect(dc_, &rect, brush.Get());
}

void TCanvas::MoveTo(int x, int y) {
    MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    ::LineTo(dc_, x, y);
}

void TCanvas::Line(int x1, int y1, int x2, int y2) {
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void TCanvas::Rectangle(const RECT& rect) {
    ::Rectangle(dc_, rect.left, rect.top, rect.right, rect.bottom);
}

void TCanvas::RoundRect(const RECT& rect, int cornerWidth, int cornerHeight) {
    ::RoundRect(dc_, rect.left, rect.top, rect.right, rect.bottom, cornerWidth, cornerHeight);
}

void TCanvas::DrawFocusRect(const RECT& rect) {
    ::DrawFocusRect(dc_, &rect);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    ::SetPixel(dc_, x, y, ColorToRGB(color));
}

SIZE TCanvas::TextExtent(const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    SetBkMode(dc_, TRANSPARENT);
    ::TextOutA(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
}

int TCanvas::DrawText(const std::string& text, RECT& rect, UINT format) {
    SetBkMode(dc_, TRANSPARENT);
    return ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

void TCanvas::CopyFrom(const RECT& dest, HDC source, int sourceX, int sourceY) {
    BitBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source,
           sourceX, sourceY, SRCCOPY);
}
