// The real program started at 96, 120, 144 and 192 dpi (the prefix's
// LogPixels); screenshots of each go to build/screenshots/e2e-dpi-*.bmp.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "MainLayout.h"
#include "ToolWindow.h"
#include "rtl/Themes.h"
#include "support/Pixels.h"
#include "support/WindowDriver.h"
#include "widgets/GlyphPixels.h"
#include "widgets/XPButtonLook.h"

namespace {

using xp_look::Ring;

constexpr char kDesktop[] = "Control Panel\\Desktop";

// The resolution of the programs that start while it lives: Wine reads the
// desktop's LogPixels when a program starts. The tests run without one (96
// dpi), and it goes again whatever the test did.
class ScreenResolution {
public:
    explicit ScreenResolution(DWORD ppi) {
        RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &ppi, sizeof ppi);
    }
    ScreenResolution(const ScreenResolution&) = delete;
    ScreenResolution& operator=(const ScreenResolution&) = delete;
    ~ScreenResolution() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels"); }
};

// The texts are black, their smoothed edges grey: ink is darker than mid grey.
bool Ink(int, int, COLORREF p) {
    return GetRValue(p) * 299 + GetGValue(p) * 587 + GetBValue(p) * 114 < 128 * 1000;
}

class DpiLookTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        SetCursorPos(0, 0);
        ASSERT_TRUE(tool_.Start(support::WindowsPathOfUnix(BRIVOK_EXE_PATH)));
        frames_ = {tool_.oldBox, tool_.diffBox, tool_.newBox};
        fields_ = {tool_.oldField, tool_.diffField, tool_.newField};
    }
    void TearDown() override { SetCursorPos(0, 0); }

    // The text's ink in `area` of the control's picture (inside borders and
    // rings, left of a button) against all the ink of the text drawn alone in
    // the window's font: a text cut at an edge or ended by an ellipsis has
    // less. A pixel more or less where the smoothing meets another colour.
    void ExpectWholeText(HWND control, const RECT& area) {
        const std::string text = support::WindowText(control);
        ASSERT_FALSE(text.empty()) << "no text to see";
        TBitmap screen;
        ASSERT_TRUE(support::CaptureScreenOf(control, screen));
        const RECT ink = support::BoxOf(screen, area, Ink);
        GdiObject<HFONT> font(CreateFontA(main_layout::Scaled(main_layout::kFontHeight, GetParam()),
                                          0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                          "MS Sans Serif"));
        TBitmap alone;
        support::Paint(alone, 600, 100, [](int, int) { return RGB(255, 255, 255); });
        SelectGuard selected(alone.Dc(), font.Get());
        TextOutA(alone.Dc(), 10, 10, text.c_str(), static_cast<int>(text.size()));
        const RECT whole = support::BoxOf(alone, support::Whole(alone), Ink);
        EXPECT_NEAR(ink.right - ink.left, whole.right - whole.left, 1) << text;
        EXPECT_NEAR(ink.bottom - ink.top, whole.bottom - whole.top, 1) << text;
    }

    // Waits until the XP button shows `ring` around its idle face.
    void ExpectLook(HWND button, Ring ring) {
        const SIZE size = support::ClientSize(button);
        std::string mismatch;
        EXPECT_TRUE(support::WaitFor([&] {
            TBitmap screen;
            mismatch = support::CaptureScreenOf(button, screen)
                           ? xp_look::FirstFaceMismatch(
                                 screen, {ring, false, xp_look::kBorder, size.cx, size.cy})
                           : "not captured";
            return mismatch.empty();
        })) << support::WindowText(button)
            << ": " << mismatch;
    }

    // Names in the fields, so that every control shows a text and Patch is
    // enabled; then the focus from the old field to Close.
    void NameTheFieldsAndFocusClose() {
        SendMessageA(tool_.oldField, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>("C:\\img\\live-5.0.5.iso"));
        SendMessageA(tool_.diffField, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>("C:\\img\\live-5.0.5-to-5.0.6.bsdiff"));
        ASSERT_TRUE(tool_.WaitEnabled(tool_.patch, true));
        for (HWND next : {tool_.diffField, tool_.newField, tool_.close}) {
            ASSERT_TRUE(tool_.TabTo(next));
        }
    }

    void ExpectWholeTextsAndCrispFolders() {
        const bool themed = ThemeServicesEnabled();
        const std::vector<long> folder =
            glyphs::ProgramPicture(support::WindowsPathOfUnix(BRIVOK_EXE_PATH),
                                   themed ? "JvFilenameEditXPGLYPH" : "JvFilenameEditGLYPH");
        const int scale = GetParam() / 96;
        for (int i = 0; i < 3; ++i) {
            const int fieldTop = support::RectIn(fields_[i], frames_[i]).top;
            ExpectWholeText(frames_[i], {0, 0, support::ClientSize(frames_[i]).cx, fieldTop});
            // The field's picture holds its border, around the client's (0, 0).
            HWND button = support::FindChildren(fields_[i], "TJvEditButton").front();
            const RECT window = support::RectIn(fields_[i], fields_[i]);
            const int buttonLeft = support::RectIn(button, fields_[i]).left;
            ExpectWholeText(fields_[i], {-window.left, -window.top, buttonLeft - window.left,
                                         support::ClientSize(fields_[i]).cy - window.top});
            const POINT at = glyphs::PicturePlace(button, themed, scale);
            TBitmap screen;
            EXPECT_TRUE(support::WaitFor([&] {
                return support::CaptureScreenOf(button, screen) &&
                       glyphs::Shows(screen, folder, at.x, at.y, scale);
            })) << "the folder "
                << scale << " times its size at " << at.x << "," << at.y;
        }
        for (HWND button : {tool_.close, tool_.patch}) {
            const SIZE size = support::ClientSize(button);
            ExpectWholeText(button, {3, 3, size.cx - 3, size.cy - 3});
        }
    }

    // Declared first: the program starts under it and ends before it goes.
    ScreenResolution resolution_{static_cast<DWORD>(GetParam())};
    ToolWindow tool_;
    std::array<HWND, 3> frames_{};
    std::array<HWND, 3> fields_{};
};

TEST_P(DpiLookTest, TheWindowLaysItselfOutAtTheResolutionWholeAndCrisp) {
    tool_.ExpectLayout(GetParam());
    NameTheFieldsAndFocusClose();
    ExpectLook(tool_.close, Ring::kFocus);
    ExpectLook(tool_.patch, Ring::kNone);
    tool_.Screenshot("e2e-dpi-" + std::to_string(GetParam()));
    ExpectWholeTextsAndCrispFolders();
    support::PointerTo(tool_.patch);
    ExpectLook(tool_.patch, Ring::kHot);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, DpiLookTest, ::testing::Values(96, 120, 144, 192),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "At" + std::to_string(info.param) + "Dpi";
                         });

}  // namespace
