#include "widgets/JvXPCoreUtils.h"

#include "rtl/Random.h"

namespace {

TRgb ResolvedRgb(TColor color) {
    const COLORREF rgb = ColorToRGB(color);
    return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

TPixelRows RowsOf(TBitmap& bitmap) {
    if (bitmap.Empty()) {
        return {};
    }
    return {bitmap.ScanLine(0), bitmap.Width(), bitmap.Height(), bitmap.RowStride()};
}

void DrawCaptionOnce(TCanvas& canvas, const std::string& caption, RECT& rect, UINT flags,
                     TColor color) {
    SetTextColor(canvas.Dc(), ColorToRGB(color));
    // The text is only read: DT_MODIFYSTRING would write the ellipsis into it.
    DrawTextA(canvas.Dc(), caption.c_str(), -1, &rect, flags & ~static_cast<UINT>(DT_MODIFYSTRING));
}

}  // namespace

void FillGradientBitmap(int Width, int Height, TColor StartColor, TColor EndColor,
                        std::uint8_t Colors, TJvXPGradientDirection Direction, bool Dithered,
                        TBitmap& Bitmap) {
    Bitmap.SetSize(Width, Height);
    FillGradientPixels(RowsOf(Bitmap), ResolvedRgb(StartColor), ResolvedRgb(EndColor), Colors,
                       Direction, Dithered, [](int range) { return Random(range); });
}

void DrawLineSegment(TCanvas& Canvas, int X1, int Y1, int X2, int Y2) {
    Canvas.MoveTo(X1, Y1);
    Canvas.LineTo(X2, Y2);
}

void ConvertToGray(TBitmap& Bitmap) {
    ConvertToGrayPixels(RowsOf(Bitmap));
}

void RenderCaption(TWinControl* Control, TCanvas& Canvas, std::string Caption, HFONT Font,
                   TColor FontColor, bool Enabled, bool ShowAccelChar, RECT& Rect, UINT Flags) {
    // A measured empty caption still has the height of one line.
    if ((Flags & DT_CALCRECT) != 0 && (Caption.empty() || (ShowAccelChar && Caption == "&"))) {
        Caption += ' ';
    }
    if (!ShowAccelChar) {
        Flags |= DT_NOPREFIX;
    }
    if (Control != nullptr) {
        Flags = Control->DrawTextBiDiModeFlags(Flags);
    }
    Canvas.SetFont(Font, FontColor);
    if (Enabled) {
        DrawCaptionOnce(Canvas, Caption, Rect, Flags, FontColor);
        return;
    }
    OffsetRect(&Rect, 1, 1);
    DrawCaptionOnce(Canvas, Caption, Rect, Flags, clBtnHighlight);
    OffsetRect(&Rect, -1, -1);
    DrawCaptionOnce(Canvas, Caption, Rect, Flags, clBtnShadow);
}
