#include "Platform/api/DataCache.h"

#include "Data/api/UserRepresentation.h"

#include "Data/api/ExifOrientation.h"
#include "Data/api/Property.h"
#include "Platform/api/DecodeLimit.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/System.h"
#include "Platform/api/VolumeSliceAdapters.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

using namespace Brintavolex;

namespace {

double Seconds(std::int64_t from, std::int64_t to)
{
    return double(to - from) / double(Platform::PerformanceFrequency());
}

String SecondsText(double seconds)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g s", seconds);
    return String(buffer);
}

// Runs produce for one caller at a time, outside the lock, until loaded()
// holds: callers that come meanwhile wait for its outcome and try
// themselves only when it failed. produce returns what publishes its result;
// that runs under the lock. The caller holds lock.
template <class Loaded, class Produce>
void LoadOutsideLock(std::unique_lock<std::mutex> &lock, std::condition_variable &changed, bool &busy, Loaded loaded,
                     Produce produce)
{
    changed.wait(lock, [&] { return loaded() || !busy; });
    if (loaded())
        return;
    busy = true;
    lock.unlock();
    try {
        auto publish = produce();
        lock.lock();
        publish();
    } catch (...) {
        if (!lock.owns_lock())
            lock.lock();
        busy = false;
        changed.notify_all();
        throw;
    }
    busy = false;
    changed.notify_all();
}

// The source's pixel size, when its properties carry one. Without the
// property nothing happens; a value the image refuses is reported and left.
void ApplyPixelSize(IImage2D &source, Data::Image2DBase &image, const Image2DDataCache::TimingLog &log)
{
    SharedPtr<IProperty> size;
    try {
        if (const SharedPtr<IProperty> properties = source.GetProperty())
            size = properties->GetChild(Data::kPixelSizeKey);
    } catch (const std::exception &) {
        return; // composites refuse names they do not hold
    }
    if (!size)
        return;
    try {
        const std::uint64_t count = size->GetValueCount();
        if (count < 1 || count > 2)
            throw std::invalid_argument("count");
        double values[2] = {};
        if (size->GetValueType() == ValueType::Float64) {
            size->GetAsFloat64(values, 0, count);
        } else if (size->GetValueType() == ValueType::Float32) {
            float narrow[2] = {};
            size->GetAsFloat32(narrow, 0, count);
            std::copy(narrow, narrow + 2, values);
        } else {
            throw std::invalid_argument("type");
        }
        image.SetProperty(Data::kPixelSizeKey, values, std::size_t(count));
    } catch (const std::exception &) {
        if (log)
            log("Warning: pixel size is invalid and ignored.");
    }
}

} // namespace

Image2DDataCache::Image2DDataCache(const SharedPtr<IImage2D> &source, std::uint32_t flag)
    : _source(source), _flag(flag)
{
    if (!source) {
        BRINTAVOLEX_LOG("Image2DDataCache::Image2DDataCache: invalid pointer");
        throw Exception("Image2DDataCache::Image2DDataCache: invalid pointer");
    }
}

Data::BasicInfo Image2DDataCache::Info()
{
    std::unique_lock<std::mutex> lock(_mutex);
    LoadOutsideLock(lock, _changed, _readingInfo, [&] { return _haveInfo; }, [&] {
        Data::BasicInfo info;
        _source->DecodeBasicInfo(info);
        const std::uint16_t orientation = Data::ValidExifOrientation(_source->GetExifOrientation());
        return [this, info, orientation] {
            _info = info;
            _exifOrientation = orientation;
            _haveInfo = true;
        };
    });
    return _info;
}

std::uint16_t Image2DDataCache::GetExifOrientation()
{
    Info();
    std::lock_guard<std::mutex> lock(_mutex);
    return _exifOrientation;
}

SharedPtr<Data::Image2DBase> Image2DDataCache::GetData(const SharedPtr<IProgress> &progress)
{
    const Data::BasicInfo info = Info();
    std::unique_lock<std::mutex> lock(_mutex);
    const TimingLog log = _timingLog;
    LoadOutsideLock(lock, _changed, _decoding, [&] { return bool(_image); }, [&] {
        const std::int64_t t0 = Platform::PerformanceCounter();
        SharedPtr<Data::Image2DBase> image = Data::CreateImage2D(info.colorType);
        CheckDecodeLimit("Image2DDataCache::GetData", std::max(info.width, info.allocatedWidth),
                         std::max(info.height, info.allocatedHeight), Data::PixelSize(info.colorType));
        image->Allocate(info.width, info.height, info.allocatedWidth, info.allocatedHeight);
        const std::int64_t t1 = Platform::PerformanceCounter();
        if (log)
            log(" creating image: " + SecondsText(Seconds(t0, t1)));
        Data::CallGetRect(*_source, *image, progress);
        const std::int64_t t2 = Platform::PerformanceCounter();
        if (log)
            log(" decoding image: " + SecondsText(Seconds(t1, t2)));
        Data::MinimumMaximum range{0, 0, false};
        Data::ValueRangeHints hints;
        const Data::ColorType type = info.colorType;
        if (type == Data::ColorType::Float32 || type == Data::ColorType::Float64 ||
            type == Data::ColorType::BGRAFloat32 || type == Data::ColorType::BGRAFloat64) {
            range = Data::ComputeMinimumMaximum(*image);
            if (range.found)
                hints.minimum = range.minimum, hints.maximum = range.maximum;
            if (log) {
                char buffer[96];
                std::snprintf(buffer, sizeof buffer, "Minimum/Maximum: %g %g", range.minimum, range.maximum);
                log(buffer);
            }
        }
        if (type != Data::ColorType::RGBAUInt16 && type != Data::ColorType::RGBAFloat32)
            Data::AttachUserRepresentation(*image, hints);
        ApplyPixelSize(*_source, *image, log);
        // Only a complete decode is kept.
        return [this, image, range] {
            _image = image;
            _minimumMaximum = range;
        };
    });
    return _image;
}

void Image2DDataCache::DecodeBasicInfo(Data::BasicInfo &info) { info = Info(); }

void Image2DDataCache::GetRect(void *, std::uint64_t, std::uint64_t, const SharedPtr<IProgress> &)
{
    throw Exception("Image2DDataCache::GetRect: not implemented");
}

SharedPtr<ISceneItem> Image2DDataCache::Get(std::uint64_t) { throw Exception("Image2DDataCache::Get: not implemented"); }

Data::MinimumMaximum Image2DDataCache::GetMinimumMaximum() const
{
    std::lock_guard<std::mutex> guard(_mutex);
    return _minimumMaximum;
}

void Image2DDataCache::SetTimingLog(TimingLog log)
{
    std::lock_guard<std::mutex> guard(_mutex);
    _timingLog = std::move(log);
}

namespace Brintavolex::Data {

std::uint64_t VolumeData::VoxelSize() const noexcept { return PixelSize(colorType); }

} // namespace Brintavolex::Data

Image3DDataCache::Image3DDataCache(const SharedPtr<IImage3D> &source) : _source(source)
{
    if (!source) {
        BRINTAVOLEX_LOG("Image3DDataCache::Image3DDataCache: invalid pointer");
        throw Exception("Image3DDataCache::Image3DDataCache: invalid pointer");
    }
}

Data::BasicInfo3D Image3DDataCache::Info()
{
    std::unique_lock<std::mutex> lock(_mutex);
    LoadOutsideLock(lock, _changed, _readingInfo, [&] { return _haveInfo; }, [&] {
        Data::BasicInfo3D info;
        _source->DecodeBasicInfo(info);
        return [this, info] {
            _info = info;
            _haveInfo = true;
        };
    });
    return _info;
}

SharedPtr<const Data::VolumeData> Image3DDataCache::GetData(std::uint32_t request, std::uint64_t detail,
                                                            const SharedPtr<IProgress> &progress)
{
    const Data::BasicInfo3D info = Info();
    std::unique_lock<std::mutex> lock(_mutex);
    LoadOutsideLock(lock, _changed, _decoding, [&] { return bool(_volume); }, [&] {
        const std::uint64_t voxel = Data::PixelSize(info.colorType);
        if (voxel == 0)
            throw Exception("Image3DDataCache::GetData: unknown color type");
        CheckDecodeLimit("Image3DDataCache::GetData", info.width, info.height, voxel, info.depth);
        const unsigned __int128 bytes = (unsigned __int128)info.width * info.height * info.depth * voxel;
        if (bytes > std::numeric_limits<std::ptrdiff_t>::max())
            throw Exception("Image3DDataCache::GetData: volume size exceeds the address space");
        auto volume = MakeShared<Data::VolumeData>();
        volume->width = info.width;
        volume->height = info.height;
        volume->depth = info.depth;
        volume->colorType = info.colorType;
        volume->voxels.resize(std::size_t(bytes));
        if (bytes != 0)
            _source->GetRect(volume->voxels.data(), info.width, info.height, progress);
        return [this, volume, request, detail] {
            _request = request;
            _detail = detail;
            _volume = volume;
        };
    });
    if (request != _request || detail != _detail)
        throw Exception();
    return _volume;
}

SharedPtr<const Data::VolumeData> Image3DDataCache::GetStoredData()
{
    std::lock_guard<std::mutex> guard(_mutex);
    return _volume;
}

void Image3DDataCache::CopyPart(std::uint32_t request, std::uint64_t detail, std::uint64_t offset, void *buffer,
                                std::uint64_t byteCount)
{
    const SharedPtr<const Data::VolumeData> volume = GetData(request, detail);
    const std::uint64_t size = volume->voxels.size();
    if (offset > size || byteCount > size - offset)
        throw std::out_of_range("Image3DDataCache::CopyPart: range outside the volume");
    if (byteCount)
        std::memcpy(buffer, volume->voxels.data() + offset, std::size_t(byteCount));
}

void Image3DDataCache::DecodeBasicInfo(Data::BasicInfo3D &info) { info = Info(); }

void Image3DDataCache::GetRect(void *, std::uint64_t, std::uint64_t, const SharedPtr<IProgress> &)
{
    throw Exception("Image3DDataCache::GetRect: not implemented");
}

SharedPtr<ISceneItem> Image3DDataCache::Get(std::uint64_t) { throw Exception("Image3DDataCache::Get: not implemented"); }

namespace Brintavolex {

namespace {

SharedPtr<ISceneItem> Child(const SharedPtr<ISceneItem> &item, const IndexType &index)
{
    if (dynamic_cast<const FirstIndex *>(&index))
        return item->Get(0);
    if (dynamic_cast<const DefaultIndex *>(&index)) {
        const auto decoder = DynamicPointerCast<IDecoder>(item);
        return item->Get(decoder ? decoder->GetDefaultIndex() : 0);
    }
    if (dynamic_cast<const LastIndex *>(&index)) {
        const std::uint64_t count = item->GetCount();
        if (count == 0)
            throw std::invalid_argument("GetImageFromScene: item has no children");
        return item->Get(count - 1);
    }
    if (const auto *numbered = dynamic_cast<const ZeroBasedIndex *>(&index))
        return item->Get(numbered->GetIndex());
    const auto *sliceDefault = dynamic_cast<const SliceDefaultIndex *>(&index);
    const auto *sliceNumbered = dynamic_cast<const SliceNumberedIndex *>(&index);
    if (sliceDefault || sliceNumbered) {
        const SharedPtr<IImage3D> volume = DynamicPointerCast<IImage3D>(item);
        if (!volume)
            throw Exception("bast cast from ISceneItem to IImage3D");
        const SliceOrientation orientation = sliceDefault ? sliceDefault->Orientation() : sliceNumbered->Orientation();
        const SharedPtr<IDecoder> slices = MakeVolumeSliceAdapter(volume, orientation, String());
        // The middle slice shows most of a volume.
        const std::uint64_t k = sliceNumbered ? sliceNumbered->GetIndex() : slices->GetCount() / 2;
        return slices->Get(k);
    }
    throw Exception("GetImageFromScene: unknown index type");
}

} // namespace

bool IsKnownIndexType(const IndexType &index)
{
    return dynamic_cast<const FirstIndex *>(&index) || dynamic_cast<const LastIndex *>(&index) ||
           dynamic_cast<const DefaultIndex *>(&index) || dynamic_cast<const ZeroBasedIndex *>(&index) ||
           dynamic_cast<const SliceDefaultIndex *>(&index) || dynamic_cast<const SliceNumberedIndex *>(&index);
}

SharedPtr<ISceneItem> SelectSceneItem(const SharedPtr<ISceneItem> &item, const IndexPath &path)
{
    if (path.empty())
        throw Exception("GetImageFromScene: index is empty");
    if (!item)
        throw Exception("GetImageFromScene: item is nullptr");
    SharedPtr<ISceneItem> current = item;
    for (const SharedPtr<IndexType> &index : path) {
        if (!index)
            throw Exception("GetImageFromScene: unknown index type");
        current = Child(current, *index);
        if (!current)
            throw Exception("GetImageFromScene: item is nullptr");
    }
    return current;
}

SharedPtr<Image2DDataCache> GetImageFromScene(const SharedPtr<ISceneItem> &item, const IndexPath &path)
{
    const SharedPtr<ISceneItem> current = SelectSceneItem(item, path);
    const SharedPtr<IImage2D> image = DynamicPointerCast<IImage2D>(current);
    if (!image)
        throw Exception("bast cast from ISceneItem to IImage2D");
    return MakeShared<Image2DDataCache>(image);
}

String PrintIndexPath(const IndexPath &path)
{
    String text;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i)
            text += "/";
        text += path[i] ? path[i]->Print() : String("unknown IndexType");
    }
    return text;
}

} // namespace Brintavolex
