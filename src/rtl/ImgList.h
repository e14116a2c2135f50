// An image list of equal-sized pictures with masks, owned by its holder, and
// the change links through which controls that draw from it hear that it
// changed.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "rtl/Classes.h"

class TCustomImageList;

// The list's disabled look of one opaque pixel: its luminance, half way
// towards the button face colour.
COLORREF DisabledLook(COLORREF colour);

// Registered with a list; unregisters itself when it goes first.
class TChangeLink {
public:
    TChangeLink() = default;
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    ~TChangeLink();

    TCustomImageList* Sender() const { return sender_; }
    TNotifyEvent OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
public:
    TCustomImageList(TComponent* owner, int width, int height);
    ~TCustomImageList() override;
    const char* ClassName() const override { return "TCustomImageList"; }

    HIMAGELIST Handle() const { return handle_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;

    // Adds a picture whose pixels of `transparent` are see-through; the
    // index, or -1 when the list refused it. The bitmap must not be selected
    // into a device context.
    int AddMasked(HBITMAP bitmap, COLORREF transparent);
    // Puts such a picture in place of an existing one.
    bool ReplaceMasked(int index, HBITMAP bitmap, COLORREF transparent);
    void Clear();

    // Draws picture `index` with its mask at (x, y). A disabled picture is
    // the list's own rendering: grey, lightened towards the button face.
    void Draw(HDC dc, int x, int y, int index, bool enabled = true) const;
    bool ValidIndex(int index) const { return index >= 0 && index < Count(); }

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

protected:
    // Tells every change link.
    void Change();

private:
    void DrawDisabled(HDC dc, int x, int y, int index) const;

    HIMAGELIST handle_;  // owned
    int width_;
    int height_;
    std::vector<TChangeLink*> links_;
};
