// The tool-help process snapshot, reached through entry points looked up by
// name in the already loaded kernel32.dll (once; again only while the module
// was not found). Without the service the wrappers fail quietly.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

// CreateToolhelp32Snapshot, or nullptr when the service is missing.
HANDLE ToolHelpCreateSnapshot(DWORD flags, DWORD processId);
// Process32First / Process32Next (8-bit names), or false when missing.
bool ToolHelpProcessFirst(HANDLE snapshot, PROCESSENTRY32* entry);
bool ToolHelpProcessNext(HANDLE snapshot, PROCESSENTRY32* entry);
