#include "Platform/api/FileSystem.h"
#include "Platform/src/ErrorLogState.h"

#include "Platform/api/String.h"
#include "support/Printers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <regex>
#include <thread>
#include <vector>

namespace Brintavolex::ErrorLog {

namespace {

Platform::LocalTime Time(int offsetMinutes)
{
    Platform::LocalTime t;
    t.year = 2024, t.month = 1, t.day = 31, t.hour = 9, t.minute = 15, t.second = 2;
    t.offsetMinutes = offsetMinutes;
    return t;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// A log whose folders lie in a temporary folder and whose clock stands still.
struct TestLog {
    TestSupport::TempFolder folder;
    std::unique_ptr<State> state;
    std::function<void()> insideEntry; // runs while an entry is being written
    explicit TestLog(int language = 1)
    {
        State::Environment environment;
        environment.now = [this](Platform::LocalTime &t) {
            if (insideEntry)
                insideEntry();
            t = Time(60);
            return true;
        };
        environment.processId = [] { return 4711u; };
        environment.threadId = [] { return 815u; };
        // With a trailing separator, which must not double.
        const String base = FromUTF8(folder.Path());
        environment.desktopFolder = [base] {
            return Platform::JoinPath(base, "Desktop") + std::u16string(1, Platform::PathSeparator());
        };
        environment.localAppDataFolder = [base] { return Platform::JoinPath(base, "AppData"); };
        Platform::CreateDirectories(Platform::JoinPath(base, "Desktop"));
        state = std::make_unique<State>(environment);
        state->SetLanguageIndex(language);
        state->Configure("Brintavolex Viewer", "Brintavolex Viewer");
    }
    std::string LogText() const { return TestSupport::ReadWholeFile(ToUTF8(state->LogFilePath())); }
};

} // namespace

TEST(ErrorLogFormat, LinePrefix)
{
    const Platform::LocalTime plus = Time(60), half = Time(330), negativeHalf = Time(-210);
    EXPECT_EQ(FormatLinePrefix(&plus, 4711, 815, "Threading", 53),
              "[2024-01-31T09:15:02+01:00][PID=04711][TID=00815] Threading(53): ");
    EXPECT_EQ(FormatLinePrefix(&half, 1234567, 99, nullptr, 0), "[2024-01-31T09:15:02+05:30][PID=1234567][TID=00099] ");
    EXPECT_EQ(FormatLinePrefix(&negativeHalf, 1, 1, "x", 0), "[2024-01-31T09:15:02-03:30][PID=00001][TID=00001] x");
    EXPECT_EQ(FormatLinePrefix(nullptr, 1, 1, nullptr, 0), "[YYYY-MM-DDTHH:MM:SS   :  ][PID=00001][TID=00001] ");
    EXPECT_EQ(FormatLinePrefix(&plus, 1, 1, nullptr, 0).find(']'), 26u); // the stamp is 27 characters
    EXPECT_TRUE(std::regex_match(BuildTimeStamp().ToStdString(), std::regex(R"(\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2})")));
}

TEST(ErrorLog, FirstProblemCreatesTheLogWithNoticeAndVersion)
{
    TestLog log;
    EXPECT_FALSE(log.state->ProblemOccurred());
    EXPECT_FALSE(Platform::FileExists(log.state->LogFilePath())); // no problem, no file
    log.state->Log("Threading", 53, "CreateThread failed with error code 8");
    EXPECT_TRUE(log.state->ProblemOccurred());
    const std::string text = log.LogText();
    const std::string notice = log.state->NoticeText(1).ToStdString();
    ASSERT_EQ(text.substr(0, notice.size()), notice);
    EXPECT_EQ(notice.find("While running \"Brintavolex Viewer\" potential problems were detected.\r\nA report "
                          "\"Brintavolex Viewer.log\" was filed on your desktop."),
              0u);
    const auto lines = Lines(text.substr(notice.size()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "[2024-01-31T09:15:02+01:00][PID=04711][TID=00815] Version " + log.state->VersionText().ToStdString());
    EXPECT_EQ(lines[1], "[2024-01-31T09:15:02+01:00][PID=04711][TID=00815] Threading(53): CreateThread failed with "
                        "error code 8");
    // The paths: folder "Brintavolex Viewer" in app data, report on the desktop.
    const String base = FromUTF8(log.folder.Path());
    using Platform::JoinPath;
    EXPECT_EQ(log.state->LogFilePath(),
              JoinPath(JoinPath(JoinPath(base, "AppData"), "Brintavolex Viewer"), "Brintavolex Viewer.log"));
    EXPECT_EQ(log.state->ReportFilePath(), JoinPath(JoinPath(base, "Desktop"), "Brintavolex Viewer.log"));
}

TEST(ErrorLog, ASecondRunAppendsAVersionLineButNoNotice)
{
    TestLog log;
    log.state->Log("a", 1, "first run");
    State::Environment environment;
    const String base = FromUTF8(log.folder.Path());
    environment.desktopFolder = [base] { return Platform::JoinPath(base, "Desktop"); };
    environment.localAppDataFolder = [base] { return Platform::JoinPath(base, "AppData"); };
    State second(environment);
    second.Configure("Brintavolex Viewer", "Brintavolex Viewer");
    second.Log("b", 2, "second run");
    second.Log("b", 3, "second run again");
    const std::string text = log.LogText();
    const std::string notice = log.state->NoticeText(1).ToStdString();
    EXPECT_EQ(text.find(notice), 0u);
    EXPECT_EQ(text.find(notice, 1), std::string::npos);
    const auto lines = Lines(text.substr(notice.size()));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[2].find("] Version "), std::string::npos);
    EXPECT_NE(lines[3].find("] b(2): second run"), std::string::npos);
    EXPECT_NE(lines[4].find("] b(3): second run again"), std::string::npos);
}

TEST(ErrorLog, GermanNoticeAndMultiLineTexts)
{
    TestLog log(0);
    log.state->Log(nullptr, 0, "two\r\nlines");
    const std::string text = log.LogText();
    EXPECT_EQ(text.find("Beim Ausf\xFChren von \"Brintavolex Viewer\""), 0u);
    EXPECT_NE(text.find("] two  lines\r\n"), std::string::npos);
}

TEST(ErrorLog, FinishCopiesTheReportOnceAndCallsBack)
{
    TestLog log;
    int callbacks = 0;
    log.state->SetReportCallback([&] { ++callbacks; });
    log.state->Finish(); // no problem yet: nothing happens
    EXPECT_EQ(callbacks, 0);
    log.state->Log("x", 1, "problem");
    EXPECT_FALSE(Platform::FileExists(log.state->ReportFilePath())); // copied at the end, not per entry
    log.state->Finish();
    log.state->Finish();
    EXPECT_EQ(callbacks, 1);
    EXPECT_EQ(TestSupport::ReadWholeFile(ToUTF8(log.state->ReportFilePath())), log.LogText());
    // The desktop vanishes before the end of the run: the problem stays.
    std::filesystem::remove_all(log.folder.Path() + "/Desktop");
    EXPECT_FALSE(log.state->CopyReport());
    EXPECT_TRUE(log.state->ProblemOccurred());
}

TEST(ErrorLog, LoggingFromInsideAnEntryIsDroppedAndFailuresAreSwallowed)
{
    TestLog log;
    int inner = 0;
    log.insideEntry = [&] {
        ++inner;
        log.state->Log("inner", 1, "logged while logging");
        EXPECT_FALSE(log.state->CopyReport());
    };
    log.state->Log("outer", 2, "entry");
    log.insideEntry = nullptr;
    EXPECT_GT(inner, 0);
    const std::string text = log.LogText();
    EXPECT_NE(text.find("] outer(2): entry\r\n"), std::string::npos);
    EXPECT_EQ(text.find("inner"), std::string::npos);

    // The log folder's place is taken by a file: the entry cannot be written.
    TestLog blocked;
    blocked.folder.Write("AppData", "not a folder");
    int callbacks = 0;
    blocked.state->SetReportCallback([&] { ++callbacks; });
    blocked.state->Log("x", 1, "lost");
    EXPECT_FALSE(blocked.state->ProblemOccurred());
    blocked.state->Finish();
    EXPECT_EQ(callbacks, 0);
}

TEST(ErrorLog, RotatesToOneOldFile)
{
    TestLog log;
    log.state->Log("x", 1, "first");
    const std::string path = ToUTF8(log.state->LogFilePath());
    {
        std::ofstream grow(path, std::ios::binary | std::ios::app);
        grow << std::string(State::kRotateAt, 'z');
    }
    log.state->Log("x", 2, "after rotation");
    EXPECT_GT(TestSupport::ReadWholeFile(path + ".old").size(), State::kRotateAt);
    const std::string fresh = log.LogText();
    EXPECT_LT(fresh.size(), 2000u);
    EXPECT_NE(fresh.find("x(2): after rotation"), std::string::npos);
}

TEST(ErrorLog, ConcurrentEntriesAreNeitherLostNorInterleaved)
{
    TestLog log;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i)
                log.state->Log("Worker", t + 1, "entry " + std::to_string(i) + " of thread " + std::to_string(t));
        });
    for (auto &thread : threads)
        thread.join();
    const std::string text = log.LogText();
    const auto lines = Lines(text.substr(log.state->NoticeText(1).ToStdString().size()));
    ASSERT_EQ(lines.size(), 4001u);
    const std::regex entry(R"(\[\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}[+-]\d{2}:\d{2}\]\[PID=\d{5,}\]\[TID=\d{5,}\] )"
                           R"(Worker\((\d)\): entry (\d+) of thread (\d))");
    std::vector<int> perThread(8, 0);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, entry)) << lines[i];
        ASSERT_EQ(std::stoi(m[1]), std::stoi(m[3]) + 1);
        ++perThread[std::stoi(m[3])];
    }
    EXPECT_EQ(perThread, std::vector<int>(8, 500));
}

} // namespace Brintavolex::ErrorLog
