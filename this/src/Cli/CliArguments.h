#pragma once

#include "Root/api/String.h"

#include <vector>

namespace Brintavolex::Cli {

// The arguments after the program name, intact whatever the file names
// hold (the wide command line on Windows, UTF-8 elsewhere); on Windows the
// console is also switched to UTF-8 output.
std::vector<String> ProgramArguments(int argc, char **argv);

} // namespace Brintavolex::Cli
