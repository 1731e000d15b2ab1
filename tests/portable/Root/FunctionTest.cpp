#include "Root/api/Function.h"

#include <gtest/gtest.h>

namespace Brintavolex {

namespace {
struct Owner {
    void OnEvent(int &value) { value += step; }
    bool Check(unsigned n) const { return n > limit; }
    void Other(int &) {}
    int step = 1;
    unsigned limit = 3;
};

struct Base1 {
    virtual ~Base1() = default;
    int a = 1;
};
struct Base2 {
    virtual ~Base2() = default;
    virtual int Get() { return b; }
    int b = 2;
};
struct Multi : Base1, Base2 {
    int Get() override { return b + 40; }
};
} // namespace

TEST(Function, BindsMemberFunctionsInPlace)
{
    Owner owner;
    owner.step = 5;
    Function<int &> event;
    int value = 1;
    event(value); // empty: nothing happens
    EXPECT_EQ(value, 1);
    event.Reset(&Owner::OnEvent, &owner);
    event(value);
    EXPECT_EQ(value, 6);

    Function2<bool(unsigned)> check;
    EXPECT_FALSE(check(10)); // empty returns a value-initialised result
    check.Reset(&Owner::Check, &owner);
    EXPECT_TRUE(check(4));
    EXPECT_FALSE(check(3));
}

TEST(Function, EqualityBySameTargetAndMember)
{
    Owner a, b;
    Function2<void(int &)> f1, f2;
    EXPECT_TRUE(f1 == f2); // two empty holders are equal
    f1.Reset(&Owner::OnEvent, &a);
    f2.Reset(&Owner::OnEvent, &a);
    EXPECT_TRUE(f1 == f2);
    f2.Reset(&Owner::Other, &a);
    EXPECT_FALSE(f1 == f2);
    f2.Reset(&Owner::OnEvent, &b);
    EXPECT_FALSE(f1 == f2);

    // Callables are equal only to themselves.
    int calls = 0;
    Function2<void()> f;
    f.ResetCallable([&calls] { ++calls; });
    Function2<void()> g = f;
    f();
    g();
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(f == g);
    EXPECT_TRUE(f == f);
}

TEST(Function, VirtualMemberOfASecondBaseCallsTheOverride)
{
    Multi m;
    Function2<int()> f;
    f.Reset(&Base2::Get, static_cast<Base2 *>(&m));
    EXPECT_EQ(f(), 42);
}

} // namespace Brintavolex
