#include <gtest/gtest.h>

#include <climits>

#include "process/ImageNameMatch.h"
#include "process/LaunchCommandLine.h"

namespace {

TEST(LaunchCommandLine, QuotesThePathAndAppendsTheParameters) {
    struct Case {
        const char* path;
        const char* parameters;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\BrivokTemp\\PatchISO.bat", "", "\"C:\\BrivokTemp\\PatchISO.bat\" "},
        {"C:\\My Tools\\x.exe", "-a \"b c\"", "\"C:\\My Tools\\x.exe\" -a \"b c\""},
        {"x.exe", "  two blanks", "\"x.exe\"   two blanks"},
        {"", "", "\"\" "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(LaunchCommandLine(c.path, c.parameters), c.expected);
    }
}

TEST(LaunchCommandLine, TurnsTheTimeOutIntoAWaitThatNeverWrapsRound) {
    struct Case {
        int seconds;
        std::uint32_t milliseconds;
    };
    const Case cases[] = {
        {0, kWaitForever},
        {-1, kWaitForever},
        {INT_MIN, kWaitForever},
        {1, 1000},
        {5, 5000},
        {2147483, 2147483000u},
        {2147484, 2147484000u},
        {4294967, 4294967000u},
        {4294968, kWaitForever - 1},
        {INT_MAX, kWaitForever - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(LaunchWaitMilliseconds(c.seconds), c.milliseconds);
    }
}

TEST(ImageNameMatch, ComparesTheFilePartOrTheWholeNameIgnoringAsciiCase) {
    struct Case {
        const char* exeFile;
        const char* imageName;
        bool matches;
    };
    const Case cases[] = {
        {"bspatch.exe", "bspatch.exe", true},
        {"BSPATCH.EXE", "bspatch.exe", true},
        {"C:\\Tools\\BsPatch.Exe", "bspatch.exe", true},
        {"C:BsPatch.exe", "bspatch.exe", true},
        {"C:\\Tools\\bspatch.exe", "c:\\tools\\BSPATCH.exe", true},
        {"bspatch.exe.old", "bspatch.exe", false},
        {"xbspatch.exe", "bspatch.exe", false},
        {"bspatch", "bspatch.exe", false},
        {"caf\xc9.exe", "caf\xe9.exe", false},
        {"caf\xe9.exe", "CAF\xe9.EXE", true},
        {"C:\\Tools\\", "", true},
        {"bspatch.exe", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.exeFile) + " / " + c.imageName);
        EXPECT_EQ(ImageNameMatches(c.exeFile, c.imageName), c.matches);
    }
}

}  // namespace
