#include "Data/api/Property.h"
#include "Root/api/Exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace Brintavolex {

namespace {
// Message of what f throws as E, or "" when it throws nothing.
template <class E> std::string MessageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const E &e) {
        return e.what();
    }
    return "";
}
} // namespace

TEST(Property, ScalarChecksComeInOrder)
{
    auto property = MakeShared<BoolProperty>(true);
    bool out = false;
    property->GetAsBool(&out, 0, 1);
    EXPECT_TRUE(out);
    EXPECT_TRUE(property->GetBool());
    EXPECT_EQ(property->GetValueType(), 1);
    EXPECT_EQ(property->GetValueCount(), 1u);
    using IA = std::invalid_argument;
    EXPECT_EQ(MessageOf<IA>([&] { property->GetAsBool(&out, 1, 1); }),
              "BoolProperty::GetAsBool: start must be 0");
    EXPECT_EQ(MessageOf<IA>([&] { property->GetAsBool(&out, 0, 2); }),
              "BoolProperty::GetAsBool: count must be 1");
    // The null output is reported before the other two problems.
    EXPECT_EQ(MessageOf<IA>([&] { property->GetAsBool(nullptr, 1, 2); }),
              "BoolProperty::GetAsBool: output is nullptr");

    UInt64Property big(0xFFFF'FFFF'FFFF'FFFFull);
    UInt64 u = 0;
    big.GetAsUInt64(&u, 0, 1);
    EXPECT_EQ(u, 0xFFFF'FFFF'FFFF'FFFFull);
    EXPECT_EQ(big.GetValueType(), 64);
    EXPECT_EQ(MessageOf<IA>([&] { big.GetAsUInt64(&u, 0, 0); }),
              "UInt64Property::GetAsUInt64: count must be 1");
    Float64Property real(2.5);
    Float64 d = 0;
    real.GetAsFloat64(&d, 0, 1);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(real.GetValueType(), 52);
    EXPECT_EQ(MessageOf<IA>([&] { real.GetAsFloat64(nullptr, 0, 1); }),
              "Float64Property::GetAsFloat64: output is nullptr");
}

TEST(Property, ValuesAreGivenOnlyInTheirOwnType)
{
    NullProperty none;
    EXPECT_EQ(none.GetValueType(), 0);
    EXPECT_EQ(none.GetValueCount(), 0u);
    EXPECT_EQ(none.GetCount(), 0u);
    EXPECT_THROW(none.GetBool(), Exception);
    String text;
    EXPECT_THROW(none.GetAsString(text), Exception);

    BoolProperty flag(false);
    UInt32 u32 = 0;
    EXPECT_EQ(MessageOf<Exception>([&] { flag.GetAsUInt32(&u32, 0, 1); }),
              "BoolProperty::GetAsUInt32: not supported");
    EXPECT_THROW(flag.GetUInt64(), Exception);
    EXPECT_THROW(flag.GetAsString(text), Exception);
    UInt64Property big(1);
    EXPECT_THROW(big.GetUInt32(), Exception);
    EXPECT_THROW(big.GetFloat64(), Exception);
    Float64Property real(1);
    EXPECT_THROW(real.GetFloat32(), Exception);

    StringProperty name(String(u"C:\\Bilder\\\u00C4pfel.png"));
    EXPECT_EQ(name.GetValueType(), 100);
    EXPECT_EQ(name.GetValueCount(), 1u);
    name.GetAsString(text);
    EXPECT_EQ(text, String(u"C:\\Bilder\\\u00C4pfel.png"));
    EXPECT_THROW(name.GetBool(), Exception);

    // Scalars have no children.
    using IA = std::invalid_argument;
    EXPECT_EQ(MessageOf<IA>([&] { none.Get(0); }), "NullProperty::Get: invalid index");
    EXPECT_EQ(MessageOf<IA>([&] { name.Get(0); }), "StringProperty::Get: invalid index");
    EXPECT_EQ(MessageOf<IA>([&] { flag.Get(0); }), "BoolProperty::Get: invalid index");
    EXPECT_EQ(MessageOf<IA>([&] { real.Get(0); }), "Float64Property::Get: invalid index");
    EXPECT_EQ(MessageOf<IA>([&] { real.GetChild("x"); }), "Float64Property::Get: invalid index");
    EXPECT_EQ(MessageOf<IA>([&] { real.GetChildName(0); }), "Float64Property::Get: invalid index");
}

TEST(Property, RedirectForwardsAndChangeNameRenames)
{
    EXPECT_EQ(MessageOf<std::invalid_argument>([] { Redirect r(nullptr); }), "Redirect::Redirect: nullptr");

    SharedPtr<IProperty> target = MakeShared<Float64Property>(0.75);
    SharedPtr<IProperty> redirect = MakeShared<Redirect>(target);
    EXPECT_EQ(redirect->GetValueType(), 52);
    EXPECT_EQ(redirect->GetFloat64(), 0.75);
    Float64 d = 0;
    redirect->GetAsFloat64(&d, 0, 1);
    EXPECT_EQ(d, 0.75);
    EXPECT_THROW(redirect->GetAsFloat64(&d, 0, 2), std::invalid_argument);
    EXPECT_THROW(redirect->GetBool(), Exception);
    EXPECT_TRUE(redirect->GetName().Empty());

    auto renamed = MakeShared<ChangeName>(target, String("Gamma"));
    EXPECT_EQ(renamed->GetName(), String("Gamma"));
    EXPECT_EQ(renamed->GetFloat64(), 0.75);
    // The target outlives the object that published it.
    target.Reset();
    redirect.Reset();
    EXPECT_EQ(renamed->GetValueCount(), 1u);
    SharedPtr<ISceneItem> asItem = renamed;
    EXPECT_EQ(DynamicPointerCast<IProperty>(asItem)->GetFloat64(), 0.75);
}

} // namespace Brintavolex
