// A dropped folder read on its own thread: the list and progress arrive on
// the GUI thread only, and a reading stopped early tells nothing.
#include "this/src/Codecs.h"
#include "this/src/FolderReading.h"

#include "support/QueuePoster.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace Brintavolex {

TEST(FolderReading, TheTreeArrivesOnTheGuiThreadAndAStoppedReadingSaysNothing)
{
    UseApplicationCodecs();
    TestSupport::TempFolder folder;
    constexpr int kFolders = 40;
    for (int i = 0; i < kFolders; ++i) {
        const std::string sub = "f" + std::to_string(i) + "/g";
        std::filesystem::create_directories(folder.File(sub));
        folder.Write(sub + "/p.bmp", "BM");
    }
    const auto poster = MakeShared<TestSupport::QueuePoster>();
    const std::thread::id gui = std::this_thread::get_id();
    int progress = 0, done = 0;
    SharedPtr<IFileList> list;
    const auto read = [&] {
        return std::make_unique<FolderReading>(
            poster, String(folder.Path().c_str()),
            [&](const String &) { progress += std::this_thread::get_id() == gui ? 1 : 1000; },
            [&](const SharedPtr<IFileList> &l, const String &error) {
                EXPECT_EQ(std::this_thread::get_id(), gui);
                EXPECT_TRUE(error.Empty()) << error.ToStdString();
                list = l;
                ++done;
            });
    };
    auto reading = read();
    ASSERT_TRUE(poster->RunUntil([&] { return done == 1; }));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->GetCount(), std::uint64_t(kFolders));
    EXPECT_GE(progress, 1);
    EXPECT_LT(progress, 1000) << "progress told on another thread";
    reading.reset();

    // Stopped at once, and stopped once it has posted: nothing comes.
    for (const bool waitForTheResult : {false, true}) {
        reading = read();
        if (waitForTheResult)
            while (poster->Pending() == 0 || !reading)
                std::this_thread::yield();
        reading.reset();
        poster->RunPending();
        EXPECT_EQ(done, 1);
    }
}

} // namespace Brintavolex
