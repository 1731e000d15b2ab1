#pragma once

// Pictures and volumes without a file: each pixel or voxel comes from a
// function of its position. Decodes are counted; progress is reported per
// row (pictures) or after each slice (volumes).
#include "Data/api/SceneItem.h"

#include <atomic>
#include <functional>

namespace Brintavolex::TestSupport {

template <class P> class FunctionPicture final : public IImage2D {
public:
    using Pixel = std::function<P(std::uint32_t x, std::uint32_t y)>;
    FunctionPicture(std::uint32_t w, std::uint32_t h, Pixel pixel) : w(w), h(h), pixel(std::move(pixel)) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override { return nullptr; }
    SharedPtr<IProperty> GetProperty() override { return properties; }
    std::uint16_t GetExifOrientation() override { return orientation; }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = {w, h, w, h, Data::ColorTypeOf<P>::value}; }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t, const SharedPtr<IProgress> &progress) override
    {
        ++decodes;
        for (std::uint32_t y = 0; y < h; ++y) {
            ReportProgress(progress, double(y) / h);
            for (std::uint32_t x = 0; x < w; ++x)
                static_cast<P *>(buffer)[y * stride + x] = pixel(x, y);
        }
    }
    const std::uint32_t w, h;
    Pixel pixel;
    SharedPtr<IProperty> properties;
    std::uint16_t orientation = 1;
    std::atomic<int> decodes{0};
};

template <class P> class FunctionVolume final : public IImage3D {
public:
    using Voxel = std::function<P(std::uint32_t x, std::uint32_t y, std::uint32_t z)>;
    FunctionVolume(std::uint32_t w, std::uint32_t h, std::uint32_t d, Voxel voxel)
        : w(w), h(h), d(d), voxel(std::move(voxel))
    {
    }
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override { return nullptr; }
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
    void DecodeBasicInfo(Data::BasicInfo3D &info) override { info = {w, h, d, Data::ColorTypeOf<P>::value}; }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        ++decodes;
        for (std::uint32_t z = 0; z < d; ++z) {
            for (std::uint32_t y = 0; y < h; ++y)
                for (std::uint32_t x = 0; x < w; ++x)
                    static_cast<P *>(buffer)[(z * rows + y) * stride + x] = voxel(x, y, z);
            ReportProgress(progress, double(z + 1) / d);
        }
    }
    const std::uint32_t w, h, d;
    Voxel voxel;
    std::atomic<int> decodes{0};
};

} // namespace Brintavolex::TestSupport
