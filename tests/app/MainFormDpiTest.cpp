// The main window moved to a monitor of another resolution, in process:
// WM_DPICHANGED with the rectangle the system proposes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "MainLayout.h"
#include "app/PatchMainForm.h"
#include "support/TestApplication.h"
#include "support/WindowDriver.h"

namespace {

using main_layout::Numbers;
using main_layout::Scaled;

class MainFormDpiTest : public ::testing::Test {
protected:
    // Hidden: the system sends the message to a window wherever it is.
    void SetUp() override {
        support::EnsureApplication();
        form_ = std::make_unique<TMainForm>(nullptr);
    }

    // What the system sends on a move to a monitor of `ppi`: the window's
    // rectangle with its client area scaled, the frame as it is here.
    RECT MoveToResolution(int ppi) {
        const RECT window = support::RectIn(form_->Handle(), nullptr);
        const SIZE client = support::ClientSize(form_->Handle());
        const int from = form_->CurrentPPI();
        const RECT suggested{window.left, window.top,
                             window.right + MulDiv(client.cx, ppi, from) - client.cx,
                             window.bottom + MulDiv(client.cy, ppi, from) - client.cy};
        SendMessageA(form_->Handle(), WM_DPICHANGED, MAKEWPARAM(ppi, ppi),
                     reinterpret_cast<LPARAM>(&suggested));
        return suggested;
    }

    // Every control's place, a field's text rectangle and the font.
    std::vector<int> Layout() const {
        std::vector<int> numbers = Numbers(form_->ClientRect());
        for (TWinControl* control : form_->AllControls()) {
            const std::vector<int> place = Numbers(control->BoundsRect());
            numbers.insert(numbers.end(), place.begin(), place.end());
        }
        RECT text{};
        SendMessageA(form_->JvFilenameOld->Handle(), EM_GETRECT, 0,
                     reinterpret_cast<LPARAM>(&text));
        const std::vector<int> textPlace = Numbers(text);
        numbers.insert(numbers.end(), textPlace.begin(), textPlace.end());
        numbers.push_back(FontHeight());
        return numbers;
    }

    int FontHeight() const {
        LOGFONTA font{};
        GetObjectA(form_->FontHandle(), sizeof font, &font);
        return font.lfHeight;
    }

    std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormDpiTest, ANewResolutionLaysTheWindowOutAgainAndTheWayBackRestoresIt) {
    const std::vector<int> design = Layout();
    for (const int ppi : {144, 192, 120}) {
        SCOPED_TRACE(std::to_string(ppi) + " dpi");
        const RECT suggested = MoveToResolution(ppi);
        EXPECT_EQ(Numbers(support::RectIn(form_->Handle(), nullptr)), Numbers(suggested));
        EXPECT_EQ(Numbers(form_->ClientRect()), Scaled(main_layout::kClient, ppi));
        EXPECT_EQ(Numbers(form_->JvGroupBox2->BoundsRect()), Scaled(main_layout::kFrames[1], ppi));
        EXPECT_EQ(Numbers(form_->JvFilenamePatch->BoundsRect()), Scaled(main_layout::kField, ppi));
        EXPECT_EQ(Numbers(form_->JvXPButtonClose->BoundsRect()), Scaled(main_layout::kClose, ppi));
        EXPECT_EQ(Numbers(form_->ProgressBarPatch->BoundsRect()),
                  Scaled(main_layout::kProgress, ppi));
        EXPECT_EQ(FontHeight(), Scaled(main_layout::kFontHeight, ppi));
        const RECT holder = form_->JvFilenamePatch->ButtonHolder()->BoundsRect();
        EXPECT_EQ(holder.right - holder.left, Scaled(main_layout::kFieldButtonWidth, ppi));
        EXPECT_EQ(holder.right, form_->JvFilenamePatch->ClientWidth()) << "at the right end";
        MoveToResolution(96);
        EXPECT_EQ(Layout(), design) << "back at 96 dpi";
    }
}

TEST_F(MainFormDpiTest, AtTheNewResolutionAnchorsAndControlsPlacedLaterFollowIt) {
    MoveToResolution(144);
    // Wider by 30: Close keeps its scaled distance to the right edge.
    form_->SetClientSize(Scaled(458, 144) + 30, Scaled(305, 144));
    EXPECT_EQ(form_->JvXPButtonClose->Left(), Scaled(352, 144) + 30);
    EXPECT_EQ(form_->JvFilenameOld->Width(), Scaled(361, 144) + 30);
    // Its bounds read at 96 dpi: the XP button's default 73 x 21.
    auto* late = new TJvXPButton(form_.get());
    late->SetParent(form_.get());
    EXPECT_EQ(late->Width(), 110);
    EXPECT_EQ(late->Height(), 32);
}

}  // namespace
