#include "Root/api/SharedPtr.h"
#include "Root/api/Exception.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

namespace Brintavolex {

namespace {

struct Counted : EnableSharedPtrFromThis {
    explicit Counted(std::atomic<int> &alive) : alive(alive) { ++alive; }
    ~Counted() override { --alive; }
    std::atomic<int> &alive;
};

struct Derived : Counted {
    using Counted::Counted;
    int value = 42;
};

} // namespace

TEST(SharedPtr, OwnershipCountsAndACustomDeleterThatRunsOnce)
{
    std::atomic<int> alive{0};
    {
        SharedPtr<Counted> a = MakeShared<Counted>(alive);
        SharedPtr<Counted> b = a, c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(c.UseCount(), 2);
    }
    EXPECT_EQ(alive, 0);

    int released = 0, object = 0;
    {
        SharedPtr<int> p(&object, [&](int *) { ++released; });
        SharedPtr<int> q = p;
    }
    EXPECT_EQ(released, 1);
}

TEST(SharedPtr, SharedFromThis)
{
    std::atomic<int> alive{0};
    SharedPtr<Derived> owner = MakeShared<Derived>(alive);
    SharedPtr<Derived> again = owner->SharedFromThis<Derived>();
    EXPECT_EQ(again.Get(), owner.Get());
    EXPECT_EQ(owner.UseCount(), 2);

    // A second owner of the same object would free it twice.
    EXPECT_EQ(Thrown([&] { SharedPtr<Derived> second(owner.Get()); }),
              "SharedPtrFromthis: this must not be managed by SharedPtr");
    EXPECT_EQ(alive, 1);

    Counted unmanaged(alive);
    EXPECT_THROW(unmanaged.SharedFromThis(), Exception);
}

namespace {
// Tries to promote a weak reference to itself while being destroyed.
struct SelfPromoting : EnableSharedPtrFromThis {
    ~SelfPromoting() override
    {
        promoted = bool(self.Lock());
        try {
            SharedFromThis();
        } catch (const Exception &) {
            refused = true;
        }
    }
    WeakPtr<SelfPromoting> self;
    static inline bool promoted = true;
    static inline bool refused = false;
};
} // namespace

TEST(WeakPtr, PromotionDuringDestructionFails)
{
    {
        SharedPtr<SelfPromoting> p = MakeShared<SelfPromoting>();
        p->self = p;
    }
    EXPECT_FALSE(SelfPromoting::promoted);
    EXPECT_TRUE(SelfPromoting::refused);
}

// Copies, drops and promotions on 4 threads, and no reference elsewhere: the
// last strong and the last weak release race each other. ASan/TSan and the
// alive count catch a double free, a leak or a revived object.
TEST(SharedPtr, LastStrongAndLastWeakReleasesRaceOnFourThreads)
{
    std::atomic<int> alive{0};
    constexpr int kThreads = 4;
    for (int round = 0; round < 500; ++round) {
        std::vector<SharedPtr<Counted>> strong(kThreads, MakeShared<Counted>(alive));
        std::vector<WeakPtr<Counted>> weak(strong.begin(), strong.end());
        std::atomic<int> waiting{kThreads}, promotedAfterDeath{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                std::mt19937 random(unsigned(t * 7919 + round));
                SharedPtr<Counted> mine = std::move(strong[t]);
                WeakPtr<Counted> myWeak = std::move(weak[t]);
                --waiting;
                for (int spin = 1; waiting.load() > 0; ++spin)
                    if (spin % 1024 == 0)
                        std::this_thread::yield();
                // A few promotions, then both references go in
                // either order, close together on every thread.
                for (int i = int(random() % 8); i > 0; --i) {
                    if (mine && random() % 4 == 0)
                        mine.Reset();
                    if (SharedPtr<Counted> p = myWeak.Lock()) {
                        WeakPtr<Counted> w = p;
                        promotedAfterDeath += alive.load() == 0;
                    }
                }
                if (random() % 2)
                    mine.Reset();
                myWeak.Reset();
                mine.Reset();
            });
        for (std::thread &thread : threads)
            thread.join();
        EXPECT_EQ(promotedAfterDeath, 0);
        EXPECT_EQ(alive, 0);
    }
}

} // namespace Brintavolex
