// The real program's file fields, driven from outside. Run under a prefix
// with the theme switched off, the same tests check and picture the classic look.
#include <windows.h>

#include <shlobj.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ToolWindow.h"
#include "rtl/Bitmap.h"
#include "rtl/Graphics.h"
#include "rtl/Themes.h"
#include "support/Clipboard.h"
#include "support/Files.h"
#include "support/Pixels.h"
#include "support/ScratchFolder.h"
#include "support/WindowDriver.h"
#include "widgets/GlyphPixels.h"

namespace {

constexpr char kFolder[] = "C:\\brivok fields";
constexpr char kOldImage[] = "C:\\brivok fields\\old image.iso";
constexpr char kDiff[] = "C:\\brivok fields\\old image-to-new.bsdiff";
constexpr int kFileTypeBoxId = 0x470;  // the Open dialog's file-type combo box
constexpr int kFileNameBoxId = 0x47C;

bool Themed() {
    return ThemeServicesEnabled();
}

std::string Look() {
    return Themed() ? "themed" : "classic";
}

// Whether the picture area shows only greys: the disabled picture.
bool AllGrey(const TBitmap& screen, int x, int y) {
    return support::CountPixels(screen, {x, y, x + 14, y + 12}, [](int, int, COLORREF p) {
               return GetRValue(p) != GetGValue(p) || GetGValue(p) != GetBValue(p);
           }) == 0;
}

class FileFieldsLookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tool_.Start(support::WindowsPathOfUnix(BRIVOK_EXE_PATH)))
            << "the window or one of its controls did not show";
        for (HWND field : {tool_.oldField, tool_.diffField, tool_.newField}) {
            const std::vector<HWND> buttons = support::FindChildren(field, "TJvEditButton");
            ASSERT_EQ(buttons.size(), 1u) << "one button in each field";
            buttons_.push_back(buttons.front());
        }
        SetForegroundWindow(tool_.window);
    }
    void TearDown() override { SetCursorPos(0, 0); }

    // An empty old image chosen in the Browse dialog, its name in the field.
    void ChooseOldImage() {
        ASSERT_TRUE(support::WriteFile(kOldImage, ""));
        ASSERT_TRUE(tool_.Browse(tool_.oldField, kOldImage));
        ASSERT_TRUE(tool_.FieldShows(tool_.oldField, std::string("\"") + kOldImage + "\""));
    }

    void ShotOfField(HWND field, const std::string& state) {
        support::SaveScreenshot(field,
                                ToolWindow::ScreenshotPath("e2e-field-" + Look() + "-" + state));
    }

    support::ScratchFolder folder_{kFolder};  // for the files a test chooses
    ToolWindow tool_;
    std::vector<HWND> buttons_;
};

TEST_F(FileFieldsLookTest, EachButtonAndTextLieWhereTheBorderAsks) {
    // The button in the field's client coordinates; the text rectangle
    // as the field sets it (the edit moves it in by its own margins).
    const RECT button = Themed() ? RECT{338, 0, 359, 19} : RECT{336, 0, 357, 17};
    RECT designed = Themed() ? RECT{1, 1, 334, 18} : RECT{0, 2, 335, 16};
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        SCOPED_TRACE(i);
        HWND field = i == 0 ? tool_.oldField : i == 1 ? tool_.diffField : tool_.newField;
        const RECT place = support::RectIn(buttons_[i], field);
        EXPECT_EQ(place, button);
        const SIZE client = support::ClientSize(field);
        EXPECT_EQ(client.cy, button.bottom) << "as high as the client area";
        const auto send = [field](UINT message, RECT& rect) {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(field, message, 0, reinterpret_cast<LPARAM>(&rect),
                                SMTO_ABORTIFHUNG, 2000, &result);
        };
        RECT made{};
        RECT again{};
        send(EM_GETRECT, made);
        send(EM_SETRECTNP, designed);
        send(EM_GETRECT, again);
        if (again.right == 0) {
            GTEST_SKIP() << "this system does not carry edit rectangles between processes";
        }
        EXPECT_EQ(made, again) << "the text rectangle";
        EXPECT_LT(made.right, place.left) << "the text stops before the button";
    }
}

TEST_F(FileFieldsLookTest, TheButtonsShowTheirPictureHotPressedAndDisabled) {
    const std::vector<long> picture =
        glyphs::ProgramPicture(support::WindowsPathOfUnix(BRIVOK_EXE_PATH),
                               Themed() ? "JvFilenameEditXPGLYPH" : "JvFilenameEditGLYPH");
    ASSERT_EQ(picture.size(), 168u) << "the program carries its pictures";
    HWND button = buttons_[0];
    HWND field = tool_.oldField;
    const POINT at = glyphs::PicturePlace(button, Themed());
    const auto shown = [&](const TBitmap& s) { return glyphs::Shows(s, picture, at.x, at.y); };
    TBitmap idle;
    ASSERT_TRUE(support::CaptureScreenWhen(button, idle, shown))
        << "the folder picture at " << at.x << "," << at.y;
    ShotOfField(field, "idle");
    support::SaveScreenshot(tool_.window, ToolWindow::ScreenshotPath("e2e-fields-" + Look()));

    auto differs = [&](const TBitmap& s) { return !support::SamePixels(s, idle); };
    TBitmap screen;
    support::PointerTo(button);
    if (Themed()) {
        EXPECT_TRUE(support::CaptureScreenWhen(button, screen, differs)) << "hot under the pointer";
        ShotOfField(field, "hot");
    }

    const SIZE size = support::ClientSize(button);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(size.cx / 2, size.cy / 2));
    EXPECT_TRUE(support::CaptureScreenWhen(button, screen, [&](const TBitmap& s) {
        // Pressed, the picture moves one pixel right (and down, classic).
        return glyphs::Shows(s, picture, at.x + 1, at.y + (Themed() ? 0 : 1));
    })) << "the pressed look";
    ShotOfField(field, "pressed");
    // Released outside: no dialog, drawn up again.
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-30), 5));
    SetCursorPos(0, 0);
    EXPECT_TRUE(support::CaptureScreenWhen(button, screen, shown));
    EXPECT_EQ(support::FindTopLevel("Browse", "#32770", tool_.process.Id(), 1000), nullptr)
        << "released outside, the button does nothing";

    EnableWindow(field, FALSE);
    EXPECT_TRUE(support::CaptureScreenWhen(button, screen, [&](const TBitmap& s) {
        return AllGrey(s, at.x, at.y);
    })) << "the disabled picture";
    EXPECT_FALSE(IsWindowEnabled(button)) << "the button is disabled with its field";
    ShotOfField(field, "disabled");
    EnableWindow(field, TRUE);
    EXPECT_TRUE(support::CaptureScreenWhen(button, screen, shown));
}

TEST_F(FileFieldsLookTest, TheFocusedFieldShowsAThinCaretAndTabSelectsNothing) {
    ASSERT_TRUE(tool_.HasFocus(tool_.oldField));
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(support::WaitFor([&] {
        GetGUIThreadInfo(GetWindowThreadProcessId(tool_.window, nullptr), &info);
        return info.hwndCaret == tool_.oldField;
    })) << "a caret in the read-only field";
    EXPECT_EQ(info.rcCaret.right - info.rcCaret.left, 1);
    EXPECT_EQ(info.rcCaret.bottom - info.rcCaret.top, 13);

    // Once round by Tab and back into the named field.
    ASSERT_NO_FATAL_FAILURE(ChooseOldImage());
    for (HWND next : {tool_.diffField, tool_.newField, tool_.close, tool_.oldField}) {
        ASSERT_TRUE(tool_.TabTo(next));
    }
    DWORD start = 1;
    DWORD end = 2;
    SendMessageA(tool_.oldField, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end) << "entered by Tab, nothing selected";
}

TEST_F(FileFieldsLookTest, AltDownAndTheButtonOpenBrowseWithTheFieldsFilterAndCancelKeepsAll) {
    struct Case {
        const char* name;
        HWND field;
        HWND button;
        bool byKey;
        const char* filter;
    };
    const Case cases[] = {
        {"Alt+Down, old image", tool_.oldField, buttons_[0], true, "Ovru ISO image file (*.ISO)"},
        {"button, diff file", tool_.diffField, buttons_[1], false, "OVRU diff files (*.bsdiff)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.byKey) {
            support::PostKey(c.field, VK_DOWN, true);
        } else {
            tool_.Click(c.button);
        }
        HWND dialog = support::FindTopLevel("Browse", "#32770", tool_.process.Id());
        ASSERT_NE(dialog, nullptr) << "the Browse dialog";
        HWND types = support::WaitForChild(dialog, "", kFileTypeBoxId);
        ASSERT_NE(types, nullptr) << "the file-type box";
        EXPECT_EQ(support::WindowText(types), c.filter);
        support::SaveScreenshot(GetDesktopWindow(),
                                ToolWindow::ScreenshotPath("e2e-browse-" + Look()));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(support::WaitFor([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(support::WindowText(c.field), "");
        EXPECT_TRUE(tool_.HasFocus(c.field)) << "after a cancel";
    }
}

TEST_F(FileFieldsLookTest, TheDialogOpensInTheLastChosenFilesFolderAfterTheFieldWasCleared) {
    ASSERT_NO_FATAL_FAILURE(ChooseOldImage());
    SendMessageA(tool_.oldField, WM_CLEAR, 0, 0);
    EXPECT_TRUE(tool_.FieldShows(tool_.oldField, ""));
    support::PostKey(tool_.oldField, VK_DOWN, true);
    HWND dialog = support::FindTopLevel("Browse", "#32770", tool_.process.Id());
    ASSERT_NE(dialog, nullptr);
    HWND name = support::WaitForChild(dialog, "ComboBoxEx32", kFileNameBoxId);
    ASSERT_NE(name, nullptr) << "the file-name box";
    EXPECT_TRUE(support::WaitFor([&] { return support::WindowText(name) == "old image.iso"; }))
        << "the last chosen file, preselected: " << support::WindowText(name);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(support::WaitFor([&] { return !IsWindow(dialog); })) << "Cancel closes it";
}

TEST_F(FileFieldsLookTest, TypingCutAndPasteChangeNothingCopyWorksAndAClearDisablesPatch) {
    ASSERT_NO_FATAL_FAILURE(ChooseOldImage());
    ASSERT_TRUE(support::WriteFile(kDiff, ""));
    ASSERT_TRUE(tool_.Browse(tool_.diffField, kDiff));
    ASSERT_TRUE(tool_.WaitEnabled(tool_.patch, true)) << "all three fields named";
    HWND field = tool_.oldField;
    const std::string shown = support::WindowText(field);

    ASSERT_TRUE(support::SetClipboardText("pasted"));
    for (char c : std::string("xy")) {
        PostMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    SendMessageA(field, EM_SETSEL, 0, -1);
    SendMessageA(field, WM_CUT, 0, 0);
    SendMessageA(field, WM_PASTE, 0, 0);
    support::PostKey(field, VK_DELETE);
    EXPECT_TRUE(support::Responsive(field));
    EXPECT_EQ(support::WindowText(field), shown);
    SendMessageA(field, WM_COPY, 0, 0);
    std::string copied;
    EXPECT_TRUE(support::WaitFor([&] { return (copied = support::ClipboardText()) == shown; }))
        << "copy works; the clipboard holds " << copied;

    SendMessageA(field, WM_CLEAR, 0, 0);
    EXPECT_TRUE(tool_.FieldShows(field, ""));
    EXPECT_TRUE(tool_.WaitEnabled(tool_.patch, false)) << "an emptied field disables Patch";
}

TEST_F(FileFieldsLookTest, AFileDroppedOnAFieldIsTaken) {
    ASSERT_TRUE(support::WriteFile(kOldImage, ""));
    // A drop as the shell builds it, in the program's own memory.
    std::string names = std::string(kOldImage) + '\0' + '\0';
    std::vector<char> drop(sizeof(DROPFILES) + names.size(), '\0');
    auto* header = reinterpret_cast<DROPFILES*>(drop.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    names.copy(drop.data() + sizeof(DROPFILES), names.size());
    void* remote = VirtualAllocEx(tool_.process.Process(), nullptr, drop.size(),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    ASSERT_TRUE(
        WriteProcessMemory(tool_.process.Process(), remote, drop.data(), drop.size(), nullptr));
    // The field reads the names and lets the drop go; memory that no heap
    // owns is refused by that last step, harmlessly.
    PostMessageA(tool_.oldField, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
    EXPECT_TRUE(tool_.FieldShows(tool_.oldField, std::string("\"") + kOldImage + "\""));
    EXPECT_TRUE(support::Responsive(tool_.window));
}

}  // namespace
