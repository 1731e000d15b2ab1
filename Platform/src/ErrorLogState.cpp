#include "Platform/src/ErrorLogState.h"

#include "Platform/api/FileSystem.h"
#include "Platform/api/Language.h"

#include <cstdio>
#include <cstring>

namespace Brintavolex::ErrorLog {

namespace {

// Entries written by this thread right now: logging never recurses.
thread_local int t_depth = 0;

struct DepthGuard {
    DepthGuard() { ++t_depth; }
    ~DepthGuard() { --t_depth; }
};

const char kSupportAddress[] = "support@brintavolex.example";

} // namespace

std::string FormatLinePrefix(const Platform::LocalTime *time, std::uint32_t processId, std::uint32_t threadId,
                             const char *sourceFile, int line)
{
    char buffer[160];
    std::string prefix;
    if (time) {
        const int offset = time->offsetMinutes;
        const int magnitude = offset < 0 ? -offset : offset;
        std::snprintf(buffer, sizeof buffer, "[%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d]", time->year % 10000,
                      time->month % 100, time->day % 100, time->hour % 100, time->minute % 100, time->second % 100,
                      offset < 0 ? '-' : '+', (magnitude / 60) % 100, magnitude % 60);
        prefix = buffer;
    } else {
        prefix = "[YYYY-MM-DDTHH:MM:SS   :  ]";
    }
    std::snprintf(buffer, sizeof buffer, "[PID=%05u][TID=%05u] ", unsigned(processId), unsigned(threadId));
    prefix += buffer;
    if (sourceFile) {
        prefix += sourceFile;
        if (line != 0) {
            std::snprintf(buffer, sizeof buffer, "(%d): ", line);
            prefix += buffer;
        }
    }
    return prefix;
}

String BuildTimeStamp()
{
    // __DATE__ is "Mmm dd yyyy", __TIME__ "hh:mm:ss".
    static const char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char *date = __DATE__;
    const char *found = std::strstr(months, std::string(date, 3).c_str());
    const int month = found ? int(found - months) / 3 + 1 : 0;
    const int day = (date[4] == ' ' ? 0 : date[4] - '0') * 10 + (date[5] - '0');
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4s-%02d-%02dT%s", date + 7, month, day, __TIME__);
    return String(buffer);
}

State::State(Environment environment) : _environment(std::move(environment)), _version(BuildTimeStamp()) {}

State::~State() { Finish(); }

void State::Configure(StringExpr productName, StringExpr logName)
{
    std::lock_guard<std::mutex> guard(_mutex);
    _productName = String(productName);
    _logName = String(logName);
    const String appData = _environment.localAppDataFolder ? _environment.localAppDataFolder() : String();
    _desktopFolder = _environment.desktopFolder ? _environment.desktopFolder() : String();
    const String fileName = logName + ".log";
    _logFolder = Platform::JoinPath(appData, logName);
    _logFile = Platform::JoinPath(_logFolder, fileName);
    _reportFile = Platform::JoinPath(_desktopFolder, fileName);
}

void State::SetReportCallback(std::function<void()> callback)
{
    std::lock_guard<std::mutex> guard(_mutex);
    _reportCallback = std::move(callback);
}

String State::NoticeText(int languageIndex) const
{
    if (languageIndex == 0)
        return "Beim Ausf\xFChren von \"" + _productName +
               "\" wurden m\xF6gliche Probleme festgestellt.\r\nEin Bericht \"" + _logName +
               ".log\" wurde auf Ihrem Desktop abgelegt.\r\n\r\nBitte helfen Sie uns, unsere Software zu "
               "verbessern.\nBitte senden Sie diese Datei an " +
               kSupportAddress + ".\r\n\r\n";
    return "While running \"" + _productName + "\" potential problems were detected.\r\nA report \"" + _logName +
           ".log\" was filed on your desktop.\r\n\r\nPlease help us to improve our software.\nPlease send this file "
           "to " +
           kSupportAddress + ".\r\n\r\n";
}

std::string State::Entry(const char *sourceFile, int line, StringExpr text, std::uint64_t currentSize)
{
    Platform::LocalTime time;
    const bool haveTime = _environment.now && _environment.now(time);
    const std::uint32_t pid = _environment.processId ? _environment.processId() : 0;
    const std::uint32_t tid = _environment.threadId ? _environment.threadId() : 0;
    std::string entry;
    if (currentSize == 0) {
        const int language = _language >= 0 ? int(_language) : int(Locale::GetLanguageIndex() & 1);
        entry += NoticeText(language).ToStdString();
    }
    if (_header) {
        entry += FormatLinePrefix(haveTime ? &time : nullptr, pid, tid, nullptr, 0);
        entry += "Version " + _version.ToStdString() + "\r\n";
    }
    entry += FormatLinePrefix(haveTime ? &time : nullptr, pid, tid, sourceFile, line);
    std::string body = String(text).ToStdString();
    // One entry is one line.
    for (char &c : body)
        if (c == '\r' || c == '\n')
            c = ' ';
    entry += body;
    entry += "\r\n";
    return entry;
}

void State::Log(const char *sourceFile, int line, StringExpr text) noexcept
{
    if (t_depth > 0)
        return;
    DepthGuard depth;
    try {
        std::lock_guard<std::mutex> guard(_mutex);
        if (_logFile.Empty()) {
            Platform::DebugOutput((FormatLinePrefix(nullptr, 0, 0, sourceFile, line) + String(text).ToStdString()).c_str());
            return;
        }
        Platform::CreateDirectories(_logFolder);
        Platform::AppendLocked(
            _logFile, [&](std::uint64_t size) { return Entry(sourceFile, line, text, size); }, kRotateAt);
        _header = false;
        _problem = true;
    } catch (const std::exception &e) {
        ReportOwnFailure("error log: writing an entry failed: ", &e);
    } catch (...) {
        ReportOwnFailure("error log: writing an entry failed", nullptr);
    }
}

bool State::CopyReport() noexcept
{
    if (t_depth > 0)
        return false;
    DepthGuard depth;
    try {
        std::lock_guard<std::mutex> guard(_mutex);
        if (_logFile.Empty() || _desktopFolder.Empty())
            return false;
        Platform::CopyFileOver(_logFile, _reportFile);
        return true;
    } catch (const std::exception &e) {
        ReportOwnFailure("error log: copying the report failed: ", &e);
    } catch (...) {
        ReportOwnFailure("error log: copying the report failed", nullptr);
    }
    return false;
}

void State::Finish() noexcept
{
    std::function<void()> callback;
    {
        std::lock_guard<std::mutex> guard(_mutex);
        if (_finished || !_problem)
            return;
        _finished = true;
        callback = _reportCallback;
    }
    CopyReport();
    if (callback) {
        try {
            callback();
        } catch (...) {
            ReportOwnFailure("error log: the report callback failed", nullptr);
        }
    }
}

void State::ReportOwnFailure(const char *what, const std::exception *e) noexcept
{
    if (_ownFailureReported.exchange(true))
        return;
    try {
        Platform::DebugOutput((std::string(what) + (e ? e->what() : "")).c_str());
    } catch (...) {
    }
}

} // namespace Brintavolex::ErrorLog
