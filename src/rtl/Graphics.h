// Colours, GDI object holders and the canvas over a device context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

// A colour is either 0x00BBGGRR or a named system colour: the high byte 0x80
// with the COLOR_xxx index below, resolved only when drawing so that a
// change of the system colours shows at the next paint.
using TColor = std::uint32_t;

constexpr TColor kSystemColorFlag = 0x80000000u;
constexpr TColor clScrollBar = kSystemColorFlag | COLOR_SCROLLBAR;
constexpr TColor clBackground = kSystemColorFlag | COLOR_BACKGROUND;
constexpr TColor clWindow = kSystemColorFlag | COLOR_WINDOW;
constexpr TColor clWindowFrame = kSystemColorFlag | COLOR_WINDOWFRAME;
constexpr TColor clWindowText = kSystemColorFlag | COLOR_WINDOWTEXT;
constexpr TColor clBtnFace = kSystemColorFlag | COLOR_BTNFACE;
constexpr TColor clBtnShadow = kSystemColorFlag | COLOR_BTNSHADOW;
constexpr TColor clBtnHighlight = kSystemColorFlag | COLOR_BTNHIGHLIGHT;
constexpr TColor clBtnText = kSystemColorFlag | COLOR_BTNTEXT;
constexpr TColor cl3DDkShadow = kSystemColorFlag | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = kSystemColorFlag | COLOR_3DLIGHT;
constexpr TColor clGrayText = kSystemColorFlag | COLOR_GRAYTEXT;
constexpr TColor clHighlight = kSystemColorFlag | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = kSystemColorFlag | COLOR_HIGHLIGHTTEXT;
constexpr TColor clInfoBk = kSystemColorFlag | COLOR_INFOBK;
constexpr TColor clInfoText = kSystemColorFlag | COLOR_INFOTEXT;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clFuchsia = 0xFF00FF;
// Markers, not colours: "none" and "whatever the default is where asked".
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The 0x00BBGGRR value a colour stands for now.
COLORREF ColorToRGB(TColor color);

// Owns one GDI object (pen, brush, font, bitmap, region); not copyable.
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.object_, nullptr));
        }
        return *this;
    }
    ~GdiObject() { Reset(); }

    T Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void Reset(T object = nullptr) {
        if (object_ != nullptr) {
            DeleteObject(object_);
        }
        object_ = object;
    }

private:
    T object_ = nullptr;
};

// Selects an object into a DC and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_ != nullptr && old_ != HGDI_ERROR) {
            SelectObject(dc_, old_);
        }
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint/EndPaint on every path.
class PaintGuard {
public:
    explicit PaintGuard(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;
    ~PaintGuard() { EndPaint(window_, &paint_); }

    HDC Dc() const { return paint_.hdc; }
    const RECT& Dirty() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// GetDC/ReleaseDC; a null window gives the screen DC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { ReleaseDC(window_, dc_); }
    HDC Dc() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// GetWindowDC/ReleaseDC: the whole window, its frame included.
class WholeWindowDc {
public:
    explicit WholeWindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    WholeWindowDc(const WholeWindowDc&) = delete;
    WholeWindowDc& operator=(const WholeWindowDc&) = delete;
    ~WholeWindowDc() { ReleaseDC(window_, dc_); }
    HDC Dc() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory DC compatible with another one; deleted with the holder.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
    }
    HDC Dc() const { return dc_; }

private:
    HDC dc_;
};

// Drawing on a borrowed DC with the current pen, brush and font. Every
// object the canvas makes is its own; whatever it selected is put back when
// the canvas goes, so the DC leaves as it came.
class TCanvas {
public:
    explicit TCanvas(HDC dc);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    ~TCanvas();

    HDC Dc() const { return dc_; }

    void SetPen(TColor color, int width = 1);
    void SetBrush(TColor color);
    void SetClearBrush();  // hollow: shapes draw their outline only
    // The font is borrowed: the caller keeps it alive while the canvas draws.
    void SetFont(HFONT font, TColor color);

    void FillRect(const RECT& rect, TColor color);
    void FrameRect(const RECT& rect, TColor color);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Line(int x1, int y1, int x2, int y2);
    void Rectangle(const RECT& rect);
    void RoundRect(const RECT& rect, int cornerWidth, int cornerHeight);
    void DrawFocusRect(const RECT& rect);
    void SetPixel(int x, int y, TColor color);

    SIZE TextExtent(const std::string& text);
    void TextOut(int x, int y, const std::string& text);  // transparent
    // DrawTextA with `format`; returns the height drawn.
    int DrawText(const std::string& text, RECT& rect, UINT format);

    void CopyFrom(const RECT& dest, HDC source, int sourceX, int sourceY);

private:
    void SelectPen(HPEN pen);
    void SelectBrush(HBRUSH brush);

    HDC dc_;
    HGDIOBJ oldPen_;
    HGDIOBJ oldBrush_;
    HGDIOBJ oldFont_;
    GdiObject<HPEN> pen_;
    GdiObject<HBRUSH> brush_;
    int oldBkMode_;
    COLORREF oldTextColor_;
};
