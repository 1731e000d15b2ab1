#pragma once

#include "Data/api/ColorType.h"

#include <cstdint>

namespace Brintavolex {

class String;

using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using UInt64 = std::uint64_t;
using SInt8 = std::int8_t;
using SInt16 = std::int16_t;
using SInt32 = std::int32_t;
using SInt64 = std::int64_t;
using Float32 = float;
using Float64 = double;
static_assert(sizeof(Float32) == 4 && sizeof(Float64) == 8);

// Value-type codes of IProperty: the number of value bits (the scalar
// ColorType codes), plus 0 for none, 1 for bool and 100 for strings. These
// codes cross the plug-in boundary and never change.
namespace ValueType {
constexpr std::uint8_t None = 0;
constexpr std::uint8_t Bool = 1;
constexpr std::uint8_t SInt8 = std::uint8_t(Data::ColorType::SInt8);
constexpr std::uint8_t UInt8 = std::uint8_t(Data::ColorType::UInt8);
constexpr std::uint8_t SInt16 = std::uint8_t(Data::ColorType::SInt16);
constexpr std::uint8_t UInt16 = std::uint8_t(Data::ColorType::UInt16);
constexpr std::uint8_t Float32 = std::uint8_t(Data::ColorType::Float32);
constexpr std::uint8_t SInt32 = std::uint8_t(Data::ColorType::SInt32);
constexpr std::uint8_t UInt32 = std::uint8_t(Data::ColorType::UInt32);
constexpr std::uint8_t Float64 = std::uint8_t(Data::ColorType::Float64);
constexpr std::uint8_t SInt64 = std::uint8_t(Data::ColorType::SInt64);
constexpr std::uint8_t UInt64 = std::uint8_t(Data::ColorType::UInt64);
constexpr std::uint8_t String = 100;

// "Bool", "SInt8", ..., "String"; nullptr for none and unknown codes.
const char *Name(std::uint8_t code) noexcept;
} // namespace ValueType

// Code of a value type (bool, the ten number types, char for strings).
template <class T> struct ValueTypeOf;
template <> struct ValueTypeOf<bool> {
    static constexpr std::uint8_t value = ValueType::Bool;
};
template <> struct ValueTypeOf<char> {
    static constexpr std::uint8_t value = ValueType::String;
};
template <> struct ValueTypeOf<SInt8> {
    static constexpr std::uint8_t value = ValueType::SInt8;
};
template <> struct ValueTypeOf<UInt8> {
    static constexpr std::uint8_t value = ValueType::UInt8;
};
template <> struct ValueTypeOf<SInt16> {
    static constexpr std::uint8_t value = ValueType::SInt16;
};
template <> struct ValueTypeOf<UInt16> {
    static constexpr std::uint8_t value = ValueType::UInt16;
};
template <> struct ValueTypeOf<SInt32> {
    static constexpr std::uint8_t value = ValueType::SInt32;
};
template <> struct ValueTypeOf<UInt32> {
    static constexpr std::uint8_t value = ValueType::UInt32;
};
template <> struct ValueTypeOf<SInt64> {
    static constexpr std::uint8_t value = ValueType::SInt64;
};
template <> struct ValueTypeOf<UInt64> {
    static constexpr std::uint8_t value = ValueType::UInt64;
};
template <> struct ValueTypeOf<Float32> {
    static constexpr std::uint8_t value = ValueType::Float32;
};
template <> struct ValueTypeOf<Float64> {
    static constexpr std::uint8_t value = ValueType::Float64;
};

} // namespace Brintavolex
