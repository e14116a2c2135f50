#include "rtl/ThreadError.h"

#include "rtl/SysUtils.h"

std::string SysErrorMessage(DWORD errorCode) {
    char buffer[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, errorCode, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

void RaiseLastThreadError() {
    const DWORD error = GetLastError();
    throw EThread(
        Format("Thread Error: %s (%d)", SysErrorMessage(error).c_str(), static_cast<int>(error)));
}
