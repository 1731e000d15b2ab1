// giflib's test pictures, ImageMagick's animations and files written by the
// generator script, every frame against the script's composition (numpy
// over Pillow's LZW); playback in order; cut files; hostile files.
#include "GIF/api/GIFDecoder.h"
#include "Data/api/Property.h"
#include "Platform/api/DecodeLimit.h"

#include "support/LoadBytes.h"
#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace Brintavolex {

namespace {

using Pixel = Data::ColorBGRA<std::uint8_t>;

struct Case {
    std::string file;
    std::uint32_t width = 0, height = 0;
    std::uint64_t frames = 0;
    std::string bytes, rgba; // the file, and every frame's RGBA rows
};

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    std::istringstream lines(TestSupport::ReadBytes(TestSupport::GeneratedPath("gif/cases.txt")));
    Case c;
    while (lines >> c.file >> c.width >> c.height >> c.frames) {
        c.bytes = TestSupport::ReadBytes(TestSupport::GeneratedPath("gif/" + c.file));
        c.rgba = TestSupport::ReadBytes(TestSupport::GeneratedPath("gif/" + c.file + ".rgba"));
        cases.push_back(c);
    }
    return cases;
}

Case Named(const std::string &file)
{
    for (Case &c : Cases())
        if (c.file == file)
            return c;
    throw std::runtime_error("no case " + file);
}

// The stream reads the bytes in place: they must outlive the decoder.
SharedPtr<GIFDecoder> Open(const std::string &bytes)
{
    return MakeShared<GIFDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()));
}

std::vector<Pixel> Frame(GIFDecoder &decoder, std::uint64_t i, const SharedPtr<IProgress> &progress = nullptr)
{
    const Data::BasicInfo info = decoder.DecodeBasicInfo(i);
    std::vector<Pixel> pixels(std::size_t(info.width) * info.height, Pixel{1, 2, 3, 4});
    decoder.Decode(i, pixels.data(), info.width, info.height, progress);
    return pixels;
}

// Pixels of frame i that differ from the reference; the first is reported.
int Mismatches(const Case &c, const std::vector<Pixel> &ours, std::uint64_t i)
{
    const std::size_t count = std::size_t(c.width) * c.height;
    EXPECT_EQ(ours.size(), count);
    const auto *expected = reinterpret_cast<const std::uint8_t *>(c.rgba.data()) + i * count * 4;
    int mismatches = 0;
    for (std::size_t p = 0; p < std::min(count, ours.size()); ++p) {
        const std::uint8_t *e = expected + 4 * p;
        const Pixel &o = ours[p];
        if (o.r == e[0] && o.g == e[1] && o.b == e[2] && o.a == e[3])
            continue;
        if (mismatches++ == 0)
            ADD_FAILURE() << c.file << " frame " << i << " pixel (" << p % c.width << ", " << p / c.width
                          << "): RGBA " << int(o.r) << " " << int(o.g) << " " << int(o.b) << " " << int(o.a)
                          << ", expected " << int(e[0]) << " " << int(e[1]) << " " << int(e[2]) << " " << int(e[3]);
    }
    return mismatches;
}

// Counts the images drawn: the decoder reports progress once per image.
class CountingProgress final : public IProgress {
public:
    explicit CountingProgress(int cancelAt = 0) : _cancelAt(cancelAt) {}
    bool SetProgress(double) override { return ++calls == _cancelAt; }
    int calls = 0;

private:
    int _cancelAt;
};

std::string Le16(unsigned v) { return {char(v & 255), char(v >> 8)}; }

// Codes of one width, least-significant bit first, in sub-blocks.
std::string CodeBlocks(std::initializer_list<unsigned> codes, unsigned width)
{
    std::string bytes;
    std::uint32_t bits = 0;
    unsigned held = 0;
    for (unsigned code : codes) {
        bits |= code << held;
        for (held += width; held >= 8; held -= 8, bits >>= 8)
            bytes += char(bits & 255);
    }
    if (held)
        bytes += char(bits);
    return char(bytes.size()) + bytes + '\0';
}

// One image of a 2-colour screen; data follows the code size byte.
std::string OneImage(unsigned screenW, unsigned screenH, unsigned w, unsigned h, const std::string &data)
{
    return "GIF89a" + Le16(screenW) + Le16(screenH) + std::string("\x80\0\0\0\0\0\xFF\xFF\xFF", 9) + ',' +
           Le16(0) + Le16(0) + Le16(w) + Le16(h) + '\0' + data;
}

std::string Refusal(const std::string &bytes)
{
    return Thrown([&] {
        const auto decoder = Open(bytes);
        for (std::uint64_t i = 0; i <= decoder->GetCount(); ++i)
            Frame(*decoder, i);
    });
}

} // namespace

// Frames in order, then backwards from the last one, then one in the middle
// on a fresh decoder.
TEST(GIFDecoder, EveryFrameEqualsTheReferenceComposition)
{
    const std::vector<Case> cases = Cases();
    ASSERT_EQ(cases.size(), 16u);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const auto decoder = Open(c.bytes);
        ASSERT_EQ(decoder->GetCount(), c.frames);
        for (std::uint64_t i = 0; i < c.frames; ++i)
            EXPECT_EQ(Mismatches(c, Frame(*decoder, i), i), 0);
        for (std::uint64_t i = c.frames; i-- > 0;)
            EXPECT_EQ(Mismatches(c, Frame(*decoder, i), i), 0);
        EXPECT_EQ(Mismatches(c, Frame(*Open(c.bytes), c.frames / 2), c.frames / 2), 0);
    }
}

TEST(GIFDecoder, OpensThroughTheRegistryWithItsBlocksAndDelays)
{
    const Case c = Named("welcome2.gif");
    const LoadedItem loaded = TestSupport::LoadBytes(c.bytes, "welcome2.gif");
    EXPECT_EQ(loaded.factory->GetName(), String("Brintavolex GIF Decoder"));
    const auto frame = DynamicPointerCast<IImage2D>(loaded.decoder->Get(1));
    EXPECT_EQ(frame->GetFrameDelayMilliseconds(), std::optional<std::uint32_t>(1000));
    const SharedPtr<IProperty> tree = loaded.decoder->GetProperty();
    String version;
    tree->GetChild("Header")->GetChild("version")->GetAsString(version);
    EXPECT_EQ(version, String("89a"));
    EXPECT_EQ(tree->GetChild("ScreenDescriptor")->GetChild("screenWidth")->GetUInt16(), 290);
    EXPECT_EQ(tree->GetChild("Image[1]")->GetChild("Graphics Control Extension")->GetChild("DelayTime")->GetUInt16(), 100);
    EXPECT_EQ(tree->GetChild("Image[5]")->GetChild("ImageDescriptor")->GetChild("imageHeight")->GetUInt16(), 48);
    EXPECT_EQ(tree->GetChild("Application Extension (not implemented)[1]")->GetCount(), 1u);
    EXPECT_EQ(tree->GetChild("End")->GetUInt8(), 0x3B);
    // Without a control block a frame has no delay.
    EXPECT_EQ(DynamicPointerCast<IImage2D>(Open(Named("porsche.gif").bytes)->Get(0))->GetFrameDelayMilliseconds(),
              std::nullopt);
}

// Stepping on costs one image; going back starts again; a cancelled
// request leaves the images drawn so far for the next one.
TEST(GIFDecoder, PlaybackInOrderDrawsOneImagePerFrame)
{
    const Case c = Named("im-dispose-previous.gif");
    const auto decoder = Open(c.bytes);
    for (std::uint64_t i = 0; i < c.frames; ++i) {
        auto progress = MakeShared<CountingProgress>();
        EXPECT_EQ(Mismatches(c, Frame(*decoder, i, progress), i), 0);
        EXPECT_EQ(progress->calls, 1);
    }
    auto back = MakeShared<CountingProgress>();
    EXPECT_EQ(Mismatches(c, Frame(*decoder, 2, back), 2), 0);
    EXPECT_EQ(back->calls, 3);
    auto again = MakeShared<CountingProgress>();
    EXPECT_EQ(Mismatches(c, Frame(*decoder, 2, again), 2), 0);
    EXPECT_EQ(again->calls, 0);

    const auto fresh = Open(c.bytes);
    EXPECT_EQ(Thrown([&] { Frame(*fresh, 3, MakeShared<CountingProgress>(2)); }), "operation cancelled");
    auto rest = MakeShared<CountingProgress>();
    EXPECT_EQ(Mismatches(c, Frame(*fresh, 3, rest), 3), 0);
    EXPECT_EQ(rest->calls, 2);
}

TEST(GIFDecoder, CutFilesKeepTheirWholeFrames)
{
    const Case c = Named("im-dispose-background.gif");
    // Images 0 and 1 whole, the file ending inside image 2.
    const std::size_t image2 = c.bytes.find(std::string("\x2C\x5F\x00\x3C\x00", 5));
    ASSERT_NE(image2, std::string::npos);
    const std::string cut = c.bytes.substr(0, image2 + 30);
    const auto decoder = Open(cut);
    ASSERT_EQ(decoder->GetCount(), 2u);
    for (std::uint64_t i = 0; i < 2; ++i)
        EXPECT_EQ(Mismatches(c, Frame(*decoder, i), i), 0);
    EXPECT_EQ(Thrown([&] { decoder->Get(2); }), "GIFDecoder: the file ends inside image 2");
    EXPECT_EQ(Thrown([&] { decoder->Get(3); }), "GIFDecoder::Get: image index must be less than image count");
    // Without its trailer every frame is whole.
    const std::string whole = c.bytes.substr(0, c.bytes.size() - 1);
    const auto noTrailer = Open(whole);
    ASSERT_EQ(noTrailer->GetCount(), c.frames);
    EXPECT_EQ(Mismatches(c, Frame(*noTrailer, c.frames - 1), c.frames - 1), 0);
}

TEST(GIFDecoder, HostileFilesEndInCleanRefusals)
{
    // Clear, 1, 0, end: two pixels under code size 2, codes of 3 bits.
    const std::string picture = CodeBlocks({4, 1, 0, 5}, 3);
    EXPECT_EQ(Refusal(OneImage(2, 1, 2, 1, '\2' + picture)), "GIFDecoder::Get: image index must be less than image count");
    for (char size : {'\0', '\x0C', '\xFF'})
        EXPECT_EQ(Refusal(OneImage(2, 1, 2, 1, size + picture)),
                  "LZW code size " + std::to_string(std::uint8_t(size)) + " is out of range (1 to 11)");
    EXPECT_EQ(Refusal(OneImage(2, 1, 2, 1, '\2' + CodeBlocks({4, 7}, 3))),
              "corrupt LZW data: code 7 is beyond the next free code 6");
    EXPECT_EQ(Refusal(OneImage(2, 1, 2, 1, '\2' + CodeBlocks({4, 1, 7}, 3))),
              "corrupt LZW data: code 7 is beyond the next free code 6");
    EXPECT_EQ(Refusal(OneImage(2, 1, 2, 1, '\2' + CodeBlocks({4, 1, 5}, 3))), "End Of Image Code not expected yet");
    EXPECT_EQ(Refusal(OneImage(2, 1, 2, 1, '\2' + CodeBlocks({4, 1}, 3))),
              "the LZW data ends before the image's last pixel");
    // Under code size 9 the literal 257 lies beyond any colour table: it
    // draws nothing (as a byte it would wrap round to white).
    const std::string wide = OneImage(2, 1, 2, 1, '\x09' + CodeBlocks({512, 257, 0, 513}, 10));
    const std::vector<Pixel> pixels = Frame(*Open(wide), 0);
    EXPECT_EQ(pixels[0].a, 0);
    EXPECT_EQ(pixels[1].a, 255);
    EXPECT_EQ(pixels[1].r, 0);
    // A 65535 x 65535 screen in under 100 bytes, and such an image on a
    // small screen: neither allocates by its size.
    const std::string huge = OneImage(65535, 65535, 2, 1, '\2' + picture + ';');
    EXPECT_LT(huge.size(), 100u);
    EXPECT_EQ(Refusal(huge).rfind("GIFDecoder: 65535 x 65535 pixels of 4 bytes exceed the decode limit", 0), 0u)
        << Refusal(huge);
    EXPECT_EQ(Refusal(OneImage(4, 4, 65535, 65535, '\2' + picture + ';')), "End Of Image Code not expected yet");
    // Endless extension sub-blocks, a block of no kind, versions.
    std::string endless = OneImage(2, 1, 2, 1, '\2' + picture) + "\x21\x01";
    for (int i = 0; i < 20000; ++i)
        endless += '\xFF' + std::string(255, 'x');
    const auto decoder = Open(endless);
    EXPECT_EQ(decoder->GetCount(), 1u);
    EXPECT_EQ(Thrown([&] { decoder->Get(1); }), "GIFDecoder: the file ends inside a block after image 1");
    EXPECT_EQ(Refusal(OneImage(2, 1, 2, 1, '\2' + picture) + "\x99"),
              "GIFDecoder: unknown block 0x99 at offset 34 after image 1");
    std::string v88 = OneImage(2, 1, 2, 1, '\2' + picture), v87b = v88;
    v88.replace(3, 3, "88a");
    v87b.replace(3, 3, "87b");
    EXPECT_EQ(Refusal(v88), "unknown GIF version");
    EXPECT_EQ(Open(v87b)->GetCount(), 1u);
    EXPECT_EQ(Refusal("GIF89a\1"), "the file ends early");
}

} // namespace Brintavolex
