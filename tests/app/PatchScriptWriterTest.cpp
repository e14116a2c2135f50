#include "app/PatchScriptWriter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "WorkedExample.h"

#include "process/LaunchAndWait.h"
#include "rtl/SysUtils.h"
#include "rtl/WinHandles.h"
#include "support/Files.h"
#include "support/ScratchFolder.h"
#include "support/TestApplication.h"
#include "support/WindowDriver.h"
#include "widgets/JvComputerInfoEx.h"

namespace {

const char kWorkFolder[] = "C:\\BrivokTemp\\";
const char kScript[] = "C:\\BrivokTemp\\PatchISO.bat";
const char kKeepFile[] = "C:\\BrivokTemp\\keep.txt";
const char kResultFile[] = "C:\\BrivokTemp\\result.txt";

bool FolderExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// True once the folder has gone.
[[nodiscard]] bool RemoveWorkFolder() {
    for (const char* file : {kScript, kKeepFile, kResultFile}) {
        SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file);
    }
    // A console host that ran a script there may still hold the folder as its
    // current one for a moment after the script has ended.
    return support::WaitFor(
        [] { return RemoveDirectoryA(kWorkFolder) || !FolderExists(kWorkFolder); }, 5000);
}

// Each test starts without C:\BrivokTemp and leaves none behind.
class PatchScriptWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RemoveWorkFolder()) << kWorkFolder << " stays"; }
    void TearDown() override { EXPECT_TRUE(RemoveWorkFolder()) << kWorkFolder << " stays"; }

    // The worked example's script written where a temporary folder on C: puts it.
    static PatchScriptLocation WriteWorkedExample(const std::string& temp = "C:\\windows") {
        const PatchScriptLocation location = LocatePatchScript(temp);
        WritePatchScript(location.ScriptPath, kWorkedExample);
        return location;
    }

    static KernelHandle OpenScript(DWORD access) {
        return KernelHandle(CreateFileA(kScript, access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
};

}  // namespace

TEST_F(PatchScriptWriterTest, CreatesTheWorkFolderOnTheTempDrive) {
    const PatchScriptLocation location = LocatePatchScript("C:\\windows\\temp");
    EXPECT_EQ(location.WorkFolder, "C:\\BrivokTemp\\");
    EXPECT_EQ(location.ScriptPath, "C:\\BrivokTemp\\PatchISO.bat");
    EXPECT_TRUE(FolderExists(kWorkFolder));
}

TEST_F(PatchScriptWriterTest, ReusesAnExistingWorkFolder) {
    ASSERT_TRUE(CreateDirectoryA(kWorkFolder, nullptr));
    ASSERT_TRUE(support::WriteFile(kKeepFile, "kept"));
    LocatePatchScript("C:\\windows");
    EXPECT_EQ(support::ReadFile(kKeepFile), "kept") << "the folder was not made anew";
}

TEST_F(PatchScriptWriterTest, CreatesOneLevelOnly) {
    // Only the work folder at the drive's root is made: never the folders of
    // the temporary path, never a drive's root. Where it cannot be made, the
    // write fails with the system's code.
    const char kFileInTheWay[] = "C:\\BrivokTemp";
    struct Case {
        const char* what;
        const char* temp;
        bool fileInTheWay;  // a file named like the work folder
        int errorCode;      // of the write; 0: written
    };
    const Case cases[] = {
        {"missing temp folders are not made", "C:\\brivok-missing\\deeper", false, 0},
        {"a drive that does not exist", "Q:\\missing", false, 3},
        {"a file named like the folder", "C:\\windows", true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(RemoveWorkFolder()) << kWorkFolder << " stays";
        if (c.fileInTheWay) {
            ASSERT_TRUE(support::WriteFile(kFileInTheWay, "a file"));
        }
        const PatchScriptLocation location = LocatePatchScript(c.temp);
        EXPECT_EQ(location.ScriptPath, std::string(1, c.temp[0]) + ":\\BrivokTemp\\PatchISO.bat");
        EXPECT_FALSE(FolderExists("C:\\brivok-missing"));
        int errorCode = 0;
        try {
            WritePatchScript(location.ScriptPath, kWorkedExample);
        } catch (const EInOutError& error) {
            errorCode = error.ErrorCode();
        }
        EXPECT_EQ(errorCode, c.errorCode);
        if (c.fileInTheWay) {
            EXPECT_EQ(support::ReadFile(kFileInTheWay), "a file") << "the file in the way stays";
            DeleteFileA(kFileInTheWay);
        }
    }
}

TEST_F(PatchScriptWriterTest, MissingTempFolderRaisesAClearError) {
    try {
        LocatePatchScript("", "C:\\brivok-no-such-folder");
        FAIL() << "no error raised";
    } catch (const EInOutError&) {
        FAIL() << "an input/output error does not say what is wrong";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(),
                  "The temporary-files folder C:\\brivok-no-such-folder does not exist; set TMP "
                  "or TEMP to an existing folder");
    }
    EXPECT_FALSE(FolderExists(kWorkFolder));
}

TEST_F(PatchScriptWriterTest, WritesTheWorkedExampleByteForByte) {
    WriteWorkedExample("C:\\windows\\temp");
    const std::string golden = support::ReadFile(BRIVOK_GOLDEN_DIR "/worked-example.bat");
    ASSERT_FALSE(golden.empty()) << "golden file missing";
    EXPECT_EQ(support::ReadFile(kScript), golden);
}

TEST_F(PatchScriptWriterTest, SecondWriteReplacesTheFirst) {
    const PatchScriptLocation location = LocatePatchScript("C:\\windows");
    PatchScriptNames longer = kWorkedExample;
    longer.oldName = "C:\\a much longer folder name than the second script has\\old.iso";
    WritePatchScript(location.ScriptPath, longer);
    const std::string first = support::ReadFile(kScript);
    WritePatchScript(location.ScriptPath, kWorkedExample);
    const std::string second = support::ReadFile(kScript);
    EXPECT_EQ(second, PatchScriptText(kWorkedExample, ToOemCodePage));
    EXPECT_LT(second.size(), first.size()) << "the file was emptied before writing";
}

TEST_F(PatchScriptWriterTest, ReadOnlyScriptGivesFileAccessDeniedAndStaysUnchanged) {
    const PatchScriptLocation location = WriteWorkedExample();
    const std::string before = support::ReadFile(kScript);
    ASSERT_TRUE(SetFileAttributesA(kScript, FILE_ATTRIBUTE_READONLY));
    PatchScriptNames other = kWorkedExample;
    other.oldName = "C:\\other.iso";
    try {
        WritePatchScript(location.ScriptPath, other);
        FAIL() << "a read-only script was overwritten";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), 5);
        EXPECT_EQ(WithFullStop(error.Message()), "File access denied.");
    }
    EXPECT_EQ(support::ReadFile(kScript), before);
}

TEST_F(PatchScriptWriterTest, ScriptHeldOpenForWritingIsRefused) {
    const PatchScriptLocation location = WriteWorkedExample();
    const KernelHandle writer = OpenScript(GENERIC_WRITE);
    ASSERT_TRUE(writer);
    EXPECT_THROW(WritePatchScript(location.ScriptPath, kWorkedExample), EInOutError)
        << "we share read access only, so another writer keeps us out";
}

TEST_F(PatchScriptWriterTest, ReadersMayOpenTheScriptMeanwhile) {
    const PatchScriptLocation location = WriteWorkedExample();
    const KernelHandle reader = OpenScript(GENERIC_READ);
    ASSERT_TRUE(reader);
    EXPECT_NO_THROW(WritePatchScript(location.ScriptPath, kWorkedExample));
}

TEST_F(PatchScriptWriterTest, NamesAreWrittenInTheOemCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the expected bytes below assume Western code pages";
    ASSERT_EQ(GetOEMCP(), 437u);
    EXPECT_EQ(ToOemCodePage("caf\xE9"), "caf\x82");
    const PatchScriptLocation location = LocatePatchScript("C:\\windows");
    const PatchScriptNames names = {"C:\\Outils\xE9\\bspatch.exe", "C:\\caf\xE9.iso",
                                    "C:\\caf\xE9-2.iso", "C:\\caf\xE9.bsdiff"};
    WritePatchScript(location.ScriptPath, names);
    const std::string script = support::ReadFile(kScript);
    EXPECT_NE(script.find("\r\nCD /D \"C:\\Outils\x82\\\"\r\n"), std::string::npos);
    EXPECT_NE(script.find("\r\n\"bspatch.exe\" \"C:\\caf\x82.iso\" \"C:\\caf\x82-2.iso\" "
                          "\"C:\\caf\x82.bsdiff\"\r\n"),
              std::string::npos);
    EXPECT_EQ(script.find('\xE9'), std::string::npos) << "no ANSI byte left";
}

TEST_F(PatchScriptWriterTest, ANameTheOemCodePageLacksIsRefusedAndNothingIsWritten) {
    // Letters of code page 1252 that page 437 lacks: the system would write
    // o, a and "-" instead, naming another file.
    ASSERT_EQ(GetACP(), 1252u) << "the letters below assume Western code pages";
    ASSERT_EQ(GetOEMCP(), 437u);
    const std::string oslash = "G\xF8teborg";   // ø
    const std::string atilde = "S\xE3o Paulo";  // ã
    const std::string endash = "5.0.5 \x96 5.0.6";
    struct Case {
        std::string PatchScriptNames::*name;
        std::string path;     // of that name
        std::string refused;  // the path the message names, when not `path`
        const char* letter;
    };
    const Case cases[] = {
        {&PatchScriptNames::BspatchPath, "C:\\" + oslash + "\\bspatch.exe", "C:\\" + oslash + "\\",
         "\xF8"},
        {&PatchScriptNames::oldName, "C:\\" + atilde + "\\a.iso", "", "\xE3"},
        {&PatchScriptNames::newName, "C:\\" + endash + ".iso", "", "\x96"},
        {&PatchScriptNames::diffName, "C:\\" + oslash + ".bsdiff", "", "\xF8"},
    };
    const PatchScriptLocation location = LocatePatchScript("C:\\windows");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        PatchScriptNames names = {"C:\\Tools\\bspatch.exe", "C:\\a.iso", "C:\\b.iso",
                                  "C:\\a.bsdiff"};
        names.*c.name = c.path;
        const std::string refused = c.refused.empty() ? c.path : c.refused;
        try {
            WritePatchScript(location.ScriptPath, names);
            ADD_FAILURE() << "written:\n" << support::ReadFile(kScript);
        } catch (const EInOutError& error) {
            ADD_FAILURE() << "an input/output error says nothing of the name: " << error.Message();
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "The patch script cannot name " + refused +
                                           ": the command interpreter reads it in code page 437, "
                                           "which lacks the letter " +
                                           c.letter + "; rename or move the file");
        }
        EXPECT_FALSE(support::Exists(kScript)) << "a script was made";
    }
    EXPECT_THROW(ToOemCodePage(oslash), Exception);
}

TEST_F(PatchScriptWriterTest, WorkFolderFollowsTheComponentsTempFolder) {
    // The main window's road: the component's Temp, then the work folder.
    char savedTmp[MAX_PATH] = {};
    const bool hadTmp = GetEnvironmentVariableA("TMP", savedTmp, MAX_PATH) > 0;
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", "c:\\windows\\temp\\"));
    TJvComputerInfoEx info(nullptr);
    const std::string temp = info.Folders()->Temp();
    SetEnvironmentVariableA("TMP", hadTmp ? savedTmp : nullptr);
    const PatchScriptLocation location = LocatePatchScript(temp);
    EXPECT_EQ(toupper(static_cast<unsigned char>(location.WorkFolder[0])), 'C');
    EXPECT_EQ(location.WorkFolder.substr(1), ":\\BrivokTemp\\");
    EXPECT_TRUE(FolderExists(kWorkFolder));
}

TEST_F(PatchScriptWriterTest, CmdRunsTheScriptWithAwkwardNamesOnAnotherDrive) {
    // The tool's folder is on Z: while the work folder is on C:; its name and
    // the image names hold a blank, "&", "%" and an "\xE9". A stand-in for
    // bspatch.exe reports what cmd made of the script.
    const std::string toolFolder = "Z:\\tmp\\brivok tools & 50% caf\xE9";
    support::ScratchFolder tools(toolFolder);
    support::ScratchFolder images("C:\\brivok img & 50% caf\xE9");
    ASSERT_TRUE(tools.Made()) << toolFolder;
    ASSERT_TRUE(images.Made()) << images.Path();
    const std::string bspatch = tools.File("bspatch.exe", support::ReadFile(BRIVOK_STANDIN));
    const std::string oldName = images.File("live %TEMP% 5.iso", "old");
    // A folder dropped on a field is taken with its trailing backslash.
    support::ScratchFolder dropped(images.Path() + "dropped 100%");
    ASSERT_TRUE(dropped.Made()) << dropped.Path();
    const std::string diffName = dropped.Path();
    const PatchScriptNames names = {bspatch, oldName, images.Path() + "new 6.iso", diffName};
    // The stand-in copies the old image to the new one after its report.
    DeleteFileA(names.newName.c_str());

    const PatchScriptLocation location = LocatePatchScript("C:\\windows\\temp");
    WritePatchScript(location.ScriptPath, names);
    SetEnvironmentVariableA("BRIVOK_RESULT_FOLDER", "C:\\BrivokTemp");
    // As the patch job runs it: hidden, in the work folder, waited for (here
    // on the main thread, which has no window to serve meanwhile).
    support::EnsureApplication();
    LaunchOutcome outcome;
    const bool ended = LaunchAndWait(location.ScriptPath, "", SW_HIDE, true, 30, &outcome);
    SetEnvironmentVariableA("BRIVOK_RESULT_FOLDER", nullptr);
    ASSERT_TRUE(ended && outcome.ended);
    ASSERT_EQ(outcome.exitCode, 0u);

    const std::string expected = "folder " + toolFolder + "\r\n" + "found " + oldName + "\r\n" +
                                 "missing " + names.newName + "\r\n" + "found " + diffName + "\r\n";
    EXPECT_EQ(support::ReadFile(kResultFile), expected);
}
