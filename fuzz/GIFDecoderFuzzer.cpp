// The GIF decoder on arbitrary bytes: the block scan, the composites, LZW
// data and the composition of frames, in order and back again. Only clean
// exceptions may come out; the decode limit keeps memory bounded.
#include "Data/api/Property.h"
#include "GIF/api/GIFDecoder.h"
#include "Platform/api/DecodeLimit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace Brintavolex;

namespace {
// Enough frames to pass through every disposal a few times.
constexpr std::uint64_t kMostFrames = 16;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SetDecodeLimit(std::uint64_t(16) << 20);
    std::vector<std::uint8_t> bytes(data, data + size);
    auto decoder = MakeShared<GIFDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()));
    try {
        decoder->GetProperty();
        const std::uint64_t count = std::min(decoder->GetCount(), kMostFrames);
        std::vector<Data::ColorBGRA<std::uint8_t>> pixels;
        // In order, then the first again: the composer starts over.
        for (std::uint64_t i = 0; i <= count; ++i) {
            const std::uint64_t frame = i < count ? i : 0;
            try {
                const Data::BasicInfo info = decoder->DecodeBasicInfo(frame);
                pixels.resize(std::size_t(info.width) * info.height);
                decoder->Decode(frame, pixels.data(), info.width, info.height, nullptr);
                decoder->GetDelayMilliseconds(frame);
            } catch (const std::exception &) {
            }
        }
        decoder->Get(count);
    } catch (const std::exception &) {
    }
    return 0;
}
