// The TIFF decoder against independent readings: tifffile's of the pictures
// that tiffcp rewrote in every compression and layout, Pillow's of JPEG
// variants (generated/tiff-decoder/cases.txt), the PNM twins of libtiff's
// test images; and hostile directories.
#include "Data/api/Image2D.h"
#include "Platform/api/DecodeLimit.h"
#include "TIF/api/TIFDecoder.h"
#include "TIF/api/TIFDirectory.h"

#include "support/LoadBytes.h"
#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace Brintavolex {

namespace {

using TestSupport::ReadBytes;

struct Case {
    std::string name, type;
    std::uint64_t index = 0;
    std::uint32_t width = 0, height = 0, depth = 1;
    int tolerance = 0;
};

std::vector<Case> Cases()
{
    std::istringstream lines(ReadBytes(TestSupport::GeneratedPath("tiff-decoder/cases.txt")));
    std::vector<Case> cases;
    for (Case c; lines >> c.name >> c.index >> c.type >> c.width >> c.height >> c.depth >> c.tolerance;)
        cases.push_back(c);
    return cases;
}

SharedPtr<TIFDecoder> Open(const std::string &bytes)
{
    static std::vector<std::string> kept; // the streams read in place
    kept.push_back(bytes);
    return MakeShared<TIFDecoder>(MakeShared<MemoryStream>(kept.back().data(), kept.back().size()));
}

std::string Generated(const std::string &file) { return ReadBytes(TestSupport::GeneratedPath("tiff-decoder/" + file)); }

// The whole picture (or volume) of image index, tightly packed.
std::string DecodeBytes(TIFDecoder &decoder, std::uint64_t index, Data::ColorType *type = nullptr)
{
    const SharedPtr<ISceneItem> item = decoder.Get(index);
    if (const auto volume = DynamicPointerCast<IImage3D>(item)) {
        Data::BasicInfo3D info;
        volume->DecodeBasicInfo(info);
        std::string bytes(std::size_t(info.width) * info.height * info.depth * Data::PixelSize(info.colorType), '\0');
        volume->GetRect(bytes.data(), info.width, info.height, nullptr);
        if (type)
            *type = info.colorType;
        return bytes;
    }
    const auto image = DynamicPointerCast<IImage2D>(item);
    Data::BasicInfo info;
    image->DecodeBasicInfo(info);
    std::string bytes(std::size_t(info.width) * info.height * Data::PixelSize(info.colorType), '\0');
    image->GetRect(bytes.data(), info.width, info.height, nullptr);
    if (type)
        *type = info.colorType;
    return bytes;
}

// Byte-wise (8-bit samples) within tolerance; the first few differences reported.
void ExpectBytes(const std::string &ours, const std::string &expected, int tolerance)
{
    ASSERT_EQ(ours.size(), expected.size());
    int reported = 0;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        if (std::abs(int(std::uint8_t(ours[i])) - int(std::uint8_t(expected[i]))) > tolerance) {
            ++differing;
            if (reported++ < 3)
                ADD_FAILURE() << "byte " << i << ": " << int(std::uint8_t(ours[i])) << ", expected "
                              << int(std::uint8_t(expected[i]));
        }
    EXPECT_EQ(differing, 0u);
}

TEST(TIFDecoder, EveryCompressionLayoutAndDepthEqualsTheIndependentReading)
{
    const std::vector<Case> cases = Cases();
    ASSERT_GT(cases.size(), 150u);
    std::map<std::string, SharedPtr<TIFDecoder>> decoders;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name + " image " + std::to_string(c.index));
        auto &decoder = decoders[c.name];
        if (!decoder)
            decoder = Open(Generated(c.name + ".tif"));
        Data::ColorType type{};
        std::string ours;
        const std::string failure = Thrown([&] { ours = DecodeBytes(*decoder, c.index, &type); });
        if (failure != "<none>") {
            ADD_FAILURE() << failure;
            continue;
        }
        EXPECT_STREQ(Data::ColorTypeName(type), c.type.c_str());
        ExpectBytes(ours, Generated(c.name + "." + std::to_string(c.index) + ".expected"), c.tolerance);
    }
    EXPECT_EQ(decoders["pages"]->GetCount(), 3u);
    EXPECT_EQ(decoders["imagej"]->GetCount(), 5u);
    EXPECT_EQ(Thrown([&] { decoders["pages"]->Get(3); }), "TIFFDecoder::Get: image index must be less than image count");
}

TEST(TIFDecoder, VolumeSlicesInEveryOrientationEqualTheVolume)
{
    const SharedPtr<TIFDecoder> decoder = Open(Generated("volume.tif"));
    const std::string volume = Generated("volume.0.expected");
    const Data::BasicInfo3D info = decoder->DecodeBasicInfo3D(0);
    ASSERT_EQ(info.width * info.height * info.depth, volume.size());
    auto voxel = [&](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
        return volume[(std::size_t(z) * info.height + y) * info.width + x];
    };
    for (std::uint32_t k : {0u, 5u, 8u}) {
        std::string xy(std::size_t(info.width) * info.height, '\0'), xz(std::size_t(info.width) * info.depth, '\0'),
            yz(std::size_t(info.height) * info.depth, '\0');
        decoder->DecodeSlice(0, SliceOrientation::XY, k, xy.data(), info.width, info.height, nullptr);
        decoder->DecodeSlice(0, SliceOrientation::XZ, k, xz.data(), info.width, info.depth, nullptr);
        decoder->DecodeSlice(0, SliceOrientation::YZ, k, yz.data(), info.height, info.depth, nullptr);
        for (std::uint32_t z = 0; z < info.depth; ++z)
            for (std::uint32_t y = 0; y < info.height; ++y)
                for (std::uint32_t x = 0; x < info.width; ++x) {
                    if (z == k) {
                        ASSERT_EQ(xy[y * info.width + x], voxel(x, y, z));
                    }
                    if (y == k) {
                        ASSERT_EQ(xz[z * info.width + x], voxel(x, y, z));
                    }
                    if (x == k) {
                        ASSERT_EQ(yz[z * info.height + y], voxel(x, y, z));
                    }
                }
    }
    std::string slice(std::size_t(info.width) * info.height, '\0');
    EXPECT_NE(Thrown([&] { decoder->DecodeSlice(0, SliceOrientation::XY, 9, slice.data(), info.width, info.height, nullptr); })
                  .find("XY slice index must be less than the depth"),
              std::string::npos);
    EXPECT_NE(Thrown([&] { decoder->DecodeSlice(0, SliceOrientation::YZ, 35, slice.data(), info.height, info.depth, nullptr); })
                  .find("YZ slice index"),
              std::string::npos);
}

// A PNM file's samples (P5 grey, P6 RGB, 8 or 16 bits; P4 bilevel as 0/255
// with 1 = black).
std::string PnmSamples(const std::string &pnm, unsigned &channels, unsigned &bytes)
{
    std::istringstream in(pnm);
    auto next = [&] { // a header field; comments run to the line's end
        std::string field;
        while (in >> field && field[0] == '#')
            in.ignore(1 << 20, '\n');
        return field;
    };
    const std::string magic = next();
    const unsigned width = std::stoul(next()), height = std::stoul(next());
    const unsigned max = magic == "P4" ? 1 : std::stoul(next());
    in.get();
    const std::string data = pnm.substr(std::size_t(in.tellg()));
    channels = magic == "P6" ? 3 : 1;
    bytes = max > 255 ? 2 : 1;
    if (magic != "P4")
        return data;
    std::string grey;
    const unsigned rowBytes = (width + 7) / 8;
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            grey += (data[y * rowBytes + x / 8] >> (7 - x % 8)) & 1 ? '\0' : '\xff';
    return grey;
}

TEST(TIFDecoder, LibtiffTestImagesEqualTheirPnmTwinsOrAreRefusedByName)
{
    const std::vector<std::pair<const char *, const char *>> twins = {
        {"minisblack-1c-8b.tiff", "minisblack-1c-8b.pgm"},
        {"rgb-3c-8b.tiff", "rgb-3c-8b.ppm"},
        {"rgb-3c-16b.tiff", "rgb-3c-16b.ppm"},
        {"miniswhite-1c-1b.tiff", "miniswhite-1c-1b.pbm"},
    };
    for (const auto &[tiff, pnm] : twins) {
        SCOPED_TRACE(tiff);
        const SharedPtr<TIFDecoder> decoder = Open(ReadBytes(TestSupport::CachePath(std::string("libtiff-testimages/") + tiff)));
        const std::string ours = DecodeBytes(*decoder, 0);
        unsigned channels = 0, bytes = 0;
        const std::string samples = PnmSamples(ReadBytes(TestSupport::CachePath(std::string("libtiff-testimages/") + pnm)), channels, bytes);
        const std::size_t pixels = samples.size() / channels / bytes;
        ASSERT_EQ(ours.size(), pixels * (channels == 3 ? 4 : 1) * bytes);
        std::size_t differing = 0;
        for (std::size_t p = 0; p < pixels; ++p)
            for (unsigned c = 0; c < channels; ++c)
                for (unsigned b = 0; b < bytes; ++b) {
                    // PNM: RGB, big-endian; ours: BGRA, machine order.
                    const std::size_t ourChannel = channels == 3 ? 2 - c : 0;
                    const char mine = ours[(p * (channels == 3 ? 4 : 1) + ourChannel) * bytes + (bytes - 1 - b)];
                    differing += mine != samples[(p * channels + c) * bytes + b];
                }
        EXPECT_EQ(differing, 0u);
    }
    // Every other test image decodes, or is refused with its reason.
    const std::vector<std::pair<const char *, const char *>> others = {
        {"logluv-3c-16b.tiff", "SampleFormat must be 1 or 3"},
        {"lzw-single-strip.tiff", ""},
        {"deflate-last-strip-extra-data.tiff", ""},
        {"palette-1c-8b.tiff", ""},
        {"quad-tile.jpg.tiff", ""},
        {"test_ifd_loop_to_self.tif", ""},
        {"test_ifd_loop_to_first.tif", ""},
        {"test_float64_predictor2_be_lzw.tif", ""},
        {"ojpeg_chewey_subsamp21_multi_strip.tiff", "old-style JPEG compression (6) is supported only where"},
    };
    for (const auto &[file, refusal] : others) {
        SCOPED_TRACE(file);
        const SharedPtr<TIFDecoder> decoder = Open(ReadBytes(TestSupport::CachePath(std::string("libtiff-testimages/") + file)));
        const std::string message = Thrown([&] { DecodeBytes(*decoder, 0); });
        if (*refusal)
            EXPECT_NE(message.find(refusal), std::string::npos) << message;
        else
            EXPECT_EQ(message, "<none>");
    }
}

// Rewrites value index (the first by default) of a SHORT or LONG tag in a
// classic little-endian file's first directory.
std::string WithTag(std::string file, std::uint16_t tag, std::uint32_t value, std::uint32_t index = 0)
{
    auto read = [&](std::size_t at, unsigned n) {
        std::uint32_t v = 0;
        for (unsigned i = 0; i < n; ++i)
            v |= std::uint32_t(std::uint8_t(file[at + i])) << (8 * i);
        return v;
    };
    const std::size_t ifd = read(4, 4);
    for (std::uint32_t i = 0, n = read(ifd, 2); i < n; ++i) {
        const std::size_t entry = ifd + 2 + 12 * i;
        if (read(entry, 2) != tag)
            continue;
        const unsigned size = read(entry + 2, 2) == 3 ? 2 : 4;
        const std::size_t at = (read(entry + 4, 4) * size <= 4 ? entry + 8 : read(entry + 8, 4)) + index * size;
        for (unsigned b = 0; b < size; ++b)
            file[at + b] = char(value >> (8 * b));
        return file;
    }
    throw std::runtime_error("no such tag");
}

TEST(TIFDecoder, HostileDirectoriesAreRefusedByField)
{
    const std::string rgb = Generated("rgb-none-strips.tif");
    const std::vector<std::pair<std::string, const char *>> hostile = {
        {WithTag(rgb, 278, 0), "RowsPerStrip must not be 0"},
        {WithTag(rgb, 257, 5000), "StripOffsets holds 13 entries; the image needs 1000"},
        {WithTag(rgb, 273, 0xfffffff0), "reaches past the end of the file"},
        {WithTag(rgb, 259, 32809), "Thunderscan compression scheme is not supported"},
        {WithTag(rgb, 259, 34677), "SGI Log 24-bit packed compression scheme is not supported"},
        {WithTag(rgb, 259, 99), "compression scheme is not supported"},
        {WithTag(Generated("grey-none-strips.tif"), 258, 0), "BitsPerSample must not be 0"},
        {WithTag(Generated("rgb-none-tiles.tif"), 322, 0), "TileWidth must be between 1"},
        {WithTag(Generated("palette4bit.tif"), 258, 8), "ColorMap holds 48 values; 8-bit samples need 768"},
        {WithTag(Generated("grey-zip-strips.tif"), 258, 4), "Deflate compression scheme is only supported with 8, 16"},
    };
    for (const auto &[file, message] : hostile) {
        SCOPED_TRACE(message);
        const SharedPtr<TIFDecoder> decoder = Open(file);
        EXPECT_NE(Thrown([&] { DecodeBytes(*decoder, 0); }).find(message), std::string::npos)
            << Thrown([&] { DecodeBytes(*decoder, 0); });
    }
    // An ImageJ count the file cannot hold, and a picture beyond the limit.
    std::string imagej = Generated("imagej.tif");
    const std::size_t at = imagej.find("images=5");
    ASSERT_NE(at, std::string::npos);
    imagej.replace(at, 8, "images=9");
    EXPECT_NE(Thrown([&] { Open(imagej)->GetCount(); }).find("ImageJ: images=9 needs more data"), std::string::npos);
    const ScopedDecodeLimit limit(1000);
    EXPECT_NE(Thrown([&] { DecodeBytes(*Open(rgb), 0); }).find("exceed the decode limit"), std::string::npos);
}

// A strip whose data ends early keeps what it gave, and the rest of its
// rows is black, whatever the strip decoded before it left behind.
TEST(TIFDecoder, CutStripsKeepTheirPrefixAndLeaveTheRestBlack)
{
    constexpr std::uint16_t kRowsPerStrip = 278, kStripByteCounts = 279;
    for (const std::string name : {"grey-lzw-strips", "grey-zip-strips", "grey-packbits-strips"}) {
        SCOPED_TRACE(name);
        const std::string file = Generated(name + ".tif");
        MemoryStream stream(file.data(), file.size());
        const TIF::TiffStructure tiff = TIF::ReadTiffStructure(stream, TIF::ExtendedIFDSpecification);
        const std::vector<std::uint64_t> counts = tiff.ifds.at(0)->Unsigned(kStripByteCounts);
        const std::uint64_t rows = tiff.ifds.at(0)->Unsigned(kRowsPerStrip).at(0);
        ASSERT_GE(counts.size(), 4u);
        const SharedPtr<TIFDecoder> decoder = Open(file);
        const std::string whole = DecodeBytes(*decoder, 0);
        const std::string cut = DecodeBytes(*Open(WithTag(file, kStripByteCounts, std::uint32_t(counts[1] / 2), 1)), 0);
        ASSERT_EQ(cut.size(), whole.size());
        const std::size_t stripBytes = std::size_t(rows * decoder->DecodeBasicInfo(0).width);
        const std::size_t begin = stripBytes, end = 2 * stripBytes;
        EXPECT_EQ(cut.substr(0, begin), whole.substr(0, begin));
        EXPECT_EQ(cut.substr(end), whole.substr(end));
        std::size_t same = begin;
        while (same < end && cut[same] == whole[same])
            ++same;
        EXPECT_LT(same, end);
        EXPECT_EQ(cut.substr(same, end - same), std::string(end - same, '\0'));
    }
}

// A file stream cannot lend its bytes in place: every chunk is read into a copy.
TEST(TIFDecoder, ReadsThroughAFileStream)
{
    for (const std::string name : {"rgb-lzw-2-tiles", "grey-zip-strips", "rgb-none-strips"}) {
        SCOPED_TRACE(name);
        const auto decoder =
            MakeShared<TIFDecoder>(MakeShared<FileStream>(TestSupport::GeneratedPath("tiff-decoder/" + name + ".tif")));
        ExpectBytes(DecodeBytes(*decoder, 0), Generated(name + ".0.expected"), 0);
    }
}

TEST(TIFDecoder, OpensThroughTheCodecRegistry)
{
    const LoadedItem loaded = TestSupport::LoadBytes(Generated("rgb-lzw-2-tiles.tif"), "picture.tiff");
    ASSERT_TRUE(loaded.image2D);
    EXPECT_EQ(loaded.image2D->GetData()->GetWidth(), 97u);
}

} // namespace

} // namespace Brintavolex
