// One decoder, two players: calls take turns, so each frame comes out as a
// call on its own gives it, whatever the other thread asks for meanwhile.
#include "GIF/api/GIFDecoder.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace Brintavolex {

TEST(GIFDecoderThreads, ConcurrentCallsGiveWholeFrames)
{
    const std::string bytes = TestSupport::ReadBytes(TestSupport::GeneratedPath("gif/im-dispose-previous.gif"));
    auto open = [&] { return MakeShared<GIFDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size())); };
    using Frame = std::vector<Data::ColorBGRA<std::uint8_t>>;
    auto decode = [](GIFDecoder &decoder, std::uint64_t i) {
        const Data::BasicInfo info = decoder.DecodeBasicInfo(i);
        Frame frame(std::size_t(info.width) * info.height);
        decoder.Decode(i, frame.data(), info.width, info.height, nullptr);
        return frame;
    };
    const auto alone = open();
    const std::uint64_t count = alone->GetCount();
    ASSERT_EQ(count, 5u);
    std::vector<std::string> expected;
    for (std::uint64_t i = 0; i < count; ++i) {
        const Frame frame = decode(*alone, i);
        expected.emplace_back(reinterpret_cast<const char *>(frame.data()), frame.size() * sizeof frame[0]);
    }
    const auto shared = open();
    std::atomic<int> wrong{0};
    auto player = [&](std::uint64_t step) {
        for (std::uint64_t n = 0; n < 40; ++n) {
            const std::uint64_t i = n * step % count;
            const Frame frame = decode(*shared, i);
            if (std::string(reinterpret_cast<const char *>(frame.data()), frame.size() * sizeof frame[0]) != expected[i])
                ++wrong;
        }
    };
    std::thread forward(player, 1), skipping(player, 3);
    forward.join();
    skipping.join();
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace Brintavolex
