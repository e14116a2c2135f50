// The picture lists that button pictures made from bitmaps share: one list
// per picture size for the whole process, places handed out and freed one by
// one, a list dropped when its last picture goes.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "rtl/ImgList.h"
#include "widgets/JvGlyphSlots.h"

class TJvGlyphList : public TCustomImageList {
public:
    TJvGlyphList(int width, int height);
    const char* ClassName() const override { return "TJvGlyphList"; }

    // Stores a picture whose `transparent` pixels are see-through in the
    // first free place; the index, or -1.
    int AddMasked(HBITMAP bitmap, COLORREF transparent);
    // Frees the place of a picture that is no longer needed.
    void Delete(int index);
    int UsedCount() const { return slots_.UsedCount(); }

private:
    GlyphSlots slots_;
};

class TJvGlyphCache {
public:
    // The one cache of the process, made on first use.
    static TJvGlyphCache& Instance();

    TJvGlyphCache(const TJvGlyphCache&) = delete;
    TJvGlyphCache& operator=(const TJvGlyphCache&) = delete;

    // The list for pictures of exactly this size, made when there is none.
    TJvGlyphList* GetList(int width, int height);
    // A picture object lets its list go: a list without pictures is removed
    // and destroyed.
    void ReturnList(TJvGlyphList* list);
    int ListCount() const { return static_cast<int>(lists_.size()); }

private:
    TJvGlyphCache() = default;
    std::vector<std::unique_ptr<TJvGlyphList>> lists_;
};
