#include "this/src/Logger.h"

#include "Platform/api/ErrorLog.h"

namespace Brintavolex {

namespace {
// Installer messages are logged under one fixed source position.
constexpr const char *kInstallerSource = "Install.cpp";
constexpr int kInstallerLine = 1;
} // namespace

void LocalLogger::Log(StringExpr text)
{
    String copy(text);
    _messages.push_back(TextPair{copy, copy});
}

void LocalLogger::CopyTo(ILogger &target)
{
    // Index-based: target may be this logger.
    for (std::size_t i = 0, n = _messages.size(); i < n; ++i)
        target.Log(_messages[i]);
}

void StaticLogger::Log(const TextPair &message)
{
    ErrorLog::Log(kInstallerSource, kInstallerLine, Locale::Pick(message));
}

void StaticLogger::Log(StringExpr text)
{
    ErrorLog::Log(kInstallerSource, kInstallerLine, text);
}

} // namespace Brintavolex
