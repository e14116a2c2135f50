#include "app/PatchScriptWriter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "rtl/SysUtils.h"
#include "widgets/JvComputerInfoEx.h"

namespace {

const char kWorkFolder[] = "C:\\BrivokTemp\\";
const char kScript[] = "C:\\BrivokTemp\\PatchISO.bat";
const char kKeepFile[] = "C:\\BrivokTemp\\keep.txt";

const PatchScriptNames kWorkedExample = {
    "C:\\Tools\\bspatch.exe",
    "C:\\img\\live-5.0.5.iso",
    "C:\\img\\live-5.0.6.iso",
    "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff",
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool FolderExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveWorkFolder() {
    for (const char* file : {kScript, kKeepFile}) {
        SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file);
    }
    RemoveDirectoryA(kWorkFolder);
}

// Each test starts without C:\BrivokTemp and leaves none behind.
class PatchScriptWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveWorkFolder();
        ASSERT_FALSE(FolderExists(kWorkFolder));
    }
    void TearDown() override { RemoveWorkFolder(); }
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
    std::ofstream(kKeepFile) << "kept";
    LocatePatchScript("C:\\windows");
    EXPECT_EQ(ReadFile(kKeepFile), "kept") << "the folder was not made anew";
}

TEST_F(PatchScriptWriterTest, CreatesOneLevelOnly) {
    // The drive's root must exist; a drive that does not gives no folder and
    // the write then fails with the system's code.
    const PatchScriptLocation location = LocatePatchScript("Q:\\missing");
    EXPECT_EQ(location.ScriptPath, "Q:\\BrivokTemp\\PatchISO.bat");
    try {
        WritePatchScript(location.ScriptPath, kWorkedExample);
        FAIL() << "the script was written on a drive that does not exist";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), 3);
        EXPECT_EQ(error.Message(), "Invalid filename");
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
    const PatchScriptLocation location = LocatePatchScript("C:\\windows\\temp");
    WritePatchScript(location.ScriptPath, kWorkedExample);
    const std::string golden = ReadFile(BRIVOK_GOLDEN_DIR "/worked-example.bat");
    ASSERT_FALSE(golden.empty()) << "golden file missing";
    EXPECT_EQ(ReadFile(kScript), golden);
}

TEST_F(PatchScriptWriterTest, SecondWriteReplacesTheFirst) {
    const PatchScriptLocation location = LocatePatchScript("C:\\windows");
    PatchScriptNames longer = kWorkedExample;
    longer.oldName = "C:\\a much longer folder name than the second script has\\old.iso";
    WritePatchScript(location.ScriptPath, longer);
    const std::string first = ReadFile(kScript);
    WritePatchScript(location.ScriptPath, kWorkedExample);
    const std::string second = ReadFile(kScript);
    EXPECT_EQ(second, PatchScriptText(kWorkedExample, ToOemCodePage));
    EXPECT_LT(second.size(), first.size()) << "the file was emptied before writing";
}

TEST_F(PatchScriptWriterTest, ReadOnlyScriptGivesFileAccessDeniedAndStaysUnchanged) {
    const PatchScriptLocation location = LocatePatchScript("C:\\windows");
    WritePatchScript(location.ScriptPath, kWorkedExample);
    const std::string before = ReadFile(kScript);
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
    EXPECT_EQ(ReadFile(kScript), before);
}

TEST_F(PatchScriptWriterTest, ScriptHeldOpenForWritingIsRefused) {
    const PatchScriptLocation location = LocatePatchScript("C:\\windows");
    WritePatchScript(location.ScriptPath, kWorkedExample);
    HANDLE writer = CreateFileA(kScript, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_THROW(WritePatchScript(location.ScriptPath, kWorkedExample), EInOutError)
        << "we share read access only, so another writer keeps us out";
    CloseHandle(writer);
}

TEST_F(PatchScriptWriterTest, ReadersMayOpenTheScriptMeanwhile) {
    const PatchScriptLocation location = LocatePatchScript("C:\\windows");
    WritePatchScript(location.ScriptPath, kWorkedExample);
    HANDLE reader = CreateFileA(kScript, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_NO_THROW(WritePatchScript(location.ScriptPath, kWorkedExample));
    CloseHandle(reader);
}

TEST_F(PatchScriptWriterTest, NamesAreWrittenInTheOemCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the expected bytes below assume Western code pages";
    ASSERT_EQ(GetOEMCP(), 437u);
    EXPECT_EQ(ToOemCodePage("caf\xE9"), "caf\x82");
    const PatchScriptLocation location = LocatePatchScript("C:\\windows");
    const PatchScriptNames names = {"C:\\Outils\xE9\\bspatch.exe", "C:\\caf\xE9.iso",
                                    "C:\\caf\xE9-2.iso", "C:\\caf\xE9.bsdiff"};
    WritePatchScript(location.ScriptPath, names);
    const std::string script = ReadFile(kScript);
    EXPECT_NE(script.find("\r\nCD /D \"C:\\Outils\x82\\\"\r\n"), std::string::npos);
    EXPECT_NE(script.find("\r\n\"bspatch.exe\" \"C:\\caf\x82.iso\" \"C:\\caf\x82-2.iso\" "
                          "\"C:\\caf\x82.bsdiff\"\r\n"),
              std::string::npos);
    EXPECT_EQ(script.find('\xE9'), std::string::npos) << "no ANSI byte left";
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
