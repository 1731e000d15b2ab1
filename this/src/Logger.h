#pragma once

#include "Platform/api/Logger.h"

#include <vector>

namespace Brintavolex {

// Collects the messages of one job so that they can be shown later.
class LocalLogger : public ILogger
{
public:
    using ILogger::Log;
    void Log(const TextPair &message) override { _messages.push_back(message); }
    void Log(StringExpr text) override;
    void Log(const String &text) override { Log(StringExpr(text)); }
    void CopyTo(ILogger &target) override;

    const std::vector<TextPair> &Messages() const noexcept { return _messages; }

private:
    std::vector<TextPair> _messages;
};

// Writes each message to the error log in the language in force (used by
// the installer).
class StaticLogger : public ILogger
{
public:
    using ILogger::Log;
    void Log(const TextPair &message) override;
    void Log(StringExpr text) override;
    void Log(const String &text) override { Log(StringExpr(text)); }
};

// Drops everything.
class NullLogger : public ILogger
{
public:
    using ILogger::Log;
    void Log(const TextPair &) override {}
    void Log(StringExpr) override {}
    void Log(const String &) override {}
};

} // namespace Brintavolex
