// The size tables in the settings file and the checks on what the user
// types: round trips through the RML writer and reader, values stored by
// older versions, and entries that must never reach a decoder.
#include "Interface/api/RML.h"
#include "RAW/api/RAWDecoderFactory.h"

#include "support/TempFolder.h"
#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

namespace Brintavolex {

namespace {

using TestSupport::PathString;

// The tables mounted as the application mounts them: Codecs/RAWDecoderFactory.
struct SettingsTree {
    CompositeOfProperties root{String("Settings")};
    CompositeOfProperties codecs{&root, String("Codecs")};
    SharedPtr<RAWDecoderSettings> raw = MakeShared<RAWDecoderSettings>(nullptr);
    SettingsTree() { codecs.Register(raw); }

    void Save(const std::string &path)
    {
        IWriterFromPropertyWriter writer(MakeShared<RMLPropertyWriter>(PathString(path)));
        root.Write(writer);
    }
    void Load(SharedPtr<PropertyReader> backEnd)
    {
        IReaderFromPropertyReader reader(std::move(backEnd));
        root.Read(reader);
    }
};

constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;

} // namespace

TEST(RAWSettings, TablesSurviveSavingAndLoadingWithOffsetsBeyond32Bits)
{
    TestSupport::TempFolder folder;
    SettingsTree saved;
    const std::uint64_t big = 5 * kGiB + 7 + 640 * 480 * 2;
    saved.raw->FactoryFor("raw")->SetEntry(big, RAWEntry{640, 480, 0, std::int64_t(5 * kGiB + 7), 16});
    saved.raw->FactoryFor("raw")->SetEntry(64 * 64 * 64 * 8, RAWEntry{64, 64, 64, 0, 52});
    saved.raw->FactoryFor("vol")->SetEntry(3 * kGiB + 10, RAWEntry{5, 2, 0, std::int64_t(3 * kGiB), 8});
    saved.raw->FactoryFor("")->SetEntry(12, RAWEntry{3, 2, 0, 0, 15});
    saved.Save(folder.File("settings.rml"));

    const std::string text = TestSupport::ReadWholeFile(folder.File("settings.rml"));
    EXPECT_NE(text.find("[Codecs][RAWDecoderFactory][raw][" + std::to_string(big) + "][Offset]\r\n5368709127\r\n"),
              std::string::npos);
    SettingsTree loaded;
    loaded.Load(MakeShared<RMLPropertyReader>(PathString(folder.File("settings.rml"))));
    const auto factories = loaded.raw->Factories();
    ASSERT_EQ(factories.size(), 3u);
    for (const auto &factory : saved.raw->Factories())
        EXPECT_TRUE(*loaded.raw->FactoryFor(factory->Extension())->Table() == *factory->Table())
            << factory->Extension().ToStdString();
    EXPECT_EQ(loaded.raw->FactoryFor("")->GetExtensions(), String("*."));
}

TEST(RAWSettings, StoredValuesOfOlderVersionsAndDamagedEntries)
{
    // Offsets once went through 32 bits: 3 GiB came back as -1073741824.
    auto entry = [](const std::string &size, const std::string &name, const std::string &value) {
        return "[Codecs][RAWDecoderFactory][Raw][" + size + "][" + name + "]\r\n" + value + "\r\n\r\n";
    };
    auto record = [&](const std::string &size, const std::string &x, const std::string &offset) {
        return entry(size, "X", x) + entry(size, "Y", "2") + entry(size, "Z", "0") + entry(size, "Offset", offset) +
               entry(size, "Type", "8");
    };
    // The same extension in another case joins the same table.
    std::string otherCase = record("120", "5", "110");
    for (std::size_t at; (at = otherCase.find("[Raw]")) != std::string::npos;)
        otherCase.replace(at, 5, "[raw]");
    const std::string file = record("3221225482", "5", "-1073741824") + record("110", "5", "100") + otherCase +
                             record("111", "5", "100") /* one byte too many */ + record("50", "x", "40") +
                             record("60", "-5", "70") + record("junk", "5", "0") + record("70", "5", "");
    SettingsTree loaded;
    loaded.Load(RMLPropertyReader::FromBytes(file));
    const auto table = loaded.raw->FactoryFor("RAW")->Table();
    const RAWDecoderFactory::SizeTable expected{{3221225482u, RAWEntry{5, 2, 0, std::int64_t(3 * kGiB), 8}},
                                                {110u, RAWEntry{5, 2, 0, 100, 8}},
                                                {120u, RAWEntry{5, 2, 0, 110, 8}}};
    EXPECT_TRUE(*table == expected);
    EXPECT_EQ(loaded.raw->Factories().size(), 1u);
}

TEST(RAWSettings, ValuesTheUserTypesAreCheckedBeforeAnyDecoderSeesThem)
{
    constexpr std::int64_t kMax32 = 2147483647;
    struct Typed {
        std::int64_t x, y, z, offset, type;
        std::uint64_t size;
        const char *message; // a part of it, or "" when accepted
    };
    const Typed cases[] = {
        {4, 3, 0, 10, 16, 34, ""},
        {4, 3, 2, 0, 64, 192, ""},
        {4, 3, 2, 0, 64, 193, "make 192 bytes, but the file has 193 bytes"},
        {0, 3, 0, 0, 8, 0, "X must be a whole number from 1"},
        {4, -3, 0, 0, 8, 0, "Y must be"},
        {4, 3, -1, 0, 8, 12, "Z must be"},
        {4, 3, 0, -1, 8, 11, "Offset must not be negative"},
        {kMax32 + 1, 1, 0, 0, 8, 0, "X must be"},
        {4, 3, 0, 0, 9, 12, "Data Type 9 is no scalar type"},
        {4, 3, 0, 0, 455, 12, "Data Type 455"},
        // Products beyond 64 bits must not wrap around to the file size.
        {kMax32, kMax32, kMax32, 0, 64, 0, "need more than 2^64 bytes"},
        {kMax32, kMax32, 4, 0x7fffffffffffffff, 64, 0, "need more than 2^64 bytes"},
        {std::int64_t(1) << 30, std::int64_t(1) << 30, 16, 12, 8, 12, "need more than 2^64 bytes"},
    };
    for (const Typed &c : cases) {
        const RAWEntryCheck check = CheckRAWEntry(c.x, c.y, c.z, c.offset, c.type, c.size);
        EXPECT_EQ(check.accepted, *c.message == '\0') << c.message;
        EXPECT_NE(check.message.ToStdString().find(c.message), std::string::npos) << check.message.ToStdString();
    }
    RAWDecoderSettings settings(nullptr);
    const auto factory = settings.FactoryFor("raw");
    EXPECT_NE(Thrown([&] { factory->SetEntry(193, RAWEntry{4, 3, 2, 0, 64}); }).find("the file has 193"),
              std::string::npos);
    EXPECT_TRUE(factory->Table()->empty());
}

TEST(RAWSettings, ExtensionsMatchWithoutRegardToCase)
{
    std::vector<SharedPtr<CodecFactory>> added;
    RAWDecoderSettings settings([&](const SharedPtr<CodecFactory> &f) { added.push_back(f); });
    const auto upper = settings.FactoryFor("RAW");
    EXPECT_EQ(settings.FactoryFor("raw"), upper);
    EXPECT_EQ(settings.FactoryFor("Raw"), upper);
    EXPECT_EQ(added.size(), 1u);
    for (const char *name : {"C:\\scans\\a.raw", "b.RAW", "/data/c.Raw"})
        EXPECT_TRUE(MatchesExtension(name, upper->GetExtensions())) << name;
    EXPECT_FALSE(MatchesExtension("a.raw.png", upper->GetExtensions()));
    EXPECT_EQ(RAWExtensionOf("C:\\a.b\\scan"), String());
    EXPECT_EQ(RAWExtensionOf("scan.tar.RaW"), String("RaW"));
    EXPECT_EQ(RAWExtensionOf("noext"), String());
    EXPECT_EQ(RAWExtensionOf("dot."), String());
    EXPECT_NE(Thrown([&] { settings.FactoryFor("a]b"); }).find("cannot be kept in the settings"), std::string::npos);
    EXPECT_EQ(added.size(), 1u);
}

} // namespace Brintavolex
