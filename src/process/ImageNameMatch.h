// Which process-list entries an image name stands for. Portable.
#pragma once

#include <string>

// True when the upper-cased file part of exeFile (after its last backslash
// or colon), or the upper-cased whole exeFile, equals the upper-cased
// imageName. Only ASCII a to z change case; other bytes compare unchanged.
bool ImageNameMatches(const std::string& exeFile, const std::string& imageName);
