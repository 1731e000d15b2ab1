// The BMP decoder on arbitrary bytes: headers, palette, pixels, RLE and the
// header composites. Only clean exceptions may come out.
#include "BMP/api/BMPDecoder.h"
#include "Data/api/Property.h"

#include <cstdint>
#include <vector>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    try {
        auto stream = MakeShared<MemoryStream>(bytes.data(), bytes.size());
        auto decoder = MakeShared<BMPDecoder>(stream);
        const Data::BasicInfo info = decoder->DecodeBasicInfo();
        // Keep the fuzzer's memory bounded; the decoder itself allows 2^31 pixels.
        if (std::uint64_t(info.width) * info.height <= (1u << 22)) {
            std::vector<Data::ColorBGRA<std::uint8_t>> pixels(std::size_t(info.width) * info.height);
            decoder->Decode(pixels.data(), info.width, info.height, nullptr);
        }
        decoder->GetProperty();
    } catch (const std::exception &) {
    }
    return 0;
}
