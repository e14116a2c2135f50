#include "widgets/JvButtonGlyph.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "widgets/JvButtonColors.h"

namespace {

COLORREF PixelOf(const std::uint8_t* row, int x) {
    return RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
}

void SetPixelOf(std::uint8_t* row, int x, COLORREF colour) {
    row[x * 3] = GetBValue(colour);
    row[x * 3 + 1] = GetGValue(colour);
    row[x * 3 + 2] = GetRValue(colour);
}

// The picture of `cell`'s size whose left edge is at `x` of `source`.
void CopyCell(const TBitmap& source, int x, TBitmap& cell) {
    for (int y = 0; y < cell.Height(); ++y) {
        const std::uint8_t* from = source.ScanLine(y) + x * 3;
        std::copy(from, from + cell.Width() * 3, cell.ScanLine(y));
    }
}

// Every pixel that is neither see-through nor the face colour turns grey.
void MakeGreyCopy(TBitmap& picture, COLORREF transparent) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int y = 0; y < picture.Height(); ++y) {
        std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const COLORREF pixel = PixelOf(row, x);
            if (pixel != transparent && pixel != face) {
                SetPixelOf(row, x, GreyOf(pixel));
            }
        }
    }
}

// The image list's disabled look, for a picture made from a bitmap.
void MakeDisabledCopy(TBitmap& picture, COLORREF transparent) {
    for (int y = 0; y < picture.Height(); ++y) {
        std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const COLORREF pixel = PixelOf(row, x);
            if (pixel != transparent) {
                SetPixelOf(row, x, DisabledLook(pixel));
            }
        }
    }
}

// The picture's shape on the face colour: in the highlight colour one pixel
// right and down, and in the shadow colour over that. The face colour is
// then the see-through one.
void MakeEmbossedCopy(TBitmap& picture, COLORREF transparent) {
    const int width = picture.Width();
    const int height = picture.Height();
    std::vector<bool> shape(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            shape[static_cast<std::size_t>(y) * width + x] = PixelOf(row, x) != transparent;
        }
    }
    auto inShape = [&](int x, int y) {
        return x >= 0 && y >= 0 && shape[static_cast<std::size_t>(y) * width + x];
    };
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            COLORREF pixel = face;
            if (inShape(x, y)) {
                pixel = shadow;
            } else if (inShape(x - 1, y - 1)) {
                pixel = highlight;
            }
            SetPixelOf(row, x, pixel);
        }
    }
}

// The list's picture over the see-through colour, its pixels then copied
// into `picture` (of the list's size), a bitmap that no device context
// holds, which a list can take. False when a bitmap could not be made.
bool DrawOnColour(const TCustomImageList& images, int index, COLORREF transparent,
                  TBitmap& picture) {
    TBitmap drawn(picture.Width(), picture.Height());
    if (drawn.Empty() || picture.Empty()) {
        return false;
    }
    GdiObject<HBRUSH> brush(CreateSolidBrush(transparent));
    const RECT all{0, 0, picture.Width(), picture.Height()};
    FillRect(drawn.Dc(), &all, brush.Get());
    images.Draw(drawn.Dc(), 0, 0, index, true);
    CopyCell(drawn, 0, picture);
    return true;
}

// Every pixel of `picture` but the see-through ones as a `scale` x `scale`
// block of `target`, which is `scale` times as large.
void EnlargeOpaque(const TBitmap& picture, COLORREF transparent, int scale, TBitmap& target) {
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const COLORREF pixel = PixelOf(row, x);
            if (pixel == transparent) {
                continue;
            }
            for (int blockY = 0; blockY < scale; ++blockY) {
                std::uint8_t* out = target.ScanLine(y * scale + blockY);
                for (int blockX = 0; blockX < scale; ++blockX) {
                    SetPixelOf(out, x * scale + blockX, pixel);
                }
            }
        }
    }
}

}  // namespace

TJvxButtonGlyph::TJvxButtonGlyph() {
    indices_.fill(-1);
    // The cache exists from the first picture object on.
    TJvGlyphCache::Instance();
}

TJvxButtonGlyph::~TJvxButtonGlyph() {
    DropPictures();
}

void TJvxButtonGlyph::SetGlyph(HBITMAP bitmap) {
    DropPictures();
    BITMAP info{};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) {
        glyph_.SetSize(0, 0);
        return;
    }
    glyph_.SetSize(info.bmWidth, info.bmHeight);
    if (glyph_.Empty()) {
        return;
    }
    MemoryDc source(nullptr);
    SelectGuard selected(source.Dc(), bitmap);
    // A monochrome source takes these two colours: its clear bits the text
    // colour, its set bits the background colour.
    HDC target = glyph_.Dc();
    SetTextColor(target, RGB(0, 0, 0));
    SetBkColor(target, ColorToRGB(TransparentColor()));
    BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, source.Dc(), 0, 0, SRCCOPY);
}

void TJvxButtonGlyph::SetNumGlyphs(int count) {
    if (count < 1 || count > kButtonStateCount || count == numGlyphs_) {
        return;
    }
    DropPictures();
    numGlyphs_ = count;
}

void TJvxButtonGlyph::SetGrayNewStyle(bool value) {
    if (value == grayNewStyle_) {
        return;
    }
    DropPictures();
    grayNewStyle_ = value;
}

SIZE TJvxButtonGlyph::PictureSize(const TCustomImageList* images, int index) const {
    if (images != nullptr && images->ValidIndex(index)) {
        return {images->Width(), images->Height()};
    }
    if (!glyph_.Empty()) {
        return {glyph_.Width() / numGlyphs_, glyph_.Height()};
    }
    return {0, 0};
}

RECT TJvxButtonGlyph::Draw(HDC dc, const DrawParams& params) {
    const SIZE picture = PictureSize(params.images, params.imageIndex);
    if (picture.cx <= 0 || picture.cy <= 0) {
        return {};
    }
    const int scale = std::max(1, params.scale);
    GlyphLayoutInput layout;
    layout.areaWidth = params.area.right - params.area.left;
    layout.areaHeight = params.area.bottom - params.area.top;
    layout.glyphWidth = picture.cx * scale;
    layout.glyphHeight = picture.cy * scale;
    layout.layout = params.layout;
    layout.margin = params.margin;
    layout.spacing = params.spacing;
    const GlyphPlacement place = PlaceGlyph(layout);
    const int x = params.area.left + place.glyphX + params.offset.x;
    const int y = params.area.top + place.glyphY + params.offset.y;
    if (scale == 1) {
        DrawPicture(dc, x, y, params);
    } else {
        DrawEnlarged(dc, x, y, picture, params);
    }
    return {x, y, x + layout.glyphWidth, y + layout.glyphHeight};
}

void TJvxButtonGlyph::DrawPicture(HDC dc, int x, int y, const DrawParams& params) {
    if (params.images != nullptr && params.images->ValidIndex(params.imageIndex)) {
        DrawImage(dc, x, y, params);
        return;
    }
    const int picture = BitmapPicture(params.state);
    if (list_ != nullptr && picture >= 0) {
        ImageList_Draw(list_->Handle(), picture, dc, x, y, ILD_TRANSPARENT);
    }
}

void TJvxButtonGlyph::DrawEnlarged(HDC dc, int x, int y, SIZE size, const DrawParams& params) {
    // Drawn at its own size over the see-through colour first, in whatever
    // look the state gives it; each of its other pixels then becomes a
    // block over what lies beneath. Never stretched: crisp.
    const int scale = params.scale;
    TBitmap picture(size.cx, size.cy);
    TBitmap enlarged(size.cx * scale, size.cy * scale);
    if (picture.Empty() || enlarged.Empty()) {
        return;
    }
    const COLORREF transparent = ColorToRGB(TransparentColor());
    GdiObject<HBRUSH> brush(CreateSolidBrush(transparent));
    const RECT all{0, 0, size.cx, size.cy};
    FillRect(picture.Dc(), &all, brush.Get());
    DrawPicture(picture.Dc(), 0, 0, params);
    BitBlt(enlarged.Dc(), 0, 0, enlarged.Width(), enlarged.Height(), dc, x, y, SRCCOPY);
    EnlargeOpaque(picture, transparent, scale, enlarged);
    BitBlt(dc, x, y, enlarged.Width(), enlarged.Height(), enlarged.Dc(), 0, 0, SRCCOPY);
}

void TJvxButtonGlyph::DrawImage(HDC dc, int x, int y, const DrawParams& params) {
    const TCustomImageList* images = params.images;
    int copy = -1;
    switch (params.state) {
        case TButtonState::bsDisabled:
            if (grayNewStyle_) {
                images->Draw(dc, x, y, params.imageIndex, false);
                return;
            }
            copy = ImagePicture(images, params.imageIndex, true);
            break;
        case TButtonState::bsInactive:
            copy = ImagePicture(images, params.imageIndex, false);
            break;
        default:
            images->Draw(dc, x, y, params.imageIndex, true);
            return;
    }
    if (imageList_ != nullptr && copy >= 0) {
        ImageList_Draw(imageList_->Handle(), copy, dc, x, y, ILD_TRANSPARENT);
    }
}

int TJvxButtonGlyph::ImagePicture(const TCustomImageList* images, int index, bool embossed) {
    ImageCopy& copy = embossed ? embossed_ : grey_;
    if (copy.picture >= 0 && copy.images == images && copy.index == index) {
        return copy.picture;
    }
    const int width = images->Width();
    const int height = images->Height();
    if (imageList_ != nullptr && (imageList_->Width() != width || imageList_->Height() != height)) {
        DropImageCopies();
    }
    if (copy.picture >= 0) {
        imageList_->Delete(copy.picture);
        copy.picture = -1;
    }
    if (imageList_ == nullptr) {
        imageList_ = TJvGlyphCache::Instance().GetList(width, height);
    }
    const COLORREF transparent = ColorToRGB(TransparentColor());
    TBitmap picture(width, height);
    if (!DrawOnColour(*images, index, transparent, picture)) {
        ReleaseUnusedImageList();
        return -1;
    }
    COLORREF key = transparent;
    if (embossed) {
        MakeEmbossedCopy(picture, transparent);
        key = GetSysColor(COLOR_BTNFACE);
    } else {
        MakeGreyCopy(picture, transparent);
    }
    copy = {images, index, imageList_->AddMasked(picture.Handle(), key)};
    ReleaseUnusedImageList();
    return copy.picture;
}

void TJvxButtonGlyph::ReleaseUnusedImageList() {
    if (imageList_ != nullptr && embossed_.picture < 0 && grey_.picture < 0) {
        TJvGlyphCache::Instance().ReturnList(imageList_);
        imageList_ = nullptr;
    }
}

int TJvxButtonGlyph::BitmapPicture(TButtonState state) {
    int& index = indices_[Slot(state)];
    if (index >= 0) {
        return index;
    }
    // Without a picture of its own the down state looks like the up one.
    if (state == TButtonState::bsDown && numGlyphs_ < 3) {
        index = BitmapPicture(TButtonState::bsUp);
    } else {
        index = MakeBitmapPicture(state);
    }
    return index;
}

int TJvxButtonGlyph::MakeBitmapPicture(TButtonState state) {
    const int width = glyph_.Width() / numGlyphs_;
    const int height = glyph_.Height();
    if (width <= 0 || height <= 0) {
        return -1;
    }
    if (list_ == nullptr) {
        list_ = TJvGlyphCache::Instance().GetList(width, height);
    }
    const int number = static_cast<int>(Slot(state));
    const bool ownCell = number < numGlyphs_;
    TBitmap cell(width, height);
    if (cell.Empty()) {
        return -1;
    }
    CopyCell(glyph_, ownCell ? number * width : 0, cell);
    COLORREF transparent = ColorToRGB(TransparentColor());
    if (!ownCell && state == TButtonState::bsDisabled) {
        if (grayNewStyle_) {
            MakeDisabledCopy(cell, transparent);
        } else {
            MakeEmbossedCopy(cell, transparent);
            transparent = GetSysColor(COLOR_BTNFACE);
        }
    } else if (!ownCell && state == TButtonState::bsInactive) {
        MakeGreyCopy(cell, transparent);
    }
    const int picture = list_->AddMasked(cell.Handle(), transparent);
    // Another object may drop the shared list once it has no pictures: we
    // keep it only while one of them is ours.
    if (picture < 0 && std::all_of(indices_.begin(), indices_.end(), [](int i) { return i < 0; })) {
        TJvGlyphCache::Instance().ReturnList(list_);
        list_ = nullptr;
    }
    return picture;
}

void TJvxButtonGlyph::DropImageCopies() {
    for (ImageCopy* copy : {&embossed_, &grey_}) {
        if (copy->picture >= 0 && imageList_ != nullptr) {
            imageList_->Delete(copy->picture);
        }
        *copy = {};
    }
    if (imageList_ != nullptr) {
        TJvGlyphCache::Instance().ReturnList(imageList_);
        imageList_ = nullptr;
    }
}

void TJvxButtonGlyph::DropPictures() {
    if (list_ != nullptr) {
        // The down picture may share the up one's place; freeing twice is
        // harmless.
        for (int& index : indices_) {
            if (index >= 0) {
                list_->Delete(index);
            }
        }
        TJvGlyphCache::Instance().ReturnList(list_);
        list_ = nullptr;
    }
    indices_.fill(-1);
    DropImageCopies();
}
