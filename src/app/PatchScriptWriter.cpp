#include "app/PatchScriptWriter.h"

#include <windows.h>

#include "app/OemCodePage.h"
#include "rtl/PathUtils.h"
#include "rtl/SysUtils.h"
#include "rtl/WinHandles.h"

namespace {

[[noreturn]] void RaiseLastInOutError() {
    throw EInOutError(static_cast<int>(GetLastError()));
}

void WriteChecked(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        RaiseLastInOutError();
    }
    if (written != bytes.size()) {
        throw EInOutError(101);  // a short write: the disk is full
    }
}

// A name that cmd would read as another one (a best-fitted letter) is
// refused before anything is written, naming the path.
void RefuseNamesWithoutOemForm(const PatchScriptNames& names) {
    const std::string toolFolder = ExtractFilePath(names.BspatchPath);
    for (const std::string* path : {&toolFolder, &names.oldName, &names.newName, &names.diffName}) {
        const OemConversion oem = ConvertToOemCodePage(*path);
        if (oem.exact) {
            continue;
        }
        const std::string letter =
            oem.missingLetter.empty() ? "one of its letters" : "the letter " + oem.missingLetter;
        throw Exception(
            Format("The patch script cannot name %s: the command interpreter reads "
                   "it in code page %u, which lacks %s; rename or move the file",
                   path->c_str(), GetOEMCP(), letter.c_str()));
    }
}

}  // namespace

std::string ToOemCodePage(const std::string& text) {
    const OemConversion oem = ConvertToOemCodePage(text);
    if (!oem.exact) {
        throw Exception("The patch script cannot hold " + text);
    }
    return oem.text;
}

PatchScriptLocation LocatePatchScript(const std::string& tempFolder,
                                      const std::string& unresolvedTemp) {
    // Without a folder there is no drive letter to take; say so plainly
    // instead of writing to a drive that happens to be named by garbage.
    if (tempFolder.empty()) {
        const std::string which = unresolvedTemp.empty() ? "" : " " + unresolvedTemp;
        throw Exception("The temporary-files folder" + which +
                        " does not exist; set TMP or TEMP to an existing folder");
    }
    PatchScriptLocation location;
    location.WorkFolder = WorkFolderFor(tempFolder);
    location.ScriptPath = location.WorkFolder + kPatchScriptName;
    const DWORD attributes = GetFileAttributesA(location.WorkFolder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CreateDirectoryA(location.WorkFolder.c_str(), nullptr);  // failure shows when writing
    }
    return location;
}

void WritePatchScript(const std::string& scriptPath, const PatchScriptNames& names) {
    // The names are read once, before the file is opened.
    RefuseNamesWithoutOemForm(names);
    const std::vector<std::string> lines = PatchScriptLines(names, ToOemCodePage);
    // Windows refuses to replace a read-only file with access denied. Wine
    // run by root does not (root passes the Unix permission test), so the
    // attribute is asked first to keep the answer the same everywhere.
    const DWORD attributes = GetFileAttributesA(scriptPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        throw EInOutError(ERROR_ACCESS_DENIED);
    }
    KernelHandle file(CreateFileA(scriptPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        RaiseLastInOutError();
    }
    for (const std::string& line : lines) {
        WriteChecked(file.Get(), line + kLineEnd);
    }
    if (!CloseHandle(file.Release())) {
        RaiseLastInOutError();
    }
}
