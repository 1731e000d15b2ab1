#include "support/Win32/ProcessRunner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace Brintavolex::TestSupport {

std::wstring ModuleFolder()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    std::wstring path(buffer.data(), n);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring ViewerPath() { return ModuleFolder() + L"Brintavolex Viewer.exe"; }

unsigned long RunProcess(const std::wstring &commandLine, unsigned long timeoutMs)
{
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "CreateProcessW failed with error " << GetLastError();
        return ~0ul;
    }
    CloseHandle(process.hThread);
    DWORD exitCode = ~0ul;
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "process did not end within " << timeoutMs << " ms";
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    } else {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    CloseHandle(process.hProcess);
    return exitCode;
}

} // namespace Brintavolex::TestSupport
