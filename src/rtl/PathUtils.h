// Path parts as the tool's name rules use them. Portable: positions count
// bytes of the system code page, and only backslash and colon separate.
#pragma once

#include <string>

// Everything up to and including the last backslash or colon; empty when none.
std::string ExtractFilePath(const std::string& path);

// What follows the directory part (the whole text when there is none).
std::string ExtractFileName(const std::string& path);

// The file part less its extension, which runs from the file part's last "."
// to its end; ".iso" has an empty base name, "live" is its own.
std::string ExtractBaseName(const std::string& path);

// Upper-cases only the ASCII letters a to z; every other byte stays.
std::string UpperCaseAscii(std::string text);
