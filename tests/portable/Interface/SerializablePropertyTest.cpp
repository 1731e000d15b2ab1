#include "Interface/api/SerializableProperty.h"

#include "MemoryStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Brintavolex {

using TestSupport::MemoryReader;
using TestSupport::MemoryStore;
using TestSupport::MemoryWriter;

namespace {
template <class T> struct Recorder {
    void OnChange(const T &value)
    {
        seen.push_back(value);
        if (property)
            heldAtCall.push_back(property->Get());
    }
    std::vector<T> seen;
    std::vector<T> heldAtCall;
    const Property<T> *property = nullptr;
};

std::shared_ptr<MemoryStore> StoreWith(std::map<std::string, String> values)
{
    auto store = std::make_shared<MemoryStore>();
    store->values = std::move(values);
    return store;
}
} // namespace

TEST(SerializableProperty, NotifiesAfterEverySetReadAndAssignmentInOrder)
{
    using Resampling::EnumResamplingMode;
    PropertyWithNotification<EnumResamplingMode> mode(String("InterpolationL100"), EnumResamplingMode::Area);
    Recorder<EnumResamplingMode> recorder;
    recorder.property = &mode;
    mode.Callback().Reset(&Recorder<EnumResamplingMode>::OnChange, &recorder);

    mode.Set(EnumResamplingMode::Cubic);
    mode = EnumResamplingMode::Linear;
    mode.Set(EnumResamplingMode::Linear); // the same value notifies again
    MemoryReader reader(StoreWith({{"InterpolationL100", String("MipMap Bilinear")}}));
    mode.Read(reader);
    const std::vector<EnumResamplingMode> expected = {EnumResamplingMode::Cubic, EnumResamplingMode::Linear,
                                                      EnumResamplingMode::Linear,
                                                      EnumResamplingMode::MipMapBilinear};
    EXPECT_EQ(recorder.seen, expected);
    // The callback sees the new value already stored.
    EXPECT_EQ(recorder.heldAtCall, expected);

    PropertyWithNotification<EnumResamplingMode> other(String("Other"), EnumResamplingMode::Nearest);
    mode = other;
    EXPECT_EQ(mode.Name(), String("Other"));
    EXPECT_EQ(mode.Get(), EnumResamplingMode::Nearest);
    EXPECT_EQ(recorder.seen.size(), 5u);
    EXPECT_EQ(recorder.seen.back(), EnumResamplingMode::Nearest);
}

TEST(SerializableProperty, SettingTheSameValueStillNotifiesOnce)
{
    PropertyWithNotification<bool> ruler(String("Ruler"), false);
    Recorder<bool> recorder;
    ruler.Callback().Reset(&Recorder<bool>::OnChange, &recorder);
    ruler.Set(false);
    EXPECT_EQ(recorder.seen, std::vector<bool>{false});
}

TEST(SerializableProperty, BadTextStoresNothingAndNotifiesNothing)
{
    PropertyWithNotification<bool> ruler(String("Ruler"), true);
    Recorder<bool> flags;
    ruler.Callback().Reset(&Recorder<bool>::OnChange, &flags);
    PropertyWithNotification<int> layout(String("Layout"), 2);
    Recorder<int> layouts;
    layout.Callback().Reset(&Recorder<int>::OnChange, &layouts);
    PropertyWithNotification<Data::ColorBGRA<float>> color(String("BackgroundColor"), {0, 0, 0, 1});
    PropertyWithNotification<Locale::EnumLanguage> language(String("Language"), Locale::EnumLanguage::Auto);

    for (const char *bad : {"TRUE", "", "1", "false "}) {
        MemoryReader reader(StoreWith({{"Ruler", String(bad)}}));
        EXPECT_THROW(ruler.Read(reader), Exception) << bad;
    }
    for (const char *bad : {"", "abc", "12x", "2147483648", "2.0"}) {
        MemoryReader reader(StoreWith({{"Layout", String(bad)}}));
        EXPECT_THROW(layout.Read(reader), Exception) << bad;
    }
    MemoryReader reader(StoreWith({{"BackgroundColor", String("1,2,3")}, {"Language", String("FR")}}));
    EXPECT_THROW(color.Read(reader), Exception);
    EXPECT_THROW(language.Read(reader), Exception);
    EXPECT_TRUE(ruler.Get());
    EXPECT_EQ(layout.Get(), 2);
    EXPECT_EQ(color.Get(), (Data::ColorBGRA<float>{0, 0, 0, 1}));
    EXPECT_EQ(language.Get(), Locale::EnumLanguage::Auto);
    EXPECT_TRUE(flags.seen.empty());
    EXPECT_TRUE(layouts.seen.empty());

    // An absent key reads as empty text, which no number is.
    MemoryReader empty(StoreWith({}));
    try {
        UninitializedProperty<unsigned int> count(String("Count"));
        count.Read(empty);
        ADD_FAILURE() << "no exception";
    } catch (const Exception &e) {
        EXPECT_STREQ(e.what(), "ValueFromString<Brintavolex::UInt32>: string is empty");
    }
}

TEST(SerializableProperty, WritesAndReadsEveryKindByItsName)
{
    auto store = std::make_shared<MemoryStore>();
    InitializedProperty<bool> flag(String("Flag"), true);
    InitializedProperty<int> x0(String("WindowX0"), -17);
    InitializedProperty<Data::ColorBGRA<float>> color(String("BackgroundColor"),
                                                      {63.0f / 255, 63.0f / 255, 63.0f / 255, 1});
    InitializedProperty<Platform::Video::RendererTypeEnum> renderer(
        String("Renderer"), Platform::Video::RendererTypeEnum::Direct3D9);
    InitializedProperty<Locale::EnumLanguage> language(String("Language"), Locale::EnumLanguage::German);
    InitializedProperty<Float32> scale(String("Scale"), 0.333333333f);
    InitializedProperty<UInt64> big(String("Big"), 18446744073709551615ull);
    MemoryWriter writer(store);
    for (ISerializable *p :
         std::initializer_list<ISerializable *>{&flag, &x0, &color, &renderer, &language, &scale, &big})
        p->Write(writer);
    const std::vector<std::string> order = {"Flag",  "WindowX0", "BackgroundColor", "Renderer", "Language",
                                            "Scale", "Big"};
    EXPECT_EQ(store->order, order);
    EXPECT_EQ(store->values["Flag"], String("true"));
    EXPECT_EQ(store->values["WindowX0"], String("-17"));
    EXPECT_EQ(store->values["BackgroundColor"], String("0.247059,0.247059,0.247059,1"));
    EXPECT_EQ(store->values["Renderer"], String("Direct3D9"));
    EXPECT_EQ(store->values["Language"], String("DE"));
    EXPECT_EQ(store->values["Scale"], String("0.333333"));
    EXPECT_EQ(store->values["Big"], String("18446744073709551615"));

    flag = false;
    x0 = 0;
    language = Locale::EnumLanguage::English;
    MemoryReader reader(store);
    flag.Read(reader);
    x0.Read(reader);
    language.Read(reader);
    EXPECT_TRUE(flag.Get());
    EXPECT_EQ(x0.Get(), -17);
    EXPECT_EQ(language.Get(), Locale::EnumLanguage::German);

    // 8-bit integers have no text form.
    InitializedProperty<UInt8> byte(String("Byte"), 1);
    EXPECT_THROW(byte.Write(writer), Exception);
    store->values["Byte"] = String("1");
    EXPECT_THROW(byte.Read(reader), Exception);
}

TEST(SerializableProperty, UninitializedRefusesUntilSetOrRead)
{
    UninitializedProperty<unsigned int> size(String("biSize"));
    EXPECT_THROW(size.Get(), Exception);
    auto store = std::make_shared<MemoryStore>();
    MemoryWriter writer(store);
    EXPECT_THROW(size.Write(writer), Exception);
    EXPECT_TRUE(store->values.empty());
    size.Set(7);
    EXPECT_EQ(size.Get(), 7u);

    UninitializedPropertyWithDescription<SInt32> width(String("biWidth"), String("width in pixels"));
    EXPECT_EQ(width.Description(), String("width in pixels"));
    MemoryReader bad(StoreWith({{"biWidth", String("x")}}));
    EXPECT_THROW(width.Read(bad), Exception);
    EXPECT_FALSE(width.IsInitialized());
    MemoryReader good(StoreWith({{"biWidth", String("-640")}}));
    width.Read(good);
    EXPECT_EQ(width.Get(), -640);
}

} // namespace Brintavolex
