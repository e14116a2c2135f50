// Exceptions of the run-time library. Portable: no Windows API here.
#pragma once

#include <exception>
#include <string>

// Base of every error the tool raises on purpose. The message loop and the
// thread job component report these; anything else is a fault.
//
// Each constructor records the code address of the expression that made the
// error (the return address of the constructor call), so every class below
// has a constructor of its own that passes that address to the base: an
// inherited or inlined one would record a place inside the constructors.
class Exception : public std::exception {
public:
    [[gnu::noinline]] explicit Exception(std::string message);

    const std::string& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

    // The class name as the error reports show it ("EInOutError").
    virtual const char* ClassName() const { return "Exception"; }

    // Code address of the raise, for the thread job's error report.
    void* Address() const { return address_; }

protected:
    // For derived constructors: `address` is their own return address.
    Exception(std::string message, void* address);

private:
    std::string message_;
    void* address_;
};

// File input/output failure with the system's error code.
class EInOutError : public Exception {
public:
    [[gnu::noinline]] explicit EInOutError(int errorCode);
    int ErrorCode() const { return errorCode_; }
    const char* ClassName() const override { return "EInOutError"; }

private:
    int errorCode_;
};

// A file-name edit refused an assigned value.
class EComboEditError : public Exception {
public:
    [[gnu::noinline]] explicit EComboEditError(std::string message);
    const char* ClassName() const override { return "EComboEditError"; }
};

// A system thread could not be created, resumed or waited for.
class EThread : public Exception {
public:
    [[gnu::noinline]] explicit EThread(std::string message);
    const char* ClassName() const override { return "EThread"; }
};

// The message that an input/output error code stands for ("File access denied").
std::string InOutErrorMessage(int errorCode);

// The text of an error box: a full stop is appended when the last character's
// code is greater than that of ".". An empty message stays empty.
std::string WithFullStop(const std::string& message);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
