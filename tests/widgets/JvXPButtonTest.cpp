// The XP button: what clicks it, what does not, its enabled state from any
// thread, and the look of its frame.
#include "widgets/JvXPButtons.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "rtl/Bitmap.h"
#include "rtl/Forms.h"
#include "support/TestApplication.h"
#include "support/WindowDriver.h"

namespace {

constexpr COLORREF kEnabledFrame = RGB(0x00, 0x3C, 0x74);
constexpr COLORREF kDisabledFrame = RGB(0xCE, 0xC7, 0xBD);

class XPButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        support::EnsureApplication();
        form_ = std::make_unique<TForm>(nullptr);
        form_->SetClientSize(300, 100);
        form_->SetBounds(60, 60, form_->Width(), form_->Height());
        button_ = new TJvXPButton(form_.get());
        button_->SetCaption("Patch");
        button_->SetBounds(32, 20, button_->Width(), button_->Height());
        button_->SetParent(form_.get());
        next_ = new TJvXPButton(form_.get());
        next_->SetCaption("Close");
        next_->SetBounds(150, 20, next_->Width(), next_->Height());
        next_->SetParent(form_.get());
        button_->OnClick = [this](TObject* sender) {
            EXPECT_EQ(sender, button_);
            ++clicks_;
        };
        form_->Show();
        support::WaitFor([&] { return IsWindowVisible(form_->Handle()) != FALSE; });
        UpdateWindow(form_->Handle());
    }
    void TearDown() override { form_.reset(); }

    void Post(UINT msg, WPARAM wParam, LPARAM lParam) {
        PostMessageA(button_->Handle(), msg, wParam, lParam);
        Application->ProcessMessages();
    }

    COLORREF FramePixel() {
        TBitmap picture(button_->Width(), button_->Height());
        SendMessageA(button_->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.Dc()),
                     PRF_CLIENT);
        return picture.Pixel(button_->Width() / 2, 0);
    }

    std::unique_ptr<TForm> form_;
    TJvXPButton* button_ = nullptr;
    TJvXPButton* next_ = nullptr;
    int clicks_ = 0;
};

TEST_F(XPButtonTest, IsATabStopOfDefaultSize) {
    EXPECT_EQ(button_->Width(), 73);
    EXPECT_EQ(button_->Height(), 21);
    EXPECT_TRUE(button_->TabStop());
}

TEST_F(XPButtonTest, ClicksOnMouseReleaseOverItSpaceAndEnter) {
    struct Action {
        const char* name;
        std::vector<std::tuple<UINT, WPARAM, LPARAM>> messages;
        int clicks;
    };
    const Action actions[] = {
        {"left press and release inside",
         {{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)}, {WM_LBUTTONUP, 0, MAKELPARAM(6, 6)}},
         1},
        {"release outside",
         {{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)}, {WM_LBUTTONUP, 0, MAKELPARAM(200, 5)}},
         0},
        {"release without a press", {{WM_LBUTTONUP, 0, MAKELPARAM(5, 5)}}, 0},
        {"Space down and up", {{WM_KEYDOWN, VK_SPACE, 1}, {WM_KEYUP, VK_SPACE, 0xC0000001}}, 1},
        {"Space down only", {{WM_KEYDOWN, VK_SPACE, 1}}, 0},
        {"another key's release ends the Space press", {{WM_KEYUP, 'A', 0xC0000001}}, 1},
        {"Enter", {{WM_KEYDOWN, VK_RETURN, 1}}, 1},
        {"a letter", {{WM_KEYDOWN, 'A', 1}, {WM_KEYUP, 'A', 0xC0000001}}, 0},
    };
    for (const Action& action : actions) {
        SCOPED_TRACE(action.name);
        clicks_ = 0;
        for (const auto& [msg, wParam, lParam] : action.messages) {
            Post(msg, wParam, lParam);
        }
        EXPECT_EQ(clicks_, action.clicks);
    }
}

TEST_F(XPButtonTest, ADoubleClickIsTwoClicks) {
    for (int i = 0; i < 2; ++i) {
        Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        Post(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    EXPECT_EQ(clicks_, 2);
}

TEST_F(XPButtonTest, ADisabledButtonNeverClicks) {
    button_->SetEnabled(false);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Post(WM_KEYDOWN, VK_SPACE, 1);
    Post(WM_KEYUP, VK_SPACE, 0xC0000001);
    Post(WM_KEYDOWN, VK_RETURN, 1);
    button_->Click();
    EXPECT_EQ(clicks_, 0);
}

TEST_F(XPButtonTest, ThePressTakesTheFocusAndDisablingGivesItAway) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(GetFocus(), button_->Handle());
    button_->SetEnabled(false);
    EXPECT_EQ(GetFocus(), next_->Handle());
}

TEST_F(XPButtonTest, TheFrameShowsTheEnabledState) {
    EXPECT_EQ(FramePixel(), kEnabledFrame);
    button_->SetEnabled(false);
    EXPECT_EQ(FramePixel(), kDisabledFrame);
    button_->SetEnabled(true);
    EXPECT_EQ(FramePixel(), kEnabledFrame);
}

TEST_F(XPButtonTest, SettingTheSameEnabledValueAsksForNoRepaint) {
    UpdateWindow(button_->Handle());
    button_->SetEnabled(true);
    EXPECT_FALSE(GetUpdateRect(button_->Handle(), nullptr, FALSE));
    button_->SetEnabled(false);
    EXPECT_TRUE(GetUpdateRect(button_->Handle(), nullptr, FALSE));
}

TEST_F(XPButtonTest, EnabledCanBeSetFromAWorkerThread) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        button_->SetEnabled(false);
        done = true;
    });
    // The window's work reaches this thread as sent messages; keep serving.
    EXPECT_TRUE(support::WaitFor([&] { return done.load(); }));
    worker.join();
    EXPECT_FALSE(IsWindowEnabled(button_->Handle()));
    EXPECT_FALSE(button_->Enabled());
    EXPECT_EQ(FramePixel(), kDisabledFrame);
}

}  // namespace
