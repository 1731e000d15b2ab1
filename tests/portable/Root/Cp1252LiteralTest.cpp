// Compiled with the execution character set Windows-1252, like every unit
// that holds German texts.
#include <gtest/gtest.h>

#include <cstring>

TEST(Cp1252Literal, GermanUmlautIsOneWindows1252Byte)
{
    const char text[] = "Datei öffnen";
    const unsigned char expected[] = {0x44, 0x61, 0x74, 0x65, 0x69, 0x20, 0xF6,
                                      0x66, 0x66, 0x6E, 0x65, 0x6E, 0x00};
    ASSERT_EQ(sizeof text, sizeof expected);
    EXPECT_EQ(std::memcmp(text, expected, sizeof expected), 0);
}
