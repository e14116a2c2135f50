// The main window's layout as its table gives it at 96 dpi, in each
// parent's client coordinates, and the same at another resolution: each
// number on its own by ppi / 96 with the platform's MulDiv.
#pragma once

#include <windows.h>

#include <vector>

namespace main_layout {

struct Place {
    int left, top, width, height;
};
constexpr Place kClient{0, 0, 458, 305};
constexpr Place kFrames[] = {{32, 24, 393, 65}, {32, 96, 393, 65}, {32, 168, 393, 65}};
constexpr Place kField{16, 24, 361, 21};  // in its frame
// The buttons at their class's default size.
constexpr Place kClose{352, 256, 73, 21};
constexpr Place kPatch{32, 256, 73, 21};
constexpr Place kProgress{113, 258, 231, 17};  // between them, shown while a patch runs
constexpr int kFieldButtonWidth = 21;
constexpr int kFontHeight = -11;

inline int Scaled(int value, int ppi) {
    return MulDiv(value, ppi, 96);
}

// Left, top, right and bottom, for comparing.
inline std::vector<int> Numbers(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}
inline std::vector<int> Scaled(const Place& place, int ppi) {
    const int left = Scaled(place.left, ppi);
    const int top = Scaled(place.top, ppi);
    return {left, top, left + Scaled(place.width, ppi), top + Scaled(place.height, ppi)};
}

}  // namespace main_layout
