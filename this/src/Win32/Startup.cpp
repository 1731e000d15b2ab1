#include "this/src/Win32/Startup.h"

#include "Platform/api/Win32/Registry.h"
#include "Platform/api/Win32/WideText.h"
#include "this/src/CommandLine.h"

#include <cstring>
#include <vector>

namespace Brintavolex {

namespace {

template <class C, class S> C **MakeArgumentBlock(const std::vector<S> &arguments, int *count)
{
    std::size_t bytes = (arguments.size() + 1) * sizeof(C *);
    for (const S &argument : arguments)
        bytes += (argument.size() + 1) * sizeof(C);
    auto **argv = static_cast<C **>(GlobalAlloc(GMEM_FIXED, bytes));
    if (!argv)
        return nullptr;
    C *text = reinterpret_cast<C *>(argv + arguments.size() + 1);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        argv[i] = text;
        std::memcpy(text, arguments[i].data(), arguments[i].size() * sizeof(C));
        text += arguments[i].size();
        *text++ = 0;
    }
    argv[arguments.size()] = nullptr;
    *count = int(arguments.size());
    return argv;
}

} // namespace

LPWSTR *CommandLineToArgvW(LPCWSTR commandLine, int *count)
{
    if (!count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::vector<std::u16string> arguments =
        SplitCommandLine(std::u16string_view(commandLine ? Win32::U(commandLine) : u""));
    return reinterpret_cast<LPWSTR *>(MakeArgumentBlock<char16_t>(arguments, count));
}

LPSTR *CommandLineToArgvA(LPCSTR commandLine, int *count)
{
    if (!count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::vector<std::string> arguments = SplitCommandLine(std::string_view(commandLine ? commandLine : ""));
    return MakeArgumentBlock<char>(arguments, count);
}

std::uint32_t OperatingSystemMajorVersion()
{
    static std::uint32_t cached = 0xFFFFFFFF;
    if (cached == 0xFFFFFFFF) {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = 148;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        cached = GetVersionExA(&info) ? info.dwMajorVersion : 0;
#pragma GCC diagnostic pop
    }
    return cached;
}

bool IsRunningPortably()
{
    try {
        std::vector<wchar_t> module(32768);
        const DWORD length = GetModuleFileNameW(nullptr, module.data(), DWORD(module.size()));
        if (length == 0 || length >= module.size())
            return true;
        const String modulePath(StringExpr(std::u16string_view(Win32::U(module.data()), length)));
        const std::u16string key = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brintavolex Viewer";
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            const auto entry = Win32::ReadRegistryString(root, key, u"UninstallString");
            if (entry && UninstallEntryNamesModule(StringExpr(*entry), modulePath))
                return false;
        }
    } catch (...) {
    }
    return true;
}

} // namespace Brintavolex
