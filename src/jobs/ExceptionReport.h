// The text of the run-time's standard exception report ("Application Error").
// Portable: the caller finds the module and its base.
#pragma once

#include <cstdint>
#include <string>

// "Exception <class> in module <module> at <address>.\r\n<message>[.]\r\n":
// the address relative to the module's base as upper-case hex digits, as
// many as a pointer has; a full stop after a message that is not empty and
// does not already end in one.
std::string ExceptionReportText(const std::string& className, const std::string& moduleName,
                                std::uintptr_t relativeAddress, const std::string& message);
