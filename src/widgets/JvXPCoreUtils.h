// The drawing routines of the XP controls: the banded, dithered gradient
// bitmap, a line segment, the grey conversion of a bitmap and the caption
// with its embossed disabled look. Free functions without state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "rtl/Bitmap.h"
#include "rtl/Controls.h"
#include "rtl/Graphics.h"
#include "widgets/JvXPPixelRules.h"

// Resizes `Bitmap` to Width x Height (24 bits) and lays a gradient of
// `Colors` bands from StartColor to EndColor into it; system colours are
// resolved now. Dithering draws from the run-time's shared generator only
// when more than one row or column of a band can be chosen.
void FillGradientBitmap(int Width, int Height, TColor StartColor, TColor EndColor,
                        std::uint8_t Colors, TJvXPGradientDirection Direction, bool Dithered,
                        TBitmap& Bitmap);

// A line with the canvas's current pen; the end point is not painted.
void DrawLineSegment(TCanvas& Canvas, int X1, int Y1, int X2, int Y2);

// Every pixel becomes (v, v, v) with v = (R + G + B) div 3 + 100, at most 255.
void ConvertToGray(TBitmap& Bitmap);

// Draws, or with DT_CALCRECT measures, `Caption` in `Rect` with the
// platform's formatted-text drawing. An empty caption (or a lone "&" that
// marks an accelerator) measures as one space. Without ShowAccelChar an "&"
// shows as itself. Disabled: a clBtnHighlight copy one pixel right and down
// under a clBtnShadow copy. The canvas font becomes `Font` (borrowed) in
// `FontColor`; the background mode stays as the canvas has it.
void RenderCaption(TWinControl* Control, TCanvas& Canvas, std::string Caption, HFONT Font,
                   TColor FontColor, bool Enabled, bool ShowAccelChar, RECT& Rect, UINT Flags);
