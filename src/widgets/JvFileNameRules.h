// How a file-name field turns its text into a path and back. Portable: the
// file system is reached only through the probe the caller hands in.
#pragma once

#include <functional>
#include <string>

// True when the name is not empty and holds none of / < > " ? * |.
// Backslash and colon are allowed; nothing else is tested.
bool IsValidFileName(const std::string& name);

// Encloses a name with a blank in double quotes, unless it already begins
// with one.
std::string QuoteFileName(const std::string& name);

// The first item of a command line: leading characters 1..32 and pairs of
// double quotes there are skipped; the item runs over characters above 32,
// a double quote opens a stretch that may hold blanks and runs to the next
// quote or the end; quotes are not copied. A NUL ends the text.
std::string FirstCommandLineItem(const std::string& text);

struct FileSystemProbe {
    std::function<bool(const std::string&)> fileExists;
    std::function<bool(const std::string&)> directoryExists;
};

// The path a field's text stands for: the text itself when it names an
// existing file, the text with a trailing backslash when it names an
// existing folder, otherwise its first command-line item (so quotes go).
std::string PlainFileName(const std::string& text, const FileSystemProbe& probe);

// Whether a value may be written to a field's FileName: an empty one always;
// otherwise its path (PlainFileName) must be a valid name, and the value,
// once any enclosing double quotes are taken away, must hold none of the
// seven refused characters. The second test catches a value whose first
// item is harmless but whose rest is not ("C:\My Docs\a?.iso"): shown in
// quotes, it would read back whole.
bool IsAcceptedFileNameValue(const std::string& value, const FileSystemProbe& probe);
