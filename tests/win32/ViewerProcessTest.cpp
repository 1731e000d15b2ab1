// The real "Brintavolex Viewer.exe", started with raw command lines.
#include "support/Win32/ProcessRunner.h"

#include <gtest/gtest.h>

namespace Brintavolex::TestSupport {

namespace {
unsigned long RunViewer(const std::wstring &arguments) { return RunProcess(L"\"" + ViewerPath() + L"\" " + arguments); }
constexpr unsigned long kFailure = 0xFFFFFFFFul; // exit code -1
} // namespace

TEST(ViewerProcess, TheViewerRoleShowsItsWindowUntilItIsClosed)
{
    // A switch-like single argument is a file name (a missing file is no
    // problem to report); only "/DLL" in this case names a plug-in. The other
    // splits of the command line are checked without processes.
    for (const std::wstring arguments : {L"", L"/install.png", L"/dll C:\\none.dll"}) {
        std::vector<std::wstring> dialogs;
        EXPECT_EQ(RunProcessAnsweringDialogs(L"\"" + ViewerPath() + L"\" " + arguments, dialogs), 0ul);
        EXPECT_TRUE(dialogs.empty());
    }
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
}

} // namespace Brintavolex::TestSupport
