#include "app/PatchScript.h"

#include <gtest/gtest.h>

#include "WorkedExample.h"
#include "support/Files.h"

namespace {

std::string Identity(const std::string& text) {
    return text;
}

}  // namespace

TEST(PatchScript, WorkedExampleMatchesTheGoldenFileByteForByte) {
    const std::string golden = support::ReadFile(BRIVOK_GOLDEN_DIR "/worked-example.bat");
    ASSERT_FALSE(golden.empty()) << "golden file missing";
    EXPECT_EQ(PatchScriptText(kWorkedExample, Identity), golden);
}

TEST(PatchScript, HasThirtyOneLinesEachEndedByCrLf) {
    const std::string text = PatchScriptText(kWorkedExample, Identity);
    int lineEnds = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
            ++lineEnds;
        } else if (text[i] == '\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    EXPECT_EQ(lineEnds, kPatchScriptLineCount);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "the last line is ended too";
}

TEST(PatchScript, BannerKeepsItsFrameEightyCharactersWide) {
    const std::vector<std::string> lines = PatchScriptLines(kWorkedExample, Identity);
    ASSERT_EQ(lines.size(), 31u);
    const std::string border = "REM " + std::string(76, '#');
    const std::string emptyFrame = "REM ##" + std::string(72, ' ') + "##";
    EXPECT_EQ(lines[0], "@ECHO OFF");
    for (int number = 2; number <= 28; ++number) {
        SCOPED_TRACE("line " + std::to_string(number));
        const std::string& line = lines[number - 1];
        EXPECT_EQ(line.size(), 80u);
        EXPECT_EQ(line.substr(line.size() - 2), "##");
        EXPECT_EQ(line.substr(0, 7), number == 7                     ? "REm ## "
                                     : (number == 2 || number == 28) ? "REM ###"
                                                                     : "REM ## ");
    }
    EXPECT_EQ(lines[1], border);
    EXPECT_EQ(lines[27], border);
    for (int number : {3, 5, 8, 10, 15, 20, 25, 27}) {
        EXPECT_EQ(lines[number - 1], emptyFrame) << "line " << number;
    }
    // Our own wording in the framed lines must not be an empty frame.
    for (int number : {9, 11, 12, 13, 14, 16, 17, 18, 19, 21, 22, 23, 24, 26}) {
        EXPECT_NE(lines[number - 1], emptyFrame) << "line " << number;
    }
    EXPECT_EQ(lines[17].substr(80 - 12), "PURPOSE.  ##") << "two blanks after PURPOSE.";
    EXPECT_EQ(lines[28], "");
}

TEST(PatchScript, NamesAreQuotedAndPercentSignsDoubled) {
    struct Case {
        const char* what;
        PatchScriptNames names;
        const char* cdLine;
        const char* callLine;
    };
    const Case cases[] = {
        {"blank in every path",
         {"C:\\My Tools\\bspatch.exe", "C:\\my img\\a b.iso", "C:\\my img\\a c.iso",
          "D:\\dl x\\a b-to-c.bsdiff"},
         "CD /D \"C:\\My Tools\\\"",
         "\"bspatch.exe\" \"C:\\my img\\a b.iso\" \"C:\\my img\\a c.iso\" "
         "\"D:\\dl x\\a b-to-c.bsdiff\""},
        {"ampersand",
         {"C:\\Tools & Co\\bspatch.exe", "C:\\R&D\\a.iso", "C:\\R&D\\b.iso", "C:\\R&D\\a.bsdiff"},
         "CD /D \"C:\\Tools & Co\\\"",
         "\"bspatch.exe\" \"C:\\R&D\\a.iso\" \"C:\\R&D\\b.iso\" \"C:\\R&D\\a.bsdiff\""},
        {"percent signs",
         {"C:\\100%\\bspatch.exe", "C:\\%TEMP%\\a.iso", "C:\\%TEMP%\\b.iso", "C:\\5%\\a.bsdiff"},
         "CD /D \"C:\\100%%\\\"",
         "\"bspatch.exe\" \"C:\\%%TEMP%%\\a.iso\" \"C:\\%%TEMP%%\\b.iso\" \"C:\\5%%\\a.bsdiff\""},
        {"letter outside ASCII stays for the converter",
         {"C:\\Outils\xE9\\bspatch.exe", "C:\\caf\xE9.iso", "C:\\caf\xE9-2.iso",
          "C:\\caf\xE9.bsdiff"},
         "CD /D \"C:\\Outils\xE9\\\"",
         "\"bspatch.exe\" \"C:\\caf\xE9.iso\" \"C:\\caf\xE9-2.iso\" \"C:\\caf\xE9.bsdiff\""},
        {"a folder's trailing backslashes doubled, so that the quote still closes it",
         {"C:\\T\\bspatch.exe", "C:\\img\\", "C:\\img\\b.iso", "D:\\dl\\\\"},
         "CD /D \"C:\\T\\\"",
         "\"bspatch.exe\" \"C:\\img\\\\\" \"C:\\img\\b.iso\" \"D:\\dl\\\\\\\\\""},
        {"empty names give empty quotes",
         {"C:\\T\\bspatch.exe", "", "", ""},
         "CD /D \"C:\\T\\\"",
         "\"bspatch.exe\" \"\" \"\" \"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> lines = PatchScriptLines(c.names, Identity);
        ASSERT_EQ(lines.size(), 31u);
        EXPECT_EQ(lines[29], c.cdLine);
        EXPECT_EQ(lines[30], c.callLine);
    }
}

TEST(PatchScript, OnlyTheLinesWithNamesGoThroughTheConverter) {
    std::vector<std::string> seen;
    const CodePageConverter marking = [&](const std::string& text) {
        seen.push_back(text);
        return "<" + text + ">";
    };
    const PatchScriptNames names = {"C:\\50%\\bspatch.exe", "a", "b", "c"};
    const std::vector<std::string> converted = PatchScriptLines(names, marking);
    const std::vector<std::string> plain = PatchScriptLines(names, Identity);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "CD /D \"C:\\50%%\\\"") << "percent signs doubled before converting";
    for (int i = 0; i < 29; ++i) {
        EXPECT_EQ(converted[i], plain[i]) << "line " << i + 1;
    }
    EXPECT_EQ(converted[29], "<" + plain[29] + ">");
    EXPECT_EQ(converted[30], "<" + plain[30] + ">");
}

TEST(PatchScript, FramedLinePadsAndCutsToTheFrame) {
    EXPECT_EQ(FramedLine("x"), "REM ## x" + std::string(70, ' ') + "##");
    EXPECT_EQ(FramedLine(std::string(71, 'y')), "REM ## " + std::string(71, 'y') + "##");
    EXPECT_EQ(FramedLine(std::string(90, 'z')).size(), 80u);
}

TEST(PatchScript, DoublesEveryPercentSign) {
    EXPECT_EQ(DoublePercentSigns(""), "");
    EXPECT_EQ(DoublePercentSigns("%"), "%%");
    EXPECT_EQ(DoublePercentSigns("a%%b%"), "a%%%%b%%");
    EXPECT_EQ(DoublePercentSigns("no sign"), "no sign");
}

TEST(PatchScript, WorkFolderTakesTheFirstCharacterAsTheDrive) {
    EXPECT_EQ(WorkFolderFor("C:\\Users\\me\\AppData\\Local\\Temp"), "C:\\BrivokTemp\\");
    EXPECT_EQ(WorkFolderFor("d:"), "d:\\BrivokTemp\\");
    // A network path has no drive: the folder made from it cannot be created.
    EXPECT_EQ(WorkFolderFor("\\\\server\\share\\tmp"), "\\:\\BrivokTemp\\");
}
