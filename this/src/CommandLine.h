#pragma once

#include "Root/api/String.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Brintavolex {

// Splits a command line: blanks (tab, LF, CR, space) separate arguments
// outside quotes; a double quote toggles quoted mode and is never copied;
// there is no escape character, so "" gives an empty argument.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Quotes arguments so that SplitCommandLine gives them back. An argument
// that holds a double quote cannot be written and is refused.
std::u16string JoinCommandLine(const std::vector<std::u16string> &arguments);

enum class Role {
    Viewer,
    RegisterServer,
    UnregisterServer,
    Install,
    Uninstall,
    Automation,
};

// What WinMain does with an argument vector (argv[0] is the program).
struct LaunchPlan {
    Role role = Role::Viewer;
    bool openFile = false;       // viewer: open file at once
    std::u16string file;
    bool loadPlugin = false;     // viewer: "/DLL" path, after the window is up
    std::u16string plugin;
    bool checkPortable = false;  // viewer without a file argument
    std::u16string installFolder;     // "/install" argv[2], may be empty
    std::u16string installParameters; // "/install" argv[3], may be empty
};

LaunchPlan ChooseRole(const std::vector<std::u16string> &arguments);

enum class InstallUsers { OnlyMe, Common };

// The positional parameter string of "/install":
// "USERS=ONLYME DESKTOP=1 STARTMENU=1 FILEASSOCIATIONS=1 PLUGINS=1".
struct InstallParameters {
    InstallUsers users = InstallUsers::OnlyMe;
    bool desktopShortcut = false;
    bool startMenu = false;
    char fileAssociations = 0; // 0 none, 1 or 2: the two association modes
    bool plugins = false;
};

// Throws Exception naming the first field whose label is missing; the whole
// string is written to the error log beside it.
InstallParameters ParseInstallParameters(std::u16string_view parameters);

// The exit code of a run that ended with a system error: its code, but never
// 0, which would read as success.
int ExitCodeForSystemError(std::uint32_t code) noexcept;

// True when the uninstall command names this very executable (letter case
// ignored): then the program is installed, not portable.
bool UninstallEntryNamesModule(StringExpr uninstallString, StringExpr modulePath);

} // namespace Brintavolex
