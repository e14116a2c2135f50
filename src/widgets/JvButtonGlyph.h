// The picture of a speed button: laid out in the button's picture area and
// drawn in the button's state, from an image list or from a bitmap of up to
// five pictures side by side. Pictures made from the bitmap (and the grey
// copies of image-list pictures) are made once and kept in the shared glyph
// lists.
#pragma once

#include <windows.h>

#include <array>

#include "rtl/Bitmap.h"
#include "rtl/Graphics.h"
#include "rtl/ImgList.h"
#include "widgets/JvGlyphCache.h"
#include "widgets/JvGlyphLayout.h"

// The button states; inactive (a flat button that is not hot) is derived
// while painting. The order is the order of the bitmap's pictures.
enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive, bsInactive };
constexpr int kButtonStateCount = 5;

class TJvxButtonGlyph {
public:
    TJvxButtonGlyph();
    TJvxButtonGlyph(const TJvxButtonGlyph&) = delete;
    TJvxButtonGlyph& operator=(const TJvxButtonGlyph&) = delete;
    ~TJvxButtonGlyph();

    // The source bitmap, copied; a monochrome one shows its set bits in the
    // transparent colour. Null empties it. Drops the pictures made so far.
    void SetGlyph(HBITMAP bitmap);
    const TBitmap& Glyph() const { return glyph_; }

    // Pictures side by side in the bitmap, 1 to 5; other values are refused.
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count);

    // Disabled pictures: the image list's own disabled rendering (and a
    // matching copy of a bitmap) when set, else embossed.
    bool GrayNewStyle() const { return grayNewStyle_; }
    void SetGrayNewStyle(bool value);

    TColor TransparentColor() const { return clFuchsia; }

    // The picture's size: the image list's for a valid index, else one
    // picture of the bitmap, else 0 x 0.
    SIZE PictureSize(const TCustomImageList* images, int index) const;

    struct DrawParams {
        RECT area{};         // the picture area of the button
        POINT offset{0, 0};  // the pressed look moves the picture
        TButtonState state = TButtonState::bsUp;
        const TCustomImageList* images = nullptr;
        int imageIndex = -1;
        TButtonLayout layout = TButtonLayout::blGlyphTop;
        int margin = -1;
        int spacing = 1;
        int scale = 1;  // each pixel of the picture a block this many pixels wide
    };
    // Draws the picture; returns where it went (empty without a picture).
    RECT Draw(HDC dc, const DrawParams& params);

    // Forgets every picture made (they are made again when needed): after a
    // change of the system colours.
    void DropPictures();

    // For tests: the shared list of the bitmap's pictures (null before the
    // first one is made), and the place of a state's picture (-1: not made).
    TJvGlyphList* List() const { return list_; }
    int PictureIndex(TButtonState state) const { return indices_[Slot(state)]; }

private:
    static std::size_t Slot(TButtonState state) { return static_cast<std::size_t>(state); }
    int BitmapPicture(TButtonState state);
    int MakeBitmapPicture(TButtonState state);
    // The picture at its own size with its top-left corner at (x, y).
    void DrawPicture(HDC dc, int x, int y, const DrawParams& params);
    // The picture `size` large at params.scale times that size.
    void DrawEnlarged(HDC dc, int x, int y, SIZE size, const DrawParams& params);
    void DrawImage(HDC dc, int x, int y, const DrawParams& params);
    int ImagePicture(const TCustomImageList* images, int index, bool embossed);

    TBitmap glyph_;
    int numGlyphs_ = 1;
    bool grayNewStyle_ = false;
    TJvGlyphList* list_ = nullptr;  // borrowed from the cache while pictures are in it
    std::array<int, kButtonStateCount> indices_;

    // Pictures made from an image list's picture: the embossed disabled one
    // and the grey inactive one, for the list and index they were made from.
    struct ImageCopy {
        const TCustomImageList* images = nullptr;
        int index = -1;
        int picture = -1;
    };
    void DropImageCopies();
    void ReleaseUnusedImageList();
    TJvGlyphList* imageList_ = nullptr;
    ImageCopy embossed_;
    ImageCopy grey_;
};
