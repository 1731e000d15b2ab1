// The TIFF decoder on arbitrary bytes: directories, layouts, every
// compression, pages, ImageJ stacks and volume slices. Only clean
// exceptions may come out; the decode limit keeps memory bounded.
#include "Data/api/Property.h"
#include "Platform/api/DecodeLimit.h"
#include "Platform/api/Threading.h"
#include "TIF/api/TIFDecoder.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SetDecodeLimit(std::uint64_t(16) << 20);
    ParallelLoop::SetProcessorCount(1);
    std::vector<std::uint8_t> bytes(data, data + size);
    auto decoder = MakeShared<TIFDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()));
    try {
        decoder->GetProperty();
        const std::uint64_t count = std::min<std::uint64_t>(decoder->GetCount(), 4);
        for (std::uint64_t i = 0; i < count; ++i) {
            try {
                const SharedPtr<ISceneItem> item = decoder->Get(i);
                if (DynamicPointerCast<IImage3D>(item)) {
                    const Data::BasicInfo3D info = decoder->DecodeBasicInfo3D(i);
                    // Each slice holds no more voxels than the volume, which the limit bounds.
                    std::vector<std::uint8_t> xz(std::uint64_t(info.width) * info.depth * Data::PixelSize(info.colorType));
                    std::vector<std::uint8_t> yz(std::uint64_t(info.height) * info.depth * Data::PixelSize(info.colorType));
                    decoder->DecodeSlice(i, SliceOrientation::XZ, info.height / 2, xz.data(), info.width, info.depth, nullptr);
                    decoder->DecodeSlice(i, SliceOrientation::YZ, info.width / 2, yz.data(), info.height, info.depth, nullptr);
                } else {
                    const Data::BasicInfo info = decoder->DecodeBasicInfo(i);
                    std::vector<std::uint8_t> pixels(std::uint64_t(info.width) * info.height *
                                                     Data::PixelSize(info.colorType));
                    decoder->Decode(i, pixels.data(), info.width, info.height, nullptr);
                }
            } catch (const std::exception &) {
            }
        }
    } catch (const std::exception &) {
    }
    return 0;
}
