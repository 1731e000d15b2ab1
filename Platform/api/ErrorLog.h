#pragma once

#include "Platform/api/String.h"

#include <cstdint>

namespace Brintavolex::ErrorLog {

// One entry of the process-wide error log: source file, line, text. Never
// throws; a failure while logging is reported once and otherwise dropped.
void Log(const char *sourceFile, int line, StringExpr text) noexcept;
void LogPair(const char *sourceFile, int line, StringExpr text, StringExpr detail) noexcept;
// "<call> failed with error code <code>"; the first form reads the thread's
// last system error.
void LogSystemError(const char *sourceFile, int line, StringExpr call) noexcept;
void LogSystemError(const char *sourceFile, int line, StringExpr call, std::uint32_t code) noexcept;

} // namespace Brintavolex::ErrorLog

#define BRINTAVOLEX_LOG(text) ::Brintavolex::ErrorLog::Log(__FILE_NAME__, __LINE__, (text))
#define BRINTAVOLEX_LOG_SYSTEM_ERROR(call) ::Brintavolex::ErrorLog::LogSystemError(__FILE_NAME__, __LINE__, (call))
#define BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE(call, code)                                                            \
    ::Brintavolex::ErrorLog::LogSystemError(__FILE_NAME__, __LINE__, (call), (code))

// A failed precondition: logged with file, line and text, then Exception with
// an empty message (the data model's rule).
#define BRINTAVOLEX_PRECONDITION(condition, text)                                                                  \
    do {                                                                                                           \
        if (!(condition)) {                                                                                        \
            ::Brintavolex::ErrorLog::Log(__FILE_NAME__, __LINE__, (text));                                         \
            throw ::Brintavolex::Exception();                                                                      \
        }                                                                                                          \
    } while (0)
