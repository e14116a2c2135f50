// The speed button's arithmetic: frame colours, the grey picture, where the
// picture goes, and the places of the shared picture lists.
#include <gtest/gtest.h>

#include "widgets/JvButtonColors.h"
#include "widgets/JvGlyphLayout.h"
#include "widgets/JvGlyphSlots.h"

namespace {

TEST(ButtonColors, HighlightAndShadowAreTheFacePlusAndMinus64PerChannel) {
    struct Case {
        RgbValue face;
        RgbValue highlight;
        RgbValue shadow;
    };
    const Case cases[] = {
        {0xF5F5F5, 0xFFFFFF, 0xB5B5B5},  // Wine's button face
        {0xC0C0C0, 0xFFFFFF, 0x808080},
        {0x102030, 0x506070, 0x000000},  // each channel on its own
        {0x00FF7F, 0x40FFBF, 0x00BF3F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        EXPECT_EQ(FrameHighlight(c.face), c.highlight);
        EXPECT_EQ(FrameShadow(c.face), c.shadow);
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

GlyphLayoutInput Input(int w, int h, int gw, int gh, int cw, int ch, TButtonLayout layout,
                       int margin, int spacing) {
    GlyphLayoutInput in;
    in.areaWidth = w;
    in.areaHeight = h;
    in.glyphWidth = gw;
    in.glyphHeight = gh;
    in.captionWidth = cw;
    in.captionHeight = ch;
    in.layout = layout;
    in.margin = margin;
    in.spacing = spacing;
    return in;
}

TEST(GlyphLayout, PlacesPictureAndCaption) {
    using L = TButtonLayout;
    struct Case {
        const char* name;
        GlyphLayoutInput in;
        GlyphPlacement expected;
    };
    const Case cases[] = {
        // The edit's button: a 14 x 12 picture, no caption, centred.
        {"edit button, themed area",
         Input(15, 13, 14, 12, 0, 0, L::blGlyphTop, -1, 1),
         {0, 0, 7, 12}},
        {"edit button, classic area",
         Input(15, 11, 14, 12, 0, 0, L::blGlyphTop, -1, 1),
         {0, -1, 7, 11}},
        {"wide area", Input(40, 30, 14, 12, 0, 0, L::blGlyphTop, -1, 1), {13, 9, 20, 21}},
        // With a caption the whole is centred along the layout's axis.
        {"top, caption", Input(60, 40, 16, 16, 30, 10, L::blGlyphTop, -1, 2), {22, 6, 15, 24}},
        {"bottom, caption",
         Input(60, 40, 16, 16, 30, 10, L::blGlyphBottom, -1, 2),
         {22, 18, 15, 6}},
        {"left, margin 4", Input(80, 20, 16, 16, 30, 10, L::blGlyphLeft, 4, 2), {4, 2, 22, 5}},
        {"right, margin 4", Input(80, 20, 16, 16, 30, 10, L::blGlyphRight, 4, 2), {60, 2, 28, 5}},
        // Margin and spacing -1: the free space in three equal parts.
        {"thirds", Input(76, 20, 16, 16, 30, 10, L::blGlyphLeft, -1, -1), {10, 2, 36, 5}},
        // Margin set, spacing -1: the rest split around the caption.
        {"margin, spacing shares",
         Input(80, 20, 16, 16, 30, 10, L::blGlyphLeft, 4, -1),
         {4, 2, 35, 5}},
        // Without a caption the spacing does not count.
        {"no caption, spacing 10",
         Input(40, 40, 16, 16, 0, 0, L::blGlyphLeft, -1, 10),
         {12, 12, 28, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GlyphPlacement got = PlaceGlyph(c.in);
        EXPECT_EQ(got.glyphX, c.expected.glyphX);
        EXPECT_EQ(got.glyphY, c.expected.glyphY);
        EXPECT_EQ(got.captionX, c.expected.captionX);
        EXPECT_EQ(got.captionY, c.expected.captionY);
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
