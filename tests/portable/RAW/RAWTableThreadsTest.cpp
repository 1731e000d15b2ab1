// The dialog applies entries on the GUI thread while the background loader
// creates decoders from the same table.
#include "RAW/api/RAWDecoderFactory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace Brintavolex {

TEST(RAWTableThreads, EntriesChangeWhileDecodersAreCreated)
{
    const std::string bytes(24, '\x07');
    RAWDecoderSettings settings(nullptr);
    const auto factory = settings.FactoryFor("raw");
    factory->SetEntry(bytes.size(), RAWEntry{6, 4, 0, 0, 8});
    std::atomic<bool> done{false};
    std::thread loader([&] {
        const auto stream = MakeShared<MemoryStream>(bytes.data(), bytes.size());
        while (!done) {
            // Whichever entry it meets, it is a whole one.
            const SharedPtr<IDecoder> decoder = factory->Create(stream, nullptr);
            if (const auto picture = DynamicPointerCast<RAW2DDecoder>(decoder)) {
                const RAWEntry e = picture->Entry();
                EXPECT_EQ(std::int64_t(e.x) * e.y + e.offset, 24);
            } else {
                const RAWEntry e = DynamicPointerCast<RAW3DDecoder>(decoder)->Entry();
                EXPECT_EQ(std::int64_t(e.x) * e.y * e.z + e.offset, 24);
            }
        }
    });
    for (int i = 0; i < 2000; ++i) {
        factory->SetEntry(bytes.size(), i % 2 ? RAWEntry{6, 4, 0, 0, 8} : RAWEntry{2, 2, 5, 4, 8});
        factory->SetEntry(1000 + std::uint64_t(i), RAWEntry{1000 + i, 1, 0, 0, 8});
    }
    done = true;
    loader.join();
    EXPECT_EQ(factory->Table()->size(), 2001u);
}

} // namespace Brintavolex
