#include "rtl/Dialogs.h"

#include <commdlg.h>

#include <cstring>
#include <vector>

#include "rtl/DialogFilter.h"

namespace {

// What the dialog wrote into its buffer. One name is a full path. Several
// are the folder, then each name, every part ended by a NUL and the list by
// a second one.
std::vector<std::string> ChosenFiles(const char* buffer, bool multiSelect) {
    const char* next = buffer + std::strlen(buffer) + 1;
    if (!multiSelect || *next == '\0') {
        return {buffer};
    }
    std::string folder = buffer;
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    std::vector<std::string> files;
    for (; *next != '\0'; next += std::strlen(next) + 1) {
        files.push_back(folder + next);
    }
    return files;
}

}  // namespace

bool TOpenDialog::Execute() {
    const std::string filter = DialogFilterList(Filter);
    // Room for a long path (or many names); the dialog fails rather than
    // overrun it.
    std::vector<char> file(32768, '\0');
    FileName.copy(file.data(), file.size() - 1);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(FilterIndex);
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    dialog.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    dialog.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    dialog.Flags = Options | OFN_EXPLORER;
    if (!Show(dialog)) {
        return false;
    }
    Files = ChosenFiles(file.data(), (Options & ofAllowMultiSelect) != 0);
    FileName = Files.front();
    FilterIndex = static_cast<int>(dialog.nFilterIndex);
    return true;
}

BOOL TOpenDialog::Show(OPENFILENAMEA& dialog) {
    return GetOpenFileNameA(&dialog);
}

BOOL TSaveDialog::Show(OPENFILENAMEA& dialog) {
    return GetSaveFileNameA(&dialog);
}
