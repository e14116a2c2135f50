#include "widgets/JvComputerInfoEx.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "rtl/ComPtr.h"
#include "rtl/PathUtils.h"

namespace {

// Saves TMP, TEMP and the current folder, and puts them back afterwards, so
// that no test sees what another one set.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        tmp_ = Variable("TMP");
        temp_ = Variable("TEMP");
        char folder[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, folder);
        currentFolder_ = folder;
    }
    void TearDown() override {
        SetVariable("TMP", tmp_);
        SetVariable("TEMP", temp_);
        SetCurrentDirectoryA(currentFolder_.c_str());
    }

    static std::optional<std::string> Variable(const char* name) {
        char value[32768];
        DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
        if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return std::nullopt;
        }
        return std::string(value, length);
    }
    static void SetVariable(const char* name, const std::optional<std::string>& value) {
        SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
    }

    // The tool reads the folder through the component, as the main window does.
    std::string Temp() { return info_.Folders()->Temp(); }

    TJvComputerInfoEx info_{nullptr};

private:
    std::optional<std::string> tmp_, temp_;
    std::string currentFolder_;
};

// Long forms keep the case the file system has; compare as Windows would.
::testing::AssertionResult SameFolder(const std::string& actual, const std::string& expected) {
    if (UpperCaseAscii(actual) == UpperCaseAscii(expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << actual << "\" is not \"" << expected << "\"";
}

// Whether the shell's desktop folder parses `name` (ASCII) into an item: a
// probe of the shell itself, beside the component under test.
bool ShellParses(const std::string& name) {
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) {
        return false;
    }
    std::wstring wide(name.begin(), name.end());
    PIDLIST_RELATIVE item = nullptr;
    const bool parsed = SUCCEEDED(
        desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &item, nullptr));
    CoTaskMemFree(item);
    return parsed;
}

}  // namespace

TEST_F(TempFolderTest, FoldersObjectIsMadeOnceAndKept) {
    TJvSystemFolders* first = info_.Folders();
    EXPECT_EQ(info_.Folders(), first);
    EXPECT_FALSE(first->TrailingPathDelimiter());
}

TEST_F(TempFolderTest, TakesTmpThenTempThenTheCurrentFolder) {
    struct Case {
        const char* what;
        const char* tmp;   // nullptr: unset
        const char* temp;  // nullptr: unset
        const char* expected;
    };
    const Case cases[] = {
        {"TMP wins over TEMP", "C:\\windows", "Z:\\tmp", "C:\\windows"},
        {"TEMP when TMP is unset", nullptr, "Z:\\tmp", "Z:\\tmp"},
        {"an empty TMP counts as unset", "", "Z:\\tmp", "Z:\\tmp"},
        {"the current folder when both are unset", nullptr, nullptr, "C:\\windows\\system32"},
        {"the current folder when both are empty", "", "", "C:\\windows\\system32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows\\system32"));
        SetEnvironmentVariableA("TMP", c.tmp);
        SetEnvironmentVariableA("TEMP", c.temp);
        EXPECT_TRUE(SameFolder(Temp(), c.expected));
    }
}

TEST_F(TempFolderTest, RemovesOneTrailingBackslash) {
    SetEnvironmentVariableA("TEMP", nullptr);
    SetEnvironmentVariableA("TMP", "C:\\windows\\");
    EXPECT_TRUE(SameFolder(Temp(), "C:\\windows"));
    SetEnvironmentVariableA("TMP", "C:\\");
    EXPECT_TRUE(SameFolder(Temp(), "C:"));
}

TEST_F(TempFolderTest, IsEmptyWhenTheFolderDoesNotExist) {
    SetEnvironmentVariableA("TMP", "C:\\brivok-no-such-folder");
    SetEnvironmentVariableA("TEMP", "C:\\windows");
    EXPECT_EQ(Temp(), "") << "TMP names a missing folder; TEMP is not tried";
    EXPECT_EQ(info_.Folders()->TempSource(), "C:\\brivok-no-such-folder");
}

TEST_F(TempFolderTest, ShortNameBecomesItsLongForm) {
    const std::string longFolder = "C:\\Brivok long folder name for short names";
    CreateDirectoryA(longFolder.c_str(), nullptr);
    char shortName[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(longFolder.c_str(), shortName, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || longFolder == shortName) {
        RemoveDirectoryA(longFolder.c_str());
        GTEST_SKIP() << "this file system gives no short 8.3 name for " << longFolder;
    }
    SetEnvironmentVariableA("TMP", shortName);
    const std::string temp = Temp();
    RemoveDirectoryA(longFolder.c_str());
    EXPECT_TRUE(SameFolder(temp, longFolder)) << "short name " << shortName;
}

TEST_F(TempFolderTest, ShellPathThatCannotBeParsedIsKept) {
    // "::" inside a file-system path that does not exist: the shell refuses it.
    SetEnvironmentVariableA("TMP", "C:\\brivok-missing::x\\");
    EXPECT_EQ(Temp(), "C:\\brivok-missing::x") << "kept, less one backslash";
}

TEST_F(TempFolderTest, ShellItemThatIsNoFolderGivesNoFolder) {
    // Windows refuses an unknown class id, and the path is then kept; Wine
    // parses any "::" name into an item and reports its "::{...}" name as
    // its path, which must not be taken for a folder.
    const std::string unknown = "::{00000000-0000-0000-0000-00000000BEEF}";
    const bool parsed = ShellParses(unknown);
    SetEnvironmentVariableA("TMP", unknown.c_str());
    EXPECT_EQ(Temp(), parsed ? "" : unknown)
        << (parsed ? "parsed" : "not parsed") << " by the shell";
}

TEST_F(TempFolderTest, ShellPathOfAFileSystemFolderGivesThatFolder) {
    // "My Computer\C:\windows" as a parsing name: a file-system folder under a
    // shell namespace item.
    const std::string shellPath = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\C:\\windows";
    if (!ShellParses(shellPath)) {
        GTEST_SKIP() << "this shell does not parse " << shellPath;
    }
    SetEnvironmentVariableA("TMP", shellPath.c_str());
    EXPECT_TRUE(SameFolder(Temp(), "C:\\windows"));
}

TEST_F(TempFolderTest, ShellItemWithoutAFolderGivesNoFolder) {
    const std::string myComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    if (!ShellParses(myComputer)) {
        GTEST_SKIP() << "this shell does not parse " << myComputer;
    }
    SetEnvironmentVariableA("TMP", myComputer.c_str());
    EXPECT_EQ(Temp(), "") << "My Computer has no file-system path";
}
