// The looks of the XP button (73 x 21 unless told) worked out from the
// drawing rules, not from the code that draws them: the 64-colour gradient
// tables (steps rounded half to even), their band edges (halves away from
// zero), the dithered first row of each band, the ring's two-pixel band
// around the inset face, and the border colours.
#pragma once

#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "rtl/Bitmap.h"

namespace xp_look {

constexpr int kWidth = 73;
constexpr int kHeight = 21;
constexpr int kColors = 64;

constexpr COLORREF kBorder = RGB(0x00, 0x38, 0x73);
constexpr COLORREF kDisabledBorder = RGB(0xCE, 0xC7, 0xBD);

struct Gradient {
    COLORREF top;
    COLORREF bottom;
};
constexpr Gradient kFace{RGB(0xFF, 0xFF, 0xFF), RGB(0xEF, 0xEB, 0xE7)};
constexpr Gradient kPressed{RGB(0xD6, 0xCF, 0xC6), RGB(0xF7, 0xF3, 0xEB)};
constexpr Gradient kFocusRing{RGB(0xCE, 0xE7, 0xFF), RGB(0x6D, 0x84, 0xEF)};
constexpr Gradient kHotRing{RGB(0xFF, 0xF3, 0xCE), RGB(0xE7, 0x96, 0x00)};

// Entry i of a 64-colour table: each channel steps by (to - from) / 63,
// rounded to nearest with halves to even (the FPU's default mode).
inline COLORREF Entry(const Gradient& gradient, int i) {
    auto channel = [&](int from, int to) {
        return static_cast<int>(from + std::nearbyint(i * (to - from) / 63.0));
    };
    return RGB(channel(GetRValue(gradient.top), GetRValue(gradient.bottom)),
               channel(GetGValue(gradient.top), GetGValue(gradient.bottom)),
               channel(GetBValue(gradient.top), GetBValue(gradient.bottom)));
}

// Row `row` of a dithered top-to-bottom gradient `length` rows high:
// bands start at round(i * length / 64), halves up; a row shows the last
// non-empty band starting at or before it, the first row of a band the
// band before.
inline COLORREF GradientRow(const Gradient& gradient, int length, int row) {
    auto edge = [&](int i) {
        return i < kColors ? (2 * i * length + kColors) / (2 * kColors) : length;
    };
    int band = 0;
    for (int i = 0; i < kColors; ++i) {
        if (edge(i) <= row && edge(i) < edge(i + 1)) {
            band = i;
        }
    }
    return Entry(gradient, band > 0 && edge(band) == row ? band - 1 : band);
}

enum class Ring { kNone, kHot, kFocus };
struct Look {
    Ring ring;
    bool pressedFace;
    COLORREF border;
    int width = kWidth;  // the button's size; the rules hold at any size below 127 high
    int height = kHeight;
};

// The face at an inner point (1 ... W - 2, 1 ... H - 2) away from the
// caption: with a ring, two pixels of the ring's gradient show around the
// background gradient, which keeps its idle size (W - 2 x H - 2) and is
// copied from its top-left corner to (3, 3).
inline COLORREF ExpectedFace(const Look& look, int x, int y) {
    const int w = look.width;
    const int h = look.height;
    if (look.pressedFace) {
        return GradientRow(kPressed, h - 2, y - 1);
    }
    if (look.ring != Ring::kNone) {
        const bool band = x <= 2 || x >= w - 3 || y <= 2 || y >= h - 3;
        if (band) {
            return GradientRow(look.ring == Ring::kHot ? kHotRing : kFocusRing, h - 2, y - 1);
        }
        return GradientRow(kFace, h - 2, y - 3);
    }
    return GradientRow(kFace, h - 2, y - 1);
}

// Checks the face at inner points left and right of the caption, top to
// bottom, and along the two rows of the ring band above and below it,
// leaving out the rounded corners; (left, top) is where the button lies in
// the picture. Empty when all match, else the first difference.
inline std::string FirstFaceMismatch(const TBitmap& picture, const Look& look, int left = 0,
                                     int top = 0) {
    const int w = look.width;
    const int h = look.height;
    std::vector<POINT> points;
    for (int y = 1; y <= h - 2; ++y) {
        for (const int x : {1, 2, 3, 5, 9, w - 10, w - 6, w - 4, w - 3, w - 2}) {
            const bool corner = (x <= 2 || x >= w - 3) && (y <= 2 || y >= h - 3);
            if (!corner) {  // the rounded border and the corner lines
                points.push_back({x, y});
            }
        }
    }
    for (const int y : {1, 2, h - 3, h - 2}) {
        for (int x = 5; x < w - 5; ++x) {
            points.push_back({x, y});
        }
    }
    for (const POINT p : points) {
        const COLORREF actual = picture.Pixel(left + p.x, top + p.y);
        const COLORREF expected = ExpectedFace(look, p.x, p.y);
        if (actual != expected) {
            char text[96];
            wsprintfA(text, "pixel %d, %d is %06lX, not %06lX", p.x, p.y, actual, expected);
            return text;
        }
    }
    return "";
}

}  // namespace xp_look
