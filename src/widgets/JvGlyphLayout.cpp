#include "widgets/JvGlyphLayout.h"

namespace {

struct MarginAndSpacing {
    int margin;
    int spacing;
};

// The margin and spacing along a `length` that holds the picture and the
// caption, with -1 resolved as PlaceGlyph says.
MarginAndSpacing ResolveMarginAndSpacing(int length, int glyphAlong, int captionAlong, int margin,
                                         int spacing) {
    if (margin == -1) {
        if (spacing == -1) {
            const int third = (length - glyphAlong - captionAlong) / 3;
            return {third, third};
        }
        return {length / 2 - (glyphAlong + spacing + captionAlong) / 2, spacing};
    }
    if (spacing == -1) {
        spacing = (length - margin - glyphAlong - captionAlong) / 2;
    }
    return {margin, spacing};
}

}  // namespace

GlyphPlacement PlaceGlyph(const GlyphLayoutInput& in) {
    const bool vertical =
        in.layout == TButtonLayout::blGlyphTop || in.layout == TButtonLayout::blGlyphBottom;
    // Along: the axis the layout stacks on; across: the other one.
    const int length = vertical ? in.areaHeight : in.areaWidth;
    const int glyphAlong = vertical ? in.glyphHeight : in.glyphWidth;
    const int captionAlong = vertical ? in.captionHeight : in.captionWidth;
    const bool hasGlyph = in.glyphWidth > 0 && in.glyphHeight > 0;
    const bool hasCaption = in.captionWidth > 0 && in.captionHeight > 0;
    const MarginAndSpacing room = ResolveMarginAndSpacing(
        length, glyphAlong, captionAlong, in.margin, hasGlyph && hasCaption ? in.spacing : 0);

    int glyphAt = room.margin;
    int captionAt = room.margin + glyphAlong + room.spacing;
    if (in.layout == TButtonLayout::blGlyphBottom || in.layout == TButtonLayout::blGlyphRight) {
        glyphAt = length - room.margin - glyphAlong;
        captionAt = glyphAt - room.spacing - captionAlong;
    }
    const int across = vertical ? in.areaWidth : in.areaHeight;
    const int glyphAcross = across / 2 - (vertical ? in.glyphWidth : in.glyphHeight) / 2;
    const int captionAcross = across / 2 - (vertical ? in.captionWidth : in.captionHeight) / 2;
    if (vertical) {
        return {glyphAcross, glyphAt, captionAcross, captionAt};
    }
    return {glyphAt, glyphAcross, captionAt, captionAcross};
}

XPCaptionBox XPCaptionMeasureBox(const XPCaptionLayoutInput& in) {
    XPCaptionBox box{{0, 0, in.width, in.height}, false};
    if (in.glyphWidth <= 0 || in.glyphHeight <= 0) {
        return box;  // an empty picture leaves the whole face to the caption
    }
    const int besideGlyph = in.glyphWidth + in.spacing;
    switch (in.layout) {
        case blGlyphLeft:
            box.rect.left += besideGlyph;
            break;
        case blGlyphRight:
            box.rect.left -= besideGlyph;
            box.rect.right -= 2 * besideGlyph;
            box.rightAligned = true;
            break;
        case blGlyphTop:
            box.rect.top += in.glyphHeight + in.spacing;
            break;
        case blGlyphBottom:
            box.rect.top -= in.glyphHeight + in.spacing;
            break;
    }
    return box;
}

XPCaptionPlacement PlaceXPCaption(const XPCaptionLayoutInput& in, const LayoutRect& measured) {
    const int dx = (in.width - measured.right) / 2 + in.pressedShift;
    const int dy = (in.height - measured.bottom) / 2 + in.pressedShift;
    const LayoutRect caption{measured.left + dx, measured.top + dy, measured.right + dx,
                             measured.bottom + dy};
    // Across the layout's axis the picture is centred in the button.
    const int centredX = (in.width - in.glyphWidth) / 2 + in.pressedShift;
    const int centredY = (in.height - in.glyphHeight) / 2 + in.pressedShift;
    switch (in.layout) {
        case blGlyphLeft:
            return {caption, caption.left - in.glyphWidth - in.spacing, centredY};
        case blGlyphRight:
            return {caption, caption.right + in.spacing, centredY};
        case blGlyphTop:
            return {caption, centredX, caption.top - in.glyphHeight - in.spacing};
        case blGlyphBottom:
            break;
    }
    return {caption, centredX, caption.bottom + in.spacing};
}
