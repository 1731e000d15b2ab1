// brintavolex-cli: the viewer's decoders on the command line.
#include "this/src/Cli/Cli.h"

#include <cstdio>

#ifdef _WIN32
#include "Platform/src/Win32/WideText.h"
#include "this/src/Win32/Startup.h"

#include <windows.h>
#endif

int main(int argc, char **argv)
{
    std::vector<Brintavolex::String> arguments;
#ifdef _WIN32
    // Wide arguments, so that any file name arrives intact.
    (void)argc, (void)argv;
    int count = 0;
    LPWSTR *wide = Brintavolex::CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(Brintavolex::String(Brintavolex::StringExpr(Brintavolex::Win32::U(wide[i]))));
    LocalFree(wide);
    SetConsoleOutputCP(CP_UTF8);
#else
    for (int i = 1; i < argc; ++i)
        arguments.push_back(Brintavolex::FromUTF8(argv[i]));
#endif
    std::string out, err;
    const int code = Brintavolex::Cli::Run(arguments, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
