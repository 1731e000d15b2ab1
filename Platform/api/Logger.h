#pragma once

#include "Platform/api/Language.h"
#include "Root/api/String.h"

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

} // namespace Brintavolex
