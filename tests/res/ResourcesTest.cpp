// The executable's resources, linked into this test program itself: the
// icon, the manifest's effect, the browse-button bitmaps and the string
// table (the built programs' manifests and versions: BuiltProgramsTest).
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "res/ResourceBytes.h"
#include "res/StringTable.h"
#include "rtl/Graphics.h"
#include "rtl/ResString.h"

TEST(Resources, MainIconIsOne48By48ImageOf256Colours) {
    const std::string group =
        support::ResourceBytes(nullptr, "MAINICON", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u + 14u) << "no icon group MAINICON";
    // Icon group: reserved, type, count, then 14-byte entries.
    const auto* bytes = reinterpret_cast<const unsigned char*>(group.data());
    EXPECT_EQ((std::array{bytes[4] | bytes[5] << 8, +bytes[6], +bytes[7], +bytes[8],
                          bytes[12] | bytes[13] << 8}),
              (std::array{1, 48, 48, 0, 8}))
        << "images; the first one's width, height, colours (0: 256) and bits per pixel";

    const std::unique_ptr<std::remove_pointer_t<HICON>, decltype(&DestroyIcon)> icon(
        static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR)),
        &DestroyIcon);
    ASSERT_TRUE(icon) << "LoadImage failed: " << GetLastError();
    ICONINFO iconInfo = {};
    ASSERT_TRUE(GetIconInfo(icon.get(), &iconInfo));
    const GdiObject<HBITMAP> colour(iconInfo.hbmColor), mask(iconInfo.hbmMask);
    BITMAP bitmap = {};
    ASSERT_TRUE(GetObjectA(colour.Get(), sizeof bitmap, &bitmap));
    EXPECT_EQ((std::array{bitmap.bmWidth, bitmap.bmHeight}), (std::array<LONG, 2>{48, 48}));
}

TEST(Resources, ManifestGivesThisProcessCommonControlsSix) {
    // The loader reads the manifest at start, so the comctl32 this process
    // loads is the side-by-side version 6 one. Its folder tells: Wine 8's
    // DllGetVersion answers 5 for both copies.
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, MAX_PATH);
    FreeLibrary(comctl);
    std::string lower = path;
    CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
    EXPECT_NE(lower.find("\\winsxs\\"), std::string::npos) << path;
    EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
              std::string::npos)
        << path;
}

TEST(Resources, BrowseButtonBitmapsAre14By12With16Colours) {
    struct Sample {
        int x, y;
        COLORREF colour;
    };
    struct Case {
        const char* name;
        std::vector<Sample> samples;
    };
    const COLORREF fuchsia = RGB(255, 0, 255);
    const Case cases[] = {
        {"JvFilenameEditGLYPH",
         {{0, 0, fuchsia},
          {0, 3, RGB(0, 0, 0)},
          {1, 3, RGB(255, 255, 0)},
          {5, 8, RGB(128, 128, 0)},
          {8, 0, RGB(0, 0, 0)},
          {9, 0, fuchsia}}},
        {"JvFilenameEditXPGLYPH",
         {{0, 0, fuchsia},
          {0, 3, RGB(190, 160, 50)},
          {3, 10, RGB(90, 90, 90)},
          {3, 3, RGB(255, 244, 180)},
          {5, 9, RGB(250, 215, 170)},
          {13, 11, fuchsia}}},
    };
    const MemoryDc dc(nullptr);
    ASSERT_TRUE(dc.Dc());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string raw =
            support::ResourceBytes(nullptr, c.name, MAKEINTRESOURCEA(2));  // RT_BITMAP
        ASSERT_GE(raw.size(), sizeof(BITMAPINFOHEADER)) << "no bitmap resource";
        BITMAPINFOHEADER header;
        memcpy(&header, raw.data(), sizeof header);
        EXPECT_EQ(header.biWidth, 14);
        EXPECT_EQ(header.biHeight, 12);
        EXPECT_EQ(header.biBitCount, 4) << "16 colours";

        const GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), c.name, IMAGE_BITMAP, 0, 0, 0)));
        ASSERT_TRUE(bitmap) << "LoadImage failed: " << GetLastError();
        BITMAP info = {};
        ASSERT_TRUE(GetObjectA(bitmap.Get(), sizeof info, &info));
        EXPECT_EQ((std::array{info.bmWidth, info.bmHeight}), (std::array<LONG, 2>{14, 12}));
        const SelectGuard selected(dc.Dc(), bitmap.Get());
        for (const Sample& sample : c.samples) {
            EXPECT_EQ(GetPixel(dc.Dc(), sample.x, sample.y), sample.colour)
                << "at " << sample.x << "," << sample.y;
        }
    }
}

TEST(Resources, TheFileFieldsTextsAreInTheStringTable) {
    EXPECT_EQ(LoadResString(IDS_BROWSE), "Browse");
    EXPECT_EQ(LoadResString(IDS_ALL_FILES_FILTER), "All files (*.*)|*.*");
    EXPECT_EQ(LoadResString(IDS_INVALID_FILE_NAME), "Invalid file name - %s");
}
