#include "Platform/api/Threading.h"
#include "Root/api/Exception.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <new>
#include <numeric>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace Brintavolex {

namespace {

std::uint64_t ReturnsBig(void *) { return 0x123456789ABCDEF0ull; }
std::uint64_t ThrowsStandard(void *) { throw std::runtime_error("disk on fire"); }
std::uint64_t ThrowsBadAlloc(void *) { throw std::bad_alloc(); }
std::uint64_t ThrowsInt(void *) { throw 7; }
std::uint64_t Sleeps(void *argument)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    static_cast<std::atomic<bool> *>(argument)->store(true);
    return 1;
}

// Restores the system's processor count after a test injects one.
struct ProcessorCountScope {
    explicit ProcessorCountScope(unsigned n) { ParallelLoop::SetProcessorCount(n); }
    ~ProcessorCountScope() { ParallelLoop::SetProcessorCount(0); }
};

} // namespace

TEST(Thread, KeepsTheWholeResultAndWorkerExceptionsStayInTheThreadObject)
{
    Thread big(&ReturnsBig, nullptr), a(&ThrowsStandard, nullptr), b(&ThrowsBadAlloc, nullptr), c(&ThrowsInt, nullptr);
    Thread *all[] = {&a, nullptr, &b, &c, &big};
    WaitForAll(all, 5);
    EXPECT_EQ(big.Result(), 0x123456789ABCDEF0ull);
    EXPECT_FALSE(big.Failed());
    EXPECT_EQ(a.ExceptionType(), "std::exception");
    EXPECT_EQ(a.ExceptionMessage(), "disk on fire");
    EXPECT_EQ(b.ExceptionType(), "std::bad_alloc");
    EXPECT_EQ(c.ExceptionType(), "...");
    EXPECT_EQ(c.ExceptionMessage(), "unknown exception");
    EXPECT_EQ(a.Result(), 0u);
}

TEST(Thread, SuspendedStartAndDestructorJoins)
{
    std::atomic<bool> done{false};
    {
        Thread thread(&Sleeps, &done, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(thread.IsFinished());
        EXPECT_FALSE(done);
        thread.Resume();
    } // still running here: the destructor waits for it
    EXPECT_TRUE(done);
}

TEST(CriticalSection, LockGuardsAndRefusesNull)
{
    EXPECT_EQ(Thrown([&] { CriticalSectionLock lock(nullptr); }),
              "CriticalSectionLock::CriticalSectionLock: CriticalSection* is nullptr");
    CriticalSection section;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                CriticalSectionLock lock(&section);
                ++counter;
            }
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);
}

TEST(ParallelLoop, SharesCoverTheRangeOnTheExpectedThreads)
{
    for (unsigned processors : {1u, 2u, 32u}) {
        ProcessorCountScope scope(processors);
        const std::uint64_t count = 1001;
        std::vector<int> hits(count, 0);
        std::mutex mutex;
        std::set<std::thread::id> threadIds;
        std::set<unsigned> workers;
        ParallelLoop::For(count, [&](unsigned worker, std::uint64_t begin, std::uint64_t end) {
            for (std::uint64_t i = begin; i < end; ++i)
                ++hits[i];
            std::lock_guard<std::mutex> lock(mutex);
            threadIds.insert(std::this_thread::get_id());
            workers.insert(worker);
        });
        EXPECT_EQ(std::accumulate(hits.begin(), hits.end(), 0), int(count));
        EXPECT_EQ(*std::min_element(hits.begin(), hits.end()), 1);
        const std::size_t expected = processors == 1 ? 1 : std::min(processors, 8u);
        EXPECT_EQ(threadIds.size(), expected) << processors;
        EXPECT_EQ(workers.size(), expected);
        EXPECT_EQ(ParallelLoop::WorkerCount(3), std::min(expected, std::size_t(3)));
        if (processors == 1)
            EXPECT_EQ(*threadIds.begin(), std::this_thread::get_id());
        else
            EXPECT_EQ(threadIds.count(std::this_thread::get_id()), 0u);
    }
}

TEST(ParallelLoop, AFailingWorkerFailsTheLoopAfterAllHaveEnded)
{
    for (unsigned processors : {1u, 8u}) {
        ProcessorCountScope scope(processors);
        std::atomic<int> finished{0};
        try {
            ParallelLoop::For(8, [&](unsigned worker, std::uint64_t, std::uint64_t) {
                if (worker == 3 || processors == 1)
                    throw std::runtime_error("bad row");
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                ++finished;
            });
            FAIL() << "the loop passed as success";
        } catch (const Exception &e) {
            EXPECT_EQ(std::string(e.what()), "ParallelLoop: worker failed with std::exception: bad row");
            EXPECT_EQ(finished, 7);
        } catch (const std::runtime_error &e) {
            // One processor: the job runs on the calling thread and throws as is.
            EXPECT_EQ(processors, 1u);
            EXPECT_STREQ(e.what(), "bad row");
        }
    }
}

} // namespace Brintavolex
