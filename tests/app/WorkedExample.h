// The names of the worked example that the golden script is made from, and
// reading a file whole, shared by the script tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "app/PatchScript.h"

inline const PatchScriptNames kWorkedExample = {
    "C:\\Tools\\bspatch.exe",
    "C:\\img\\live-5.0.5.iso",
    "C:\\img\\live-5.0.6.iso",
    "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff",
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
