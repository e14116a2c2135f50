#include "widgets/JvXPPixelRules.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kStrip = 16;  // the dithered strip that is repeated across

int ChannelStep(std::uint8_t from, std::uint8_t to, int index, int colors) {
    const double step = (static_cast<double>(to) - static_cast<double>(from)) / (colors - 1);
    return from + RoundHalfEven(index * step);
}

std::uint8_t ToByte(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

void FillSpan(std::uint8_t* row, int from, int to, TRgb color) {
    for (int x = from; x < to; ++x) {
        row[x * 3] = color.b;
        row[x * 3 + 1] = color.g;
        row[x * 3 + 2] = color.r;
    }
}

// Copies the leading strip (columns or rows 0 to 15) over the rest.
void RepeatStrip(const TPixelRows& pixels, bool horizontalBands) {
    if (horizontalBands) {
        const int stripWidth = std::min(kStrip, pixels.width);
        for (int y = 0; y < pixels.height; ++y) {
            std::uint8_t* row = pixels.Row(y);
            for (int k = 1; k <= pixels.width / kStrip; ++k) {
                const int left = k * kStrip;
                const int count = std::min(stripWidth, pixels.width - left);
                if (count > 0) {
                    std::memcpy(row + left * 3, row, static_cast<std::size_t>(count) * 3);
                }
            }
        }
        return;
    }
    const int stripHeight = std::min(kStrip, pixels.height);
    const std::size_t rowBytes = static_cast<std::size_t>(pixels.width) * 3;
    for (int k = 1; k <= pixels.height / kStrip; ++k) {
        for (int y = 0; y < stripHeight && k * kStrip + y < pixels.height; ++y) {
            std::memcpy(pixels.Row(k * kStrip + y), pixels.Row(y), rowBytes);
        }
    }
}

// Only the leading strip (16 columns across horizontal bands, 16 rows
// across vertical ones) is painted; RepeatStrip copies it across, which
// gives the same picture as filling every band in full.
struct LeadingStrip {
    const TPixelRows& pixels;
    bool horizontal;

    int Length() const { return horizontal ? pixels.height : pixels.width; }
    int Width() const { return std::min(kStrip, pixels.width); }
    int Height() const { return std::min(kStrip, pixels.height); }

    // Band [from, to) along the bands' axis in one colour.
    void FillBand(int from, int to, TRgb color) const {
        if (horizontal) {
            for (int y = from; y < to; ++y) {
                FillSpan(pixels.Row(y), 0, Width(), color);
            }
            return;
        }
        for (int y = 0; y < Height(); ++y) {
            FillSpan(pixels.Row(y), from, to, color);
        }
    }

    // The rows (or columns) from + r(j), j = 0 ... span, in `color`; r(j) is
    // a number below j from `random`, and 0 for j = 0.
    void DitherBand(int from, int span, TRgb color, const TRandomSource& random) const {
        auto pick = [&](int j) { return j == 0 || !random ? 0 : random(j); };
        if (horizontal) {
            for (int j = 0; j <= span; ++j) {
                const int y = from + pick(j);
                if (y >= 0 && y < pixels.height) {
                    FillSpan(pixels.Row(y), 0, Width(), color);
                }
            }
            return;
        }
        for (int y = 0; y < Height(); ++y) {
            for (int j = 0; j <= span; ++j) {
                const int x = from + pick(j);
                if (x >= 0 && x < pixels.width) {
                    pixels.SetPixel(x, y, color);
                }
            }
        }
    }
};

}  // namespace

bool HorizontalBands(TJvXPGradientDirection direction) {
    return direction == gdTopToBottom || direction == gdBottomToTop;
}

int RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double result = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) {
        result = floor + 1.0;
    }
    return static_cast<int>(result);
}

std::vector<TRgb> GradientColorTable(TRgb start, TRgb end, int colors,
                                     TJvXPGradientDirection direction) {
    if (colors < 2) {
        return {start};
    }
    const bool reversed = direction == gdRightToLeft || direction == gdBottomToTop;
    const TRgb from = reversed ? end : start;
    const TRgb to = reversed ? start : end;
    std::vector<TRgb> table(static_cast<std::size_t>(colors));
    for (int i = 0; i < colors; ++i) {
        table[static_cast<std::size_t>(i)] = {ToByte(ChannelStep(from.r, to.r, i, colors)),
                                              ToByte(ChannelStep(from.g, to.g, i, colors)),
                                              ToByte(ChannelStep(from.b, to.b, i, colors))};
    }
    return table;
}

std::vector<int> GradientBandEdges(int length, int colors) {
    if (colors < 1) {
        return {0, std::max(length, 0)};
    }
    std::vector<int> edges(static_cast<std::size_t>(colors) + 1);
    for (int i = 0; i < colors; ++i) {
        edges[static_cast<std::size_t>(i)] = MulDivRound(i, length, colors);
    }
    edges[static_cast<std::size_t>(colors)] = length;
    return edges;
}

TRgb TPixelRows::Pixel(int x, int y) const {
    const std::uint8_t* pixel = Row(y) + x * 3;
    return {pixel[2], pixel[1], pixel[0]};
}

void TPixelRows::SetPixel(int x, int y, TRgb color) const {
    std::uint8_t* pixel = Row(y) + x * 3;
    pixel[0] = color.b;
    pixel[1] = color.g;
    pixel[2] = color.r;
}

void FillGradientPixels(const TPixelRows& pixels, TRgb start, TRgb end, int colors,
                        TJvXPGradientDirection direction, bool dithered,
                        const TRandomSource& random) {
    if (pixels.bits == nullptr || pixels.width <= 0 || pixels.height <= 0) {
        return;
    }
    // Fewer than two colours cannot step; the picture is one band.
    const int n = std::max(colors, 1);
    const std::vector<TRgb> table = GradientColorTable(start, end, n, direction);
    const LeadingStrip strip{pixels, HorizontalBands(direction)};
    const std::vector<int> edges = GradientBandEdges(strip.Length(), n);
    // How far into a band the dither may reach: j = 0 ... length div (n - 1).
    const int ditherSpan = n > 1 ? strip.Length() / (n - 1) : 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        strip.FillBand(edges[i], edges[i + 1], table[i]);
        if (dithered && i > 0) {
            strip.DitherBand(edges[i], ditherSpan, table[i - 1], random);
        }
    }
    RepeatStrip(pixels, strip.horizontal);
}

void ConvertToGrayPixels(const TPixelRows& pixels) {
    if (pixels.bits == nullptr) {
        return;
    }
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const TRgb color = pixels.Pixel(x, y);
            const int value = std::min((color.r + color.g + color.b) / 3 + 100, 255);
            const auto grey = static_cast<std::uint8_t>(value);
            pixels.SetPixel(x, y, {grey, grey, grey});
        }
    }
}
