#pragma once

#include "Root/api/String.h"

#include <cstdint>
#include <functional>

namespace Brintavolex::ErrorLog {

// The process-wide error log. Configure first (the entry point does); before
// that, entries go to the debug output only.
void Configure(StringExpr productName, StringExpr logName);
// Called at the end of a run that logged problems (after the report file has
// been copied to the desktop).
void SetReportCallback(std::function<void()> callback);

// One entry: source file, line, text. Never throws; a failure while logging
// is reported once on the debug output and otherwise dropped.
void Log(const char *sourceFile, int line, StringExpr text) noexcept;
void LogPair(const char *sourceFile, int line, StringExpr text, StringExpr detail) noexcept;
// "<call> failed with error code <code>"; the first form reads the thread's
// last system error.
void LogSystemError(const char *sourceFile, int line, StringExpr call) noexcept;
void LogSystemError(const char *sourceFile, int line, StringExpr call, std::uint32_t code) noexcept;

bool ProblemOccurred() noexcept;
// Copies the log to the report file on the desktop now.
bool CopyReport() noexcept;
// End of the run: after problems, copy the report and call the callback.
void Finish() noexcept;

String VersionText();
String ProductName();
String LogFolder();
String LogFilePath();
String ReportFilePath();
String NoticeText(int languageIndex);

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
