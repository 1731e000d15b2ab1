#pragma once

#include "Root/api/String.h"
#include "Platform/api/System.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace Brintavolex::ErrorLog {

// "[2024-01-31T09:15:02+01:00][PID=04711][TID=00815] Threading(53): "; the
// time part is the fixed placeholder when time is null, the source part is
// left out without a file (and its line when line is 0).
std::string FormatLinePrefix(const Platform::LocalTime *time, std::uint32_t processId, std::uint32_t threadId,
                             const char *sourceFile, int line);

// The build time stamp, YYYY-MM-DDTHH:MM:SS.
String BuildTimeStamp();

// The process-wide log, with the clock, the ids and the special folders
// injected so that tests can fix them. File access goes through the
// platform layer.
class State {
public:
    struct Environment {
        std::function<bool(Platform::LocalTime &)> now = Platform::GetLocalTimeNow;
        std::function<std::uint32_t()> processId = Platform::CurrentProcessId;
        std::function<std::uint32_t()> threadId = Platform::CurrentThreadId;
        std::function<String()> desktopFolder;
        std::function<String()> localAppDataFolder;
    };

    explicit State(Environment environment);
    ~State();

    void Configure(StringExpr productName, StringExpr logName);
    void SetReportCallback(std::function<void()> callback);
    // 0 German, 1 English: the language of the notice at the top of a new
    // log; the process's language in force unless set.
    void SetLanguageIndex(int index) { _language = index; }

    // Writes one entry; never throws and never logs its own failures
    // (they go to the debug output, once).
    void Log(const char *sourceFile, int line, StringExpr text) noexcept;

    bool ProblemOccurred() const noexcept { return _problem; }
    // Copies the log over the report file on the desktop.
    bool CopyReport() noexcept;
    // At the end of the run: after problems, copy the report and call the
    // callback. Acts once.
    void Finish() noexcept;

    String NoticeText(int languageIndex) const;
    const String &VersionText() const noexcept { return _version; }
    const String &ProductName() const noexcept { return _productName; }
    const String &LogFolder() const noexcept { return _logFolder; }
    const String &LogFilePath() const noexcept { return _logFile; }
    const String &ReportFilePath() const noexcept { return _reportFile; }

    // Size at which the log is rotated to one ".old" file.
    static constexpr std::uint64_t kRotateAt = 4u << 20;

private:
    void ReportOwnFailure(const char *what, const std::exception *e) noexcept;
    std::string Entry(const char *sourceFile, int line, StringExpr text, std::uint64_t currentSize);

    Environment _environment;
    mutable std::mutex _mutex;
    std::atomic<bool> _problem{false};
    bool _header = true;
    bool _finished = false;
    std::atomic<bool> _ownFailureReported{false};
    std::atomic<int> _language{-1};
    String _version;
    String _productName, _logName;
    String _logFolder, _logFile, _desktopFolder, _reportFile;
    std::function<void()> _reportCallback;
};

} // namespace Brintavolex::ErrorLog
