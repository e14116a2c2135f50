#include "widgets/JvComputerInfoEx.h"

#include <windows.h>
#include <shlobj.h>

#include <type_traits>
#include <utility>

#include "rtl/ComPtr.h"

namespace {

using GetLongPathNameAFunc = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
// The cast from GetProcAddress hides the calling convention: a lost WINAPI
// would fail here in the 32-bit build instead of crashing at the call.
static_assert(std::is_same_v<decltype(&GetLongPathNameA), GetLongPathNameAFunc>);

// Owns a shell item id list, which the shell's task allocator made.
class PidlHolder {
public:
    PidlHolder() = default;
    PidlHolder(const PidlHolder&) = delete;
    PidlHolder& operator=(const PidlHolder&) = delete;
    ~PidlHolder() { CoTaskMemFree(pidl_); }
    PCIDLIST_ABSOLUTE Get() const { return pidl_; }
    PIDLIST_RELATIVE* Out() { return reinterpret_cast<PIDLIST_RELATIVE*>(&pidl_); }

private:
    PIDLIST_ABSOLUTE pidl_ = nullptr;
};

std::string EnvironmentVariable(const char* name) {
    std::string value(MAX_PATH, '\0');
    DWORD length = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (length >= value.size()) {  // too small: length is the size needed
        value.resize(length);
        length = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
        if (length >= value.size()) {
            return {};  // changed under us; treat as unset
        }
    }
    value.resize(length);
    return value;
}

std::string CurrentFolder() {
    DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string folder(size, '\0');
    DWORD length = GetCurrentDirectoryA(size, folder.data());
    folder.resize(length < size ? length : 0);
    return folder;
}

// A "::" path names a shell namespace item; the desktop folder resolves it.
// An item without a file-system folder gives an empty folder, so that the
// caller reports a missing folder instead of taking ":" as a drive.
std::string ShellPathForm(const std::string& path) {
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) {
        return path;
    }
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) {
        return path;
    }
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), wideLength);
    PidlHolder pidl;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, pidl.Out(),
                                         nullptr))) {
        return path;
    }
    // Some shells (Wine's) hand back the item's own "::{...}" name for an
    // item that is no folder; only an existing folder counts.
    char buffer[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(pidl.Get(), buffer)) {
        return {};
    }
    const DWORD attributes = GetFileAttributesA(buffer);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return {};
    }
    return buffer;
}

// Looked up at run time: the service is missing from the oldest systems, and
// kernel32.dll is loaded in every process.
GetLongPathNameAFunc LongPathService() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<GetLongPathNameAFunc>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetLongPathNameA")));
}

}  // namespace

std::string LongPathForm(const std::string& path) {
    if (path.find("::") != std::string::npos) {
        return ShellPathForm(path);
    }
    GetLongPathNameAFunc getLongPathName = LongPathService();
    if (getLongPathName == nullptr) {
        return ShellPathForm(path);
    }
    char buffer[MAX_PATH] = {};
    const DWORD length = getLongPathName(path.c_str(), buffer, MAX_PATH);
    if (length == 0) {
        return {};  // the folder does not exist
    }
    if (length >= MAX_PATH) {
        // The long form does not fit; the folder exists, so its own name
        // still gives the right drive.
        return path;
    }
    return std::string(buffer, length);
}

std::string TJvSystemFolders::TempSource() const {
    std::string folder = EnvironmentVariable("TMP");
    if (folder.empty()) {
        folder = EnvironmentVariable("TEMP");
    }
    if (folder.empty()) {
        folder = CurrentFolder();
    }
    return folder;
}

std::string TJvSystemFolders::Temp() const {
    std::string folder = TempSource();
    if (!folder.empty()) {
        folder = LongPathForm(folder);
    }
    if (!trailingPathDelimiter_ && !folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

TJvSystemFolders* TJvComputerInfoEx::Folders() {
    if (!folders_) {
        folders_ = std::make_unique<TJvSystemFolders>();
    }
    return folders_.get();
}
