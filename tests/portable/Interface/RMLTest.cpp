#include "Interface/api/RML.h"
#include "Interface/api/CompositeOfProperties.h"

#include "fuzz/RMLExercise.h"
#include "support/TempFolder.h"
#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace Brintavolex {

using TestSupport::PathString;
using TestSupport::ReadWholeFile;
using TestSupport::TempFolder;

namespace {

String ReadText(PropertyReader &reader, StringExpr name)
{
    String value("unset");
    reader.ReadString(name, &value);
    return value;
}

// Writes through a fresh root writer and gives the file's bytes.
std::string WriteFile(const TempFolder &folder, const std::function<void(IWriter &)> &write,
                      const std::string &name = "out.rml")
{
    const std::string path = folder.File(name);
    {
        IWriterFromPropertyWriter root(MakeShared<RMLPropertyWriter>(PathString(path)));
        write(root);
    }
    return ReadWholeFile(path);
}

void ExpectGolden(const std::string &actual, const std::string &relative)
{
    const std::string path = Brintavolex::TestSupport::TestDataPath(relative);
    if (Brintavolex::TestSupport::UpdateGoldenFiles()) {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::string golden;
    ASSERT_NO_THROW(golden = ReadWholeFile(path)) << path;
    EXPECT_EQ(actual.size(), golden.size());
    EXPECT_TRUE(actual == golden) << "differs from " << path;
}

} // namespace

TEST(RML, ReadingFindsTheFirstEntryOfAKey)
{
    const auto reader = RMLPropertyReader::FromBytes("[Language]\r\nEN\r\n\r\n"
                                                     "[A][B][Zoom]\r\n5\r\n\r\n"
                                                     "[Empty]\r\n\r\n\r\n"
                                                     "[Language]\r\nDE\r\n\r\n"
                                                     "[Text]\r\n[Language]\r\n\r\n");
    EXPECT_EQ(ReadText(*reader, "Language"), String("EN"));
    EXPECT_EQ(ReadText(*reader->EnterTree("A")->EnterTree("B"), "Zoom"), String("5"));
    EXPECT_EQ(ReadText(*reader, "Empty"), String());
    EXPECT_EQ(ReadText(*reader, "Absent"), String());
    EXPECT_EQ(ReadText(*reader->EnterTree("A"), "Zoom"), String());
    // A value that looks like a key line stays a value.
    EXPECT_EQ(ReadText(*reader, "Text"), String("[Language]"));

    // Typed reads go through the text adapter (the property tests); the file
    // itself holds only text.
    UInt32 value = 0;
    EXPECT_THROW(reader->ReadUInt32("Language", &value), Exception);

    // Files edited with LF line ends read the same.
    const auto unix = RMLPropertyReader::FromBytes("[Language]\nDE\n\n[Ruler]\ntrue\n");
    EXPECT_EQ(ReadText(*unix, "Language"), String("DE"));
    EXPECT_EQ(ReadText(*unix, "Ruler"), String("true"));

    // Records missing their empty line still pair keys with values; lines
    // that cannot be keys are skipped and counted, and reading goes on at the
    // next key line.
    const auto tight = RMLPropertyReader::FromBytes("[A]\r\n1\r\n[B]\r\n[A]\r\nx\r\n\r\n[C]\r\n3\r\n");
    EXPECT_EQ(ReadText(*tight, "A"), String("1"));
    EXPECT_EQ(ReadText(*tight, "B"), String("[A]"));
    EXPECT_EQ(ReadText(*tight, "C"), String("3"));
    EXPECT_EQ(tight->SkippedLines(), 1u);
    const auto edited = RMLPropertyReader::FromBytes("[Language]\r\nEN\r\n\r\n; my note\r\n"
                                                     "[Ruler] \r\ntrue\r\n\r\n"
                                                     "[PlanoscopeSettings][Zoom]\r\n2\r\n\r\n");
    EXPECT_EQ(ReadText(*edited, "Language"), String("EN"));
    EXPECT_EQ(ReadText(*edited, "Ruler"), String());
    EXPECT_EQ(ReadText(*edited->EnterTree("PlanoscopeSettings"), "Zoom"), String("2"));
    EXPECT_EQ(edited->SkippedLines(), 3u);
    EXPECT_EQ(edited->GetKeyCount(), 2u);
}

TEST(RML, KeysAreCountedByRunsOfEntries)
{
    const auto reader = RMLPropertyReader::FromBytes("[A][x]\r\n1\r\n\r\n[A][y]\r\n[B][q]\r\n\r\n[B][z]\r\n3\r\n\r\n");
    EXPECT_EQ(reader->GetKeyCount(), 2u);
    EXPECT_EQ(reader->GetKey(0), String("A"));
    EXPECT_EQ(reader->GetKey(1), String("B"));
    EXPECT_EQ(Thrown([&] { reader->GetKey(2); }), "RMLPropertyReader::GetKey");
    const auto a = reader->EnterTree("A");
    EXPECT_EQ(a->GetKeyCount(), 2u);
    EXPECT_EQ(a->GetKey(1), String("y"));
    EXPECT_EQ(reader->EnterTree("C")->GetKeyCount(), 0u);

    IReaderFromPropertyReader root(reader);
    EXPECT_EQ(root.GetKeyCount(), 2u);
    EXPECT_EQ(root.EnterTree("Settings")->EnterTree("B")->GetKey(0), String("z"));
}

TEST(RML, TextThatWouldReadBackDifferentlyIsRefused)
{
    TempFolder folder;
    const std::string path = folder.File("refused.rml");
    auto writer = MakeShared<RMLPropertyWriter>(PathString(path));
    for (const char *name : {"a]b", "a\rb", "a\nb"})
        EXPECT_EQ(Thrown([&] { writer->WriteString(name, String("v")); }),
                  "RMLPropertyWriter::WriteString: name contains ']', CR or LF");
    for (const char *value : {"line\r\nbreak", "x\n", "\ry"})
        EXPECT_EQ(Thrown([&] { writer->WriteString("n", String(value)); }),
                  "RMLPropertyWriter::WriteString: value contains CR or LF");
    EXPECT_EQ(Thrown([&] { writer->WriteString(u"\u03A9", String("v")); }),
              "RMLPropertyWriter::WriteString: name is not Windows-1252 text");
    EXPECT_EQ(Thrown([&] { writer->WriteString("n", String(u"\u03A9")); }),
              "RMLPropertyWriter::WriteString: value is not Windows-1252 text");
    EXPECT_EQ(Thrown([&] { writer->EnterTree("x]"); }), "RMLPropertyWriter::EnterTree: name contains ']', CR or LF");
    EXPECT_THROW(writer->WriteUInt32("n", 1), std::logic_error);

    // Wide text that Windows-1252 holds is stored as its bytes.
    writer->EnterTree(u"\u00C4rger")->WriteString(u"\u20AC", String(u"caf\u00E9 [x]"));
    writer.Reset();
    EXPECT_EQ(ReadWholeFile(path), "[\xC4rger][\x80]\r\ncaf\xE9 [x]\r\n\r\n");
    RMLPropertyReader reader(PathString(path));
    EXPECT_EQ(ReadText(*reader.EnterTree(u"\u00C4rger"), u"\u20AC"), String(u"caf\u00E9 [x]"));
    EXPECT_EQ(ReadText(*reader.EnterTree(u"\u03A9"), u"\u20AC"), String());
}

TEST(RML, FailuresToOpenOrWriteAreReported)
{
    TempFolder folder;
    EXPECT_EQ(Thrown([&] { RMLPropertyReader r(PathString(folder.File("missing.rml"))); }), "std::ifstream");
    EXPECT_EQ(Thrown([&] { RMLPropertyWriter w(PathString(folder.File("no/such/folder.rml"))); }), "std::ofstream");
#ifndef _WIN32
    // A full disk: the write is reported, never taken for success.
    if (std::filesystem::exists("/dev/full")) {
        RMLPropertyWriter full(String("/dev/full"));
        EXPECT_EQ(Thrown([&] { full.WriteString("Language", String("EN")); }),
                  "RMLPropertyWriter::WriteString: write failed");
    }
#endif
}

TEST(RML, NonAsciiFileNames)
{
    TempFolder folder;
    const String path = PathString(folder.Path()) + u"/\u00C4pfel \u65E5\u672C.rml";
    {
        RMLPropertyWriter writer(path);
        writer.WriteString("Ruler", String("true"));
    }
    RMLPropertyReader reader(path);
    EXPECT_EQ(ReadText(reader, "Ruler"), String("true"));
}

namespace {

// Random but reproducible on every system: only the generator's raw output
// is used, never a library distribution.
class Random {
public:
    explicit Random(std::uint64_t seed) : _engine(seed) {}
    std::uint64_t Next() { return _engine(); }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }
    bool Chance(unsigned percent) { return Below(100) < percent; }
    double Unit() { return double(Next() >> 11) * 0x1p-53; }

private:
    std::mt19937_64 _engine;
};

// Text the format can hold: Windows-1252 bytes without CR and LF (names
// also without ']'), brackets and key-like values included on purpose.
std::string RandomText(Random &random, bool name)
{
    static const std::string special[] = {"[Language]", "[A][B]", "", " ", "[", "x[y", "\xE4\x80\xFF", "=SUM(A1)"};
    if (random.Chance(10)) {
        std::string pick = special[random.Below(std::size(special))];
        if (!(name && pick.find(']') != std::string::npos))
            return pick;
    }
    std::string text;
    const std::size_t length = random.Below(name ? 12 : 24);
    for (std::size_t i = 0; i < length; ++i) {
        char c;
        do {
            c = char(1 + random.Below(255));
        } while (c == '\r' || c == '\n' || (name && c == ']'));
        text += c;
    }
    return text;
}

// A random settings tree; the same seed gives the same shape, and values
// are drawn either way so that a tree of defaults has that shape too.
class RandomTree {
public:
    RandomTree(std::uint64_t seed, bool withValues)
        : _random(seed), _withValues(withValues), _root(std::make_unique<CompositeOfProperties>(String("Settings")))
    {
        Fill(*_root, 0);
    }
    CompositeOfProperties &Root() { return *_root; }

private:
    template <class P, class T> void Add(CompositeOfProperties &owner, const String &name, T value)
    {
        _properties.push_back(std::make_unique<P>(&owner, name, _withValues ? value : T{}));
    }

    void Fill(CompositeOfProperties &owner, int depth)
    {
        std::vector<std::string> used;
        const std::size_t members = 1 + _random.Below(depth == 0 ? 14 : 8);
        for (std::size_t m = 0; m < members; ++m) {
            std::string raw;
            do {
                raw = RandomText(_random, true);
            } while (std::find(used.begin(), used.end(), raw) != used.end());
            used.push_back(raw);
            const String name{StringExpr(raw)};
            Random &r = _random;
            const std::uint64_t bits = r.Next();
            switch (r.Below(depth < 3 ? 15 : 14)) {
            case 0: Add<PropertyWithNotification<bool>>(owner, name, bool(bits & 1)); break;
            case 1: Add<InitializedProperty<int>>(owner, name, int(bits)); break;
            case 2: Add<InitializedProperty<SInt16>>(owner, name, SInt16(bits)); break;
            case 3: Add<InitializedProperty<UInt16>>(owner, name, UInt16(bits)); break;
            case 4: Add<InitializedProperty<UInt32>>(owner, name, UInt32(bits)); break;
            case 5: Add<InitializedProperty<UInt64>>(owner, name, UInt64(bits)); break;
            case 6: Add<InitializedProperty<SInt64>>(owner, name, SInt64(bits)); break;
            case 7: Add<InitializedProperty<Float32>>(owner, name, Float32((r.Unit() - 0.5) * 1e4)); break;
            case 8: Add<InitializedProperty<Float64>>(owner, name, std::bit_cast<Float64>(bits)); break;
            case 9:
                Add<PropertyWithNotification<Data::ColorBGRA<float>>>(
                    owner, name, Data::ColorBGRA<float>{float(r.Unit()), float(r.Unit()), float(r.Unit()), 1});
                break;
            case 10:
                Add<PropertyWithNotification<Locale::EnumLanguage>>(
                    owner, name, bits % 2 ? Locale::EnumLanguage::German : Locale::EnumLanguage::English);
                break;
            case 11:
                Add<InitializedProperty<Platform::Video::RendererTypeEnum>>(
                    owner, name, Platform::Video::RendererTypeEnum(bits % 3));
                break;
            case 12:
                Add<PropertyWithNotification<Resampling::EnumResamplingMode>>(owner, name,
                                                                              Resampling::EnumResamplingMode(bits % 6));
                break;
            case 13: Add<InitializedProperty<String>>(owner, name, String(StringExpr(RandomText(r, false)))); break;
            default:
                _composites.push_back(std::make_unique<CompositeOfProperties>(&owner, name));
                Fill(*_composites.back(), depth + 1);
            }
        }
    }

    Random _random;
    bool _withValues;
    std::unique_ptr<CompositeOfProperties> _root;
    std::vector<std::unique_ptr<CompositeOfProperties>> _composites;
    std::vector<std::unique_ptr<ISerializable>> _properties;
};

std::string WriteTree(const TempFolder &folder, CompositeOfProperties &tree, const std::string &name)
{
    return WriteFile(
        folder, [&](IWriter &root) { tree.Write(root); }, name);
}

} // namespace

TEST(RML, RandomTreesRoundTripByteForByte)
{
    TempFolder folder;
    int differing = 0;
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
        RandomTree original(seed, true);
        const std::string first = WriteTree(folder, original.Root(), "first.rml");

        RandomTree copy(seed, false);
        const std::string defaults = WriteTree(folder, copy.Root(), "defaults.rml");
        IReaderFromPropertyReader reader(MakeShared<RMLPropertyReader>(PathString(folder.File("first.rml"))));
        copy.Root().Read(reader);
        const std::string second = WriteTree(folder, copy.Root(), "second.rml");
        ASSERT_TRUE(first == second) << "seed " << seed;
        ASSERT_EQ(FuzzSupport::ExerciseRML(first, PathString(folder.File("scratch.rml"))), "") << "seed " << seed;
        differing += first != defaults;
    }
    // Reading really changed the values of the default trees.
    EXPECT_GE(differing, 55);
}

TEST(RML, FixedTreesMatchTheCheckedInFiles)
{
    TempFolder folder;
    std::string trees;
    for (std::uint64_t seed = 101; seed <= 106; ++seed) {
        RandomTree random(seed, true);
        trees += WriteTree(folder, random.Root(), "random.rml");
    }
    ExpectGolden(trees, "rml/random-tree.rml");
}

TEST(RML, FuzzFindingsStayFixed)
{
    const std::filesystem::path folder = Brintavolex::TestSupport::TestDataPath("rml/fuzz");
    TempFolder scratch;
    std::size_t replayed = 0;
    for (const auto &file : std::filesystem::directory_iterator(folder)) {
        const std::string bytes = ReadWholeFile(file.path().string());
        EXPECT_EQ(FuzzSupport::ExerciseRML(bytes, PathString(scratch.File("scratch.rml"))), "") << file.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0u);
}

} // namespace Brintavolex
