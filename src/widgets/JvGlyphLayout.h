// Where a button's picture and caption go: the speed button's picture area,
// and the XP push button's face. Portable.
#pragma once

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct GlyphLayoutInput {
    int areaWidth = 0;
    int areaHeight = 0;
    int glyphWidth = 0;  // 0 x 0 without a picture
    int glyphHeight = 0;
    int captionWidth = 0;  // 0 x 0 without a caption
    int captionHeight = 0;
    TButtonLayout layout = TButtonLayout::blGlyphTop;
    int margin = -1;  // -1: centre
    int spacing = 1;  // -1: share the free space
};

struct GlyphPlacement {
    int glyphX = 0;  // relative to the area's origin, before any offset
    int glyphY = 0;
    int captionX = 0;
    int captionY = 0;
};

// Along the layout's axis the picture, the spacing and the caption follow
// the margin; across it each is centred. Margin -1 centres the whole; margin
// and spacing both -1 split the free space in three equal parts. Without a
// caption or a picture the spacing is 0.
GlyphPlacement PlaceGlyph(const GlyphLayoutInput& in);

// The side of the caption on which the XP push button's picture stands.
enum TJvXPLayout : int { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };

struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct XPCaptionLayoutInput {
    int width = 0;  // the button's
    int height = 0;
    int glyphWidth = 0;  // 0 x 0 without a picture
    int glyphHeight = 0;
    int spacing = 0;  // between picture and caption
    TJvXPLayout layout = blGlyphLeft;
    int pressedShift = 0;  // 1 while pressed with the pointer over it
};

// The rectangle the XP button's caption is measured in: the button less the
// picture and the spacing on the picture's side (for the right side the
// caption box reaches as far out to the left and is right-aligned).
struct XPCaptionBox {
    LayoutRect rect;
    bool rightAligned = false;
};
XPCaptionBox XPCaptionMeasureBox(const XPCaptionLayoutInput& in);

// From the caption as measured in that box (right and bottom its extent):
// the block of picture, spacing and caption centred in the button (div
// truncating toward zero) and moved by the pressed shift, the caption's
// rectangle and the picture's top-left corner.
struct XPCaptionPlacement {
    LayoutRect caption;
    int glyphX = 0;
    int glyphY = 0;
};
XPCaptionPlacement PlaceXPCaption(const XPCaptionLayoutInput& in, const LayoutRect& measured);
