// The form and its controls: tab order and Tab navigation, anchors, hint
// lookup, the edit's change notification, painting and teardown order.
#include "rtl/Forms.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "rtl/Bitmap.h"
#include "rtl/StdCtrls.h"
#include "support/ControlDriver.h"
#include "support/FormFixture.h"
#include "support/Pixels.h"
#include "support/WindowDriver.h"

namespace {

// Paints its left half in one colour and its right half in another.
class TwoColourControl : public TCustomControl {
public:
    TwoColourControl(TComponent* owner, TColor left, TColor right)
        : TCustomControl(owner), left_(left), right_(right) {}

protected:
    void Paint(TCanvas& canvas) override {
        const RECT client = ClientRect();
        canvas.FillRect({0, 0, client.right / 2, client.bottom}, left_);
        canvas.FillRect({client.right / 2, 0, client.right, client.bottom}, right_);
    }

private:
    TColor left_;
    TColor right_;
};

class FormTest : public support::FormFixture {
protected:
    void SetUp() override { MakeForm(300, 200, 50, 50); }

    // Tab as the message loop sees it; Shift through the thread's key state.
    void PressTab(bool shift) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        support::PostKey(GetFocus(), VK_TAB);
        Application->ProcessMessages();
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }
};

TEST_F(FormTest, TabListFollowsTabOrderDepthFirstAndSkipsFrames) {
    auto* box = Add<TCustomGroupBox>(form_.get(), 10, 10, 200, 80);
    auto* inner1 = Add<TCustomEdit>(box, 10, 20, 100, 21);
    auto* inner0 = Add<TCustomEdit>(box, 10, 50, 100, 21);
    auto* after = Add<TCustomEdit>(form_.get(), 10, 100, 100, 21);
    auto* before = Add<TCustomEdit>(form_.get(), 10, 130, 100, 21);
    inner0->SetTabOrder(0);
    before->SetTabOrder(0);
    EXPECT_EQ(form_->TabList(), (std::vector<TWinControl*>{before, inner0, inner1, after}));
    EXPECT_EQ(after->TabOrder(), 2);
}

TEST_F(FormTest, TabAndShiftTabMoveTheFocusAroundSkippingDisabledControls) {
    auto* box = Add<TCustomGroupBox>(form_.get(), 10, 10, 200, 80);
    auto* first = Add<TCustomEdit>(box, 10, 20, 100, 21);
    auto* second = Add<TCustomEdit>(form_.get(), 10, 100, 100, 21);
    auto* disabled = Add<TCustomEdit>(form_.get(), 10, 130, 100, 21);
    auto* last = Add<TCustomEdit>(form_.get(), 10, 160, 100, 21);
    disabled->SetEnabled(false);
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    first->SetFocus();

    struct Step {
        bool shift;
        TWinControl* focused;
    };
    const Step steps[] = {
        {false, second}, {false, last}, {false, first}, {true, last}, {true, second}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.shift ? "Shift+Tab" : "Tab");
        PressTab(step.shift);
        EXPECT_EQ(GetFocus(), step.focused->Handle());
    }
}

TEST_F(FormTest, DisablingTheFocusedControlMovesTheFocusOn) {
    auto* first = Add<TCustomEdit>(form_.get(), 10, 10, 100, 21);
    auto* second = Add<TCustomEdit>(form_.get(), 10, 40, 100, 21);
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    first->SetFocus();
    first->SetEnabled(false);
    EXPECT_EQ(GetFocus(), second->Handle());
}

TEST_F(FormTest, AnchorsKeepTheDistancesToTheParentsEdges) {
    auto* stretched = Add<TCustomGroupBox>(form_.get(), 20, 10, 260, 60);
    stretched->SetAnchors(akLeft | akTop | akRight);
    auto* inner = Add<TCustomEdit>(stretched, 10, 20, 240, 21);
    inner->SetAnchors(akLeft | akTop | akRight);
    auto* right = Add<TCustomEdit>(form_.get(), 200, 150, 80, 21);
    right->SetAnchors(akTop | akRight);
    auto* bottom = Add<TCustomEdit>(form_.get(), 10, 150, 80, 21);
    bottom->SetAnchors(akLeft | akBottom);
    auto* fixed = Add<TCustomEdit>(form_.get(), 10, 100, 80, 21);

    struct Case {
        int clientWidth, clientHeight;
    };
    for (const Case& size : {Case{400, 260}, Case{150, 100}, Case{300, 200}}) {
        SCOPED_TRACE(std::to_string(size.clientWidth) + "x" + std::to_string(size.clientHeight));
        form_->SetClientSize(size.clientWidth, size.clientHeight);
        ASSERT_EQ(support::ClientSize(form_->Handle()).cx, size.clientWidth);
        const int grow = size.clientWidth - 300;
        const int drop = size.clientHeight - 200;
        const auto place = [&](TWinControl* control) {
            return support::RectIn(control->Handle(), control->Parent()->Handle());
        };
        EXPECT_EQ(place(stretched), (RECT{20, 10, 280 + grow, 70}));
        EXPECT_EQ(place(inner), (RECT{10, 20, 250 + grow, 41}));
        EXPECT_EQ(place(right), (RECT{200 + grow, 150, 280 + grow, 171}));
        EXPECT_EQ(place(bottom), (RECT{10, 150 + drop, 90, 171 + drop}));
        EXPECT_EQ(place(fixed), (RECT{10, 100, 90, 121}));
    }
}

TEST_F(FormTest, HintsComeFromTheNearestParentThatHasOne) {
    auto* box = Add<TCustomGroupBox>(form_.get(), 10, 10, 200, 80);
    auto* field = Add<TCustomEdit>(box, 10, 20, 100, 21);
    auto* inner = new TwoColourControl(form_.get(), clBlack, clWhite);
    inner->SetParent(field);
    auto* other = Add<TCustomEdit>(form_.get(), 10, 100, 100, 21);
    field->SetHint("Hallo");
    field->SetShowHint(true);

    EXPECT_TRUE(field->HintShown());
    EXPECT_TRUE(inner->HintShown()) << "follows its parent's ShowHint";
    EXPECT_EQ(inner->EffectiveHint(), "Hallo");
    EXPECT_FALSE(box->HintShown());
    EXPECT_FALSE(other->HintShown());
    inner->SetHint("own");
    EXPECT_EQ(inner->EffectiveHint(), "own");
}

TEST_F(FormTest, EditFiresOnChangeOncePerActualChange) {
    auto* edit = Add<TCustomEdit>(form_.get(), 10, 10, 100, 21);
    std::vector<std::string> seen;
    edit->OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, edit);
        seen.push_back(edit->Text());
    };
    edit->SetText("one");
    edit->SetText("one");
    SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("two"));
    SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("two"));
    edit->Clear();
    edit->Clear();
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two", ""}));
}

TEST_F(FormTest, AnErrorOfOnChangeReachesTheCodeThatSetTheText) {
    auto* edit = Add<TCustomEdit>(form_.get(), 10, 10, 100, 21);
    edit->OnChange = [](TObject*) { throw std::runtime_error("refused"); };
    EXPECT_THROW(edit->SetText("x"), std::runtime_error);
    EXPECT_EQ(edit->Text(), "x");
}

TEST_F(FormTest, CustomControlPaintsDoubleBufferedWithSystemColoursResolved) {
    auto* control = Add<TwoColourControl>(form_.get(), 10, 10, 40, 20, clBtnFace, 0x0000FF);
    ASSERT_NO_FATAL_FAILURE(ShowForm());

    TBitmap printed;
    support::Render(control, printed);
    EXPECT_EQ(printed.Pixel(5, 5), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(printed.Pixel(35, 15), RGB(0xFF, 0, 0));

    TBitmap screen;
    EXPECT_TRUE(support::CaptureScreenWhen(control->Handle(), screen, [](const TBitmap& s) {
        return s.Pixel(5, 5) == GetSysColor(COLOR_BTNFACE) && s.Pixel(35, 15) == RGB(0xFF, 0, 0);
    })) << "as shown on the screen";
}

TEST_F(FormTest, GroupBoxInsideShowsTheFaceColour) {
    auto* box = Add<TCustomGroupBox>(form_.get(), 10, 10, 200, 80);
    box->SetCaption("Frame");
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    TBitmap screen;
    EXPECT_TRUE(support::CaptureScreenWhen(box->Handle(), screen, [](const TBitmap& s) {
        return s.Pixel(100, 50) == GetSysColor(COLOR_BTNFACE);
    }));
}

// A component of type Base that notes its destruction as `what` in `log`.
template <typename Base>
class Noted : public Base {
public:
    Noted(TComponent* owner, const char* what, std::vector<std::string>* log)
        : Base(owner), what_(what), log_(log) {}
    ~Noted() override { log_->push_back(what_); }

private:
    const char* what_;
    std::vector<std::string>* log_;
};

TEST_F(FormTest, ControlsAreDestroyedBeforeTheOtherComponents) {
    std::vector<std::string> order;
    new Noted<TComponent>(form_.get(), "component", &order);
    Add<Noted<TCustomEdit>>(form_.get(), 10, 10, 100, 21, "control", &order);
    new Noted<TComponent>(form_.get(), "component", &order);
    form_.reset();
    EXPECT_EQ(order, (std::vector<std::string>{"control", "component", "component"}));
}

TEST_F(FormTest, BitmapRowsAreTopDownBlueGreenRed) {
    TBitmap bitmap(3, 2);
    std::uint8_t* row = bitmap.ScanLine(1);
    row[3] = 0x11;  // pixel (1, 1): blue
    row[4] = 0x22;  // green
    row[5] = 0x33;  // red
    EXPECT_EQ(bitmap.Pixel(1, 1), RGB(0x33, 0x22, 0x11));
    EXPECT_EQ(bitmap.RowStride(), 12);
    EXPECT_EQ(bitmap.Pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(bitmap.Dc(), 1, 1), RGB(0x33, 0x22, 0x11)) << "GDI sees the same pixel";
}

}  // namespace
