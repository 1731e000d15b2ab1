// The directory reader against libtiff's tiffdump on files made by
// ImageMagick, ExifTool and tiffcp; every field type in both byte orders,
// classic and BigTIFF; hostile directories built byte by byte.
#include "TIF/api/TIFDirectory.h"

#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <filesystem>
#include <set>

namespace Brintavolex::TIF {

namespace {

std::string Hex(const std::vector<std::uint8_t> &bytes)
{
    std::string text;
    char pair[3];
    for (std::uint8_t b : bytes)
        std::snprintf(pair, sizeof pair, "%02x", b), text += pair;
    return text;
}

// One directory in the listing format of tests/tools/make_test_tiffs.py.
void Dump(const ImageFileDirectory &ifd, const std::string &path, std::string &out)
{
    out += "ifd " + path + "\n";
    for (const Field &f : ifd.Fields()) {
        std::string line = std::to_string(f.tag) + " " + std::to_string(f.type) + " " + std::to_string(f.count);
        switch (FieldType(f.type)) {
        case FieldType::Ascii: line += " " + Hex(f.data); break;
        case FieldType::Undefined:
            for (std::uint8_t v : f.data)
                line += " " + std::to_string(v);
            break;
        case FieldType::Rational: case FieldType::SRational: case FieldType::Float: case FieldType::Double:
            for (double v : ifd.Doubles(f.tag)) {
                char number[32];
                std::snprintf(number, sizeof number, " %g", v);
                line += number;
            }
            break;
        default:
            for (std::int64_t v : ifd.Signed(f.tag))
                line += " " + std::to_string(v);
        }
        out += line + "\n";
    }
    for (const auto &[tag, child] : ifd.Children())
        Dump(*child, path + "/" + std::to_string(tag), out);
}

std::string Dump(const TiffStructure &tiff)
{
    std::string out = std::string("header ") + (tiff.byteOrder == ByteOrder::LittleEndian ? "II " : "MM ") +
                      std::to_string(tiff.version) + " " + std::to_string(tiff.firstIFDOffset) + "\n";
    for (std::size_t i = 0; i < tiff.ifds.size(); ++i)
        Dump(*tiff.ifds[i], std::to_string(i), out);
    return out;
}

String TextOf(const SharedPtr<IProperty> &property)
{
    String text;
    property->GetAsString(text);
    return text;
}

// A TIFF written byte by byte: header, then directories and their values
// appended in order. Values that fit go inline, others after the entries.
class Builder {
public:
    Builder(bool bigEndian, bool bigTiff) : _big(bigEndian), _bigTiff(bigTiff)
    {
        Put(bigEndian ? 0x4D4D : 0x4949, 2);
        Put(bigTiff ? 43 : 42, 2);
        if (bigTiff)
            Put(8, 2), Put(0, 2);
        _firstOffsetAt = bytes.size();
        Put(0, OffsetSize());
    }
    struct Entry {
        std::uint16_t tag, type;
        std::uint64_t count;
        std::vector<std::uint64_t> values; // one per value (rationals: two); empty: raw holds the value field
        std::uint64_t raw = 0;
    };
    // Appends a directory; returns where its next-offset field is.
    std::size_t Directory(const std::vector<Entry> &entries, std::size_t linkAt)
    {
        Patch(linkAt, bytes.size());
        Put(entries.size(), _bigTiff ? 8 : 2);
        const std::size_t tableAt = bytes.size();
        const std::size_t entrySize = _bigTiff ? 20 : 12;
        bytes.resize(tableAt + entries.size() * entrySize + OffsetSize());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Entry &e = entries[i];
            std::size_t at = tableAt + i * entrySize;
            at = Write(at, e.tag, 2), at = Write(at, e.type, 2), at = Write(at, e.count, OffsetSize());
            const unsigned size = FieldTypeSize(e.type) == 8 && e.type <= 10 ? 4 : FieldTypeSize(e.type);
            if (e.values.empty() || size * e.values.size() > OffsetSize()) {
                Write(at, e.values.empty() ? e.raw : bytes.size(), OffsetSize());
                for (std::uint64_t v : e.values)
                    Put(v, size);
            } else {
                for (std::uint64_t v : e.values)
                    at = Write(at, v, size);
            }
        }
        return tableAt + entries.size() * entrySize;
    }
    std::size_t FirstLink() const { return _firstOffsetAt; }
    unsigned OffsetSize() const { return _bigTiff ? 8 : 4; }
    void Patch(std::size_t at, std::uint64_t value) { Write(at, value, OffsetSize()); }
    TiffStructure Read(const TagTable &tags = ExtendedIFDSpecification)
    {
        MemoryStream stream(bytes.data(), bytes.size());
        return ReadTiffStructure(stream, tags);
    }

    std::vector<std::uint8_t> bytes;

private:
    void Put(std::uint64_t value, unsigned size)
    {
        bytes.resize(bytes.size() + size);
        Write(bytes.size() - size, value, size);
    }
    std::size_t Write(std::size_t at, std::uint64_t value, unsigned size)
    {
        for (unsigned i = 0; i < size; ++i)
            bytes[at + (_big ? size - 1 - i : i)] = std::uint8_t(value >> (8 * i));
        return at + size;
    }
    bool _big, _bigTiff;
    std::size_t _firstOffsetAt;
};

using E = Builder::Entry;
constexpr std::uint16_t T(FieldType t) { return std::uint16_t(t); }

} // namespace

TEST(TIFDirectory, EveryEntryMatchesTiffdump)
{
    for (const char *name : {"exif-le.tif", "exif-be.tif", "pages-be.tif", "big-le.tif", "big-be.tif"}) {
        SCOPED_TRACE(name);
        const String path = TestSupport::GeneratedPath(std::string("tiffs/") + name);
        FileStream stream(path);
        const TiffStructure tiff = ReadTiffStructure(stream, ExtendedIFDSpecification);
        EXPECT_EQ(Dump(tiff), TestSupport::ReadBytes(TestSupport::GeneratedPath(std::string("tiffs/") + name + ".dump")));
        EXPECT_TRUE(tiff.problems.empty());
        for (const auto &ifd : tiff.ifds)
            EXPECT_TRUE(ifd->Problems().empty()) << ifd->Problems().front();
    }
    // The same through memory, as the JPEG decoder hands over its Exif segment.
    const std::string bytes = TestSupport::ReadBytes(TestSupport::GeneratedPath("tiffs/exif-be.tif"));
    MemoryStream memory(bytes.data(), bytes.size());
    EXPECT_EQ(Dump(ReadTiffStructure(memory, Exif22::IFDSpecification)),
              TestSupport::ReadBytes(TestSupport::GeneratedPath("tiffs/exif-be.tif.dump")));
}

TEST(TIFDirectory, PublishesTagsByNameWithSubDirectoriesUnderTheirPointers)
{
    FileStream stream(TestSupport::GeneratedPath("tiffs/exif-be.tif"));
    const TiffStructure tiff = ReadTiffStructure(stream, ExtendedIFDSpecification);
    const SharedPtr<IProperty> root = tiff.GetProperty();
    const SharedPtr<IProperty> header = root->GetChild("Header");
    EXPECT_EQ(TextOf(header->GetChild("Byte Order")), String("Big Endian"));
    EXPECT_EQ(header->GetChild("IFD Pointer")->GetUInt64(), tiff.firstIFDOffset);

    const SharedPtr<IProperty> ifd0 = root->GetChild("IFD 0");
    EXPECT_EQ(TextOf(ifd0->GetChild("Make")), String("Acme Optics"));
    EXPECT_EQ(ifd0->GetChild("BitsPerSample")->GetValueCount(), 3u);
    const SharedPtr<IProperty> exif = ifd0->GetChild("Exif IFD Pointer");
    EXPECT_DOUBLE_EQ(exif->GetChild("ExposureTime")->GetFloat64(), 0.004);
    EXPECT_DOUBLE_EQ(exif->GetChild("ExposureBiasValue")->GetFloat64(), -0.7);
    EXPECT_EQ(TextOf(exif->GetChild("Flash")->GetChild("Meaning")), String("Flash fired, auto"));
    EXPECT_EQ(TextOf(exif->GetChild("FileSource")->GetChild("Meaning")), String("DSC")) << "one UNDEFINED byte";
    EXPECT_EQ(exif->GetChild("42034")->GetValueCount(), 4u) << "a tag of a later Exif version, under its number";
    EXPECT_EQ(TextOf(exif->GetChild("Interoperability IFD Pointer")->GetChild("InteroperabilityIndex")),
              String("R98"));
    const SharedPtr<IProperty> gps = ifd0->GetChild("GPS Info IFD Pointer");
    EXPECT_EQ(TextOf(gps->GetChild("GPSLongitudeRef")), String("W"));

    const ImageFileDirectory &first = *tiff.ifds[0];
    EXPECT_EQ(first.Text(270), "line one\nline two");
    EXPECT_TRUE(first.Unsigned(322).empty()) << "absent";
    EXPECT_EQ(first.Child(kGPSInfoIFDPointer)->Doubles(2), (std::vector<double>{48, 30, 0}));
    EXPECT_EQ(first.Child(kExifIFDPointer)->Child(kInteroperabilityIFDPointer)->Text(1), "R98");
}

// Every table's names are unique (a composite refuses a name twice) and the
// tables are found by name.
TEST(TIFDirectory, TagTables)
{
    for (const char *name : {"TIFF", "Exif", "GPS", "Interoperability"}) {
        const TagTable *tags = SpecificationFromName(name);
        ASSERT_NE(tags, nullptr) << name;
        std::set<std::string> names;
        for (std::size_t i = 0; i < tags->count; ++i)
            EXPECT_TRUE(names.insert(tags->tags[i].name).second) << tags->tags[i].name;
    }
    EXPECT_EQ(SpecificationFromName("JFIF"), nullptr);
}

TEST(TIFDirectory, EveryFieldTypeInBothByteOrdersClassicAndBig)
{
    for (bool bigEndian : {false, true}) {
        for (bool bigTiff : {false, true}) {
            SCOPED_TRACE(std::to_string(bigEndian) + std::to_string(bigTiff));
            Builder b(bigEndian, bigTiff);
            b.Directory({E{1, T(FieldType::Byte), 2, {1, 255}}, E{2, T(FieldType::Ascii), 3, {'a', 'b', 0}},
                         E{3, T(FieldType::Short), 3, {65535, 2, 9}}, E{4, T(FieldType::Long), 1, {0xFFFFFFFF}},
                         E{5, T(FieldType::Rational), 2, {3, 4, 5, 1}}, E{6, T(FieldType::SByte), 1, {0xFF}},
                         E{7, T(FieldType::Undefined), 5, {7, 8, 9, 10, 11}}, E{8, T(FieldType::SShort), 1, {0xFFFE}},
                         E{9, T(FieldType::SLong), 1, {0xFFFFFFFD}}, E{10, T(FieldType::SRational), 1, {0xFFFFFFFF, 4}},
                         E{11, T(FieldType::Float), 1, {std::bit_cast<std::uint32_t>(1.5f)}},
                         E{12, T(FieldType::Double), 1, {std::bit_cast<std::uint64_t>(-2.5)}},
                         E{13, T(FieldType::Ifd), 1, {77}}, E{16, T(FieldType::Long8), 1, {std::uint64_t(1) << 40}},
                         E{17, T(FieldType::SLong8), 1, {std::uint64_t(-5)}}, E{18, T(FieldType::Ifd8), 1, {99}}},
                        b.FirstLink());
            const TiffStructure tiff = b.Read();
            ASSERT_EQ(tiff.ifds.size(), 1u);
            const ImageFileDirectory &d = *tiff.ifds[0];
            EXPECT_TRUE(d.Problems().empty());
            EXPECT_EQ(d.Unsigned(1), (std::vector<std::uint64_t>{1, 255}));
            EXPECT_EQ(d.Text(2), "ab");
            EXPECT_EQ(d.Unsigned(3), (std::vector<std::uint64_t>{65535, 2, 9}));
            EXPECT_EQ(d.Unsigned(4), std::vector<std::uint64_t>{0xFFFFFFFF});
            EXPECT_EQ(d.Doubles(5), (std::vector<double>{0.75, 5}));
            EXPECT_EQ(d.Signed(6), std::vector<std::int64_t>{-1});
            EXPECT_EQ(d.Bytes(7), (std::vector<std::uint8_t>{7, 8, 9, 10, 11}));
            EXPECT_EQ(d.Signed(8), std::vector<std::int64_t>{-2});
            EXPECT_EQ(d.Signed(9), std::vector<std::int64_t>{-3});
            EXPECT_EQ(d.Doubles(10), std::vector<double>{-0.25});
            EXPECT_EQ(d.Doubles(11), std::vector<double>{1.5});
            EXPECT_EQ(d.Doubles(12), std::vector<double>{-2.5});
            EXPECT_EQ(d.Unsigned(13), std::vector<std::uint64_t>{77});
            EXPECT_EQ(d.Unsigned(16), std::vector<std::uint64_t>{std::uint64_t(1) << 40});
            EXPECT_EQ(d.Signed(17), std::vector<std::int64_t>{-5});
            EXPECT_EQ(d.Unsigned(18), std::vector<std::uint64_t>{99});
            EXPECT_TRUE(d.Unsigned(9).empty()) << "signed values are no unsigned ones";
            const SharedPtr<IProperty> p = d.GetProperty();
            EXPECT_EQ(p->GetChild("3")->GetValueType(), ValueType::UInt16);
            EXPECT_EQ(p->GetChild("10")->GetFloat64(), -0.25);
            EXPECT_EQ(p->GetChild("17")->GetSInt64(), -5);
        }
    }
}

TEST(TIFDirectory, RefusesHeadersThatAreNoTiffHeaders)
{
    const auto read = [](std::vector<std::uint8_t> bytes) {
        return Thrown([&] {
            MemoryStream stream(bytes.data(), bytes.size());
            ReadTiffStructure(stream, ExtendedIFDSpecification);
        });
    };
    EXPECT_EQ(read({'I', 'M', 42, 0, 8, 0, 0, 0}), "invalid byte order");
    EXPECT_EQ(read({'I', 'I', 41, 0, 8, 0, 0, 0}), "unknown tiff version");
    EXPECT_EQ(read({'M', 'M', 0, 43, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16}), "BigTIFF: size of offsets must be 8");
    EXPECT_EQ(read({'M', 'M', 0, 43, 0, 8, 0, 1, 0, 0, 0, 0, 0, 0, 0, 16}), "BigTIFF: reserved value must be 0");
    EXPECT_EQ(read({'I', 'I', 43, 0, 8, 0, 0, 0}), "the TIFF header is cut short");
    EXPECT_EQ(read({'I', 'I', 42, 0, 0, 1, 0, 0}), "IFD at offset 256 lies beyond the end of the data");
    EXPECT_EQ(read({'I', 'I', 42, 0, 0, 0, 0, 0}), "the TIFF structure holds no image file directory");
}

// Loops end the chain, counts and offsets beyond the data refuse their
// entry or directory before anything is allocated, unknown types are
// skipped, nesting is cut. Each file is read in an instant.
TEST(TIFDirectory, HostileDirectoriesEndCleanly)
{
    for (bool bigTiff : {false, true}) {
        SCOPED_TRACE(bigTiff ? "BigTIFF" : "classic");
        {
            Builder b(true, bigTiff);
            const std::size_t link = b.Directory({E{256, T(FieldType::Short), 1, {7}}}, b.FirstLink());
            b.Directory({E{256, T(FieldType::Short), 1, {8}}}, link);
            b.Patch(b.bytes.size() - b.OffsetSize(), b.OffsetSize() * 2); // the second points back to the first
            const TiffStructure tiff = b.Read();
            EXPECT_EQ(tiff.ifds.size(), 2u);
            EXPECT_EQ(tiff.problems, std::vector<std::string>{"IFD at offset " + std::to_string(b.OffsetSize() * 2) +
                                                              " was read before; it is not read again"});
        }
        {
            Builder b(false, bigTiff);
            const std::uint64_t huge = bigTiff ? std::uint64_t(1) << 62 : 0xFFFFFFFF;
            const std::size_t link = b.Directory(
                {E{256, T(FieldType::Short), 1, {16}}, E{273, T(FieldType::Double), huge, {}, 16},
                 E{279, T(FieldType::Long), 3, {}, 0xFFFFFFF0}, E{300, 99, 1, {}, 0},
                 E{256, T(FieldType::Short), 1, {17}}, E{257, T(FieldType::Short), 1, {9}}},
                b.FirstLink());
            b.Patch(link, 1000000);
            const TiffStructure tiff = b.Read();
            const ImageFileDirectory &d = *tiff.ifds.at(0);
            EXPECT_EQ(d.Unsigned(256), std::vector<std::uint64_t>{16});
            EXPECT_EQ(d.Unsigned(257), std::vector<std::uint64_t>{9});
            EXPECT_EQ(d.Fields().size(), 2u);
            EXPECT_EQ(d.Problems(), (std::vector<std::string>{
                                        "tag 273: " + std::to_string(huge) + " values of 8 bytes are more than the data holds",
                                        "tag 279: its 12 bytes of values at offset 4294967280 reach beyond the end of the data",
                                        "tag 300: unknown field type 99, skipped",
                                        "tag 256 appears again; the first is kept"}));
            EXPECT_EQ(tiff.problems, std::vector<std::string>{"IFD at offset 1000000 lies beyond the end of the data"});
            EXPECT_NO_THROW(tiff.GetProperty());
        }
        {
            // An entry count far beyond the data: the whole directory is refused.
            Builder b(true, bigTiff);
            b.Directory({}, b.FirstLink());
            const std::size_t countAt = b.OffsetSize() * 2;
            for (unsigned i = 0; i < (bigTiff ? 8u : 2u); ++i)
                b.bytes[countAt + i] = 0xFF;
            EXPECT_EQ(Thrown([&] { b.Read(); }),
                      "IFD at offset " + std::to_string(countAt) + ": its " +
                          std::to_string(bigTiff ? ~std::uint64_t(0) : 65535) + " entries reach beyond the end of the data");
        }
        {
            // Exif pointers nested ten deep, then one pointing at itself.
            Builder b(true, bigTiff);
            const E pointer{kExifIFDPointer, T(bigTiff ? FieldType::Long8 : FieldType::Long), 1, {}, 0};
            b.Directory({pointer}, b.FirstLink());
            for (int level = 0; level < 10; ++level)
                b.Directory({pointer}, b.bytes.size() - 2 * b.OffsetSize());
            const TiffStructure tiff = b.Read();
            int depth = 0;
            SharedPtr<ImageFileDirectory> d = tiff.ifds.at(0);
            for (; d->Child(kExifIFDPointer); d = d->Child(kExifIFDPointer))
                ++depth;
            EXPECT_EQ(depth, 4);
            EXPECT_EQ(d->Problems(), std::vector<std::string>{"tag 34665: sub-directories nested more than 4 deep are cut"});
        }
        {
            Builder b(true, bigTiff);
            const FieldType pointer = bigTiff ? FieldType::Ifd8 : FieldType::Ifd;
            b.Directory({E{kGPSInfoIFDPointer, T(pointer), 1, {}, b.OffsetSize() * 2}}, b.FirstLink());
            const TiffStructure tiff = b.Read();
            EXPECT_EQ(tiff.ifds.at(0)->Problems(),
                      std::vector<std::string>{"tag 34853: IFD at offset " + std::to_string(b.OffsetSize() * 2) +
                                               " was read before; it is not read again"});
        }
    }
}

// Thousands of entries that all point at the same block would make the
// directory hold far more than the file: reading stops at twice the file
// size plus a little, and the problems are listed only so far.
TEST(TIFDirectory, EntriesSharingOneBlockCannotMultiplyTheFile)
{
    Builder b(false, false);
    std::vector<E> entries;
    for (std::uint16_t tag = 1; tag <= 4000; ++tag)
        entries.push_back(E{tag, T(FieldType::Byte), 1000, {}, 0});
    b.Directory(entries, b.FirstLink());
    const std::size_t block = b.bytes.size();
    b.bytes.resize(block + 1000);
    for (std::size_t i = 0; i < entries.size(); ++i)
        b.Patch(8 + 2 + i * 12 + 8, block);
    const TiffStructure tiff = b.Read();
    const ImageFileDirectory &d = *tiff.ifds.at(0);
    std::uint64_t held = 0;
    for (const Field &f : d.Fields())
        held += f.data.size();
    EXPECT_LE(held, 2 * b.bytes.size() + 64 * 1024);
    EXPECT_GT(held, b.bytes.size());
    ASSERT_EQ(d.Problems().size(), 17u);
    EXPECT_EQ(d.Problems().back(), "further problems are not listed");
    EXPECT_NE(d.Problems().front().find("add up to more than twice the size of the data"), std::string::npos);
}

// What the fuzzer found: a structure or a clean error.
TEST(TIFDirectory, FuzzFindingsEndCleanly)
{
    std::size_t replayed = 0;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(TestSupport::TestDataPath("tif/fuzz"), error)) {
        SCOPED_TRACE(entry.path().string());
        const std::string bytes =
            TestSupport::ReadBytes(TestSupport::DataPath("tif/fuzz/" + entry.path().filename().string()));
        Thrown([&] {
            MemoryStream stream(bytes.data(), bytes.size());
            ReadTiffStructure(stream, Exif22::IFDSpecification).GetProperty();
        });
        ++replayed;
    }
    EXPECT_GE(replayed, 1u);
}

} // namespace Brintavolex::TIF
