// The names of the worked example that the golden script is made from,
// shared by the script tests.
#pragma once

#include "app/PatchScript.h"

inline const PatchScriptNames kWorkedExample = {
    "C:\\Tools\\bspatch.exe",
    "C:\\img\\live-5.0.5.iso",
    "C:\\img\\live-5.0.6.iso",
    "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff",
};
