#include "Platform/api/ErrorLog.h"

#include "Platform/api/System.h"

#include <cstdio>

namespace Brintavolex::ErrorLog {

void Log(const char *sourceFile, int line, StringExpr text) noexcept
{
    try {
        std::fprintf(stderr, "%s(%d): %s\n", sourceFile ? sourceFile : "", line,
                     String(text).ToStdString().c_str());
    } catch (...) {
    }
}

void LogPair(const char *sourceFile, int line, StringExpr text, StringExpr detail) noexcept
{
    try {
        Log(sourceFile, line, text + " " + detail);
    } catch (...) {
    }
}

void LogSystemError(const char *sourceFile, int line, StringExpr call, std::uint32_t code) noexcept
{
    try {
        Log(sourceFile, line, call + " failed with error code " + String::FromUnsigned(code));
    } catch (...) {
    }
}

void LogSystemError(const char *sourceFile, int line, StringExpr call) noexcept
{
    LogSystemError(sourceFile, line, call, Platform::LastSystemError());
}

} // namespace Brintavolex::ErrorLog
