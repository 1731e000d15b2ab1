// The slice adapters read one slice where the volume offers it, and decode
// the volume once where it does not.
#include "Platform/api/DataCache.h"
#include "Platform/api/VolumeSliceAdapters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

namespace Brintavolex {

namespace {

// 4 x 3 x 2 UInt8 voxels of value 100 z + 10 y + x; counts what it is asked.
class CountingVolume final : public IImage3D {
public:
    explicit CountingVolume(bool slices) : _slices(slices) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override { return nullptr; }
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
    void DecodeBasicInfo(Data::BasicInfo3D &info) override { info = {4, 3, 2, Data::ColorType::UInt8}; }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &) override
    {
        ++volumes;
        auto *out = static_cast<std::uint8_t *>(buffer);
        for (std::uint64_t z = 0; z < 2; ++z)
            for (std::uint64_t y = 0; y < 3; ++y)
                for (std::uint64_t x = 0; x < 4; ++x)
                    out[(z * rows + y) * stride + x] = std::uint8_t(100 * z + 10 * y + x);
    }
    bool GetSlice(SliceOrientation o, std::uint64_t k, void *buffer, std::uint64_t stride, std::uint64_t,
                  const SharedPtr<IProgress> &) override
    {
        if (!_slices)
            return false;
        ++slices;
        auto *out = static_cast<std::uint8_t *>(buffer);
        const std::uint64_t w = o == SliceOrientation::YZ ? 3 : 4, h = o == SliceOrientation::XY ? 3 : 2;
        for (std::uint64_t v = 0; v < h; ++v)
            for (std::uint64_t u = 0; u < w; ++u)
                out[v * stride + u] = std::uint8_t(o == SliceOrientation::XY   ? 100 * k + 10 * v + u
                                                   : o == SliceOrientation::XZ ? 100 * v + 10 * k + u
                                                                               : 100 * v + 10 * u + k);
        return true;
    }
    std::atomic<int> volumes{0}, slices{0};

private:
    bool _slices;
};

std::string Shown(const SharedPtr<IDecoder> &adapter, std::uint64_t k)
{
    const auto image = MakeShared<Image2DDataCache>(DynamicPointerCast<IImage2D>(adapter->Get(k)))->GetData();
    const Data::Image2DBase &readOnly = *image;
    const auto lock = readOnly.LockConst<std::uint8_t>();
    std::string out;
    for (std::uint64_t y = 0; y < lock.Height(); ++y)
        for (std::uint64_t x = 0; x < lock.Width(); ++x)
            out += std::to_string(lock.Data()[y * lock.Stride() + x]) + " ";
    return out;
}

} // namespace

TEST(VolumeSliceAdapter, ReadsSingleSlicesWhereOfferedAndTheVolumeOnceElsewhere)
{
    const char *yz2 = "2 12 22 102 112 122 ";
    const char *xz1 = "10 11 12 13 110 111 112 113 ";
    for (const bool slices : {true, false}) {
        SCOPED_TRACE(slices ? "slices" : "whole volume");
        const auto volume = MakeShared<CountingVolume>(slices);
        const auto yz = MakeVolumeSliceAdapter(volume, SliceOrientation::YZ, "v");
        const auto xz = MakeVolumeSliceAdapter(volume, SliceOrientation::XZ, "v");
        EXPECT_EQ(Shown(yz, 2), yz2);
        EXPECT_EQ(Shown(xz, 1), xz1);
        EXPECT_EQ(Shown(MakeVolumeSliceAdapter(volume, SliceOrientation::XY, "v"), 1),
                  "100 101 102 103 110 111 112 113 120 121 122 123 ");
        // Without slice reading each adapter decodes the volume into its cache once.
        EXPECT_EQ(volume->volumes.load(), slices ? 0 : 3);
        EXPECT_EQ(volume->slices.load(), slices ? 3 : 0);
        EXPECT_EQ(Shown(yz, 0), "0 10 20 100 110 120 ");
        EXPECT_EQ(volume->volumes.load(), slices ? 0 : 3);
    }
}

} // namespace Brintavolex
