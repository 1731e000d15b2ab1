#include "this/src/Win32/Startup.h"

#include <gtest/gtest.h>

#include <string>

namespace Brintavolex {

// The block obeys the contract of the system function: pointers, a null
// pointer, then the strings, all in one block that LocalFree releases.
TEST(ArgumentVector, OneBlockReleasedByLocalFree)
{
    int count = -1;
    LPWSTR *argv = CommandLineToArgvW(L"prog a\"b c\"d \"\" last", &count);
    ASSERT_NE(argv, nullptr);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(std::wstring(argv[0]), L"prog");
    EXPECT_EQ(std::wstring(argv[1]), L"ab cd");
    EXPECT_EQ(std::wstring(argv[2]), L"");
    EXPECT_EQ(std::wstring(argv[3]), L"last");
    EXPECT_EQ(argv[4], nullptr);
    const SIZE_T size = GlobalSize(argv);
    const auto *begin = reinterpret_cast<const char *>(argv);
    for (int i = 0; i < count; ++i) {
        const auto *text = reinterpret_cast<const char *>(argv[i]);
        EXPECT_GE(text, begin + 5 * sizeof(LPWSTR));
        EXPECT_LT(text, begin + size);
    }
    EXPECT_EQ(LocalFree(argv), nullptr);

    int narrowCount = 0;
    LPSTR *narrow = CommandLineToArgvA("p \"x y\"", &narrowCount);
    ASSERT_NE(narrow, nullptr);
    ASSERT_EQ(narrowCount, 2);
    EXPECT_EQ(std::string(narrow[1]), "x y");
    EXPECT_EQ(LocalFree(narrow), nullptr);

    EXPECT_EQ(CommandLineToArgvW(L"x", nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

} // namespace Brintavolex
