// The BMP decoder on arbitrary bytes: headers, palette, pixels, RLE and the
// header composites, decoded through the data cache as the viewer does. Only
// clean exceptions may come out; the decode limit keeps memory bounded.
#include "BMP/api/BMPDecoder.h"
#include "Data/api/Property.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/DecodeLimit.h"

#include <cstdint>
#include <vector>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Small enough for many runs a second, large enough for every path.
    SetDecodeLimit(std::uint64_t(16) << 20);
    std::vector<std::uint8_t> bytes(data, data + size);
    auto decoder = MakeShared<BMPDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()));
    try {
        decoder->GetProperty();
    } catch (const std::exception &) {
    }
    try {
        MakeShared<Image2DDataCache>(DynamicPointerCast<IImage2D>(decoder->Get(0)))->GetData();
    } catch (const std::exception &) {
    }
    return 0;
}
