#include "Platform/api/DataCache.h"
#include "Interface/api/Composite.h"
#include "Platform/api/DecodeLimit.h"
#include "Platform/api/Progress.h"
#include "Platform/api/VolumeSliceAdapters.h"

#include "support/Pictures.h"
#include "support/Printers.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <stdexcept>
#include <thread>

namespace Brintavolex {

namespace {

using Picture16 = TestSupport::FunctionPicture<std::uint16_t>;
using Volume8 = TestSupport::FunctionVolume<std::uint8_t>;

// A UInt16 picture of w x h whose pixel (x, y) is x + 100 y.
SharedPtr<Picture16> Numbered(std::uint32_t w, std::uint32_t h)
{
    return MakeShared<Picture16>(w, h, [](std::uint32_t x, std::uint32_t y) { return std::uint16_t(x + 100 * y); });
}

// A UInt8 volume of 4 x 3 x 2 whose voxel (x, y, z) is x + 10 y + 100 z.
SharedPtr<Volume8> SmallVolume()
{
    return MakeShared<Volume8>(4, 3, 2, [](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
        return std::uint8_t(x + 10 * y + 100 * z);
    });
}

class CancelAt final : public ImageView::IProgress {
public:
    explicit CancelAt(double fraction) : fraction(fraction) {}
    bool OnProgress(Brintavolex::IProgress &progress) override
    {
        ++calls;
        return static_cast<ImageView::ProgressCallbackImplementation &>(progress).GetFraction() >= fraction;
    }
    double fraction;
    int calls = 0;
};

} // namespace

TEST(Image2DDataCache, DecodesOnceForManyThreads)
{
    auto source = Numbered(300, 200);
    source->pixel = [](std::uint32_t x, std::uint32_t y) {
        if (x == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return std::uint16_t(x + 100 * y);
    };
    auto cache = MakeShared<Image2DDataCache>(source);
    std::vector<std::thread> threads;
    std::vector<SharedPtr<Data::Image2DBase>> results(8);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] { results[t] = cache->GetData(); });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(source->decodes, 1);
    for (const auto &image : results)
        EXPECT_EQ(image.Get(), results[0].Get());
    auto lock = results[0]->Lock<std::uint16_t>(Data::LockReadOnly);
    EXPECT_EQ(lock(299, 199), 299 + 19900);
}

TEST(Image2DDataCache, AFailedDecodeLeavesNothingBehind)
{
    auto source = Numbered(10, 10);
    int failuresLeft = 1;
    source->pixel = [&](std::uint32_t x, std::uint32_t y) {
        if (failuresLeft > 0 && --failuresLeft == 0)
            throw std::runtime_error("corrupt data");
        return std::uint16_t(x + 100 * y);
    };
    auto cache = MakeShared<Image2DDataCache>(source);
    EXPECT_THROW(cache->GetData(), std::runtime_error);
    auto image = cache->GetData();
    ASSERT_TRUE(image);
    EXPECT_EQ(source->decodes, 2);
    EXPECT_EQ(cache->GetData().Get(), image.Get());
    EXPECT_EQ(source->decodes, 2);
}

TEST(Image2DDataCache, ACancellingListenerStopsALongDecode)
{
    auto source = Numbered(64, 400);
    auto cache = MakeShared<Image2DDataCache>(source);
    auto progress = MakeShared<ImageView::ProgressCallbackImplementation>();
    auto listener = MakeShared<CancelAt>(0.25);
    progress->AddListener(listener);
    EXPECT_THROW(cache->GetData(progress), OperationCancelled);
    EXPECT_NEAR(progress->GetFraction(), 0.25, 0.01);
    progress->RemoveListener(listener);
    EXPECT_TRUE(cache->GetData(progress));
    EXPECT_EQ(source->decodes, 2);
}

TEST(Image2DDataCache, TimingsGoToTheDocumentLog)
{
    auto cache = MakeShared<Image2DDataCache>(
        MakeShared<TestSupport::FunctionPicture<float>>(5, 4, [](std::uint32_t, std::uint32_t) { return 7.5f; }));
    std::vector<std::string> lines;
    cache->SetTimingLog([&](const String &line) { lines.push_back(line.ToStdString()); });
    cache->GetData();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind(" creating image: ", 0), 0u);
    EXPECT_EQ(lines[1].rfind(" decoding image: ", 0), 0u);
    EXPECT_EQ(lines[2], "Minimum/Maximum: 7.5 7.5");
    EXPECT_EQ(cache->GetMinimumMaximum().minimum, 7.5);
}

TEST(ProgressCallbackImplementation, RecordsTimeOncePerFractionAndOrsListeners)
{
    ImageView::ProgressCallbackImplementation progress;
    EXPECT_FALSE(progress.SetProgress(0.5));
    const double elapsed = progress.ElapsedSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(progress.SetProgress(0.5)); // the same fraction: the time stays
    EXPECT_EQ(progress.ElapsedSeconds(), elapsed);
    auto never = MakeShared<CancelAt>(2.0);
    auto always = MakeShared<CancelAt>(0.0);
    progress.AddListener(never);
    EXPECT_FALSE(progress.SetProgress(0.6));
    progress.AddListener(always);
    EXPECT_TRUE(progress.SetProgress(0.7));
    EXPECT_EQ(never->calls, 2);
    progress.RemoveListener(always);
    progress.Cancel();
    EXPECT_TRUE(progress.SetProgress(0.8));
}

TEST(ProgressCallbackImplementation, PauseHoldsTheWorker)
{
    ImageView::ProgressCallbackImplementation progress;
    progress.Pause();
    std::atomic<bool> passed{false};
    std::thread worker([&] {
        progress.SetProgress(0.1);
        passed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(passed);
    progress.Resume();
    worker.join();
    EXPECT_TRUE(passed);
    EXPECT_GE(progress.PausedSeconds(), 0.03);
}

namespace {

// A decoder with n images of n x 1 pixels each, so a picked image shows its index.
class ThreeImages final : public IDecoder {
public:
    std::uint64_t GetCount() override { return 3; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override
    {
        if (index >= 3)
            throw std::invalid_argument("ThreeImages::Get: image index must be less than image count");
        return Numbered(std::uint32_t(index + 1), 1);
    }
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
};

class StrangeIndex final : public IndexType {
public:
    const char *GetName() const override { return "StrangeIndex"; }
};

std::uint32_t WidthOf(const SharedPtr<Image2DDataCache> &cache)
{
    Data::BasicInfo info;
    cache->DecodeBasicInfo(info);
    return info.width;
}

std::vector<int> Pixels(const SharedPtr<Image2DDataCache> &cache)
{
    auto image = cache->GetData();
    auto lock = image->Lock<std::uint8_t>(Data::LockReadOnly);
    std::vector<int> values;
    for (std::uint64_t y = 0; y < lock.Height(); ++y)
        for (std::uint64_t x = 0; x < lock.Width(); ++x)
            values.push_back(lock(x, y));
    return values;
}

} // namespace

TEST(GetImageFromScene, IndexPaths)
{
    const SharedPtr<ISceneItem> decoder = MakeShared<ThreeImages>();
    EXPECT_EQ(WidthOf(GetImageFromScene(decoder, {MakeShared<FirstIndex>()})), 1u);
    EXPECT_EQ(WidthOf(GetImageFromScene(decoder, {MakeShared<LastIndex>()})), 3u);
    EXPECT_EQ(WidthOf(GetImageFromScene(decoder, {MakeShared<ZeroBasedIndex>(1)})), 2u);
    EXPECT_THROW(GetImageFromScene(decoder, {MakeShared<ZeroBasedIndex>(5)}), std::invalid_argument);
    EXPECT_EQ(Thrown([&] { GetImageFromScene(decoder, {}); }), "GetImageFromScene: index is empty");
    EXPECT_EQ(Thrown([&] { GetImageFromScene(decoder, {MakeShared<StrangeIndex>()}); }),
              "GetImageFromScene: unknown index type");
    EXPECT_EQ(Thrown([&] {
                  GetImageFromScene(decoder, {MakeShared<FirstIndex>(), MakeShared<XYDefaultIndex>()});
              }),
              "bast cast from ISceneItem to IImage3D");
    EXPECT_EQ(PrintIndexPath({MakeShared<FirstIndex>(), MakeShared<ZeroBasedIndex>(3), nullptr}),
              String("FirstIndex/ZeroBasedIndex 3/unknown IndexType"));
}

TEST(GetImageFromScene, VolumeSlicesInThreeOrientations)
{
    const SharedPtr<ISceneItem> volume = SmallVolume();
    // The slices' pixels: the adapters' test. The default slice is the middle one.
    EXPECT_EQ(Pixels(GetImageFromScene(volume, {MakeShared<YZZeroBasedIndex>(3)}))[5], 123);
    EXPECT_EQ(Pixels(GetImageFromScene(volume, {MakeShared<XYDefaultIndex>()}))[0], 100);
    EXPECT_THROW(GetImageFromScene(volume, {MakeShared<XYZeroBasedIndex>(2)}), std::invalid_argument);

    Image2DDecoderFromImage3DDecoderXY slices(DynamicPointerCast<IImage3D>(volume), "vol");
    EXPECT_EQ(slices.GetCount(), 2u);
    EXPECT_EQ(slices.SliceName(0), String("vol_XY_0000"));
}

TEST(Image3DDataCache, RequestPairMustMatch)
{
    auto cache = MakeShared<Image3DDataCache>(SmallVolume());
    auto volume = cache->GetData(1, 2);
    EXPECT_EQ(volume->voxels.size(), 24u);
    EXPECT_EQ(cache->GetData(1, 2).Get(), volume.Get());
    EXPECT_THROW(cache->GetData(1, 3), Exception);
    std::uint8_t part[4];
    cache->CopyPart(1, 2, 20, part, 4);
    EXPECT_EQ(part[3], 123);
    EXPECT_THROW(cache->CopyPart(1, 2, 21, part, 4), std::out_of_range);
    EXPECT_THROW(cache->CopyPart(1, 2, ~std::uint64_t(0), part, 4), std::out_of_range);
}

TEST(Image2DDataCache, QueriesDoNotWaitForADecode)
{
    // Two slices of one volume share its cache: image A decodes it, image B
    // and A itself are asked meanwhile. The decode holds at its first voxel
    // until released (or ten seconds, so that a fault fails, not hangs).
    auto volume = SmallVolume();
    std::promise<void> starting, release;
    std::future<void> started = starting.get_future();
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> finished{false};
    volume->voxel = [&](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
        if (x + y + z == 0) {
            starting.set_value();
            released.wait_for(std::chrono::seconds(10));
            finished = true;
        }
        return std::uint8_t(x + 10 * y + 100 * z);
    };
    const SharedPtr<IDecoder> slices = MakeVolumeSliceAdapter(volume, SliceOrientation::XY, "v");
    auto a = MakeShared<Image2DDataCache>(DynamicPointerCast<IImage2D>(slices->Get(0)));
    auto b = MakeShared<Image2DDataCache>(DynamicPointerCast<IImage2D>(slices->Get(1)));
    SharedPtr<Data::Image2DBase> first, second;
    std::thread decode([&] { first = a->GetData(); });
    ASSERT_EQ(started.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    Data::BasicInfo info;
    b->DecodeBasicInfo(info);
    EXPECT_EQ(info.width, 4u);
    a->DecodeBasicInfo(info);
    a->GetMinimumMaximum();
    a->SetTimingLog(nullptr);
    EXPECT_FALSE(finished) << "a query waited for the decode";
    std::thread again([&] { second = a->GetData(); });
    release.set_value();
    decode.join();
    again.join();
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(Pixels(b)[0], 100);
    EXPECT_EQ(volume->decodes, 1);
}

TEST(DecodeLimit, CachesRefuseLargerSizesBeforeAllocating)
{
    const ScopedDecodeLimit limit(1 << 20);
    auto source = Numbered(1024, 513); // UInt16: 1 MiB + 2 KiB
    EXPECT_EQ(Thrown([&] { MakeShared<Image2DDataCache>(source)->GetData(); }),
              "Image2DDataCache::GetData: 1024 x 513 pixels of 2 bytes exceed the decode limit "
              "of 1048576 bytes");
    EXPECT_EQ(source->decodes, 0);
    EXPECT_TRUE(MakeShared<Image2DDataCache>(Numbered(1024, 512))->GetData());
    const ScopedDecodeLimit tiny(23);
    EXPECT_EQ(Thrown([&] { MakeShared<Image3DDataCache>(SmallVolume())->GetData(0, 0); }),
              "Image3DDataCache::GetData: 4 x 3 x 2 pixels of 1 bytes exceed the decode limit of "
              "23 bytes");
}

TEST(Image2DDataCache, TakesThePixelSizeFromTheSourcesProperties)
{
    std::vector<std::string> lines;
    const auto load = [&](const std::function<void(Composite &)> &fill) {
        auto source = MakeShared<TestSupport::FunctionPicture<std::uint8_t>>(
            2, 2, [](std::uint32_t, std::uint32_t) { return std::uint8_t(0); });
        auto properties = MakeShared<Composite>();
        fill(*properties);
        source->properties = properties;
        auto cache = MakeShared<Image2DDataCache>(source);
        lines.clear();
        cache->SetTimingLog([&](const String &line) { lines.push_back(line.ToStdString()); });
        auto image = cache->GetData();
        return std::make_pair(image->ScaleX(), image->ScaleY());
    };
    const auto warned = [&] {
        return std::count(lines.begin(), lines.end(), "Warning: pixel size is invalid and ignored.");
    };
    const double rectangular[2] = {0.5, 2};
    EXPECT_EQ(load([&](Composite &c) { c.Add(Data::kPixelSizeKey, rectangular, 2); }), std::make_pair(0.5, 2.0));
    EXPECT_EQ(load([&](Composite &c) { c.Add(Data::kPixelSizeKey, 0.25f); }), std::make_pair(0.25, 0.25));
    EXPECT_EQ(warned(), 0);
    EXPECT_EQ(load([](Composite &c) { c.Add("Other", 3.0); }), std::make_pair(1.0, 1.0));
    EXPECT_EQ(warned(), 0);
    const double flat[2] = {0, 1};
    EXPECT_EQ(load([&](Composite &c) { c.Add(Data::kPixelSizeKey, flat, 2); }), std::make_pair(1.0, 1.0));
    EXPECT_EQ(warned(), 1);
    EXPECT_EQ(load([](Composite &c) { c.Add(Data::kPixelSizeKey, "wide", 4); }), std::make_pair(1.0, 1.0));
    EXPECT_EQ(warned(), 1);
}

} // namespace Brintavolex
