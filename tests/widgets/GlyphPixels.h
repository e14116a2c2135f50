// The 14 x 12 folder pictures of a program's resources, and whether a
// picture of the screen shows one at a place. For the tests of the file
// fields, in process and end to end.
#pragma once

#include <windows.h>

#include <uxtheme.h>
#include <vssym32.h>

#include <string>
#include <vector>

#include "rtl/Bitmap.h"
#include "rtl/Graphics.h"
#include "rtl/Themes.h"

namespace glyphs {

constexpr int kWidth = 14;
constexpr int kHeight = 12;

// The bitmap's pixels, row by row; see-through (fuchsia) ones as -1.
// Empty when the module has no such bitmap.
inline std::vector<long> ResourcePicture(HMODULE module, const char* name) {
    std::vector<long> pixels;
    GdiObject<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) {
        return pixels;
    }
    MemoryDc dc(nullptr);
    SelectGuard selected(dc.Dc(), bitmap.Get());
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const COLORREF p = GetPixel(dc.Dc(), x, y);
            pixels.push_back(p == RGB(255, 0, 255) ? -1L : static_cast<long>(p));
        }
    }
    return pixels;
}

// The same from the program file at `path` (a Windows path).
inline std::vector<long> ProgramPicture(const std::string& path, const char* name) {
    HMODULE program = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (program == nullptr) {
        return {};
    }
    std::vector<long> pixels = ResourcePicture(program, name);
    FreeLibrary(program);
    return pixels;
}

// Whether every opaque pixel of `picture` shows at (x, y) of `screen`, as
// a block of `scale` x `scale` pixels when the picture is drawn enlarged.
inline bool Shows(const TBitmap& screen, const std::vector<long>& picture, int x, int y,
                  int scale = 1) {
    for (int row = 0; row < kHeight * scale; ++row) {
        for (int column = 0; column < kWidth * scale; ++column) {
            const long want =
                picture[static_cast<std::size_t>(row / scale * kWidth + column / scale)];
            if (want >= 0 && screen.Pixel(x + column, y + row) != static_cast<COLORREF>(want)) {
                return false;
            }
        }
    }
    return true;
}

// Where a field's button shows its picture, drawn `scale` times its size:
// centred in the content rectangle of the push button in `state`, or inside
// the drawn frame.
inline POINT PicturePlace(HWND button, bool themed, int scale = 1, int state = PBS_NORMAL) {
    RECT client{};
    GetClientRect(button, &client);
    RECT area{3, 3, client.right - 3, client.bottom - 3};
    if (themed) {
        ThemeData theme(button, L"BUTTON");
        TBitmap scratch(client.right, client.bottom);
        GetThemeBackgroundContentRect(theme.Get(), scratch.Dc(), BP_PUSHBUTTON, state, &client,
                                      &area);
    }
    return {area.left + (area.right - area.left) / 2 - kWidth * scale / 2,
            area.top + (area.bottom - area.top) / 2 - kHeight * scale / 2};
}

}  // namespace glyphs
