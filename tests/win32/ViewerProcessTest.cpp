// The real "Brintavolex Viewer.exe", started with raw command lines.
#include "support/Win32/ProcessRunner.h"

#include <gtest/gtest.h>

namespace Brintavolex::TestSupport {

namespace {
unsigned long RunViewer(const std::wstring &arguments) { return RunProcess(L"\"" + ViewerPath() + L"\" " + arguments); }
constexpr unsigned long kFailure = 0xFFFFFFFFul; // exit code -1
} // namespace

TEST(ViewerProcess, ViewerRoleWithoutArguments)
{
    EXPECT_EQ(RunProcess(L"\"" + ViewerPath() + L"\""), 0ul);
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

TEST(ViewerProcess, FileArgumentsAndPluginSwitch)
{
    // A switch-like single argument is a file name: viewer role.
    EXPECT_EQ(RunViewer(L"/install.png"), 0ul);
    EXPECT_EQ(RunViewer(L"\"\""), 0ul);
    EXPECT_EQ(RunViewer(L"a\"b c\"d"), 0ul);
    // Only "/DLL" in this case names a plug-in (a missing one is tried by
    // the plug-in tests, which answer the problem notice).
    EXPECT_EQ(RunViewer(L"/dll C:\\none.dll"), 0ul);
}

} // namespace Brintavolex::TestSupport
