#pragma once

#include "Data/api/SceneItem.h"

class Image3DDataCache;

namespace Brintavolex {

// Presents a volume as a decoder of 2D slices, so that the 2D viewer code
// serves volumes unchanged: XY slice k is the plane z = k, XZ the plane
// y = k, YZ the plane x = k.
class Image2DDecoderFromImage3DDecoder : public IDecoder {
public:
    Image2DDecoderFromImage3DDecoder(const SharedPtr<IImage3D> &volume, SliceOrientation orientation,
                                     const String &volumeName);
    std::uint64_t GetCount() override;
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override;

    SliceOrientation Orientation() const noexcept { return _orientation; }
    // The volume's name, "_XY_" (or "_XZ_", "_YZ_") and k with four digits.
    String SliceName(std::uint64_t k) const;

private:
    SharedPtr<Image3DDataCache> _cache;
    SharedPtr<IImage3D> _volume;
    SliceOrientation _orientation;
    String _volumeName;
};

class Image2DDecoderFromImage3DDecoderXY final : public Image2DDecoderFromImage3DDecoder {
public:
    Image2DDecoderFromImage3DDecoderXY(const SharedPtr<IImage3D> &volume, const String &name)
        : Image2DDecoderFromImage3DDecoder(volume, SliceOrientation::XY, name)
    {
    }
};
class Image2DDecoderFromImage3DDecoderXZ final : public Image2DDecoderFromImage3DDecoder {
public:
    Image2DDecoderFromImage3DDecoderXZ(const SharedPtr<IImage3D> &volume, const String &name)
        : Image2DDecoderFromImage3DDecoder(volume, SliceOrientation::XZ, name)
    {
    }
};
class Image2DDecoderFromImage3DDecoderYZ final : public Image2DDecoderFromImage3DDecoder {
public:
    Image2DDecoderFromImage3DDecoderYZ(const SharedPtr<IImage3D> &volume, const String &name)
        : Image2DDecoderFromImage3DDecoder(volume, SliceOrientation::YZ, name)
    {
    }
};

SharedPtr<IDecoder> MakeVolumeSliceAdapter(const SharedPtr<IImage3D> &volume, SliceOrientation orientation,
                                           const String &volumeName);

} // namespace Brintavolex
