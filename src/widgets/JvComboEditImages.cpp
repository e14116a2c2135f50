// The combo edit's button pictures: the image kinds, the custom glyph and
// image list, the shared list of the default pictures, the drop-down arrow
// and the generated ellipsis.
#include "widgets/JvToolEdit.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "rtl/Themes.h"

namespace {

constexpr int kComboArrowBitmap = 32738;  // OBM_COMBO, the system's combo-box arrow
constexpr int kSharedGlyphWidth = 14;
constexpr int kSharedGlyphHeight = 12;

// The ellipsis picture: black dots on a monochrome bitmap whose set bits
// are the background.
GdiObject<HBITMAP> MakeEllipsisBitmap(int buttonWidth) {
    const EllipsisPicture picture = MakeEllipsisPicture(buttonWidth);
    const int stride = (picture.width + 15) / 16 * 2;  // rows of whole 16-bit words
    std::vector<BYTE> bits(static_cast<std::size_t>(stride) * picture.height, 0xFF);
    for (int dot : picture.dotX) {
        for (int y = picture.dotY; y < picture.dotY + picture.dotSize; ++y) {
            for (int x = dot; x < dot + picture.dotSize; ++x) {
                if (x >= 0 && x < picture.width && y >= 0 && y < picture.height) {
                    bits[static_cast<std::size_t>(y) * stride + x / 8] &=
                        static_cast<BYTE>(~(0x80 >> (x % 8)));
                }
            }
        }
    }
    return GdiObject<HBITMAP>(CreateBitmap(picture.width, picture.height, 1, 1, bits.data()));
}

}  // namespace

TCustomImageList* TJvCustomComboEdit::SharedGlyphList() {
    // One list for the whole process, freed when the program ends.
    static const std::unique_ptr<TCustomImageList> list =
        std::make_unique<TCustomImageList>(nullptr, kSharedGlyphWidth, kSharedGlyphHeight);
    return list.get();
}

void TJvCustomComboEdit::SetImageKind(TJvImageKind kind) {
    if (imageKind_ == kind) {
        return;
    }
    imageKind_ = kind;
    RefreshButtonImage();
    ApplyImageKindImages();
}

void TJvCustomComboEdit::ApplyImageKindImages() {
    switch (imageKind_) {
        case TJvImageKind::ikCustom:
            button_->SetImages(images_);
            button_->SetImageIndex(imageIndex_);
            button_->SetNumGlyphs(numGlyphs_);
            break;
        case TJvImageKind::ikDefault: {
            TCustomImageList* list = SharedGlyphList();
            button_->SetImages(list);
            button_->SetImageIndex(DefaultGlyphIndex());
            if (button_->Images() != nullptr && button_->ImageIndex() >= 0) {
                SetButtonWidth(std::max(list->Width() + 6, button_->Width()));
            }
            break;
        }
        case TJvImageKind::ikDropDown:
            SetButtonWidth(GetSystemMetrics(SM_CXVSCROLL));
            break;
        case TJvImageKind::ikEllipsis:
            break;
    }
}

void TJvCustomComboEdit::RefreshButtonImage() {
    if (!ShowButton()) {
        return;
    }
    const bool dropDown = imageKind_ == TJvImageKind::ikDropDown;
    if (dropDown || imageKind_ == TJvImageKind::ikEllipsis) {
        button_->SetImageIndex(-1);
        button_->SetNumGlyphs(1);
    }
    bool themedDropDown = dropDown;
    if (dropDown) {
        themedDropDown = ThemeServicesEnabled() && !ButtonFlat();
        if (themedDropDown) {
            button_->SetGlyph(nullptr);
        } else {
            GdiObject<HBITMAP> arrow(LoadBitmapA(nullptr, MAKEINTRESOURCEA(kComboArrowBitmap)));
            button_->SetGlyph(arrow.Get());
        }
    } else if (imageKind_ == TJvImageKind::ikEllipsis) {
        GdiObject<HBITMAP> dots = MakeEllipsisBitmap(button_->Width());
        button_->SetGlyph(dots.Get());
    }
    button_->SetDrawThemedDropDown(themedDropDown);
    button_->Invalidate();
}

void TJvCustomComboEdit::SetGlyph(HBITMAP bitmap) {
    SetImageKind(TJvImageKind::ikCustom);
    button_->SetGlyph(bitmap);
    numGlyphs_ = button_->NumGlyphs();
}

int TJvCustomComboEdit::NumGlyphs() const {
    return imageKind_ == TJvImageKind::ikCustom ? button_->NumGlyphs() : numGlyphs_;
}

void TJvCustomComboEdit::SetNumGlyphs(int count) {
    numGlyphs_ = count;
    if (imageKind_ == TJvImageKind::ikCustom) {
        button_->SetNumGlyphs(std::min(count, 5));
    }
}

void TJvCustomComboEdit::SetImages(TCustomImageList* images) {
    if (images_ == images) {
        return;
    }
    if (images_ != nullptr) {
        RemoveFreeNotification(images_);
    }
    images_ = images;
    if (images_ != nullptr) {
        FreeNotification(images_);
    } else {
        imageIndex_ = -1;
    }
    if (imageKind_ == TJvImageKind::ikCustom) {
        button_->SetImages(images_);
        button_->SetImageIndex(imageIndex_);
    }
}

void TJvCustomComboEdit::SetImageIndex(int index) {
    if (imageIndex_ == index) {
        return;
    }
    imageIndex_ = index;
    if (imageKind_ == TJvImageKind::ikCustom) {
        button_->SetImageIndex(index);
    }
}

void TJvCustomComboEdit::SetButtonFlat(bool flat) {
    if (flat == button_->Flat()) {
        return;
    }
    button_->SetFlat(flat);
    if (ThemeServicesEnabled() && imageKind_ == TJvImageKind::ikDropDown) {
        RefreshButtonImage();
    }
}

void TJvCustomComboEdit::Notification(TComponent* component, TOperation operation) {
    TCustomEdit::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        images_ = nullptr;
        imageIndex_ = -1;
    }
}

void TJvCustomComboEdit::SysColorChanged() {
    TCustomEdit::SysColorChanged();
    // A switch of the theme changes the border, the layout and the pictures.
    BorderChanged();
    if (imageKind_ == TJvImageKind::ikDefault) {
        button_->SetImageIndex(DefaultGlyphIndex());
    }
    RefreshButtonImage();
}
