// The RAW decoders against numpy: files of every scalar type, 2D and 3D,
// behind headers and beyond 4 GiB, and numpy's slices of every volume
// (generated/raw/cases.txt).
#include "Data/api/Image2D.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/DecodeLimit.h"
#include "Platform/api/VolumeSliceAdapters.h"
#include "RAW/api/RAWDecoderFactory.h"

#include "support/LoadBytes.h"
#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace Brintavolex {

namespace {

using TestSupport::GeneratedPath;
using TestSupport::ReadBytes;

struct Case {
    std::string name, type;
    std::int32_t x = 0, y = 0, z = 0;
    std::int64_t offset = 0;
};

std::vector<Case> Cases()
{
    std::istringstream lines(ReadBytes(GeneratedPath("raw/cases.txt")));
    std::vector<Case> cases;
    for (Case c; lines >> c.name >> c.type >> c.x >> c.y >> c.z >> c.offset;)
        cases.push_back(c);
    return cases;
}

std::string Expected(const Case &c, const char *suffix) { return ReadBytes(GeneratedPath("raw/" + c.name + suffix)); }

std::uint8_t TypeCode(const std::string &name)
{
    for (int code = 0; code < 256; ++code)
        if (const char *known = Data::ColorTypeName(Data::ColorType(code)); known && name == known)
            return std::uint8_t(code);
    throw std::runtime_error("unknown type " + name);
}

// Opened as the viewer opens it: a factory for the extension whose table
// knows the file's size.
SharedPtr<IDecoder> Open(const Case &c, SharedPtr<IStream> stream = nullptr)
{
    if (!stream)
        stream = MakeShared<FileStream>(GeneratedPath("raw/" + c.name));
    RAWDecoderSettings settings(nullptr);
    settings.FactoryFor("raw")->SetEntry(stream->size(), RAWEntry{c.x, c.y, c.z, c.offset, TypeCode(c.type)});
    return settings.FactoryFor("RAW")->Create(stream, nullptr);
}

// Picture rows of width samples out of a buffer of stride samples per row.
std::string Packed(const std::uint8_t *data, std::uint64_t width, std::uint64_t height, std::uint64_t stride,
                   std::uint64_t sample)
{
    std::string out;
    for (std::uint64_t y = 0; y < height; ++y)
        out.append(reinterpret_cast<const char *>(data + y * stride * sample), width * sample);
    return out;
}

// What the data cache decodes into a padded image (rows read one by one).
std::string ThroughCache(const SharedPtr<IImage2D> &item)
{
    const SharedPtr<Data::Image2DBase> image = MakeShared<Image2DDataCache>(item)->GetData();
    std::string bytes;
    Data::DispatchColorType(image->GetColorType(), [&](auto tag) {
        using T = typename decltype(tag)::type;
        const Data::Image2DBase &readOnly = *image;
        const auto lock = readOnly.LockConst<T>();
        bytes = Packed(reinterpret_cast<const std::uint8_t *>(lock.Data()), lock.Width(), lock.Height(),
                       lock.Stride(), sizeof(T));
    });
    return bytes;
}

// A stream that neither maps its file nor lends its bytes: slices are read.
class CopyingStream final : public IStream {
public:
    explicit CopyingStream(SharedPtr<IStream> inner) : _inner(std::move(inner)) {}
    std::uint64_t tell() override { return _inner->tell(); }
    std::uint64_t read(void *buffer, std::uint64_t count) override { return _inner->read(buffer, count); }
    void seek(std::uint64_t position) override { _inner->seek(position); }
    std::uint64_t size() override { return _inner->size(); }
    SharedPtr<IStream> Clone() override { return _inner->Clone(); }
    SharedPtr<IProperty> GetProperty(const Guid &key) override { return _inner->GetProperty(key); }

private:
    SharedPtr<IStream> _inner;
};

} // namespace

TEST(RAWDecoder, EveryTypeIn2DAnd3DDecodesAsNumpyWroteIt)
{
    const std::vector<Case> cases = Cases();
    ASSERT_EQ(cases.size(), 22u);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string expected = Expected(c, ".expected");
        const SharedPtr<ISceneItem> item = Open(c)->Get(0);
        const std::uint64_t sample = RAWSampleSize(TypeCode(c.type));
        if (c.z == 0) {
            const auto picture = DynamicPointerCast<IImage2D>(item);
            ASSERT_TRUE(picture);
            Data::BasicInfo info;
            picture->DecodeBasicInfo(info);
            EXPECT_EQ(Data::ColorTypeName(info.colorType), c.type);
            std::string tight(expected.size(), '\0');
            picture->GetRect(tight.data(), std::uint64_t(c.x), std::uint64_t(c.y), nullptr);
            EXPECT_TRUE(tight == expected);
            EXPECT_TRUE(ThroughCache(picture) == expected);
        } else {
            const auto volume = DynamicPointerCast<IImage3D>(item);
            ASSERT_TRUE(volume);
            std::string tight(expected.size(), '\0');
            volume->GetRect(tight.data(), std::uint64_t(c.x), std::uint64_t(c.y), nullptr);
            EXPECT_TRUE(tight == expected);
            // Padded rows and slices: each slice read row by row.
            const std::uint64_t stride = std::uint64_t(c.x) + 3, rows = std::uint64_t(c.y) + 2;
            std::vector<std::uint8_t> padded(stride * rows * std::uint64_t(c.z) * sample);
            volume->GetRect(padded.data(), stride, rows, nullptr);
            std::string unpadded;
            for (std::int32_t z = 0; z < c.z; ++z)
                unpadded += Packed(padded.data() + z * stride * rows * sample, std::uint64_t(c.x),
                                   std::uint64_t(c.y), stride, sample);
            EXPECT_TRUE(unpadded == expected);
        }
    }
}

TEST(RAWDecoder, EverySliceOfEveryVolumeEqualsNumpysSlice)
{
    for (const Case &c : Cases()) {
        if (c.z == 0)
            continue;
        SCOPED_TRACE(c.name);
        const std::uint64_t x = std::uint64_t(c.x), y = std::uint64_t(c.y), z = std::uint64_t(c.z);
        const std::uint64_t sample = RAWSampleSize(TypeCode(c.type));
        const std::string xy = Expected(c, ".expected"), xz = Expected(c, ".xz"), yz = Expected(c, ".yz");
        // From the file (mapped), from memory (lent in place), and read.
        const std::string file = ReadBytes(GeneratedPath("raw/" + c.name));
        const SharedPtr<IStream> fromFile = MakeShared<FileStream>(GeneratedPath("raw/" + c.name));
        for (const SharedPtr<IStream> &stream :
             {fromFile, SharedPtr<IStream>(MakeShared<MemoryStream>(file.data(), file.size())),
              SharedPtr<IStream>(MakeShared<CopyingStream>(fromFile))}) {
            const auto volume = DynamicPointerCast<RAW3DDecoder::Image3D>(Open(c, stream)->Get(0));
            ASSERT_TRUE(volume);
            struct Orientation {
                SliceOrientation orientation;
                std::uint64_t count, width, height;
                const std::string &slices;
            };
            for (const Orientation &o : {Orientation{SliceOrientation::XY, z, x, y, xy},
                                         Orientation{SliceOrientation::XZ, y, x, z, xz},
                                         Orientation{SliceOrientation::YZ, x, y, z, yz}}) {
                const SharedPtr<IDecoder> adapter = MakeVolumeSliceAdapter(volume, o.orientation, "v");
                ASSERT_EQ(adapter->GetCount(), o.count);
                const std::uint64_t bytes = o.width * o.height * sample;
                for (std::uint64_t k = 0; k < o.count; ++k) {
                    const std::string numpy = o.slices.substr(k * bytes, bytes);
                    std::string direct(bytes, '\0');
                    volume->GetSlice(o.orientation, k, direct.data(), o.width, o.height, nullptr);
                    ASSERT_TRUE(direct == numpy) << int(o.orientation) << " " << k;
                    const auto slice = DynamicPointerCast<IImage2D>(adapter->Get(k));
                    ASSERT_TRUE(ThroughCache(slice) == numpy) << int(o.orientation) << " " << k;
                }
            }
        }
    }
}

TEST(RAWDecoder, TableChoosesByExactSizeAndDepth)
{
    const std::string bytes(2 * 3 * 4 * 2 + 5, '\x01');
    const auto stream = MakeShared<MemoryStream>(bytes.data(), bytes.size());
    const auto smaller = MakeShared<MemoryStream>(bytes.data(), bytes.size() - 1);
    RAWDecoderSettings settings(nullptr);
    const SharedPtr<RAWDecoderFactory> factory = settings.FactoryFor("vol");
    EXPECT_EQ(Thrown([&] { factory->Create(stream, nullptr); }), "RAWDecoderFactory::Create: unknown file size");
    EXPECT_EQ(Thrown([&] { factory->Create(nullptr, nullptr); }), "RAWDecoderFactory::Create: stream is nullptr");
    factory->SetEntry(bytes.size(), RAWEntry{2, 3, 4, 5, 16});
    factory->SetEntry(bytes.size() - 1, RAWEntry{4, 3, 0, 28, 16});
    EXPECT_TRUE(DynamicPointerCast<IImage3D>(factory->Create(stream, nullptr)->Get(0)));
    EXPECT_TRUE(DynamicPointerCast<IImage2D>(factory->Create(smaller, nullptr)->Get(0)));
    // Z = 1 is a volume of one slice; Z = 0 a picture.
    const auto flat = MakeShared<MemoryStream>(bytes.data(), 2 * 3 * 2);
    factory->SetEntry(2 * 3 * 2, RAWEntry{2, 3, 1, 0, 16});
    EXPECT_TRUE(DynamicPointerCast<IImage3D>(factory->Create(flat, nullptr)->Get(0)));
    factory->SetEntry(2 * 3 * 2, RAWEntry{2, 3, 0, 0, 16});
    EXPECT_TRUE(DynamicPointerCast<IImage2D>(factory->Create(flat, nullptr)->Get(0)));
    EXPECT_EQ(factory->Table()->size(), 3u);
    EXPECT_EQ(factory->GetExtensions(), String("*.vol"));
}

TEST(RAWDecoder, EntriesTheFileCannotHoldEndInCleanErrors)
{
    const std::string bytes(64, '\0');
    const auto stream = MakeShared<MemoryStream>(bytes.data(), bytes.size());
    std::vector<std::uint8_t> buffer(1 << 16);
    // Built directly, without the table's check.
    auto message = [&](RAWEntry entry) {
        return Thrown([&] {
            if (entry.z == 0)
                MakeShared<RAW2DDecoder>(stream, entry)->Decode(buffer.data(), 256, 256, nullptr);
            else
                MakeShared<RAW3DDecoder>(stream, entry)->DecodeVolume(buffer.data(), 256, 256, nullptr);
        });
    };
    EXPECT_NE(message({8, 8, 0, 1, 8}).find("the file has 64 bytes"), std::string::npos);
    EXPECT_NE(message({8, 8, 0, std::int64_t(1) << 62, 8}).find("the file has 64 bytes"), std::string::npos);
    EXPECT_EQ(message({4, 4, 1, 0, 9}), "RAW3DDecoder: unknown data type");
    EXPECT_NE(message({-4, 4, 0, 0, 8}).find("invalid geometry"), std::string::npos);
    EXPECT_NE(message({2147483647, 2147483647, 2147483647, 0, 64}).find("decode limit"), std::string::npos);
    EXPECT_EQ(message({8, 8, 0, 0, 8}), "<none>");
    // The decode limit refuses before the cache allocates the picture.
    ScopedDecodeLimit limit(32);
    const auto item = DynamicPointerCast<IImage2D>(MakeShared<RAW2DDecoder>(stream, RAWEntry{8, 8, 0, 0, 8})->Get(0));
    EXPECT_NE(Thrown([&] { MakeShared<Image2DDataCache>(item)->GetData(); }).find("exceed the decode limit"),
              std::string::npos);
}

} // namespace Brintavolex
