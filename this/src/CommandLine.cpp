#include "this/src/CommandLine.h"

#include "Platform/api/Ascii.h"
#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"
#include "Platform/api/String.h"

#include <stdexcept>

namespace Brintavolex {

namespace {

template <class C> bool IsBlank(C c) { return c == C(' ') || c == C('\t') || c == C('\n') || c == C('\r'); }

template <class C> std::vector<std::basic_string<C>> Split(std::basic_string_view<C> line)
{
    std::vector<std::basic_string<C>> arguments;
    std::basic_string<C> current;
    bool inArgument = false;
    bool quoted = false;
    for (C c : line) {
        if (quoted) {
            if (c == C('"'))
                quoted = false;
            else
                current.push_back(c);
        } else if (c == C('"')) {
            quoted = true;
            inArgument = true;
        } else if (IsBlank(c)) {
            if (inArgument) {
                arguments.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
        } else {
            current.push_back(c);
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

std::u16string LowerAscii(std::u16string_view text)
{
    std::u16string lower(text);
    for (char16_t &c : lower)
        c = ToLowerAscii(c);
    return lower;
}

} // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine) { return Split(commandLine); }
std::vector<std::string> SplitCommandLine(std::string_view commandLine) { return Split(commandLine); }

std::u16string JoinCommandLine(const std::vector<std::u16string> &arguments)
{
    std::u16string line;
    for (const std::u16string &argument : arguments) {
        if (argument.find(u'"') != std::u16string::npos)
            throw std::invalid_argument("JoinCommandLine: an argument holds a double quote");
        if (!line.empty())
            line.push_back(u' ');
        line += u'"';
        line += argument;
        line += u'"';
    }
    return line;
}

LaunchPlan ChooseRole(const std::vector<std::u16string> &arguments)
{
    LaunchPlan plan;
    const std::size_t count = arguments.size();
    if (count >= 2) {
        const std::u16string first = LowerAscii(arguments[1]);
        if (first == u"/regserver" || first == u"-regserver") {
            plan.role = Role::RegisterServer;
            return plan;
        }
        if (first == u"/unregserver" || first == u"-unregserver") {
            plan.role = Role::UnregisterServer;
            return plan;
        }
        if (first == u"/install") {
            plan.role = Role::Install;
            // Missing arguments count as empty.
            if (count > 2)
                plan.installFolder = arguments[2];
            if (count > 3)
                plan.installParameters = arguments[3];
            return plan;
        }
        if (first == u"/uninstall") {
            plan.role = Role::Uninstall;
            return plan;
        }
        if (first == u"/automation") {
            plan.role = Role::Automation;
            return plan;
        }
    }
    plan.role = Role::Viewer;
    if (count == 2) {
        plan.openFile = true;
        plan.file = arguments[1];
    } else {
        plan.checkPortable = true;
        if (count == 3 && arguments[1] == u"/DLL") {
            plan.loadPlugin = true;
            plan.plugin = arguments[2];
        }
    }
    return plan;
}

namespace {

// Fields of the parameter string: label position and text, value position.
struct Field {
    const char *name;
    std::size_t labelAt;
    std::u16string_view label;
    std::size_t valueAt;
};

constexpr Field kFields[] = {
    {"DESKTOP", 12, u" DESKTOP=", 21},
    {"STARTMENU", 22, u" STARTMENU=", 33},
    {"FILEASSOCIATIONS", 34, u" FILEASSOCIATIONS=", 52},
    {"PLUGINS", 53, u" PLUGINS=", 62},
};

String Text(std::u16string_view text) { return String(StringExpr(text)); }

} // namespace

InstallParameters ParseInstallParameters(std::u16string_view s)
{
    InstallParameters result;
    if (s.substr(0, 6) != u"USERS=")
        throw Exception(String("parameter USERS not found: ") + Text(s));
    const std::u16string_view users = s.substr(6, 6);
    if (users == u"ONLYME")
        result.users = InstallUsers::OnlyMe;
    else if (users == u"COMMON")
        result.users = InstallUsers::Common;
    else
        throw Exception(String("parameter USERS must be ONLYME or COMMON: ") + Text(s));

    char16_t values[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const Field &field = kFields[i];
        const std::u16string_view found = field.labelAt < s.size() ? s.substr(field.labelAt, field.label.size())
                                                                   : std::u16string_view();
        // A string that ends before the value character lacks the field too.
        if (found != field.label || s.size() <= field.valueAt) {
            const String prefix = String("parameter ") + field.name + " not found, ";
            BRINTAVOLEX_LOG(prefix + "parameter string " + Text(s));
            throw Exception(prefix + "parameter substring is " + Text(found));
        }
        values[i] = s[field.valueAt];
    }
    result.desktopShortcut = values[0] == u'1';
    result.startMenu = values[1] == u'1';
    result.fileAssociations = values[2] == u'1' ? 1 : values[2] == u'2' ? 2 : 0;
    result.plugins = values[3] == u'1';
    return result;
}

int ExitCodeForSystemError(std::uint32_t code) noexcept { return code != 0 ? int(code) : -1; }

bool UninstallEntryNamesModule(StringExpr uninstallString, StringExpr modulePath)
{
    String entry = String(uninstallString).ToWide();
    String expected = (modulePath + " /uninstall").ToWide();
    ToLower(entry);
    ToLower(expected);
    return entry == expected;
}

} // namespace Brintavolex
