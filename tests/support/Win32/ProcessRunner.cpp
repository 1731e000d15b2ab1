#include "support/Win32/ProcessRunner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// Answers each new dialog of the process with OK (noting its caption) and
// closes each new viewer window once.
void AnswerWindows(DWORD processId, std::vector<std::wstring> &captions, std::vector<HWND> &seen)
{
    DialogSearch search{processId, {}, {}};
    EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&search));
    const auto isNew = [&](HWND window) {
        if (std::find(seen.begin(), seen.end(), window) != seen.end())
            return false;
        seen.push_back(window);
        return true;
    };
    for (HWND viewer : search.viewers)
        if (isNew(viewer))
            PostMessageW(viewer, WM_CLOSE, 0, 0);
    for (HWND dialog : search.found) {
        if (isNew(dialog)) {
            wchar_t caption[256] = {};
            GetWindowTextW(dialog, caption, 256);
            captions.push_back(caption);
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

// Starts the process and waits for its end; with captions, answers its
// windows meanwhile.
unsigned long Run(const std::wstring &commandLine, unsigned long timeoutMs, std::vector<std::wstring> *captions)
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
    std::vector<HWND> seen;
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
        if (captions)
            AnswerWindows(process.dwProcessId, *captions, seen);
    }
    CloseHandle(process.hProcess);
    return exitCode;
}

} // namespace

unsigned long RunProcess(const std::wstring &commandLine, unsigned long timeoutMs)
{
    return Run(commandLine, timeoutMs, nullptr);
}

unsigned long RunProcessAnsweringDialogs(const std::wstring &commandLine, std::vector<std::wstring> &captions,
                                         unsigned long timeoutMs)
{
    return Run(commandLine, timeoutMs, &captions);
}

} // namespace Brintavolex::TestSupport
