#include "Root/api/Exception.h"

namespace Brintavolex {

Exception::Exception(StringExpr message) : _message(message), _what(_message.ToStdString()) {}

const char *Exception::what() const noexcept { return _what.c_str(); }

String Exception::FailedWithCode(StringExpr name, std::uint32_t code)
{
    return name + " failed, error code " + String::FromUnsigned(code);
}

String Exception::FailedWithText(StringExpr name, StringExpr text) { return name + " failed, " + text; }

String Exception::FailedWithError(StringExpr name, std::int64_t code)
{
    return name + " failed with error " + String::FromInteger(code);
}

String Exception::FailedWithParameter(StringExpr name, StringExpr parameter, std::int64_t code)
{
    return name + " with parameter " + parameter + " failed with error " + String::FromInteger(code);
}

static String SystemErrorMessage(StringExpr context, StringExpr operation, std::uint32_t code)
{
    String message = context.Empty() ? String() : String(context + ": ");
    message += Exception::FailedWithError(operation, code);
    return message;
}

SystemErrorException::SystemErrorException(StringExpr context, StringExpr operation, std::uint32_t errorCode)
    : Exception(SystemErrorMessage(context, operation, errorCode)), _context(context), _operation(operation),
      _errorCode(errorCode)
{
}

} // namespace Brintavolex
