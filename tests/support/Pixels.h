// Pictures in the tests: one made pixel by pixel, how many pixels of an area
// pass a test, and the box around those that do. A test sees each pixel
// with its place. Rectangles compare and print as their four edges.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>

#include "rtl/Bitmap.h"

// Beside RECT, where the test framework looks for them.
inline bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace support {

using PixelTest = std::function<bool(int x, int y, COLORREF pixel)>;

inline RECT Whole(const TBitmap& picture) {
    return {0, 0, picture.Width(), picture.Height()};
}

// A picture of `width` x `height` whose pixel (x, y) is `colourAt(x, y)`.
inline void Paint(TBitmap& picture, int width, int height,
                  const std::function<COLORREF(int x, int y)>& colourAt) {
    picture.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = colourAt(x, y);
            row[x * 3] = GetBValue(colour);
            row[x * 3 + 1] = GetGValue(colour);
            row[x * 3 + 2] = GetRValue(colour);
        }
    }
}

inline int CountPixels(const TBitmap& picture, const RECT& area, const PixelTest& test) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            count += test(x, y, picture.Pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// The smallest rectangle around the pixels of `area` that pass `test`;
// all zero when none does.
inline RECT BoxOf(const TBitmap& picture, const RECT& area, const PixelTest& test) {
    RECT box{area.right, area.bottom, area.left, area.top};
    CountPixels(picture, area, [&](int x, int y, COLORREF pixel) {
        if (test(x, y, pixel)) {
            box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                   std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        }
        return false;
    });
    return box.left < box.right ? box : RECT{};
}

// Whether both pictures have the same size and pixels.
inline bool SamePixels(const TBitmap& a, const TBitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           CountPixels(a, Whole(a), [&](int x, int y, COLORREF p) { return p != b.Pixel(x, y); }) ==
               0;
}

}  // namespace support
