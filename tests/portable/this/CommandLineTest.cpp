#include "Root/api/Exception.h"
#include "this/src/CommandLine.h"

#include <gtest/gtest.h>

#include <random>

namespace Brintavolex {

using Args = std::vector<std::u16string>;

TEST(CommandLine, SplitsByTheProgramsRules)
{
    const struct {
        std::u16string line;
        Args expected;
    } cases[] = {
        {u"prog \"C:\\a b\\c.png\"", {u"prog", u"C:\\a b\\c.png"}},
        {u"prog a\"b c\"d", {u"prog", u"ab cd"}},
        {u"prog \"\"", {u"prog", u""}},
        {u"  prog\t\r\n  x   ", {u"prog", u"x"}},
        {u"prog C:\\dir\\ \"x\\\"y", {u"prog", u"C:\\dir\\", u"x\\y"}},
        {u"prog \"unterminated quote", {u"prog", u"unterminated quote"}},
        {u"\"C:\\Program Files\\v.exe\" /install \"\" \"USERS=ONLYME\"",
         {u"C:\\Program Files\\v.exe", u"/install", u"", u"USERS=ONLYME"}},
        {u"", {}},
        {u"   ", {}},
        {u"\"\"\"\"", {u""}},
        {u"a\"\"b", {u"ab"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.expected);
    EXPECT_EQ(SplitCommandLine(std::string_view("p \"a b\"c")), (std::vector<std::string>{"p", "a bc"}));
}

// Random argument vectors quoted by the rules split back to themselves.
TEST(CommandLine, QuotingRoundTrips)
{
    std::mt19937 random(12345);
    const std::u16string alphabet = u"ab\\ \t\r\n/-.:\u00E4\u20AC";
    for (int round = 0; round < 2000; ++round) {
        Args arguments(1 + random() % 6);
        for (std::u16string &argument : arguments) {
            const std::size_t length = random() % 8;
            for (std::size_t i = 0; i < length; ++i)
                argument.push_back(alphabet[random() % alphabet.size()]);
        }
        EXPECT_EQ(SplitCommandLine(JoinCommandLine(arguments)), arguments);
    }
    EXPECT_THROW(JoinCommandLine({u"a\"b"}), std::invalid_argument);
}

TEST(CommandLine, RoleChoice)
{
    // One argument is a file, even one that looks like a switch; "/DLL" is
    // exact case, so "/dll" x gives the empty view without plug-in.
    const struct {
        Args arguments;
        Role role;
        std::u16string file, plugin; // u"-" when none is to be opened or loaded
        bool checkPortable;
    } cases[] = {
        {{u"p", u"/REGSERVER"}, Role::RegisterServer, u"-", u"-", false},
        {{u"p", u"-RegServer", u"x", u"y"}, Role::RegisterServer, u"-", u"-", false},
        {{u"p", u"/unRegServer"}, Role::UnregisterServer, u"-", u"-", false},
        {{u"p", u"-unregserver"}, Role::UnregisterServer, u"-", u"-", false},
        {{u"p", u"/Uninstall"}, Role::Uninstall, u"-", u"-", false},
        {{u"p", u"/AUTOMATION"}, Role::Automation, u"-", u"-", false},
        {{u"p", u"-photo.png"}, Role::Viewer, u"-photo.png", u"-", false},
        {{u"p", u""}, Role::Viewer, u"", u"-", false},
        {{u"p", u"/DLL", u"C:\\p.dll"}, Role::Viewer, u"-", u"C:\\p.dll", true},
        {{u"p", u"/dll", u"C:\\p.dll"}, Role::Viewer, u"-", u"-", true},
        {{u"p", u"/DLL", u"a", u"b"}, Role::Viewer, u"-", u"-", true},
        {{u"p"}, Role::Viewer, u"-", u"-", true},
        {{}, Role::Viewer, u"-", u"-", true},
    };
    for (const auto &c : cases) {
        const LaunchPlan plan = ChooseRole(c.arguments);
        const std::u16string first = c.arguments.size() > 1 ? c.arguments[1] : u"(none)";
        const std::string trace(first.begin(), first.end());
        EXPECT_EQ(plan.role, c.role) << trace;
        EXPECT_EQ(plan.openFile, c.file != u"-") << trace;
        EXPECT_EQ(plan.file, c.file == u"-" ? u"" : c.file) << trace;
        EXPECT_EQ(plan.loadPlugin, c.plugin != u"-") << trace;
        EXPECT_EQ(plan.plugin, c.plugin == u"-" ? u"" : c.plugin) << trace;
        if (c.role == Role::Viewer) {
            EXPECT_EQ(plan.checkPortable, c.checkPortable) << trace;
        }
    }
    // Fewer than four arguments: the missing ones are empty.
    const LaunchPlan install = ChooseRole({u"p", u"/InStAlL", u"C:\\x", u"USERS=COMMON"});
    EXPECT_EQ(install.role, Role::Install);
    EXPECT_EQ(install.installFolder, u"C:\\x");
    EXPECT_EQ(install.installParameters, u"USERS=COMMON");
    const LaunchPlan shortInstall = ChooseRole({u"p", u"/install"});
    EXPECT_EQ(shortInstall.role, Role::Install);
    EXPECT_TRUE(shortInstall.installFolder.empty() && shortInstall.installParameters.empty());
}

namespace {
std::string ParseError(std::u16string_view parameters)
{
    try {
        ParseInstallParameters(parameters);
    } catch (const Exception &e) {
        return e.what();
    }
    return "<accepted>";
}
} // namespace

TEST(InstallParameters, CompleteStrings)
{
    const InstallParameters a =
        ParseInstallParameters(u"USERS=ONLYME DESKTOP=1 STARTMENU=1 FILEASSOCIATIONS=1 PLUGINS=1");
    EXPECT_TRUE(a.users == InstallUsers::OnlyMe && a.desktopShortcut && a.startMenu && a.plugins);
    EXPECT_EQ(a.fileAssociations, 1);
    // Anything but "1" is off; text after the last field is ignored.
    const InstallParameters b =
        ParseInstallParameters(u"USERS=COMMON DESKTOP=0 STARTMENU=x FILEASSOCIATIONS=2 PLUGINS=0 trailing");
    EXPECT_TRUE(b.users == InstallUsers::Common && !b.desktopShortcut && !b.startMenu && !b.plugins);
    EXPECT_EQ(b.fileAssociations, 2);
    EXPECT_EQ(ParseInstallParameters(u"USERS=COMMON DESKTOP=0 STARTMENU=x FILEASSOCIATIONS=7 PLUGINS=0")
                  .fileAssociations,
              0);
}

TEST(InstallParameters, MalformedStringsNameTheirField)
{
    const std::pair<std::u16string, std::string> cases[] = {
        {u"", "parameter USERS not found: "},
        {u"USERS", "parameter USERS not found: USERS"},
        {u"USERS=ALL", "parameter USERS must be ONLYME or COMMON: USERS=ALL"},
        {u"USERS=ONLYME", "parameter DESKTOP not found, parameter substring is "},
        {u"USERS=ONLYME  DESKTOP=1 STARTMENU=1 FILEASSOCIATIONS=1 PLUGINS=1",
         "parameter DESKTOP not found, parameter substring is   DESKTOP"},
        {u"USERS=ONLYME DESKTOP=", "parameter DESKTOP not found, parameter substring is  DESKTOP="},
        {u"USERS=ONLYME DESKTOP=1 PLUGINS=1 STARTMENU=1 FILEASSOCIATIONS=1",
         "parameter STARTMENU not found, parameter substring is  PLUGINS=1 "},
        {u"USERS=ONLYME DESKTOP=1 STARTMENU=1 FILEASSOCIATIONS=1", "parameter PLUGINS not found, parameter substring is "},
        // 62 characters: every label is there, the last value is not.
        {u"USERS=ONLYME DESKTOP=1 STARTMENU=1 FILEASSOCIATIONS=1 PLUGINS=",
         "parameter PLUGINS not found, parameter substring is  PLUGINS="},
        {u"USERS=ONLYME DESKTOP=1 STARTMENU=1 FILEASSOC",
         "parameter FILEASSOCIATIONS not found, parameter substring is  FILEASSOC"},
    };
    for (const auto &[parameters, message] : cases)
        EXPECT_EQ(ParseError(parameters), message);
    // Every prefix of a valid string is refused without reading past it.
    const std::u16string full = u"USERS=ONLYME DESKTOP=1 STARTMENU=1 FILEASSOCIATIONS=1 PLUGINS=1";
    for (std::size_t n = 0; n < full.size(); ++n)
        EXPECT_NE(ParseError(full.substr(0, n)), "<accepted>") << n;
}

TEST(CommandLine, SystemErrorsNeverExitWithZero)
{
    EXPECT_EQ(ExitCodeForSystemError(5), 5);
    EXPECT_EQ(ExitCodeForSystemError(0), -1);
    EXPECT_EQ(ExitCodeForSystemError(0xFFFFFFFF), -1);
}

TEST(PortableDetection, UninstallEntryComparison)
{
    const StringExpr module(u"C:\\Program Files\\Brintavolex Viewer\\Brintavolex Viewer.exe");
    EXPECT_TRUE(UninstallEntryNamesModule(
        u"c:\\PROGRAM FILES\\brintavolex viewer\\Brintavolex Viewer.EXE /UNINSTALL", module));
    EXPECT_FALSE(UninstallEntryNamesModule(u"D:\\Copy\\Brintavolex Viewer.exe /uninstall", module));
    EXPECT_FALSE(UninstallEntryNamesModule(
        u"C:\\Program Files\\Brintavolex Viewer\\Brintavolex Viewer.exe", module));
    EXPECT_TRUE(UninstallEntryNamesModule(u"C:\\\u00C4\\v.exe /uninstall", StringExpr(u"c:\\\u00E4\\V.exe")));
}

} // namespace Brintavolex
