#include "Data/api/Property.h"

#include "Root/api/Exception.h"

#include <stdexcept>
#include <string>

namespace Brintavolex {

const char *ValueType::Name(std::uint8_t code) noexcept
{
    switch (code) {
    case Bool:
        return "Bool";
    case SInt8:
        return "SInt8";
    case UInt8:
        return "UInt8";
    case SInt16:
        return "SInt16";
    case UInt16:
        return "UInt16";
    case Float32:
        return "Float32";
    case SInt32:
        return "SInt32";
    case UInt32:
        return "UInt32";
    case Float64:
        return "Float64";
    case SInt64:
        return "SInt64";
    case UInt64:
        return "UInt64";
    case String:
        return "String";
    default:
        return nullptr;
    }
}

void PropertyDefaults::Unsupported(const char *operation)
{
    RefuseUnsupported(operation);
    throw Exception(String(ClassName()) + "::" + operation + ": not supported");
}

void PropertyDefaults::NoChildren()
{
    throw std::invalid_argument(std::string(ClassName()) + "::Get: invalid index");
}

void PropertyDefaults::CheckScalarRequest(const char *operation, const void *output, std::uint64_t start,
                                          std::uint64_t count) const
{
    const char *problem = !output      ? "output is nullptr"
                          : start != 0 ? "start must be 0"
                          : count != 1 ? "count must be 1"
                                       : nullptr;
    if (problem)
        throw std::invalid_argument(std::string(ClassName()) + "::" + operation + ": " + problem);
}

SharedPtr<ISceneItem> PropertyDefaults::Get(std::uint64_t)
{
    NoChildren();
}
String PropertyDefaults::GetChildName(std::uint64_t)
{
    NoChildren();
}
SharedPtr<IProperty> PropertyDefaults::GetChild(StringExpr)
{
    NoChildren();
}
void PropertyDefaults::GetAsString(String &)
{
    Unsupported("GetAsString");
}

#define BRINTAVOLEX_UNSUPPORTED(NAME, TYPE)                                                                  \
    void PropertyDefaults::GetAs##NAME(TYPE *, std::uint64_t, std::uint64_t)                                 \
    {                                                                                                        \
        Unsupported("GetAs" #NAME);                                                                          \
    }                                                                                                        \
    TYPE PropertyDefaults::Get##NAME()                                                                       \
    {                                                                                                        \
        Unsupported("Get" #NAME);                                                                            \
    }
BRINTAVOLEX_UNSUPPORTED(Bool, bool)
BRINTAVOLEX_UNSUPPORTED(SInt8, SInt8)
BRINTAVOLEX_UNSUPPORTED(SInt16, SInt16)
BRINTAVOLEX_UNSUPPORTED(SInt32, SInt32)
BRINTAVOLEX_UNSUPPORTED(SInt64, SInt64)
BRINTAVOLEX_UNSUPPORTED(UInt8, UInt8)
BRINTAVOLEX_UNSUPPORTED(UInt16, UInt16)
BRINTAVOLEX_UNSUPPORTED(UInt32, UInt32)
BRINTAVOLEX_UNSUPPORTED(UInt64, UInt64)
BRINTAVOLEX_UNSUPPORTED(Float32, Float32)
BRINTAVOLEX_UNSUPPORTED(Float64, Float64)
#undef BRINTAVOLEX_UNSUPPORTED

void BoolProperty::GetAsBool(bool *output, std::uint64_t start, std::uint64_t count)
{
    CheckScalarRequest("GetAsBool", output, start, count);
    *output = _value;
}

void UInt64Property::GetAsUInt64(UInt64 *output, std::uint64_t start, std::uint64_t count)
{
    CheckScalarRequest("GetAsUInt64", output, start, count);
    *output = _value;
}

void Float64Property::GetAsFloat64(Float64 *output, std::uint64_t start, std::uint64_t count)
{
    CheckScalarRequest("GetAsFloat64", output, start, count);
    *output = _value;
}

static SharedPtr<IProperty> RequireTarget(SharedPtr<IProperty> target)
{
    if (!target)
        throw std::invalid_argument("Redirect::Redirect: nullptr");
    return target;
}

Redirect::Redirect(SharedPtr<IProperty> target) : _target(RequireTarget(std::move(target))) {}

} // namespace Brintavolex
