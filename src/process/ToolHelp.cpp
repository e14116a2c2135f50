#include "process/ToolHelp.h"

#include <type_traits>

#include "rtl/WinHandles.h"

#ifndef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 296, "the 32-bit process entry");
#endif

namespace {

// The sixteen entry points of the service, in the module's own order.
enum EntryPoint {
    kCreateToolhelp32Snapshot,
    kHeap32ListFirst,
    kHeap32ListNext,
    kHeap32First,
    kHeap32Next,
    kToolhelp32ReadProcessMemory,
    kProcess32First,
    kProcess32Next,
    kProcess32FirstW,
    kProcess32NextW,
    kThread32First,
    kThread32Next,
    kModule32First,
    kModule32Next,
    kModule32FirstW,
    kModule32NextW,
    kEntryPointCount
};

constexpr const char* kEntryPointNames[kEntryPointCount] = {"CreateToolhelp32Snapshot",
                                                            "Heap32ListFirst",
                                                            "Heap32ListNext",
                                                            "Heap32First",
                                                            "Heap32Next",
                                                            "Toolhelp32ReadProcessMemory",
                                                            "Process32First",
                                                            "Process32Next",
                                                            "Process32FirstW",
                                                            "Process32NextW",
                                                            "Thread32First",
                                                            "Thread32Next",
                                                            "Module32First",
                                                            "Module32Next",
                                                            "Module32FirstW",
                                                            "Module32NextW"};

using CreateSnapshotProc = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkProc = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
// The compiler cannot check a pointer cast from GetProcAddress: pin each type
// to the SDK's declaration, so that a lost WINAPI (cdecl on i686, a crash at
// the first call) fails the 32-bit build instead.
static_assert(std::is_same_v<decltype(&CreateToolhelp32Snapshot), CreateSnapshotProc>);
static_assert(std::is_same_v<decltype(&Process32First), ProcessWalkProc>);
static_assert(std::is_same_v<decltype(&Process32Next), ProcessWalkProc>);

struct ToolHelpTable {
    CriticalSection lock;
    HMODULE kernel = nullptr;
    FARPROC entries[kEntryPointCount] = {};
};

// Looks the entry points up on first use; returns the table when the service
// is there (module found and the snapshot entry point present).
const ToolHelpTable* ToolHelp() {
    static ToolHelpTable table;
    CriticalSection::Guard guard(table.lock);
    if (table.kernel == nullptr) {
        // Already loaded in every process: found by handle, never loaded or freed.
        table.kernel = GetModuleHandleA("kernel32.dll");
        if (table.kernel != nullptr) {
            for (int i = 0; i < kEntryPointCount; ++i) {
                table.entries[i] = GetProcAddress(table.kernel, kEntryPointNames[i]);
            }
        }
    }
    const bool available =
        table.kernel != nullptr && table.entries[kCreateToolhelp32Snapshot] != nullptr;
    return available ? &table : nullptr;
}

template <typename Proc>
Proc Entry(const ToolHelpTable* table, EntryPoint which) {
    // Through the generic function type, which the compiler accepts for any cast.
    using Generic = void (*)();
    return table == nullptr
               ? nullptr
               : reinterpret_cast<Proc>(reinterpret_cast<Generic>(table->entries[which]));
}

}  // namespace

HANDLE ToolHelpCreateSnapshot(DWORD flags, DWORD processId) {
    auto create = Entry<CreateSnapshotProc>(ToolHelp(), kCreateToolhelp32Snapshot);
    return create == nullptr ? nullptr : create(flags, processId);
}

bool ToolHelpProcessFirst(HANDLE snapshot, PROCESSENTRY32* entry) {
    auto first = Entry<ProcessWalkProc>(ToolHelp(), kProcess32First);
    return first != nullptr && first(snapshot, entry) != FALSE;
}

bool ToolHelpProcessNext(HANDLE snapshot, PROCESSENTRY32* entry) {
    auto next = Entry<ProcessWalkProc>(ToolHelp(), kProcess32Next);
    return next != nullptr && next(snapshot, entry) != FALSE;
}
