// A click on Patch in the real program, end to end, with our bspatch.exe or
// a stand-in that can be steered.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "ToolWindow.h"
#include "rtl/PathUtils.h"
#include "support/Files.h"
#include "support/ScratchFolder.h"
#include "support/WindowDriver.h"

namespace {

constexpr char kJobCaption[] = "Brivok creator";
// Another drive than the temporary-files folder, with a blank, an
// ampersand and a percent sign, each of which cmd would otherwise trip on.
constexpr char kToolFolder[] = "D:\\Tools & Co 100%\\";
constexpr char kOldImage[] = "C:\\img\\live-5.0.5.iso";
constexpr char kDiff[] = "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff";
constexpr char kNewImage[] = "C:\\img\\live-5.0.6.iso";
constexpr char kWaitFile[] = "C:\\img\\bspatch-waits";
constexpr char kResultFolder[] = "C:\\img";
constexpr char kScriptPath[] = "C:\\BrivokTemp\\PatchISO.bat";

std::string DataFile(const char* name) {
    return support::WindowsPathOfUnix(BRIVOK_PATCH_DATA) + "\\" + name;
}

using support::Exists;

std::string Patched(const std::string& oldImage) {
    return "File " + oldImage + " successfully patched!";
}

// Waits until `count` processes named bspatch.exe run.
bool BspatchesRun(int count) {
    return support::WaitFor([count] {
        const KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        int running = 0;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot.Get(), &entry); more;
             more = Process32Next(snapshot.Get(), &entry)) {
            running += lstrcmpiA(entry.szExeFile, "bspatch.exe") == 0 ? 1 : 0;
        }
        return running == count;
    });
}

// The temporary files that bspatch.exe writes a new image into, beside it:
// "<new image>.<pid>-<n>.tmp".
std::vector<std::string> TemporaryFilesOf(const std::string& newImage) {
    return support::FilesMatching(newImage + ".*.tmp");
}

bool Marquee(HWND bar) {
    return (GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
}

// The progress channel that the stand-in inherited, as it reported it in
// `result`.
std::string ChannelIn(const std::string& result) {
    const std::string text = support::ReadFile(result);
    const size_t at = text.find("progress ");
    return at == std::string::npos ? "" : text.substr(at + 9, text.find("\r\n", at) - at - 9);
}

bool ChannelExists(const std::string& name) {
    return static_cast<bool>(KernelHandle(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str())));
}

// The patch of a large image that CMake makes, and the image-sized files
// that a run leaves, removed before and after.
struct LargePatch {
    LargePatch() { RemoveOutputs(); }
    ~LargePatch() { RemoveOutputs(); }
    void RemoveOutputs() const {
        for (const std::string& name : TemporaryFilesOf(newImage)) {
            DeleteFileA((folder + name).c_str());
        }
        DeleteFileA(newImage.c_str());
    }

    const std::string folder = support::WindowsPathOfUnix(BRIVOK_LARGE_PATCH_DATA) + "\\";
    const std::string oldImage = folder + "live-5.0.5.iso";
    const std::string diff = folder + "live-5.0.5-to-5.0.6.bsdiff";
    const std::string newImage = folder + "live-5.0.6.iso";
};

enum class Patcher { Ours, StandIn, None };

class PatchRunTest : public ::testing::Test {
protected:
    void TearDown() override {
        DeleteFileA(kWaitFile);
        SetFileAttributesA(kScriptPath, FILE_ATTRIBUTE_NORMAL);
        for (const char* name : {"BRIVOK_FAKE_WAIT", "BRIVOK_FAKE_EXIT", "BRIVOK_RESULT_FOLDER"}) {
            SetEnvironmentVariableA(name, nullptr);
        }
        tool_.process.Terminate();
    }

    // Lays out the tool's folder and the two input files, then starts the
    // tool and chooses the files in its Browse dialogs.
    void StartWithInputs(Patcher patcher, const std::string& oldImage = kOldImage,
                         const std::string& diff = kDiff) {
        CreateDirectoryA(ExtractFilePath(oldImage).c_str(), nullptr);
        CreateDirectoryA(ExtractFilePath(diff).c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(DataFile("old.iso").c_str(), oldImage.c_str(), FALSE)) << oldImage;
        ASSERT_TRUE(CopyFileA(DataFile("old-to-new.bsdiff").c_str(), diff.c_str(), FALSE)) << diff;
        newImage_ = ExtractFilePath(oldImage) + "live-5.0.6.iso";
        DeleteFileA(newImage_.c_str());
        ASSERT_NO_FATAL_FAILURE(StartAndChoose(patcher, oldImage, diff));
    }

    // Lays out the tool's folder with bspatch.exe (or without), starts the
    // tool and chooses the two files, which exist already. A stand-in
    // reports to ResultFile().
    void StartAndChoose(Patcher patcher, const std::string& oldImage, const std::string& diff) {
        SetEnvironmentVariableA("BRIVOK_RESULT_FOLDER", kResultFolder);
        DeleteFileA(ResultFile().c_str());
        CreateDirectoryA(kToolFolder, nullptr);
        const std::string exe = std::string(kToolFolder) + "BrivokPatch.exe";
        const std::string bspatch = std::string(kToolFolder) + "bspatch.exe";
        ASSERT_TRUE(
            CopyFileA(support::WindowsPathOfUnix(BRIVOK_EXE_PATH).c_str(), exe.c_str(), FALSE))
            << exe << ": error " << GetLastError();
        DeleteFileA(bspatch.c_str());
        if (patcher != Patcher::None) {
            const char* source =
                patcher == Patcher::Ours ? BRIVOK_BSPATCH_PATH : BRIVOK_FAKE_BSPATCH_PATH;
            ASSERT_TRUE(
                CopyFileA(support::WindowsPathOfUnix(source).c_str(), bspatch.c_str(), FALSE));
        }
        ASSERT_TRUE(tool_.Start(exe)) << "the tool or one of its controls did not show";
        ASSERT_TRUE(tool_.Browse(tool_.oldField, oldImage));
        ASSERT_TRUE(tool_.Browse(tool_.diffField, diff));
        ASSERT_TRUE(tool_.WaitEnabled(tool_.patch, true)) << "Patch stays disabled";
    }

    // Starts a run whose stand-in reports and then waits while kWaitFile
    // exists.
    void StartLongRun() {
        ASSERT_TRUE(support::WriteFile(kWaitFile, "wait"));
        SetEnvironmentVariableA("BRIVOK_FAKE_WAIT", kWaitFile);
        ASSERT_NO_FATAL_FAILURE(StartWithInputs(Patcher::StandIn));
        tool_.Click(tool_.patch);
        ASSERT_TRUE(support::WaitFor([] { return Exists(ResultFile()); }))
            << "the stand-in never ran";
    }

    static std::string ResultFile() { return std::string(kResultFolder) + "\\result.txt"; }

    // Patch clicked, an error box says `text`; after it the window answers,
    // and neither the job's box nor bspatch.exe follows.
    void ExpectRefusal(const std::string& text, const std::string& screenshot) {
        tool_.Click(tool_.patch);
        const support::MessageBoxInfo box =
            support::WaitForMessageBox("Brivok Patch", tool_.process.Id());
        ASSERT_NE(box.window, nullptr) << "no error box";
        EXPECT_EQ(box.text, text);
        tool_.Screenshot(screenshot, box.window);
        support::AnswerMessageBox(box.window);
        EXPECT_TRUE(support::Responsive(tool_.window));
        EXPECT_EQ(JobBox(1000).window, nullptr);
        EXPECT_FALSE(Exists(ResultFile())) << "bspatch.exe ran";
    }

    // Waits for the box at the end of the job, runs `whileOpen`, answers it
    // and returns its text.
    std::string JobBoxText(const std::string& screenshot = "",
                           const std::function<void()>& whileOpen = nullptr) {
        const support::MessageBoxInfo box = JobBox(30000);
        if (box.window == nullptr) {
            return "(no box)";
        }
        if (!screenshot.empty()) {
            tool_.Screenshot(screenshot, box.window);
        }
        if (whileOpen) {
            whileOpen();
        }
        support::AnswerMessageBox(box.window);
        EXPECT_TRUE(support::WaitFor([&] { return !IsWindowVisible(tool_.progress); }))
            << "the progress bar stays after the end box";
        return box.text;
    }

    // What the window showed of a run's progress until its end box came.
    struct ProgressSeen {
        std::vector<int> shares;        // the bar's positions, each change
        std::vector<std::string> tips;  // its tooltips, each change
        bool answering = true;          // the window answered within 2 s throughout
        ULONGLONG shownMs = 0;          // from the first share to the box
        bool ended = false;             // the box came
        support::MessageBoxInfo box;
    };

    // Samples the bar and its tooltip until the end box shows, with the
    // pointer resting on the bar; a picture at 30 %.
    ProgressSeen WatchUntilTheEndBox() {
        ProgressSeen seen;
        ULONGLONG first = 0;
        seen.ended = support::WaitFor(
            [&] {
                seen.answering = seen.answering && support::Responsive(tool_.window);
                if (IsWindowVisible(tool_.progress) && !Marquee(tool_.progress)) {
                    const auto share =
                        static_cast<int>(SendMessageA(tool_.progress, PBM_GETPOS, 0, 0));
                    if (seen.shares.empty()) {
                        first = GetTickCount64();
                        support::PointerTo(tool_.progress);
                    } else if (seen.shares.back() < 300 && share >= 300) {
                        tool_.Screenshot("e2e-progress-mid");
                    }
                    if (seen.shares.empty() || share != seen.shares.back()) {
                        seen.shares.push_back(share);
                    }
                }
                const std::string tip = support::ShownTooltip(tool_.process.Id());
                if (!tip.empty() && (seen.tips.empty() || tip != seen.tips.back())) {
                    seen.tips.push_back(tip);
                }
                seen.box = JobBox(0);
                return seen.box.window != nullptr;
            },
            120000);
        seen.shownMs = GetTickCount64() - first;
        SetCursorPos(0, 0);
        return seen;
    }

    // The script of the last Patch click.
    static std::string Script() { return support::ReadFile(kScriptPath); }

    support::MessageBoxInfo JobBox(DWORD timeoutMs) {
        return support::WaitForMessageBox(kJobCaption, tool_.process.Id(), timeoutMs);
    }

    ToolWindow tool_;
    std::string newImage_;
};

TEST_F(PatchRunTest, OurBspatchWritesTheNewImageAndOneBoxSaysSo) {
    ASSERT_NO_FATAL_FAILURE(StartWithInputs(Patcher::Ours));
    tool_.Click(tool_.patch);
    EXPECT_EQ(JobBoxText("e2e-patched"), Patched(kOldImage));
    EXPECT_EQ(support::ReadFile(kNewImage), support::ReadFile(DataFile("new.iso")))
        << "the new image";
    // bspatch.exe is looked for in the folder the tool was started from.
    EXPECT_NE(Script().find("\r\nCD /D \"D:\\Tools & Co 100%%\\\"\r\n\"bspatch.exe\" "),
              std::string::npos)
        << Script();
    EXPECT_TRUE(tool_.WaitEnabled(tool_.patch, true));
    EXPECT_EQ(JobBox(500).window, nullptr) << "a second box";
}

TEST_F(PatchRunTest, AwkwardNamesOnTwoDrivesStillPatch) {
    // A blank, "&", "%" and a letter outside ASCII in every path.
    const std::string oldImage = "C:\\img \xE9 50% & co\\live-5.0.5.iso";
    const std::string diff = "D:\\dl \xE9 100%\\live-5.0.5-to-5.0.6.bsdiff";
    ASSERT_NO_FATAL_FAILURE(StartWithInputs(Patcher::Ours, oldImage, diff));
    EXPECT_TRUE(tool_.FieldShows(tool_.newField, "\"" + newImage_ + "\""))
        << support::WindowText(tool_.newField);
    tool_.Click(tool_.patch);
    EXPECT_EQ(JobBoxText(), Patched(oldImage));
    EXPECT_EQ(support::ReadFile(newImage_), support::ReadFile(DataFile("new.iso")));
}

TEST_F(PatchRunTest, ANameTheScriptsCodePageLacksIsRefusedAndNothingStarts) {
    // The ø of code page 1252 has no place in page 437, in which cmd reads the
    // script: written as "o" it would name another folder.
    const std::string oldImage = "C:\\img G\xF8teborg\\live-5.0.5.iso";
    DeleteFileA(kScriptPath);
    ASSERT_NO_FATAL_FAILURE(StartWithInputs(Patcher::StandIn, oldImage));
    ExpectRefusal("The patch script cannot name " + oldImage +
                      ": the command interpreter reads it in code page 437, which lacks the "
                      "letter \xF8; rename or move the file.",
                  "e2e-no-oem-form");
    EXPECT_FALSE(Exists(kScriptPath)) << "a script was written";
    EXPECT_TRUE(IsWindowEnabled(tool_.patch)) << "Patch can be clicked again";
}

TEST_F(PatchRunTest, AMissingOrFailingBspatchIsReportedNotPraised) {
    struct Case {
        const char* what;
        Patcher patcher;
        const char* exitCode;
        const char* reason;
    };
    const Case cases[] = {
        {"missing", Patcher::None, nullptr, "bspatch.exe was not found in the tool's folder."},
        {"failing", Patcher::StandIn, "3", "bspatch.exe failed with exit code 3."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetEnvironmentVariableA("BRIVOK_FAKE_EXIT", c.exitCode);
        ASSERT_NO_FATAL_FAILURE(StartWithInputs(c.patcher));
        tool_.Click(tool_.patch);
        // Where it stopped, until the box is confirmed (red where the system's
        // bar has states: Wine 8's has none).
        const auto barShows = [&] { EXPECT_TRUE(IsWindowVisible(tool_.progress)); };
        EXPECT_EQ(JobBoxText(std::string("e2e-") + c.what, barShows),
                  std::string("File ") + kOldImage + " could not be patched: " + c.reason);
        EXPECT_FALSE(Exists(kNewImage));
        EXPECT_TRUE(tool_.WaitEnabled(tool_.patch, true));
        tool_.process.Terminate();
    }
}

TEST_F(PatchRunTest, DuringALongRunTheWindowAnswersAndASecondClickStartsNothing) {
    const std::string result = ResultFile();
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    EXPECT_TRUE(tool_.WaitEnabled(tool_.patch, false)) << "Patch stays enabled during the run";
    // A bspatch.exe that reports nothing: the bar moves on its own.
    EXPECT_TRUE(IsWindowVisible(tool_.progress) && Marquee(tool_.progress));
    tool_.Screenshot("e2e-progress-marquee");
    const std::string channel = ChannelIn(result);
    EXPECT_TRUE(ChannelExists(channel)) << "'" << channel << "'";
    EXPECT_TRUE(support::Responsive(tool_.window))
        << "the window does not answer while the patch runs";
    const std::string script = Script();
    const std::string firstRun = support::ReadFile(result);

    // Another old image enables Patch by the field rule; its click must
    // neither rewrite the running script nor start a second run.
    const std::string otherImage = "C:\\img\\live-5.0.5b.iso";
    ASSERT_TRUE(CopyFileA(kOldImage, otherImage.c_str(), FALSE));
    ASSERT_TRUE(tool_.Browse(tool_.oldField, otherImage));
    ASSERT_TRUE(tool_.WaitEnabled(tool_.patch, true));
    tool_.Click(tool_.patch);
    EXPECT_TRUE(support::Responsive(tool_.window));
    EXPECT_EQ(Script(), script) << "the running script was rewritten";
    EXPECT_EQ(JobBox(500).window, nullptr);

    DeleteFileA(kWaitFile);
    EXPECT_EQ(JobBoxText(), Patched(kOldImage))
        << "the box names the image that the script patched";
    EXPECT_EQ(support::ReadFile(result), firstRun) << "bspatch.exe ran a second time";
    EXPECT_FALSE(ChannelExists(channel)) << "kept after the job";
}

TEST_F(PatchRunTest, TheEndBoxOverAnOpenDialogKeepsEveryWindowOfTheToolFromInput) {
    const std::string result = ResultFile();
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    support::PostKey(tool_.oldField, VK_DOWN, true);
    HWND dialog = support::FindTopLevel("Browse", "#32770", tool_.process.Id());
    ASSERT_NE(dialog, nullptr) << "no Open dialog";

    DeleteFileA(kWaitFile);
    DeleteFileA(result.c_str());
    const support::MessageBoxInfo box = JobBox(30000);
    ASSERT_NE(box.window, nullptr) << "no box at the end of the job";
    for (HWND window : support::TopLevelWindows(tool_.process.Id())) {
        EXPECT_TRUE(window == box.window || !IsWindowEnabled(window))
            << "usable under the box: " << support::WindowClass(window) << " '"
            << support::WindowText(window) << "'";
    }
    tool_.Screenshot("e2e-end-box-over-open-dialog", GetDesktopWindow());
    // The user's clicks: Cancel of the dialog, then Patch.
    support::ClickAt(support::CentreOf(support::FindChild(dialog, "", IDCANCEL)));
    support::ClickAt(support::CentreOf(tool_.patch));
    EXPECT_FALSE(support::WaitFor([&] { return Exists(result); }, 2000)) << "a second run";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog was cancelled under the box";

    ASSERT_TRUE(support::AnswerMessageBox(box.window));
    EXPECT_TRUE(tool_.WaitEnabled(dialog, true)) << "the dialog stays disabled";
    EXPECT_FALSE(IsWindowEnabled(tool_.window)) << "the dialog no longer holds the window";
}

TEST_F(PatchRunTest, CloseEndsARunningBspatchAndTheTool) {
    const std::string result = ResultFile();
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    ASSERT_TRUE(BspatchesRun(1)) << "bspatch.exe did not start";
    ASSERT_TRUE(support::WaitFor([&] { return !ChannelIn(result).empty(); }));

    tool_.Click(tool_.close);
    EXPECT_EQ(tool_.process.WaitForExit(), 0u) << "the tool's exit code";
    EXPECT_TRUE(BspatchesRun(0)) << "bspatch.exe still runs";
    EXPECT_TRUE(Exists(kWaitFile)) << "the stand-in ended by itself, not by Close";
    EXPECT_FALSE(ChannelExists(ChannelIn(result))) << "the progress channel outlives the tool";
}

// bspatch.exe killed in the middle of a large image, by Close and by a plain
// TerminateProcess: neither runs its clean-up, yet its temporary file goes
// with it and the new image of an earlier run stays as it was.
TEST_F(PatchRunTest, AKilledPatchLeavesNoTemporaryFileAndTheEarlierNewImage) {
    const LargePatch large;
    const std::string& newImage = large.newImage;
    const std::string earlier = "the new image of an earlier run";
    enum class Kill { Close, TerminateProcess };
    for (const Kill kill : {Kill::Close, Kill::TerminateProcess}) {
        SCOPED_TRACE(kill == Kill::Close ? "Close" : "TerminateProcess");
        ASSERT_TRUE(support::WriteFile(newImage, earlier));
        support::ChildProcess bspatch;
        if (kill == Kill::Close) {
            ASSERT_NO_FATAL_FAILURE(StartAndChoose(Patcher::Ours, large.oldImage, large.diff));
            tool_.Click(tool_.patch);
        } else {
            ASSERT_TRUE(bspatch.Start(
                support::WindowsPathOfUnix(BRIVOK_BSPATCH_PATH),
                "\"" + large.oldImage + "\" \"" + newImage + "\" \"" + large.diff + "\""));
        }
        ASSERT_TRUE(support::WaitFor([&] { return !TemporaryFilesOf(newImage).empty(); }, 30000))
            << "bspatch.exe wrote no temporary file";
        if (kill == Kill::Close) {
            tool_.Click(tool_.close);
            EXPECT_EQ(tool_.process.WaitForExit(), 0u) << "the tool's exit code";
        } else {
            bspatch.Terminate();
        }
        EXPECT_TRUE(BspatchesRun(0)) << "bspatch.exe still runs";
        EXPECT_TRUE(support::WaitFor([&] { return TemporaryFilesOf(newImage).empty(); }))
            << "left behind: " << TemporaryFilesOf(newImage).front();
        EXPECT_EQ(support::ReadFile(newImage), earlier)
            << "the patch had ended before the kill (then the image is too small for this "
               "machine), or the kill touched the new image";
        large.RemoveOutputs();
    }
}

// Our bspatch.exe on a large image: the bar between the buttons shows how
// far it is, grows and never goes back while the window answers, tells how
// much and how long in its tooltip, is full when the end box shows and goes
// with it.
TEST_F(PatchRunTest, ALargePatchShowsHowFarItIsUntilItsEndBox) {
    const LargePatch large;
    ASSERT_NO_FATAL_FAILURE(StartAndChoose(Patcher::Ours, large.oldImage, large.diff));
    tool_.Screenshot("e2e-progress-at-rest");
    tool_.Click(tool_.patch);
    const ProgressSeen seen = WatchUntilTheEndBox();
    ASSERT_TRUE(seen.ended) << "no end box";
    const LRESULT atTheEnd = SendMessageA(tool_.progress, PBM_GETPOS, 0, 0);
    support::SaveScreenshot(GetDesktopWindow(), ToolWindow::ScreenshotPath("e2e-progress-end"));
    support::AnswerMessageBox(seen.box.window);
    EXPECT_EQ(seen.box.text, Patched(large.oldImage));
    EXPECT_TRUE(seen.answering) << "the window did not answer within 2 s";
    EXPECT_TRUE(std::ranges::is_sorted(seen.shares)) << testing::PrintToString(seen.shares);
    EXPECT_GE(seen.shares.size(), 5u) << "grew in steps: " << testing::PrintToString(seen.shares);
    EXPECT_EQ(atTheEnd, 1000) << "full at the end";
    EXPECT_TRUE(support::WaitFor([&] { return !IsWindowVisible(tool_.progress); }));
    if (seen.tips.empty()) {
        GTEST_SKIP() << "this display gives a warped pointer no hover: no tooltip to read";
    }
    const std::regex said(R"([0-9.]+ (bytes|KB|MB|GB) of 2\.15 GB(, about [0-9]+ seconds? left)?)");
    bool estimated = false;
    for (const std::string& tip : seen.tips) {
        EXPECT_TRUE(std::regex_match(tip, said)) << tip;
        estimated = estimated || tip.find(" left") != std::string::npos;
    }
    // The estimate comes two seconds after the first report; the tip shows the hint it has now.
    EXPECT_TRUE(estimated || seen.shownMs < 3000)
        << "no time left in " << seen.shownMs << " ms: " << seen.tips.back();
}

TEST_F(PatchRunTest, ClosingTheWindowDuringARunLetsThePatchFinishFirst) {
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    ASSERT_TRUE(BspatchesRun(1));

    PostMessageA(tool_.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(support::WaitFor([&] { return !IsWindowVisible(tool_.window); }))
        << "the window stays on screen";
    EXPECT_TRUE(support::WaitFor([&] {
        return support::TaskBarWindows(tool_.process.Id()).empty();
    })) << "the task-bar button stays";
    EXPECT_EQ(tool_.process.WaitForExit(1000), static_cast<DWORD>(STILL_ACTIVE))
        << "the tool ended before its patch";

    DeleteFileA(kWaitFile);
    EXPECT_EQ(tool_.process.WaitForExit(), 0u);
    EXPECT_EQ(support::ReadFile(kNewImage), support::ReadFile(kOldImage)) << "the stand-in's copy";
}

TEST_F(PatchRunTest, AReadOnlyScriptIsReportedAndNothingStarts) {
    CreateDirectoryA("C:\\BrivokTemp", nullptr);
    ASSERT_TRUE(support::WriteFile(kScriptPath, "@ECHO OFF\r\n"));
    ASSERT_TRUE(SetFileAttributesA(kScriptPath, FILE_ATTRIBUTE_READONLY));
    ASSERT_NO_FATAL_FAILURE(StartWithInputs(Patcher::StandIn));
    ExpectRefusal("File access denied.", "e2e-read-only");
    EXPECT_EQ(Script(), "@ECHO OFF\r\n");
}

}  // namespace
