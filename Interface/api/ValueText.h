#pragma once

#include "Data/api/ColorType.h"
#include "Interface/api/SettingEnums.h"
#include "Data/api/ValueTypes.h"
#include "Root/api/String.h"

#include <span>

namespace Brintavolex {

// Text forms of setting values, identical on every machine whatever the
// process locale: decimal integers, floats as printf's "%g" (six significant
// digits; "nan", "inf" and "-inf" for the special values), "true"/"false",
// enumerations by name, colours as four comma-separated floats.
//
// Parsing takes the whole text: an optional "+" and the number, nothing
// else. Empty text, other characters, or a number outside the type's range
// throw Exception naming the type ("ValueFromString<Brintavolex::UInt16>:
// string is empty"). 8-bit integers have no text form and always throw.
template <class T> T ValueFromString(StringExpr text);
template <class T> String StringFromValue(const T &value);

#define BRINTAVOLEX_DECLARE_VALUE_TEXT(T)                                                                    \
    template <> T ValueFromString<T>(StringExpr text);                                                       \
    template <> String StringFromValue<T>(const T &value)
BRINTAVOLEX_DECLARE_VALUE_TEXT(bool);
BRINTAVOLEX_DECLARE_VALUE_TEXT(UInt8);
BRINTAVOLEX_DECLARE_VALUE_TEXT(UInt16);
BRINTAVOLEX_DECLARE_VALUE_TEXT(UInt32);
BRINTAVOLEX_DECLARE_VALUE_TEXT(UInt64);
BRINTAVOLEX_DECLARE_VALUE_TEXT(SInt8);
BRINTAVOLEX_DECLARE_VALUE_TEXT(SInt16);
BRINTAVOLEX_DECLARE_VALUE_TEXT(SInt32);
BRINTAVOLEX_DECLARE_VALUE_TEXT(SInt64);
BRINTAVOLEX_DECLARE_VALUE_TEXT(Float32);
BRINTAVOLEX_DECLARE_VALUE_TEXT(Float64);
BRINTAVOLEX_DECLARE_VALUE_TEXT(Data::ColorBGRA<float>);
BRINTAVOLEX_DECLARE_VALUE_TEXT(Locale::EnumLanguage);
BRINTAVOLEX_DECLARE_VALUE_TEXT(Platform::Video::RendererTypeEnum);
BRINTAVOLEX_DECLARE_VALUE_TEXT(Resampling::EnumResamplingMode);
#undef BRINTAVOLEX_DECLARE_VALUE_TEXT

template <> inline String ValueFromString<String>(StringExpr text)
{
    return String(text);
}
template <> inline String StringFromValue<String>(const String &value)
{
    return value;
}

// The name table of an enumeration stored by name, in value order.
template <class E> struct EnumName {
    E value;
    const char *name;
};
template <class E> std::span<const EnumName<E>> EnumNames();
template <> std::span<const EnumName<Locale::EnumLanguage>> EnumNames<Locale::EnumLanguage>();
template <>
std::span<const EnumName<Platform::Video::RendererTypeEnum>> EnumNames<Platform::Video::RendererTypeEnum>();
template <>
std::span<const EnumName<Resampling::EnumResamplingMode>> EnumNames<Resampling::EnumResamplingMode>();

} // namespace Brintavolex
