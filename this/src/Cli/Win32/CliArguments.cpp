#include "this/src/Cli/CliArguments.h"

#include "Platform/api/Win32/WideText.h"
#include "this/src/Win32/Startup.h"

#include <windows.h>

namespace Brintavolex::Cli {

std::vector<String> ProgramArguments(int, char **)
{
    std::vector<String> arguments;
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(String(StringExpr(Win32::U(wide[i]))));
    LocalFree(wide);
    SetConsoleOutputCP(CP_UTF8);
    return arguments;
}

} // namespace Brintavolex::Cli
