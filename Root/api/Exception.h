#pragma once

#include "Root/api/String.h"

#include <cstdint>
#include <exception>
#include <string>

namespace Brintavolex {

// The error type of the whole system: a message that names the class and the
// operation, a colon and the problem.
class Exception : public std::exception {
public:
    Exception() = default;
    explicit Exception(StringExpr message);
    const char *what() const noexcept override;
    const String &Message() const noexcept { return _message; }

    // Messages of failed system calls.
    static String FailedWithCode(StringExpr name, std::uint32_t code);      // "X failed, error code N"
    static String FailedWithText(StringExpr name, StringExpr text);         // "X failed, T"
    static String FailedWithError(StringExpr name, std::int64_t code);      // "X failed with error N"
    static String FailedWithParameter(StringExpr name, StringExpr parameter,
                                      std::int64_t code);                   // "X with parameter P failed with error N"

private:
    String _message;
    std::string _what; // the message as Windows-1252, for what()
};

// A failed operating-system call: context, call name and system error code.
class SystemErrorException : public Exception {
public:
    SystemErrorException(StringExpr context, StringExpr operation, std::uint32_t errorCode);
    const String &Context() const noexcept { return _context; }
    const String &Operation() const noexcept { return _operation; }
    std::uint32_t ErrorCode() const noexcept { return _errorCode; }

private:
    String _context;
    String _operation;
    std::uint32_t _errorCode;
};

} // namespace Brintavolex
