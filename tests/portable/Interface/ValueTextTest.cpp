#include "Interface/api/ValueText.h"
#include "Root/api/Exception.h"

#include "support/GermanLocale.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>

namespace Brintavolex {

namespace {

std::string Text(const String &s) { return s.ToStdString(); }

// printf's "%g" in the C locale: the form every float is written in.
std::string Oracle(double value)
{
    if (std::isnan(value))
        return "nan";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

template <class T> std::string ReadError(const std::string &text)
{
    try {
        (void)ValueFromString<T>(StringExpr(text));
    } catch (const Exception &e) {
        return e.what();
    }
    return "(no error)";
}

template <class T> void ExpectIntegerRoundTrips(std::mt19937_64 &random, const char *type)
{
    using Limits = std::numeric_limits<T>;
    std::uniform_int_distribution<T> any(Limits::min(), Limits::max());
    std::uniform_int_distribution<int> small(-1000, 1000);
    for (int i = 0; i < 4000; ++i) {
        T value = i < 2 ? (i == 0 ? Limits::min() : Limits::max()) : i % 2 ? any(random) : T(small(random));
        const std::string expected =
            std::is_signed_v<T> ? std::to_string((long long)value) : std::to_string((unsigned long long)value);
        const String text = StringFromValue<T>(value);
        ASSERT_EQ(Text(text), expected) << type;
        ASSERT_EQ(ValueFromString<T>(text), value) << type << " " << expected;
        ASSERT_EQ(ValueFromString<T>(StringExpr(std::u16string(expected.begin(), expected.end()))), value);
    }
    // One past either end is refused, not wrapped or clamped.
    const std::string below =
        std::is_signed_v<T> ? "-" + std::to_string((unsigned long long)Limits::max() + 1ull + 1ull) : "-1";
    const std::string above = Limits::max() == std::numeric_limits<unsigned long long>::max()
                                  ? "18446744073709551616"
                                  : std::to_string((unsigned long long)Limits::max() + 1ull);
    for (const std::string &bad : {below, above}) {
        EXPECT_EQ(ReadError<T>(bad), std::string("ValueFromString<Brintavolex::") + type + ">: number out of range")
            << bad;
    }
}

template <class T> T OracleParse(const std::string &text)
{
    if constexpr (std::is_same_v<T, float>)
        return std::strtof(text.c_str(), nullptr);
    else
        return std::strtod(text.c_str(), nullptr);
}

template <class T, class Bits> void ExpectFloatRoundTrips(std::mt19937_64 &random)
{
    using Limits = std::numeric_limits<T>;
    const T special[] = {0,       -T(0),       Limits::infinity(),   -Limits::infinity(), Limits::quiet_NaN(),
                         -Limits::quiet_NaN(), Limits::denorm_min(), Limits::max(),       Limits::lowest()};
    std::uniform_int_distribution<Bits> bits;
    std::uniform_real_distribution<T> unit(-1000, 1000);
    for (int i = 0; i < 20000; ++i) {
        // Random bit patterns cover denormals, huge values and NaNs; the
        // plain numbers cover the fixed notation.
        const T value = i < 9 ? special[i] : i % 2 ? std::bit_cast<T>(bits(random)) : unit(random);
        const std::string expected = Oracle(value);
        const String text = StringFromValue<T>(value);
        ASSERT_EQ(Text(text), expected) << std::bit_cast<Bits>(value);
        const T back = ValueFromString<T>(text);
        if (std::isnan(value)) {
            ASSERT_TRUE(std::isnan(back));
            continue;
        }
        ASSERT_EQ(std::bit_cast<Bits>(back), std::bit_cast<Bits>(OracleParse<T>(expected))) << expected;
        // Written again, the value keeps its text: a setting is stable.
        ASSERT_EQ(Text(StringFromValue<T>(back)), expected);
    }
}

} // namespace

TEST(ValueText, IntegersRoundTripInDecimal)
{
    std::mt19937_64 random(1);
    ExpectIntegerRoundTrips<UInt16>(random, "UInt16");
    ExpectIntegerRoundTrips<UInt32>(random, "UInt32");
    ExpectIntegerRoundTrips<UInt64>(random, "UInt64");
    ExpectIntegerRoundTrips<SInt16>(random, "SInt16");
    ExpectIntegerRoundTrips<SInt32>(random, "SInt32");
    ExpectIntegerRoundTrips<SInt64>(random, "SInt64");
    EXPECT_EQ(ValueFromString<UInt32>("+17"), 17u);
    EXPECT_EQ(ValueFromString<SInt32>("-0"), 0);
}

TEST(ValueText, FloatsAreWrittenAsPrintfGeneralAndReadBack)
{
    std::mt19937_64 random(2);
    ExpectFloatRoundTrips<float, std::uint32_t>(random);
    ExpectFloatRoundTrips<double, std::uint64_t>(random);
    // Forms that are read though never written.
    EXPECT_EQ(ValueFromString<Float64>("1e-3"), 0.001);
    EXPECT_EQ(ValueFromString<Float32>("+2.5"), 2.5f);
}

TEST(ValueText, BadTextIsRefusedWithTheTypeNamed)
{
    EXPECT_EQ(ReadError<SInt64>(""), "ValueFromString<Brintavolex::SInt64>: string is empty");
    EXPECT_EQ(ReadError<bool>(""), "ValueFromString<bool>: string is empty");
    EXPECT_EQ(ReadError<Float32>(""), "ValueFromString<Brintavolex::Float32>: string is empty");

    for (const char *bad : {"abc", "12x", " 5", "5 ", "0x10", "1.0", "+-5", "++5", "+", "-", "1e3", "\t7"}) {
        EXPECT_EQ(ReadError<SInt32>(bad), "ValueFromString<Brintavolex::SInt32>: not a number") << bad;
        EXPECT_EQ(ReadError<UInt64>(bad), "ValueFromString<Brintavolex::UInt64>: not a number") << bad;
    }
    EXPECT_EQ(ReadError<UInt32>(std::string("12\0", 3)), "ValueFromString<Brintavolex::UInt32>: not a number");
    for (const char *bad : {"abc", "1.5x", "1,5", "0x1p3", " 1", "1 ", "--1", "."}) {
        EXPECT_EQ(ReadError<Float64>(bad), "ValueFromString<Brintavolex::Float64>: not a number") << bad;
    }
    EXPECT_EQ(ReadError<Float32>("1e39"), "ValueFromString<Brintavolex::Float32>: number out of range");
    EXPECT_EQ(ReadError<Float64>("1e400"), "ValueFromString<Brintavolex::Float64>: number out of range");
    // Non-ASCII digits in wide text are no number either.
    EXPECT_THROW(ValueFromString<UInt32>(StringExpr(u"\uFF11")), Exception);

    EXPECT_EQ(ReadError<UInt8>("1"), "ValueFromString<Brintavolex::UInt8>: not supported");
    EXPECT_THROW(StringFromValue<SInt8>(1), Exception);
    EXPECT_THROW(StringFromValue<UInt8>(1), Exception);

    using Color = Data::ColorBGRA<float>;
    for (const char *bad : {"1,2,3", "1,2,3,4,5", "1,2,,4", "1,2,3,4,", "1;2;3;4", "a,b,c,d"})
        EXPECT_THROW(ValueFromString<Color>(bad), Exception) << bad;
    EXPECT_EQ(ReadError<Color>(""), "ValueFromString<Brintavolex::Data::ColorBGRA<float>>: string is empty");
}

TEST(ValueText, BoolsAndEnumerationsUseTheirExactNames)
{
    EXPECT_TRUE(ValueFromString<bool>("true"));
    EXPECT_FALSE(ValueFromString<bool>("false"));
    EXPECT_TRUE(ValueFromString<bool>(u"true"));
    for (const char *bad : {"TRUE", "True", "1", "true ", "yes"})
        EXPECT_THROW(ValueFromString<bool>(bad), Exception) << bad;
    EXPECT_EQ(Text(StringFromValue(true)), "true");

    using Locale::EnumLanguage;
    using Platform::Video::RendererTypeEnum;
    using Resampling::EnumResamplingMode;
    const auto expectNames = [](auto first, std::initializer_list<const char *> names) {
        using E = decltype(first);
        int i = int(first);
        for (const char *name : names) {
            EXPECT_EQ(Text(StringFromValue(E(i))), name);
            EXPECT_EQ(ValueFromString<E>(name), E(i));
            ++i;
        }
    };
    EXPECT_EQ(ValueFromString<EnumLanguage>("Auto"), EnumLanguage::Auto);
    EXPECT_EQ(Text(StringFromValue(EnumLanguage::German)), "DE");
    EXPECT_EQ(ValueFromString<EnumLanguage>("EN"), EnumLanguage::English);
    expectNames(RendererTypeEnum(0), {"OpenGL", "Direct3D9", "Software"});
    expectNames(EnumResamplingMode(0), {"Cubic", "Linear", "Nearest", "Area", "MipMap Bilinear", "MipMap Trilinear"});

    EXPECT_EQ(ReadError<EnumResamplingMode>("nearest"),
              "ValueFromString<Brintavolex::Resampling::EnumResamplingMode>: unknown name");
    EXPECT_THROW(ValueFromString<EnumLanguage>("de"), Exception);
    EXPECT_THROW(ValueFromString<RendererTypeEnum>("Direct3D"), Exception);
    EXPECT_THROW(StringFromValue(RendererTypeEnum(3)), Exception);
    EXPECT_THROW(StringFromValue(EnumResamplingMode(-1)), Exception);
    EXPECT_THROW(StringFromValue(EnumLanguage(0x44450001)), Exception);
}

TEST(ValueText, ColoursAreFourFloatsInMemoryOrder)
{
    using Color = Data::ColorBGRA<float>;
    const Color odd{std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity(), 0.5f, 1};
    EXPECT_EQ(Text(StringFromValue(odd)), "nan,-inf,0.5,1");
    const Color oddBack = ValueFromString<Color>(StringFromValue(odd));
    EXPECT_TRUE(std::isnan(oddBack.b) && oddBack.g == odd.g && oddBack.r == 0.5f);
    // Each channel is written and read as a float is on its own.
    const Color plain{0.1f, -1.5e-7f, 3e38f, 2};
    EXPECT_EQ(Text(StringFromValue(plain)), Oracle(0.1f) + "," + Oracle(-1.5e-7f) + "," + Oracle(3e38f) + ",2");
    const Color back = ValueFromString<Color>(StringFromValue(plain));
    EXPECT_TRUE(back.b == OracleParse<float>(Oracle(0.1f)) && back.r == OracleParse<float>(Oracle(3e38f)));
}

TEST(ValueText, NumbersIgnoreTheProcessLocale)
{
    TestSupport::GermanLocale german;
    ASSERT_TRUE(german.Active()) << german.Describe();
    // The switch took effect: the C library and C++ streams now write German
    // numbers.
    char probe[32];
    std::snprintf(probe, sizeof probe, "%g", 0.5);
    EXPECT_STREQ(probe, "0,5");
    if (german.HasCxx()) {
        std::ostringstream stream;
        stream << 1234.5;
        EXPECT_EQ(stream.str(), "1.234,5");
    }

    EXPECT_EQ(Text(StringFromValue<Float32>(0.25f)), "0.25");
    EXPECT_EQ(Text(StringFromValue<UInt32>(1234567)), "1234567");
    EXPECT_THROW(ValueFromString<Float64>("0,5"), Exception);
    EXPECT_THROW(ValueFromString<UInt32>("1.234.567"), Exception);
    EXPECT_EQ(Text(StringFromValue(Data::ColorBGRA<float>{0.5f, 1, 2, 3})), "0.5,1,2,3");
    EXPECT_EQ(ValueFromString<Float64>("-1234.5e-3"), -1.2345);
    EXPECT_EQ(ValueFromString<Data::ColorBGRA<float>>("0.5,1,2,3").b, 0.5f);
}

} // namespace Brintavolex
