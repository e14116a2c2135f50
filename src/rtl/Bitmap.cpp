#include "rtl/Bitmap.h"

#include <fstream>

TBitmap::~TBitmap() {
    // The bitmap must leave the DC before it can be deleted.
    ReleaseDc();
}

void TBitmap::ReleaseDc() {
    if (dc_ != nullptr) {
        SelectObject(dc_, oldBitmap_);
        DeleteDC(dc_);
        dc_ = nullptr;
    }
}

void TBitmap::SetSize(int width, int height) {
    ReleaseDc();
    bitmap_.Reset();
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
    if (width <= 0 || height <= 0) {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return;
    }
    bitmap_.Reset(bitmap);
    bits_ = static_cast<std::uint8_t*>(bits);
    width_ = width;
    height_ = height;
}

std::uint8_t* TBitmap::ScanLine(int y) {
    GdiFlush();  // GDI may still be drawing into the bits
    return bits_ + static_cast<std::size_t>(y) * RowStride();
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
    GdiFlush();
    return bits_ + static_cast<std::size_t>(y) * RowStride();
}

COLORREF TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return CLR_INVALID;
    }
    const std::uint8_t* pixel = ScanLine(y) + x * 3;
    return RGB(pixel[2], pixel[1], pixel[0]);
}

HDC TBitmap::Dc() {
    if (dc_ == nullptr && bitmap_) {
        dc_ = CreateCompatibleDC(nullptr);
        oldBitmap_ = SelectObject(dc_, bitmap_.Get());
    }
    return dc_;
}

bool TBitmap::CaptureWindow(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    SetSize(rect.right - rect.left, rect.bottom - rect.top);
    if (Empty()) {
        return false;
    }
    if (PrintWindow(window, Dc(), 0)) {
        return true;
    }
    // Fall back to the screen's pixels where the window lies.
    WindowDc screen(nullptr);
    return BitBlt(Dc(), 0, 0, width_, height_, screen.Dc(), rect.left, rect.top, SRCCOPY) != 0;
}

bool TBitmap::SaveToFile(const std::string& path) const {
    if (Empty()) {
        return false;
    }
    const DWORD imageSize = static_cast<DWORD>(RowStride()) * static_cast<DWORD>(height_);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageSize;
    info.biSize = sizeof info;
    info.biWidth = width_;
    info.biHeight = -height_;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageSize;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    GdiFlush();
    out.write(reinterpret_cast<const char*>(bits_), imageSize);
    return static_cast<bool>(out);
}
