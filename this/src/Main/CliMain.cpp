// brintavolex-cli: the viewer's decoders on the command line.
#include "this/src/Cli/Cli.h"
#include "this/src/Cli/CliArguments.h"

#include <cstdio>

int main(int argc, char **argv)
{
    std::string out, err;
    const int code = Brintavolex::Cli::Run(Brintavolex::Cli::ProgramArguments(argc, argv), out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
