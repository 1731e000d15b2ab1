#include "Data/api/Image2D.h"

#include "Data/api/UserRepresentation.h"
#include "Root/api/NumericCast.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <new>
#include <stdexcept>

namespace Brintavolex::Data {

const char *ColorTypeName(ColorType code) noexcept
{
    const char *name = nullptr;
    DispatchColorType<true>(code, [&](auto tag) { name = ColorTypeOf<typename decltype(tag)::type>::name; });
    return name;
}

unsigned PixelSize(ColorType code) noexcept
{
    unsigned size = 0;
    DispatchColorType<true>(code, [&](auto tag) { size = sizeof(typename decltype(tag)::type); });
    return size;
}

bool IsKnownColorType(ColorType code) noexcept
{
    return DispatchColorType<true>(code, [](auto) {});
}

Image2DBase::Image2DBase(ColorType colorType)
    : _colorType(colorType), _representation(MakeShared<DefaultImageUserRepresentation>(colorType))
{
}

// A lock points at its image without owning it: destroying a locked image
// is a fault of the lock's holder.
Image2DBase::~Image2DBase() { assert(_lockCount == 0 && "image destroyed while locked"); }

void Image2DBase::DecodeBasicInfo(BasicInfo &info)
{
    info.width = numeric_cast<std::uint32_t>(GetWidth());
    info.height = numeric_cast<std::uint32_t>(GetHeight());
    info.allocatedWidth = numeric_cast<std::uint32_t>(_stride);
    info.allocatedHeight = numeric_cast<std::uint32_t>(_rows);
    info.colorType = _colorType;
}

void Image2DBase::GetRect(void *, std::uint64_t, std::uint64_t, const SharedPtr<IProgress> &)
{
    throw Exception("Image2DBase::GetRect not implemented");
}

void Image2DBase::SetProperty(StringExpr key, const double *values, std::size_t count)
{
    if (!(key == StringExpr(kPixelSizeKey)))
        throw Exception("Image2DBase::SetProperty: unknown key");
    if (!values || count < 1 || count > 2)
        throw std::invalid_argument("Image2DBase::SetProperty: a pixel size has one or two values");
    const double x = values[0], y = values[count - 1];
    // The view multiplies extents by it: zero, negative or infinite sizes
    // would collapse or explode the picture.
    if (!(x > 0 && y > 0 && std::isfinite(x) && std::isfinite(y)))
        throw std::invalid_argument("Image2DBase::SetProperty: a pixel size must be positive and finite");
    SetScale(x, y);
}

SharedPtr<ISceneItem> Image2DBase::Get(std::uint64_t)
{
    throw std::invalid_argument("Image2DBase::Get: an image has no children");
}

RawImageLock Image2DBase::LockSlot(ColorType requested, bool constImage, std::uint8_t)
{
    const char *name = ColorTypeName(requested);
    String message = String("Lock") + (name ? name : "Unknown") +
                     (constImage ? " const is not implemented" : " is not implemented");
    throw Exception(message);
}

void Image2DBase::AcquireLock(std::uint8_t mode, const char *failure) const
{
    std::lock_guard<std::mutex> guard(_lockMutex);
    const bool writable = mode != LockReadOnly;
    const bool allowed = writable ? _lockCount == 0 : _writeLockCount == 0;
    if (!allowed)
        throw Exception(String(failure) + ": image is locked");
    ++_lockCount;
    if (writable) {
        ++_writeLockCount;
        ForgetFacts();
    }
}

namespace {
template <class P> bool ScanOpaque(const Image2DLock<const P> &lock)
{
    using C = typename ChannelOf<P>::type;
    for (std::uint64_t y = 0; y < lock.Height(); ++y) {
        const P *row = lock.Row(y);
        // Without an early exit per pixel the loop vectorises.
        bool all = true;
        for (std::uint64_t x = 0; x < lock.Width(); ++x)
            if constexpr (std::is_floating_point_v<C>)
                all &= row[x].a >= C(1);
            else
                all &= row[x].a == std::numeric_limits<C>::max();
        if (!all)
            return false;
    }
    return true;
}
} // namespace

bool Image2DBase::IsOpaque() const
{
    const std::int8_t known = _opacity.load(std::memory_order_relaxed);
    if (known != kOpacityUnknown)
        return known != 0;
    bool opaque = true;
    DispatchColorType(_colorType, [&](auto tag) {
        using P = typename decltype(tag)::type;
        if constexpr (IsBGRA<P>::value) {
            const auto lock = LockConst<P>();
            opaque = ScanOpaque(lock);
            // Still under the read lock: no writer can come between.
            if (_keepsFacts)
                _opacity.store(opaque ? 1 : 0, std::memory_order_relaxed);
        }
    });
    return opaque;
}

void Image2DBase::ReleaseLock(std::uint8_t mode) const noexcept
{
    std::lock_guard<std::mutex> guard(_lockMutex);
    --_lockCount;
    if (mode != LockReadOnly)
        --_writeLockCount;
}

namespace Detail {

ImageAllocation AllocateImageBuffer(std::uint64_t width, std::uint64_t height, std::uint64_t allocatedWidth,
                                    std::uint64_t allocatedHeight, std::size_t pixelSize)
{
    using U128 = unsigned __int128;
    const U128 wantedWidth = allocatedWidth ? allocatedWidth : width;
    const U128 wantedRows = allocatedHeight ? allocatedHeight : height;
    // Round to 8, then to 64 (stride) and to 8 (rows), all without wrap-around.
    const U128 stride = ((wantedWidth + 7) / 8 * 8 + 63) / 64 * 64;
    const U128 rows = (wantedRows + 7) / 8 * 8;
    const U128 limit = ~std::uint64_t(0);
    const U128 pixels = stride * rows;
    if (stride > limit || rows > limit || pixels > limit || pixels * pixelSize > limit - 15)
        throw Exception("Image2D::Allocate: image size exceeds the address space");
    const U128 bytes = pixels * pixelSize + 15;
    if (bytes > U128(PTRDIFF_MAX))
        throw std::bad_alloc();
    ImageAllocation a;
    a.block = new unsigned char[std::size_t(bytes)];
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(a.block);
    a.aligned = a.block + ((16 - address % 16) % 16);
    a.stride = std::uint64_t(stride);
    a.rows = std::uint64_t(rows);
    return a;
}

void ThrowWrongLockType(const char *text) { throw std::runtime_error(text); }

} // namespace Detail

SharedPtr<Image2DBase> CreateImage2D(ColorType colorType)
{
    SharedPtr<Image2DBase> image;
    if (!DispatchColorType<true>(colorType,
                                 [&](auto tag) { image = MakeShared<Image2D<typename decltype(tag)::type>>(); }))
        throw Exception("CreateImage2D: unknown color type");
    return image;
}

SharedPtr<Image2DBase> CreateExternalBufferImage2D(void *buffer, ColorType colorType, std::uint64_t width,
                                                   std::uint64_t height, std::uint64_t stride, std::uint64_t rows)
{
    if (stride < width)
        throw Exception("CreateExternalBufferImage2D: stride must not be less than width");
    if (rows < height)
        throw Exception("CreateExternalBufferImage2D: rows must not be less than height");
    SharedPtr<Image2DBase> image;
    if (!DispatchColorType(colorType, [&](auto tag) {
            using P = typename decltype(tag)::type;
            image = MakeShared<ExternalBufferImage2D<P>>(static_cast<P *>(buffer), width, height, stride, rows);
        }))
        throw Exception("CreateExternalBufferImage2D: unknown color type");
    return image;
}

void CallGetRect(IImage2D &source, Image2DBase &image, const SharedPtr<IProgress> &progress)
{
    if (!DispatchColorType(image.GetColorType(), [&](auto tag) {
            using P = typename decltype(tag)::type;
            Image2DLock<P> lock = image.Lock<P>(LockWritable);
            if (lock.Width() == 0 || lock.Height() == 0)
                throw Exception();
            source.GetRect(lock.Data(), lock.Stride(), lock.Rows(), progress);
        }))
        throw Exception("CallGetRect: unknown color type");
}

void PaintBorder(Image2DBase &image)
{
    if (!DispatchColorType(image.GetColorType(), [&](auto tag) {
            using P = typename decltype(tag)::type;
            Image2DLock<P> lock = image.Lock<P>(LockWritable);
            const std::uint64_t w = lock.Width(), h = lock.Height(), S = lock.Stride(), R = lock.Rows();
            if (w == 0 || h == 0)
                return;
            P *data = lock.Data();
            if (w < S) {
                const std::uint64_t columns = (w + 1 < S) ? 2 : 1;
                for (std::uint64_t y = 0; y < R; ++y) {
                    P *row = data + y * S;
                    for (std::uint64_t c = 0; c < columns; ++c)
                        row[w + c] = row[w - 1];
                }
            }
            if (h < R) {
                const std::uint64_t extra = (h + 1 < R) ? 2 : 1;
                const P *last = data + (h - 1) * S;
                for (std::uint64_t r = 0; r < extra; ++r)
                    std::memcpy(static_cast<void *>(data + (h + r) * S), last, S * sizeof(P));
            }
        }))
        throw Exception("Data::Image2DBase::PaintBorder: unknown color type");
}

namespace {
template <class C> C ChannelValue(int value) { return static_cast<C>(value); }
} // namespace

void clear(Image2DBase &image, int value)
{
    if (!DispatchColorType(image.GetColorType(), [&](auto tag) {
            using P = typename decltype(tag)::type;
            using C = typename ChannelOf<P>::type;
            P fill;
            if constexpr (IsBGRA<P>::value) {
                const C c = ChannelValue<C>(value);
                fill = P{c, c, c, c};
            } else {
                fill = ChannelValue<C>(value);
            }
            Image2DLock<P> lock = image.Lock<P>(LockWritable);
            for (std::uint64_t y = 0; y < lock.Height(); ++y) {
                P *row = lock.Data() + y * lock.Stride();
                for (std::uint64_t x = 0; x < lock.Width(); ++x)
                    row[x] = fill;
            }
        }))
        throw Exception("Data::Image2DBase::clear: unknown color type");
}

SharedPtr<Image2DBase> DecodeImage(IImage2D &source, const SharedPtr<IProgress> &progress, bool paintBorder)
{
    BasicInfo info;
    source.DecodeBasicInfo(info);
    SharedPtr<Image2DBase> image = CreateImage2D(info.colorType);
    image->Allocate(info.width, info.height, info.allocatedWidth, info.allocatedHeight);
    CallGetRect(source, *image, progress);
    if (paintBorder)
        PaintBorder(*image);
    return image;
}

} // namespace Brintavolex::Data
