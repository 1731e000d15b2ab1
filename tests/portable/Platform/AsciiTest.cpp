#include "Platform/api/Ascii.h"

#include <gtest/gtest.h>

namespace Brintavolex {

TEST(Ascii, LowersOnlyLettersAToZ)
{
    for (int c = 0; c < 0x10000; ++c) {
        const char16_t u = char16_t(c);
        const char16_t expected = (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : u;
        ASSERT_EQ(ToLowerAscii(u), expected) << c;
    }
    EXPECT_EQ(ToLowerAscii('\xC4'), '\xC4');
}

} // namespace Brintavolex
