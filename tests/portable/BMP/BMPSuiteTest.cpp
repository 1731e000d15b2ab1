// Jason Summers' BMP suite (from Debian's pillow sources, fetched by the set-up
// script): "g" files decode pixel-exactly to their reference PNGs; "q" and "b"
// files decode or fail cleanly.
#include "Platform/api/CodecFactory.h"
#include "this/src/Logger.h"

#include "support/PixelCompare.h"
#include "support/TestData.h"
#include "this/src/Codecs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace Brintavolex {

namespace {

std::vector<std::string> SuiteFiles(const std::string &folder)
{
    std::vector<std::string> names;
    const std::string root = std::string(BRINTAVOLEX_TEST_CACHE) + "/bmpsuite/" + folder;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(root, error))
        if (entry.path().extension() == ".bmp")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

LoadedItem Load(const String &path)
{
    auto stream = MakeShared<FileStream>(path);
    UseApplicationCodecs();
    return LoadFromStream(stream, path, {MakeShared<FirstIndex>()}, MakeShared<NullLogger>());
}

// The reference picture of each "g" file (as pillow's own test maps them).
std::string ReferenceOf(const std::string &name)
{
    static const std::map<std::string, std::string> shared = {
        {"pal1wb.bmp", "pal1.png"},      {"pal4rle.bmp", "pal4.png"},
        {"pal8-0.bmp", "pal8.png"},      {"pal8rle.bmp", "pal8.png"},
        {"pal8topdown.bmp", "pal8.png"}, {"pal8nonsquare.bmp", "pal8nonsquare-v.png"},
        {"pal8os2.bmp", "pal8.png"},     {"pal8v4.bmp", "pal8.png"},
        {"pal8v5.bmp", "pal8.png"},      {"rgb16-565pal.bmp", "rgb16-565.png"},
        {"rgb24pal.bmp", "rgb24.png"},   {"rgb32.bmp", "rgb24.png"},
        {"rgb32bf.bmp", "rgb24.png"},
    };
    const auto found = shared.find(name);
    return found != shared.end() ? found->second : name.substr(0, name.size() - 4) + ".png";
}

// Mismatching samples against an 8-bit RGBA reference of the same size.
int Mismatches(const Data::Image2DBase &image, const TestSupport::RgbaPicture &reference, int tolerance)
{
    EXPECT_EQ(image.GetWidth(), reference.width);
    EXPECT_EQ(image.GetHeight(), reference.height);
    const std::string bytes(reference.rgba.begin(), reference.rgba.end());
    return TestSupport::CountMismatches(TestSupport::Samples16(image), TestSupport::Samples16(bytes, 1),
                                        reference.width, 8, tolerance);
}

TestSupport::RgbaPicture ReadRaw(const std::string &name)
{
    TestSupport::RgbaPicture picture;
    const std::string size =
        TestSupport::ReadBytes(TestSupport::GeneratedPath("bmpsuite-imagemagick/" + name + ".size"));
    std::sscanf(size.c_str(), "%u %u", &picture.width, &picture.height);
    const std::string bytes =
        TestSupport::ReadBytes(TestSupport::GeneratedPath("bmpsuite-imagemagick/" + name + ".rgba"));
    picture.rgba.assign(bytes.begin(), bytes.end());
    EXPECT_EQ(picture.rgba.size(), std::size_t(picture.width) * picture.height * 4);
    return picture;
}

} // namespace

// Pixel for pixel against the suite's reference PNG. The references of the
// 8-bit palette files were made from a rounded palette (42 where the files
// hold 43) and the non-square one is resampled: those match ImageMagick's
// decoding exactly instead, and the suite's picture within 1.
TEST(BMPSuite, GoodFilesDecodeExactly)
{
    const std::vector<std::string> files = SuiteFiles("g");
    ASSERT_GE(files.size(), 20u) << "the BMP suite is missing: run tools/setup-debian.sh";
    for (const std::string &name : files) {
        SCOPED_TRACE(name);
        const LoadedItem loaded = Load(TestSupport::CachePath("bmpsuite/g/" + name));
        EXPECT_FALSE(loaded.wrongExtension);
        if (!loaded.image2D) {
            ADD_FAILURE() << "a good file gave no image";
            continue;
        }
        const SharedPtr<Data::Image2DBase> image = loaded.image2D->GetData();
        const std::string referenceName = ReferenceOf(name);
        const TestSupport::RgbaPicture reference =
            TestSupport::ReadPng(TestSupport::ReadBytes(TestSupport::CachePath("bmpsuite/html/" + referenceName)));
        if (referenceName.rfind("pal8", 0) != 0) {
            EXPECT_EQ(Mismatches(*image, reference, 0), 0) << "against the suite";
            continue;
        }
        EXPECT_EQ(Mismatches(*image, ReadRaw(name), 0), 0) << "against ImageMagick";
        if (name != "pal8nonsquare.bmp") {
            EXPECT_EQ(Mismatches(*image, reference, 1), 0) << "against the suite";
        }
    }
}

// Questionable and bad files: a picture or a clean error, never a crash.
TEST(BMPSuite, QuestionableAndBadFilesDecodeOrFailCleanly)
{
    int decoded = 0, refused = 0;
    for (const std::string folder : {"q", "b"}) {
        const std::vector<std::string> files = SuiteFiles(folder);
        ASSERT_GE(files.size(), 10u);
        for (const std::string &name : files) {
            SCOPED_TRACE(folder + "/" + name);
            try {
                const LoadedItem loaded = Load(TestSupport::CachePath("bmpsuite/" + folder + "/" + name));
                const SharedPtr<Data::Image2DBase> image = loaded.image2D->GetData();
                EXPECT_GT(image->GetWidth(), 0u);
                ++decoded;
            } catch (const std::exception &e) {
                EXPECT_NE(std::string(e.what()), "") << "an error without a reason";
                ++refused;
            }
        }
    }
    EXPECT_GT(decoded, 15);
    EXPECT_GT(refused, 5);
}

} // namespace Brintavolex
