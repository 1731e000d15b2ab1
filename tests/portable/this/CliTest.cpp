#include "this/src/Cli/Cli.h"

#include "support/TempFolder.h"
#include "support/TestData.h"
#include "Platform/api/String.h"

#include <gtest/gtest.h>

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
} // namespace

TEST(Cli, InfoPrintsTheDecoderTheSizeAndTheHeaderTree)
{
    const Result r = RunCli({"info", TestSupport::CachePath("bmpsuite/g/rgb16-565.bmp")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("decoder: Brintavolex BMP Decoder\n"), std::string::npos);
    EXPECT_NE(r.out.find("wrong extension: no\n"), std::string::npos);
    EXPECT_NE(r.out.find("width: 127\nheight: 64\n"), std::string::npos);
    EXPECT_NE(r.out.find("color type: BGRAUInt8 (48)\n"), std::string::npos);
    EXPECT_NE(r.out.find("  BITMAPFILEHEADER\n    usType: 19778\n"), std::string::npos);
    EXPECT_NE(r.out.find("    biCompression: 3\n"), std::string::npos);
    EXPECT_NE(r.out.find("    biGreenMask: 2016\n"), std::string::npos);
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

TEST(Cli, BadInputEndsWithTheDecodersMessage)
{
    const Result bad = RunCli({"info", TestSupport::CachePath("bmpsuite/b/badheadersize.bmp")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "BMPDecoder: invalid header size\n");
    const Result missing = RunCli({"info", FromUTF8("/no/such/file.bmp")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("CreateFileW failed with error"), std::string::npos);
    EXPECT_EQ(RunCli({"frobnicate"}).code, 2);
}

} // namespace Brintavolex
