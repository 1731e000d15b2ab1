#pragma once

#include "Platform/api/String.h"
#include "Platform/api/Language.h"

#include <vector>

namespace Brintavolex {

// Receives the messages for the user of one operation (decoding a file,
// installing). A message is a text pair, shown in the language in force when
// it is shown; a single text stands for both languages.
class ILogger
{
public:
    virtual ~ILogger() = default;
    virtual void Log(const TextPair &message) = 0;
    virtual void Log(StringExpr text) = 0;
    virtual void Log(const String &text) = 0;
    // Passes every collected message, oldest first, to target.
    virtual void CopyTo(ILogger &target) { (void)target; }

    void Log(const char *text) { Log(StringExpr(text)); }
    void Log(const char16_t *text) { Log(StringExpr(text)); }
};

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
