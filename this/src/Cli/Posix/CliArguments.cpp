#include "this/src/Cli/CliArguments.h"
#include "Platform/api/String.h"

namespace Brintavolex::Cli {

std::vector<String> ProgramArguments(int argc, char **argv)
{
    std::vector<String> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(FromUTF8(argv[i]));
    return arguments;
}

} // namespace Brintavolex::Cli
