#pragma once

#include "Platform/api/String.h"

#include <string>

namespace Brintavolex::TestSupport {

// Path of a checked-in file below tests/data (a Z: path under Wine).
std::string TestDataPath(const std::string &relative);

// A path as the TempFolder and TestDataPath give it, as the program's String.
String PathString(const std::string &path);

// Rewrites checked-in expectations instead of comparing with them, when the
// environment variable BRINTAVOLEX_UPDATE_GOLDEN is set.
bool UpdateGoldenFiles();

} // namespace Brintavolex::TestSupport
