#pragma once

#include "Root/api/String.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Brintavolex::TestSupport {

// A file below the set-up script's cache (test suites fetched from Debian's
// source packages) or below tests/data, as a path this platform opens
// (Wine sees the Linux root as drive Z:).
String CachePath(const std::string &relative);
String DataPath(const std::string &relative);
// A file that the build generated for the tests.
String GeneratedPath(const std::string &relative);
bool Exists(const String &path);

// The bytes of a file (throws std::runtime_error when unreadable).
std::string ReadBytes(const String &path);

// A picture as 8-bit RGBA rows, decoded by libpng, for comparing pixels.
struct RgbaPicture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t *At(std::uint32_t x, std::uint32_t y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
};
RgbaPicture ReadPng(const std::string &bytes);

// Path of a checked-in file below tests/data (a Z: path under Wine).
std::string TestDataPath(const std::string &relative);

// A path as the TempFolder and TestDataPath give it, as the program's String.
String PathString(const std::string &path);

// Rewrites checked-in expectations instead of comparing with them, when the
// environment variable BRINTAVOLEX_UPDATE_GOLDEN is set.
bool UpdateGoldenFiles();

} // namespace Brintavolex::TestSupport
