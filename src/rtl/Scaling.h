// Lengths at the screen's resolution. A layout is given at 96 pixels per
// inch; at another resolution each of its lengths is scaled by ppi / 96 with
// MulDiv's rounding, while lines stay one pixel wide. A picture of fixed
// size is drawn at a whole multiple of it, so that it stays crisp. Portable.
#pragma once

// The resolution layouts are given at.
constexpr int kDesignPPI = 96;

// a * b / c over a 64-bit intermediate, rounded to the nearest integer with
// halves away from zero; -1 when c is 0 or the result does not fit, as the
// platform's MulDiv answers.
int MulDivRound(int a, int b, int c);

// A length given at `fromPPI`, at `toPPI`.
int ScaleValue(int value, int toPPI, int fromPPI);

// A control's place in its parent; each of the four numbers is scaled on
// its own, as a layout table's are.
struct ScalableBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ScalableBounds&, const ScalableBounds&) = default;
};
ScalableBounds ScaleBounds(const ScalableBounds& bounds, int toPPI, int fromPPI);

// How many times its own size a fixed picture is drawn at `ppi`: the
// largest whole multiple the scale allows, and at least 1.
int PictureScale(int ppi);
