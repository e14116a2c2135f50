// Writes PatchISO.bat into the work folder on the temporary-files drive: the
// file side of a Patch click. The text itself comes from PatchScript.
//
// A click uses it so:
//     TJvSystemFolders* folders = JvComputerInfoEx1->Folders();
//     const PatchScriptLocation location =
//         LocatePatchScript(folders->Temp(), folders->TempSource());
//     WorkFolder = location.WorkFolder;
//     ScriptPath = location.ScriptPath;
//     WritePatchScript(ScriptPath, {BspatchPath, oldName, newName, diffName});
// Both raise; the message loop shows the message and the tool goes on.
#pragma once

#include <string>

#include "app/PatchScript.h"

// Where a Patch click puts its script; the main window keeps both values in
// its fields of the same names.
struct PatchScriptLocation {
    std::string WorkFolder;  // drive letter + ":\BrivokTemp\"
    std::string ScriptPath;  // WorkFolder + "PatchISO.bat"
};

// Computes the work folder on the drive of `tempFolder` (the Temp of the
// computer-information component's Folders) and creates it, one level, when
// it is missing. A creation that fails is not reported here: writing the
// script then fails with the system's code.
//
// An empty `tempFolder` means that the temporary-files folder does not exist;
// that raises Exception with a message naming `unresolvedTemp` (the value it
// came from, may be empty), which the message loop shows, and nothing is
// created.
PatchScriptLocation LocatePatchScript(const std::string& tempFolder,
                                      const std::string& unresolvedTemp = {});

// Writes the 31-line script to `scriptPath`, creating the file or emptying an
// existing one; other programs may read it meanwhile but not write it.
// Lines 30 and 31 are converted to the OEM code page, in which cmd reads a
// batch file. A name that the OEM page cannot hold exactly (the tool's
// folder, or one of the three names) raises Exception naming that path,
// before the file is touched. Every open, write and close is checked: a
// failure raises EInOutError with the system's error code ("File access
// denied" for a read-only file), the lines after it are not written and the
// file is closed.
void WritePatchScript(const std::string& scriptPath, const PatchScriptNames& names);

// Text of the ANSI code page converted exactly to the OEM code page; raises
// Exception when a letter has no OEM form.
std::string ToOemCodePage(const std::string& text);
