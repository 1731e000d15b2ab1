#pragma once

#include "Root/api/String.h"

#include <string>
#include <vector>

namespace Brintavolex::Cli {

// The command-line tool: "info FILE" prints what the viewer learns of a
// file, "convert FILE OUT.png" writes its first picture as PNG. Output goes
// to out and err as UTF-8 text; the result is the process exit code.
int Run(const std::vector<String> &arguments, std::string &out, std::string &err);

} // namespace Brintavolex::Cli
