#include "widgets/JvGlyphCache.h"

#include <algorithm>

TJvGlyphList::TJvGlyphList(int width, int height) : TCustomImageList(nullptr, width, height) {}

int TJvGlyphList::AddMasked(HBITMAP bitmap, COLORREF transparent) {
    const int slot = slots_.Allocate();
    const bool stored = slot < Count() ? ReplaceMasked(slot, bitmap, transparent)
                                       : TCustomImageList::AddMasked(bitmap, transparent) == slot;
    if (!stored) {
        slots_.Free(slot);
        return -1;
    }
    return slot;
}

void TJvGlyphList::Delete(int index) {
    // The picture stays in the list until its place is handed out again.
    slots_.Free(index);
}

TJvGlyphCache& TJvGlyphCache::Instance() {
    static TJvGlyphCache cache;
    return cache;
}

TJvGlyphList* TJvGlyphCache::GetList(int width, int height) {
    // The newest lists are the likeliest.
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it) {
        if ((*it)->Width() == width && (*it)->Height() == height) {
            return it->get();
        }
    }
    lists_.push_back(std::make_unique<TJvGlyphList>(width, height));
    return lists_.back().get();
}

void TJvGlyphCache::ReturnList(TJvGlyphList* list) {
    if (list == nullptr || list->UsedCount() > 0) {
        return;
    }
    std::erase_if(lists_,
                  [list](const std::unique_ptr<TJvGlyphList>& held) { return held.get() == list; });
}
