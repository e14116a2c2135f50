// The arithmetic of an edit with a button at its right end: where the
// button's holder goes, the text rectangle, the minimum height and the
// ellipsis picture. Portable.
#pragma once

// How the edit's border is drawn.
struct EditFrame {
    bool themed = true;        // visual themes in effect
    bool singleBorder = true;  // border style single (else none)
    bool flat = false;         // not three-dimensional
    bool newStyle = true;      // the system has the new-style common controls
};

struct BoxRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The holder's place in the control's client coordinates, for a control of
// `width` x `height` and a button `buttonWidth` wide.
BoxRect ButtonBounds(const EditFrame& frame, int width, int height, int buttonWidth);

// The text's distance from the edges that the border needs; the button's
// room is added to the right margin by the control.
struct TextMargins {
    int left = 0;
    int right = 0;
    int top = 0;
};
TextMargins EditTextMargins(const EditFrame& frame);

struct TextRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The edit's text rectangle for a control `width` wide:
// (left margin, top, width - right margin - 3, client height - 1).
TextRect EditTextRect(const TextMargins& margins, int width, int clientHeight);

// The height the control grows to when it is lower (EnsureMinHeight): the
// font's height plus room for the border. `borderHeight` is SM_CYBORDER.
int EnsuredMinHeight(const EditFrame& frame, int borderHeight, int systemFontHeight,
                     int fontHeight);
// The least height when the control adjusts its size.
int AdjustedMinHeight(const EditFrame& frame, int borderHeight, int fontHeight);

// The generated ellipsis picture: three 2 x 2 dots in a row, centred in a
// bitmap `width` x 4 made for a button of `buttonWidth`.
struct EllipsisPicture {
    int width = 1;
    int height = 4;
    int dotX[3] = {0, 0, 0};
    int dotY = 1;
    int dotSize = 2;
};
EllipsisPicture MakeEllipsisPicture(int buttonWidth);
