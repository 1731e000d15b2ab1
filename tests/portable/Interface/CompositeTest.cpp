#include "Interface/api/Composite.h"
#include "Interface/api/CompositeOfProperties.h"
#include "Interface/api/RML.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace Brintavolex {

namespace {
template <class E> std::string MessageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const E &e) {
        return e.what();
    } catch (const std::exception &e) {
        return std::string("wrong kind: ") + e.what();
    }
    return "(no error)";
}
using IA = std::invalid_argument;
using LE = std::logic_error;
} // namespace

TEST(Composite, ArraysCheckTheirRangeWithoutOverflow)
{
    const unsigned char bytes[] = {10, 20, 30, 40};
    ArrayComposite<unsigned char> array(bytes, 4);
    EXPECT_EQ(array.GetValueType(), ValueType::UInt8);
    EXPECT_EQ(array.GetValueCount(), 4u);
    UInt8 out[4] = {};
    array.GetAsUInt8(out, 1, 3);
    EXPECT_EQ(out[0], 20);
    EXPECT_EQ(out[2], 40);
    array.GetAsUInt8(out, 4, 0); // empty run at the end
    // Beyond the end, also where start + count would wrap to a small number.
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    for (auto [start, count] : {std::pair<std::uint64_t, std::uint64_t>{2, 3}, {5, 0}, {2, max}, {max, 2}})
        EXPECT_EQ(MessageOf<IA>([&] { array.GetAsUInt8(out, start, count); }),
                  "ArrayComposite<...>::GetAs...: start+count must be less than count");
    EXPECT_EQ(MessageOf<IA>([&] { array.GetAsUInt8(nullptr, 0, 1); }),
              "ArrayComposite<...>::GetAs...: output is nullptr");
    UInt16 wide[4];
    EXPECT_EQ(MessageOf<LE>([&] { array.GetAsUInt16(wide, 0, 1); }), "ArrayComposite<...>::GetAs...");
    EXPECT_EQ(array.GetUInt8(), 10);

    ArrayComposite<Float64> empty(nullptr, 0);
    EXPECT_THROW(empty.Get(), std::out_of_range);
    EXPECT_THROW(empty.GetFloat64(), std::out_of_range);
    EXPECT_THROW(ArrayComposite<SInt16>(nullptr, 3), IA);

    const char text[] = {'G', 'I', 'F', '8', '9', 'a'};
    ArrayComposite<char> signature(text, 6);
    EXPECT_EQ(signature.GetValueType(), ValueType::String);
    String s;
    signature.GetAsString(s);
    EXPECT_EQ(s, String("GIF89a"));
    bool flag;
    EXPECT_EQ(MessageOf<LE>([&] { signature.GetAsBool(&flag, 0, 1); }), "ArrayComposite<char>::GetAsBool");
}

TEST(Composite, ValuesCheckTheirRequestInOrder)
{
    ValueComposite<unsigned int> value(0xDEADBEEF);
    UInt32 out = 0;
    value.GetAsUInt32(&out, 0, 1);
    EXPECT_EQ(out, 0xDEADBEEFu);
    EXPECT_EQ(MessageOf<IA>([&] { value.GetAsUInt32(&out, 0, 2); }), "ValueComposite<...>::GetAs...: count must be 1");
    EXPECT_EQ(MessageOf<IA>([&] { value.GetAsUInt32(&out, 1, 2); }), "ValueComposite<...>::GetAs...: start must be 0");
    EXPECT_EQ(MessageOf<IA>([&] { value.GetAsUInt32(nullptr, 1, 2); }),
              "ValueComposite<...>::GetAs...: output is nullptr");
    SInt32 other;
    EXPECT_EQ(MessageOf<LE>([&] { value.GetAsSInt32(&other, 0, 1); }), "ValueComposite<...>::GetAs...");
}

TEST(Composite, ChildrenKeepOrderAndUniqueNames)
{
    auto header = MakeShared<Composite>();
    header->Add("biWidth", SInt32(-640));
    header->Add("biBitCount", UInt16(24));
    const float gamma[] = {1.0f, 2.2f};
    header->Add("Gamma", gamma, 2);
    auto masks = MakeShared<Composite>();
    masks->Add("Red", UInt32(0xFF0000));
    header->Add("Masks", masks);
    header->Add(u"\u00C4", UInt8(1));

    EXPECT_EQ(header->GetChild("Masks")->GetChild("Red")->GetUInt32(), 0xFF0000u);
    // Names meet across encodings.
    EXPECT_EQ(header->GetChild("\xC4")->GetUInt8(), 1);
    EXPECT_EQ(MessageOf<IA>([&] { header->Add(u"biWidth", UInt32(1)); }), "key already exists");
    EXPECT_EQ(MessageOf<IA>([&] { header->GetChild("biHeight"); }), "unknown id");
    EXPECT_THROW(header->Get(5), IA);
    EXPECT_THROW(header->Add("null", SharedPtr<IProperty>()), IA);
    EXPECT_EQ(header->GetCount(), 5u);
}

namespace {
struct ViewerSettings : CompositeOfProperties {
    explicit ViewerSettings(CompositeOfProperties *parent) : CompositeOfProperties(parent, String("C")) {}
    InitializedProperty<bool> d{this, String("D"), true};
};

struct Settings : CompositeOfProperties {
    Settings() : CompositeOfProperties(String("Settings")) {}
    PropertyWithNotification<int> a{this, String("A"), 1};
    PropertyWithNotification<Resampling::EnumResamplingMode> b{this, String("B"), Resampling::EnumResamplingMode::Area};
    ViewerSettings c{this};
    PropertyWithNotification<bool> e{this, String("E"), false};
    UninitializedPropertyWithDescription<UInt32> f{this, String("F"), String("bytes")};
};

struct Log {
    void A(const int &v) { order.push_back("A=" + std::to_string(v)); }
    void B(const Resampling::EnumResamplingMode &v) { order.push_back("B=" + std::to_string(int(v))); }
    void E(const bool &v) { order.push_back(std::string("E=") + (v ? "true" : "false")); }
    std::vector<std::string> order;
};
} // namespace

TEST(CompositeOfProperties, ReadsInMemberOrderAndStopsAtTheFirstFailure)
{
    Settings settings;
    Log log;
    settings.a.Callback().Reset(&Log::A, &log);
    settings.b.Callback().Reset(&Log::B, &log);
    settings.e.Callback().Reset(&Log::E, &log);

    const auto good = RMLPropertyReader::FromBytes("[E]\r\ntrue\r\n\r\n[C][D]\r\nfalse\r\n\r\n[B]\r\nCubic\r\n\r\n"
                                                   "[A]\r\n7\r\n\r\n[F]\r\n12\r\n\r\n");
    IReaderFromPropertyReader reader(good);
    settings.Read(reader);
    EXPECT_EQ(log.order, (std::vector<std::string>{"A=7", "B=0", "E=true"}));
    EXPECT_FALSE(settings.c.d.Get());
    EXPECT_EQ(settings.f.Get(), 12u);

    // B is damaged: A is read, B and everything after keep their values.
    log.order.clear();
    const auto damaged = RMLPropertyReader::FromBytes("[A]\r\n9\r\n\r\n[B]\r\nnearest\r\n\r\n[C][D]\r\ntrue\r\n\r\n"
                                                      "[E]\r\nfalse\r\n\r\n");
    IReaderFromPropertyReader reader2(damaged);
    EXPECT_THROW(settings.Read(reader2), Exception);
    EXPECT_EQ(log.order, std::vector<std::string>{"A=9"});
    EXPECT_EQ(settings.b.Get(), Resampling::EnumResamplingMode::Cubic);
    EXPECT_FALSE(settings.c.d.Get());
    EXPECT_TRUE(settings.e.Get());
}

TEST(CompositeOfProperties, ShowsItsMembersAsAPropertyTree)
{
    Settings settings;
    EXPECT_EQ(settings.GetCount(), 5u);
    String text;
    // An unset member has no text; a described one shows its description.
    EXPECT_THROW(settings.GetChildAt(4)->GetAsString(text), Exception);
    settings.f = 3;
    settings.GetChildAt(4)->GetAsString(text);
    EXPECT_EQ(text, String("3 (bytes)"));
    EXPECT_EQ(MessageOf<std::runtime_error>([&] { settings.Get(5); }), "CompositeOfProperties::Get: invalid index");
    EXPECT_THROW(settings.GetChild("Z"), IA);

    // 8-bit members cannot be stored but are shown.
    CompositeOfProperties header(String("Header"));
    UninitializedProperty<UInt8> planes(&header, String("Planes"));
    planes = 200;
    header.GetChildAt(0)->GetAsString(text);
    EXPECT_EQ(text, String("200"));

    struct Orphan {
        InitializedProperty<int> x{nullptr, String("X"), 0};
    };
    EXPECT_EQ(MessageOf<Exception>([] { Orphan orphan; }), "Property: composite is nullptr");
}

} // namespace Brintavolex
