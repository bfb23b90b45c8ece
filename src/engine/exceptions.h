// The program's exception classes. Every error is an exception carrying a readable
// message; workers catch at the top of their loop and turn it into their error report.
#pragma once

#include <stdexcept>
#include <string>

// Base of all of Trovelle's own errors.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& Message) : std::runtime_error(Message) {}
};

// An operating-system call failed. ErrorCode is the errno value, 0 when none is known.
class EOSError : public Exception {
public:
    EOSError(int Code, const std::string& Message) : Exception(Message), ErrorCode(Code) {}
    int ErrorCode;
};

// "System Error.  Code: %d.\r\n<text>" for a known error code, "A call to an OS function
// failed" for none. Text defaults to strerror(Code).
[[noreturn]] void RaiseLastOSError(int Code, const std::string& Text = std::string());

// The system's text for an errno value.
std::string SysErrorMessage(int Code);
