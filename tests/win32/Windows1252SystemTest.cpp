// Our Windows-1252 table against the system's own conversions.
#include "Root/api/String.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace Brintavolex {

namespace {
bool IsUndefinedByte(unsigned b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }
} // namespace

TEST(Windows1252System, BytesToWideMatchMultiByteToWideChar)
{
    for (unsigned b = 0; b < 256; ++b) {
        if (IsUndefinedByte(b))
            continue;
        const char byte = char(b);
        wchar_t wide = 0;
        ASSERT_EQ(MultiByteToWideChar(1252, 0, &byte, 1, &wide, 1), 1);
        EXPECT_EQ(unsigned(Windows1252ToUTF16[b]), unsigned(wide)) << "byte " << b;
    }
}

TEST(Windows1252System, WideToBytesMatchWideCharToMultiByte)
{
    int compared = 0;
    for (unsigned u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue; // lone surrogates: the system's answer varies
        if (u < 0x100 && IsUndefinedByte(u))
            continue; // the system maps the five undefined bytes to C1 controls
        const wchar_t unit = wchar_t(u);
        char byte = 0;
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &unit, 1, &byte, 1, "?", &usedDefault);
        ASSERT_EQ(n, 1) << "unit " << u;
        const unsigned expected = usedDefault ? '?' : unsigned(static_cast<unsigned char>(byte));
        ASSERT_EQ(unsigned(UTF16ToWindows1252(char16_t(u))), expected) << "unit " << u;
        ++compared;
    }
    EXPECT_GT(compared, 60000);
}

} // namespace Brintavolex
