#include "widgets/JvGlyphLayout.h"

GlyphPlacement PlaceGlyph(const GlyphLayoutInput& in) {
    const bool vertical =
        in.layout == TButtonLayout::blGlyphTop || in.layout == TButtonLayout::blGlyphBottom;
    // Along: the axis the layout stacks on; across: the other one.
    const int length = vertical ? in.areaHeight : in.areaWidth;
    const int glyphAlong = vertical ? in.glyphHeight : in.glyphWidth;
    const int captionAlong = vertical ? in.captionHeight : in.captionWidth;
    const bool hasGlyph = in.glyphWidth > 0 && in.glyphHeight > 0;
    const bool hasCaption = in.captionWidth > 0 && in.captionHeight > 0;

    int spacing = in.spacing;
    int margin = in.margin;
    if (!hasGlyph || !hasCaption) {
        spacing = 0;
    }
    if (margin == -1) {
        if (spacing == -1) {
            const int third = (length - glyphAlong - captionAlong) / 3;
            margin = third;
            spacing = third;
        } else {
            margin = length / 2 - (glyphAlong + spacing + captionAlong) / 2;
        }
    } else if (spacing == -1) {
        spacing = (length - margin - glyphAlong - captionAlong) / 2;
    }

    int glyphAt = margin;
    int captionAt = margin + glyphAlong + spacing;
    if (in.layout == TButtonLayout::blGlyphBottom || in.layout == TButtonLayout::blGlyphRight) {
        glyphAt = length - margin - glyphAlong;
        captionAt = glyphAt - spacing - captionAlong;
    }
    const int across = vertical ? in.areaWidth : in.areaHeight;
    const int glyphAcross = across / 2 - (vertical ? in.glyphWidth : in.glyphHeight) / 2;
    const int captionAcross = across / 2 - (vertical ? in.captionWidth : in.captionHeight) / 2;

    GlyphPlacement out;
    if (vertical) {
        out = {glyphAcross, glyphAt, captionAcross, captionAt};
    } else {
        out = {glyphAt, glyphAcross, captionAt, captionAcross};
    }
    return out;
}
