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

namespace {

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
    std::vector<HWND> viewers;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context)
{
    auto &search = *reinterpret_cast<DialogSearch *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    if (owner == search.processId && IsWindowVisible(window) && GetClassNameW(window, className, 16)) {
        if (std::wstring(className) == L"#32770")
            search.found.push_back(window);
        else if (std::wstring(className) == L"Brintavolex")
            search.viewers.push_back(window);
    }
    return TRUE;
}

} // namespace

unsigned long RunProcessAnsweringDialogs(const std::wstring &commandLine, std::vector<std::wstring> &captions,
                                         unsigned long timeoutMs)
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
    std::vector<HWND> answered, closed;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    DWORD exitCode = ~0ul;
    for (;;) {
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &exitCode);
            break;
        }
        if (GetTickCount64() > deadline) {
            ADD_FAILURE() << "process did not end within " << timeoutMs << " ms";
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
        DialogSearch search{process.dwProcessId, {}, {}};
        EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&search));
        for (HWND viewer : search.viewers) {
            bool seen = false;
            for (HWND old : closed)
                seen = seen || old == viewer;
            if (!seen) {
                closed.push_back(viewer);
                PostMessageW(viewer, WM_CLOSE, 0, 0);
            }
        }
        for (HWND dialog : search.found) {
            bool seen = false;
            for (HWND old : answered)
                seen = seen || old == dialog;
            if (!seen) {
                wchar_t caption[256] = {};
                GetWindowTextW(dialog, caption, 256);
                captions.push_back(caption);
                answered.push_back(dialog);
            }
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    }
    CloseHandle(process.hProcess);
    return exitCode;
}

} // namespace Brintavolex::TestSupport
