#include "Interface/api/ValueText.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace Brintavolex {

namespace {

[[noreturn]] void FailRead(const char *type, const char *problem)
{
    throw Exception(String("ValueFromString<") + type + ">: " + problem);
}

[[noreturn]] void FailWrite(const char *type, const char *problem)
{
    throw Exception(String("StringFromValue<") + type + ">: " + problem);
}

// The text as Windows-1252 bytes; characters outside that code page become
// '?', which no number or name contains.
std::string Bytes(StringExpr text)
{
    return String(text).ToStdString();
}

String FromBytes(const char *begin, const char *end)
{
    return String(StringExpr(begin, std::size_t(end - begin), Encoding::Windows1252));
}

// Accepts an optional '+' before the number; from_chars itself takes a '-'
// only for signed and floating types.
const char *SkipPlus(const char *p, const char *end, const char *type)
{
    if (p != end && *p == '+') {
        ++p;
        if (p == end || *p == '+' || *p == '-')
            FailRead(type, "not a number");
    }
    return p;
}

template <class T> T ParseInteger(StringExpr text, const char *type)
{
    const std::string bytes = Bytes(text);
    if (bytes.empty())
        FailRead(type, "string is empty");
    const char *end = bytes.data() + bytes.size();
    const char *p = SkipPlus(bytes.data(), end, type);
    if constexpr (std::is_unsigned_v<T>) {
        if (p + 1 < end && *p == '-' && p[1] >= '0' && p[1] <= '9')
            FailRead(type, "number out of range");
    }
    T value{};
    const auto [stop, error] = std::from_chars(p, end, value);
    if (error == std::errc::result_out_of_range)
        FailRead(type, "number out of range");
    if (error != std::errc() || stop != end)
        FailRead(type, "not a number");
    return value;
}

template <class T> String FormatInteger(T value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return FromBytes(buffer, result.ptr);
}

template <class T> T ParseFloat(const char *begin, const char *end, const char *type)
{
    if (begin == end)
        FailRead(type, "string is empty");
    const char *p = SkipPlus(begin, end, type);
    T value{};
    const auto [stop, error] = std::from_chars(p, end, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range)
        FailRead(type, "number out of range");
    if (error != std::errc() || stop != end)
        FailRead(type, "not a number");
    return value;
}

template <class T> T ParseFloat(StringExpr text, const char *type)
{
    const std::string bytes = Bytes(text);
    return ParseFloat<T>(bytes.data(), bytes.data() + bytes.size(), type);
}

// printf's "%g": six significant digits, fixed or exponential notation. NaN
// loses its sign so that every NaN is written the same way.
template <class T> char *FormatFloat(char *out, char *end, T value)
{
    if (std::isnan(value)) {
        static constexpr char nan[] = "nan";
        return std::copy(nan, nan + 3, out);
    }
    return std::to_chars(out, end, value, std::chars_format::general, 6).ptr;
}

template <class T> String FormatFloat(T value)
{
    char buffer[32];
    return FromBytes(buffer, FormatFloat(buffer, buffer + sizeof buffer, value));
}

template <class E> E ParseEnum(StringExpr text, const char *type)
{
    if (text.Empty())
        FailRead(type, "string is empty");
    for (const auto &entry : EnumNames<E>()) {
        if (StringExpr(entry.name) == text)
            return entry.value;
    }
    FailRead(type, "unknown name");
}

template <class E> String FormatEnum(E value, const char *type)
{
    for (const auto &entry : EnumNames<E>()) {
        if (entry.value == value)
            return String(entry.name);
    }
    FailWrite(type, "value has no name");
}

constexpr const char *kLanguage = "Brintavolex::Locale::EnumLanguage";
constexpr const char *kRenderer = "Brintavolex::Platform::Video::RendererTypeEnum";
constexpr const char *kResampling = "Brintavolex::Resampling::EnumResamplingMode";
constexpr const char *kColor = "Brintavolex::Data::ColorBGRA<float>";

constexpr EnumName<Locale::EnumLanguage> kLanguageNames[] = {
    {Locale::EnumLanguage::Auto, "Auto"},
    {Locale::EnumLanguage::German, "DE"},
    {Locale::EnumLanguage::English, "EN"},
};
constexpr EnumName<Platform::Video::RendererTypeEnum> kRendererNames[] = {
    {Platform::Video::RendererTypeEnum::OpenGL, "OpenGL"},
    {Platform::Video::RendererTypeEnum::Direct3D9, "Direct3D9"},
    {Platform::Video::RendererTypeEnum::Software, "Software"},
};
constexpr EnumName<Resampling::EnumResamplingMode> kResamplingNames[] = {
    {Resampling::EnumResamplingMode::Cubic, "Cubic"},
    {Resampling::EnumResamplingMode::Linear, "Linear"},
    {Resampling::EnumResamplingMode::Nearest, "Nearest"},
    {Resampling::EnumResamplingMode::Area, "Area"},
    {Resampling::EnumResamplingMode::MipMapBilinear, "MipMap Bilinear"},
    {Resampling::EnumResamplingMode::MipMapTrilinear, "MipMap Trilinear"},
};

} // namespace

template <> std::span<const EnumName<Locale::EnumLanguage>> EnumNames<Locale::EnumLanguage>()
{
    return kLanguageNames;
}
template <>
std::span<const EnumName<Platform::Video::RendererTypeEnum>> EnumNames<Platform::Video::RendererTypeEnum>()
{
    return kRendererNames;
}
template <>
std::span<const EnumName<Resampling::EnumResamplingMode>> EnumNames<Resampling::EnumResamplingMode>()
{
    return kResamplingNames;
}

template <> bool ValueFromString<bool>(StringExpr text)
{
    if (text.Empty())
        FailRead("bool", "string is empty");
    if (text == StringExpr("true"))
        return true;
    if (text == StringExpr("false"))
        return false;
    FailRead("bool", "neither true nor false");
}
template <> String StringFromValue<bool>(const bool &value)
{
    return String(value ? "true" : "false");
}

template <> UInt8 ValueFromString<UInt8>(StringExpr)
{
    FailRead("Brintavolex::UInt8", "not supported");
}
template <> String StringFromValue<UInt8>(const UInt8 &)
{
    FailWrite("Brintavolex::UInt8", "not supported");
}
template <> SInt8 ValueFromString<SInt8>(StringExpr)
{
    FailRead("Brintavolex::SInt8", "not supported");
}
template <> String StringFromValue<SInt8>(const SInt8 &)
{
    FailWrite("Brintavolex::SInt8", "not supported");
}

#define BRINTAVOLEX_INTEGER_TEXT(T)                                                                          \
    template <> T ValueFromString<T>(StringExpr text)                                                        \
    {                                                                                                        \
        return ParseInteger<T>(text, "Brintavolex::" #T);                                                    \
    }                                                                                                        \
    template <> String StringFromValue<T>(const T &value)                                                    \
    {                                                                                                        \
        return FormatInteger(value);                                                                         \
    }
BRINTAVOLEX_INTEGER_TEXT(UInt16)
BRINTAVOLEX_INTEGER_TEXT(UInt32)
BRINTAVOLEX_INTEGER_TEXT(UInt64)
BRINTAVOLEX_INTEGER_TEXT(SInt16)
BRINTAVOLEX_INTEGER_TEXT(SInt32)
BRINTAVOLEX_INTEGER_TEXT(SInt64)
#undef BRINTAVOLEX_INTEGER_TEXT

template <> Float32 ValueFromString<Float32>(StringExpr text)
{
    return ParseFloat<Float32>(text, "Brintavolex::Float32");
}
template <> String StringFromValue<Float32>(const Float32 &value)
{
    return FormatFloat(value);
}
template <> Float64 ValueFromString<Float64>(StringExpr text)
{
    return ParseFloat<Float64>(text, "Brintavolex::Float64");
}
template <> String StringFromValue<Float64>(const Float64 &value)
{
    return FormatFloat(value);
}

template <> Data::ColorBGRA<float> ValueFromString<Data::ColorBGRA<float>>(StringExpr text)
{
    const std::string bytes = Bytes(text);
    if (bytes.empty())
        FailRead(kColor, "string is empty");
    float members[4];
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    for (int i = 0; i < 4; ++i) {
        const char *stop = std::find(p, end, ',');
        if ((stop == end) != (i == 3))
            FailRead(kColor, "four comma-separated numbers expected");
        members[i] = ParseFloat<float>(p, stop, kColor);
        p = stop + (stop == end ? 0 : 1);
    }
    return {members[0], members[1], members[2], members[3]};
}
template <> String StringFromValue<Data::ColorBGRA<float>>(const Data::ColorBGRA<float> &value)
{
    char buffer[4 * 32];
    char *const end = buffer + sizeof buffer;
    char *p = FormatFloat(buffer, end, value.b);
    for (float member : {value.g, value.r, value.a}) {
        *p++ = ',';
        p = FormatFloat(p, end, member);
    }
    return FromBytes(buffer, p);
}

template <> Locale::EnumLanguage ValueFromString<Locale::EnumLanguage>(StringExpr text)
{
    return ParseEnum<Locale::EnumLanguage>(text, kLanguage);
}
template <> String StringFromValue<Locale::EnumLanguage>(const Locale::EnumLanguage &value)
{
    return FormatEnum(value, kLanguage);
}
template <>
Platform::Video::RendererTypeEnum ValueFromString<Platform::Video::RendererTypeEnum>(StringExpr text)
{
    return ParseEnum<Platform::Video::RendererTypeEnum>(text, kRenderer);
}
template <>
String StringFromValue<Platform::Video::RendererTypeEnum>(const Platform::Video::RendererTypeEnum &value)
{
    return FormatEnum(value, kRenderer);
}
template <> Resampling::EnumResamplingMode ValueFromString<Resampling::EnumResamplingMode>(StringExpr text)
{
    return ParseEnum<Resampling::EnumResamplingMode>(text, kResampling);
}
template <>
String StringFromValue<Resampling::EnumResamplingMode>(const Resampling::EnumResamplingMode &value)
{
    return FormatEnum(value, kResampling);
}

} // namespace Brintavolex
