// A 24-bit device-independent bitmap with direct access to its rows, and a
// DC to draw into it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "rtl/Graphics.h"

class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height) { SetSize(width, height); }
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    ~TBitmap();

    // Makes a new, black picture; the old one is gone. 0 x 0 empties it.
    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    // Row y, top row first: Width() pixels of blue, green, red bytes.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    // Bytes from one row to the next (a multiple of 4).
    int RowStride() const { return (width_ * 3 + 3) & ~3; }

    COLORREF Pixel(int x, int y) const;

    // A DC with the picture selected, made on first use.
    HDC Dc();
    HBITMAP Handle() const { return bitmap_.Get(); }

    // Copies the window's current look (PrintWindow) into a new picture.
    bool CaptureWindow(HWND window);
    // Writes a .bmp file; false on any failure.
    bool SaveToFile(const std::string& path) const;

private:
    void ReleaseDc();

    GdiObject<HBITMAP> bitmap_;
    std::uint8_t* bits_ = nullptr;  // owned by bitmap_
    int width_ = 0;
    int height_ = 0;
    HDC dc_ = nullptr;  // owned; holds bitmap_ while it exists
    HGDIOBJ oldBitmap_ = nullptr;
};
