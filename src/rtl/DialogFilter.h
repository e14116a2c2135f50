// The file dialogs' filter text. Portable.
#pragma once

#include <string>

// "desc|pattern|desc|pattern" as the Open dialog wants it: each part ended
// by a NUL and the list by a second NUL. Empty parts stay (an empty pattern
// is still a pattern); an empty filter gives an empty list.
std::string DialogFilterList(const std::string& filter);
