#include "Data/api/Property.h"
#include "Root/api/Exception.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace Brintavolex {

// The value type codes are the plug-in interface's.
TEST(Property, ScalarsAnswerOnlyInTheirOwnTypeAndCheckTheRequestInOrder)
{
    BoolProperty flag(true);
    UInt64Property big(0xFFFF'FFFF'FFFF'FFFFull);
    Float64Property real(2.5);
    StringProperty name(String(u"C:\\Bilder\\\u00C4pfel.png"));
    bool b = false;
    UInt64 u = 0;
    Float64 d = 0;
    String text;
    flag.GetAsBool(&b, 0, 1);
    big.GetAsUInt64(&u, 0, 1);
    real.GetAsFloat64(&d, 0, 1);
    name.GetAsString(text);
    EXPECT_TRUE(b && flag.GetBool());
    EXPECT_EQ(u, 0xFFFF'FFFF'FFFF'FFFFull);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(text, String(u"C:\\Bilder\\\u00C4pfel.png"));
    EXPECT_EQ(flag.GetValueType(), 1);
    EXPECT_EQ(big.GetValueType(), 64);
    EXPECT_EQ(real.GetValueType(), 52);
    EXPECT_EQ(name.GetValueType(), 100);
    EXPECT_EQ(NullProperty().GetValueType(), 0);
    EXPECT_EQ(NullProperty().GetValueCount(), 0u);

    // The null output is reported before the other two problems.
    EXPECT_EQ(Thrown([&] { flag.GetAsBool(nullptr, 1, 2); }), "BoolProperty::GetAsBool: output is nullptr");
    EXPECT_EQ(Thrown([&] { flag.GetAsBool(&b, 1, 2); }), "BoolProperty::GetAsBool: start must be 0");
    EXPECT_EQ(Thrown([&] { big.GetAsUInt64(&u, 0, 0); }), "UInt64Property::GetAsUInt64: count must be 1");

    UInt32 u32 = 0;
    EXPECT_EQ(Thrown([&] { flag.GetAsUInt32(&u32, 0, 1); }), "BoolProperty::GetAsUInt32: not supported");
    EXPECT_THROW(name.GetBool(), Exception);

    // Scalars have no children.
    EXPECT_EQ(Thrown([&] { name.Get(0); }), "StringProperty::Get: invalid index");
}

TEST(Property, RedirectForwardsAndChangeNameRenames)
{
    EXPECT_EQ(Thrown([] { Redirect r(nullptr); }), "Redirect::Redirect: nullptr");

    SharedPtr<IProperty> target = MakeShared<Float64Property>(0.75);
    SharedPtr<IProperty> redirect = MakeShared<Redirect>(target);
    EXPECT_EQ(redirect->GetValueType(), 52);
    Float64 d = 0;
    redirect->GetAsFloat64(&d, 0, 1);
    EXPECT_EQ(d, 0.75);
    EXPECT_THROW(redirect->GetAsFloat64(&d, 0, 2), std::invalid_argument);
    EXPECT_THROW(redirect->GetBool(), Exception);
    EXPECT_TRUE(redirect->GetName().Empty());

    auto renamed = MakeShared<ChangeName>(target, String("Gamma"));
    EXPECT_EQ(renamed->GetName(), String("Gamma"));
    // The target outlives the objects that published it.
    target.Reset();
    redirect.Reset();
    EXPECT_EQ(renamed->GetFloat64(), 0.75);
}

} // namespace Brintavolex
