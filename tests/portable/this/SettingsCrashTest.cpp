// Saving the settings under failures and crashes of real processes: the file
// is always the whole old text or the whole new one.
#ifndef _WIN32

#include "support/TempFolder.h"
#include "support/TestData.h"
#include "this/src/Settings/PlanoscopeSettings.h"
#include "this/src/Settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Brintavolex {
namespace {

// The text the settings get with the window's left edge at x.
std::string TextWith(SInt32 x)
{
    TestSupport::TempFolder scratch;
    PlanoscopeSettings settings;
    settings.windowX0 = x;
    SaveSettings(settings, TestSupport::PathString(scratch.Path()));
    return TestSupport::ReadWholeFile(scratch.File("Brintavolex Viewer.ini"));
}

std::string ReadIfThere(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs body in a child process; its exit status.
template <class F> pid_t Spawn(F body)
{
    const pid_t child = fork();
    if (child == 0) {
        int status = 1;
        try {
            status = body();
        } catch (...) {
        }
        _exit(status);
    }
    return child;
}

int Wait(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

class SettingsCrash : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(TextWith(1).size(), TextWith(2).size());
        PlanoscopeSettings old;
        old.windowX0 = 1;
        SaveSettings(old, Folder());
    }
    String Folder() const { return TestSupport::PathString(folder.Path()); }
    std::string File() const { return folder.File("Brintavolex Viewer.ini"); }

    TestSupport::TempFolder folder;
};

TEST_F(SettingsCrash, AWriteThatFailsAtAnyByteLeavesTheOldFile)
{
    const std::string oldText = TextWith(1), newText = TextWith(2);
    // One child tries every limit: the system refuses every byte of a file
    // beyond the soft limit, which may go up and down again.
    const int status = Wait(Spawn([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit size{};
        getrlimit(RLIMIT_FSIZE, &size);
        for (std::size_t limit = 0; limit <= newText.size(); ++limit) {
            // A failed save leaves the old file, so each try starts from it.
            PlanoscopeSettings settings;
            settings.windowX0 = 2;
            size.rlim_cur = rlim_t(limit);
            setrlimit(RLIMIT_FSIZE, &size);
            bool saved = true;
            try {
                SaveSettings(settings, Folder());
            } catch (const std::exception &) {
                saved = false;
            }
            const bool whole = limit < newText.size() ? !saved && ReadIfThere(File()) == oldText
                                                      : saved && ReadIfThere(File()) == newText;
            if (!whole) {
                std::fprintf(stderr, "limit %zu: saved %d\n", limit, int(saved));
                return 1;
            }
        }
        return 0;
    }));
    EXPECT_EQ(status, 0);
}

TEST_F(SettingsCrash, AProcessKilledWhileSavingLeavesOneWholeFile)
{
    const std::string one = TextWith(1), two = TextWith(2);
    std::mt19937 random(7);
    for (int run = 0; run < 300; ++run) {
        const pid_t child = Spawn([&] {
            PlanoscopeSettings settings;
            for (SInt32 i = 0;; ++i) {
                settings.windowX0 = 1 + (i & 1);
                SaveSettings(settings, Folder());
            }
            return 0;
        });
        usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        kill(child, SIGKILL);
        Wait(child);
        const std::string now = ReadIfThere(File());
        ASSERT_TRUE(now == one || now == two) << "run " << run << ": " << now.size() << " bytes";
    }
}

TEST_F(SettingsCrash, TwoProcessesSavingAtOnceNeverLeaveAPartialFile)
{
    std::set<std::string> whole;
    for (SInt32 x : {1, 2, 3, 4})
        whole.insert(TextWith(x));
    const auto saver = [&](SInt32 first) {
        return Spawn([&, first] {
            PlanoscopeSettings settings;
            for (int i = 0; i < 200; ++i) {
                settings.windowX0 = first + (i & 1);
                SaveSettings(settings, Folder());
            }
            return 0;
        });
    };
    const pid_t a = saver(1), b = saver(3);
    // Read all the while they write.
    int reads = 0, running = 2;
    int statusA = -1, statusB = -1;
    while (running > 0) {
        const std::string now = ReadIfThere(File());
        ASSERT_TRUE(whole.count(now)) << "read " << reads << ": " << now.size() << " bytes";
        ++reads;
        int status = 0;
        const pid_t done = waitpid(-1, &status, WNOHANG);
        if (done == a)
            statusA = status, --running;
        else if (done == b)
            statusB = status, --running;
    }
    EXPECT_EQ(statusA, 0);
    EXPECT_EQ(statusB, 0);
    EXPECT_TRUE(whole.count(ReadIfThere(File())));
}

} // namespace
} // namespace Brintavolex

#endif
