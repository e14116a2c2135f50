// Where a button's picture and caption go inside its picture area. Portable.
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
