// The buttons' arithmetic: frame colours, the grey picture, where the speed
// button's picture and the XP button's picture and caption go, and the
// places of the shared picture lists.
#include <gtest/gtest.h>

#include <utility>

#include "support/WidgetFields.h"
#include "widgets/JvButtonColors.h"
#include "widgets/JvGlyphLayout.h"
#include "widgets/JvGlyphSlots.h"

namespace {

using support::Fields;

TEST(ButtonColors, HighlightAndShadowAreTheFacePlusAndMinus64PerChannel) {
    const std::tuple<RgbValue, RgbValue, RgbValue> cases[] = {
        {0xF5F5F5, 0xFFFFFF, 0xB5B5B5},  // Wine's button face
        {0xC0C0C0, 0xFFFFFF, 0x808080},
        {0x102030, 0x506070, 0x000000},  // each channel on its own
        {0x00FF7F, 0x40FFBF, 0x00BF3F},
    };
    for (const auto& [face, highlight, shadow] : cases) {
        SCOPED_TRACE(face);
        EXPECT_EQ(FrameHighlight(face), highlight);
        EXPECT_EQ(FrameShadow(face), shadow);
    }
}

TEST(ButtonColors, TheGreyWeighsGreenMost) {
    EXPECT_EQ(GreyOf(0x000000), 0x000000u);
    EXPECT_EQ(GreyOf(0xFFFFFF), 0xFFFFFFu);  // the weights sum to 256
    EXPECT_EQ(GreyOf(0x0000FF), 0x4C4C4Cu);  // red: 77 * 255 / 256
    EXPECT_EQ(GreyOf(0x00FF00), 0x959595u);  // green: 150 * 255 / 256
    EXPECT_EQ(GreyOf(0xFF0000), 0x1C1C1Cu);  // blue: 29 * 255 / 256
    EXPECT_EQ(GreyOf(0x00FFFF), 0xE2E2E2u);  // yellow
}

TEST(GlyphLayout, PlacesPictureAndCaption) {
    using L = TButtonLayout;
    struct Case {
        const char* name;
        GlyphLayoutInput in;
        GlyphPlacement expected;
    };
    // clang-format off
    const Case cases[] = {
    //   name                          w   h  gw  gh  cw  ch  layout        margin spacing   glyph x y, caption x y
        // The edit's button: a 14 x 12 picture, no caption, centred.
        {"edit button, themed area",  {15, 13, 14, 12,  0,  0, L::blGlyphTop,    -1,  1}, {0,  0, 7,  12}},
        {"edit button, classic area", {15, 11, 14, 12,  0,  0, L::blGlyphTop,    -1,  1}, {0, -1, 7,  11}},
        {"wide area",                 {40, 30, 14, 12,  0,  0, L::blGlyphTop,    -1,  1}, {13, 9, 20, 21}},
        // With a caption the whole is centred along the layout's axis.
        {"top, caption",              {60, 40, 16, 16, 30, 10, L::blGlyphTop,    -1,  2}, {22, 6, 15, 24}},
        {"bottom, caption",           {60, 40, 16, 16, 30, 10, L::blGlyphBottom, -1,  2}, {22, 18, 15, 6}},
        {"left, margin 4",            {80, 20, 16, 16, 30, 10, L::blGlyphLeft,    4,  2}, {4,  2, 22, 5}},
        {"right, margin 4",           {80, 20, 16, 16, 30, 10, L::blGlyphRight,   4,  2}, {60, 2, 28, 5}},
        // Margin and spacing -1: the free space in three equal parts.
        {"thirds",                    {76, 20, 16, 16, 30, 10, L::blGlyphLeft,   -1, -1}, {10, 2, 36, 5}},
        // Margin set, spacing -1: the rest split around the caption.
        {"margin, spacing shares",    {80, 20, 16, 16, 30, 10, L::blGlyphLeft,    4, -1}, {4,  2, 35, 5}},
        // Without a caption the spacing does not count.
        {"no caption, spacing 10",    {40, 40, 16, 16,  0,  0, L::blGlyphLeft,   -1, 10}, {12, 12, 28, 20}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Fields(PlaceGlyph(c.in)), Fields(c.expected));
    }
}

TEST(XPCaptionLayout, CentresPictureSpacingAndCaptionAsOneBlock) {
    struct Case {
        const char* name;
        XPCaptionLayoutInput in;
        int textWidth;  // what the platform measures in the box
        int textHeight;
        LayoutRect box;
        bool rightAligned;
        LayoutRect caption;
        int glyphX;
        int glyphY;
    };
    // A 90 x 50 button, an 8 x 8 picture, spacing 3, a 30 x 13 caption: the
    // block is 41 wide (or 24 high) wherever the picture stands.
    // clang-format off
    const Case cases[] = {
    //   name                 w   h  gw gh sp layout     pressed text     box             right caption          glyph
        {"left",            {90, 50, 8, 8, 3, blGlyphLeft,   0}, 30, 13, {11,   0, 90, 50}, false, {35, 18, 65, 31}, 24, 21},
        {"right",           {90, 50, 8, 8, 3, blGlyphRight,  0}, 30, 13, {-11,  0, 68, 50}, true,  {24, 18, 54, 31}, 57, 21},
        {"top",             {90, 50, 8, 8, 3, blGlyphTop,    0}, 30, 13, {0,   11, 90, 50}, false, {30, 24, 60, 37}, 41, 13},
        {"bottom",          {90, 50, 8, 8, 3, blGlyphBottom, 0}, 30, 13, {0,  -11, 90, 50}, false, {30, 13, 60, 26}, 41, 29},
        {"pressed",         {90, 50, 8, 8, 3, blGlyphLeft,   1}, 30, 13, {11,   0, 90, 50}, false, {36, 19, 66, 32}, 25, 22},
        {"no picture",      {90, 50, 0, 0, 3, blGlyphRight,  0}, 30, 13, {0,    0, 90, 50}, false, {30, 18, 60, 31}, 63, 25},
        // Halves of negative room truncate toward zero: -11 / 2 is -5.
        {"wider than it",   {20, 10, 8, 8, 3, blGlyphLeft,   0}, 20, 13, {11,   0, 20, 10}, false, {6,  -1, 26, 12}, -5,  1},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const XPCaptionBox box = XPCaptionMeasureBox(c.in);
        EXPECT_EQ(Fields(box.rect), Fields(c.box));
        EXPECT_EQ(box.rightAligned, c.rightAligned);
        // Measuring sets the right and bottom edges to the text's extent.
        const LayoutRect measured{box.rect.left, box.rect.top, box.rect.left + c.textWidth,
                                  box.rect.top + c.textHeight};
        const XPCaptionPlacement got = PlaceXPCaption(c.in, measured);
        EXPECT_EQ(Fields(got.caption), Fields(c.caption));
        EXPECT_EQ(std::pair(got.glyphX, got.glyphY), std::pair(c.glyphX, c.glyphY)) << "glyph";
    }
}

TEST(GlyphSlots, AFreedPlaceIsHandedOutBeforeTheListGrows) {
    GlyphSlots slots;
    EXPECT_EQ(slots.Allocate(), 0);
    EXPECT_EQ(slots.Allocate(), 1);
    EXPECT_EQ(slots.Allocate(), 2);
    slots.Free(1);
    slots.Free(1);  // twice: counted once
    EXPECT_EQ(slots.UsedCount(), 2);
    EXPECT_FALSE(slots.InUse(1));
    EXPECT_EQ(slots.Allocate(), 1);
    EXPECT_EQ(slots.Allocate(), 3);
    EXPECT_EQ(slots.Size(), 4);
    slots.Free(-1);  // not a place: nothing
    slots.Free(9);
    EXPECT_EQ(slots.UsedCount(), 4);
    for (int i = 0; i < 4; ++i) {
        slots.Free(i);
    }
    EXPECT_EQ(slots.UsedCount(), 0);
    EXPECT_EQ(slots.Allocate(), 0);
}

}  // namespace
