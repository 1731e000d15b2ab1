// The real "Brintavolex Viewer.exe", started with raw command lines.
#include "support/Win32/ProcessRunner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace Brintavolex::TestSupport {

namespace {
unsigned long RunViewer(const std::wstring &arguments) { return RunProcess(L"\"" + ViewerPath() + L"\" " + arguments); }
constexpr unsigned long kFailure = 0xFFFFFFFFul; // exit code -1

struct Started {
    PROCESS_INFORMATION process{};
    bool ok = false;
};

Started Start(const std::wstring &arguments)
{
    std::wstring line = L"\"" + ViewerPath() + L"\" " + arguments;
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Started s;
    s.ok = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &s.process) != FALSE;
    return s;
}

// The visible window of the host's class that the process shows.
HWND WindowOf(DWORD processId)
{
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto &s = *reinterpret_cast<Search *>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == s.processId && IsWindowVisible(window) && std::wstring(name) == L"Brintavolex") {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Starts every command line, waits for each window, closes it as the system
// does and collects the exit codes.
std::vector<unsigned long> OpenAndClose(const std::vector<std::wstring> &argumentLists)
{
    std::vector<Started> started;
    for (const std::wstring &arguments : argumentLists) {
        started.push_back(Start(arguments));
        EXPECT_TRUE(started.back().ok) << "CreateProcessW failed";
    }
    std::vector<unsigned long> codes;
    for (Started &s : started) {
        unsigned long code = ~0ul;
        if (s.ok) {
            HWND window = nullptr;
            for (DWORD t0 = GetTickCount(); !window && GetTickCount() - t0 < 60000; Sleep(50))
                window = WindowOf(s.process.dwProcessId);
            EXPECT_NE(window, nullptr) << "no window";
            if (window) {
                wchar_t title[64] = {};
                GetWindowTextW(window, title, 64);
                EXPECT_EQ(std::wstring(title), L"Brintavolex Viewer");
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
            if (WaitForSingleObject(s.process.hProcess, 20000) == WAIT_OBJECT_0)
                GetExitCodeProcess(s.process.hProcess, &code);
            else
                ADD_FAILURE() << "the viewer did not end";
            TerminateProcess(s.process.hProcess, 1);
            CloseHandle(s.process.hThread);
            CloseHandle(s.process.hProcess);
        }
        codes.push_back(code);
    }
    return codes;
}
} // namespace

TEST(ViewerProcess, TheViewerRoleShowsItsWindowUntilItIsClosed)
{
    // A switch-like single argument is a file name: the viewer role too.
    // (The other splits of the command line are checked without processes.)
    const std::vector<std::wstring> viewerRoles{L"", L"/install.png", L"/DLL C:\\none.dll"};
    const std::vector<unsigned long> codes = OpenAndClose(viewerRoles);
    for (std::size_t i = 0; i < codes.size(); ++i)
        EXPECT_EQ(codes[i], 0ul) << "arguments " << i;
}

TEST(ViewerProcess, SwitchesAreCaseInsensitive)
{
    EXPECT_EQ(RunViewer(L"/RegServer"), 0ul);
    EXPECT_EQ(RunViewer(L"-UNREGSERVER"), 0ul);
    EXPECT_EQ(RunViewer(L"/Uninstall"), 0ul);
    EXPECT_EQ(RunViewer(L"/AutoMation"), 0ul);
    // The install role is recognised in any case: its malformed parameter
    // string then fails with -1.
    EXPECT_EQ(RunViewer(L"/InStAlL \"\" \"USERS=NOBODY\""), kFailure);
    EXPECT_EQ(RunViewer(L"/INSTALL"), kFailure);
    EXPECT_EQ(RunViewer(L"/install \"\" \"USERS=ONLYME DESKTOP=1 STARTMENU=1 FILEASSOCIATIONS=1\""), kFailure);
}

} // namespace Brintavolex::TestSupport
