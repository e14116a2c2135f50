#include "rtl/Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "rtl/DialogFilter.h"

bool TOpenDialog::Execute() {
    const std::string filter = DialogFilterList(Filter);
    // Room for a long path; the dialog fails rather than overrun it.
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
    if (!GetOpenFileNameA(&dialog)) {
        return false;
    }
    FileName = file.data();
    Files.assign(1, FileName);
    FilterIndex = static_cast<int>(dialog.nFilterIndex);
    return true;
}
