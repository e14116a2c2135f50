// The arithmetic of the XP controls' pictures, free of any window system:
// the gradient colour table and band edges, the banded and dithered fill of
// a 24-bit pixel buffer, and the grey conversion. Portable.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "rtl/Scaling.h"  // MulDivRound, which cuts the band edges

struct TRgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};

enum TJvXPGradientDirection : int {
    gdLeftToRight = 0,
    gdTopToBottom = 1,
    gdRightToLeft = 2,
    gdBottomToTop = 3,
};

// Bands along the height (horizontal bands) for top-to-bottom and
// bottom-to-top; along the width otherwise.
bool HorizontalBands(TJvXPGradientDirection direction);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int RoundHalfEven(double value);

// The `colors` entries of a gradient, entry 0 at the top or left: from
// `start` to `end` for left-to-right and top-to-bottom, reversed for the
// other two directions. Each channel steps by (to - from) / (colors - 1).
// Fewer than two colours give the one entry `start`.
std::vector<TRgb> GradientColorTable(TRgb start, TRgb end, int colors,
                                     TJvXPGradientDirection direction);

// Where each band starts along a length: colors + 1 values, the last one
// the length itself. Band i covers [edges[i], edges[i + 1]), empty when the
// length is below the count.
std::vector<int> GradientBandEdges(int length, int colors);

// Rows of 24-bit pixels (blue, green, red), top row first.
struct TPixelRows {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes from one row to the next
    std::uint8_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(y) * stride; }
    TRgb Pixel(int x, int y) const;
    void SetPixel(int x, int y, TRgb color) const;
};

// A number from 0 to range - 1 (0 for a range of 0 or less).
using TRandomSource = std::function<int(int range)>;

// Lays the gradient into `pixels`: the bands in order, each dithered with
// its predecessor's colour in its first rows (or columns) of the leading
// 16-pixel strip, then that strip repeated across the picture. The random
// source is asked only when more than one row or column can be chosen.
void FillGradientPixels(const TPixelRows& pixels, TRgb start, TRgb end, int colors,
                        TJvXPGradientDirection direction, bool dithered,
                        const TRandomSource& random);

// (R + G + B) div 3 + 100, at most 255, on every pixel.
void ConvertToGrayPixels(const TPixelRows& pixels);
