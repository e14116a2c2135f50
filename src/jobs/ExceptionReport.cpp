#include "jobs/ExceptionReport.h"

#include "rtl/SysUtils.h"

std::string ExceptionReportText(const std::string& className, const std::string& moduleName,
                                std::uintptr_t relativeAddress, const std::string& message) {
    // Pointer-wide, zero-padded, upper case: 0000A1B2 in the 32-bit tool.
    const int digits = static_cast<int>(sizeof(void*) * 2);
    const std::string address =
        Format("%0*llX", digits, static_cast<unsigned long long>(relativeAddress));
    const char* fullStop = !message.empty() && message.back() != '.' ? "." : "";
    return Format("Exception %s in module %s at %s.\r\n%s%s\r\n", className.c_str(),
                  moduleName.c_str(), address.c_str(), message.c_str(), fullStop);
}
