#include "Platform/api/ErrorLog.h"

#include "Platform/api/FileSystem.h"
#include "Platform/api/System.h"
#include "Platform/src/ErrorLogState.h"

namespace Brintavolex::ErrorLog {

namespace {

State &Instance()
{
    // Never destroyed: objects destroyed at exit may still log.
    static State *state = [] {
        State::Environment environment;
        environment.desktopFolder = Platform::DesktopFolder;
        environment.localAppDataFolder = Platform::LocalAppDataFolder;
        return new State(std::move(environment));
    }();
    return *state;
}

// Shows the report at the end of the process if nobody did before.
struct FinishAtExit {
    ~FinishAtExit() { Instance().Finish(); }
} g_finishAtExit;

} // namespace

void Configure(StringExpr productName, StringExpr logName) { Instance().Configure(productName, logName); }
void SetReportCallback(std::function<void()> callback) { Instance().SetReportCallback(std::move(callback)); }

void Log(const char *sourceFile, int line, StringExpr text) noexcept { Instance().Log(sourceFile, line, text); }

void LogPair(const char *sourceFile, int line, StringExpr text, StringExpr detail) noexcept
{
    try {
        Instance().Log(sourceFile, line, text + " " + detail);
    } catch (...) {
    }
}

void LogSystemError(const char *sourceFile, int line, StringExpr call, std::uint32_t code) noexcept
{
    try {
        Instance().Log(sourceFile, line, call + " failed with error code " + String::FromUnsigned(code));
    } catch (...) {
    }
}

void LogSystemError(const char *sourceFile, int line, StringExpr call) noexcept
{
    LogSystemError(sourceFile, line, call, Platform::LastSystemError());
}

bool ProblemOccurred() noexcept { return Instance().ProblemOccurred(); }
bool CopyReport() noexcept { return Instance().CopyReport(); }
void Finish() noexcept { Instance().Finish(); }
String VersionText() { return Instance().VersionText(); }
String ProductName() { return Instance().ProductName(); }
String LogFolder() { return Instance().LogFolder(); }
String LogFilePath() { return Instance().LogFilePath(); }
String ReportFilePath() { return Instance().ReportFilePath(); }
String NoticeText(int languageIndex) { return Instance().NoticeText(languageIndex); }

} // namespace Brintavolex::ErrorLog
