#pragma once

#include "Data/api/Image2D.h"
#include "Platform/api/MinimumMaximum.h"
#include "Data/api/SceneItem.h"

#include <condition_variable>
#include <functional>
#include <mutex>

// Decodes a 2D item once into a typed image and keeps it. Several threads may
// ask at once: one decodes, the others wait for its result. A failed or
// cancelled decode leaves the cache empty, so the next request decodes again.
// The lock covers only the cache's own state: the source is asked outside it,
// by one thread at a time, so queries never wait for a decode.
class Image2DDataCache final : public Brintavolex::IImage2DData {
public:
    using TimingLog = std::function<void(const Brintavolex::String &)>;

    Image2DDataCache(const Brintavolex::SharedPtr<Brintavolex::IImage2D> &source, std::uint32_t flag = 0);

    Brintavolex::SharedPtr<Brintavolex::Data::Image2DBase>
    GetData(const Brintavolex::SharedPtr<Brintavolex::IProgress> &progress = nullptr) override;

    // IImage2D: the source's information, asked once and kept; pixels only
    // through GetData.
    void DecodeBasicInfo(Brintavolex::Data::BasicInfo &info) override;
    void GetRect(void *, std::uint64_t, std::uint64_t, const Brintavolex::SharedPtr<Brintavolex::IProgress> &) override;
    // Asked together with the information; a value outside 1 to 8 gives 1.
    std::uint16_t GetExifOrientation() override;
    // ISceneItem
    std::uint64_t GetCount() override { return 0; }
    Brintavolex::SharedPtr<Brintavolex::ISceneItem> Get(std::uint64_t) override;
    Brintavolex::SharedPtr<Brintavolex::IProperty> GetProperty() override { return _source->GetProperty(); }

    const Brintavolex::SharedPtr<Brintavolex::IImage2D> &GetSource() const noexcept { return _source; }
    std::uint32_t GetFlag() const noexcept { return _flag; }
    // Minimum and maximum of a float image, found once it has been decoded.
    Brintavolex::Data::MinimumMaximum GetMinimumMaximum() const;
    // Where the timings of creating and decoding and the warnings of a load
    // go (the document's logger).
    void SetTimingLog(TimingLog log);

private:
    Brintavolex::Data::BasicInfo Info();

    const Brintavolex::SharedPtr<Brintavolex::IImage2D> _source;
    const std::uint32_t _flag;
    mutable std::mutex _mutex;
    std::condition_variable _changed;
    bool _readingInfo = false, _decoding = false;
    bool _haveInfo = false;
    Brintavolex::Data::BasicInfo _info;
    std::uint16_t _exifOrientation = 1;
    Brintavolex::SharedPtr<Brintavolex::Data::Image2DBase> _image;
    Brintavolex::Data::MinimumMaximum _minimumMaximum{0, 0, false};
    TimingLog _timingLog;
};

// Decodes a volume once and keeps it, for the request pair it was first
// asked with; locks as the 2D cache does.
class Image3DDataCache final : public Brintavolex::IImage3DData {
public:
    explicit Image3DDataCache(const Brintavolex::SharedPtr<Brintavolex::IImage3D> &source);

    Brintavolex::SharedPtr<const Brintavolex::Data::VolumeData>
    GetData(std::uint32_t request, std::uint64_t detail,
            const Brintavolex::SharedPtr<Brintavolex::IProgress> &progress = nullptr) override;
    Brintavolex::SharedPtr<const Brintavolex::Data::VolumeData> GetStoredData() override;
    void CopyPart(std::uint32_t request, std::uint64_t detail, std::uint64_t offset, void *buffer,
                  std::uint64_t byteCount) override;

    void DecodeBasicInfo(Brintavolex::Data::BasicInfo3D &info) override;
    void GetRect(void *, std::uint64_t, std::uint64_t, const Brintavolex::SharedPtr<Brintavolex::IProgress> &) override;
    std::uint64_t GetCount() override { return 0; }
    Brintavolex::SharedPtr<Brintavolex::ISceneItem> Get(std::uint64_t) override;
    Brintavolex::SharedPtr<Brintavolex::IProperty> GetProperty() override { return _source->GetProperty(); }

private:
    Brintavolex::Data::BasicInfo3D Info();

    const Brintavolex::SharedPtr<Brintavolex::IImage3D> _source;
    std::mutex _mutex;
    std::condition_variable _changed;
    bool _readingInfo = false, _decoding = false;
    bool _haveInfo = false;
    Brintavolex::Data::BasicInfo3D _info;
    std::uint32_t _request = 0;
    std::uint64_t _detail = 0;
    Brintavolex::SharedPtr<const Brintavolex::Data::VolumeData> _volume;
};

namespace Brintavolex {

// The item an index path selects inside item; a volume selected with a slice
// index is cut into slices first.
SharedPtr<ISceneItem> SelectSceneItem(const SharedPtr<ISceneItem> &item, const IndexPath &path);

// The 2D item an index path selects, as a data cache.
SharedPtr<Image2DDataCache> GetImageFromScene(const SharedPtr<ISceneItem> &item, const IndexPath &path);

// True for the index classes the system knows.
bool IsKnownIndexType(const IndexType &index);

} // namespace Brintavolex
