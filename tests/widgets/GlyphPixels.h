// The 14 x 12 folder pictures of a program's resources, and whether a
// picture of the screen shows one at a place. For the tests of the file
// fields, in process and end to end.
#pragma once

#include <windows.h>

#include <vector>

#include "rtl/Bitmap.h"
#include "rtl/Graphics.h"

namespace glyphs {

constexpr int kWidth = 14;
constexpr int kHeight = 12;

// The bitmap's pixels, row by row; see-through (fuchsia) ones as -1.
// Empty when the module has no such bitmap.
inline std::vector<long> ResourcePicture(HMODULE module, const char* name) {
    std::vector<long> pixels;
    GdiObject<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) {
        return pixels;
    }
    MemoryDc dc(nullptr);
    SelectGuard selected(dc.Dc(), bitmap.Get());
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const COLORREF p = GetPixel(dc.Dc(), x, y);
            pixels.push_back(p == RGB(255, 0, 255) ? -1L : static_cast<long>(p));
        }
    }
    return pixels;
}

// Whether every opaque pixel of `picture` shows at (x, y) of `screen`.
inline bool Shows(const TBitmap& screen, const std::vector<long>& picture, int x, int y) {
    for (int row = 0; row < kHeight; ++row) {
        for (int column = 0; column < kWidth; ++column) {
            const long want = picture[static_cast<std::size_t>(row * kWidth + column)];
            if (want >= 0 && screen.Pixel(x + column, y + row) != static_cast<COLORREF>(want)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace glyphs
