#include "rtl/ImgList.h"

#include <algorithm>
#include <cstdint>

#include "rtl/Bitmap.h"
#include "rtl/Graphics.h"

COLORREF DisabledLook(COLORREF colour) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const int grey =
        (GetRValue(colour) * 30 + GetGValue(colour) * 59 + GetBValue(colour) * 11) / 100;
    return RGB((grey + GetRValue(face)) / 2, (grey + GetGValue(face)) / 2,
               (grey + GetBValue(face)) / 2);
}

TChangeLink::~TChangeLink() {
    if (sender_ != nullptr) {
        sender_->UnRegisterChanges(this);
    }
}

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height)
    : TComponent(owner),
      handle_(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4)),
      width_(width),
      height_(height) {}

TCustomImageList::~TCustomImageList() {
    BeginDestroy();
    // The links outlive us in their controls; they must not call back.
    for (TChangeLink* link : links_) {
        link->sender_ = nullptr;
    }
    links_.clear();
    if (handle_ != nullptr) {
        ImageList_Destroy(handle_);
    }
}

int TCustomImageList::Count() const {
    return handle_ != nullptr ? ImageList_GetImageCount(handle_) : 0;
}

int TCustomImageList::AddMasked(HBITMAP bitmap, COLORREF transparent) {
    if (handle_ == nullptr || bitmap == nullptr) {
        return -1;
    }
    const int index = ImageList_AddMasked(handle_, bitmap, transparent);
    if (index >= 0) {
        Change();
    }
    return index;
}

bool TCustomImageList::ReplaceMasked(int index, HBITMAP bitmap, COLORREF transparent) {
    if (!ValidIndex(index) || bitmap == nullptr) {
        return false;
    }
    // The system has no masked replace: add at the end, move it into
    // place, drop the extra entry.
    const int added = ImageList_AddMasked(handle_, bitmap, transparent);
    if (added < 0) {
        return false;
    }
    const bool moved = ImageList_Copy(handle_, index, handle_, added, ILCF_MOVE) != FALSE;
    ImageList_Remove(handle_, added);
    Change();
    return moved;
}

void TCustomImageList::Clear() {
    if (handle_ != nullptr && Count() > 0) {
        ImageList_RemoveAll(handle_);
        Change();
    }
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
    if (!ValidIndex(index)) {
        return;
    }
    if (enabled) {
        ImageList_Draw(handle_, index, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    DrawDisabled(dc, x, y, index);
}

void TCustomImageList::DrawDisabled(HDC dc, int x, int y, int index) const {
    // Drawn once over black and once over white: a pixel that comes out the
    // same in both belongs to the picture, the others are see-through.
    TBitmap overBlack(width_, height_);
    TBitmap overWhite(width_, height_);
    TBitmap result(width_, height_);
    if (overBlack.Empty() || overWhite.Empty() || result.Empty()) {
        return;
    }
    const RECT all{0, 0, width_, height_};
    FillRect(overWhite.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(handle_, index, overBlack.Dc(), 0, 0, ILD_TRANSPARENT);
    ImageList_Draw(handle_, index, overWhite.Dc(), 0, 0, ILD_TRANSPARENT);
    BitBlt(result.Dc(), 0, 0, width_, height_, dc, x, y, SRCCOPY);
    for (int row = 0; row < height_; ++row) {
        const std::uint8_t* black = overBlack.ScanLine(row);
        const std::uint8_t* white = overWhite.ScanLine(row);
        std::uint8_t* out = result.ScanLine(row);
        for (int column = 0; column < width_ * 3; column += 3) {
            if (!std::equal(black + column, black + column + 3, white + column)) {
                continue;
            }
            const COLORREF look =
                DisabledLook(RGB(black[column + 2], black[column + 1], black[column]));
            out[column] = GetBValue(look);
            out[column + 1] = GetGValue(look);
            out[column + 2] = GetRValue(look);
        }
    }
    BitBlt(dc, x, y, width_, height_, result.Dc(), 0, 0, SRCCOPY);
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (link == nullptr || link->sender_ == this) {
        return;
    }
    if (link->sender_ != nullptr) {
        link->sender_->UnRegisterChanges(link);
    }
    link->sender_ = this;
    links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    if (link == nullptr) {
        return;
    }
    std::erase(links_, link);
    if (link->sender_ == this) {
        link->sender_ = nullptr;
    }
}

void TCustomImageList::Change() {
    // A copy: a handler may unregister.
    const std::vector<TChangeLink*> links = links_;
    for (TChangeLink* link : links) {
        CallEvent(link->OnChange, this);
    }
}
