#include "widgets/JvComboEditGeometry.h"

#include <algorithm>

BoxRect ButtonBounds(const EditFrame& frame, int width, int height, int buttonWidth) {
    const int b = buttonWidth;
    if (!frame.singleBorder || !frame.newStyle) {
        return {width - b, 0, b, height};
    }
    if (frame.themed) {
        return frame.flat ? BoxRect{width - b - 1, 1, b, height - 2}
                          : BoxRect{width - b - 2, 0, b, height - 2};
    }
    return frame.flat ? BoxRect{width - b - 2, 2, b, height - 4}
                      : BoxRect{width - b - 4, 0, b, height - 4};
}

TextMargins EditTextMargins(const EditFrame& frame) {
    TextMargins margins;
    if (frame.themed && frame.newStyle && frame.singleBorder) {
        if (frame.flat) {
            margins.left = 3;
            margins.right = -1;
        } else {
            margins.left = 1;
            margins.top = 1;
            margins.right = 1;
        }
    } else if (frame.singleBorder && !frame.flat) {
        margins.top = 2;
    }
    return margins;
}

TextRect EditTextRect(const TextMargins& margins, int width, int clientHeight) {
    return {margins.left, margins.top, width - margins.right - 3, clientHeight - 1};
}

int EnsuredMinHeight(const EditFrame& frame, int borderHeight, int systemFontHeight,
                     int fontHeight) {
    int extra = 0;
    if (frame.newStyle) {
        extra = borderHeight * (frame.flat ? 6 : 8);
    } else {
        extra = borderHeight * 4 + std::min(systemFontHeight, fontHeight) / 4;
    }
    return fontHeight + extra;
}

int AdjustedMinHeight(const EditFrame& frame, int borderHeight, int fontHeight) {
    return fontHeight + (frame.singleBorder ? borderHeight * 4 + 1 : 0);
}

EllipsisPicture MakeEllipsisPicture(int buttonWidth) {
    EllipsisPicture picture;
    picture.width = std::max(1, buttonWidth - 6);
    // Integer division truncates towards zero, also for the narrow buttons
    // where the numerators turn negative; the dots may then lie partly
    // outside the bitmap, which drawing clips.
    const int gap = std::clamp((picture.width - 6) / 2, 1, 3);
    const int x0 = (picture.width - 6 - 2 * gap) / 2;
    picture.dotX[0] = x0;
    picture.dotX[1] = x0 + 2 + gap;
    picture.dotX[2] = x0 + 4 + 2 * gap;
    return picture;
}
