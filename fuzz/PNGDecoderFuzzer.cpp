// The PNG decoder on arbitrary bytes: libpng's errors and the stream's end
// inside its read callback must come out as clean exceptions, header
// composite and pixels alike.
#include "Data/api/Property.h"
#include "PNG/api/PNGDecoder.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/DecodeLimit.h"

#include <cstdint>
#include <vector>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SetDecodeLimit(std::uint64_t(16) << 20);
    std::vector<std::uint8_t> bytes(data, data + size);
    auto decoder = MakeShared<PNGDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()));
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
