#pragma once

#include "Data/api/ColorType.h"
#include "Root/api/String.h"
#include "Root/api/Exception.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Brintavolex {

class IProperty;

namespace Data {
class Image2DBase;
}

// Progress of a long step; SetProgress returns true to ask the worker to stop.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual bool SetProgress(double fraction) = 0;
};

// Thrown by a worker that stops because its progress object asked it to.
class OperationCancelled : public Exception {
public:
    OperationCancelled() : Exception("operation cancelled") {}
};

// Reports fraction and throws OperationCancelled when asked to stop; a null
// progress object does nothing.
inline void ReportProgress(const SharedPtr<IProgress> &progress, double fraction)
{
    if (progress && progress->SetProgress(fraction))
        throw OperationCancelled();
}

// A node of what a decoder yields: children and a property composite.
class ISceneItem : public EnableSharedPtrFromThis {
public:
    virtual std::uint64_t GetCount() = 0;
    virtual SharedPtr<ISceneItem> Get(std::uint64_t index) = 0;
    virtual SharedPtr<IProperty> GetProperty() = 0;
};

// A decoder: its children are the images of the file.
class IDecoder : public ISceneItem {
public:
    // Every built-in decoder answers 0.
    virtual std::uint32_t GetDecoderQuery() { return 0; }
    // The image DefaultIndex selects: the one a viewer shows first.
    virtual std::uint64_t GetDefaultIndex() { return 0; }
};

// A 2D picture described without holding its pixels.
class IImage2D : public virtual ISceneItem {
public:
    virtual void DecodeBasicInfo(Data::BasicInfo &info) = 0;
    // Writes the whole picture into buffer (stride pixels x rows, of the
    // source's own colour type).
    virtual void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows,
                         const SharedPtr<IProgress> &progress) = 0;
    // The Exif orientation (tag 274) of the stored rows, 1 to 8: the pixels
    // come as stored and the viewer turns them upright. 1 (as stored) unless
    // the decoder knows better.
    virtual std::uint16_t GetExifOrientation() { return 1; }
    // How long a frame of an animation stays on screen, in milliseconds,
    // when the file says so.
    virtual std::optional<std::uint32_t> GetFrameDelayMilliseconds() { return std::nullopt; }
};

namespace Data {
// What a volume reports before decoding.
struct BasicInfo3D {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;
    ColorType colorType = ColorType::Unknown;
};
} // namespace Data

// XY slice k is the plane z = k, XZ the plane y = k, YZ the plane x = k.
enum class SliceOrientation { XY, XZ, YZ };

// A 3D volume described without holding its voxels.
class IImage3D : public virtual ISceneItem {
public:
    virtual void DecodeBasicInfo(Data::BasicInfo3D &info) = 0;
    // Writes the whole volume: depth slices of rows rows of stride voxels.
    virtual void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows,
                         const SharedPtr<IProgress> &progress) = 0;
    // Writes one slice (XY: width x height, XZ: width x depth, YZ: height x
    // depth; rows of stride voxels) without decoding the rest, and answers
    // true; false when the source can only give the whole volume.
    virtual bool GetSlice(SliceOrientation, std::uint64_t /*k*/, void * /*buffer*/, std::uint64_t /*stride*/,
                          std::uint64_t /*rows*/, const SharedPtr<IProgress> &)
    {
        return false;
    }
};

// A 2D item whose decoded image is at hand.
class IImage2DData : public IImage2D {
public:
    virtual SharedPtr<Data::Image2DBase> GetData(const SharedPtr<IProgress> &progress = nullptr) = 0;
};

namespace Data {
// A decoded volume: width x height x depth voxels of one colour type, slice
// after slice, rows of width voxels.
struct VolumeData {
    std::uint64_t width = 0, height = 0, depth = 0;
    ColorType colorType = ColorType::Unknown;
    std::vector<std::uint8_t> voxels;

    std::uint64_t VoxelSize() const noexcept;
    const std::uint8_t *Voxel(std::uint64_t x, std::uint64_t y, std::uint64_t z) const noexcept
    {
        return voxels.data() + ((z * height + y) * width + x) * VoxelSize();
    }
};
} // namespace Data

class IImage3DData : public IImage3D {
public:
    // The volume for a request pair; the pair must equal the one the data
    // was loaded with.
    virtual SharedPtr<const Data::VolumeData> GetData(std::uint32_t request, std::uint64_t detail,
                                                      const SharedPtr<IProgress> &progress = nullptr) = 0;
    virtual SharedPtr<const Data::VolumeData> GetStoredData() = 0;
    // Copies byteCount bytes from byte offset of the volume.
    virtual void CopyPart(std::uint32_t request, std::uint64_t detail, std::uint64_t offset, void *buffer,
                          std::uint64_t byteCount) = 0;
};

// Elements of an index path: which child to take at each level.
class IndexType {
public:
    virtual ~IndexType() = default;
    virtual const char *GetName() const = 0;
    virtual String Print() const { return String(GetName()); }
};

class FirstIndex final : public IndexType {
public:
    const char *GetName() const override { return "FirstIndex"; }
};
class LastIndex final : public IndexType {
public:
    const char *GetName() const override { return "LastIndex"; }
};
class DefaultIndex final : public IndexType {
public:
    const char *GetName() const override { return "DefaultIndex"; }
};

// An index that holds a number.
class NumberedIndex : public IndexType {
public:
    explicit NumberedIndex(std::uint64_t n) noexcept : _n(n) {}
    std::uint64_t GetIndex() const noexcept { return _n; }
    String Print() const override { return String(GetName()) + " " + String::FromUnsigned(_n); }

private:
    std::uint64_t _n;
};

class ZeroBasedIndex final : public NumberedIndex {
public:
    using NumberedIndex::NumberedIndex;
    const char *GetName() const override { return "ZeroBasedIndex"; }
};

// The default or numbered slice of a volume in one orientation.
class SliceDefaultIndex : public IndexType {
public:
    virtual SliceOrientation Orientation() const = 0;
};
class XYDefaultIndex final : public SliceDefaultIndex {
public:
    const char *GetName() const override { return "XYDefaultIndex"; }
    SliceOrientation Orientation() const override { return SliceOrientation::XY; }
};
class XZDefaultIndex final : public SliceDefaultIndex {
public:
    const char *GetName() const override { return "XZDefaultIndex"; }
    SliceOrientation Orientation() const override { return SliceOrientation::XZ; }
};
class YZDefaultIndex final : public SliceDefaultIndex {
public:
    const char *GetName() const override { return "YZDefaultIndex"; }
    SliceOrientation Orientation() const override { return SliceOrientation::YZ; }
};

class SliceNumberedIndex : public NumberedIndex {
public:
    using NumberedIndex::NumberedIndex;
    virtual SliceOrientation Orientation() const = 0;
};
class XYZeroBasedIndex final : public SliceNumberedIndex {
public:
    using SliceNumberedIndex::SliceNumberedIndex;
    const char *GetName() const override { return "XYZeroBasedIndex"; }
    SliceOrientation Orientation() const override { return SliceOrientation::XY; }
};
class XZZeroBasedIndex final : public SliceNumberedIndex {
public:
    using SliceNumberedIndex::SliceNumberedIndex;
    const char *GetName() const override { return "XZZeroBasedIndex"; }
    SliceOrientation Orientation() const override { return SliceOrientation::XZ; }
};
class YZZeroBasedIndex final : public SliceNumberedIndex {
public:
    using SliceNumberedIndex::SliceNumberedIndex;
    const char *GetName() const override { return "YZZeroBasedIndex"; }
    SliceOrientation Orientation() const override { return SliceOrientation::YZ; }
};

using IndexPath = std::vector<SharedPtr<IndexType>>;

// "FirstIndex/ZeroBasedIndex 3"; a null element prints "unknown IndexType".
String PrintIndexPath(const IndexPath &path);

} // namespace Brintavolex
