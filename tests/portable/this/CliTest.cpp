#include "Platform/api/CodecFactory.h"
#include "this/src/Cli/Cli.h"

#include "Platform/api/String.h"
#include "support/OrientedPicture.h"
#include "support/Pictures.h"
#include "support/TempFolder.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Brintavolex {

namespace {
struct Result {
    int code;
    std::string out, err;
};
Result RunCli(std::vector<String> arguments)
{
    Result r;
    r.code = Cli::Run(arguments, r.out, r.err);
    return r;
}

// Files of "CLI!": image 0 a Float32 picture of 0.25 and 2, image 1 a UInt16
// volume of 2 x 2 x 2 voxels numbered 0..7, as the next decoders will bring.
class TwoImages final : public IDecoder {
public:
    explicit TwoImages(IStream &stream)
    {
        char magic[4] = {};
        if (stream.size() < 4 || (stream.read(magic, 4), std::memcmp(magic, "CLI!", 4) != 0))
            throw Exception("TwoImages: not mine");
    }
    std::uint64_t GetCount() override { return 2; }
    SharedPtr<ISceneItem> Get(std::uint64_t i) override
    {
        if (i > 1)
            throw std::invalid_argument("TwoImages::Get: no such image");
        if (i == 0)
            return MakeShared<TestSupport::FunctionPicture<float>>(2, 1, [](std::uint32_t x, std::uint32_t) {
                return kPicture[x];
            });
        return MakeShared<TestSupport::FunctionVolume<std::uint16_t>>(
            2, 2, 2, [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return std::uint16_t(x + 2 * y + 4 * z); });
    }
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
    static constexpr float kPicture[2] = {0.25f, 2.0f};
};

class TwoImagesFactory final : public DecoderFactory<TwoImagesFactory> {
public:
    String GetName() override { return "two images"; }
    String GetExtensions() override { return "*.cli"; }
    TextPair GetFilterStrings() override { return {String("cli"), String("cli")}; }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &) override
    {
        return MakeShared<TwoImages>(*stream);
    }
};

} // namespace

TEST(Cli, InfoPrintsTheDecoderTheSizeAndTheHeaderTree)
{
    const Result r = RunCli({"info", TestSupport::CachePath("bmpsuite/g/rgb16-565.bmp")});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char *line : {"decoder: Brintavolex BMP Decoder\nwrong extension: no\n", "width: 127\nheight: 64\n",
                             "color type: BGRAUInt8 (48)\n", "  BITMAPFILEHEADER\n    usType: 19778\n",
                             "    biGreenMask: 2016\n", "images: 1\n  0: 127 x 64, BGRAUInt8, raw B,G,R,A of UInt8\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
}

// The decoded samples against ImageMagick's decoding of the same files.
TEST(Cli, RawOutputHoldsTheDecodedSamples)
{
    TestSupport::TempFolder folder;
    const String target = FromUTF8(folder.File("out.raw"));
    for (const std::string name : {"pal4rle.bmp", "pal8rle.bmp", "pal8topdown.bmp", "rgb32bf.bmp"}) {
        SCOPED_TRACE(name);
        const Result r = RunCli({"convert", TestSupport::CachePath("bmpsuite/g/" + name), target});
        ASSERT_EQ(r.code, 0) << r.err;
        std::string bgra = TestSupport::ReadBytes(target);
        for (std::size_t i = 0; i + 3 < bgra.size(); i += 4)
            std::swap(bgra[i], bgra[i + 2]);
        EXPECT_TRUE(bgra == TestSupport::ReadBytes(TestSupport::GeneratedPath("bmpsuite-imagemagick/" + name + ".rgba")));
    }
}

TEST(Cli, FloatPicturesAndVolumes)
{
    AppendFactory(MakeShared<TwoImagesFactory>());
    TestSupport::TempFolder folder;
    const String file = FromUTF8(folder.Write("two.cli", "CLI!"));
    const auto written = [&](std::vector<String> arguments) {
        arguments.insert(arguments.begin(), {"convert", file});
        const Result r = RunCli(arguments);
        EXPECT_EQ(r.code, 0) << r.err;
        return TestSupport::ReadBytes(arguments[2]);
    };
    const Result info = RunCli({"info", file});
    EXPECT_NE(info.out.find("images: 2\n  0: 2 x 1, Float32, raw grey of Float32\n"
                            "  1: 2 x 2 x 2 voxels, UInt16, raw grey of UInt16\n"),
              std::string::npos) << info.out;
    // Floats as stored; as PNG through the display mapping (0.25 shows 64).
    const String raw = FromUTF8(folder.File("f.raw")), png = FromUTF8(folder.File("f.png"));
    EXPECT_EQ(written({raw}), std::string(reinterpret_cast<const char *>(TwoImages::kPicture), 8));
    const TestSupport::RgbaPicture shown = TestSupport::ReadPng(written({png}));
    EXPECT_EQ(shown.rgba, (std::vector<std::uint8_t>{64, 64, 64, 255, 255, 255, 255, 255}));
    // A volume whole, or one XY slice.
    const auto words = [](std::initializer_list<std::uint16_t> v) {
        return std::string(reinterpret_cast<const char *>(std::data(v)), v.size() * 2);
    };
    EXPECT_EQ(written({raw, "--image", "1"}), words({0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(written({raw, "--image", "1", "--slice", "1"}), words({4, 5, 6, 7}));
    EXPECT_EQ(RunCli({"convert", file, raw, "--slice", "1"}).code, 1); // image 0 is no volume
}

// --upright writes each orientation's picture as the Exif definition turns
// it; without it the pixels stay as stored. Unknown values count as 1.
TEST(Cli, UprightTurnsAndMirrorsAsTheOrientationSays)
{
    TestSupport::TempFolder folder;
    const auto pixels = [](std::uint16_t orientation) {
        const TestSupport::PixelPosition extent = TestSupport::UprightExtent(orientation, 5, 3);
        std::string bytes;
        for (std::uint32_t y = 0; y < extent.y; ++y)
            for (std::uint32_t x = 0; x < extent.x; ++x) {
                const auto p = TestSupport::StoredPixelOfUpright(orientation, 5, 3, x, y);
                bytes += {char(p.x), char(p.y), char(p.x * 7 + p.y * 13), char(255)};
            }
        return bytes;
    };
    const String raw = FromUTF8(folder.File("out.raw"));
    for (const std::uint8_t orientation : {1, 2, 3, 4, 5, 6, 7, 8, 0, 9}) {
        SCOPED_TRACE(int(orientation));
        const String file = FromUTF8(folder.Write("p.exo", TestSupport::OrientedPictureFile(orientation, 5, 3)));
        const std::string shown = std::to_string(orientation >= 1 && orientation <= 8 ? orientation : 1);
        EXPECT_NE(RunCli({"info", file}).out.find("exif orientation: " + shown + "\n"), std::string::npos);
        ASSERT_EQ(RunCli({"convert", file, raw, "--upright"}).code, 0);
        EXPECT_EQ(TestSupport::ReadBytes(raw), pixels(orientation));
        ASSERT_EQ(RunCli({"convert", file, raw, "--image", "0"}).code, 0);
        EXPECT_EQ(TestSupport::ReadBytes(raw), pixels(1));
    }
    EXPECT_EQ(RunCli({"convert", FromUTF8(folder.File("p.exo")), raw, "--upright", "--image"}).code, 2);
    AppendFactory(MakeShared<TwoImagesFactory>());
    const String volume = FromUTF8(folder.Write("two.cli", "CLI!"));
    EXPECT_EQ(RunCli({"convert", volume, raw, "--image", "1", "--upright"}).code, 1); // a whole volume
}

TEST(Cli, TimePrintsMinimumMedianAndPeakMemory)
{
    const Result r = RunCli({"time", TestSupport::CachePath("bmpsuite/g/rgb24.bmp"), "-n", "3"});
    ASSERT_EQ(r.code, 0) << r.err;
    double minimum = 0, median = 0;
    unsigned long long peak = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str(), "runs: 3\nminimum: %lf ms\nmedian: %lf ms\npeak memory: %llu bytes",
                          &minimum, &median, &peak), 3) << r.out;
    EXPECT_LE(minimum, median);
    EXPECT_GT(peak, 0u);
}

TEST(Cli, ConvertWritesAPngThatHoldsThePicture)
{
    TestSupport::TempFolder folder;
    const String target = FromUTF8(folder.File("out.png"));
    const Result r = RunCli({"convert", TestSupport::CachePath("bmpsuite/g/rgb24.bmp"), target});
    ASSERT_EQ(r.code, 0) << r.err;
    const TestSupport::RgbaPicture written = TestSupport::ReadPng(TestSupport::ReadBytes(target));
    const TestSupport::RgbaPicture reference =
        TestSupport::ReadPng(TestSupport::ReadBytes(TestSupport::CachePath("bmpsuite/html/rgb24.png")));
    EXPECT_EQ(written.width, reference.width);
    EXPECT_EQ(written.height, reference.height);
    EXPECT_TRUE(written.rgba == reference.rgba);
}

// An animation: info gives each frame's delay, convert --image N writes
// frame N as the reference composition has it.
TEST(Cli, GifFramesComeWithTheirDelays)
{
    const String file = TestSupport::CachePath("giflib-pics/welcome2.gif");
    const Result info = RunCli({"info", file});
    EXPECT_NE(info.out.find("images: 6\n  0: 290 x 48, BGRAUInt8, raw B,G,R,A of UInt8, delay 1000 ms\n"),
              std::string::npos) << info.out;
    TestSupport::TempFolder folder;
    const String target = FromUTF8(folder.File("frame.png"));
    const Result r = RunCli({"convert", file, target, "--image", "2"});
    ASSERT_EQ(r.code, 0) << r.err;
    const TestSupport::RgbaPicture written = TestSupport::ReadPng(TestSupport::ReadBytes(target));
    const std::string frames = TestSupport::ReadBytes(TestSupport::GeneratedPath("gif/welcome2.gif.rgba"));
    const std::size_t frameBytes = 290 * 48 * 4;
    ASSERT_EQ(frames.size(), 6 * frameBytes);
    EXPECT_TRUE(std::string(written.rgba.begin(), written.rgba.end()) == frames.substr(2 * frameBytes, frameBytes));
}

TEST(Cli, BadInputEndsWithTheDecodersMessage)
{
    const Result bad = RunCli({"info", TestSupport::CachePath("bmpsuite/b/badheadersize.bmp")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "BMPDecoder: invalid header size\n");
    const Result missing = RunCli({"info", FromUTF8("/no/such/file.bmp")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("CreateFileW failed with error"), std::string::npos);
    EXPECT_EQ(RunCli({"frobnicate"}).code, 2);
    const String file = TestSupport::CachePath("bmpsuite/g/rgb24.bmp");
    EXPECT_EQ(RunCli({"time", file, "-n", "0"}).code, 2);
    EXPECT_EQ(RunCli({"time", file, "--image", "x"}).code, 2);
    EXPECT_EQ(RunCli({"convert", file, "out.jpg"}).code, 2);
    EXPECT_EQ(RunCli({"convert", file, "out.png", "--frame", "1"}).code, 2);
}

} // namespace Brintavolex
