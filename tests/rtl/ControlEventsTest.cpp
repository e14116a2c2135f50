// What the framework tells a control on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rtl/Forms.h"
#include "rtl/StdCtrls.h"
#include "support/ControlDriver.h"
#include "support/FormFixture.h"
#include "support/WindowDriver.h"

namespace {

using Log = std::vector<std::string>;

// Logs the notifications it gets as short words.
class Recorder : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

    Log log;
    std::vector<TWinControl*> focusReports;
    WORD takesDialogKey = 0;  // the key DialogKey answers true for
    char takesDialogChar = 0;
    LRESULT dialogCode = 0;  // the answer to WM_GETDLGCODE

    void Click() override {
        log.push_back("click");
        TCustomControl::Click();
    }
    bool DialogKey(WORD key, TShiftState shift) override {
        log.push_back("dialogkey " + std::to_string(key));
        return (key == takesDialogKey) || TCustomControl::DialogKey(key, shift);
    }
    bool DialogChar(char key, TShiftState shift) override {
        log.push_back(std::string("dialogchar ") + key + ((shift & ssAlt) != 0 ? " alt" : ""));
        return key == takesDialogChar;
    }

protected:
    void Paint(TCanvas& canvas) override { canvas.FillRect(ClientRect(), clBtnFace); }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_GETDLGCODE) {
            return dialogCode;
        }
        return TCustomControl::WindowProc(msg, wParam, lParam);
    }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
        log.push_back(std::string("down ") + Name(button) + ((shift & ssDouble) ? " double" : ""));
        TCustomControl::MouseDown(button, shift, x, y);
    }
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
        log.push_back(std::string("up ") + Name(button));
        TCustomControl::MouseUp(button, shift, x, y);
    }
    void DblClick() override { log.push_back("dblclick"); }
    void MouseEnter() override { log.push_back("enter"); }
    void MouseLeave() override { log.push_back("leave"); }
    void KeyDown(WORD& key, TShiftState shift) override {
        log.push_back("keydown " + std::to_string(key));
        TCustomControl::KeyDown(key, shift);
    }
    void TextChanged() override { log.push_back("text " + Text()); }
    void ParentColorChanged() override { log.push_back("parentcolor"); }
    void ParentFontChanged() override { log.push_back("parentfont"); }
    void SysColorChanged() override { log.push_back("syscolor"); }
    void FocusedControlChanged(TWinControl* focused) override { focusReports.push_back(focused); }

private:
    static const char* Name(TMouseButton button) {
        constexpr const char* kNames[] = {"left", "right", "middle"};  // in the enum's order
        return kNames[static_cast<int>(button)];
    }
};

using support::At;
using support::CentreOf;
using support::Send;

class ControlEventsTest : public support::FormFixture {
protected:
    void SetUp() override {
        MakeForm(300, 200);
        a_ = AddRecorder(form_.get(), 10, 10, 80, 30);
        b_ = AddRecorder(form_.get(), 100, 10, 80, 30);
        ASSERT_NO_FATAL_FAILURE(ShowForm());
        // Showing focused the first control; the tests start from here.
        for (Recorder* control : {a_, b_}) {
            control->log.clear();
            control->focusReports.clear();
        }
    }

    Recorder* AddRecorder(TWinControl* parent, int left, int top, int width, int height) {
        auto* control = Add<Recorder>(parent, left, top, width, height);
        control->SetTabStop(true);
        return control;
    }

    // The pointer really over a control, and the move it makes.
    static void MoveOver(TWinControl* control) {
        support::PointerTo(control->Handle());
        Application->ProcessMessages();  // the system's own move, if it comes at once
        support::MovePointer(control, control);
    }

    // A left press (a double-click's second one when `dblclk`) and release.
    void PressLeft(bool dblclk = false) {
        Send(a_, dblclk ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
        Send(a_, WM_LBUTTONUP, 0, At(5, 5));
    }

    static void Key(TWinControl* control, WORD key) {
        support::PostKey(control->Handle(), key);
        Application->ProcessMessages();
    }

    Recorder* a_ = nullptr;
    Recorder* b_ = nullptr;
};

TEST_F(ControlEventsTest, ALeftPressAndReleaseInsideClicksAndTheCaptureLastsMeanwhile) {
    struct Case {
        const char* name;
        TControlStyle style;
        int releaseX;
        Log log;
        bool captured;  // while the button is down
    };
    const TControlStyle both = csCaptureMouse | csClickEvents;
    const Case cases[] = {
        {"inside", both, 5, {"down left", "up left", "click"}, true},
        {"released outside", both, 200, {"down left", "up left"}, true},
        {"no click events", csCaptureMouse, 5, {"down left", "up left"}, true},
        {"no capture", csClickEvents, 5, {"down left", "up left", "click"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        a_->SetControlStyle(c.style);
        a_->log.clear();
        Send(a_, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
        EXPECT_EQ(GetCapture() == a_->Handle(), c.captured);
        Send(a_, WM_LBUTTONUP, 0, At(c.releaseX, 5));
        EXPECT_NE(GetCapture(), a_->Handle()) << "the capture ends with the release";
        EXPECT_EQ(a_->log, c.log);
    }
}

TEST_F(ControlEventsTest, OtherButtonsNeitherCaptureNorClick) {
    Send(a_, WM_RBUTTONDOWN, MK_RBUTTON, At(5, 5));
    EXPECT_NE(GetCapture(), a_->Handle());
    Send(a_, WM_RBUTTONUP, 0, At(5, 5));
    Send(a_, WM_MBUTTONDOWN, MK_MBUTTON, At(5, 5));
    Send(a_, WM_MBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(a_->log, (Log{"down right", "up right", "down middle", "up middle"}));
}

TEST_F(ControlEventsTest, ADoubleClickIsASecondPressWithoutDoubleClicksStyle) {
    // With csDoubleClicks: the second press is a double-click and no click.
    PressLeft();
    PressLeft(true);
    EXPECT_EQ(a_->log,
              (Log{"down left", "up left", "click", "dblclick", "down left double", "up left"}));
    a_->log.clear();
    a_->SetControlStyle(a_->ControlStyle() & ~csDoubleClicks);
    PressLeft();
    PressLeft(true);
    EXPECT_EQ(a_->log, (Log{"down left", "up left", "click", "down left", "up left", "click"}));
}

TEST_F(ControlEventsTest, ADisabledControlDoesNotClick) {
    Send(a_, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    a_->SetEnabled(false);
    Send(a_, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(std::count(a_->log.begin(), a_->log.end(), "click"), 0);
}

TEST_F(ControlEventsTest, ThePointerEntersAndLeavesOnce) {
    MoveOver(a_);
    MoveOver(a_);  // a second move adds nothing
    EXPECT_TRUE(a_->MouseInControl());
    MoveOver(b_);
    // The system tells the window it left (TrackMouseEvent); Wine polls.
    ASSERT_TRUE(support::WaitFor([&] { return !a_->MouseInControl(); }));
    EXPECT_EQ(a_->log, (Log{"enter", "leave"}));
    EXPECT_EQ(b_->log, Log{"enter"});
}

TEST_F(ControlEventsTest, WithTheCaptureTheMovesTellWhetherThePointerIsInside) {
    MoveOver(a_);
    Send(a_, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ASSERT_EQ(GetCapture(), a_->Handle());
    // Dragged onto b: the moves still come to a, which the pointer left.
    support::MovePointer(b_, a_);
    EXPECT_FALSE(a_->MouseInControl());
    EXPECT_TRUE(b_->log.empty()) << "b sees nothing while a holds the capture";
    MoveOver(a_);  // and back
    EXPECT_TRUE(a_->MouseInControl());
    Send(a_, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(a_->log, (Log{"enter", "down left", "leave", "enter", "up left", "click"}));
}

TEST_F(ControlEventsTest, DisablingOrHidingAControlUnderThePointerIsALeave) {
    MoveOver(a_);
    a_->SetEnabled(false);
    EXPECT_FALSE(a_->MouseInControl());
    a_->SetEnabled(true);  // the pointer still rests there
    EXPECT_TRUE(a_->MouseInControl());
    a_->SetVisible(false);
    EXPECT_FALSE(a_->MouseInControl());
    EXPECT_EQ(a_->log, (Log{"enter", "leave", "enter", "leave"}));
}

TEST_F(ControlEventsTest, TheControlAtAPointIsTheInnermostAndDisabledOnesOnlyWhenAsked) {
    auto* box = Add<TCustomGroupBox>(form_.get(), 10, 60, 200, 100);
    Recorder* inner = AddRecorder(box, 20, 30, 60, 30);
    const POINT overInner = CentreOf(inner);
    const RECT boxRect = support::RectIn(box->Handle(), nullptr);
    const POINT overBoxOnly{boxRect.right - 5, boxRect.bottom - 5};

    EXPECT_EQ(TWinControl::ControlAtPos(overInner, false), inner);
    EXPECT_EQ(TWinControl::ControlAtPos(overBoxOnly, false), box);
    EXPECT_EQ(TWinControl::ControlAtPos(CentreOf(a_), false), a_);
    inner->SetEnabled(false);
    EXPECT_EQ(TWinControl::ControlAtPos(overInner, false), box);
    EXPECT_EQ(TWinControl::ControlAtPos(overInner, true), inner);
    const RECT formRect = support::RectIn(form_->Handle(), nullptr);
    EXPECT_EQ(TWinControl::ControlAtPos({formRect.right + 50, formRect.top + 50}, true), nullptr)
        << "the desktop is no control of ours";
}

TEST_F(ControlEventsTest, EveryControlHearsWhichControlGotTheFocus) {
    b_->SetFocus();
    a_->SetFocus();
    const std::vector<TWinControl*> expected{b_, a_};
    EXPECT_EQ(a_->focusReports, expected);
    EXPECT_EQ(b_->focusReports, expected);
    a_->focusReports.clear();
    form_->BroadcastFocusChanged();
    EXPECT_EQ(a_->focusReports, std::vector<TWinControl*>{a_});
}

TEST_F(ControlEventsTest, EnterAndEscapeThatTheFocusedControlDoesNotWantGoToTheControls) {
    a_->SetFocus();
    b_->takesDialogKey = VK_RETURN;
    Key(a_, VK_RETURN);
    EXPECT_EQ(a_->log, Log{"dialogkey 13"})
        << "a is asked first (tab order); its key-down never comes";
    EXPECT_EQ(b_->log, Log{"dialogkey 13"});

    // Not taken by anyone: the key reaches the focused control after all.
    a_->log.clear();
    b_->log.clear();
    Key(a_, VK_ESCAPE);
    EXPECT_EQ(a_->log, (Log{"dialogkey 27", "keydown 27"}));

    // A control that wants every key is not asked.
    a_->log.clear();
    a_->dialogCode = DLGC_WANTALLKEYS;
    Key(a_, VK_RETURN);
    EXPECT_EQ(a_->log, Log{"keydown 13"});
    EXPECT_TRUE(std::find(b_->log.begin(), b_->log.end(), "dialogkey 13") == b_->log.end());
}

TEST_F(ControlEventsTest, AltCharactersAndUnwantedCharactersAreOfferedAsAccelerators) {
    a_->SetFocus();
    b_->takesDialogChar = 'g';
    PostMessageA(a_->Handle(), WM_SYSCHAR, 'g', 1 | (1L << 29));
    PostMessageA(a_->Handle(), WM_CHAR, 'x', 1);
    Application->ProcessMessages();
    EXPECT_EQ(b_->log, (Log{"dialogchar g alt", "dialogchar x"}));

    // Wanted characters go straight to the control.
    b_->log.clear();
    a_->dialogCode = DLGC_WANTCHARS;
    PostMessageA(a_->Handle(), WM_CHAR, 'g', 1);
    PostMessageA(a_->Handle(), WM_SYSCHAR, 'g', 1 | (1L << 29));
    Application->ProcessMessages();
    EXPECT_EQ(b_->log, Log{"dialogchar g alt"});
}

TEST_F(ControlEventsTest, TabStillMovesTheFocus) {
    a_->SetFocus();
    Key(a_, VK_TAB);
    EXPECT_TRUE(b_->Focused());
    EXPECT_TRUE(a_->log.empty()) << "Tab is the form's: no dialog key for the controls";
}

TEST_F(ControlEventsTest, ColourFontTextAndSystemColourChangesAreReported) {
    Recorder* child = AddRecorder(a_, 2, 2, 10, 10);
    form_->SetColor(clWindow);
    a_->SetColor(clBtnShadow);
    form_->SetFont("Arial", -12);
    a_->SetText("Caption");
    SendMessageA(form_->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(a_->log, (Log{"parentcolor", "parentfont", "text Caption", "syscolor"}));
    EXPECT_EQ(child->log, (Log{"parentcolor", "parentfont", "syscolor"}));
    a_->SetText("Caption");  // unchanged: nothing
    EXPECT_EQ(a_->log.size(), 4u);
}

}  // namespace
