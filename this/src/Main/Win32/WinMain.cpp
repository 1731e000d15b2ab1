// The one entry point: configures the error log, splits the command line and
// runs the role it names.
#include "GUI/api/Win32/Win32WindowPlatform.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/Language.h"
#include "Platform/api/System.h"
#include "Platform/api/Win32/WideText.h"
#include "Root/api/Exception.h"
#include "this/src/CommandLine.h"
#include "this/src/ApplicationTexts.h"
#include "this/src/PlanoscopeMainFrame.h"
#include "this/src/ShellCommands.h"
#include "this/src/Win32/PlugInLoader.h"
#include "this/src/Win32/Startup.h"
#include "this/src/Codecs.h"

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <cstdio>
#include <exception>
#include <vector>

namespace Brintavolex {

namespace {

std::vector<std::u16string> ReadArguments()
{
    int count = 0;
    std::vector<std::u16string> arguments;
    if (OperatingSystemMajorVersion() >= 5) {
        LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &count);
        if (!argv) {
            const DWORD error = GetLastError();
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("CommandLineToArgvW", error);
            throw SystemErrorException("WinMain", "CommandLineToArgvW", error);
        }
        for (int i = 0; i < count; ++i)
            arguments.push_back(Win32::ToU16(argv[i]));
        if (LocalFree(argv) != nullptr)
            BRINTAVOLEX_LOG("LocalFree");
    } else {
        LPSTR *argv = CommandLineToArgvA(GetCommandLineA(), &count);
        if (!argv) {
            const DWORD error = GetLastError();
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("CommandLineToArgvA", error);
            throw SystemErrorException("WinMain", "CommandLineToArgvA", error);
        }
        for (int i = 0; i < count; ++i)
            arguments.push_back(String(argv[i]).ToU16String());
        if (LocalFree(argv) != nullptr)
            BRINTAVOLEX_LOG("LocalFree");
    }
    return arguments;
}

// Building the codec registry loads the plug-in decoders beside the
// executable; broken ones are logged and skipped.
void LoadPlugInDecoders()
{
    UseApplicationCodecs();
    GetFactoryList();
}

int RunInstall(const LaunchPlan &plan)
{
    LoadPlugInDecoders();
    // The install actions arrive with the installer; the parameter string is
    // already checked so that a malformed one fails as it will then.
    ParseInstallParameters(plan.installParameters);
    return 0;
}

int RunAutomation()
{
    LoadPlugInDecoders();
    if (FAILED(CoInitialize(nullptr)))
        throw Exception("WinMain: CoInitialize failed");
    CoUninitialize();
    return 0;
}

// OLE for the GUI thread (drag and drop, the clipboard, plug-ins that use
// COM), initialised before the plug-ins load and released after the loop.
class OleSession {
public:
    OleSession() : _result(OleInitialize(nullptr))
    {
        if (FAILED(_result))
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("OleInitialize", std::uint32_t(_result));
    }
    ~OleSession()
    {
        if (SUCCEEDED(_result))
            OleUninitialize();
    }
    OleSession(const OleSession &) = delete;
    OleSession &operator=(const OleSession &) = delete;

private:
    HRESULT _result;
};

int RunViewer(const LaunchPlan &plan)
{
    const OleSession ole;
    LoadPlugInDecoders();
    PlanoscopeMainFrame window(MakeShared<GUI::Win32WindowPlatform>(), String(), SystemDropTarget(),
                               SystemShellCommands());
    window.Open();
    if (plan.checkPortable && IsRunningPortably())
        window.RootPanel()->ShowNotice(ApplicationTexts::RunningPortably);
    // "/DLL": one more plug-in, once the window is up.
    if (plan.loadPlugin)
        PlugIn::LoadNamedDll(String(StringExpr(plan.plugin)));
    if (plan.openFile)
        window.OpenFile(String(StringExpr(plan.file)));
    return window.Run();
}

// The notice at the end of a run with problems. Only the viewer shows it: the
// silent and server roles must never wait for a click.
void ShowReportNotice()
{
    const std::wstring text = Win32::ToW(StringExpr(ErrorLog::NoticeText(int(Locale::GetLanguageIndex() & 1))));
    const std::wstring caption = Win32::ToW(StringExpr(ErrorLog::ProductName()));
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

int Run()
{
    ErrorLog::Configure("Brintavolex Viewer", "Brintavolex Viewer");
    Platform::PerformanceFrequency();
    OperatingSystemMajorVersion();
    const LaunchPlan plan = ChooseRole(ReadArguments());
    switch (plan.role) {
    case Role::RegisterServer:
    case Role::UnregisterServer:
        return 0;
    case Role::Uninstall:
        LoadPlugInDecoders();
        return 0;
    case Role::Install:
        return RunInstall(plan);
    case Role::Automation:
        return RunAutomation();
    case Role::Viewer:
        break;
    }
    ErrorLog::SetReportCallback(&ShowReportNotice);
    return RunViewer(plan);
}

} // namespace

} // namespace Brintavolex

namespace {

int Guarded()
{
    using namespace Brintavolex;
    try {
        return Run();
    } catch (const SystemErrorException &e) {
        std::fprintf(stderr, "%s\n", e.what());
        BRINTAVOLEX_LOG(e.Message());
        return ExitCodeForSystemError(e.ErrorCode());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        BRINTAVOLEX_LOG(e.what());
        return -1;
    } catch (...) {
        std::fprintf(stderr, "unknown exception\n");
        BRINTAVOLEX_LOG("unknown exception");
        return -1;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const int exitCode = Guarded();
    Brintavolex::ErrorLog::Finish();
    return exitCode;
}
