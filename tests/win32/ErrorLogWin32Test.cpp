// The process-wide error log in the Wine prefix's real special folders.
#include "Platform/api/ErrorLog.h"
#include "Platform/api/FileSystem.h"
#include "Platform/api/Win32/WideText.h"
#include "Win32Files.h"
#include "support/Win32/ProcessRunner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace Brintavolex {

namespace {

using TestSupport::SpecialFolder;

std::string ReadFile(const String &path) { return TestSupport::ReadFileW(Win32::ToW(StringExpr(path))); }

std::vector<std::string> EntryLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] == '[')
            lines.push_back(line);
    return lines;
}

} // namespace

// One test drives the process-wide log: it can be configured once per process.
TEST(ErrorLogWin32, ThreadsAndASecondProcessLoseNothingAndTheReportLandsOnTheDesktop)
{
    const std::string logName = "Brintavolex Test " + std::to_string(GetCurrentProcessId());
    ErrorLog::Configure("Brintavolex Viewer", logName.c_str());
    const std::wstring expectedLog =
        SpecialFolder(CSIDL_LOCAL_APPDATA) + L"\\" + Win32::ToW(StringExpr(logName)) + L"\\" +
        Win32::ToW(StringExpr(logName)) + L".log";
    EXPECT_EQ(Win32::ToW(StringExpr(ErrorLog::LogFilePath())), expectedLog);

    // A second process appends while 8 threads of this one do.
    std::thread second([&] {
        EXPECT_EQ(TestSupport::RunProcess(L"\"" + TestSupport::ModuleFolder() + L"log_writer.exe\" \"" +
                                   Win32::ToW(StringExpr(logName)) + L"\" 1000"),
                  0ul);
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i)
                ErrorLog::Log("Worker", t + 1, ("entry " + std::to_string(i)).c_str());
        });
    for (auto &thread : threads)
        thread.join();
    second.join();
    EXPECT_TRUE(ErrorLog::ProblemOccurred());

    const std::string text = ReadFile(ErrorLog::LogFilePath());
    EXPECT_EQ(text.find("While running \"Brintavolex Viewer\" potential problems were detected."), 0u);
    const std::regex entry(R"(\[\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}[+-]\d{2}:\d{2}\]\[PID=\d{5,}\]\[TID=\d{5,}\] )"
                           R"((Worker\(\d\): entry \d+|Writer\(1\): entry \d+ of the second process|Version .*)\r)");
    int workers = 0, writer = 0, versions = 0;
    for (const std::string &line : EntryLines(text)) {
        ASSERT_TRUE(std::regex_match(line, entry)) << line;
        workers += line.find("] Worker(") != std::string::npos;
        writer += line.find("] Writer(") != std::string::npos;
        versions += line.find("] Version ") != std::string::npos;
    }
    EXPECT_EQ(workers, 4000);
    EXPECT_EQ(writer, 1000);
    EXPECT_EQ(versions, 2);

    ASSERT_TRUE(ErrorLog::CopyReport());
    const std::wstring report = SpecialFolder(CSIDL_DESKTOP) + L"\\" + Win32::ToW(StringExpr(logName)) + L".log";
    EXPECT_EQ(Win32::ToW(StringExpr(ErrorLog::ReportFilePath())), report);
    EXPECT_EQ(ReadFile(ErrorLog::ReportFilePath()), text);
    DeleteFileW(report.c_str());
}

} // namespace Brintavolex
