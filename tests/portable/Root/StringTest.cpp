#include "Platform/api/String.h"
#include "Root/api/Exception.h"

#include "Cp1252Expected.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <stdexcept>

namespace Brintavolex {

namespace {
String Narrow(const char *text) { return String(text); }
String Wide(const char16_t *text) { return String(text); }
} // namespace

TEST(Windows1252, EveryByteToUTF16MatchesPythonsCodec)
{
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = char(b);
        const String wide = String(StringExpr(&byte, 1, Encoding::Windows1252)).ToWide();
        ASSERT_EQ(wide.GetEncoding(), Encoding::UTF16);
        ASSERT_EQ(wide.Length(), 1u);
        EXPECT_EQ(unsigned(wide.Wide()[0]), unsigned(kCp1252ExpectedToWide[b])) << "byte " << b;
    }
}

TEST(Windows1252, EveryUTF16UnitToNarrowMatchesPythonsCodec)
{
    std::u16string all(0x10000, u'\0');
    for (unsigned u = 0; u < 0x10000; ++u)
        all[u] = char16_t(u);
    const String narrow = String(StringExpr(all)).ToNarrow();
    ASSERT_EQ(narrow.GetEncoding(), Encoding::Windows1252);
    ASSERT_EQ(narrow.Length(), 0x10000u);
    const auto *bytes = reinterpret_cast<const unsigned char *>(narrow.Narrow());
    for (unsigned u = 0; u < 0x10000; ++u)
        ASSERT_EQ(unsigned(bytes[u]), unsigned(kCp1252ExpectedToNarrow[u])) << "unit " << u;
}

TEST(String, ConstructionCopiesLengthUnitsAndTerminates)
{
    // An unterminated view into a buffer of exactly its length: ASan catches
    // any read of the unit behind it.
    std::unique_ptr<char[]> bytes(new char[3]{'a', 'b', 'c'});
    const String narrow(StringExpr(bytes.get(), 3, Encoding::Windows1252));
    EXPECT_EQ(narrow.Length(), 3u);
    EXPECT_STREQ(narrow.Narrow(), "abc");

    std::unique_ptr<char16_t[]> units(new char16_t[2]{u'x', u'y'});
    const String wide(StringExpr(units.get(), 2, Encoding::UTF16));
    EXPECT_EQ(std::u16string(wide.Wide()), u"xy");
}

TEST(String, EmptyAndInvalidTags)
{
    const String none;
    EXPECT_EQ(none.GetEncoding(), Encoding::None);
    EXPECT_STREQ(none.Narrow(), "");
    EXPECT_EQ(none.ToWide().GetEncoding(), Encoding::UTF16);
    EXPECT_TRUE(none == Narrow(""));
    EXPECT_TRUE(Narrow("") == Wide(u""));

    const char text[] = "x";
    const StringExpr bad(text, 1, 1300);
    EXPECT_EQ(Thrown([&] { String s(bad); }), "Brintavolex::String::String(const StringExpr<R> &)");
    EXPECT_THROW((void)(bad == StringExpr("x")), std::runtime_error);
    EXPECT_THROW((void)(bad + StringExpr("x")), std::runtime_error);
    // Valid but unconvertible code pages.
    const String cp1250(StringExpr(text, 1, 1250));
    EXPECT_THROW(cp1250.ToWide(), Exception);
    EXPECT_THROW(cp1250.ToNarrow(), Exception);
}

TEST(String, ComparisonAcrossEncodings)
{
    EXPECT_TRUE(Narrow("Datei \xF6"
                       "ffnen") == Wide(u"Datei \u00F6ffnen"));
    EXPECT_FALSE(Narrow("abc") == Wide(u"abd"));
    EXPECT_TRUE(Narrow("abc") != Wide(u"ab"));
    EXPECT_TRUE(Narrow("\x80") == Wide(u"\u20AC"));
    EXPECT_TRUE(Narrow("a") < Wide(u"b"));
}

TEST(String, LowerCase)
{
    String narrow = Narrow("\xC4"
                           "BC Z");
    ToLower(narrow);
    EXPECT_STREQ(narrow.Narrow(), "\xC4"
                                  "bc z");

    String wide = Wide(u"\u00C4BC \u0391\u0410\uFF21\u0130\u00DF");
    ToLower(wide);
    EXPECT_EQ(std::u16string(wide.Wide()), u"\u00E4bc \u03B1\u0430\uFF41\u0130\u00DF");
}

TEST(String, Concatenation)
{
    const String same = StringExpr("ab") + StringExpr("cd");
    EXPECT_EQ(same.GetEncoding(), Encoding::Windows1252);
    EXPECT_STREQ(same.Narrow(), "abcd");

    const String mixed = StringExpr("a\x80") + StringExpr(u"\u03A9");
    EXPECT_EQ(mixed.GetEncoding(), Encoding::UTF16);
    EXPECT_EQ(std::u16string(mixed.Wide()), u"a\u20AC\u03A9");

    String built = "x";
    built += " failed";
    EXPECT_EQ(built.Length(), 8u);
    EXPECT_EQ((String() + StringExpr("z")).ToStdString(), "z");
}

TEST(String, NumbersWithMinimumDigits)
{
    const std::pair<String, const char *> cases[] = {{String::FromInteger(5, 2), "05"},
                                                     {String::FromInteger(2024, 4), "2024"},
                                                     {String::FromInteger(0), "0"},
                                                     {String::FromInteger(-7, 3), "-007"},
                                                     {String::FromInteger(INT64_MIN), "-9223372036854775808"},
                                                     {String::FromUnsigned(UINT64_MAX), "18446744073709551615"},
                                                     {String::FromUnsigned(4711, 5), "04711"}};
    for (const auto &[text, expected] : cases)
        EXPECT_STREQ(text.Narrow(), expected);
}

TEST(String, UTF8RoundTrip)
{
    const std::u16string text = u"a\u00E4\u20AC\U0001F600z";
    const std::string utf8 = ToUTF8(StringExpr(text));
    EXPECT_EQ(utf8, "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(FromUTF8(utf8).ToU16String(), text);
    EXPECT_EQ(ToUTF8(StringExpr("\xF6")), "\xC3\xB6");
    // Truncated, overlong and surrogate sequences become U+FFFD.
    EXPECT_EQ(FromUTF8("\xE2\x82").ToU16String(), u"\uFFFD");
    EXPECT_EQ(FromUTF8("\xC0\xAF").ToU16String(), u"\uFFFD");
    EXPECT_EQ(FromUTF8("\xED\xA0\x80x").ToU16String(), u"\uFFFDx");
    EXPECT_EQ(ToUTF8(StringExpr(u"\xD800x")), "\xEF\xBF\xBDx");
}

} // namespace Brintavolex
