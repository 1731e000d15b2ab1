#include "Platform/api/VolumeSliceAdapters.h"

#include "Platform/api/DataCache.h"

#include <cstring>
#include <stdexcept>

namespace Brintavolex {

namespace {

// Slice k of a volume as a 2D image.
class VolumeSlice final : public IImage2D {
public:
    VolumeSlice(SharedPtr<IImage3D> volume, SharedPtr<Image3DDataCache> cache, SharedPtr<IDecoder> owner,
                SliceOrientation orientation, std::uint64_t k)
        : _volume(std::move(volume)), _cache(std::move(cache)), _owner(std::move(owner)), _orientation(orientation),
          _k(k)
    {
    }

    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override
    {
        throw std::invalid_argument("VolumeSlice::Get: a slice has no children");
    }
    SharedPtr<IProperty> GetProperty() override { return _owner->GetProperty(); }

    void DecodeBasicInfo(Data::BasicInfo &info) override
    {
        Data::BasicInfo3D volume;
        _cache->DecodeBasicInfo(volume);
        const auto [w, h] = Extent(volume.width, volume.height, volume.depth);
        info = Data::BasicInfo{w, h, w, h, volume.colorType};
    }

    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        // A decoder that reads single slices costs one slice, not the volume;
        // the others decode the volume once into the shared cache.
        if (!_cache->GetStoredData() && _volume->GetSlice(_orientation, _k, buffer, stride, rows, progress))
            return;
        const SharedPtr<const Data::VolumeData> volume = _cache->GetData(0, 0, progress);
        const auto [w, h] = Extent(std::uint32_t(volume->width), std::uint32_t(volume->height),
                                   std::uint32_t(volume->depth));
        if (stride < w || rows < h)
            throw Exception("VolumeSlice::GetRect: buffer smaller than the slice");
        const std::uint64_t voxel = volume->VoxelSize();
        auto *out = static_cast<std::uint8_t *>(buffer);
        for (std::uint64_t v = 0; v < h; ++v) {
            std::uint8_t *row = out + v * stride * voxel;
            if (_orientation == SliceOrientation::XY) {
                std::memcpy(row, volume->Voxel(0, v, _k), w * voxel);
                continue;
            }
            for (std::uint64_t u = 0; u < w; ++u) {
                const std::uint8_t *from = _orientation == SliceOrientation::XZ ? volume->Voxel(u, _k, v)
                                                                                : volume->Voxel(_k, u, v);
                std::memcpy(row + u * voxel, from, voxel);
            }
        }
    }

private:
    std::pair<std::uint32_t, std::uint32_t> Extent(std::uint32_t width, std::uint32_t height,
                                                   std::uint32_t depth) const
    {
        switch (_orientation) {
        case SliceOrientation::XY: return {width, height};
        case SliceOrientation::XZ: return {width, depth};
        default: return {height, depth};
        }
    }

    SharedPtr<IImage3D> _volume;
    SharedPtr<Image3DDataCache> _cache;
    SharedPtr<IDecoder> _owner;
    SliceOrientation _orientation;
    std::uint64_t _k;
};

} // namespace

Image2DDecoderFromImage3DDecoder::Image2DDecoderFromImage3DDecoder(const SharedPtr<IImage3D> &volume,
                                                                   SliceOrientation orientation,
                                                                   const String &volumeName)
    : _cache(MakeShared<Image3DDataCache>(volume)), _volume(volume), _orientation(orientation),
      _volumeName(volumeName)
{
}

std::uint64_t Image2DDecoderFromImage3DDecoder::GetCount()
{
    Data::BasicInfo3D info;
    _cache->DecodeBasicInfo(info);
    switch (_orientation) {
    case SliceOrientation::XY: return info.depth;
    case SliceOrientation::XZ: return info.height;
    default: return info.width;
    }
}

SharedPtr<ISceneItem> Image2DDecoderFromImage3DDecoder::Get(std::uint64_t index)
{
    if (index >= GetCount())
        throw std::invalid_argument("Image2DDecoderFromImage3DDecoder::Get: slice index must be less than slice count");
    return MakeShared<VolumeSlice>(_volume, _cache, SharedFromThis<IDecoder>(), _orientation, index);
}

SharedPtr<IProperty> Image2DDecoderFromImage3DDecoder::GetProperty() { return _volume->GetProperty(); }

String Image2DDecoderFromImage3DDecoder::SliceName(std::uint64_t k) const
{
    const char *suffix = _orientation == SliceOrientation::XY ? "_XY_"
                         : _orientation == SliceOrientation::XZ ? "_XZ_"
                                                                : "_YZ_";
    return _volumeName + suffix + String::FromUnsigned(k, 4);
}

SharedPtr<IDecoder> MakeVolumeSliceAdapter(const SharedPtr<IImage3D> &volume, SliceOrientation orientation,
                                           const String &volumeName)
{
    switch (orientation) {
    case SliceOrientation::XY: return MakeShared<Image2DDecoderFromImage3DDecoderXY>(volume, volumeName);
    case SliceOrientation::XZ: return MakeShared<Image2DDecoderFromImage3DDecoderXZ>(volume, volumeName);
    default: return MakeShared<Image2DDecoderFromImage3DDecoderYZ>(volume, volumeName);
    }
}

} // namespace Brintavolex
