// The text of PatchISO.bat, the batch script that a Patch click writes and
// the patch job runs. Portable: writing the file is PatchScriptWriter's job.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The names that go into one script, as the main window holds them.
struct PatchScriptNames {
    std::string BspatchPath;  // full path of bspatch.exe in the tool's folder
    std::string oldName;      // FileName of the old-image field
    std::string newName;      // FileName of the new-image field
    std::string diffName;     // FileName of the diff-file field
};

// Turns text of the system (ANSI) code page into the OEM code page, in which
// cmd reads a batch file. The Windows side passes an exact conversion that
// raises where the OEM page lacks a letter; the identity keeps pure-ASCII
// paths as they are.
using CodePageConverter = std::function<std::string(const std::string&)>;

inline constexpr int kPatchScriptLineCount = 31;
inline constexpr int kFrameWidth = 80;
inline constexpr char kLineEnd[] = "\r\n";
inline constexpr char kWorkFolderName[] = ":\\BrivokTemp\\";
inline constexpr char kPatchScriptName[] = "PatchISO.bat";

// The 31 lines of the script, without line ends. Lines 30 and 31 carry the
// names: every "%" doubled (cmd expands it even inside quotes), on line 31
// the trailing backslashes of each name doubled (so that bspatch.exe reads
// exactly three arguments), then converted by `toOem`. Lines 1 to 29 are
// fixed ASCII.
std::vector<std::string> PatchScriptLines(const PatchScriptNames& names,
                                          const CodePageConverter& toOem);

// The whole script: every line, the last one too, followed by CR LF.
std::string PatchScriptText(const PatchScriptNames& names, const CodePageConverter& toOem);

// "REM ## " + text padded with blanks to 71 characters + "##". Text longer
// than 71 characters would break the frame and is cut.
std::string FramedLine(std::string_view text);

// Every "%" doubled, so that cmd reads it as one literal "%".
std::string DoublePercentSigns(std::string_view text);

// The work folder on the drive of the temporary-files folder: its first
// character followed by ":\BrivokTemp\". The folder must not be empty.
std::string WorkFolderFor(const std::string& tempFolder);
