// Text of the system (ANSI) code page in the OEM code page, in which cmd
// reads a batch file: exactly, or it says which letter the OEM page lacks.
// The system's own conversion best-fits such letters without a word (ø
// becomes o, ã a, an en dash "-"), and a script would then name another file.
#pragma once

#include <string>

struct OemConversion {
    bool exact = true;
    std::string text;  // the OEM bytes; meaningful only when exact
    // When not exact: the first letter without an OEM form, as ANSI text
    // (empty when no single letter alone shows the lack).
    std::string missingLetter;
};

OemConversion ConvertToOemCodePage(const std::string& ansi);
