// Properties through the settings file's own reader and writer.
#include "Interface/api/SerializableProperty.h"
#include "Interface/api/RML.h"

#include "support/TempFolder.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Brintavolex {

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

// Reads the properties from an RML text with one entry name = value.
template <class... P> void ReadFrom(const std::string &name, const std::string &value, P &...properties)
{
    IReaderFromPropertyReader reader(RMLPropertyReader::FromBytes("[" + name + "]\r\n" + value + "\r\n\r\n"));
    (properties.Read(reader), ...);
}

// The RML text the properties write.
std::string Written(std::initializer_list<ISerializable *> properties)
{
    TestSupport::TempFolder folder;
    const std::string path = folder.File("properties.rml");
    {
        IWriterFromPropertyWriter writer(MakeShared<RMLPropertyWriter>(TestSupport::PathString(path)));
        for (ISerializable *p : properties)
            p->Write(writer);
    }
    return TestSupport::ReadWholeFile(path);
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
    ReadFrom("InterpolationL100", "MipMap Bilinear", mode);
    const std::vector<EnumResamplingMode> expected = {EnumResamplingMode::Cubic, EnumResamplingMode::Linear,
                                                      EnumResamplingMode::Linear, EnumResamplingMode::MipMapBilinear};
    EXPECT_EQ(recorder.seen, expected);
    // The callback sees the new value already stored.
    EXPECT_EQ(recorder.heldAtCall, expected);

    PropertyWithNotification<EnumResamplingMode> other(String("Other"), EnumResamplingMode::Nearest);
    mode = other;
    EXPECT_EQ(mode.Name(), String("Other"));
    EXPECT_EQ(recorder.seen.size(), 5u);
    EXPECT_EQ(recorder.seen.back(), EnumResamplingMode::Nearest);
}

TEST(SerializableProperty, BadTextStoresNothingAndNotifiesNothing)
{
    PropertyWithNotification<bool> ruler(String("Ruler"), true);
    Recorder<bool> flags;
    ruler.Callback().Reset(&Recorder<bool>::OnChange, &flags);
    PropertyWithNotification<int> layout(String("Ruler"), 2);
    Recorder<int> layouts;
    layout.Callback().Reset(&Recorder<int>::OnChange, &layouts);
    EXPECT_THROW(ReadFrom("Ruler", "TRUE", ruler), Exception);
    EXPECT_THROW(ReadFrom("Ruler", "2147483648", layout), Exception);
    EXPECT_TRUE(ruler.Get());
    EXPECT_EQ(layout.Get(), 2);
    EXPECT_TRUE(flags.seen.empty());
    EXPECT_TRUE(layouts.seen.empty());

    // An absent key reads as empty text, which no number is.
    UninitializedProperty<unsigned int> count(String("Count"));
    try {
        ReadFrom("Other", "1", count);
        ADD_FAILURE() << "no exception";
    } catch (const Exception &e) {
        EXPECT_STREQ(e.what(), "ValueFromString<Brintavolex::UInt32>: string is empty");
    }
}

TEST(SerializableProperty, UninitializedRefusesUntilSetOrRead)
{
    UninitializedProperty<unsigned int> size(String("biSize"));
    EXPECT_THROW(size.Get(), Exception);
    EXPECT_THROW(Written({&size}), Exception);
    size.Set(7);
    EXPECT_EQ(size.Get(), 7u);

    UninitializedPropertyWithDescription<SInt32> width(String("biWidth"), String("width in pixels"));
    EXPECT_EQ(width.Description(), String("width in pixels"));
    EXPECT_THROW(ReadFrom("biWidth", "x", width), Exception);
    EXPECT_FALSE(width.IsInitialized());
    ReadFrom("biWidth", "-640", width);
    EXPECT_EQ(width.Get(), -640);
}

} // namespace Brintavolex
