// Texts of the executable's string table.
#pragma once

#include <windows.h>

#include <string>

// The text with this id in the program's string table, in the ANSI code
// page; empty when the table has none.
std::string LoadResString(UINT id);
