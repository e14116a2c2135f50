// The file-name field: FileName rules, the change notification, the
// refused editing commands, the button and the Open dialog.
#include "widgets/JvToolEdit.h"

#include <shlobj.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "rtl/Forms.h"
#include "rtl/SysUtils.h"
#include "rtl/Themes.h"
#include "support/ClassicLook.h"
#include "support/Clipboard.h"
#include "support/ControlDriver.h"
#include "support/FormFixture.h"
#include "support/MessageTrace.h"
#include "support/Pixels.h"
#include "support/ScratchFolder.h"
#include "support/WindowDriver.h"
#include "widgets/GlyphPixels.h"

namespace {

class FilenameEditTest : public support::FormFixture {
protected:
    void SetUp() override {
        MakeForm(420, 120);
        field_ = Add<TJvFilenameEdit>(form_.get(), 16, 24, 361, 21);
        field_->OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, field_);
            changes_.push_back(field_->Text());
        };
        other_ = Add<TCustomEdit>(form_.get(), 16, 60, 100, 21);
        ASSERT_NO_FATAL_FAILURE(ShowForm());
    }

    // The files the tests choose; a blank in its name makes the field quote them.
    support::ScratchFolder scratch_{support::TempFolder("brivok field test")};
    // Alt+Down on the field, handled as the message loop would.
    void AltDown() {
        support::PostKey(field_->Handle(), VK_DOWN, true);
        Application->ProcessMessages();
    }
    // Alt+Down, and `path` chosen in the Browse dialog it opens; false when
    // the dialog did not show or close.
    [[nodiscard]] bool BrowseTo(const std::string& path) {
        support::OnThread<bool> answer([path] { return support::ChooseInOpenDialog(path); });
        AltDown();
        return answer.Join();
    }

    // Each value refused with the error that names it, the field and its
    // listeners left as they were.
    void ExpectRefused(std::initializer_list<const char*> values) {
        field_->SetFileName("C:\\img\\old.iso");
        changes_.clear();
        for (const char* value : values) {
            SCOPED_TRACE(value);
            try {
                field_->SetFileName(value);
                ADD_FAILURE() << "no error";
            } catch (const EComboEditError& error) {
                EXPECT_EQ(error.Message(), std::string("Invalid file name - ") + value);
            }
            EXPECT_EQ(field_->Text(), "C:\\img\\old.iso");
        }
        EXPECT_TRUE(changes_.empty());
    }

    TJvFilenameEdit* field_ = nullptr;
    TCustomEdit* other_ = nullptr;
    std::vector<std::string> changes_;
};

TEST_F(FilenameEditTest, FileNameIsShownQuotedWhenItHoldsABlankAndReadWithoutQuotes) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"C:\\img\\live-5.0.5.iso", "C:\\img\\live-5.0.5.iso", "C:\\img\\live-5.0.5.iso"},
        {"C:\\My Images\\live.iso", "\"C:\\My Images\\live.iso\"", "C:\\My Images\\live.iso"},
        {"\"C:\\My Images\\x.iso\"", "\"C:\\My Images\\x.iso\"", "C:\\My Images\\x.iso"},
        {"", "", ""},
    };
    for (const auto& [value, text, fileName] : cases) {
        SCOPED_TRACE(value);
        field_->SetFileName(value);
        EXPECT_EQ(field_->Text(), text);
        EXPECT_EQ(field_->FileName(), fileName);
    }
}

TEST_F(FilenameEditTest, TextNamingAFolderReadsWithOneTrailingBackslash) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = temp;
    folder.pop_back();  // without its backslash
    field_->SetText(folder);
    EXPECT_EQ(field_->FileName(), folder + "\\");
    field_->SetText("C:\\no such folder\\x.iso");
    EXPECT_EQ(field_->FileName(), "C:\\no") << "unquoted text that names nothing: the first item";
}

TEST_F(FilenameEditTest, AnInvalidNameRaisesAndChangesNothing) {
    ExpectRefused({"C:\\img\\what?.iso", "a/b", "a<b", "a>b", "a*b", "a|b"});
}

TEST_F(FilenameEditTest, OnChangeFiresOncePerActualChange) {
    field_->Clear();
    field_->SetFileName("C:\\a.iso");
    field_->SetFileName("C:\\a.iso");
    field_->SetFileName("C:\\b.iso");
    field_->Clear();
    field_->Clear();
    field_->SetFileName("");
    EXPECT_EQ(changes_, (std::vector<std::string>{"C:\\a.iso", "C:\\b.iso", ""}));
}

TEST_F(FilenameEditTest, AHandlerThatClearsItsFieldRunsOnceMoreNested) {
    std::vector<std::string> trace;
    int depth = 0;
    field_->OnChange = [&](TObject*) {
        ++depth;
        trace.push_back("enter " + std::to_string(depth) + " " + field_->Text());
        if (!field_->Text().empty()) {
            field_->Clear();
        }
        trace.push_back("leave " + std::to_string(depth));
        --depth;
    };
    field_->SetFileName("C:\\x.bsdiff");
    EXPECT_EQ(trace,
              (std::vector<std::string>{"enter 1 C:\\x.bsdiff", "enter 2 ", "leave 2", "leave 1"}));
    EXPECT_EQ(field_->Text(), "");
}

TEST_F(FilenameEditTest, ALineBreakCutsTheTextAndOnChangeReportsTheCutTextOnce) {
    SendMessageA(field_->Handle(), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("C:\\a.iso\r\nsecond line"));
    EXPECT_EQ(field_->Text(), "C:\\a.iso");
    EXPECT_EQ(changes_, (std::vector<std::string>{"C:\\a.iso"}));
}

TEST_F(FilenameEditTest, WithoutDirectInputTheTextCannotBeEditedButCanBeCopied) {
    field_->SetDirectInput(false);
    field_->SetFileName("C:\\img\\live.iso");
    changes_.clear();
    ASSERT_TRUE(support::SetClipboardText(""));

    const std::tuple<const char*, UINT, WPARAM> actions[] = {
        {"typed x", WM_CHAR, 'x'},
        {"Backspace", WM_CHAR, VK_BACK},
        {"Delete", WM_KEYDOWN, VK_DELETE},
        {"cut", WM_CUT, 0},
        {"undo", WM_UNDO, 0},
        {"paste", WM_PASTE, 0},
    };
    for (const auto& [name, message, wParam] : actions) {
        SCOPED_TRACE(name);
        field_->SelectAll();
        SendMessageA(field_->Handle(), message, wParam, 0);
        EXPECT_EQ(field_->Text(), "C:\\img\\live.iso");
    }
    EXPECT_TRUE(changes_.empty());

    field_->SelectAll();
    SendMessageA(field_->Handle(), WM_COPY, 0, 0);
    EXPECT_EQ(support::ClipboardText(), "C:\\img\\live.iso");

    // The same paste goes through once typing is allowed: the refusal above
    // was ours, not an empty clipboard.
    field_->SetDirectInput(true);
    field_->SetText("");
    SendMessageA(field_->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(field_->Text(), "C:\\img\\live.iso");
}

TEST_F(FilenameEditTest, AClearRequestEmptiesTheFieldWhateverTheInputMode) {
    for (bool direct : {false, true}) {
        SCOPED_TRACE(direct ? "direct input" : "no direct input");
        field_->SetDirectInput(direct);
        field_->SetFileName("C:\\img\\live.iso");
        changes_.clear();
        SendMessageA(field_->Handle(), WM_CLEAR, 0, 0);
        EXPECT_EQ(field_->Text(), "");
        EXPECT_EQ(changes_, std::vector<std::string>{""});
        SendMessageA(field_->Handle(), WM_CLEAR, 0, 0);
        EXPECT_EQ(changes_.size(), 1u) << "an empty field does not change again";
    }
    // Without caClear in the commands the request is refused.
    field_->SetFileName("C:\\a.iso");
    field_->SetClipboardCommands(caCopy | caCut | caPaste | caUndo);
    EXPECT_EQ(SendMessageA(field_->Handle(), WM_CLEAR, 0, 0), 1);
    EXPECT_EQ(field_->Text(), "C:\\a.iso");
}

TEST_F(FilenameEditTest, ARefusedPasteTellsTheParentNothing) {
    field_->SetDirectInput(false);
    field_->SetFileName("C:\\a.iso");
    support::MessageRecorder recorder;
    recorder.Watch(form_->Handle());
    recorder.Watch(field_->Handle());
    support::FlushPending(form_->Handle());
    recorder.Clear();

    SendMessageA(field_->Handle(), WM_PASTE, 0, 0);
    support::FlushPending(form_->Handle());
    static const std::vector<support::ExpectedMessage> kRefusedPaste = {
        {WM_PASTE, support::kMatchMessage, 0, 0},
    };
    support::ExpectTrace(recorder.Log(), kRefusedPaste, "paste into a refusing field");
}

TEST_F(FilenameEditTest, KeepsTheWindowColourAndHasItsButtonAtTheRightEnd) {
    field_->SetDirectInput(false);
    RedrawWindow(form_->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Relative to the field's outer edges: inside its one-pixel border.
    RECT field{};
    GetWindowRect(field_->Handle(), &field);
    RECT button{};
    GetWindowRect(field_->Button()->Handle(), &button);
    OffsetRect(&button, -field.left, -field.top);
    EXPECT_EQ(button, (RECT{339, 1, 360, 20}));

    TBitmap screen;
    EXPECT_TRUE(support::CaptureScreenWhen(field_->Handle(), screen, [](const TBitmap& s) {
        return s.Pixel(100, 10) == GetSysColor(COLOR_WINDOW);
    })) << "not greyed by read-only";
    // The picture: darker than the face around it.
    const int dark = support::CountPixels(screen, {button.left, 1, button.left + 21, 20},
                                          [](int, int, COLORREF p) { return GetRValue(p) < 0x60; });
    EXPECT_GE(dark, 6) << "the glyph";
}

// A drop from the shell on `field`: DROPFILES followed by the names, each
// ended by a NUL, and a second NUL at the end.
void Drop(TWinControl* field, const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += name + '\0';
    }
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    list.copy(reinterpret_cast<char*>(drop + 1), list.size());
    GlobalUnlock(memory);
    SendMessageA(field->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

TEST_F(FilenameEditTest, ADropTakesTheFirstNameThenReportsTheDrop) {
    std::vector<std::string> events;
    field_->OnChange = [&](TObject*) { events.push_back("change " + field_->Text()); };
    field_->OnDropFiles = [&](TObject*) { events.push_back("dropped"); };
    field_->SetDirectInput(false);
    Drop(field_, {"C:\\My Images\\a.iso", "C:\\b.iso"});
    EXPECT_EQ(events, (std::vector<std::string>{"change \"C:\\My Images\\a.iso\"", "dropped"}));

    // The refusal leaves the drop handling; the framework reports it in
    // the error box, captioned with the application's title.
    events.clear();
    support::MessageBoxAnswerer answer(Application->Title());
    Drop(field_, {"C:\\bad?.iso"});
    EXPECT_EQ(answer.Join().text, "Invalid file name - C:\\bad?.iso.");
    EXPECT_EQ(events, std::vector<std::string>{}) << "a refused name is not reported as dropped";
    EXPECT_EQ(field_->FileName(), "C:\\My Images\\a.iso");
}

// Reads the open Browse dialog from a helper thread, then cancels it.
struct DialogView {
    bool shown = false;
    std::string folder;
    std::string nameBox;
    UINT errorMode = 0;
};

DialogView ViewAndCancelBrowseDialog(DWORD timeoutMs = support::kDefaultTimeoutMs) {
    DialogView view;
    HWND dialog = support::FindTopLevel("Browse", "#32770", GetCurrentProcessId(), timeoutMs);
    if (dialog == nullptr) {
        return view;
    }
    view.shown = true;
    // Process-wide: what the dialog runs with.
    view.errorMode = SetErrorMode(0);
    SetErrorMode(view.errorMode);
    // Null when it does not show: the name read is then empty.
    HWND box = support::WaitForChild(dialog, "ComboBoxEx32", 0x47C);
    char folder[MAX_PATH] = {};
    SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
    view.folder = folder;
    view.nameBox = support::WindowText(box);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return view;
}

TEST_F(FilenameEditTest, AltDownOpensTheDialogAndTheChosenPathBecomesTheText) {
    const std::string path = scratch_.File("new image.iso");
    field_->SetDirectInput(false);
    field_->SetFilter("Ovru ISO image file (*.ISO)|*.ISO");
    other_->SetFocus();
    EXPECT_TRUE(BrowseTo(path)) << "the Browse dialog did not show or close";
    EXPECT_EQ(field_->Text(), "\"" + path + "\"");
    EXPECT_EQ(field_->FileName(), path);
    EXPECT_EQ(changes_.size(), 1u);
    EXPECT_EQ(field_->InitialDir(), scratch_.Path());
    EXPECT_EQ(GetFocus(), field_->Handle()) << "the field has the focus afterwards";
}

TEST_F(FilenameEditTest, AClickOnTheButtonOpensTheDialogAndCancelChangesNothing) {
    field_->SetFileName("C:\\keep.iso");
    changes_.clear();
    support::OnThread<DialogView> cancel([] { return ViewAndCancelBrowseDialog(); });
    HWND button = field_->Button()->Handle();
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Application->ProcessMessages();
    EXPECT_TRUE(cancel.Join().shown) << "no Browse dialog";
    EXPECT_EQ(field_->Text(), "C:\\keep.iso");
    EXPECT_TRUE(changes_.empty());
    EXPECT_EQ(GetFocus(), field_->Handle());
}

TEST_F(FilenameEditTest, AValueWhoseRestHoldsARefusedCharacterIsRefusedToo) {
    // Its first item (C:\My) would pass; shown in quotes it would read back
    // whole, question mark and all.
    ExpectRefused({"C:\\My Docs\\a?.iso", "\"C:\\My Docs\\a*.iso\"", "C:\\a b|c"});
}

TEST_F(FilenameEditTest, ADroppedFolderIsTakenLikeAFileAndALongNameWhole) {
    const std::string file = scratch_.File("x.iso");
    const std::string folder = file.substr(0, file.rfind('\\'));
    Drop(field_, {folder});
    EXPECT_EQ(field_->Text(), "\"" + folder + "\"");
    // Quoted, the text names nothing as it stands: the path comes back as
    // the quoted item, without a backslash.
    EXPECT_EQ(field_->FileName(), folder);

    // Longer than any fixed buffer of the rules: kept whole, nothing cut.
    const std::string longName = "C:\\" + std::string(600, 'n') + ".iso";
    Drop(field_, {longName});
    EXPECT_EQ(field_->FileName(), longName);
}

TEST_F(FilenameEditTest, WithMultiSelectADropTakesEveryNameAndARefusedOneNoneOfThem) {
    field_->SetDialogOptions(ofHideReadOnly | ofAllowMultiSelect);
    ASSERT_TRUE(field_->MultiSelect());
    int dropped = 0;
    field_->OnDropFiles = [&](TObject*) { ++dropped; };
    Drop(field_, {"C:\\a.iso", "C:\\b.iso"});
    EXPECT_EQ(field_->FileName(), "C:\\a.iso");
    EXPECT_EQ(field_->Dialog()->Files, (std::vector<std::string>{"C:\\a.iso", "C:\\b.iso"}));
    EXPECT_EQ(dropped, 1);

    support::MessageBoxAnswerer answer(Application->Title());
    Drop(field_, {"C:\\c.iso", "C:\\d|.iso"});
    EXPECT_EQ(answer.Join().text, "Invalid file name - C:\\d|.iso.");
    EXPECT_EQ(field_->FileName(), "C:\\a.iso") << "nothing half taken";
    EXPECT_EQ(field_->Dialog()->Files.size(), 2u);
    EXPECT_EQ(dropped, 1);

    // Without multiple choice the chosen files are forgotten.
    field_->SetDialogOptions(ofHideReadOnly);
    EXPECT_FALSE(field_->MultiSelect());
    EXPECT_TRUE(field_->Dialog()->Files.empty());
}

TEST_F(FilenameEditTest, AnEmptiedFieldBrowsesFromTheLastChosenFileWithTheErrorModeSet) {
    const std::string path = scratch_.File("chosen image.iso");
    const std::string folder = path.substr(0, path.rfind('\\'));
    field_->SetDirectInput(false);
    ASSERT_TRUE(BrowseTo(path));
    field_->Clear();
    const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    support::OnThread<DialogView> watcher([] { return ViewAndCancelBrowseDialog(); });
    AltDown();
    const DialogView& view = watcher.Join();
    ASSERT_TRUE(view.shown);
    EXPECT_EQ(view.errorMode, static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(SetErrorMode(before), static_cast<UINT>(SEM_NOGPFAULTERRORBOX))
        << "restored after the dialog";
    EXPECT_EQ(view.folder, folder) << "opens in the chosen file's folder";
    EXPECT_NE(view.nameBox.find("chosen image.iso"), std::string::npos)
        << "with that file preselected: " << view.nameBox;
    EXPECT_EQ(field_->Text(), "") << "cancelled: nothing taken";
    EXPECT_EQ(GetFocus(), field_->Handle());
}

TEST_F(FilenameEditTest, TheDialogEventsCanStopItChangeTheNameOrHaveItRefused) {
    const std::string path = scratch_.File("picked.iso");
    field_->SetFileName("C:\\keep.iso");
    changes_.clear();

    // Action False before the dialog: no dialog at all.
    std::vector<std::string> names;
    field_->OnBeforeDialog = [&](TObject*, std::string& name, bool& action) {
        names.push_back(name);
        action = false;
    };
    {
        // The watcher gives up at its deadline when no dialog shows.
        support::OnThread<DialogView> watcher([] { return ViewAndCancelBrowseDialog(2000); });
        AltDown();
        EXPECT_FALSE(watcher.Join().shown);
    }
    EXPECT_EQ(names, std::vector<std::string>{"C:\\keep.iso"});
    field_->OnBeforeDialog = nullptr;

    // After a taken name the dialog opens next in the chosen file's folder;
    // after a refused one InitialDir stays where the field's name lies.
    const std::tuple<const char*, std::string, std::string, std::string, std::string> cases[] = {
        {"renamed", "C:\\renamed.iso", "C:\\renamed.iso", "", scratch_.Path()},
        {"refused", "C:\\bad?.iso", "C:\\renamed.iso", "Invalid file name - C:\\bad?.iso.", "C:\\"},
    };
    for (const auto& [what, changedTo, text, box, initialDir] : cases) {
        SCOPED_TRACE(what);
        field_->OnAfterDialog = [&](TObject*, std::string& name, bool& action) {
            EXPECT_TRUE(action);
            EXPECT_EQ(name, path);
            name = changedTo;
        };
        support::MessageBoxAnswerer errors(Application->Title());
        EXPECT_TRUE(BrowseTo(path));
        EXPECT_EQ(errors.Join().text, box);
        EXPECT_EQ(field_->Text(), text);
        EXPECT_EQ(field_->InitialDir(), initialDir);
    }
}

TEST_F(FilenameEditTest, ADialogOfAnotherKindKeepsTheSettingsOfTheOldOne) {
    TOpenDialog* first = field_->Dialog();
    EXPECT_STREQ(first->ClassName(), "TOpenDialog");
    EXPECT_EQ(first->Title, "Browse");
    EXPECT_EQ(first->Filter, "All files (*.*)|*.*");
    EXPECT_EQ(first->Options, static_cast<TOpenOptions>(ofHideReadOnly));
    EXPECT_EQ(first->FilterIndex, 1);
    field_->SetDefaultExt("iso");
    field_->SetFileEditStyle(TFileEditStyle::fsComboBox);
    first->FileName = "C:\\last.iso";
    field_->SetFilter("A|*.a|B|*.b");
    field_->SetFilterIndex(2);
    field_->SetInitialDir("C:\\images\\");
    field_->HistoryList() = {"C:\\h1.iso"};
    first->Files = {"C:\\f1.iso"};
    field_->SetDialogOptions(ofHideReadOnly | ofAllowMultiSelect);
    field_->SetDialogTitle("Pick");
    const int components = field_->ComponentCount();
    auto settings = [](const TOpenDialog& d) {
        return std::tuple(d.DefaultExt, d.FileEditStyle, d.FileName, d.Filter, d.FilterIndex,
                          d.InitialDir, d.HistoryList, d.Files, d.Options, d.Title);
    };
    const auto kept = settings(*first);
    EXPECT_EQ(kept,
              std::tuple("iso", TFileEditStyle::fsComboBox, "C:\\last.iso", "A|*.a|B|*.b", 2,
                         "C:\\images\\", std::vector<std::string>{"C:\\h1.iso"},
                         std::vector<std::string>{"C:\\f1.iso"},
                         static_cast<TOpenOptions>(ofHideReadOnly | ofAllowMultiSelect), "Pick"));

    const std::pair<TFileDialogKind, const char*> kinds[] = {
        {TFileDialogKind::dkSave, "TSaveDialog"},
        {TFileDialogKind::dkOpenPicture, "TOpenPictureDialog"},
        {TFileDialogKind::dkSavePicture, "TSavePictureDialog"},
        {TFileDialogKind::dkOpen, "TOpenDialog"}};
    for (const auto& [kind, className] : kinds) {
        SCOPED_TRACE(className);
        field_->SetDialogKind(kind);
        TOpenDialog* dialog = field_->Dialog();
        EXPECT_STREQ(dialog->ClassName(), className);
        EXPECT_EQ(settings(*dialog), kept);
        EXPECT_EQ(field_->ComponentCount(), components) << "the old dialog is gone";
        EXPECT_TRUE(field_->MultiSelect());
    }
}

TEST_F(FilenameEditTest, LongAndShortNamesOfTheFileTheFieldNames) {
    const std::string path = scratch_.File("a rather long name.iso");
    field_->SetFileName(path);
    EXPECT_EQ(field_->LongFileName(), "a rather long name.iso");
    const std::string shortName = field_->ShortFileName();
    EXPECT_FALSE(shortName.empty());
    EXPECT_LE(shortName.size(), 12u) << shortName;
    field_->SetFileName("C:\\no such file.iso");
    EXPECT_EQ(field_->LongFileName(), "");
    EXPECT_EQ(field_->ShortFileName(), "");
}

TEST_F(FilenameEditTest, TheButtonShowsTheThemesFolderPictureAndSwitchesWithTheTheme) {
    if (!ThemeServicesEnabled()) {
        GTEST_SKIP() << "visual styles are off on this system";
    }
    const std::vector<long> themed =
        glyphs::ResourcePicture(GetModuleHandleA(nullptr), "JvFilenameEditXPGLYPH");
    const std::vector<long> classic =
        glyphs::ResourcePicture(GetModuleHandleA(nullptr), "JvFilenameEditGLYPH");
    ASSERT_EQ(themed.size(), 168u) << "the test program carries the pictures";
    ASSERT_EQ(classic.size(), 168u);
    TJvEditButton* button = field_->Button();
    TCustomImageList* shared = button->Images();
    ASSERT_NE(shared, nullptr);
    const int themedIndex = button->ImageIndex();
    ASSERT_GE(themedIndex, 0);
    const int loaded = shared->Count();

    // More fields: the same picture, loaded once.
    auto* second = new TJvFilenameEdit(form_.get());
    second->SetParent(form_.get());
    EXPECT_EQ(second->Button()->ImageIndex(), themedIndex);
    EXPECT_EQ(second->Button()->Images(), shared);
    EXPECT_EQ(shared->Count(), loaded);

    TBitmap look;
    support::Render(button, look);
    const POINT at = glyphs::PicturePlace(button->Handle(), true);
    EXPECT_TRUE(glyphs::Shows(look, themed, at.x, at.y)) << "the themed folder";

    // The theme switched off: a system-colour change brings the classic one.
    {
        support::ClassicLook classicLook;
        SendMessageA(form_->Handle(), WM_SYSCOLORCHANGE, 0, 0);
        const int classicIndex = button->ImageIndex();
        EXPECT_NE(classicIndex, themedIndex);
        EXPECT_EQ(second->Button()->ImageIndex(), classicIndex);
        support::Render(button, look);
        const POINT place = glyphs::PicturePlace(button->Handle(), false);
        EXPECT_TRUE(glyphs::Shows(look, classic, place.x, place.y)) << "the classic folder";
    }
    SendMessageA(form_->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(button->ImageIndex(), themedIndex) << "and back, without loading again";
    EXPECT_EQ(shared->Count(), loaded + 1);
}

}  // namespace
