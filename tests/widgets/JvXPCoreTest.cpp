// The XP control base, watched through a control that logs its hooks, its
// repaint requests and the framework's events in the order they come.
#include "widgets/JvXPCore.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "rtl/Forms.h"
#include "rtl/StdCtrls.h"
#include "support/ControlDriver.h"
#include "support/FormFixture.h"

namespace {

using support::At;
using support::CentreOf;
using support::MovePointer;
using support::Send;

using Log = std::vector<std::string>;

// An XP control that logs its hooks, its repaint requests and its events.
class TracedControl : public TJvXPCustomStyleControl {
public:
    explicit TracedControl(TComponent* owner, Log& log)
        : TJvXPCustomStyleControl(owner), log_(log) {
        SetTabStop(true);
        OnMouseEnter = [this](TObject*) { Note("OnMouseEnter"); };
        OnMouseLeave = [this](TObject*) { Note("OnMouseLeave"); };
        OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
            Note("OnMouseDown");
        };
        OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { Note("OnMouseUp"); };
        OnClick = [this](TObject*) { Note("OnClick"); };
    }
    void RequestRedraw() override {
        Note("redraw");
        TJvXPCustomStyleControl::RequestRedraw();
    }
    // The hooks are protected; the tests call one as another control would.
    void CallMouseEnter() { DoMouseEnter(); }

protected:
    void Paint(TCanvas& canvas) override { canvas.FillRect(ClientRect(), clBtnFace); }
    // Each hook notes its name, then runs the base's.
#define BRIVOK_TRACED_HOOK(hook) \
    void hook() override {       \
        Note(#hook);             \
        Base::hook();            \
    }
    BRIVOK_TRACED_HOOK(DoBorderChanged);
    BRIVOK_TRACED_HOOK(DoEnabledChanged);
    BRIVOK_TRACED_HOOK(DoFocusChanged);
    BRIVOK_TRACED_HOOK(DoMouseDown);
    BRIVOK_TRACED_HOOK(DoMouseEnter);
    BRIVOK_TRACED_HOOK(DoMouseLeave);
    void DoMouseMove(int x, int y) override {
        Note("DoMouseMove");
        Base::DoMouseMove(x, y);
    }
    BRIVOK_TRACED_HOOK(DoMouseUp);
    BRIVOK_TRACED_HOOK(DoParentColorChanged);
    BRIVOK_TRACED_HOOK(DoParentFontChanged);
    BRIVOK_TRACED_HOOK(DoMoved);
    BRIVOK_TRACED_HOOK(DoResized);
    BRIVOK_TRACED_HOOK(DoCaptionChanged);
#undef BRIVOK_TRACED_HOOK

private:
    using Base = TJvXPCustomStyleControl;
    void Note(const std::string& what) {
        log_.push_back(Name() + " " + what);
    }
    Log& log_;
};

class XPCoreTest : public support::FormFixture {
protected:
    void SetUp() override {
        MakeForm(320, 120, 60, 60);
        edit_ = Add<TCustomEdit>(form_.get(), 10, 60, 100, 21);
        a_ = AddTraced("a", 10, 10);
        b_ = AddTraced("b", 120, 10);
        ASSERT_NO_FATAL_FAILURE(ShowForm());
        edit_->SetFocus();
        Application->ProcessMessages();
        log_.clear();
    }

    // Fresh controls for the next case of a table (a new form would cost
    // Wine seconds).
    void NewControls() {
        PointerAway();
        delete a_;
        delete b_;
        a_ = AddTraced("a", 10, 10);
        b_ = AddTraced("b", 120, 10);
        form_->SetColor(clBtnFace);
        edit_->SetFocus();
        Application->ProcessMessages();
    }

    TracedControl* AddTraced(const std::string& name, int left, int top) {
        auto* control = Add<TracedControl>(form_.get(), left, top, 80, 24, log_);
        control->SetName(name);
        return control;
    }

    // Only the lines of one control.
    Log Of(const std::string& name) const {
        Log lines;
        for (const std::string& line : log_) {
            if (line.rfind(name + " ", 0) == 0) {
                lines.push_back(line.substr(name.size() + 1));
            }
        }
        return lines;
    }

    Log log_;
    TCustomEdit* edit_ = nullptr;
    TracedControl* a_ = nullptr;
    TracedControl* b_ = nullptr;
};

TEST_F(XPCoreTest, ANewControlStartsNormalWithTheDefaultTriggers) {
    TracedControl fresh(nullptr, log_);
    EXPECT_EQ(fresh.VisualState(), vsNormal);
    EXPECT_EQ(fresh.RedrawTriggers(), 0x037D);
    EXPECT_EQ(fresh.ModalResult(), 0);
    EXPECT_FALSE(fresh.LeftButtonHeld());
    EXPECT_FALSE(fresh.RedrawLocked());
    EXPECT_FALSE(fresh.FocusOnXPControl());
    EXPECT_EQ(fresh.Style().Theme(), WindowsXP);
    EXPECT_TRUE(fresh.Style().UseStyleManager());
    EXPECT_EQ(fresh.StyleManager(), nullptr);
    EXPECT_NE(fresh.ControlStyle() & csOpaque, 0u);
    EXPECT_NE(fresh.ControlStyle() & csReplicatable, 0u);
}

TEST_F(XPCoreTest, EachNotificationRunsItsHookAndRepaintsOnlyWhenItsTriggerIsSet) {
    struct Case {
        const char* name;
        std::function<void()> act;
        Log lines;  // of `a` with the initial triggers; without any, the same but "redraw"
    };
    const Case cases[] = {
        {"caption", [this] { a_->SetCaption("Go"); }, {"DoCaptionChanged", "redraw"}},
        {"disable", [this] { a_->SetEnabled(false); }, {"DoEnabledChanged", "redraw"}},
        {"parent colour",
         [this] { form_->SetColor(clWindow); },
         {"DoParentColorChanged", "redraw"}},
        {"parent font", [this] { form_->SetFont("Tahoma", -12); }, {"DoParentFontChanged"}},
        {"moved", [this] { a_->SetBounds(12, 11, 80, 24); }, {"DoMoved"}},
        {"resized", [this] { a_->SetBounds(10, 10, 90, 30); }, {"DoResized", "DoMoved"}},
        {"border",
         [this] { SetWindowLongPtrA(a_->Handle(), GWL_EXSTYLE, WS_EX_CLIENTEDGE); },
         {"DoBorderChanged"}},
        {"focus", [this] { a_->SetFocus(); }, {"DoFocusChanged", "redraw"}},
        // The framework's events fire; no hook runs, nothing repaints.
        {"right button",
         [this] {
             Send(a_, WM_RBUTTONDOWN, MK_RBUTTON, At(5, 5));
             Send(a_, WM_RBUTTONUP, 0, At(5, 5));
         },
         {"OnMouseDown", "OnMouseUp"}},
    };
    for (const bool triggers : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (triggers ? "" : ", no triggers"));
            NewControls();
            a_->SetRedrawTriggers(triggers ? kDefaultRedrawTriggers : 0);
            log_.clear();
            c.act();
            Application->ProcessMessages();
            Log lines = Of("a");
            std::erase(lines, "DoMouseMove");  // a move may follow a window change
            Log expected = c.lines;
            if (!triggers) {
                std::erase(expected, "redraw");
            }
            EXPECT_EQ(lines, expected);
        }
    }
}

TEST_F(XPCoreTest, ThePointerAndALeftClickRunTheHooksAfterTheFrameworkEvents) {
    MovePointer(a_, a_);
    EXPECT_EQ(Of("a"), (Log{"DoMouseEnter", "redraw", "OnMouseEnter", "DoMouseMove"}));
    EXPECT_EQ(a_->VisualState(), vsNormal | vsHot);
    log_.clear();
    Send(a_, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    // The press focuses first: every control of the form hears the change.
    EXPECT_EQ(Of("a"), (Log{"OnMouseDown", "DoMouseDown", "DoFocusChanged", "redraw", "redraw"}));
    EXPECT_EQ(Of("b"), (Log{"DoFocusChanged", "redraw"}));
    EXPECT_TRUE(a_->LeftButtonHeld());
    EXPECT_EQ(a_->VisualState(), vsNormal | vsHot | vsPressed | vsFocused);
    log_.clear();
    Send(a_, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(Of("a"), (Log{"OnMouseUp", "DoMouseUp", "redraw", "OnClick"}));
    EXPECT_FALSE(a_->LeftButtonHeld());
    EXPECT_EQ(a_->VisualState(), vsNormal | vsHot | vsFocused);
}

TEST_F(XPCoreTest, ThePressDraggedOffKeepsPressedWithoutHotAndBackRestoresHot) {
    MovePointer(a_, a_);
    Send(a_, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    MovePointer(edit_, a_);
    EXPECT_EQ(a_->VisualState(), vsNormal | vsPressed | vsFocused);
    MovePointer(a_, a_);
    EXPECT_EQ(a_->VisualState(), vsNormal | vsHot | vsPressed | vsFocused);
    MovePointer(edit_, a_);
    log_.clear();
    Send(a_, WM_LBUTTONUP, 0, At(-20, 40));
    EXPECT_EQ(Of("a"), (Log{"OnMouseUp", "DoMouseUp", "redraw"})) << "no click outside";
    EXPECT_EQ(a_->VisualState(), vsNormal | vsFocused);
}

TEST_F(XPCoreTest, APressReleasedOverAnotherXPControlLeavesThatOneHot) {
    MovePointer(a_, a_);
    Send(a_, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    MovePointer(b_, a_);  // a holds the capture: b sees nothing yet
    EXPECT_TRUE(Of("b").empty() || Of("b") == (Log{"DoFocusChanged", "redraw"}));
    log_.clear();
    POINT client = CentreOf(b_);
    ScreenToClient(a_->Handle(), &client);
    Send(a_, WM_LBUTTONUP, 0, At(client.x, client.y));
    EXPECT_EQ(Of("a"), (Log{"OnMouseUp", "DoMouseUp", "redraw"}));
    EXPECT_EQ(Of("b"), (Log{"DoMouseEnter", "redraw", "OnMouseEnter"}));
    EXPECT_EQ(a_->VisualState() & vsPressed, 0u);
    EXPECT_NE(b_->VisualState() & vsHot, 0u);
    MovePointer(b_, b_);  // b's first move of its own enters it no second time
    EXPECT_EQ(Of("b"), (Log{"DoMouseEnter", "redraw", "OnMouseEnter", "DoMouseMove"}));
}

TEST_F(XPCoreTest, TheRightButtonNeitherPressesNorFocuses) {
    Send(a_, WM_RBUTTONDOWN, MK_RBUTTON, At(5, 5));
    EXPECT_EQ(a_->VisualState(), vsNormal);
    EXPECT_FALSE(a_->LeftButtonHeld());
    EXPECT_EQ(GetFocus(), edit_->Handle());
    Send(a_, WM_RBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(Of("a"), (Log{"OnMouseDown", "OnMouseUp"}));
}

TEST_F(XPCoreTest, FocusOnXPControlFollowsTheFormsActiveControl) {
    a_->SetFocus();
    EXPECT_TRUE(a_->FocusOnXPControl());
    EXPECT_TRUE(b_->FocusOnXPControl()) << "b hears the focus change of a";
    EXPECT_NE(a_->VisualState() & vsFocused, 0u);
    EXPECT_EQ(b_->VisualState() & vsFocused, 0u);
    edit_->SetFocus();
    EXPECT_FALSE(a_->FocusOnXPControl());
    EXPECT_FALSE(b_->FocusOnXPControl());
    EXPECT_EQ(a_->VisualState() & vsFocused, 0u);
}

TEST_F(XPCoreTest, LosingTheFocusEndsAPress) {
    Send(a_, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ASSERT_NE(a_->VisualState() & vsPressed, 0u);
    edit_->SetFocus();
    EXPECT_EQ(a_->VisualState() & (vsPressed | vsFocused), 0u);
    Send(a_, WM_LBUTTONUP, 0, At(5, 5));
}

TEST_F(XPCoreTest, TheRedrawLockKeepsTheStateButRepaintsOnceAtTheUnlock) {
    a_->LockRedraw();
    a_->LockRedraw();  // a flag: the second lock adds nothing
    UpdateWindow(a_->Handle());
    MovePointer(a_, a_);
    Send(a_, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(a_->VisualState(), vsNormal | vsHot | vsPressed | vsFocused);
    EXPECT_FALSE(GetUpdateRect(a_->Handle(), nullptr, FALSE)) << "no repaint while locked";
    Send(a_, WM_LBUTTONUP, 0, At(5, 5));
    log_.clear();
    a_->UnlockRedraw();
    EXPECT_FALSE(a_->RedrawLocked());
    EXPECT_EQ(Of("a"), (Log{"redraw"}));
    EXPECT_TRUE(GetUpdateRect(a_->Handle(), nullptr, FALSE));
}

TEST_F(XPCoreTest, EnabledAndTheCaptionRepaintOnlyAsTheTriggersAndTheLockAllow) {
    for (const bool locked : {false, true}) {
        for (const TJvXPRedrawTriggers triggers : {kDefaultRedrawTriggers, TJvXPRedrawTriggers{}}) {
            SCOPED_TRACE(::testing::Message() << "locked " << locked << ", triggers " << triggers);
            a_->SetRedrawTriggers(triggers);
            locked ? a_->LockRedraw() : a_->UnlockRedraw();
            ValidateRect(a_->Handle(), nullptr);
            a_->SetCaption(a_->Caption() + "x");
            a_->SetEnabled(!a_->Enabled());
            EXPECT_EQ(GetUpdateRect(a_->Handle(), nullptr, FALSE) != FALSE,
                      !locked && triggers != 0);
        }
    }
}

TEST_F(XPCoreTest, EveryClickCopiesTheModalResultToTheForm) {
    form_->SetModalResult(7);
    a_->SetModalResult(2);
    a_->Click();
    EXPECT_EQ(form_->ModalResult(), 2);
    a_->SetModalResult(0);
    a_->Click();
    EXPECT_EQ(form_->ModalResult(), 0) << "0 is copied too";
    a_->SetEnabled(false);
    a_->SetModalResult(4);
    a_->Click();
    EXPECT_EQ(form_->ModalResult(), 4) << "also while disabled";
    TracedControl orphan(nullptr, log_);
    orphan.SetModalResult(3);
    orphan.Click();  // no form: nothing to copy to
    EXPECT_EQ(form_->ModalResult(), 4);
}

TEST_F(XPCoreTest, TheAcceleratorClicksWhenFocusedOrWithAlt) {
    a_->SetCaption("&Go && stop");
    const std::tuple<const char*, TWinControl*, UINT, char, bool> cases[] = {
        {"Alt+G from the edit", edit_, WM_SYSCHAR, 'g', true},
        {"Alt+G in upper case", edit_, WM_SYSCHAR, 'G', true},
        {"G typed on the focused control", a_, WM_CHAR, 'g', true},
        {"G typed on another XP control", b_, WM_CHAR, 'g', false},
        {"the doubled ampersand is no accelerator", b_, WM_SYSCHAR, 's', false},
        {"another letter", edit_, WM_SYSCHAR, 'x', false},
    };
    // The lines of `a` for the character typed on `focus` (with Alt as WM_SYSCHAR).
    auto type = [this](TWinControl* focus, UINT message, unsigned char key) {
        focus->SetFocus();
        log_.clear();
        PostMessageA(focus->Handle(), message, key, message == WM_SYSCHAR ? (1 | (1L << 29)) : 1);
        Application->ProcessMessages();
        return Of("a");
    };
    for (const auto& [name, focus, message, key, clicked] : cases) {
        SCOPED_TRACE(name);
        const Log lines = type(focus, message, key);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "OnClick"), clicked ? 1 : 0);
    }
    // The letters of the code page fold too: Alt+\xE9 for "&\xC9lan".
    a_->SetCaption("&\xC9lan");
    EXPECT_EQ(type(edit_, WM_SYSCHAR, 0xE9), (Log{"OnClick"}));
    a_->SetEnabled(false);
    EXPECT_TRUE(type(edit_, WM_SYSCHAR, 0xE9).empty())
        << "a disabled control cannot take the focus and does not click";
}

TEST_F(XPCoreTest, StyleChangesRepaintOnlyOnANewValue) {
    log_.clear();
    a_->Style().SetTheme(WindowsXP);
    a_->Style().SetUseStyleManager(true);
    EXPECT_TRUE(Of("a").empty());
    a_->Style().SetTheme(OfficeXP);
    a_->Style().SetUseStyleManager(false);
    EXPECT_EQ(Of("a"), (Log{"redraw", "redraw"}));
    EXPECT_EQ(a_->Style().Parent(), a_);
}

TEST_F(XPCoreTest, TheStyleManagerThemeRepaintsItsControlsInOrder) {
    TJvXPStyleManager manager(nullptr);
    int themeChanges = 0;
    manager.OnThemeChanged = [&](TObject* sender) {
        EXPECT_EQ(sender, &manager);
        log_.push_back("theme changed");
        ++themeChanges;
    };
    b_->SetStyleManager(&manager);
    a_->SetStyleManager(&manager);
    a_->SetStyleManager(&manager);  // the same manager again does nothing
    EXPECT_EQ(manager.Controls(), (std::vector<TJvXPCustomStyleControl*>{b_, a_}));
    log_.clear();
    manager.SetTheme(OfficeXP);
    EXPECT_EQ(log_, (Log{"theme changed", "b redraw", "a redraw"}));
    manager.SetTheme(OfficeXP);
    EXPECT_EQ(themeChanges, 1);
    a_->SetStyleManager(nullptr);
    b_->SetStyleManager(nullptr);
}

TEST_F(XPCoreTest, RegistrationsMoveBetweenManagersAndEndWithEitherSide) {
    auto first = std::make_unique<TJvXPStyleManager>(nullptr);
    auto second = std::make_unique<TJvXPStyleManager>(nullptr);
    a_->SetStyleManager(first.get());
    a_->SetStyleManager(second.get());
    EXPECT_TRUE(first->Controls().empty());
    EXPECT_EQ(second->Controls(), (std::vector<TJvXPCustomStyleControl*>{a_}));
    first->RegisterControls({a_, b_, a_});
    first->UnregisterControls({b_, nullptr});
    EXPECT_EQ(first->Controls(), (std::vector<TJvXPCustomStyleControl*>{a_}));
    // A destroyed control leaves every list it is on.
    delete a_;
    a_ = nullptr;
    EXPECT_TRUE(first->Controls().empty());
    EXPECT_TRUE(second->Controls().empty());
    // A destroyed manager repaints its controls once more, then they forget it.
    b_->SetStyleManager(second.get());
    log_.clear();
    second.reset();
    EXPECT_EQ(log_, (Log{"b redraw"}));
    EXPECT_EQ(b_->StyleManager(), nullptr);
}

}  // namespace
