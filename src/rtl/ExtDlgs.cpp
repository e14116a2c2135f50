#include "rtl/ExtDlgs.h"

#include <string>

#include "rtl/Graphics.h"

namespace {

constexpr char kPictureFilter[] = "Bitmaps (*.bmp)|*.bmp|All files (*.*)|*.*";
constexpr int kPreviewWidth = 160;
constexpr char kPreviewProp[] = "BrivokPreview";

// The preview box lives in the explorer dialog's child page, which keeps it
// as a window property. The box does not free the bitmap it shows: each new
// one hands the old one back, and we delete it; the page's end shows none.
void ShowPreview(HWND page, const std::string& path) {
    HWND box = static_cast<HWND>(GetPropA(page, kPreviewProp));
    if (box == nullptr) {
        return;
    }
    HBITMAP picture = nullptr;
    if (!path.empty()) {
        picture = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    }
    auto old = reinterpret_cast<HBITMAP>(
        SendMessageA(box, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (old != nullptr) {
        DeleteObject(old);
    }
}

UINT_PTR CALLBACK PreviewHook(HWND page, UINT msg, WPARAM /*wParam*/, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG: {
            // Widen the page by the preview's room; the dialog grows with it.
            RECT rect{};
            GetClientRect(page, &rect);
            SetWindowPos(page, nullptr, 0, 0, rect.right + kPreviewWidth + 8, rect.bottom,
                         SWP_NOMOVE | SWP_NOZORDER);
            HWND box = CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", nullptr,
                                       WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE,
                                       rect.right + 4, 4, kPreviewWidth, kPreviewWidth, page,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
            SetPropA(page, kPreviewProp, box);
            return 0;
        }
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lParam)->code == CDN_SELCHANGE) {
                char path[MAX_PATH] = {};
                const LRESULT length = SendMessageA(GetParent(page), CDM_GETFILEPATH, sizeof path,
                                                    reinterpret_cast<LPARAM>(path));
                ShowPreview(page, length > 0 ? path : "");
            }
            return 0;
        case WM_DESTROY:
            ShowPreview(page, "");
            RemovePropA(page, kPreviewProp);
            return 0;
    }
    return 0;
}

void AddPreview(OPENFILENAMEA& dialog) {
    dialog.Flags |= OFN_ENABLEHOOK | OFN_ENABLESIZING;
    dialog.lpfnHook = &PreviewHook;
}

}  // namespace

TOpenPictureDialog::TOpenPictureDialog(TComponent* owner) : TOpenDialog(owner) {
    Filter = kPictureFilter;
}

BOOL TOpenPictureDialog::Show(OPENFILENAMEA& dialog) {
    AddPreview(dialog);
    return TOpenDialog::Show(dialog);
}

TSavePictureDialog::TSavePictureDialog(TComponent* owner) : TSaveDialog(owner) {
    Filter = kPictureFilter;
}

BOOL TSavePictureDialog::Show(OPENFILENAMEA& dialog) {
    AddPreview(dialog);
    return TSaveDialog::Show(dialog);
}
