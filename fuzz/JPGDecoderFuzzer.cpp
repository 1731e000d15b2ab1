// The JPEG decoder on arbitrary bytes: markers, tables, every scan kind and
// the header composite. Only clean exceptions may come out; the decode
// limit keeps memory bounded.
#include "Data/api/Property.h"
#include "JPG/api/JPGDecoder.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/DecodeLimit.h"
#include "Platform/api/Threading.h"

#include <cstdint>
#include <vector>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SetDecodeLimit(std::uint64_t(16) << 20);
    // One thread: reproducible runs, and no thread start per input.
    ParallelLoop::SetProcessorCount(1);
    std::vector<std::uint8_t> bytes(data, data + size);
    auto decoder = MakeShared<JPGDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()));
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
