// The combo edit with its button in a form of its own: the layout, the keys
// and clicks it takes or passes on, its looks and its editing commands.
#include "widgets/JvToolEdit.h"

#include <uxtheme.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "rtl/Forms.h"
#include "rtl/Themes.h"
#include "support/ClassicLook.h"
#include "support/Clipboard.h"
#include "support/FormFixture.h"
#include "support/MessageTrace.h"
#include "support/Pixels.h"
#include "support/WindowDriver.h"

namespace {

// A control that logs the dialog keys the form offers it.
class KeyWitness : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<WORD> dialogKeys;
    bool DialogKey(WORD key, TShiftState shift) override {
        dialogKeys.push_back(key);
        return TCustomControl::DialogKey(key, shift);
    }

protected:
    void Paint(TCanvas& canvas) override { canvas.FillRect(ClientRect(), clBtnFace); }
};

RECT ClientRectIn(HWND window, HWND reference) {
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Whether the edit's text rectangle is `set`: the edit keeps what it makes
// of a rectangle (inside its border, the font's margins, whole lines), so
// setting `set` once more must leave it as it was.
::testing::AssertionResult TextRectIs(HWND edit, RECT set) {
    RECT before{}, after{};
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&before));
    SendMessageA(edit, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&set));
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&after));
    if (before == after) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "the field made " << ::testing::PrintToString(before)
           << ", the designed rectangle makes " << ::testing::PrintToString(after);
}

class ComboEditTest : public support::FormFixture {
protected:
    void SetUp() override {
        MakeForm(420, 140);
        form_->OnKeyDown = [this](TObject*, WORD& key, TShiftState shift) {
            formKeys_.push_back(((shift & ssCtrl) != 0 ? "Ctrl+" : "") + std::to_string(key));
        };
        other_ = Add<TCustomEdit>(form_.get(), 16, 60, 100, 21);
        witness_ = Add<KeyWitness>(form_.get(), 200, 60, 20, 20);
        ASSERT_NO_FATAL_FAILURE(ShowForm());
    }

    // A field as the main window has them, made after the look is chosen.
    TJvCustomComboEdit* AddField(int tabOrder = 0) {
        auto* field = Add<TJvCustomComboEdit>(form_.get(), 16, 24, 361, 21);
        field->SetTabOrder(tabOrder);
        field->SetDirectInput(false);
        field->OnButtonClick = [this](TObject*) { ++buttonClicks_; };
        field->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
            fieldKeys_.push_back(std::to_string(key));
        };
        field->OnChange = [this, field](TObject*) { changes_.push_back(field->Text()); };
        Application->ProcessMessages();
        return field;
    }

    TCustomEdit* other_ = nullptr;
    KeyWitness* witness_ = nullptr;
    int buttonClicks_ = 0;
    std::vector<std::string> formKeys_;
    std::vector<std::string> fieldKeys_;
    std::vector<std::string> changes_;
};

TEST_F(ComboEditTest, TheMainWindowsFieldsPlaceButtonAndTextAsTheBorderAsks) {
    struct Case {
        const char* name;
        bool classic;
        RECT client;  // in the field's window coordinates
        RECT holder;  // in the field's client coordinates
        RECT text;
    };
    const Case cases[] = {
        // A one-pixel themed border; the text ends at 334.
        {"themed", false, {1, 1, 360, 20}, {338, 0, 359, 19}, {1, 1, 334, 18}},
        {"classic", true, {2, 2, 359, 19}, {336, 0, 357, 17}, {0, 2, 335, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.classic && !ThemeServicesEnabled()) {
            GTEST_SKIP() << "visual styles are off on this system";
        }
        support::ClassicLook classic(c.classic);
        TJvCustomComboEdit* field = AddField();
        RECT window{};
        GetWindowRect(field->Handle(), &window);
        RECT client = ClientRectIn(field->Handle(), nullptr);
        OffsetRect(&client, -window.left, -window.top);
        EXPECT_EQ(client, c.client) << "client";
        EXPECT_EQ(support::RectIn(field->ButtonHolder()->Handle(), field->Handle()), c.holder);
        EXPECT_EQ(support::RectIn(field->Button()->Handle(), field->Handle()), c.holder)
            << "the button fills its holder";
        EXPECT_TRUE(TextRectIs(field->Handle(), c.text));
        const LONG style = ES_MULTILINE | WS_CLIPCHILDREN;
        EXPECT_EQ(GetWindowLongA(field->Handle(), GWL_STYLE) & style, style);
        delete field;
    }
}

TEST_F(ComboEditTest, ATooLowFieldGrowsToItsFontsHeight) {
    TJvCustomComboEdit* field = AddField();
    field->SetBounds(16, 24, 361, 12);
    EXPECT_EQ(field->Height(), 21);
}

TEST_F(ComboEditTest, RightOfTheHoldersLeftEdgeThereIsNoTextToPointAt) {
    TJvCustomComboEdit* field = AddField();
    RECT holder{};
    GetWindowRect(field->ButtonHolder()->Handle(), &holder);
    const int y = (holder.top + holder.bottom) / 2;
    auto hit = [&](int x) {
        return SendMessageA(field->Handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y));
    };
    EXPECT_EQ(hit(holder.left + 2), HTBORDER);
    EXPECT_EQ(hit(holder.left - 5), HTCLIENT);
    field->SetShowButton(false);
    EXPECT_EQ(hit(holder.left + 2), HTCLIENT) << "without the button the text may go there";
}

TEST_F(ComboEditTest, AHiddenButtonKeepsItsWidthAndShowsWithItAgain) {
    TJvCustomComboEdit* field = AddField();
    auto width = [field](int value) { return [=] { field->SetButtonWidth(value); }; };
    auto show = [field](bool value) { return [=] { field->SetShowButton(value); }; };
    struct Step {
        const char* name;
        std::function<void()> action;
        bool shown;
        int width;  // ButtonWidth
        int saved;
        int holderWidth;
    };
    const Step steps[] = {
        {"width 0 hides", width(0), false, 21, 21, 0},
        {"shown again", show(true), true, 21, 21, 21},
        {"wider", width(30), true, 30, 21, 30},
        {"too wide to fit", width(400), true, 30, 21, 30},
        {"width 1 hides too", width(1), false, 30, 30, 1},
        {"hidden: only kept", width(40), false, 40, 40, 1},
        {"shows with the kept width", show(true), true, 40, 40, 40},
        {"ShowButton False", show(false), false, 40, 40, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.action();
        TWinControl* holder = field->ButtonHolder();
        EXPECT_EQ(std::tuple(field->ShowButton(), IsWindowVisible(holder->Handle()) != FALSE,
                             field->ButtonWidth(), field->SavedButtonWidth(), holder->Width()),
                  std::tuple(step.shown, step.shown, step.width, step.saved, step.holderWidth));
        if (step.shown) {
            // The holder keeps the right edge; the text stops before it.
            const RECT holder = support::RectIn(field->ButtonHolder()->Handle(), field->Handle());
            EXPECT_EQ(holder.right, 359);
            EXPECT_TRUE(
                TextRectIs(field->Handle(), {1, 1, 361 - 1 - step.holderWidth - 2 - 3, 18}));
        }
    }
}

TEST_F(ComboEditTest, AltDownRunsTheButtonUnlessReadOnlyOrNoWidthIsKept) {
    using Prepare = void (*)(TJvCustomComboEdit*);
    const std::tuple<const char*, Prepare, int> cases[] = {
        {"shown", [](TJvCustomComboEdit*) {}, 1},
        {"hidden, width kept", [](TJvCustomComboEdit* f) { f->SetShowButton(false); }, 1},
        {"hidden, no width kept",
         [](TJvCustomComboEdit* f) {
             f->SetShowButton(false);
             f->SetButtonWidth(0);
         },
         0},
        {"read-only", [](TJvCustomComboEdit* f) { f->SetReadOnly(true); }, 0},
        {"another click key",
         [](TJvCustomComboEdit* f) { f->SetClickKey(0x4000 | VK_SPACE); },  // Ctrl+Space
         0},
    };
    for (const auto& [name, prepare, clicks] : cases) {
        SCOPED_TRACE(name);
        TJvCustomComboEdit* field = AddField();
        prepare(field);
        buttonClicks_ = 0;
        field->SetFocus();
        support::PostKey(field->Handle(), VK_DOWN, true);
        Application->ProcessMessages();
        EXPECT_EQ(buttonClicks_, clicks);
        delete field;
    }
}

TEST_F(ComboEditTest, ReadOnlyOrNoDirectInputMakeTheWindowReadOnly) {
    TJvCustomComboEdit* field = AddField();
    auto windowReadOnly = [&] {
        return (GetWindowLongA(field->Handle(), GWL_STYLE) & ES_READONLY) != 0;
    };
    const std::tuple<bool, bool, bool> cases[] = {
        {true, false, false}, {false, false, true}, {true, true, true}, {false, true, true}};
    for (const auto& [directInput, readOnly, expected] : cases) {
        SCOPED_TRACE(std::to_string(directInput) + " " + std::to_string(readOnly));
        field->SetDirectInput(directInput);
        field->SetReadOnly(readOnly);
        EXPECT_EQ(windowReadOnly(), expected);
    }
    // The button does nothing while ReadOnly.
    field->SetReadOnly(true);
    HWND button = field->Button()->Handle();
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(buttonClicks_, 0);
    field->SetReadOnly(false);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(buttonClicks_, 1) << "DirectInput off does not stop the button";
}

TEST_F(ComboEditTest, CtrlEnterAndCtrlTabGoToTheFormAndEnterAndEscapeAreOfferedToIt) {
    TJvCustomComboEdit* field = AddField();
    field->SetDirectInput(true);
    field->SetText("abc");
    field->SetFocus();
    support::MessageRecorder recorder;
    recorder.Watch(field->Handle());
    recorder.Watch(form_->Handle());
    auto press = [&](WORD key, bool ctrl) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        support::PostKey(field->Handle(), key);
        Application->ProcessMessages();
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
    };

    press(VK_RETURN, true);
    press(VK_TAB, true);
    EXPECT_EQ(formKeys_, (std::vector<std::string>{"Ctrl+13", "Ctrl+9"}));
    EXPECT_EQ(fieldKeys_, std::vector<std::string>{}) << "not the edit's";
    EXPECT_TRUE(field->Focused()) << "Ctrl+Tab moves nothing";
    // The characters they leave (line feed, tab) are swallowed: the parent
    // hears of no change.
    // The message loop asks the field whether it wants each key.
    // The character comes after the key's release, which was posted first.
    static const std::vector<support::ExpectedMessage> kCtrlKeys = {
        {WM_GETDLGCODE, support::kMatchWParam, VK_RETURN, 0},
        {WM_KEYDOWN, support::kMatchWParam, VK_RETURN, 0},
        {WM_KEYUP, support::kMatchWParam, VK_RETURN, 0},
        {WM_CHAR, support::kMatchWParam, '\n', 0},
        {WM_GETDLGCODE, support::kMatchWParam, VK_TAB, 0},
        {WM_KEYDOWN, support::kMatchWParam, VK_TAB, 0},
        {WM_KEYUP, support::kMatchWParam, VK_TAB, 0},
    };
    support::ExpectTrace(recorder.For(field->Handle()), kCtrlKeys, "Ctrl+Enter, Ctrl+Tab");
    // Tab is the form's dialog key; with Ctrl it passes it back. The form
    // hears of no change.
    static const std::vector<support::ExpectedMessage> kForm = {
        {CM_DIALOGKEY, support::kMatchWParam, VK_TAB, 0},
    };
    support::ExpectTrace(recorder.For(form_->Handle()), kForm, "the form");
    EXPECT_EQ(field->Text(), "abc");
    // Typed as characters, tab and line feed change nothing either.
    SendMessageA(field->Handle(), WM_CHAR, '\t', 1);
    SendMessageA(field->Handle(), WM_CHAR, '\n', 1);
    EXPECT_EQ(field->Text(), "abc");

    formKeys_.clear();
    witness_->dialogKeys.clear();
    press(VK_RETURN, false);
    press(VK_ESCAPE, false);
    EXPECT_EQ(witness_->dialogKeys, (std::vector<WORD>{VK_RETURN, VK_ESCAPE}));
    EXPECT_EQ(field->Text(), "abc") << "no line break in a single line";
    EXPECT_TRUE(IsWindow(field->Handle())) << "Escape closes nothing";
    EXPECT_TRUE(IsWindowVisible(form_->Handle()));
    EXPECT_EQ(fieldKeys_, (std::vector<std::string>{"13", "27"}));

    press(VK_TAB, false);
    EXPECT_TRUE(other_->Focused()) << "Tab moves on";
}

TEST_F(ComboEditTest, WithoutDirectInputTypedCharactersChangeNothing) {
    TJvCustomComboEdit* field = AddField();
    field->SetText("C:\\a.iso");
    changes_.clear();
    field->SetFocus();
    support::MessageRecorder recorder;
    recorder.Watch(form_->Handle());
    for (char c : std::string("xy ")) {
        PostMessageA(field->Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    support::PostKey(field->Handle(), VK_BACK);
    support::PostKey(field->Handle(), VK_DELETE);
    Application->ProcessMessages();
    EXPECT_EQ(field->Text(), "C:\\a.iso");
    EXPECT_TRUE(changes_.empty());
    for (const support::TracedMessage& m : recorder.Log()) {
        EXPECT_NE(m.message, static_cast<UINT>(WM_COMMAND)) << "the parent heard of a change";
    }
}

TEST_F(ComboEditTest, APressOnTheButtonFocusesTheFieldAndTheReleaseRunsIt) {
    TJvCustomComboEdit* field = AddField();
    other_->SetFocus();
    HWND button = field->Button()->Handle();
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetFocus(), field->Handle()) << "the press focuses the field";
    EXPECT_EQ(buttonClicks_, 0) << "nothing before the release";
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(buttonClicks_, 1);
    EXPECT_NE(GetFocus(), button) << "the button never takes the focus";
    // Released outside: no action.
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
    EXPECT_EQ(buttonClicks_, 1);
    EXPECT_EQ(SendMessageA(button, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button), -1), 1)
        << "no context menu on the button";
}

TEST_F(ComboEditTest, TheCaretShowsAlsoReadOnlyOnePixelWideOrTwoWithABoldFont) {
    TJvCustomComboEdit* field = AddField();
    auto caret = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetCurrentThreadId(), &info);
        return info;
    };
    field->SetFocus();
    GUITHREADINFO info = caret();
    if (info.hwndCaret == nullptr) {
        GTEST_SKIP() << "this system does not report the caret's window";
    }
    EXPECT_EQ(info.hwndCaret, field->Handle());
    EXPECT_EQ(info.rcCaret.right - info.rcCaret.left, 1);
    EXPECT_EQ(info.rcCaret.bottom - info.rcCaret.top, 13) << "the font's text height";

    LOGFONTA bold{};
    GetObjectA(form_->FontHandle(), sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    GdiObject<HFONT> font(CreateFontIndirectA(&bold));
    SendMessageA(field->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    other_->SetFocus();
    field->SetFocus();
    info = caret();
    EXPECT_EQ(info.rcCaret.right - info.rcCaret.left, 2);
    SendMessageA(field->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(form_->FontHandle()), FALSE);
}

TEST_F(ComboEditTest, TabSelectsTheTextOnlyWhileTypingIsAllowed) {
    TJvCustomComboEdit* field = AddField(1);
    for (bool direct : {false, true}) {
        SCOPED_TRACE(direct ? "direct input" : "no direct input");
        field->SetDirectInput(direct);
        field->SetText("C:\\img\\old.iso");
        SendMessageA(field->Handle(), EM_SETSEL, 0, 0);
        other_->SetFocus();
        support::PostKey(other_->Handle(), VK_TAB);
        Application->ProcessMessages();
        ASSERT_TRUE(field->Focused());
        const auto selection = field->Selection();
        EXPECT_EQ(selection.second - selection.first, direct ? 14 : 0);
    }
}

TEST_F(ComboEditTest, DisabledItPaintsItsOwnColoursAndDisablesItsButton) {
    TJvCustomComboEdit* field = AddField();
    field->SetText("C:\\img");
    const COLORREF background = RGB(200, 220, 240);
    const COLORREF text = RGB(200, 0, 0);
    field->SetDisabledColor(background);
    field->SetDisabledTextColor(text);
    SetForegroundWindow(form_->Handle());
    // The window's own pixels: Wine shows them on the screen a moment later.
    auto capture = [&](TBitmap& picture, COLORREF background) {
        RedrawWindow(field->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ASSERT_TRUE(support::CaptureWindowOf(field->Handle(), picture));
        EXPECT_EQ(picture.Pixel(200, 10), background);
    };
    // Text is drawn smoothed: count the pixels near a colour.
    auto count = [](const TBitmap& picture, COLORREF colour) {
        return support::CountPixels(picture, {0, 0, 300, picture.Height()},
                                    [&](int, int, COLORREF p) {
                                        return std::abs(GetRValue(p) - GetRValue(colour)) < 48 &&
                                               std::abs(GetGValue(p) - GetGValue(colour)) < 48 &&
                                               std::abs(GetBValue(p) - GetBValue(colour)) < 48;
                                    });
    };
    TBitmap look;
    field->SetEnabled(false);
    EXPECT_FALSE(field->Button()->Enabled());
    EXPECT_FALSE(IsWindowEnabled(field->Button()->Handle()));
    capture(look, background);
    EXPECT_GT(count(look, text), 10) << "the text in the disabled text colour";
    // Text colour requests: grey while disabled.
    {
        WindowDc dc(field->Handle());
        SendMessageA(form_->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Dc()),
                     reinterpret_cast<LPARAM>(field->Handle()));
        EXPECT_EQ(GetTextColor(dc.Dc()), GetSysColor(COLOR_GRAYTEXT));
    }
    field->SetEnabled(true);
    EXPECT_TRUE(field->Button()->Enabled());
    capture(look, GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(count(look, text), 0);
    EXPECT_GT(count(look, GetSysColor(COLOR_WINDOWTEXT)), 10) << "the enabled text";
}

TEST_F(ComboEditTest, TheImageKindsGiveTheButtonItsPictureAndWidth) {
    TJvCustomComboEdit* field = AddField();
    const int arrowWidth = GetSystemMetrics(SM_CXVSCROLL);

    field->SetImageKind(TJvImageKind::ikEllipsis);
    const TBitmap& dots = field->Glyph();
    ASSERT_EQ(std::pair(dots.Width(), dots.Height()), std::pair(15, 4));
    const COLORREF black = RGB(0, 0, 0);
    const COLORREF clear = RGB(255, 0, 255);
    for (int x : {1, 2, 6, 7, 11, 12}) {
        EXPECT_EQ(dots.Pixel(x, 1), black) << x;
        EXPECT_EQ(dots.Pixel(x, 2), black) << x;
        EXPECT_EQ(dots.Pixel(x, 0), clear) << x;
    }
    EXPECT_EQ(dots.Pixel(4, 1), clear);
    EXPECT_EQ(field->Button()->ImageIndex(), -1);

    field->SetImageKind(TJvImageKind::ikDropDown);
    EXPECT_EQ(field->ButtonWidth(), arrowWidth);
    if (ThemeServicesEnabled()) {
        EXPECT_TRUE(field->Button()->DrawThemedDropDown());
        EXPECT_TRUE(field->Glyph().Empty());
    }
    field->SetButtonFlat(true);
    EXPECT_FALSE(field->Button()->DrawThemedDropDown()) << "a flat button shows the arrow bitmap";
    EXPECT_FALSE(field->Glyph().Empty());

    // A glyph of one's own makes the kind custom.
    TBitmap own(16, 8);
    field->SetGlyph(own.Handle());
    EXPECT_EQ(field->ImageKind(), TJvImageKind::ikCustom);
    EXPECT_EQ(field->Glyph().Width(), 16);
    EXPECT_FALSE(field->Button()->DrawThemedDropDown());
    field->SetNumGlyphs(9);
    EXPECT_EQ(field->NumGlyphs(), 5) << "at most five pictures";

    // ikDefault with the file field's picture keeps 21 (14 + 6 is less).
    auto* file = new TJvFilenameEdit(form_.get());
    file->SetParent(form_.get());
    EXPECT_EQ(file->ImageKind(), TJvImageKind::ikDefault);
    EXPECT_EQ(file->ButtonWidth(), 21);
    EXPECT_GE(file->Button()->ImageIndex(), 0);
}

TEST_F(ComboEditTest, EditsOfOneGroupEmptyEachOther) {
    TJvCustomComboEdit* a = AddField();
    auto* b = new TJvCustomComboEdit(form_.get());
    b->SetParent(form_.get());
    auto* c = new TJvCustomComboEdit(form_.get());
    c->SetParent(form_.get());
    auto fill = [&] {
        a->SetText("a");
        b->SetText("b");
        c->SetText("c");
    };
    a->SetGroupIndex(1);
    c->SetGroupIndex(2);
    fill();
    b->SetGroupIndex(1);  // joining clears the others of the group
    EXPECT_EQ(a->Text(), "");
    EXPECT_EQ(c->Text(), "c");

    fill();
    a->SetDirectInput(true);
    a->SetFocus();
    support::PostKey(a->Handle(), VK_RIGHT);
    Application->ProcessMessages();
    EXPECT_EQ(b->Text(), "") << "a key in one clears its group";
    EXPECT_EQ(a->Text(), "a");
    EXPECT_EQ(c->Text(), "c");

    fill();
    SendMessageA(b->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(a->Text(), "") << "so does a paste request";

    fill();
    b->SetGroupIndex(-1);
    a->SetGroupIndex(-1);
    support::PostKey(a->Handle(), VK_RIGHT);
    Application->ProcessMessages();
    EXPECT_EQ(b->Text(), "b") << "-1 is no group";

    // An OnChange that frees a later peer: the clearing goes on without it.
    c->SetGroupIndex(3);
    b->SetGroupIndex(3);
    fill();
    b->OnChange = [&](TObject*) {
        delete c;
        c = nullptr;
    };
    a->SetGroupIndex(3);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(b->Text(), "");
}

TEST_F(ComboEditTest, TheEditingCommandsPassOnlyWhenAllowed) {
    TJvCustomComboEdit* field = AddField();
    field->SetDirectInput(true);
    field->SetText("copied");
    field->SelectAll();
    ASSERT_TRUE(support::SetClipboardText(""));
    field->SetClipboardCommands(caCut | caPaste | caClear | caUndo);
    EXPECT_EQ(SendMessageA(field->Handle(), WM_COPY, 0, 0), 1) << "copy refused";
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    SendMessageA(field->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(field->Text(), "") << "cut allowed while typing is";
    field->SetText("x");
    field->SetDirectInput(false);
    SendMessageA(field->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(field->Text(), "x") << "no paste without direct input";

    field->SetReadOnly(true);
    field->SetClipboardCommands(caCopy | caCut | caPaste | caClear | caUndo);
    EXPECT_EQ(field->ClipboardCommands(), static_cast<TJvClipboardCommands>(caCopy));
}

TEST_F(ComboEditTest, EachFieldBalancesItsComponentObjectModelCall) {
    const HRESULT before = CoInitialize(nullptr);
    if (SUCCEEDED(before)) {
        CoUninitialize();
    }
    for (int i = 0; i < 3; ++i) {
        delete AddField();
    }
    const HRESULT after = CoInitialize(nullptr);
    if (SUCCEEDED(after)) {
        CoUninitialize();
    }
    EXPECT_EQ(after, before) << "the thread is left as the fields found it";
}

}  // namespace
