// The accelerator character of a caption: "&" marks the next character,
// "&&" stands for a literal "&". Portable.
#pragma once

#include <string>

// The character after the last "&" that is not part of a doubled "&&";
// 0 when the caption has none.
char AcceleratorOf(const std::string& caption);

// A character in upper case, as a code page has it.
using CaseFold = char (*)(char);
// The portable one: the ASCII letters a to z.
char AsciiUpperCase(char c);

// Whether `key` is the accelerator of `caption`, case ignored as `fold`
// folds it; other characters must match exactly.
bool IsAccel(char key, const std::string& caption, CaseFold fold = &AsciiUpperCase);
