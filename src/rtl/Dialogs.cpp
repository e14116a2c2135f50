#include "rtl/Dialogs.h"

#include <commdlg.h>

#include <cstring>
#include <vector>

#include "rtl/DialogFilter.h"

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
    // One name is a full path. Several are the folder, then each name, every
    // part ended by a NUL and the list by a second one.
    const char* first = file.data();
    const char* next = first + std::strlen(first) + 1;
    Files.clear();
    if ((Options & ofAllowMultiSelect) != 0 && *next != '\0') {
        std::string folder = first;
        if (!folder.empty() && folder.back() != '\\') {
            folder += '\\';
        }
        for (; *next != '\0'; next += std::strlen(next) + 1) {
            Files.push_back(folder + next);
        }
    } else {
        Files.push_back(first);
    }
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
