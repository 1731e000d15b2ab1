// The ICO decoder on arbitrary bytes: the directory, every entry through the
// PNG or BMP decoder and the AND mask. Only clean exceptions may come out.
#include "Data/api/Property.h"
#include "ICO/api/ICODecoder.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/DecodeLimit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SetDecodeLimit(std::uint64_t(16) << 20);
    std::vector<std::uint8_t> bytes(data, data + size);
    SharedPtr<ICODecoder> decoder;
    try {
        decoder = MakeShared<ICODecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()));
        decoder->GetProperty();
    } catch (const std::exception &) {
        return 0;
    }
    // A few entries are enough to reach every path; a directory may list
    // 65535.
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(decoder->GetCount(), 4); ++i) {
        try {
            MakeShared<Image2DDataCache>(DynamicPointerCast<IImage2D>(decoder->Get(i)))->GetData();
        } catch (const std::exception &) {
        }
    }
    return 0;
}
