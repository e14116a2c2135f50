#include "rtl/SysUtils.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

// Each is kept out of line (see the header), so that its return address is
// the code that raised.
Exception::Exception(std::string message)
    : Exception(std::move(message), __builtin_return_address(0)) {}

Exception::Exception(std::string message, void* address)
    : message_(std::move(message)), address_(address) {}

EInOutError::EInOutError(int errorCode)
    : Exception(InOutErrorMessage(errorCode), __builtin_return_address(0)), errorCode_(errorCode) {}

EComboEditError::EComboEditError(std::string message)
    : Exception(std::move(message), __builtin_return_address(0)) {}

EThread::EThread(std::string message)
    : Exception(std::move(message), __builtin_return_address(0)) {}

std::string InOutErrorMessage(int errorCode) {
    switch (errorCode) {
        case 2:
            return "File not found";
        case 3:
            return "Invalid filename";
        case 4:
            return "Too many open files";
        case 5:
            return "File access denied";
        case 100:
            return "Read beyond end of file";
        case 101:
            return "Disk full";
        case 106:
            return "Invalid numeric input";
        default:
            return Format("I/O error %d", errorCode);
    }
}

std::string WithFullStop(const std::string& message) {
    // Compare as unsigned bytes: characters above 127 count as greater.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) {
        std::vsnprintf(result.data(), result.size() + 1, format, args);
    }
    va_end(args);
    return result;
}
