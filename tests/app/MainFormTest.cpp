// The main window's field rules, in process: the enable rule, the name
// check with its message, and the derivation of the new image's name.
#include "app/PatchMainForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "rtl/Bitmap.h"
#include "support/TestApplication.h"
#include "support/WindowDriver.h"

namespace {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        support::EnsureApplication();
        form_ = std::make_unique<TMainForm>(nullptr);
        form_->Show();
        ASSERT_TRUE(support::WaitFor([&] { return IsWindowVisible(form_->Handle()) != FALSE; }))
            << "the form did not show";
    }
    void TearDown() override { form_.reset(); }

    bool PatchEnabled() const { return form_->JvXPButtonPatch->Enabled(); }

    std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormTest, StartsEmptyWithPatchDisabledAndBspatchBesideTheProgram) {
    EXPECT_EQ(form_->Caption(), "Brivok Patch by Wendral version 1.01");
    EXPECT_EQ(support::ClientSize(form_->Handle()).cx, 458);
    EXPECT_EQ(support::ClientSize(form_->Handle()).cy, 305);
    EXPECT_FALSE(PatchEnabled());
    EXPECT_TRUE(form_->JvXPButtonClose->Enabled());
    EXPECT_EQ(form_->JvFilenameOld->Text(), "");
    // Beside this test program, wherever the build put it; no file is needed.
    EXPECT_EQ(form_->BspatchPath,
              support::WindowsPathOfUnix(BRIVOK_TEST_PROGRAM_DIR) + "\\bspatch.exe");
    EXPECT_EQ(form_->ScriptPath, "");
    EXPECT_EQ(form_->WorkFolder, "");
}

TEST_F(MainFormTest, OnlyTheOldImageFieldAndItsButtonShowTheHint) {
    EXPECT_TRUE(form_->JvFilenameOld->HintShown());
    EXPECT_EQ(form_->JvFilenameOld->EffectiveHint(), "Hallo");
    EXPECT_TRUE(form_->JvFilenameOld->Button()->HintShown());
    EXPECT_EQ(form_->JvFilenameOld->Button()->EffectiveHint(), "Hallo");
    EXPECT_FALSE(form_->JvFilenamePatch->HintShown());
    EXPECT_FALSE(form_->JvFilenameNew->Button()->HintShown());
    EXPECT_FALSE(form_->JvGroupBox1->HintShown());
}

TEST_F(MainFormTest, TabOrderIsOldDiffNewCloseThenPatchWhenEnabled) {
    const std::vector<TWinControl*> order = {form_->JvFilenameOld, form_->JvFilenamePatch,
                                             form_->JvFilenameNew, form_->JvXPButtonClose,
                                             form_->JvXPButtonPatch};
    EXPECT_EQ(form_->TabList(), order);
}

TEST_F(MainFormTest, ChoosingTheDiffFileDerivesTheNewImageName) {
    struct Case {
        const char* oldImage;  // chosen first, unless empty
        const char* diff;
        const char* newImage;
        bool patchEnabled;
    };
    const Case cases[] = {
        {"C:\\img\\live-5.0.5.iso", "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff", "C:\\img\\live-5.0.6.iso",
         true},
        {"C:\\img\\live-5.1.iso", "D:\\dl\\live-5.1-to-5.2.bsdiff", "C:\\img\\liv5.2.iso", true},
        {"C:\\img\\5.0.5.iso", "D:\\dl\\5.0.5-to-5.0.6.bsdiff", "C:\\img\\5.0.6.iso", true},
        {"C:\\img\\live-5.0.5.ISO", "live-5.0.5-to.bsdiff", "C:\\img\\live-.iso", true},
        {"C:\\img\\live-5.0.5", "D:\\dl\\live-5.0-to-5.0.6.bsdiff", "C:\\img\\liv5.0.6.iso", true},
        {"", "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff", "-5.0.5-to-5.0.6.iso", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.oldImage) + " + " + c.diff);
        form_->JvFilenamePatch->Clear();
        form_->JvFilenameNew->Clear();
        form_->JvFilenameOld->SetFileName(c.oldImage);
        form_->JvFilenamePatch->SetFileName(c.diff);
        EXPECT_EQ(form_->JvFilenameNew->FileName(), c.newImage);
        EXPECT_EQ(PatchEnabled(), c.patchEnabled);
    }
    // The old image chosen afterwards enables Patch and keeps the new name.
    form_->JvFilenameOld->SetFileName("C:\\img\\live-5.0.5.iso");
    EXPECT_TRUE(PatchEnabled());
    EXPECT_EQ(form_->JvFilenameNew->FileName(), "-5.0.5-to-5.0.6.iso");
}

TEST_F(MainFormTest, EmptyingAnyFieldDisablesPatch) {
    for (TJvFilenameEdit* field :
         {form_->JvFilenameOld, form_->JvFilenameNew, form_->JvFilenamePatch}) {
        SCOPED_TRACE(field->Name());
        form_->JvFilenamePatch->Clear();
        form_->JvFilenameNew->Clear();
        form_->JvFilenameOld->SetFileName("C:\\img\\live-5.0.5.iso");
        form_->JvFilenamePatch->SetFileName("D:\\dl\\live-5.0.5-to-5.0.6.bsdiff");
        ASSERT_TRUE(PatchEnabled());
        field->Clear();
        EXPECT_FALSE(PatchEnabled());
    }
}

// `icon` drawn at `size` over a colour the picture does not hold.
std::vector<COLORREF> IconPixels(HICON icon, int size) {
    TBitmap picture(size, size);
    const RECT all{0, 0, size, size};
    const GdiObject<HBRUSH> magenta(CreateSolidBrush(RGB(255, 0, 255)));
    FillRect(picture.Dc(), &all, magenta.Get());
    DrawIconEx(picture.Dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            pixels.push_back(picture.Pixel(x, y));
        }
    }
    return pixels;
}

TEST_F(MainFormTest, TheTitleBarShowsTheApplicationsIcon) {
    struct Case {
        const char* what;
        WPARAM which;
        int widthMetric, heightMetric;
    };
    const Case cases[] = {
        {"large", ICON_BIG, SM_CXICON, SM_CYICON},
        {"small", ICON_SMALL, SM_CXSMICON, SM_CYSMICON},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto shown =
            reinterpret_cast<HICON>(SendMessageA(form_->Handle(), WM_GETICON, c.which, 0));
        ASSERT_NE(shown, nullptr) << "no WM_SETICON";
        // The same picture as the program's MAINICON, loaded here afresh.
        const int width = GetSystemMetrics(c.widthMetric);
        const int height = GetSystemMetrics(c.heightMetric);
        const auto resource = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, width, height, 0));
        ASSERT_NE(resource, nullptr);
        const std::vector<COLORREF> expected = IconPixels(resource, width);
        DestroyIcon(resource);
        EXPECT_EQ(IconPixels(shown, width), expected);
        const std::vector<COLORREF> blank(expected.size(), RGB(255, 0, 255));
        EXPECT_NE(expected, blank) << "the icon draws nothing";
    }
}

TEST_F(MainFormTest, AForeignDiffFileIsRefusedWithAMessageAndTheFieldEmptied) {
    form_->JvFilenameNew->SetFileName("C:\\img\\kept.iso");
    form_->JvFilenameOld->SetFileName("C:\\img\\Live-5.0.5.iso");
    HWND patch = form_->JvXPButtonPatch->Handle();

    bool patchEnabledWhileOpen = false;
    support::MessageBoxAnswerer answer(
        "Brivok Patch", [&] { patchEnabledWhileOpen = IsWindowEnabled(patch) != FALSE; });
    form_->JvFilenamePatch->SetFileName("D:\\dl\\live-5.0.5-to-5.0.6.bsdiff");
    const support::MessageBoxInfo& box = answer.Join();

    ASSERT_NE(box.window, nullptr) << "no message box";
    EXPECT_EQ(box.text, "This patch file doesn't seems to be for C:\\img\\Live-5.0.5.iso");
    EXPECT_TRUE(patchEnabledWhileOpen) << "the first run's enable rule saw all three names";
    EXPECT_EQ(form_->JvFilenamePatch->Text(), "");
    EXPECT_FALSE(PatchEnabled());
    EXPECT_EQ(form_->JvFilenameNew->FileName(), "C:\\img\\kept.iso");
}

// The tooltip of this process that shows; empty when none does.
std::string ShownTooltip() {
    return support::ShownTooltip(GetCurrentProcessId());
}

TEST_F(MainFormTest, OnlyTheOldImageFieldAndItsButtonShowHalloUnderThePointer) {
    SetForegroundWindow(form_->Handle());
    support::PointerTo(form_->JvFilenameOld->Handle());
    if (!support::WaitFor([] { return !ShownTooltip().empty(); }, 5000)) {
        SetCursorPos(0, 0);
        GTEST_SKIP() << "this display gives a warped pointer no hover";
    }
    EXPECT_EQ(ShownTooltip(), "Hallo");
    support::SaveScreenshot(GetDesktopWindow(),
                            support::WindowsPathOfUnix(BRIVOK_SCREENSHOT_DIR) + "\\hint.bmp");
    support::PointerTo(form_->JvFilenameOld->Button()->Handle());
    EXPECT_TRUE(support::WaitFor([] { return ShownTooltip() == "Hallo"; }, 5000))
        << "over the button: " << ShownTooltip();
    support::PointerTo(form_->JvFilenamePatch->Handle());
    EXPECT_TRUE(support::WaitFor([] { return ShownTooltip().empty(); }, 5000))
        << "over the diff field: " << ShownTooltip();
    SetCursorPos(0, 0);
}

}  // namespace
