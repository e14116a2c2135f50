// The accelerator character of a caption: "&" marks the next character,
// "&&" stands for a literal "&". Portable.
#pragma once

#include <string>

// The character after the last "&" that is not part of a doubled "&&";
// 0 when the caption has none.
char AcceleratorOf(const std::string& caption);

// Whether `key` is the accelerator of `caption`, case ignored (ASCII
// letters; other characters must match exactly).
bool IsAccel(char key, const std::string& caption);
