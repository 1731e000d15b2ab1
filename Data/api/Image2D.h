#pragma once

#include "Data/api/ColorType.h"
#include "Data/api/SceneItem.h"
#include "Root/api/Exception.h"
#include "Root/api/SharedPtr.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

namespace Brintavolex::Data {

class IImageUserRepresentation;
class Image2DBase;

// The image property that gives the width and height of one pixel, under
// this name also in a source's property composite.
constexpr char kPixelSizeKey[] = "PixelSize";

// Lock modes: 1 is read-only, every other value writable.
constexpr std::uint8_t LockReadOnly = 1;
constexpr std::uint8_t LockWritable = 0;

// What a lock slot hands out before it is typed.
struct RawImageLock {
    void *data = nullptr;
    std::uint64_t width = 0, height = 0, stride = 0, rows = 0;
};

// A held lock; released when destroyed. P is the pixel type, const for
// read-only access.
template <class P> class Image2DLock {
public:
    Image2DLock() = default;
    Image2DLock(const Image2DBase *image, std::uint8_t mode, const RawImageLock &raw) noexcept
        : _image(image), _mode(mode), _data(static_cast<P *>(raw.data)), _width(raw.width), _height(raw.height),
          _stride(raw.stride), _rows(raw.rows)
    {
    }
    Image2DLock(const Image2DLock &) = delete;
    Image2DLock &operator=(const Image2DLock &) = delete;
    Image2DLock(Image2DLock &&other) noexcept { *this = std::move(other); }
    Image2DLock &operator=(Image2DLock &&other) noexcept;
    ~Image2DLock() { Release(); }

    void Release() noexcept;

    std::uint8_t Mode() const noexcept { return _mode; }
    P *Data() const noexcept { return _data; }
    std::uint64_t Width() const noexcept { return _width; }
    std::uint64_t Height() const noexcept { return _height; }
    std::uint64_t Stride() const noexcept { return _stride; }
    std::uint64_t Rows() const noexcept { return _rows; }

    // Pixel (x, y), checked against stride and allocated rows.
    P &operator()(std::uint64_t x, std::uint64_t y) const
    {
        if (x >= _stride || y >= _rows)
            throw Exception();
        return _data[y * _stride + x];
    }
    // Start of row y, checked against the allocated rows.
    P *Row(std::uint64_t y) const
    {
        if (y >= _rows)
            throw Exception();
        return _data + y * _stride;
    }

private:
    const Image2DBase *_image = nullptr;
    std::uint8_t _mode = LockReadOnly;
    P *_data = nullptr;
    std::uint64_t _width = 0, _height = 0, _stride = 0, _rows = 0;
};

// Base of every typed image: lock protocol, padded buffer geometry and the
// colour type fixed at construction.
class Image2DBase : public IImage2D {
public:
    explicit Image2DBase(ColorType colorType);
    ~Image2DBase() override;

    // IImage2D
    void DecodeBasicInfo(BasicInfo &info) override;
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows,
                 const SharedPtr<IProgress> &progress) override;
    // ISceneItem: an image has no children and no properties.
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return nullptr; }

    virtual std::uint64_t GetWidth() const = 0;
    virtual std::uint64_t GetHeight() const = 0;
    // (Re)allocates; an allocated extent of 0 means the picture extent.
    virtual void Allocate(std::uint64_t width, std::uint64_t height, std::uint64_t allocatedWidth = 0,
                          std::uint64_t allocatedHeight = 0) = 0;
    virtual const char *GetClassName() const { return "Image2DBase"; }
    virtual bool IsTypedImage() const = 0;
    virtual void Touch() {}

    // Typed locks; the pixel type must be the image's own.
    template <class P> Image2DLock<P> Lock(std::uint8_t mode = LockWritable)
    {
        return Image2DLock<P>(this, mode, LockSlot(ColorTypeOf<P>::value, false, mode));
    }
    template <class P> Image2DLock<const P> Lock(std::uint8_t mode = LockReadOnly) const
    {
        return Image2DLock<const P>(this, mode,
                                    const_cast<Image2DBase *>(this)->LockSlot(ColorTypeOf<P>::value, true, mode));
    }
    template <class P> Image2DLock<const P> LockConst() const { return Lock<P>(LockReadOnly); }

    ColorType GetColorType() const noexcept { return _colorType; }
    std::uint64_t GetStride() const noexcept { return _stride; }
    std::uint64_t GetAllocatedRows() const noexcept { return _rows; }
    std::int64_t LockCount() const noexcept { return _lockCount; }
    std::int64_t WriteLockCount() const noexcept { return _writeLockCount; }

    // The pixel size: width and height of one pixel (1, 1 unless set).
    double ScaleX() const noexcept { return _scale[0]; }
    double ScaleY() const noexcept { return _scale[1]; }
    void SetScale(double x, double y) noexcept { _scale[0] = x, _scale[1] = y; }
    // Sets an image property from count values. kPixelSizeKey takes one
    // (square pixels) or two positive finite sizes, else std::invalid_argument;
    // any other key throws "Image2DBase::SetProperty: unknown key".
    void SetProperty(StringExpr key, const double *values, std::size_t count);

    const SharedPtr<IImageUserRepresentation> &GetUserRepresentation() const noexcept { return _representation; }
    void SetUserRepresentation(SharedPtr<IImageUserRepresentation> representation)
    {
        _representation = std::move(representation);
    }

    void ReleaseLock(std::uint8_t mode) const noexcept;

    // Every alpha at the full scale of its type (1 and above for floats);
    // true without an alpha channel. An image that owns its buffer keeps the
    // answer until its next writable lock or allocation, so that a decode
    // worker can pay for the scan instead of the first paint.
    bool IsOpaque() const;
    // Counts writable locks and allocations, so that what was made from the
    // pixels (a resampled frame) is known to be stale. Meaningful only for
    // images that keep facts: others change without telling.
    std::uint64_t WriteGeneration() const noexcept { return _writeGeneration.load(std::memory_order_relaxed); }
    bool KeepsFacts() const noexcept { return _keepsFacts; }

protected:
    // One slot for all typed locks: the image's own type answers with its
    // buffer, others throw. The base throws "Lock<Type>[ const] is not
    // implemented".
    virtual RawImageLock LockSlot(ColorType requested, bool constImage, std::uint8_t mode);
    // Counts a lock after checking the rule: writable only when no lock is
    // held, read-only only when no writable lock is held.
    void AcquireLock(std::uint8_t mode, const char *failure) const;
    // Only images whose pixels change under writable locks alone keep facts.
    void KeepFacts() noexcept { _keepsFacts = true; }
    void ForgetFacts() const noexcept
    {
        _opacity.store(kOpacityUnknown, std::memory_order_relaxed);
        _writeGeneration.fetch_add(1, std::memory_order_relaxed);
    }

    std::uint64_t _stride = 0;
    std::uint64_t _rows = 0;

private:
    mutable std::mutex _lockMutex;
    mutable std::int64_t _lockCount = 0;
    mutable std::int64_t _writeLockCount = 0;
    static constexpr std::int8_t kOpacityUnknown = -1;
    bool _keepsFacts = false;
    mutable std::atomic<std::int8_t> _opacity{kOpacityUnknown};
    mutable std::atomic<std::uint64_t> _writeGeneration{0};
    double _scale[2] = {1.0, 1.0};
    std::uint64_t _reserved[2] = {0, 0};
    const ColorType _colorType;
    SharedPtr<IImageUserRepresentation> _representation;
};

template <class P> Image2DLock<P> &Image2DLock<P>::operator=(Image2DLock &&other) noexcept
{
    if (this != &other) {
        Release();
        _image = std::exchange(other._image, nullptr);
        _mode = other._mode;
        _data = std::exchange(other._data, nullptr);
        _width = other._width, _height = other._height, _stride = other._stride, _rows = other._rows;
    }
    return *this;
}

template <class P> void Image2DLock<P>::Release() noexcept
{
    if (_image)
        _image->ReleaseLock(_mode);
    _image = nullptr;
    _data = nullptr;
}

// Fields shared by the owning and the wrapping image.
template <class P> class TypedImage2D : public Image2DBase {
public:
    using Pixel = P;
    TypedImage2D() : Image2DBase(ColorTypeOf<P>::value) {}
    std::uint64_t GetWidth() const override { return _width; }
    std::uint64_t GetHeight() const override { return _height; }
    bool IsTypedImage() const override { return true; }

protected:
    RawImageLock LockOwn(std::uint8_t mode, const char *failure)
    {
        AcquireLock(mode, failure);
        return RawImageLock{_data, _width, _height, _stride, _rows};
    }

    P *_data = nullptr;
    std::uint64_t _width = 0;
    std::uint64_t _height = 0;
};

namespace Detail {
// Allocates bytes + 15 and returns the block; aligned receives the first
// 16-byte boundary inside it. Computes stride and rows by the padding rule
// and checks the byte count in 128-bit arithmetic before anything changes.
struct ImageAllocation {
    unsigned char *block = nullptr;
    void *aligned = nullptr;
    std::uint64_t stride = 0;
    std::uint64_t rows = 0;
};
ImageAllocation AllocateImageBuffer(std::uint64_t width, std::uint64_t height, std::uint64_t allocatedWidth,
                                    std::uint64_t allocatedHeight, std::size_t pixelSize);
[[noreturn]] void ThrowWrongLockType(const char *text);
} // namespace Detail

// An image that owns its buffer: stride rounded up to 64 pixels, rows to 8,
// data 16-byte aligned.
template <class P> class Image2D final : public TypedImage2D<P> {
public:
    Image2D() { this->KeepFacts(); }
    ~Image2D() override { delete[] _block; }

    void Allocate(std::uint64_t width, std::uint64_t height, std::uint64_t allocatedWidth = 0,
                  std::uint64_t allocatedHeight = 0) override
    {
        if (this->LockCount() != 0)
            throw Exception("Image2D::Allocate: image is locked");
        const Detail::ImageAllocation a =
            Detail::AllocateImageBuffer(width, height, allocatedWidth, allocatedHeight, sizeof(P));
        delete[] _block;
        this->ForgetFacts();
        _block = a.block;
        this->_data = static_cast<P *>(a.aligned);
        this->_width = width;
        this->_height = height;
        this->_stride = a.stride;
        this->_rows = a.rows;
    }

protected:
    RawImageLock LockSlot(ColorType requested, bool constImage, std::uint8_t mode) override
    {
        if (requested == ColorTypeOf<P>::value)
            return this->LockOwn(mode, "Image2D::Lock");
        // RGBA images have no typed slots: BGRA requests fall to the base.
        if constexpr (IsRGBA<P>::value) {
            if (static_cast<std::int32_t>(requested) > 100)
                return Image2DBase::LockSlot(requested, constImage, mode);
        }
        Detail::ThrowWrongLockType("Image2D::Lock2");
    }

private:
    unsigned char *_block = nullptr;
};

// An image over caller memory, which must outlive it.
template <class P> class ExternalBufferImage2D final : public TypedImage2D<P> {
    static_assert(!IsRGBA<P>::value, "RGBA images exist only as Image2D");

public:
    ExternalBufferImage2D(P *data, std::uint64_t width, std::uint64_t height, std::uint64_t stride,
                          std::uint64_t rows)
    {
        this->_data = data;
        this->_width = width;
        this->_height = height;
        this->_stride = stride;
        this->_rows = rows;
    }
    void Allocate(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) override {}

protected:
    RawImageLock LockSlot(ColorType requested, bool, std::uint8_t mode) override
    {
        if (requested == ColorTypeOf<P>::value)
            return this->LockOwn(mode, "Image::Lock");
        Detail::ThrowWrongLockType("ExternalBufferImage2D::Lock2");
    }
};

// Creates the owning image of a colour type (RGBA included), not allocated.
SharedPtr<Image2DBase> CreateImage2D(ColorType colorType);

// Wraps caller memory; stride must be at least width and rows at least height.
SharedPtr<Image2DBase> CreateExternalBufferImage2D(void *buffer, ColorType colorType, std::uint64_t width,
                                                   std::uint64_t height, std::uint64_t stride, std::uint64_t rows);

// Locks image for writing and lets source fill it.
void CallGetRect(IImage2D &source, Image2DBase &image, const SharedPtr<IProgress> &progress);

// Replicates the last column and row into up to two padding columns and rows.
void PaintBorder(Image2DBase &image);

// Sets every channel of every picture pixel to value.
void clear(Image2DBase &image, int value);

// The decoding path: basic info, allocate, GetRect, optionally PaintBorder.
SharedPtr<Image2DBase> DecodeImage(IImage2D &source, const SharedPtr<IProgress> &progress,
                                   bool paintBorder = false);

} // namespace Brintavolex::Data
