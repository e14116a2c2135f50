// The arithmetic of the XP gradients and the grey conversion, checked
// against values worked out here from the rules: the colour steps round
// halves to even, the band edges round halves away from zero, the first row
// (or column) of each band carries the previous band's colour, and the
// leading 16-pixel strip repeats across.
#include "widgets/JvXPPixelRules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "rtl/Random.h"

namespace {

constexpr int kColors = 64;
constexpr TRgb kWhite{0xFF, 0xFF, 0xFF};
constexpr TRgb kFaceBottom{0xEF, 0xEB, 0xE7};

// A pixel buffer with rows padded to four bytes, as bitmaps have them.
struct Picture {
    Picture(int width, int height)
        : stride((width * 3 + 3) & ~3), bytes(static_cast<std::size_t>(stride) * height, 0xAB) {
        rows = {bytes.data(), width, height, stride};
    }
    int stride;
    std::vector<std::uint8_t> bytes;
    TPixelRows rows;
};

// Band edges worked out in integers: round(i * length / n) with halves up,
// which is "away from zero" for these non-negative values.
int EdgeOf(int i, int length, int n) {
    return (2 * i * length + n) / (2 * n);
}

// The band that paints row (or column) r: the last non-empty band that
// starts at or before it.
int BandAt(int r, int length, int n) {
    int band = 0;
    for (int i = 0; i < n; ++i) {
        const int start = EdgeOf(i, length, n);
        const int end = i + 1 < n ? EdgeOf(i + 1, length, n) : length;
        if (start <= r && start < end) {
            band = i;
        }
    }
    return band;
}

// The table entry of row (or column) r: its band's, or with `dithered` the
// band before on the band's first row.
std::size_t EntryAt(int r, int length, bool dithered = true) {
    const int band = BandAt(r, length, kColors);
    const bool first = band > 0 && EdgeOf(band, length, kColors) == r;
    return static_cast<std::size_t>(dithered && first ? band - 1 : band);
}

TRandomSource NeverAsked() {
    return [](int range) {
        ADD_FAILURE() << "the generator was asked for a range of " << range;
        return 0;
    };
}

TEST(XPPixelRulesTest, RoundingRules) {
    const std::pair<double, int> rounding[] = {{0.5, 0},    {1.5, 2},   {2.5, 2},  {3.5, 4},
                                               {-0.5, 0},   {-1.5, -2}, {2.49, 2}, {2.51, 3},
                                               {-2.51, -3}, {7.0, 7}};
    for (const auto& [value, halfEven] : rounding) {
        SCOPED_TRACE(value);
        EXPECT_EQ(RoundHalfEven(value), halfEven);
    }
    // The last needs a 64-bit intermediate: 2^31 / 2 fits although 2^16 * 2^15
    // overflows 32 bits.
    const std::tuple<int, int, int, int> mulDiv[] = {
        {1, 19, 64, 0},     {2, 19, 64, 1}, {32, 19, 64, 10},      {-32, 19, 64, -10},
        {32, -19, 64, -10}, {1, 1, 2, 1},   {3, 1, 2, 2},          {5, 1, 2, 3},
        {7, 3, 0, -1},      {0, 5, 3, 0},   {65536, 65536, 1, -1}, {65536, 32768, 2, 1073741824}};
    for (const auto& [a, b, c, result] : mulDiv) {
        SCOPED_TRACE(std::to_string(a) + " * " + std::to_string(b) + " / " + std::to_string(c));
        EXPECT_EQ(MulDivRound(a, b, c), result);
    }
}

TEST(XPPixelRulesTest, ColourTableStepsRoundHalvesToEven) {
    // 0 to 5 in three entries steps by 2.5: the middle entry is 2, not 3.
    const std::vector<TRgb> halves = GradientColorTable({0, 0, 0}, {5, 1, 3}, 3, gdTopToBottom);
    ASSERT_EQ(halves.size(), 3u);
    EXPECT_EQ(halves[1], (TRgb{2, 0, 2})) << "2.5 -> 2, 0.5 -> 0, 1.5 -> 2";
    EXPECT_EQ(halves[2], (TRgb{5, 1, 3}));

    // The face of the button: white to #EFEBE7 in 64 entries. Red and green
    // step by -16/63 and -20/63, blue by -24/63.
    const std::vector<TRgb> face = GradientColorTable(kWhite, kFaceBottom, kColors, gdTopToBottom);
    ASSERT_EQ(face.size(), 64u);
    EXPECT_EQ(face.front(), kWhite);
    EXPECT_EQ(face.back(), kFaceBottom);
    // Entry 2: 255 - 32/63 (0.51 -> 1), 255 - 40/63 (0.63 -> 1), 255 - 48/63 (0.76 -> 1).
    EXPECT_EQ(face[2], (TRgb{254, 254, 254}));
    // Entry 1: 16/63, 20/63 and 24/63 all round to 0.
    EXPECT_EQ(face[1], kWhite);
    // Entry 32: 16 * 32 / 63 = 8.13 -> 8; 20 * 32 / 63 = 10.16 -> 10; 24 * 32 / 63 = 12.19 -> 12.
    EXPECT_EQ(face[32], (TRgb{247, 245, 243}));

    // The reversed directions run from the end colour.
    const std::vector<TRgb> reversed =
        GradientColorTable(kWhite, kFaceBottom, kColors, gdBottomToTop);
    EXPECT_EQ(reversed.front(), kFaceBottom);
    EXPECT_EQ(reversed.back(), kWhite);
    EXPECT_EQ(GradientColorTable(kWhite, kFaceBottom, kColors, gdRightToLeft), reversed);
    EXPECT_EQ(GradientColorTable(kWhite, kFaceBottom, kColors, gdLeftToRight), face);
}

TEST(XPPixelRulesTest, BandEdgesAlongShortAndLongLengths) {
    for (const int length : {0, 1, 13, 19, 63, 64, 65, 126, 300}) {
        SCOPED_TRACE(length);
        const std::vector<int> edges = GradientBandEdges(length, kColors);
        ASSERT_EQ(edges.size(), 65u);
        for (int i = 0; i < kColors; ++i) {
            EXPECT_EQ(edges[static_cast<std::size_t>(i)], EdgeOf(i, length, kColors))
                << "band " << i;
        }
        EXPECT_EQ(edges.back(), length);
    }
}

TEST(XPPixelRulesTest, TheButtonFaceRowsCarryTheirBandAndTheFirstRowThePrevious) {
    // 73 x 19: the idle face of a 73 x 21 button. Below 126 pixels the
    // dither has one choice per band and never asks the generator.
    constexpr int kWidth = 73;
    constexpr int kHeight = 19;
    const std::vector<TRgb> table = GradientColorTable(kWhite, kFaceBottom, kColors, gdTopToBottom);
    for (const bool dithered : {true, false}) {
        SCOPED_TRACE(dithered ? "dithered" : "plain");
        Picture picture(kWidth, kHeight);
        FillGradientPixels(picture.rows, kWhite, kFaceBottom, kColors, gdTopToBottom, dithered,
                           NeverAsked());
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                ASSERT_EQ(picture.rows.Pixel(x, y), table[EntryAt(y, kHeight, dithered)])
                    << "pixel " << x << ", " << y << ": band " << BandAt(y, kHeight, kColors);
            }
        }
    }
}

TEST(XPPixelRulesTest, WorkedRowsOfTheFace) {
    // Row 0: bands 0 and 1 both start there (19 / 64 = 0.30 -> 0); band 1
    // paints it and dithers it with entry 0, white. Band 63 would start at
    // 1197 / 64 = 18.70 -> 19, below the picture, so row 18 is the only row
    // of band 62 (1178 / 64 = 18.41 -> 18), dithered with entry 61.
    Picture picture(73, 19);
    FillGradientPixels(picture.rows, kWhite, kFaceBottom, kColors, gdTopToBottom, true,
                       NeverAsked());
    const std::vector<TRgb> table = GradientColorTable(kWhite, kFaceBottom, kColors, gdTopToBottom);
    EXPECT_EQ(picture.rows.Pixel(40, 0), kWhite);
    EXPECT_EQ(picture.rows.Pixel(72, 18), table[61]);
    EXPECT_EQ(EdgeOf(62, 19, 64), 18);
    EXPECT_EQ(EdgeOf(63, 19, 64), 19);
}

TEST(XPPixelRulesTest, VerticalBandsDitherTheirFirstColumnInEveryRow) {
    constexpr int kWidth = 40;
    constexpr int kHeight = 37;  // rows 16 to 36 come from the strip copies
    const TRgb from{0, 0, 0};
    const TRgb to{252, 126, 63};
    for (const TJvXPGradientDirection direction : {gdLeftToRight, gdRightToLeft}) {
        SCOPED_TRACE(direction);
        const std::vector<TRgb> table = GradientColorTable(from, to, kColors, direction);
        Picture picture(kWidth, kHeight);
        FillGradientPixels(picture.rows, from, to, kColors, direction, true, NeverAsked());
        for (int x = 0; x < kWidth; ++x) {
            for (int y = 0; y < kHeight; ++y) {
                ASSERT_EQ(picture.rows.Pixel(x, y), table[EntryAt(x, kWidth)])
                    << "pixel " << x << ", " << y;
            }
        }
    }
}

TEST(XPPixelRulesTest, LongBandsDitherRowsChosenByTheGenerator) {
    // 200 rows: 200 div 63 = 3, so each band draws r(1), r(2) and r(3). A
    // generator that always answers range - 1 dithers the rows p, p, p + 1
    // and p + 2 of every band.
    constexpr int kWidth = 20;
    constexpr int kHeight = 200;
    std::vector<int> ranges;
    const TRandomSource highest = [&](int range) {
        ranges.push_back(range);
        return range - 1;
    };
    Picture picture(kWidth, kHeight);
    FillGradientPixels(picture.rows, kWhite, {0, 0, 0}, kColors, gdBottomToTop, true, highest);
    EXPECT_EQ(ranges.size(), 63u * 3u) << "three draws for each band after the first";
    EXPECT_EQ(std::vector<int>(ranges.begin(), ranges.begin() + 3), (std::vector<int>{1, 2, 3}));
    const std::vector<TRgb> table = GradientColorTable(kWhite, {0, 0, 0}, kColors, gdBottomToTop);
    // Band 3 covers rows 9 to 12 (MulDiv 9.375 -> 9, 12.5 -> 13): rows 9, 10
    // and 11 carry entry 2, row 12 entry 3. Band 4 covers 13 to 15, all
    // dithered with entry 3.
    for (const auto& [row, entry] : std::vector<std::pair<int, std::size_t>>{
             {9, 2}, {10, 2}, {11, 2}, {12, 3}, {13, 3}, {14, 3}, {15, 3}, {16, 4}}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(picture.rows.Pixel(0, row), table[entry]);
        EXPECT_EQ(picture.rows.Pixel(kWidth - 1, row), table[entry]);
    }
}

TEST(XPPixelRulesTest, TheSharedGeneratorMakesTheSameDitherFromTheSameSeed) {
    auto fill = [] {
        Picture picture(30, 300);
        FillGradientPixels(picture.rows, kWhite, {0, 0, 0}, kColors, gdTopToBottom, true,
                           [](int range) { return Random(range); });
        return picture.bytes;
    };
    RandSeed(1234);
    const std::vector<std::uint8_t> first = fill();
    RandSeed(1234);
    EXPECT_EQ(fill(), first);
    for (const int range : {1, 2, 7, 1000}) {
        for (int i = 0; i < 200; ++i) {
            const int value = Random(range);
            ASSERT_GE(value, 0);
            ASSERT_LT(value, range);
        }
    }
    EXPECT_EQ(Random(0), 0);
}

TEST(XPPixelRulesTest, TheStripRepeatsAcrossAWidthThatIsNoMultipleOfSixteen) {
    // A generator that picks row p + j - 1 dithers rows only inside the
    // strip; the copies must bring them to every column.
    Picture picture(37, 150);
    FillGradientPixels(picture.rows, kWhite, {0, 0, 0}, kColors, gdTopToBottom, true,
                       [](int range) { return range - 1; });
    for (int y = 0; y < 150; ++y) {
        for (int x = 16; x < 37; ++x) {
            ASSERT_EQ(picture.rows.Pixel(x, y), picture.rows.Pixel(x % 16, y))
                << "pixel " << x << ", " << y;
        }
    }
}

TEST(XPPixelRulesTest, NarrowAndDegeneratePictures) {
    // Narrower than the strip, fewer rows than colours, and a colour count
    // that cannot step: nothing is written outside, nothing divides by zero.
    Picture narrow(5, 3);
    FillGradientPixels(narrow.rows, kWhite, {0, 0, 0}, kColors, gdTopToBottom, true, NeverAsked());
    EXPECT_EQ(narrow.bytes[15], 0xAB) << "the padding after a row stays untouched";
    Picture single(4, 4);
    FillGradientPixels(single.rows, {10, 20, 30}, {0, 0, 0}, 1, gdLeftToRight, true, NeverAsked());
    EXPECT_EQ(single.rows.Pixel(3, 3), (TRgb{10, 20, 30}));
    FillGradientPixels({}, kWhite, kWhite, kColors, gdTopToBottom, true, NeverAsked());
}

TEST(XPPixelRulesTest, GreyConversion) {
    const std::pair<TRgb, std::uint8_t> cases[] = {
        {{255, 0, 0}, 185},     {{200, 200, 200}, 255}, {{0, 0, 0}, 100},
        {{154, 155, 156}, 255}, {{153, 154, 155}, 254}, {{1, 1, 0}, 100},
    };
    Picture picture(static_cast<int>(std::size(cases)), 1);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        picture.rows.SetPixel(i, 0, cases[i].first);
    }
    ConvertToGrayPixels(picture.rows);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        SCOPED_TRACE(i);
        const std::uint8_t v = cases[i].second;
        EXPECT_EQ(picture.rows.Pixel(i, 0), (TRgb{v, v, v}));
    }
}

}  // namespace
